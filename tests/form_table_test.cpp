// The plug-in's form table against its documented bytes, and the simulated host's form engine running
// the forms from it.
#include <cstring>
#include <string>
#include <vector>

#include "tests/transfer_fixture.h"
// after the fixture, which brings the stream operators it uses
#include "simulated_host/forms.h"
#include "simulated_host/services.h"
#include "tests/plugin_internals.h"

namespace kombrel_test {
namespace {

// The table as documented, one item a line, written out apart from the plug-in's own description of it.
// Common part: kind, item code, flags, hot key, x, y, width, height (16-bit), param (32-bit); then the
// text and its NUL. Edit fields: kind 5 and ext_length first, the type block after the common part.
const char* const kDocumentedTable[] = {
    // clang-format off
    // size word
    "a9030000",
    // form 1000: body length, item count
    "16010600",
    "ffffe803000300000000000027000c0000000000416e616c697a61207370727a656461a77900",  // header
    "0300ffff00000000030003001c00020000000000506f64616a207a61206a616b69206f6b7265732077737465637a0a77797065926e698d207261706f72743a00",  // item 1
    "050028000500ffff000400000300050006000100000000000000000000000000040001000000000000000c0000",  // item 2
    "0300ffff000000000d00050014000100000000002877206d6965736986636163682900",  // item 3
    "0300003b000000000300070012000100000000000246310120446f7479637a866365206d61672e00",  // item 4
    "00000e438005003b150007000f000100000000002000",  // item 5
    "00000150040000550a0009000e0001000000000005463132012057796b6f6e616a00",  // item 6
    // form 1001: body length, item count
    "78000200",
    "ffffe9030840000000000000300005000000000050727a65747761727a616e696500",  // header
    "0700ffff00000000030001002a0003000300000000",  // item 1
    "0400034000000000040002002800010000000000313233343536373839300531323334353637383930023132333435033637383930043132333435363738393000",  // item 2
    // form 1003: body length, item count
    "00010500",
    "ffffeb0300020000000000003d00070000000000506f64616a2064617479202877797374617769656e696129206772616e69637a6e6520646c6120646f6b2e204d4d00",  // header
    "0300003d00000000010002000d00010000000000017002463301204f6b726573204f640100",  // item 1
    "050026000500ffff00040000110002000d0001000000000000000000000000000800080202000800010000",  // item 2
    "0300003e000000001f0002000d00010000000000017002463401204f6b72657320446f0100",  // item 3
    "050026000500ffff000400002d0002000d0001000000000000000000000000000800080202000800010000",  // item 4
    "0000015004000055190004000a000100000000000546313201204f4b00",  // item 5
    // form 1002: body length, item count
    "0b010500",
    "ffffea0300020000000000004e001200000000005779626965727a20646f6b756d656e7479204d4d00",  // header
    "0400015800000000020003004a000100000000006c330d6c31374e756d6572204d4d0d6c2d314f7069730d6c31364d61672e646f63656c2e0d703135576172746f9e8d207a616b2e62722e0d6c31324461746120777973742e00",  // item 1
    "0300ffff0000003d0200020014000100000000000246330120446f6b756d656e7479204d4d00",  // item 2
    "0600014008040000020004004a0009000000000000",  // item 3
    "000000528000000002000d001a00010000000000016305494e5345525401205a617a6e61637a2f4f647a6e61637a0100",  // item 4
    "00000150000100551e000f0010000100000000000546313201204f4b00",  // item 5
    // clang-format on
};

std::vector<std::uint8_t> FromHex(const std::string& hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

std::vector<std::uint8_t> DocumentedTable() {
  std::string hex;
  for (const char* line : kDocumentedTable)
    hex += line;
  return FromHex(hex);
}

std::uint16_t U16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

using FormTableTest = TransferTest;

TEST_F(FormTableTest, TheTableHoldsExactlyTheDocumentedBytes) {
  Boot();
  const auto* table = static_cast<const std::uint8_t*>(PluginSymbol("FormTable"));
  ASSERT_NE(table, nullptr);
  const std::vector<std::uint8_t> expected = DocumentedTable();
  ASSERT_EQ(expected.size(), 941u);
  EXPECT_EQ(std::vector<std::uint8_t>(table, table + expected.size()), expected);
}

TEST_F(FormTableTest, RecordsWalkedByTheirBodyLengthsEndWithTheTable) {
  Boot();
  const auto* table = static_cast<const std::uint8_t*>(PluginSymbol("FormTable"));
  ASSERT_NE(table, nullptr);
  std::uint32_t size = 0;
  std::memcpy(&size, table, sizeof size);
  EXPECT_EQ(size, 937u);

  struct Walked {
    std::uint16_t id, body_length, items;
    bool operator==(const Walked&) const = default;
  };
  std::vector<Walked> walked;
  std::size_t at = 4;
  while (at < 4 + size && walked.size() < 10) {
    const std::uint8_t* record = table + at;
    walked.push_back({U16(record + 4 + 2), U16(record), U16(record + 2)});  // the header item's code
    at += 4 + U16(record);
  }
  EXPECT_EQ(at, 4u + size);
  EXPECT_EQ(walked, (std::vector<Walked>{{1000, 278, 6}, {1001, 120, 2}, {1003, 256, 5}, {1002, 267, 5}}));

  // The host's reading agrees item by item: every form's items add up to its body length.
  const simhost::FormTableReading reading = simhost::ReadFormTable(table);
  EXPECT_EQ(reading.error, "");
  ASSERT_EQ(reading.forms.size(), 4u);

  // The two date fields of form 1003 are 43 bytes each and differ only in x.
  const simhost::Form& dates = reading.forms[2];
  ASSERT_EQ(dates.items.size(), 5u);
  const simhost::FormItem& from = dates.items[1];
  const simhost::FormItem& to = dates.items[3];
  EXPECT_EQ(from.length, 43u);
  EXPECT_EQ(to.length, 43u);
  EXPECT_EQ(from.x, 17);
  EXPECT_EQ(to.x, 45);
  const std::uint8_t* from_bytes = table + 4 + dates.offset + 4 + dates.header.length + dates.items[0].length;
  const std::uint8_t* to_bytes = from_bytes + from.length + dates.items[2].length;
  std::vector<std::uint8_t> from_copy(from_bytes, from_bytes + 43);
  std::vector<std::uint8_t> to_copy(to_bytes, to_bytes + 43);
  from_copy[4 + 8] = to_copy[4 + 8] = 0;  // x, inside the common part after kind and ext_length
  EXPECT_EQ(from_copy, to_copy);
  EXPECT_EQ(U16(from_bytes + 4 + 8), 17);
  EXPECT_EQ(U16(to_bytes + 4 + 8), 45);

  // In form 1002 the INSERT button goes to the key handler (0x0080), the OK button ends the form.
  const simhost::Form& list = reading.forms[3];
  EXPECT_EQ(list.items[3].item_code, 0x5200);
  EXPECT_NE(list.items[3].flags & 0x0080, 0);
  EXPECT_EQ(list.items[4].item_code, 0x5001);
  EXPECT_EQ(list.items[4].flags & 0x0080, 0);
}

TEST_F(FormTableTest, ThePluginHandsItsTableToTheFormEngine) {
  simhost::Host& host = BootAndStart();
  std::vector<std::pair<const void*, std::int32_t>> runs;
  host.interactive_forms = [&](const void* table, std::int32_t id, void*, FormKeyHandler, FormRowProvider) {
    runs.emplace_back(table, id);
    return id == 1003 ? 0x5001 : 0x011B;
  };
  Transfer();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0], std::make_pair(static_cast<const void*>(PluginSymbol("FormTable")), 1003));
  EXPECT_EQ(runs[1].first, runs[0].first);
  EXPECT_EQ(runs[1].second, 1002);
}

TEST_F(FormTableTest, TheEngineStoresTheDatesInTheSlotsOfTheEditFields) {
  simhost::Config config;
  config.forms = {Pick({}, true, "20240102", "20241230"), LeaveDates()};
  simhost::Host& host = Boot(config);
  const void* table = PluginSymbol("FormTable");
  char buffer[20];
  std::memset(buffer, 'x', sizeof buffer);

  EXPECT_EQ(torval_ui_form_run(table, 1003, buffer, nullptr, nullptr), 0x5001);
  EXPECT_EQ(std::string(buffer, 18), std::string("20240102\0"
                                                 "20241230\0",
                                                 18));
  EXPECT_EQ(buffer[18], 'x') << "the engine wrote past the two slots";
  EXPECT_NE(torval_ui_form_run(table, 1003, buffer, nullptr, nullptr), 0x5001) << "the second script leaves";
  EXPECT_NE(torval_ui_form_run(table, 1003, buffer, nullptr, nullptr), 0x5001) << "no script left";
  EXPECT_EQ(host.form_runs, 3u);
  EXPECT_TRUE(host.violations.empty());

  // A form the table lacks is a broken promise of the plug-in.
  torval_ui_form_run(table, 1004, buffer, nullptr, nullptr);
  ASSERT_EQ(host.violations.size(), 1u);
  EXPECT_NE(host.violations[0].find("1004"), std::string::npos) << host.violations[0];
  host.violations.clear();
}

}  // namespace
}  // namespace kombrel_test

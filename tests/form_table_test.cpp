// The plug-in's form table against its documented bytes, and the simulated host's form engine running
// the forms from it.
#include <cstring>
#include <string>
#include <vector>

#include "tests/transfer_fixture.h"
// after the fixture, which brings the stream operators it uses
#include "simulated_host/forms.h"
#include "simulated_host/services.h"
#include "tests/form_table_bytes.h"
#include "tests/plugin_internals.h"

namespace kombrel_test {
namespace {

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

// Hostile records: tables 58, 67, 44 and 45 filled with content no sound host would store — texts
// without a terminator anywhere in the record, texts that fill their fields, integers at their limits,
// doubles that are not numbers, dates that are not dates, more documents than the form engine can show,
// rows outside the list, a document with no free slot — each with the outcome it must have. The host's
// watch (write_watch.cpp) holds every case to the plug-in's own memory, and under the asan preset every
// byte read outside a record is reported too.
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "tests/transfer_fixture.h"

namespace kombrel_test {
namespace {

constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();

class HostileRecords;

struct HostileCase {
  std::string name;
  std::string outcome;                              // what must happen, in words
  std::function<void(simhost::Config&)> configure;  // the host before it starts
  std::function<void(simhost::Host&)> fill;         // raw record bytes, once the plug-in has started
  std::function<void(HostileRecords&)> check;       // the outcome
  std::int32_t event = 7;                           // the hook's answer: the previous handler's
};

void PrintTo(const HostileCase& c, std::ostream* out) {
  *out << c.name;
}

// --- Records filled byte by byte ---------------------------------------------------------------------

template <class Record>
Record Filled(std::uint8_t byte) {
  Record record;
  std::memset(&record, byte, sizeof record);
  return record;
}

template <std::size_t N>
void Put(char (&field)[N], const std::string& text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), std::min(N, text.size()));
}

// An MM document of one byte throughout, but for its date, so that it is listed.
MmRecord FilledDocument(std::uint8_t byte, const std::string& date = "20240301") {
  MmRecord record = Filled<MmRecord>(byte);
  Put(record.issue_date, date);
  return record;
}

// Adds a raw document and its raw positions to the host: first in index 124, before any other.
void AddDocument(simhost::Host& host, const MmRecord& record, std::vector<MmDokRecord> positions) {
  const std::int32_t doc_id = record.doc_id;
  host.mm_records.insert(host.mm_records.begin(), record);
  host.mm_positions[doc_id] = std::move(positions);
}

// A position whose two stored prices are both `price`.
simhost::MmPosition Priced(std::string name, std::int16_t ref, std::int32_t price) {
  simhost::MmPosition position = Position(std::move(name), ref);
  position.price_odd = price;
  position.price_even = price;
  return position;
}

std::string Bytes(std::size_t count, char byte) {
  return std::string(count, byte);
}

// The text of a field up to its terminator or its end.
template <std::size_t N>
std::string Text(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

class HostileRecords : public TransferTest, public ::testing::WithParamInterface<HostileCase> {
 public:
  using TransferTest::host;
  using TransferTest::Rows;
  using TransferTest::Slot;
  using TransferTest::SlotFree;

  // The six fields of a row of form 1002, as the plug-in gave them.
  std::vector<std::string> RowFields(std::size_t row) {
    std::vector<std::string> fields;
    const std::string& text = host().list_rows.at(row);
    std::size_t begin = 0;
    for (std::size_t end; (end = text.find('\r', begin)) != std::string::npos; begin = end + 1)
      fields.push_back(text.substr(begin, end - begin));
    fields.push_back(text.substr(begin));
    return fields;
  }
  int UsedSlots() {
    int used = 0;
    for (int i = 0; i < host().slot_count; ++i)
      used += SlotFree(i) ? 0 : 1;
    return used;
  }
  std::vector<std::string> Seen() { return Messages(); }
};

const std::string kNote = "Uwaga|Proszę czekać!|512";
const std::string kFull = "Blokada|Więcej pozycji nie zmieści się w tym dokumencie !|1";

std::vector<HostileCase> Cases() {
  std::vector<HostileCase> cases;

  // --- Table 58, MM documents -------------------------------------------------------------------------
  cases.push_back(
      {"MmAll0xFF_NoDate",
       "a document of 0xFF bytes throughout, its date no date: never listed, nothing read past it",
       [](simhost::Config&) {}, [](simhost::Host& host) { AddDocument(host, Filled<MmRecord>(0xFF), {}); },
       [](HostileRecords& t) {
         EXPECT_TRUE(t.host().list_rows.empty());
         EXPECT_EQ(t.UsedSlots(), 0);
       }});
  cases.push_back(
      {"MmAll0xFF_ButItsDate",
       "no terminator in any text: each cut to its entry field (16, 120, 16), the value not a number, "
       "doc_id -1 found and collected, the warehouse -1 labelled M-1, the number cut to 14 in the slot",
       [](simhost::Config&) {},
       [](simhost::Host& host) {
         AddDocument(host, FilledDocument(0xFF), {simhost::MakeMmDokRecord(Position("Towar", 4))});
       },
       [](HostileRecords& t) {
         const std::vector<std::string> fields = t.RowFields(0);
         ASSERT_EQ(fields.size(), 6u);
         EXPECT_EQ(fields[0], "*");
         EXPECT_EQ(fields[1], Bytes(16, '\xFF'));
         EXPECT_EQ(fields[2], Bytes(120, '\xFF'));
         EXPECT_EQ(fields[3], Bytes(16, '\xFF'));
         EXPECT_TRUE(fields[4] == "nan" || fields[4] == "-nan") << fields[4];
         EXPECT_EQ(fields[5], "01.03.2024");
         EXPECT_EQ(Text(t.Slot(0).name), "Towar");
         EXPECT_EQ(Text(t.Slot(0).mm_number), Bytes(14, '\xFF'));
         EXPECT_EQ(std::string(t.Slot(0).warehouse_label), "M-1");
         EXPECT_EQ(t.Slot(0).warehouse, -1);
       }});
  cases.push_back({"MmAllA_ButItsDate",
                   "'A' throughout: texts cut to their entry fields, identifiers 0x41414141, warehouse 16705",
                   [](simhost::Config&) {},
                   [](simhost::Host& host) {
                     AddDocument(host, FilledDocument('A'), {simhost::MakeMmDokRecord(Position("Towar", 4))});
                   },
                   [](HostileRecords& t) {
                     const std::vector<std::string> fields = t.RowFields(0);
                     ASSERT_EQ(fields.size(), 6u);
                     EXPECT_EQ(fields[1], Bytes(16, 'A'));
                     EXPECT_EQ(fields[2], Bytes(120, 'A'));
                     EXPECT_EQ(fields[3], Bytes(16, 'A'));
                     EXPECT_EQ(Text(t.Slot(0).mm_number), Bytes(14, 'A'));
                     EXPECT_EQ(std::string(t.Slot(0).warehouse_label), "M16705");
                   }});
  cases.push_back(
      {"TextsExactlyFillingTheirFields",
       "every text fills its record field with no terminator: cut to 16/120/16 in the list and to "
       "120/16/5/14 in the slot",
       [](simhost::Config& c) {
         simhost::MmDocument document = Document(Bytes(17, 'N'), "20240301", 1);
         document.description = Bytes(223, 'D');
         document.dest_warehouse = Bytes(17, 'W');
         document.aux_text = Bytes(17, 'X');
         simhost::MmPosition position = Position(Bytes(121, 'n'), 1);
         position.code = Bytes(17, 'c');
         position.unit = Bytes(28, 'u');
         document.positions = {position};
         c.mm = {document};
       },
       [](simhost::Host&) {},
       [](HostileRecords& t) {
         const std::vector<std::string> fields = t.RowFields(0);
         ASSERT_EQ(fields.size(), 6u);
         EXPECT_EQ(fields[1], Bytes(16, 'N'));
         EXPECT_EQ(fields[2], Bytes(120, 'D'));
         EXPECT_EQ(fields[3], Bytes(16, 'W'));
         EXPECT_EQ(Text(t.Slot(0).name), Bytes(120, 'n'));
         EXPECT_EQ(Text(t.Slot(0).code), Bytes(16, 'c'));
         EXPECT_EQ(Text(t.Slot(0).unit), Bytes(5, 'u'));
         EXPECT_EQ(Text(t.Slot(0).mm_number), Bytes(14, 'N'));
       }});
  for (const auto& [name, value, shown] : std::vector<std::tuple<std::string, double, std::string>>{
           {"Infinite", std::numeric_limits<double>::infinity(), "inf"},
           {"MinusInfinite", -std::numeric_limits<double>::infinity(), "-inf"},
           {"Denormal", std::numeric_limits<double>::denorm_min(), "0.00"},
           {"Largest", std::numeric_limits<double>::max(), ""},
           {"LargestNegative", -std::numeric_limits<double>::max(), ""}}) {
    cases.push_back(
        {"MmValue" + name,
         "a purchase value of " + name + ": shown as " + (shown.empty() ? "all its digits" : shown),
         [value = value](simhost::Config& c) {
           c.mm = {Document(Bytes(17, 'N'), "20240301", 1)};
           c.mm[0].description = Bytes(223, 'D');
           c.mm[0].dest_warehouse = Bytes(17, 'W');
           c.mm[0].purchase_value = value;
           c.forms = {Pick({})};
         },
         [](simhost::Host&) {},
         [shown = shown, value = value](HostileRecords& t) {
           const std::vector<std::string> fields = t.RowFields(0);
           ASSERT_EQ(fields.size(), 6u);
           if (!shown.empty()) {
             EXPECT_EQ(fields[4], shown);
           } else {
             char expected[400];
             std::snprintf(expected, sizeof expected, "%.2f", value * 0.0001);
             EXPECT_EQ(fields[4], expected);
           }
           EXPECT_EQ(fields[5], "01.03.2024");
         }});
  }
  cases.push_back({"MmWarehouseMinus32768", "warehouse -32768: the label M-32768 in eight bytes",
                   [](simhost::Config& c) {
                     c.mm = {Document("MM/1", "20240301", 1, {Position("Towar", 1)})};
                     c.mm[0].warehouse = -32768;
                     c.forms = {Pick({0})};
                   },
                   [](simhost::Host&) {},
                   [](HostileRecords& t) {
                     EXPECT_EQ(std::string(t.Slot(0).warehouse_label), "M-32768");
                     EXPECT_EQ(t.Slot(0).warehouse, -32768);
                   }});
  cases.push_back(
      {"MmDatesEmptyOrMalformed",
       "dates empty, with letters, out of any calendar, without a terminator: only a real date in the "
       "range is listed",
       [](simhost::Config& c) {
         c.mm = {Document("Empty", "", 1), Document("Letters", "2024AB01", 2),
                 Document("Nines", "99999999", 3), Document("Short", "2024031", 4),
                 Document("Good", "20240301", 5)};
         c.forms = {Pick({})};
       },
       [](simhost::Host& host) {
         MmRecord unterminated = FilledDocument('7');
         std::memset(unterminated.issue_date, '2', sizeof unterminated.issue_date);
         unterminated.doc_id = 6;
         AddDocument(host, unterminated, {});
       },
       [](HostileRecords& t) {
         ASSERT_EQ(t.host().list_rows.size(), 1u);
         EXPECT_EQ(t.RowFields(0)[1], "Good");
       }});
  cases.push_back({"FormDatesEmpty", "both dates of form 1003 left empty: only documents without a date",
                   [](simhost::Config& c) {
                     c.mm = {Document("Empty", "", 1, {Position("E", 1)}), Document("Good", "20240301", 2)};
                     c.forms = {Pick({0}, true, "", "")};
                   },
                   [](simhost::Host&) {},
                   [](HostileRecords& t) {
                     ASSERT_EQ(t.host().list_rows.size(), 1u);
                     EXPECT_EQ(t.RowFields(0)[1], "Empty");
                     EXPECT_EQ(Text(t.Slot(0).name), "E");
                   }});
  cases.push_back({"FormDatesMalformed", "form dates that are no dates: compared as the host compares them",
                   [](simhost::Config& c) {
                     c.mm = {Document("Odd", "ZZZZZZZZ", 1), Document("Good", "20240301", 2)};
                     c.forms = {Pick({}, true, "ZZZZZZZZ", "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF")};
                   },
                   [](simhost::Host&) {},
                   [](HostileRecords& t) {
                     ASSERT_EQ(t.host().list_rows.size(), 1u);
                     EXPECT_EQ(t.RowFields(0)[1], "Odd");
                   }});
  cases.push_back({"MmIdentifiersAtTheirLimits",
                   "doc_id and aux_id at INT32_MIN, INT32_MAX and -1 are listed and searched; 0 in either is "
                   "never listed",
                   [](simhost::Config& c) {
                     c.mm = {Document("Min", "20240301", kMin32, {Position("Min", 1)}),
                             Document("Max", "20240302", kMax32, {Position("Max", 1)}),
                             Document("Minus1", "20240303", -1, {Position("Minus1", 1)}),
                             Document("AuxMin", "20240304", 4, {Position("AuxMin", 1)}),
                             Document("NoDoc", "20240305", 0, {Position("NoDoc", 1)}),
                             Document("NoAux", "20240306", 6, {Position("NoAux", 1)})};
                     c.mm[3].aux_id = kMin32;
                     c.mm[5].aux_id = 0;
                     c.forms = {Pick({0, 1, 2, 3})};
                   },
                   [](simhost::Host&) {},
                   [](HostileRecords& t) {
                     EXPECT_EQ(t.host().list_rows.size(), 4u);
                     EXPECT_EQ(Text(t.Slot(0).name), "Min");
                     EXPECT_EQ(Text(t.Slot(1).name), "Max");
                     EXPECT_EQ(Text(t.Slot(2).name), "Minus1");
                     EXPECT_EQ(Text(t.Slot(3).name), "AuxMin");
                     EXPECT_EQ(t.UsedSlots(), 4);
                   }});
  cases.push_back(
      {"MoreThan32767MmDocuments",
       "40,000 documents in the range: all listed and sorted, the form engine shows its 32,767 rows, "
       "and the rows marked there are collected",
       [](simhost::Config& c) {
         c.journal = false;
         // Dates the host sorts as numbers (it checks digits only), in the reverse of index 124's order.
         for (int i = 0; i < 40000; ++i) {
           const int id = i + 1;
           c.mm.push_back(Document("MM/" + std::to_string(id), std::to_string(20040000 - i), id,
                                   {Position("D" + std::to_string(id), 1)}));
         }
         c.forms = {Pick({0, 32766}, true, "20000000", "20100000")};
       },
       [](simhost::Host&) {},
       [](HostileRecords& t) {
         EXPECT_EQ(t.host().list_rows.size(), 32767u);
         EXPECT_EQ(t.RowFields(0)[1], "MM/40000") << "the earliest date first";
         EXPECT_EQ(Text(t.Slot(0).name), "D40000");
         EXPECT_EQ(Text(t.Slot(1).name), "D7234");
         EXPECT_EQ(t.UsedSlots(), 2);
       }});
  cases.push_back(
      {"CurrentRowOutsideTheList",
       "Insert with the list's current row at -1, at the count, at 32767 and -32768: no mark changes, "
       "the cursor goes to the first row, nothing is collected",
       [](simhost::Config& c) {
         c.mm = {Document("MM/1", "20240301", 1, {Position("A", 1)}),
                 Document("MM/2", "20240302", 2, {Position("B", 1)})};
         c.forms = {Pick({-1, 2, 32767, -32768})};
       },
       [](simhost::Host&) {},
       [](HostileRecords& t) {
         EXPECT_EQ(t.host().list_current_row, 0);
         EXPECT_EQ(t.RowFields(0)[0], " ");
         EXPECT_EQ(t.RowFields(1)[0], " ");
         EXPECT_EQ(t.UsedSlots(), 0);
         EXPECT_EQ(t.Seen(), std::vector<std::string>{kNote});
       }});

  // --- Table 67, MM positions, and table 44's price selector ----------------------------------------
  cases.push_back(
      {"MmDokAll0xFF",
       "positions of 0xFF throughout (ref -1, quantity -1, prices -1) under a header of 0xFF (selector -1, "
       "odd): collected, texts cut to 120/16/5, price -0.01",
       [](simhost::Config&) {},
       [](simhost::Host& host) {
         MmRecord document = FilledDocument(0, "20240301");
         document.doc_id = 5;
         document.aux_id = 5;
         MmDokRecord position = Filled<MmDokRecord>(0xFF);
         position.price_even = 999;  // never taken: the selector is odd
         AddDocument(host, document, {position});
         *host.sales_header() = Filled<TsprRecord>(0xFF);
       },
       [](HostileRecords& t) {
         const TsprDokRecord& slot = t.Slot(0);
         EXPECT_EQ(Text(slot.name), Bytes(120, '\xFF'));
         EXPECT_EQ(Text(slot.code), Bytes(16, '\xFF'));
         EXPECT_EQ(Text(slot.unit), Bytes(5, '\xFF'));
         EXPECT_EQ(slot.quantity, -1);
         EXPECT_EQ(slot.attribute, -1);
         EXPECT_EQ(slot.ref, -1);
         EXPECT_EQ(double{slot.price}, -0.01);
       }});
  cases.push_back({"MmDokAllA",
                   "positions of 'A' throughout: collected with quantity, ref and price from their bytes",
                   [](simhost::Config&) {},
                   [](simhost::Host& host) {
                     MmRecord document = FilledDocument(0, "20240301");
                     document.doc_id = 5;
                     document.aux_id = 5;
                     AddDocument(host, document, {Filled<MmDokRecord>('A')});
                   },
                   [](HostileRecords& t) {
                     const TsprDokRecord& slot = t.Slot(0);
                     EXPECT_EQ(Text(slot.name), Bytes(120, 'A'));
                     EXPECT_EQ(slot.quantity, 0x41414141);
                     EXPECT_EQ(slot.ref, 0x4141);
                     EXPECT_EQ(double{slot.price}, 0x41414141 / 100.0);
                   }});
  cases.push_back(
      {"QuantitiesAtTheirLimits",
       "INT32_MAX and INT32_MIN twice each: no sum overflows, each second one takes a slot of its own",
       [](simhost::Config& c) {
         c.mm = {Document("MM/1", "20240301", 1,
                          {Position("Max", 1, kMax32), Position("Max", 1, kMax32), Position("Min", 2, kMin32),
                           Position("Min", 2, kMin32), Position("One", 2, 1)})};
         c.forms = {Pick({0})};
       },
       [](simhost::Host&) {},
       [](HostileRecords& t) {
         EXPECT_EQ(t.Slot(0).quantity, kMax32);
         EXPECT_EQ(t.Slot(1).quantity, kMax32);
         EXPECT_EQ(t.Slot(2).quantity, kMin32 + 1) << "a quantity of 1 still fits the first minimum";
         EXPECT_EQ(t.Slot(3).quantity, kMin32);
         EXPECT_EQ(t.UsedSlots(), 4);
       }});
  cases.push_back({"PricesAtTheirLimits",
                   "stored prices INT32_MIN and INT32_MAX: scaled exactly, and equal ones merge",
                   [](simhost::Config& c) {
                     c.mm = {Document("MM/1", "20240301", 1,
                                      {Priced("Min", 1, kMin32), Priced("Min", 1, kMin32),
                                       Priced("Max", 2, kMax32), Priced("Max", 2, kMax32)})};
                     c.forms = {Pick({0})};
                   },
                   [](simhost::Host&) {},
                   [](HostileRecords& t) {
                     EXPECT_EQ(double{t.Slot(0).price}, kMin32 / 100.0);
                     EXPECT_EQ(double{t.Slot(1).price}, kMax32 / 100.0);
                     EXPECT_EQ(t.Slot(0).quantity, 2);
                     EXPECT_EQ(t.Slot(1).quantity, 2);
                   }});
  for (const auto& [name, price, outcome] : std::vector<std::tuple<std::string, double, std::string>>{
           {"NaN", std::numeric_limits<double>::quiet_NaN(), "never merges: each takes a slot"},
           {"Infinite", std::numeric_limits<double>::infinity(), "never merges, not even with itself"},
           {"Denormal", std::numeric_limits<double>::denorm_min(), "merges: within the tolerance"}}) {
    cases.push_back({"CollectedPrice" + name, "a price of " + name + " from the host's num_scale " + outcome,
                     [price = price](simhost::Config& c) {
                       c.mm = {Document("MM/1", "20240301", 1, {Position("P", 1), Position("P", 1)})};
                       c.forms = {Pick({0})};
                       c.faults.num_scale_result = price;
                     },
                     [](simhost::Host&) {},
                     [merges = name == "Denormal"](HostileRecords& t) {
                       EXPECT_EQ(t.UsedSlots(), merges ? 1 : 2);
                       EXPECT_EQ(t.Slot(0).quantity, merges ? 2 : 1);
                     }});
  }

  // --- Table 45, the sales document -------------------------------------------------------------------
  cases.push_back({"SlotPricesNaNInfiniteDenormal",
                   "equal slots priced NaN, +inf and -inf never take the position; the denormal one does",
                   [](simhost::Config& c) {
                     c.mm = {Document("MM/1", "20240301", 1, {Position("P", 1, 3, 0)})};
                     c.forms = {Pick({0})};
                     const double prices[] = {
                         std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                         -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::denorm_min()};
                     for (int i = 0; i < 4; ++i) {
                       simhost::SalesPosition slot;
                       slot.slot = i;
                       slot.name = "S" + std::to_string(i);
                       slot.price = prices[i];
                       slot.mm_number = "MM/1";
                       slot.warehouse = 1;
                       slot.ref = 1;
                       c.sales.push_back(slot);
                     }
                   },
                   [](simhost::Host&) {},
                   [](HostileRecords& t) {
                     EXPECT_EQ(t.Slot(0).quantity, 1);
                     EXPECT_EQ(t.Slot(1).quantity, 1);
                     EXPECT_EQ(t.Slot(2).quantity, 1);
                     EXPECT_EQ(t.Slot(3).quantity, 4);
                     EXPECT_EQ(t.UsedSlots(), 4);
                   }});
  cases.push_back(
      {"SlotsAllUsed0xFF",
       "every slot a record of 0xFF bytes (used, its MM number unterminated): \"Blokada\", no slot written",
       [](simhost::Config& c) {
         c.mm = {Document("MM/1", "20240301", 1, {Position("P", 1)})};
         c.forms = {Pick({0})};
       },
       [](simhost::Host& host) {
         for (TsprDokRecord* slot : host.slots)
           *slot = Filled<TsprDokRecord>(0xFF);
       },
       [](HostileRecords& t) {
         EXPECT_EQ(t.Seen(), (std::vector<std::string>{kNote, kFull}));
         EXPECT_EQ(Text(t.Slot(0).name), Bytes(121, '\xFF'));
       }});
  cases.push_back({"SlotsAllUsed40000",
                   "40,000 used slots and none equal: \"Blokada\", none written, the run goes on",
                   [](simhost::Config& c) {
                     c.journal = false;
                     c.slot_count = 40000;
                     c.mm = {Document("MM/1", "20240301", 1, {Position("P", 1), Position("Q", 2)})};
                     c.forms = {Pick({0})};
                   },
                   [](simhost::Host& host) {
                     for (TsprDokRecord* slot : host.slots)
                       slot->used_mark = 1;
                   },
                   [](HostileRecords& t) {
                     EXPECT_EQ(t.Seen(), (std::vector<std::string>{kNote, kFull}));
                     EXPECT_EQ(t.UsedSlots(), 40000);
                   }});
  cases.push_back({"SlotCountNegative", "a slot count of -5: no slot is looked at, \"Blokada\"",
                   [](simhost::Config& c) {
                     c.slot_count = -5;
                     c.mm = {Document("MM/1", "20240301", 1, {Position("P", 1)})};
                     c.forms = {Pick({0})};
                   },
                   [](simhost::Host&) {},
                   [](HostileRecords& t) {
                     EXPECT_EQ(t.Seen(), (std::vector<std::string>{kNote, kFull}));
                   }});
  return cases;
}

TEST_P(HostileRecords, AreSurvivedAndCutSoundly) {
  const HostileCase& c = GetParam();
  SCOPED_TRACE(c.outcome);
  simhost::Config config;
  c.configure(config);
  if (config.forms.empty()) config.forms = {Pick({0})};
  simhost::Host& host = BootAndStart(config);
  c.fill(host);
  EXPECT_EQ(Transfer(), c.event);
  c.check(*this);
  EXPECT_EQ(host.chained.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Records, HostileRecords, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace kombrel_test

// Merge and insertion: equal positions raise a slot's quantity, others take the first free slot, a full
// document stops the run with a message, and the host brings the document up to date at the end.
#include <dlfcn.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "tests/transfer_fixture.h"
// after the fixture, which brings the stream operators it uses
#include "tests/plugin_internals.h"

namespace kombrel_test {
namespace {

using MergeTest = TransferTest;

// A used slot holding what the position `ref` of the MM document "MM/1" of warehouse 1 makes.
simhost::SalesPosition UsedSlot(std::int32_t slot, std::int16_t ref, double price,
                                std::int32_t quantity = 10) {
  simhost::SalesPosition position;
  position.slot = slot;
  position.name = "W" + std::to_string(slot);
  position.quantity = quantity;
  position.price = price;
  position.mm_number = "MM/1";
  position.warehouse = 1;
  position.ref = ref;
  return position;
}

// One marked MM document "MM/1" (warehouse 1) with these positions, and a document of `slots` slots.
simhost::Config OneDocument(std::vector<simhost::MmPosition> positions, std::int32_t slots = 10) {
  simhost::Config config;
  config.slot_count = slots;
  config.mm = {Document("MM/1", "20240201", 1, std::move(positions))};
  config.forms = {Pick({0})};
  return config;
}

TEST_F(MergeTest, AWholeRunCallsTheHostInItsOrder) {
  simhost::Config config = OneDocument({Position("Śruba M6", 4, 2, 1250)}, 2);
  simhost::Host& host = BootAndStart(config);
  const std::size_t first = host.calls.size();
  simhost::EventParameters parameters;
  parameters.browse_value = 0xFFFE;  // handed on widened with its sign

  EXPECT_EQ(Transfer(parameters), 7);

  EXPECT_EQ(
      CallsFrom(first),
      (std::vector<std::string>{
          "od_table(188)",
          // the date range and the list
          "ui_form_run(1003)", "od_table(58)", "od_set_flags(58,255)", "od_make_key(124)",
          "od_scan_first(124)", "od_scan_next", "str_date_compare", "str_date_compare", "mem_realloc(6270)",
          "str_date_format", "od_scan_next", "od_scan_end", "ui_message", "ui_message_close",
          "ui_form_run(1002)", "ui_form_item_value", "ui_form_item_value",
          // the collection
          "od_table(58)", "od_table(67)", "od_table(44)", "od_set_flags(44,106)", "od_set_flags(58,106)",
          "od_set_flags(67,255)", "od_make_key(125)", "od_search(125)", "od_fseek(0)", "mem_realloc(89500)",
          "str_copy_n", "str_copy_n", "str_copy_n", "str_copy_n", "num_scale", "od_result_free",
          // the merge and insertion
          "od_table(44)", "od_set_flags(44,106)", "str_copy_n", "str_copy_n", "str_copy_n", "str_copy_n",
          "doc_position_recalc", "doc_totals_recalc", "ui_browse_refresh(-2,134744072)",
          // the run's buffers
          "mem_free", "mem_free"}));

  const TsprDokRecord& slot = Slot(0);
  EXPECT_EQ(Utf8(slot.name), "Śruba M6");
  EXPECT_EQ(Utf8(slot.code), "K-4");
  EXPECT_EQ(slot.quantity, 2);
  EXPECT_EQ(Utf8(slot.unit), "szt");
  EXPECT_EQ(slot.attribute, 0);
  EXPECT_EQ(std::string(slot.warehouse_label), "M1");
  EXPECT_EQ(double{slot.price}, 12.5);  // a packed field, read by value
  EXPECT_EQ(Utf8(slot.mm_number), "MM/1");
  EXPECT_EQ(slot.warehouse, 1);
  EXPECT_EQ(slot.ref, 4);
  EXPECT_EQ(slot.run_index, 0);
  EXPECT_TRUE(SlotFree(1));
  EXPECT_EQ(TableCurrentRowOffset(host.table(45)), 0);
  ASSERT_EQ(host.chained.size(), 1u);
  EXPECT_EQ(host.chained[0].event, 235);
}

struct PriceCase {
  const char* name;
  double slot_price;
  std::int32_t collected;  // hundredths
  bool merges;
};

// By name: printed byte by byte, the case's padding would be read uninitialised.
void PrintTo(const PriceCase& c, std::ostream* out) {
  *out << c.name;
}

class MergePrice : public TransferTest, public ::testing::WithParamInterface<PriceCase> {};

TEST_P(MergePrice, PricesWithinTheToleranceMerge) {
  simhost::Config config = OneDocument({Position("Śruba", 4, 3, GetParam().collected)});
  config.sales = {UsedSlot(0, 4, GetParam().slot_price, 10)};
  BootAndStart(config);
  Transfer();
  if (GetParam().merges) {
    EXPECT_EQ(Slot(0).quantity, 13);
    EXPECT_TRUE(SlotFree(1));
    EXPECT_EQ(RunCount("doc_position_recalc"), 1);
  } else {
    EXPECT_EQ(Slot(0).quantity, 10);
    EXPECT_EQ(Slot(1).quantity, 3);
    EXPECT_EQ(double{Slot(1).price}, GetParam().collected / 100.0);
  }
  const double slot_price = Slot(0).price;
  EXPECT_EQ(std::memcmp(&slot_price, &GetParam().slot_price, sizeof slot_price), 0)
      << "a merge leaves the slot's price";
}

INSTANTIATE_TEST_SUITE_P(Prices, MergePrice,
                         ::testing::Values(PriceCase{"Equal", 12.5, 1250, true},
                                           PriceCase{"JustInside", 12.500005, 1250, true},
                                           PriceCase{"Outside", 12.5001, 1250, false},
                                           PriceCase{"OnTheBound", 0.00001, 0, false},
                                           PriceCase{"NotANumber", std::nan(""), 1250, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MergeTest, EqualPositionsOfARunMergeIntoTheFirst) {
  BootAndStart(OneDocument({Position("Śruba", 4, 3, 1250), Position("Śruba", 4, 4, 1250)}));
  Transfer();
  EXPECT_EQ(Slot(0).quantity, 7);
  EXPECT_TRUE(SlotFree(1));
}

TEST_F(MergeTest, EachKeyFieldKeepsPositionsApart) {
  simhost::Config config = OneDocument({Position("A", 4, 1, 1250), Position("B", 5, 1, 1250)});
  config.mm[0].positions[1].ref = 4;
  config.mm[0].positions[1].attribute = 2;  // the same but for the attribute
  config.mm.push_back(Document("MM/2", "20240202", 2, {Position("C", 4, 1, 1250)}));  // another document
  config.mm.push_back(
      Document("MM/1", "20240203", 3, {Position("D", 4, 1, 1250)}));  // its number, another warehouse
  config.mm[2].warehouse = 2;
  config.forms = {Pick({0, 1, 2})};
  BootAndStart(config);
  Transfer();
  EXPECT_EQ(SlotName(0), "A");
  EXPECT_EQ(SlotName(1), "B");
  EXPECT_EQ(SlotName(2), "C");
  EXPECT_EQ(SlotName(3), "D");
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(Slot(i).quantity, 1);
}

struct QuantityCase {
  const char* name;
  std::int32_t first_slot;  // quantities of two equal slots
  std::int32_t second_slot;
  std::int32_t collected;
  std::vector<std::int32_t> after;  // quantities of slots 0, 1, 2 afterwards (slot 2 is free before)
};

void PrintTo(const QuantityCase& c, std::ostream* out) {
  *out << c.name;
}

class MergeQuantity : public TransferTest, public ::testing::WithParamInterface<QuantityCase> {};

// A slot whose quantity would leave the 32-bit range takes no more: the next equal slot does, and
// without one the position is inserted as a new one.
TEST_P(MergeQuantity, NoQuantityOverflows) {
  const QuantityCase& c = GetParam();
  simhost::Config config = OneDocument({Position("Śruba", 4, c.collected, 1250)});
  config.sales = {UsedSlot(0, 4, 12.5, c.first_slot), UsedSlot(1, 4, 12.5, c.second_slot)};
  BootAndStart(config);
  Transfer();
  EXPECT_EQ((std::vector<std::int32_t>{Slot(0).quantity, Slot(1).quantity, Slot(2).quantity}), c.after);
}

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Quantities, MergeQuantity,
    ::testing::Values(QuantityCase{"FitsExactly", kMax - 5, 1, 5, {kMax, 1, 0}},
                      QuantityCase{"GoesToTheNextSlot", kMax - 4, 1, 5, {kMax - 4, 6, 0}},
                      QuantityCase{"InsertedWhenNoSlotTakesIt", kMax, kMax - 1, 5, {kMax, kMax - 1, 5}},
                      QuantityCase{"NegativeFitsExactly", kMin + 5, 1, -5, {kMin, 1, 0}},
                      QuantityCase{"NegativeInserted", kMin, kMin + 4, -5, {kMin, kMin + 4, -5}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MergeTest, AFullDocumentStopsAtTheFirstPositionThatDoesNotMerge) {
  simhost::Config config = OneDocument(
      {Position("Śruba", 1, 2, 1000), Position("Nowa", 7, 1, 1000), Position("Śruba", 2, 3, 1000)}, 3);
  config.sales = {UsedSlot(0, 1, 10.0), UsedSlot(1, 2, 10.0), UsedSlot(2, 3, 10.0)};
  simhost::Host& host = BootAndStart(config);
  EXPECT_EQ(Transfer(), 7);
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"Uwaga|Proszę czekać!|512",
                                      "Blokada|Więcej pozycji nie zmieści się w tym dokumencie !|1"}));
  EXPECT_EQ(Slot(0).quantity, 12) << "the merge before the stop stays";
  EXPECT_EQ(Slot(1).quantity, 10) << "no position after the stop is looked at";
  EXPECT_EQ(Slot(2).quantity, 10);
  EXPECT_EQ(RunCount("doc_totals_recalc"), 1);
  EXPECT_EQ(RunCount("ui_browse_refresh"), 1);
  EXPECT_EQ(host.chained.size(), 1u);
}

TEST_F(MergeTest, OneFreeSlotTakesTheFirstOfThreeNewPositions) {
  simhost::Config config = OneDocument(Positions(3, 11), 3);
  config.sales = {UsedSlot(0, 1, 10.0), UsedSlot(2, 3, 10.0)};
  simhost::Host& host = BootAndStart(config);
  Transfer();
  EXPECT_EQ(SlotName(1), "P0");
  EXPECT_EQ(Slot(1).run_index, 0);
  EXPECT_EQ(Messages().back(), "Blokada|Więcej pozycji nie zmieści się w tym dokumencie !|1");
  EXPECT_EQ(Messages().size(), 2u) << "the note and one Blokada";
  EXPECT_EQ(RunCount("doc_position_recalc"), 2) << "the first and the one that found no slot";
  EXPECT_EQ(SlotName(0), "W0");
  EXPECT_EQ(SlotName(2), "W2");
  EXPECT_EQ(TableCurrentRowOffset(host.table(45)), 1);
}

TEST_F(MergeTest, ASlotWithOnlyItsSecondMarkIsNotFree) {
  simhost::Config config = OneDocument({Position("Nowa", 7)}, 3);
  config.sales = {UsedSlot(0, 0, 10.0)};
  config.sales[0].used_mark = 1;  // reference 0, but in use
  BootAndStart(config);
  Transfer();
  EXPECT_EQ(SlotName(0), "W0");
  EXPECT_EQ(SlotName(1), "Nowa");
}

TEST_F(MergeTest, TheWarehouseLabelCarriesItsNumber) {
  simhost::Config config;
  config.mm = {Document("MM/1", "20240201", 1, {Position("A", 1)}),
               Document("MM/2", "20240202", 2, {Position("B", 1)}),
               Document("MM/3", "20240203", 3, {Position("C", 1)})};
  config.mm[0].warehouse = 3;
  config.mm[1].warehouse = -1;
  config.mm[2].warehouse = -32768;
  config.forms = {Pick({0, 1, 2})};
  BootAndStart(config);
  Transfer();
  EXPECT_EQ(std::string(Slot(0).warehouse_label), "M3");
  EXPECT_EQ(std::string(Slot(1).warehouse_label), "M-1");
  EXPECT_EQ(std::string(Slot(2).warehouse_label), "M-32768");
  EXPECT_EQ(Slot(1).warehouse, -1);
}

TEST_F(MergeTest, TheRunIndexCountsEveryCollectedPosition) {
  std::vector<simhost::MmPosition> positions = {Position("A", 1), Position("A", 1), Position("B", 2),
                                                Position("C", 3), Position("D", 4)};
  BootAndStart(OneDocument(positions));
  Transfer();
  EXPECT_EQ(Slot(0).quantity, 2) << "the second position merged";
  EXPECT_EQ(
      (std::vector<std::int16_t>{Slot(0).run_index, Slot(1).run_index, Slot(2).run_index, Slot(3).run_index}),
      (std::vector<std::int16_t>{0, 2, 3, 4}));
  EXPECT_EQ(SlotName(3), "D");
}

TEST_F(MergeTest, AFreeSlotBelowTheRowBaseGivesANegativeRowOffset) {
  simhost::Config config = OneDocument({Position("Nowa", 7)});
  config.row_base = 5;
  config.current_row_offset = 1;
  for (int i = 0; i < 10; ++i) {
    if (i != 2) config.sales.push_back(UsedSlot(i, static_cast<std::int16_t>(20 + i), 1.0));
  }
  simhost::Host& host = BootAndStart(config);
  Transfer();
  EXPECT_EQ(SlotName(2), "Nowa");
  EXPECT_EQ(TableCurrentRowOffset(host.table(45)), -3);
}

// Slot indexes are 32-bit: a document of more than 32,767 slots is searched and filled whole.
TEST_F(MergeTest, ADocumentOfMoreThan32767SlotsIsHandledWhole) {
  simhost::Config config = OneDocument({Position("Stara", 9, 5, 1000), Position("Nowa", 7, 1, 1000)}, 40000);
  config.journal = false;
  for (int i = 0; i < 39000; ++i)
    config.sales.push_back(UsedSlot(i, static_cast<std::int16_t>(i % 2 == 0 ? 1 : 2), 1.0));
  config.sales.push_back(UsedSlot(35000, 9, 10.0));  // the equal slot, beyond 32,767
  simhost::Host& host = BootAndStart(config);
  Transfer();
  EXPECT_EQ(Slot(35000).quantity, 15);
  EXPECT_EQ(SlotName(39000), "Nowa");
  EXPECT_EQ(TableCurrentRowOffset(host.table(45)), 39000);
  EXPECT_EQ(host.messages.size(), 1u) << "the note only";
}

TEST_F(MergeTest, WithoutTable44NothingChangesAndTheEventStops) {
  simhost::Config config = OneDocument({Position("Nowa", 7)});
  config.faults.od_table_after[44] = 1;  // the load check's request succeeds
  simhost::Host& host = BootAndStart(config);
  EXPECT_EQ(Transfer(), 0);
  const std::string disk_error = "Błąd|Błąd operacji dyskowej w PobierzPozDokumentu!|1";
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Uwaga|Proszę czekać!|512", disk_error, disk_error}));
  EXPECT_TRUE(SlotFree(0));
  EXPECT_EQ(RunCount("doc_totals_recalc"), 0);
  EXPECT_EQ(RunCount("ui_browse_refresh"), 0);
  EXPECT_TRUE(host.chained.empty());
  EXPECT_EQ(host.calls.back(), "mem_free") << "the list is released all the same";

  // The next run starts empty: leaving its dates inserts nothing.
  host.config.forms.push_back(LeaveDates());
  EXPECT_EQ(Transfer(), 0);
  EXPECT_TRUE(SlotFree(0));
}

TEST_F(MergeTest, AnEmptyCollectionStillBringsTheDocumentUpToDate) {
  simhost::Config config = OneDocument({});
  config.sales = {UsedSlot(0, 1, 1.0)};
  simhost::Host& host = BootAndStart(config);
  const TsprDokRecord before = Slot(0);
  EXPECT_EQ(Transfer(), 7);
  EXPECT_EQ(std::memcmp(&before, &Slot(0), sizeof before), 0);
  EXPECT_EQ(RunCount("doc_totals_recalc"), 1);
  EXPECT_EQ(RunCount("ui_browse_refresh"), 1);
  EXPECT_EQ(host.chained.size(), 1u);
}

TEST_F(MergeTest, PrawieZeroIsStrictlyInsideTheTolerance) {
  Boot();
  using Fn = std::int32_t (*)(double);
  auto prawie_zero = reinterpret_cast<Fn>(PluginSymbol("_Z10PrawieZerod"));
  ASSERT_NE(prawie_zero, nullptr);
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<std::pair<double, std::int32_t>> cases = {
      {0.0, 1},    {-0.0, 1}, {9.99e-06, 1}, {-9.99e-06, 1}, {1e-05, 0},
      {-1e-05, 0}, {0.5, 0},  {inf, 0},      {-inf, 0},      {std::nan(""), 0}};
  for (const auto& [x, expected] : cases)
    EXPECT_EQ(prawie_zero(x), expected) << x;
}

}  // namespace
}  // namespace kombrel_test

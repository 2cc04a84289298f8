// Position collection: the positions of the marked MM documents with their prices, the growth of the
// array, and the failures that end one document's collection.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/transfer_fixture.h"

namespace kombrel_test {
namespace {

using CollectionTest = TransferTest;

struct PriceCase {
  std::int16_t selector;
  double price;
};

// By value: printed byte by byte, the case's padding would be read uninitialised.
void PrintTo(const PriceCase& c, std::ostream* out) {
  *out << c.selector;
}

class CollectionPrice : public TransferTest, public ::testing::WithParamInterface<PriceCase> {};

TEST_P(CollectionPrice, TheHeadersSelectorPicksThePrice) {
  simhost::Config config;
  config.price_selector = GetParam().selector;
  simhost::MmPosition position = Position("Śruba", 5);
  position.price_odd = 1234;
  position.price_even = 5678;
  config.mm = {Document("MM/1", "20240201", 1, {position, position})};
  config.mm[0].positions[1].ref = 6;
  config.forms = {Pick({0})};
  BootAndStart(config);
  Transfer();
  EXPECT_EQ(double{Slot(0).price}, GetParam().price);  // a packed field, read by value
  EXPECT_EQ(double{Slot(1).price}, GetParam().price);
  EXPECT_EQ(RunCount("num_scale"), 2);
}

INSTANTIATE_TEST_SUITE_P(Selectors, CollectionPrice,
                         ::testing::Values(PriceCase{3, 1234.0 / 100}, PriceCase{-1, 1234.0 / 100},
                                           PriceCase{0, 5678.0 / 100}, PriceCase{2, 5678.0 / 100}),
                         [](const auto& info) {
                           const int selector = info.param.selector;
                           return selector < 0 ? "Minus" + std::to_string(-selector)
                                               : std::to_string(selector);
                         });

TEST_F(CollectionTest, OnlyMarkedDocumentsAreCollectedInListOrder) {
  simhost::Config config;
  config.mm = {Document("MM/B", "20240210", 2, {Position("B1", 1), Position("B2", 2)}),
               Document("MM/A", "20240205", 1, {Position("A1", 1)}),
               Document("MM/C", "20240220", 3, {Position("C1", 1)})};
  config.forms = {Pick({0, 1})};  // the list shows A, B, C: A and B are marked
  BootAndStart(config);
  Transfer();
  EXPECT_EQ(SlotName(0), "A1");
  EXPECT_EQ(SlotName(1), "B1");
  EXPECT_EQ(SlotName(2), "B2");
  EXPECT_TRUE(SlotFree(3));
  EXPECT_EQ(RunCount("od_search"), 2);
}

TEST_F(CollectionTest, NothingMarkedMeansNoTableIsAskedAndNothingAllocated) {
  simhost::Config config;
  config.mm = {Document("MM/1", "20240201", 1, Positions(3))};
  config.forms = {Pick({})};
  BootAndStart(config);
  Transfer();
  EXPECT_EQ(RunCount("od_table(67)"), 0);
  EXPECT_EQ(RunCount("mem_realloc"), 1) << "the list only";
  EXPECT_TRUE(SlotFree(0));
}

TEST_F(CollectionTest, DocumentsWithoutPositionsContributeNothingSilently) {
  simhost::Config config;
  config.mm = {Document("MM/1", "20240201", 1, Positions(2)),  // no search result at all
               Document("MM/2", "20240202", 2),                // a result with nothing in it
               Document("MM/3", "20240203", 3, Positions(2)),  // only empty positions
               Document("MM/4", "20240204", 4, {Position("D1", 7)})};
  for (simhost::MmPosition& position : config.mm[2].positions)
    position.ref = 0;
  config.faults.od_search_zero_handle = {1};
  config.forms = {Pick({0, 1, 2, 3})};
  BootAndStart(config);
  Transfer();
  EXPECT_EQ(Messages(), std::vector<std::string>{"Uwaga|Proszę czekać!|512"});
  EXPECT_EQ(RunCount("od_search"), 4);
  EXPECT_EQ(RunCount("od_result_free"), 3) << "every result but the missing one is released";
  EXPECT_EQ(RunCount("mem_realloc(89500)"), 1) << "empty positions cause no growth";
  EXPECT_EQ(SlotName(0), "D1");
  EXPECT_TRUE(SlotFree(1));
}

TEST_F(CollectionTest, AFailedSeekKeepsTheEarlierPositionsAndReleasesTheResult) {
  simhost::Config config;
  config.mm = {Document("MM/1", "20240201", 1, Positions(4)),
               Document("MM/2", "20240202", 2, {Position("X", 9)})};
  config.faults.od_fseek = {{1, 2}};
  config.forms = {Pick({0, 1})};
  BootAndStart(config);
  Transfer();
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Uwaga|Proszę czekać!|512",
                                                  "uwaga|Błąd w od_fseek w PobierzPozDokumentu|1"}));
  EXPECT_EQ(SlotName(0), "P0");
  EXPECT_EQ(SlotName(1), "P1");
  EXPECT_EQ(SlotName(2), "X") << "the next document is collected";
  EXPECT_TRUE(SlotFree(3));
  EXPECT_EQ(RunCount("od_fseek"), 3 + 1);
  EXPECT_EQ(RunCount("od_result_free"), 2);
}

TEST_F(CollectionTest, WithoutATableEveryMarkedDocumentReportsTheDiskError) {
  simhost::Config config;
  config.mm = {Document("MM/1", "20240201", 1, Positions(1)), Document("MM/2", "20240202", 2, Positions(1))};
  config.faults.od_table_after[67] = 1;  // the load check's request succeeds
  config.forms = {Pick({0, 1})};
  simhost::Host& host = BootAndStart(config);
  EXPECT_EQ(Transfer(), 7);
  const std::string disk_error = "Błąd|Błąd operacji dyskowej w PobierzPozDokumentu!|1";
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Uwaga|Proszę czekać!|512", disk_error, disk_error}));
  EXPECT_EQ(RunCount("od_search"), 0);
  EXPECT_EQ(RunCount("od_set_flags(67"), 0);
  EXPECT_TRUE(SlotFree(0));
  EXPECT_EQ(host.chained.size(), 1u);
}

struct GrowthCase {
  const char* name;
  std::vector<int> documents;              // positions per marked document
  std::vector<std::string> reallocations;  // mem_realloc calls after the list's
};

class CollectionGrowth : public TransferTest, public ::testing::WithParamInterface<GrowthCase> {};

TEST_P(CollectionGrowth, TheArrayGrowsBy500Positions) {
  simhost::Config config;
  config.slot_count = 1000;
  std::vector<std::int32_t> marks;
  int total = 0;
  for (std::size_t i = 0; i < GetParam().documents.size(); ++i) {
    const int count = GetParam().documents[i];
    const std::int32_t doc_id = static_cast<std::int32_t>(i + 1);
    config.mm.push_back(Document("MM/" + std::to_string(doc_id), "2024020" + std::to_string(doc_id), doc_id,
                                 Positions(count)));
    marks.push_back(static_cast<std::int32_t>(i));
    total += count;
  }
  config.forms = {Pick(marks)};
  simhost::Host& host = BootAndStart(config);
  Transfer();

  std::vector<std::string> reallocations;
  for (const std::string& call : host.calls) {
    if (call.rfind("mem_realloc", 0) == 0) reallocations.push_back(call);
  }
  reallocations.erase(reallocations.begin());  // the list's
  EXPECT_EQ(reallocations, GetParam().reallocations);
  // Every position is in its own slot, document after document in the order of the search result.
  int slot = 0;
  for (std::size_t i = 0; i < GetParam().documents.size(); ++i) {
    for (int j = 0; j < GetParam().documents[i]; ++j, ++slot) {
      ASSERT_EQ(SlotName(slot), "P" + std::to_string(j)) << "slot " << slot;
      ASSERT_EQ(Utf8(Slot(slot).mm_number), "MM/" + std::to_string(i + 1));
      ASSERT_EQ(Slot(slot).run_index, slot);
    }
  }
  EXPECT_TRUE(SlotFree(total));
  EXPECT_TRUE(host.messages.size() == 1u) << "the note of the sort only";
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, CollectionGrowth,
    ::testing::Values(GrowthCase{"Exactly500", {500}, {"mem_realloc(89500)"}},
                      GrowthCase{"The501st", {501}, {"mem_realloc(89500)", "mem_realloc(179000)"}},
                      GrowthCase{"Of300And400", {300, 400}, {"mem_realloc(89500)", "mem_realloc(179000)"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CollectionTest, AFailedGrowthEndsTheDocumentAndIsTriedAgainByTheNext) {
  simhost::Config config;
  config.mm = {Document("MM/1", "20240201", 1, Positions(2)),
               Document("MM/2", "20240202", 2, Positions(1, 5)),
               Document("MM/3", "20240203", 3, {Position("E", 0)}),  // nothing but an empty position
               Document("MM/4", "20240204", 4, Positions(2, 8))};
  config.faults.mem_realloc_calls = {2, 3};  // call 1 is the list's
  config.forms = {Pick({0, 1, 2, 3})};
  BootAndStart(config);
  Transfer();
  const std::string out_of_memory =
      "Błąd|Błąd podczas alokowania pamięci w PobierzPozDokumentu!\nOperacja niekompletna!|1";
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Uwaga|Proszę czekać!|512", out_of_memory, out_of_memory}));
  EXPECT_EQ(RunCount("mem_realloc(89500)"), 3);
  EXPECT_EQ(RunCount("od_result_free"), 4);
  EXPECT_EQ(Utf8(Slot(0).mm_number), "MM/4");
  EXPECT_EQ(Utf8(Slot(1).mm_number), "MM/4");
  EXPECT_TRUE(SlotFree(2));
}

TEST_F(CollectionTest, TextsAreCutToTheirFieldsAndReadNoFurther) {
  simhost::Config config;
  simhost::MmPosition position = Position(std::string(130, 'n'), 3);
  position.code = std::string(20, 'c');
  position.unit = "sztuki";
  // A number that fills its field without a terminator, and a description that fills its own.
  config.mm = {Document(std::string(17, '7'), "20240201", 1, {position})};
  config.mm[0].description = std::string(300, 'd');
  config.mm[0].dest_warehouse = std::string(17, 'w');
  config.forms = {Pick({0})};
  BootAndStart(config);
  Transfer();
  ASSERT_EQ(Rows().size(), 1u);
  EXPECT_EQ(Rows()[0], "*\r" + std::string(16, '7') + "\r" + std::string(120, 'd') + "\r" +
                           std::string(16, 'w') + "\r0.00\r01.02.2024");
  EXPECT_EQ(SlotName(0), std::string(120, 'n'));
  EXPECT_EQ(Utf8(Slot(0).code), std::string(16, 'c'));
  EXPECT_EQ(Utf8(Slot(0).unit), "sztuk");
  EXPECT_EQ(Utf8(Slot(0).mm_number), std::string(14, '7'));
}

// A run collects at most 32,767 positions, so that the run index fits its 16-bit field: the position
// after the limit is refused with the allocation message, like a growth that failed, and so is every
// later document's.
TEST_F(CollectionTest, TheRunCollectsAtMost32767Positions) {
  simhost::Config config;
  config.journal = false;
  std::vector<simhost::MmPosition> many(32768, Position("Same", 1));
  many[32766] = Position("Last", 2);  // the last one that fits, unlike the others, takes a slot of its own
  config.mm = {Document("MM/1", "20240201", 1, many),
               Document("MM/2", "20240202", 2, {Position("Other", 3)})};
  config.forms = {Pick({0, 1})};
  simhost::Host& host = BootAndStart(config);
  EXPECT_EQ(Transfer(), 7);
  const std::string out_of_memory =
      "Błąd|Błąd podczas alokowania pamięci w PobierzPozDokumentu!\nOperacja niekompletna!|1";
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Uwaga|Proszę czekać!|512", out_of_memory, out_of_memory}));
  EXPECT_EQ(host.mem_realloc_count, 1 + 66) << "the list, and 33,000 positions' room";
  EXPECT_EQ(SlotName(0), "Same");
  EXPECT_EQ(Slot(0).quantity, 32766) << "every equal position merged into the first";
  EXPECT_EQ(Slot(0).run_index, 0);
  EXPECT_EQ(SlotName(1), "Last");
  EXPECT_EQ(Slot(1).run_index, 32766);
  EXPECT_TRUE(SlotFree(2));
}

}  // namespace
}  // namespace kombrel_test

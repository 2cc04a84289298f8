// MM document selection: the date range, the listed documents and their order, the rows of the list,
// the marks made with Insert, and how the selection ends.
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/transfer_fixture.h"

namespace kombrel_test {
namespace {

using SelectionTest = TransferTest;

// Documents of February 2024 and around it, in the order of index 124.
std::vector<simhost::MmDocument> AroundFebruary() {
  return {Document("MM/3", "20240229", 3), Document("MM/1", "20240131", 1), Document("MM/5", "20240301", 5),
          Document("MM/2", "20240201", 2), Document("MM/4", "20240215", 4)};
}

// The MM numbers of the rows shown, in their order.
std::vector<std::string> ListedNumbers(const std::vector<std::string>& rows) {
  std::vector<std::string> numbers;
  for (const std::string& row : rows) {
    const std::size_t start = row.find('\r') + 1;
    numbers.push_back(row.substr(start, row.find('\r', start) - start));
  }
  return numbers;
}

TEST_F(SelectionTest, LeavingTheDateFormReadsNoMmDocument) {
  simhost::Config config;
  config.mm = AroundFebruary();
  config.forms = {LeaveDates()};
  simhost::Host& host = BootAndStart(config);
  const std::size_t first = host.calls.size();

  EXPECT_EQ(Transfer(), 7);

  // The document-wide calls of the merge still run, and the event goes on to the previous handler.
  EXPECT_EQ(CallsFrom(first), (std::vector<std::string>{"od_table(188)", "ui_form_run(1003)", "od_table(44)",
                                                        "od_set_flags(44,106)", "doc_totals_recalc",
                                                        "ui_browse_refresh(258,134744072)"}));
  EXPECT_EQ(host.chained.size(), 1u);
  EXPECT_TRUE(host.messages.empty());
}

struct DateCase {
  const char* name;
  const char* from;
  const char* to;
  std::vector<std::string> listed;  // in date order
};

class SelectionDates : public TransferTest, public ::testing::WithParamInterface<DateCase> {};

TEST_P(SelectionDates, BothLimitsAreIncluded) {
  simhost::Config config;
  config.mm = AroundFebruary();
  config.forms = {Pick({}, true, GetParam().from, GetParam().to)};
  BootAndStart(config);
  Transfer();
  EXPECT_EQ(ListedNumbers(Rows()), GetParam().listed);
  // Every document of table 58 is read; the range is applied to each.
  EXPECT_EQ(RunCount("od_scan_next"), 6);
  EXPECT_EQ(RunCount("od_scan_end"), 1);
  // Only a list with documents is announced and sorted.
  EXPECT_EQ(RunCount("ui_message_close"), GetParam().listed.empty() ? 0 : 1);
  EXPECT_EQ(RunCount("ui_form_run(1002)"), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, SelectionDates,
    ::testing::Values(DateCase{"February", "20240201", "20240229", {"MM/2", "MM/4", "MM/3"}},
                      DateCase{"OneDay", "20240215", "20240215", {"MM/4"}},
                      DateCase{
                          "Everything", "20230101", "20251231", {"MM/1", "MM/2", "MM/4", "MM/3", "MM/5"}},
                      DateCase{"FromAfterTo", "20240301", "20240131", {}},
                      DateCase{"NoneInRange", "20200101", "20201231", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SelectionTest, DocumentsWithoutBothIdentifiersAreNeverListed) {
  simhost::Config config;
  config.mm = {Document("MM/1", "20240201", 1), Document("MM/2", "20240202", 0),
               Document("MM/3", "20240203", 3), Document("MM/4", "20240204", 4)};
  config.mm[2].aux_id = 0;
  config.forms = {Pick({})};
  BootAndStart(config);
  Transfer();
  EXPECT_EQ(ListedNumbers(Rows()), (std::vector<std::string>{"MM/1", "MM/4"}));
}

TEST_F(SelectionTest, RowsShowMarkNumberDescriptionWarehouseValueAndDate) {
  simhost::Config config;
  config.mm = {Document("MM/7/2024", "20240305", 7), Document("MM/8/2024", "20240306", 8)};
  config.mm[0].description = "Przesunięcie do sklepu";
  config.mm[0].dest_warehouse = "Łódź";
  config.mm[0].purchase_value = 999;  // ten-thousandths
  config.mm[1].purchase_value = 125;
  config.forms = {Pick({0}, false)};
  BootAndStart(config);
  Transfer();
  EXPECT_EQ(Rows(), (std::vector<std::string>{"*\rMM/7/2024\rPrzesunięcie do sklepu\rŁódź\r0.10\r05.03.2024",
                                              " \rMM/8/2024\rOpis MM/8/2024\rMAG2\r0.01\r06.03.2024"}));
}

// A C library numeric locale whose decimal separator is a comma; generated for the test when the
// machine has none installed. Empty when neither works.
std::string CommaLocale() {
  for (const char* name : {"pl_PL.UTF-8", "pl_PL.utf8", "de_DE.UTF-8", "fr_FR.UTF-8"}) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr) return name;
  }
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kombrel-locales";
  setenv("LOCPATH", folder.c_str(), 1);
  if (std::setlocale(LC_NUMERIC, "pl_PL.UTF-8") != nullptr) return "pl_PL.UTF-8";  // made by an earlier run
  std::filesystem::create_directories(folder);
  const std::string command =
      "localedef -i pl_PL -f UTF-8 '" + (folder / "pl_PL.UTF-8").string() + "' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return {};
  return std::setlocale(LC_NUMERIC, "pl_PL.UTF-8") != nullptr ? "pl_PL.UTF-8" : "";
}

TEST_F(SelectionTest, TheValueHasAPointWhateverTheLocale) {
  const std::string locale = CommaLocale();
  if (locale.empty()) GTEST_SKIP() << "no locale with a decimal comma can be made here";
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.2f", 0.5);
  EXPECT_STREQ(probe, "0,50") << "the locale in force has no decimal comma";

  simhost::Config config;
  config.mm = {Document("MM/1", "20240305", 1)};
  config.mm[0].purchase_value = 1234567;
  config.forms = {Pick({})};
  BootAndStart(config);
  Transfer();
  std::setlocale(LC_NUMERIC, "C");
  unsetenv("LOCPATH");
  ASSERT_EQ(Rows().size(), 1u);
  EXPECT_NE(Rows()[0].find("\r123.46\r"), std::string::npos) << Rows()[0];
}

struct InsertCase {
  const char* name;
  std::vector<std::int32_t> inserts;  // current rows at which Insert is pressed
  std::string marks;                  // the mark column of the three rows afterwards
  std::int16_t cursor;                // the current row afterwards
};

// By name: printed byte by byte, the case's padding would be read uninitialised.
void PrintTo(const InsertCase& c, std::ostream* out) {
  *out << c.name;
}

class SelectionInsert : public TransferTest, public ::testing::WithParamInterface<InsertCase> {};

TEST_P(SelectionInsert, InsertFlipsTheMarkAndMovesToTheNextRow) {
  simhost::Config config;
  config.mm = {Document("MM/1", "20240201", 1), Document("MM/2", "20240202", 2),
               Document("MM/3", "20240203", 3)};
  config.forms = {Pick(GetParam().inserts, false)};
  simhost::Host& host = BootAndStart(config);
  Transfer();
  std::string marks;
  for (const std::string& row : Rows())
    marks += row.substr(0, 2) == "*\r" ? '*' : row.substr(0, 2) == " \r" ? ' ' : '?';
  EXPECT_EQ(marks, GetParam().marks);
  EXPECT_EQ(host.list_current_row, GetParam().cursor);
  // Each Insert reads the current row and stores the next one.
  EXPECT_EQ(RunCount("ui_form_item_value"), 2 * static_cast<int>(GetParam().inserts.size()));
  EXPECT_EQ(Messages(), std::vector<std::string>{"Uwaga|Proszę czekać!|512"});
}

INSTANTIATE_TEST_SUITE_P(Rows, SelectionInsert,
                         ::testing::Values(InsertCase{"First", {0}, "*  ", 1},
                                           InsertCase{"LastWrapsToFirst", {2}, "  *", 0},
                                           InsertCase{"MarkedRowIsUnmarked", {1, 1}, "   ", 2},
                                           InsertCase{"AllThree", {0, 1, 2}, "***", 0},
                                           InsertCase{"RowBeforeTheList", {-1}, "   ", 0},
                                           InsertCase{"RowAfterTheList", {1, 3}, " * ", 0},
                                           InsertCase{"RowFarOutside", {-32768, 32767}, "   ", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SelectionTest, InsertInAnEmptyListSaysThereIsNothingToMark) {
  simhost::Config config;
  config.forms = {Pick({0, 0})};
  simhost::Host& host = BootAndStart(config);
  Transfer();
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Uwaga|Brak dokumentów do zaznaczenia!|1",
                                                  "Uwaga|Brak dokumentów do zaznaczenia!|1"}));
  EXPECT_EQ(RunCount("ui_form_item_value"), 0);
  EXPECT_TRUE(host.list_rows.empty());
  EXPECT_EQ(RunCount("od_table(67)"), 0) << "an accepted empty list collects nothing";
  EXPECT_EQ(host.chained.size(), 1u);
}

TEST_F(SelectionTest, TheRowProviderAnswersAnEmptyRowOutsideTheList) {
  simhost::Config config;
  config.mm = {Document("MM/1", "20240201", 1), Document("MM/2", "20240202", 2)};
  simhost::Host& host = BootAndStart(config);
  std::vector<std::string> answers;
  std::intptr_t count = -1;
  host.interactive_forms = [&](const void*, std::int32_t id, void* data, FormKeyHandler,
                               FormRowProvider rows) {
    if (id == 1003) {
      std::memcpy(data,
                  "20240101\0"
                  "20241231\0",
                  18);
      return 0x5001;
    }
    count = rows(-1, 0);
    for (std::int16_t row : {0, 1, 2, -2, 32767, -32768})
      answers.emplace_back(reinterpret_cast<const char*>(rows(row, 0)));
    return 0x011B;
  };
  Transfer();
  EXPECT_EQ(count, 2);
  ASSERT_EQ(answers.size(), 6u);
  EXPECT_EQ(answers[1].substr(0, 6), " \rMM/2");
  EXPECT_EQ(std::vector<std::string>(answers.begin() + 2, answers.end()), std::vector<std::string>(4, ""));
}

TEST_F(SelectionTest, LeavingTheListAfterMarkingCollectsNothingAndFreesTheList) {
  simhost::Config config;
  config.mm = {Document("MM/1", "20240201", 1, Positions(2)), Document("MM/2", "20240202", 2, Positions(2))};
  config.forms = {Pick({0, 1}, false)};
  simhost::Host& host = BootAndStart(config);
  const std::size_t first = host.calls.size();

  EXPECT_EQ(Transfer(), 7);

  const std::vector<std::string> calls = CallsFrom(first);
  const auto list_form = std::find(calls.begin(), calls.end(), "ui_form_run(1002)");
  ASSERT_NE(list_form, calls.end());
  // After the list form: the list is freed at once, then only the merge's document-wide calls.
  EXPECT_EQ(std::vector<std::string>(list_form + 5, calls.end()),
            (std::vector<std::string>{"mem_free", "od_table(44)", "od_set_flags(44,106)", "doc_totals_recalc",
                                      "ui_browse_refresh(258,134744072)"}));
  EXPECT_EQ(RunCount("od_table(67)"), 0);
  EXPECT_TRUE(SlotFree(0));
  EXPECT_EQ(host.chained.size(), 1u);
}

TEST_F(SelectionTest, TheThirtyFirstDocumentGrowsTheListTo60Entries) {
  simhost::Config config;
  for (int i = 0; i < 31; ++i)
    config.mm.push_back(Document("MM/" + std::to_string(i), "20240201", i + 1));
  config.forms = {Pick({})};
  BootAndStart(config);
  Transfer();
  EXPECT_EQ(RunCount("mem_realloc"), 2);
  EXPECT_EQ(RunCount("mem_realloc(6270)"), 1);
  EXPECT_EQ(RunCount("mem_realloc(12540)"), 1);
  EXPECT_EQ(Rows().size(), 31u);
}

TEST_F(SelectionTest, AFailedGrowthEndsTheSelectionWithoutAList) {
  simhost::Config config;
  for (int i = 0; i < 31; ++i)
    config.mm.push_back(Document("MM/" + std::to_string(i), "20240201", i + 1, Positions(1)));
  config.forms = {Pick({0})};
  config.faults.mem_realloc_calls = {2};
  simhost::Host& host = BootAndStart(config);
  EXPECT_EQ(Transfer(), 7);
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Błąd|Błąd podczas alokowania pamięci w WybierzMM!\nOperacja niekompletna!|1"});
  EXPECT_EQ(RunCount("od_scan_next"), 31) << "the scan ends at the document that did not fit";
  EXPECT_EQ(RunCount("od_scan_end"), 1);
  EXPECT_EQ(RunCount("ui_form_run(1002)"), 0);
  EXPECT_EQ(RunCount("od_table(67)"), 0);
  EXPECT_EQ(host.chained.size(), 1u);
  // The 30 entries loaded stay in their block until the run frees it (TearDown checks that it did).
  EXPECT_EQ(RunCount("mem_free"), 1);
}

TEST_F(SelectionTest, WithoutTable58TheUserIsToldAndNoListIsShown) {
  simhost::Config config;
  config.mm = AroundFebruary();
  config.forms = {Pick({})};
  config.faults.od_table_after[58] = 1;  // the load check's request succeeds
  simhost::Host& host = BootAndStart(config);
  EXPECT_EQ(Transfer(), 7);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Błąd|Błąd operacji dyskowej!|1"});
  EXPECT_EQ(RunCount("od_scan_first"), 0);
  EXPECT_EQ(RunCount("ui_form_run(1002)"), 0);
  EXPECT_EQ(host.chained.size(), 1u);
}

TEST_F(SelectionTest, TheNoteCoversTheSortOnly) {
  simhost::Config config;
  config.mm = AroundFebruary();
  config.forms = {Pick({})};
  simhost::Host& host = BootAndStart(config);
  Transfer();
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(Messages()[0], "Uwaga|Proszę czekać!|512");
  const auto note = std::find(host.calls.begin(), host.calls.end(), "ui_message");
  const auto close = std::find(host.calls.begin(), host.calls.end(), "ui_message_close");
  ASSERT_LT(note, close);
  EXPECT_EQ(*(note - 1), "od_scan_end");
  EXPECT_EQ(*(close + 1), "ui_form_run(1002)");
  for (auto call = note + 1; call != close; ++call)
    EXPECT_EQ(*call, "str_date_compare");
}

// A stored date `day` days after 1 January 2020.
std::string Day(int day) {
  static const int kMonthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int year = 2020;
  for (;;) {
    const int length = year % 4 == 0 ? 366 : 365;
    if (day < length) break;
    day -= length;
    ++year;
  }
  int month = 0;
  for (;; ++month) {
    const int length = month == 1 && year % 4 != 0 ? 28 : kMonthDays[month];
    if (day < length) break;
    day -= length;
  }
  return std::to_string(year * 10000 + (month + 1) * 100 + day + 1);
}

struct SortCase {
  const char* name;
  int count;
  int order;  // 0 random, 1 ascending, 2 descending, 3 a few dates, 4 one date
};

class SelectionSort : public TransferTest, public ::testing::WithParamInterface<SortCase> {};

TEST_P(SelectionSort, SortsByIssueDateWithFewComparisons) {
  const SortCase& sort = GetParam();
  std::mt19937 random(static_cast<unsigned>(sort.count * 7 + sort.order));
  simhost::Config config;
  std::vector<std::string> dates;
  for (int i = 0; i < sort.count; ++i) {
    const int day = sort.order == 0   ? static_cast<int>(random() % 2000)
                    : sort.order == 1 ? i
                    : sort.order == 2 ? sort.count - i
                    : sort.order == 3 ? static_cast<int>(random() % 3)
                                      : 5;
    dates.push_back(Day(day));
    config.mm.push_back(Document("MM/" + std::to_string(i), dates.back(), i + 1));
  }
  config.forms = {Pick({}, true, "20000101", "20991231")};
  simhost::Host& host = BootAndStart(config);
  Transfer();

  // The rows show every document once, in ascending issue date.
  std::vector<std::string> shown;
  std::vector<std::string> numbers = ListedNumbers(Rows());
  for (const std::string& row : Rows()) {
    const std::string date = row.substr(row.rfind('\r') + 1);  // DD.MM.YYYY
    shown.push_back(date.substr(6, 4) + date.substr(3, 2) + date.substr(0, 2));
  }
  std::sort(dates.begin(), dates.end());
  EXPECT_EQ(shown, dates);
  std::sort(numbers.begin(), numbers.end());
  EXPECT_EQ(std::unique(numbers.begin(), numbers.end()), numbers.end());
  EXPECT_EQ(numbers.size(), static_cast<std::size_t>(sort.count));

  const auto note = std::find(host.calls.begin(), host.calls.end(), "ui_message");
  const auto close = std::find(host.calls.begin(), host.calls.end(), "ui_message_close");
  const double comparisons = static_cast<double>(std::count(note, close, "str_date_compare"));
  EXPECT_LE(comparisons, 1.2 * sort.count * std::log2(sort.count));
}

INSTANTIATE_TEST_SUITE_P(Lists, SelectionSort,
                         ::testing::Values(SortCase{"Two", 2, 2}, SortCase{"Random5", 5, 0},
                                           SortCase{"Random16", 16, 0}, SortCase{"Random17", 17, 0},
                                           SortCase{"Random33", 33, 0}, SortCase{"Random100", 100, 0},
                                           SortCase{"Random1000", 1000, 0}, SortCase{"Ascending300", 300, 1},
                                           SortCase{"Descending300", 300, 2},
                                           SortCase{"ThreeDates257", 257, 3}, SortCase{"OneDate64", 64, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kombrel_test

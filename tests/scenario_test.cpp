// Reading scenario files: defaults, the host's forms of the values, and every way a file is refused.
#include <gtest/gtest.h>

#include <string>

#include "tools/kombrel_host/host_text.h"
#include "tools/kombrel_host/scenario.h"

namespace {

using kombrel_host::ParseScenario;
using kombrel_host::ScenarioError;
using kombrel_host::Step;

TEST(Scenario, EmptyFileIsTheHostsNormalLife) {
  const auto scenario = ParseScenario("{}");
  const simhost::Config& config = scenario.config;
  EXPECT_EQ(config.api_version, 112);
  EXPECT_EQ(config.tables.at(44), 984);
  EXPECT_EQ(config.tables.at(45), 298);
  EXPECT_EQ(config.tables.at(58), 526);
  EXPECT_EQ(config.tables.at(67), 350);
  EXPECT_TRUE(config.missing_ordinals.empty());
  EXPECT_EQ(config.missing_entry_answers, std::vector<simhost::BoxAnswer>{simhost::BoxAnswer::kAbort});
  EXPECT_TRUE(config.previous_handler);
  EXPECT_EQ(config.notice_answer, 0);
  EXPECT_FALSE(config.settings.has_value()) << "no Kombrel.ini unless the scenario gives one";
  EXPECT_EQ(config.slot_count, 10);
  EXPECT_EQ(config.price_selector, 1);
  std::vector<Step::Kind> kinds;
  for (const Step& step : scenario.steps)
    kinds.push_back(step.kind);
  EXPECT_EQ(kinds, (std::vector<Step::Kind>{Step::Kind::kLoad, Step::Kind::kLoadCheck, Step::Kind::kStart,
                                            Step::Kind::kStop, Step::Kind::kUnload}));
}

TEST(Scenario, ValuesArriveInTheHostsForms) {
  const auto scenario = ParseScenario(R"({
    "host": {"tables": {"45": 300, "67": null}, "missing_ordinals": [52028], "missing_entry_answers": ["retry", "none"],
             "previous_handler": false, "notice_answer": -1,
             "fail": {"od_table": [{"table": 44, "after": 3}], "mem_realloc": [2], "od_search": [100],
                      "od_fseek": [{"doc_id": 100, "record": 1}]}},
    "settings": {"Kombrel": {"Pytaj": "0"}},
    "mm": [{"number": "MM/1/12/2026", "issue_date": "2026-12-01", "description": "Przesunięcie",
            "positions": [{"name": "Śruba"}, {"name": "Nakrętka", "ref": 0}]},
           {"issue_date": "", "doc_id": 7}],
    "sales": {"price_selector": -1, "slots": 4, "row_base": 2, "used": [{"name": "a"}, {"slot": 3, "mark": 1}]},
    "steps": [{"event": 235, "dates": ["2026-12-01", "2026-12-31"], "insert": [0, 2], "accept": false},
              {"event": 235}, {"event": 17}]
  })");
  const simhost::Config& config = scenario.config;
  EXPECT_EQ(config.tables.at(44), 984) << "a table not named keeps its size";
  EXPECT_EQ(config.tables.at(45), 300);
  EXPECT_FALSE(config.tables.at(67).has_value());
  EXPECT_EQ(config.missing_ordinals, std::set<std::uint16_t>{52028});
  EXPECT_EQ(config.missing_entry_answers,
            (std::vector<simhost::BoxAnswer>{simhost::BoxAnswer::kRetry, simhost::BoxAnswer::kNone}));
  EXPECT_FALSE(config.previous_handler);
  EXPECT_EQ(config.notice_answer, -1);
  EXPECT_EQ(config.faults.od_table_after, (std::map<std::int32_t, int>{{44, 3}}));
  EXPECT_EQ(config.faults.mem_realloc_calls, std::set<int>{2});
  EXPECT_EQ(config.faults.od_search_zero_handle, std::set<std::int32_t>{100});
  EXPECT_EQ(config.faults.od_fseek, (std::set<std::pair<std::int32_t, int>>{{100, 1}}));
  EXPECT_EQ(config.settings->at("Kombrel").at("Pytaj"), "0");

  ASSERT_EQ(config.mm.size(), 2u);
  EXPECT_EQ(config.mm[0].issue_date, "20261201") << "stored as the host stores dates";
  EXPECT_EQ(config.mm[0].description, "Przesunięcie") << "UTF-8 here; the host stores it in Mazovia";
  EXPECT_EQ(config.mm[0].doc_id, 1) << "a document's place in the list by default";
  EXPECT_EQ(config.mm[0].aux_id, 1);
  EXPECT_EQ(config.mm[0].positions[0].ref, 1) << "a position's place in its document by default";
  EXPECT_EQ(config.mm[0].positions[1].ref, 0);
  EXPECT_EQ(config.mm[1].issue_date, "");
  EXPECT_EQ(config.mm[1].doc_id, 7);

  EXPECT_EQ(config.price_selector, -1);
  EXPECT_EQ(config.slot_count, 4);
  EXPECT_EQ(config.row_base, 2);
  ASSERT_EQ(config.sales.size(), 2u);
  EXPECT_EQ(config.sales[0].slot, 0);
  EXPECT_EQ(config.sales[1].slot, 3);
  EXPECT_EQ(config.sales[1].used_mark, 1);

  ASSERT_EQ(scenario.steps.size(), 3u);
  const simhost::FormScript& script = scenario.steps[0].script;
  ASSERT_TRUE(script.dates.has_value());
  EXPECT_EQ(script.dates->first, "20261201");
  EXPECT_EQ(script.dates->second, "20261231");
  EXPECT_EQ(script.inserts, (std::vector<std::int32_t>{0, 2}));
  EXPECT_FALSE(script.accept);
  EXPECT_FALSE(scenario.steps[1].script.dates.has_value()) << "no dates: the user leaves form 1003";
  EXPECT_EQ(scenario.steps[2].event, 17);
}

struct Refusal {
  const char* name;
  const char* json;
  const char* message;
};

// Printed by its name, so that test names stay the same from run to run.
void PrintTo(const Refusal& refusal, std::ostream* out) {
  *out << refusal.name;
}

class ScenarioRefused : public ::testing::TestWithParam<Refusal> {};

TEST_P(ScenarioRefused, NamesTheFieldAndWhatIsWrong) {
  try {
    ParseScenario(GetParam().json);
    FAIL() << "accepted: " << GetParam().json;
  } catch (const ScenarioError& error) {
    EXPECT_EQ(std::string(error.what()), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, ScenarioRefused,
    ::testing::Values(
        Refusal{"ImpossibleMonth", R"({"mm": [{}, {}, {"issue_date": "2026-13-01"}]})",
                R"(scenario: mm[2].issue_date: expected "YYYY-MM-DD" or "", got "2026-13-01")"},
        Refusal{"NoFebruary29th", R"({"mm": [{"issue_date": "2026-02-29"}]})",
                R"(scenario: mm[0].issue_date: expected "YYYY-MM-DD" or "", got "2026-02-29")"},
        Refusal{"DisplayDateInsteadOfIso",
                R"({"steps": [{"event": 235, "dates": ["2026-12-01", "1.12.2026"]}]})",
                R"(scenario: steps[0].dates[1]: expected "YYYY-MM-DD" or "", got "1.12.2026")"},
        Refusal{"UnknownPositionField", R"({"mm": [{"positions": [{"nmae": "x"}]}]})",
                "scenario: mm[0].positions[0].nmae: unknown field (known here: name, code, quantity, unit, "
                "price_odd, price_even, attribute, ref)"},
        Refusal{"UnknownTopField", R"({"stpes": []})",
                "scenario: stpes: unknown field (known here: host, settings, mm, sales, steps)"},
        Refusal{"FieldGivenTwice", R"({"mm": [{"number": "a", "number": "b"}]})",
                "scenario: mm[0].number: given twice"},
        Refusal{"RecordSizeOutOfRange", R"({"host": {"tables": {"45": 70000}}})",
                "scenario: host.tables.45: expected an integer from -32768 to 32767, got 70000"},
        Refusal{"TableByName", R"({"host": {"tables": {"Tspr": 984}}})",
                R"(scenario: host.tables.Tspr: a table is named by its number, "44" for example)"},
        Refusal{"OrdinalNotExported", R"({"host": {"missing_ordinals": [52027]}})",
                "scenario: host.missing_ordinals[0]: 52027 is not an ordinal the host exports"},
        Refusal{
            "UnknownBoxAnswer", R"({"host": {"missing_entry_answers": ["retry", "cancel"]}})",
            R"(scenario: host.missing_entry_answers[1]: expected "abort", "retry", "ignore" or "none", got "cancel")"},
        Refusal{"FaultWithoutAfter", R"({"host": {"fail": {"od_table": [{"table": 44}]}}})",
                "scenario: host.fail.od_table[0].after: missing"},
        Refusal{"ZerothCall", R"({"host": {"fail": {"mem_realloc": [0]}}})",
                "scenario: host.fail.mem_realloc[0]: expected an integer from 1 to 2147483647, got 0"},
        Refusal{
            "NumberAsText", R"({"host": {"api_version": "112"}})",
            R"(scenario: host.api_version: expected an integer from -2147483648 to 2147483647, got "112")"},
        Refusal{"BooleanAsNumber", R"({"host": {"previous_handler": 1}})",
                "scenario: host.previous_handler: expected true or false, got 1"},
        Refusal{"SettingAsNumber", R"({"settings": {"Kombrel": {"Pytaj": 1}}})",
                "scenario: settings.Kombrel.Pytaj: expected a string, got 1"},
        Refusal{"SettingBreakingTheLine", R"({"settings": {"Kombrel": {"Pytaj": "1\n[x]"}}})",
                R"(scenario: settings.Kombrel.Pytaj: "1\n[x]" cannot be written as one line of an INI file)"},
        Refusal{"LetterOutsideMazovia", R"({"mm": [{"description": "5 €"}]})",
                R"(scenario: mm[0].description: "€" has no place in the host's code page (Mazovia))"},
        Refusal{"SlotPastTheEnd", R"({"sales": {"slots": 3, "used": [{"slot": 3}]}})",
                "scenario: sales.used[0].slot: slot 3 is past the document's 3 slots"},
        Refusal{"SlotUsedTwice", R"({"sales": {"used": [{"slot": 1}, {"slot": 1}]}})",
                "scenario: sales.used[1].slot: slot 1 is already used by sales.used[0]"},
        Refusal{"NegativeSlotCount", R"({"sales": {"slots": -1}})",
                "scenario: sales.slots: expected an integer from 0 to 100000, got -1"},
        Refusal{
            "MisspelledStep", R"({"steps": ["load", "strat"]})",
            R"(scenario: steps[1]: expected one of "load", "load_check", "report", "start", "stop", "unload" or an event object, got "strat")"},
        Refusal{"StepObjectWithoutEvent", R"({"steps": [{"dates": null}]})",
                "scenario: steps[0].event: missing: a step object is an event"},
        Refusal{"FormsForAnotherEvent", R"({"steps": [{"event": 17, "accept": true}]})",
                "scenario: steps[0].accept: only event 235 opens the plug-in's forms"},
        Refusal{"InsertWithoutTheList", R"({"steps": [{"event": 235, "insert": [0]}]})",
                "scenario: steps[0].insert: the user leaves form 1003 (dates null), so the list never opens"},
        Refusal{
            "OneDateOnly", R"({"steps": [{"event": 235, "dates": ["2026-12-01"]}]})",
            R"(scenario: steps[0].dates: expected ["YYYY-MM-DD", "YYYY-MM-DD"] or null, got ["2026-12-01"])"},
        Refusal{
            "NotJson", R"({"mm": [}]})",
            "scenario: not valid JSON: parse error at line 1, column 9: syntax error while parsing value - "
            "unexpected '}'; expected '[', '{', or a literal"},
        Refusal{"NotAnObject", "[]", "scenario: the file: expected an object, got []"}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

TEST(HostText, ColumnsCountCharactersNotBytes) {
  EXPECT_EQ(kombrel_host::Columns("Łódź"), 4u);
  EXPECT_EQ(kombrel_host::Fit("Łódź", 6), "Łódź  ");
  EXPECT_EQ(kombrel_host::Fit("Łódź", 6, true), "  Łódź");
  EXPECT_EQ(kombrel_host::Fit("Zażółć", 3), "Zaż");
}

TEST(HostText, TheListColumnsShareTheRoomTheFixedWidthsLeave) {
  // The column line of form 1002, in the list's 74 columns: the fixed widths take 63, "Opis" gets 11.
  const auto columns = kombrel_host::ParseColumns(
      "l3\rl17Numer MM\rl-1Opis\rl16Mag.docel.\rp15Warto\x9E\x8D zak.br.\rl12Data wyst.");
  ASSERT_EQ(columns.size(), 6u);
  EXPECT_EQ(columns[4].heading, "Wartość zak.br.");
  EXPECT_EQ(columns[4].align, 'p');
  EXPECT_EQ(kombrel_host::SettleWidths(columns, 74), (std::vector<int>{3, 17, 11, 16, 15, 12}));
  EXPECT_EQ(kombrel_host::LayoutRow(columns, kombrel_host::SettleWidths(columns, 74),
                                    "*\rMM/1/12/2026\rPrzesuni\x91"
                                    "cie towaru\rMagazyn 2\r0.01\r01.12.2026"),
            "*  MM/1/12/2026     Przesunięc Magazyn 2                 0.01 01.12.2026  ");
  // "Wartość zak.br." fills its 15 columns and ends where the values end.
  EXPECT_EQ(kombrel_host::LayoutHeadings(columns, kombrel_host::SettleWidths(columns, 74)),
            "   Numer MM         Opis       Mag.docel.     Wartość zak.br. Data wyst.  ");
}

TEST(HostText, LayoutSequencesSetTheTabStopsOfTheirLine) {
  // Two lines of the refusal report: the heading and one table's row.
  EXPECT_EQ(
      kombrel_host::PlainText("\x01tl18l33\x01TABELA\tWE WTYCZCE\tW PROGRAMIE\n\x01tp25p40\x01Mm\t526\t530"),
      "TABELA            WE WTYCZCE     W PROGRAMIE\n"
      "Mm                    526            530");
  EXPECT_EQ(kombrel_host::PlainText("a\tb"), "a       b")
      << "without stops a tab goes to the next multiple of 8";
}

TEST(HostText, MarkupBecomesStyledSpans) {
  const auto text = kombrel_host::ParseMarkup(
      "\x01p\x02"
      "F3\x01 Okres Od\x01");
  EXPECT_EQ(text.align, 'p');
  ASSERT_EQ(text.lines.size(), 1u);
  ASSERT_EQ(text.lines[0].size(), 2u);
  EXPECT_EQ(text.lines[0][0].text, "F3");
  EXPECT_EQ(text.lines[0][0].style, kombrel_host::Style::kHighlight);
  EXPECT_EQ(text.lines[0][1].text, " Okres Od");
  EXPECT_EQ(kombrel_host::PlainText("\x02"
                                    "DOKUMENTY SPRZEDA\xA1Y:\x01\n\nPobierz"),
            "DOKUMENTY SPRZEDAŻY:\n\nPobierz");
}

}  // namespace

// The fault matrix: every way a host service can fail, each in one whole session of the host (load,
// load check, start, Ctrl+5, stop, unload), with the outcome the user sees and what is kept. Every row
// also holds the host's invariants: nothing written outside the slots' records and the plug-in's own
// memory, no host block alive and no scan or search result open once control is back with the host,
// and the previous handler of table 45 called exactly when the run ends normally.
//
// The base scenario: MM/1 (20240210, positions A1 A2 A3), MM/2 (20240205, B1 B2) and MM/9 (20230101,
// outside the range); the user asks for 2024 and marks both rows of the list, which shows MM/2 first.
// Without a fault the document then holds B1 B2 A1 A2 A3.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "tests/plugin_internals.h"
#include "tests/transfer_fixture.h"

namespace kombrel_test {
namespace {

using simhost::BoxAnswer;

const std::vector<std::string> kAllSlots = {"B1", "B2", "A1", "A2", "A3"};
const std::string kNote = "Uwaga|Proszę czekać!|512";
const std::string kDiskError = "Błąd|Błąd operacji dyskowej!|1";
const std::string kCollectionDiskError = "Błąd|Błąd operacji dyskowej w PobierzPozDokumentu!|1";
const std::string kSelectionOutOfMemory =
    "Błąd|Błąd podczas alokowania pamięci w WybierzMM!\nOperacja niekompletna!|1";
const std::string kCollectionOutOfMemory =
    "Błąd|Błąd podczas alokowania pamięci w PobierzPozDokumentu!\nOperacja niekompletna!|1";
const std::string kSeekError = "uwaga|Błąd w od_fseek w PobierzPozDokumentu|1";
const std::string kNothingToMark = "Uwaga|Brak dokumentów do zaznaczenia!|1";
const std::string kNeedsNewer = "alert|Program wymaga nowszej wtyczki!";
const std::string kNotice = "notice";
const std::string kResultLeftOpen = "a search result left open when control came back";

class FaultMatrix;

// What a row expects of the session.
struct Expected {
  bool loads = true;
  std::int32_t load_check = 0;
  std::int32_t start = 0;
  std::int32_t event = 7;  // the hook's answer to Ctrl+5; 7 is the previous handler's
  std::vector<std::string> messages = {kNote};
  std::optional<std::vector<std::string>> slots =
      kAllSlots;                            // used slots in slot order; nullopt: not looked at
  std::size_t chained = 1;                  // calls of the previous handler
  std::string violation;                    // the one violation the host may report
  std::function<void(FaultMatrix&)> check;  // what else the row looks at
};

struct FaultCase {
  std::string name;
  std::function<void(simhost::Config&)> fault;
  Expected expected;
};

void PrintTo(const FaultCase& c, std::ostream* out) {
  *out << c.name;
}

simhost::Config BaseScenario() {
  simhost::Config config;
  config.mm = {Document("MM/1", "20240210", 1, {Position("A1", 1), Position("A2", 2), Position("A3", 3)}),
               Document("MM/2", "20240205", 2, {Position("B1", 1), Position("B2", 2)}),
               Document("MM/9", "20230101", 9, {Position("Z1", 1)})};
  config.forms = {Pick({0, 1})};
  return config;
}

// A row from the base scenario with the expected outcome of the base scenario, changed by `expect`.
FaultCase Row(std::string name, std::function<void(simhost::Config&)> fault,
              const std::function<void(Expected&)>& expect = {}) {
  FaultCase row{std::move(name), std::move(fault), {}};
  if (expect) expect(row.expected);
  return row;
}

// `count` MM documents in the range, each with one position, the first ones marked.
void ManyDocuments(simhost::Config& config, int count) {
  config.mm.clear();
  for (int i = 0; i < count; ++i)
    config.mm.push_back(Document("MM/" + std::to_string(i + 1), "20240301", i + 1, {Position("D", 1)}));
}

// Documents with `counts` positions each, all marked, in a document of enough slots.
void PositionsPerDocument(simhost::Config& config, const std::vector<int>& counts) {
  config.mm.clear();
  std::vector<std::int32_t> marks;
  int total = 0;
  for (std::size_t i = 0; i < counts.size(); ++i) {
    const auto id = static_cast<std::int32_t>(i + 1);
    config.mm.push_back(
        Document("MM/" + std::to_string(id), "2024040" + std::to_string(id), id, Positions(counts[i])));
    marks.push_back(id - 1);
    total += counts[i];
  }
  config.forms = {Pick(marks)};
  config.slot_count = total + 10;
}

void NothingCollected(Expected& e) {
  e.slots = std::vector<std::string>{};
}

// The host journals nothing for a load that failed; a failed load leaves nothing to look at but boxes.
void LoadFails(Expected& e) {
  e.loads = false;
  e.messages.clear();
  e.slots = std::vector<std::string>{};
  e.chained = 0;
}

void LoadCheckRefuses(Expected& e, const std::string& rows) {
  e.load_check = -1;
  e.messages = {"STOP!!!|" + rows + "|49153"};
  e.slots = std::vector<std::string>{};
  e.chained = 0;
}

class FaultMatrix : public TransferTest, public ::testing::WithParamInterface<FaultCase> {
 public:
  using TransferTest::host;
  using TransferTest::plugin;
  using TransferTest::Rows;
  using TransferTest::RunCount;
  using TransferTest::Slot;
  using TransferTest::SlotName;

  // Every message as the row names it: ui_message as "title|text|flags", the refusal report by its
  // rows, boxes by the number they name and the answer, the alert and the notice by what they are.
  std::vector<std::string> Seen() {
    std::vector<std::string> seen;
    for (const simhost::Message& message : host().messages) {
      const std::string text = Utf8(message.text);
      if (message.kind == "message_box") {
        const std::size_t at = message.text.find("brak wpisu  ");
        seen.push_back("box " + message.text.substr(at + 12, message.text.find(' ', at + 12) - at - 12) +
                       " " + message.answer);
      } else if (message.kind == "ui_message" && message.flags == 0xC001) {
        std::string rows;
        for (std::size_t at = text.find("\x01tp25p40\x01"); at != std::string::npos;
             at = text.find("\x01tp25p40\x01", at + 1)) {
          const std::size_t begin = at + 9;
          rows += (rows.empty() ? "" : ";") + text.substr(begin, text.find('\n', begin) - begin);
        }
        seen.push_back(Utf8(message.title) + "|" + rows + "|" + std::to_string(message.flags));
      } else if (message.kind == "ui_alert") {
        seen.push_back("alert|" + text);
      } else if (message.kind == "ui_host_dialog") {
        seen.push_back(text.rfind("Zainstalowano wtyczkę do programu:\n", 0) == 0 ? kNotice
                                                                                  : "dialog|" + text);
      } else {
        seen.push_back(Utf8(message.title) + "|" + text + "|" + std::to_string(message.flags));
      }
    }
    return seen;
  }

  std::vector<std::string> UsedSlots() {
    std::vector<std::string> used;
    for (int i = 0; i < host().slot_count; ++i) {
      if (!SlotFree(i)) used.push_back(SlotName(i));
    }
    return used;
  }

  std::string Settings() {
    std::ifstream in(host().settings_path(), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
  }

  std::optional<std::int32_t> load_check;
  std::optional<std::int32_t> start;
  std::optional<std::int32_t> event;
};

// --- The rows ---------------------------------------------------------------------------------------

struct Answer {
  const char* name;
  std::vector<BoxAnswer> given;
  std::vector<std::string> boxes;  // the answers the boxes got, one box each
};

const Answer kAnswers[] = {
    {"Abort", {BoxAnswer::kAbort}, {"abort"}},
    {"RetryThenAbort", {BoxAnswer::kRetry, BoxAnswer::kAbort}, {"retry", "abort"}},
    {"Ignore", {BoxAnswer::kIgnore}, {"ignore"}},
    {"BoxNotShown", {BoxAnswer::kNone}, {"none"}},
};

// What the session gives when the host lacks one service and the user answered so.
void MissingService(const ServiceSlot& service, const Answer& answer, Expected& e) {
  std::vector<std::string> boxes;
  for (const std::string& given : answer.boxes)
    boxes.push_back("box " + std::to_string(service.ordinal) + " " + given);
  const int r = service.ordinal % 100;
  const bool fallback = r == 99 || (r % 4 == 0 && r <= 56);
  if (answer.given.back() != BoxAnswer::kIgnore || !fallback) {
    LoadFails(e);
    e.messages = boxes;
    return;
  }
  // Ignored with a do-nothing fallback in the slot: the service does nothing and answers 0.
  switch (service.ordinal) {
    case 52028:  // ui_message: the note is not shown
      e.messages.clear();
      break;
    case 50704:  // od_result_free: the host cannot take its two search results back
      e.violation = kResultLeftOpen;
      e.check = [](FaultMatrix& t) {
        EXPECT_EQ(t.host().results.size(), 2u);
        t.host().results.clear();
      };
      break;
    case 52256:  // od_table: no table at all, the load check refuses
      LoadCheckRefuses(e, "Tspr\t984\tbrak;Tspr_dok\t298\tbrak;Mm\t526\tbrak;Mm_dok\t350\tbrak");
      break;
    case 50516:  // od_search: no document has positions
      NothingCollected(e);
      break;
    case 32008:  // str_date_format: the date column stays empty, and every date is equal for the sort
      e.slots = std::nullopt;
      e.check = [](FaultMatrix& t) {
        EXPECT_EQ(t.UsedSlots().size(), 5u);
        ASSERT_EQ(t.Rows().size(), 2u);
        for (const std::string& row : t.Rows())
          EXPECT_EQ(row.substr(row.rfind('\r')), "\r") << "an empty date";
      };
      break;
    case 30908:  // str_date_compare: every date is in the range, MM/9 too, in no defined order
      e.slots = std::nullopt;
      e.check = [](FaultMatrix& t) { EXPECT_EQ(t.Rows().size(), 3u); };
      break;
    case 41399:  // ini_access: the read "succeeds" with nothing read, so the notice comes; nothing written
      e.messages.insert(e.messages.begin(), kNotice);
      e.check = [](FaultMatrix& t) { EXPECT_EQ(t.Settings(), "[Kombrel]\r\nPytaj=1\r\n"); };
      break;
    default:  // doc_position_recalc: the positions go in all the same
      break;
  }
  e.messages.insert(e.messages.begin(), boxes.begin(), boxes.end());
}

std::vector<FaultCase> Cases() {
  std::vector<FaultCase> rows;
  auto add = [&rows](FaultCase row) { rows.push_back(std::move(row)); };

  add(Row("NoFault", [](simhost::Config&) {}));

  // od_table null for each table at each place it is asked. Requests of the base scenario: the load
  // check asks 44, 45, 58, 67 once each; the start 45; Ctrl+5 188, then 58 (selection), then 58, 67, 44
  // per marked document (collection), then 44 (insertion).
  for (const auto& [table, name] : std::vector<std::pair<std::int32_t, std::string>>{
           {44, "Tspr"}, {45, "Tspr_dok"}, {58, "Mm"}, {67, "Mm_dok"}}) {
    const std::int16_t size = table == 44 ? 984 : table == 45 ? 298 : table == 58 ? 526 : 350;
    add(Row(
        "OdTableNull_LoadCheck_" + std::to_string(table),
        [table = table](simhost::Config& c) {
          c.faults.od_table_null = {{table, 1}};
        },
        [name = name, size](Expected& e) {
          LoadCheckRefuses(e, name + "\t" + std::to_string(size) + "\tbrak");
        }));
  }
  add(Row(
      "OdTableNull_HookInstallation_45",
      [](simhost::Config& c) {
        c.faults.od_table_null = {{45, 2}};
      },
      [](Expected& e) {
        e.start = -1;
        e.messages = {kNeedsNewer};
        NothingCollected(e);
        e.chained = 0;
        e.check = [](FaultMatrix&) {
          EXPECT_EQ(Registry(), (std::vector<RegistryRow>{{"Tspr_dok", 298, 0}}));
        };
      }));
  add(Row("OdTableNull_Run_188", [](simhost::Config& c) { c.faults.od_table_null = {{188, 1}}; }));
  add(Row(
      "OdTableNull_Selection_58",
      [](simhost::Config& c) {
        c.faults.od_table_null = {{58, 2}};
      },
      [](Expected& e) {
        e.messages = {kDiskError};
        NothingCollected(e);
        e.check = [](FaultMatrix& t) {
          EXPECT_EQ(t.RunCount("ui_form_run(1002)"), 0) << "no list";
          EXPECT_EQ(t.RunCount("doc_totals_recalc"), 1);
          EXPECT_EQ(t.RunCount("ui_browse_refresh"), 1);
        };
      }));
  for (const auto& [table, request] : std::vector<std::pair<std::int32_t, int>>{{58, 3}, {67, 2}, {44, 2}}) {
    add(Row(
        "OdTableNull_CollectionOfTheFirstDocument_" + std::to_string(table),
        [table = table, request = request](simhost::Config& c) {
          c.faults.od_table_null = {{table, request}};
        },
        [](Expected& e) {
          e.messages = {kNote, kCollectionDiskError};
          e.slots = std::vector<std::string>{"A1", "A2", "A3"};
          e.check = [](FaultMatrix& t) { EXPECT_EQ(t.RunCount("od_search"), 1); };
        }));
    add(Row(
        "OdTableNull_CollectionOfEveryDocument_" + std::to_string(table),
        [table = table, request = request](simhost::Config& c) {
          c.faults.od_table_null = {{table, request}, {table, request + 1}};
        },
        [](Expected& e) {
          e.messages = {kNote, kCollectionDiskError, kCollectionDiskError};
          NothingCollected(e);
        }));
  }
  add(Row(
      "OdTableNull_Insertion_44",
      [](simhost::Config& c) {
        c.faults.od_table_null = {{44, 4}};
      },
      [](Expected& e) {
        e.event = 0;
        e.messages = {kNote, kCollectionDiskError};
        NothingCollected(e);
        e.chained = 0;
        e.check = [](FaultMatrix& t) {
          EXPECT_EQ(t.RunCount("doc_totals_recalc"), 0);
          EXPECT_EQ(t.RunCount("ui_browse_refresh"), 0);
          EXPECT_EQ(t.RunCount("mem_free"), 2) << "both buffers released";
        };
      }));

  // mem_realloc failing at each growth of both arrays. Calls are counted from 1: the list's growths
  // come first, then the collection's.
  add(Row(
      "MemRealloc_List_FirstGrowth", [](simhost::Config& c) { c.faults.mem_realloc_calls = {1}; },
      [](Expected& e) {
        e.messages = {kSelectionOutOfMemory};
        NothingCollected(e);
        e.check = [](FaultMatrix& t) {
          EXPECT_EQ(t.RunCount("ui_form_run(1002)"), 0);
          EXPECT_EQ(t.RunCount("od_scan_end"), 1);
          EXPECT_EQ(t.RunCount("mem_free"), 0) << "nothing was allocated";
        };
      }));
  add(Row(
      "MemRealloc_List_SecondGrowth",
      [](simhost::Config& c) {
        ManyDocuments(c, 31);
        c.faults.mem_realloc_calls = {2};
      },
      [](Expected& e) {
        e.messages = {kSelectionOutOfMemory};
        NothingCollected(e);
        e.check = [](FaultMatrix& t) {
          EXPECT_EQ(t.RunCount("ui_form_run(1002)"), 0);
          EXPECT_EQ(t.RunCount("mem_realloc(12540)"), 1);
          EXPECT_EQ(t.RunCount("mem_free"), 1) << "the 30 entries loaded before";
        };
      }));
  add(Row(
      "MemRealloc_List_ThirdGrowthAfterTwoSucceeded",
      [](simhost::Config& c) {
        ManyDocuments(c, 61);
        c.faults.mem_realloc_calls = {3};
      },
      [](Expected& e) {
        e.messages = {kSelectionOutOfMemory};
        NothingCollected(e);
        e.check = [](FaultMatrix& t) { EXPECT_EQ(t.RunCount("mem_realloc(18810)"), 1); };
      }));
  add(Row(
      "MemRealloc_Collection_FirstGrowth_NextDocumentTriesAgain",
      [](simhost::Config& c) { c.faults.mem_realloc_calls = {2}; },
      [](Expected& e) {
        e.messages = {kNote, kCollectionOutOfMemory};
        e.slots = std::vector<std::string>{"A1", "A2", "A3"};
        e.check = [](FaultMatrix& t) { EXPECT_EQ(t.RunCount("od_result_free"), 2); };
      }));
  add(Row(
      "MemRealloc_Collection_EveryGrowth",
      [](simhost::Config& c) {
        c.faults.mem_realloc_calls = {2, 3};
      },
      [](Expected& e) {
        e.messages = {kNote, kCollectionOutOfMemory, kCollectionOutOfMemory};
        NothingCollected(e);
      }));
  add(Row(
      "MemRealloc_Collection_SecondGrowth_The501st",
      [](simhost::Config& c) {
        PositionsPerDocument(c, {501});
        c.faults.mem_realloc_calls = {3};
      },
      [](Expected& e) {
        e.messages = {kNote, kCollectionOutOfMemory};
        e.slots = std::nullopt;
        e.check = [](FaultMatrix& t) {
          EXPECT_EQ(t.UsedSlots().size(), 500u) << "the 500 collected before stay";
          EXPECT_EQ(t.SlotName(499), "P499");
          EXPECT_EQ(t.RunCount("mem_realloc(179000)"), 1);
        };
      }));
  add(Row(
      "MemRealloc_Collection_LaterGrowthAfterAnEarlierSuccess",
      [](simhost::Config& c) {
        PositionsPerDocument(c, {500, 1, 1});
        c.faults.mem_realloc_calls = {3};
      },
      [](Expected& e) {
        e.messages = {kNote, kCollectionOutOfMemory};
        e.slots = std::nullopt;
        e.check = [](FaultMatrix& t) {
          EXPECT_EQ(t.UsedSlots().size(), 501u) << "the first document's 500 and the third's one";
          EXPECT_EQ(Utf8(t.Slot(500).mm_number), "MM/3");
          EXPECT_EQ(t.RunCount("mem_realloc(179000)"), 2);
        };
      }));

  // The scan of table 58.
  add(Row(
      "OdScanFirst_Zero", [](simhost::Config& c) { c.faults.od_scan_first_empty = true; },
      [](Expected& e) {
        e.messages = {kNothingToMark, kNothingToMark};
        NothingCollected(e);
        e.check = [](FaultMatrix& t) {
          EXPECT_EQ(t.RunCount("od_scan_next"), 0);
          EXPECT_EQ(t.RunCount("od_scan_end"), 1);
          EXPECT_EQ(t.RunCount("ui_form_run(1002)"), 1) << "an empty list";
        };
      }));
  add(Row(
      "OdScanNext_EndsAtOnce", [](simhost::Config& c) { c.faults.od_scan_next_stop_after = 0; },
      [](Expected& e) {
        e.messages = {kNothingToMark, kNothingToMark};
        NothingCollected(e);
      }));
  add(Row(
      "OdScanNext_EndsEarly", [](simhost::Config& c) { c.faults.od_scan_next_stop_after = 1; },
      [](Expected& e) {
        // Only MM/1, the first of index 124, is listed; the second Insert falls outside the list.
        e.slots = std::vector<std::string>{"A1", "A2", "A3"};
        e.check = [](FaultMatrix& t) {
          EXPECT_EQ(t.Rows().size(), 1u);
          EXPECT_EQ(t.RunCount("od_scan_end"), 1);
        };
      }));

  // The search of table 67.
  add(Row(
      "OdSearch_ZeroHandle", [](simhost::Config& c) { c.faults.od_search_zero_handle = {2}; },
      [](Expected& e) {
        e.slots = std::vector<std::string>{"A1", "A2", "A3"};
        e.check = [](FaultMatrix& t) { EXPECT_EQ(t.RunCount("od_result_free"), 1) << "only the other's"; };
      }));
  add(Row(
      "OdSearch_ZeroCount", [](simhost::Config& c) { c.mm[1].positions.clear(); },
      [](Expected& e) {
        e.slots = std::vector<std::string>{"A1", "A2", "A3"};
        e.check = [](FaultMatrix& t) { EXPECT_EQ(t.RunCount("od_result_free"), 2) << "the empty one too"; };
      }));
  for (const auto& [where, record, kept] :
       std::vector<std::tuple<std::string, int, std::vector<std::string>>>{
           {"First", 0, {"B1", "B2"}},
           {"Middle", 1, {"B1", "B2", "A1"}},
           {"Last", 2, {"B1", "B2", "A1", "A2"}}}) {
    add(Row(
        "OdFseek_Fails_" + where,
        [record = record](simhost::Config& c) {
          c.faults.od_fseek = {{1, record}};
        },
        [kept = kept](Expected& e) {
          e.messages = {kNote, kSeekError};
          e.slots = kept;
          e.check = [](FaultMatrix& t) { EXPECT_EQ(t.RunCount("od_result_free"), 2); };
        }));
  }

  // The settings file.
  add(Row(
      "IniAccess_ReadFails",
      [](simhost::Config& c) {
        c.faults.ini_read_fails = true;
        c.notice_answer = 0;
      },
      [](Expected& e) {
        e.messages.insert(e.messages.begin(), kNotice);
        e.check = [](FaultMatrix& t) { EXPECT_EQ(t.Settings(), "[Kombrel]\r\nPytaj=0\r\n"); };
      }));
  add(Row(
      "IniAccess_WriteFails",
      [](simhost::Config& c) {
        c.settings = std::map<std::string, std::map<std::string, std::string>>{{"Kombrel", {{"Pytaj", "0"}}}};
        c.faults.ini_write_fails = true;
        c.notice_answer = 1;
      },
      [](Expected& e) {
        e.messages.insert(e.messages.begin(), kNotice);
        e.check = [](FaultMatrix& t) {
          EXPECT_EQ(t.Settings(), "[Kombrel]\r\nPytaj=0\r\n") << "unchanged: the notice comes again";
          EXPECT_EQ(t.plugin().Start(), 0) << "a second start, with the hook in already";
          EXPECT_EQ(t.Seen().back(), kNotice);
        };
      }));

  // The form engine gives no address for the list's current row: Insert marks nothing.
  add(Row(
      "UiFormItemValue_Null", [](simhost::Config& c) { c.faults.ui_form_item_value_null = true; },
      NothingCollected));

  // Entries the host module lacks that no slot binds: the static import and the delay-load hook.
  add(Row(
      "Missing_30005_StaticImport", [](simhost::Config& c) { c.missing_ordinals = {30005}; }, LoadFails));
  add(Row(
      "Missing_30007_DelayLoadHook", [](simhost::Config& c) { c.missing_ordinals = {30007}; }, LoadFails));

  // Every service missing, under every answer of the missing-entry box.
  for (const ServiceSlot& service : kServiceSlots) {
    for (const Answer& answer : kAnswers) {
      add(Row(
          std::string("Missing_") + std::to_string(service.ordinal) + "_" + service.name + "_" + answer.name,
          [&service, &answer](simhost::Config& c) {
            c.missing_ordinals = {service.ordinal};
            c.missing_entry_answers = answer.given;
          },
          [&service, &answer](Expected& e) { MissingService(service, answer, e); }));
    }
  }
  return rows;
}

const std::vector<FaultCase>& AllCases() {
  static const std::vector<FaultCase> cases = Cases();
  return cases;
}

TEST(FaultMatrixSize, IsPrinted) {
  std::printf("fault matrix: %zu cases\n", AllCases().size());
}

TEST_P(FaultMatrix, TheOutcomeIsTheDocumentedOneAndNothingLeaks) {
  const Expected& e = GetParam().expected;
  simhost::Config config = BaseScenario();
  GetParam().fault(config);
  simhost::Host& host = Boot(config);

  ASSERT_EQ(plugin().loaded(), e.loads) << plugin().load_error();
  if (plugin().loaded()) {
    load_check = plugin().LoadCheck(help_);
    EXPECT_EQ(load_check, e.load_check);
    if (load_check == 0) {
      start = plugin().Start();
      EXPECT_EQ(start, e.start);
      if (start == 0) {
        event = Transfer();
        EXPECT_EQ(event, e.event);
      }
      EXPECT_EQ(plugin().Stop(), 0);
    } else {
      EXPECT_EQ(plugin().Report(), 0);
    }
  }
  EXPECT_EQ(Seen(), e.messages);
  if (e.slots) {
    EXPECT_EQ(UsedSlots(), *e.slots);
  }
  EXPECT_EQ(host.chained.size(), e.chained);
  if (e.check) e.check(*this);

  // Whatever happened, the plug-in holds nothing of the host's once it is unloaded, and wrote nothing
  // it may not.
  plugin().Unload();
  EXPECT_TRUE(host.blocks.empty());
  EXPECT_TRUE(host.scans.empty());
  EXPECT_TRUE(host.results.empty());
  for (const std::string& violation : host.violations)
    EXPECT_EQ(violation, e.violation);
  if (!e.violation.empty()) {
    EXPECT_FALSE(host.violations.empty()) << "expected: " << e.violation;
  }
  host.violations.clear();
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::ValuesIn(AllCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace kombrel_test

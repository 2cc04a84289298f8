// Reading a scenario file. Every field is checked for its type and range, unknown fields and fields
// given twice are refused, and the first problem is reported by its path in the file, so that a typo
// never passes silently and nothing runs from a file the host would read otherwise than its author
// meant.
#include "tools/kombrel_host/scenario.h"

#include <initializer_list>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <type_traits>

#include "simulated_host/codepages.h"
#include "simulated_host/services.h"

namespace kombrel_host {
namespace {

using Json = nlohmann::ordered_json;

[[noreturn]] void Fail(const std::string& path, const std::string& what) {
  throw ScenarioError("scenario: " + (path.empty() ? std::string("the file") : path) + ": " + what);
}

// A value as the file spells it, shortened for a one-line message.
std::string Shown(const Json& value) {
  std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
  if (text.size() > 60) text = text.substr(0, 57) + "...";
  return text;
}

std::string Member(const std::string& path, const std::string& key) {
  return path.empty() ? key : path + "." + key;
}

std::string Element(const std::string& path, std::size_t index) {
  return path + "[" + std::to_string(index) + "]";
}

// The fields of one object: unknown fields are refused before any field is read.
class Fields {
 public:
  Fields(const Json& value, std::string path, std::initializer_list<const char*> known)
      : value_(value), path_(std::move(path)) {
    if (!value.is_object()) Fail(path_, std::string("expected an object, got ") + Shown(value));
    for (const auto& [key, ignored] : value.items()) {
      bool found = false;
      for (const char* name : known)
        found = found || key == name;
      if (found) continue;
      std::string names;
      for (const char* name : known)
        names += (names.empty() ? "" : ", ") + std::string(name);
      Fail(Member(path_, key), "unknown field (known here: " + names + ")");
    }
  }

  const Json* Get(const char* key) const {
    auto found = value_.find(key);
    return found == value_.end() ? nullptr : &*found;
  }
  std::string Path(const char* key) const { return Member(path_, key); }

  // Reads a field that is given into `target`, checked as the target's type asks (a text the host can
  // store, a number, true or false, an integer in the type's whole range); a field left out keeps the
  // target's default.
  void Read(const char* key, std::string& target) const;
  void Read(const char* key, bool& target) const;
  void Read(const char* key, double& target) const;
  template <class T>
  void Read(const char* key, T& target) const;

 private:
  const Json& value_;
  std::string path_;
};

template <class T>
T Integer(const Json& value, const std::string& path, long long low = std::numeric_limits<T>::min(),
          long long high = std::numeric_limits<T>::max()) {
  const std::string range = "an integer from " + std::to_string(low) + " to " + std::to_string(high);
  if (!value.is_number_integer()) Fail(path, "expected " + range + ", got " + Shown(value));
  if (value.is_number_unsigned() && value.get<unsigned long long>() > static_cast<unsigned long long>(high))
    Fail(path, "expected " + range + ", got " + Shown(value));
  const long long number = value.get<long long>();
  if (number < low || number > high) Fail(path, "expected " + range + ", got " + Shown(value));
  return static_cast<T>(number);
}

bool Boolean(const Json& value, const std::string& path) {
  if (!value.is_boolean()) Fail(path, "expected true or false, got " + Shown(value));
  return value.get<bool>();
}

double Number(const Json& value, const std::string& path) {
  if (!value.is_number()) Fail(path, "expected a number, got " + Shown(value));
  return value.get<double>();
}

std::size_t Utf8Length(unsigned char lead) {
  return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

// A UTF-8 text that the host can store: every character must exist in its code page (Mazovia).
std::string Text(const Json& value, const std::string& path) {
  if (!value.is_string()) Fail(path, "expected a string, got " + Shown(value));
  const std::string text = value.get<std::string>();
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = std::min(Utf8Length(static_cast<unsigned char>(text[i])), text.size() - i);
    const std::string character = text.substr(i, length);
    if (simhost::MazoviaToUtf8(simhost::Utf8ToMazovia(character)) != character)
      Fail(path, "\"" + character + "\" has no place in the host's code page (Mazovia)");
    i += length;
  }
  return text;
}

void Fields::Read(const char* key, std::string& target) const {
  if (const Json* f = Get(key)) target = Text(*f, Path(key));
}

void Fields::Read(const char* key, double& target) const {
  if (const Json* f = Get(key)) target = Number(*f, Path(key));
}

void Fields::Read(const char* key, bool& target) const {
  if (const Json* f = Get(key)) target = Boolean(*f, Path(key));
}

template <class T>
void Fields::Read(const char* key, T& target) const {
  static_assert(std::is_integral_v<T> && !std::is_same_v<T, bool>);
  if (const Json* f = Get(key)) target = Integer<T>(*f, Path(key));
}

bool IsDigits(std::string_view text) {
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// An ISO date, "YYYY-MM-DD", as the host stores it: "YYYYMMDD". An empty text stays empty: a date the
// user left blank, or a record without one.
std::string Date(const Json& value, const std::string& path) {
  const std::string expected = "expected \"YYYY-MM-DD\" or \"\", got ";
  if (!value.is_string()) Fail(path, expected + Shown(value));
  const std::string text = value.get<std::string>();
  if (text.empty()) return text;
  const std::string_view view = text;
  if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !IsDigits(view.substr(0, 4)) ||
      !IsDigits(view.substr(5, 2)) || !IsDigits(view.substr(8, 2))) {
    Fail(path, expected + Shown(value));
  }
  const int year = std::stoi(text.substr(0, 4));
  const int month = std::stoi(text.substr(5, 2));
  const int day = std::stoi(text.substr(8, 2));
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1] + (month == 2 && leap ? 1 : 0))
    Fail(path, expected + Shown(value));
  return text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2);
}

const Json& Array(const Json& value, const std::string& path) {
  if (!value.is_array()) Fail(path, "expected an array, got " + Shown(value));
  return value;
}

// --- host -------------------------------------------------------------------------------------------

void ReadFaults(const Json& value, const std::string& path, simhost::Faults& faults) {
  const Fields fields(value, path, {"od_table", "mem_realloc", "od_search", "od_fseek"});
  if (const Json* list = fields.Get("od_table")) {
    const std::string list_path = fields.Path("od_table");
    for (std::size_t i = 0; i < Array(*list, list_path).size(); ++i) {
      const std::string at = Element(list_path, i);
      const Fields fault((*list)[i], at, {"table", "after"});
      if (fault.Get("table") == nullptr) Fail(fault.Path("table"), "missing");
      if (fault.Get("after") == nullptr) Fail(fault.Path("after"), "missing");
      const auto table = Integer<std::int32_t>(*fault.Get("table"), fault.Path("table"));
      const int after = Integer<int>(*fault.Get("after"), fault.Path("after"), 0);
      if (!faults.od_table_after.emplace(table, after).second)
        Fail(fault.Path("table"), "table " + std::to_string(table) + " is given twice");
    }
  }
  if (const Json* list = fields.Get("mem_realloc")) {
    const std::string list_path = fields.Path("mem_realloc");
    for (std::size_t i = 0; i < Array(*list, list_path).size(); ++i)
      faults.mem_realloc_calls.insert(Integer<int>((*list)[i], Element(list_path, i), 1));
  }
  if (const Json* list = fields.Get("od_search")) {
    const std::string list_path = fields.Path("od_search");
    for (std::size_t i = 0; i < Array(*list, list_path).size(); ++i)
      faults.od_search_zero_handle.insert(Integer<std::int32_t>((*list)[i], Element(list_path, i)));
  }
  if (const Json* list = fields.Get("od_fseek")) {
    const std::string list_path = fields.Path("od_fseek");
    for (std::size_t i = 0; i < Array(*list, list_path).size(); ++i) {
      const Fields fault((*list)[i], Element(list_path, i), {"doc_id", "record"});
      if (fault.Get("doc_id") == nullptr) Fail(fault.Path("doc_id"), "missing");
      if (fault.Get("record") == nullptr) Fail(fault.Path("record"), "missing");
      faults.od_fseek.insert({Integer<std::int32_t>(*fault.Get("doc_id"), fault.Path("doc_id")),
                              Integer<int>(*fault.Get("record"), fault.Path("record"), 0)});
    }
  }
}

void ReadHost(const Json& value, simhost::Config& config) {
  const Fields fields(value, "host",
                      {"api_version", "tables", "missing_ordinals", "missing_entry_answers",
                       "previous_handler", "notice_answer", "fail"});
  fields.Read("api_version", config.api_version);
  if (const Json* field = fields.Get("tables")) {
    const std::string path = fields.Path("tables");
    if (!field->is_object()) Fail(path, "expected an object, got " + Shown(*field));
    for (const auto& [key, size] : field->items()) {
      const std::string at = Member(path, key);
      if (key.empty() || key.size() > 9 || !IsDigits(key))
        Fail(at, "a table is named by its number, \"44\" for example");
      const std::int32_t number = std::stoi(key);
      config.tables[number] =
          size.is_null() ? std::nullopt : std::optional<std::int16_t>(Integer<std::int16_t>(size, at));
    }
  }
  if (const Json* field = fields.Get("missing_ordinals")) {
    const std::string path = fields.Path("missing_ordinals");
    std::set<std::uint16_t> exported;
    for (const auto& [number, address] : simhost::HostExports())
      exported.insert(number);
    for (std::size_t i = 0; i < Array(*field, path).size(); ++i) {
      const auto number = Integer<std::uint16_t>((*field)[i], Element(path, i));
      if (exported.count(number) == 0)
        Fail(Element(path, i), std::to_string(number) + " is not an ordinal the host exports");
      config.missing_ordinals.insert(number);
    }
  }
  if (const Json* field = fields.Get("missing_entry_answers")) {
    const std::string path = fields.Path("missing_entry_answers");
    static const std::map<std::string, simhost::BoxAnswer> kAnswers = {
        {"abort", simhost::BoxAnswer::kAbort},
        {"retry", simhost::BoxAnswer::kRetry},
        {"ignore", simhost::BoxAnswer::kIgnore},
        {"none", simhost::BoxAnswer::kNone}};
    if (Array(*field, path).empty()) Fail(path, "expected at least one answer");
    config.missing_entry_answers.clear();
    for (std::size_t i = 0; i < field->size(); ++i) {
      const Json& answer = (*field)[i];
      auto found = answer.is_string() ? kAnswers.find(answer.get<std::string>()) : kAnswers.end();
      if (found == kAnswers.end())
        Fail(Element(path, i), "expected \"abort\", \"retry\", \"ignore\" or \"none\", got " + Shown(answer));
      config.missing_entry_answers.push_back(found->second);
    }
  }
  fields.Read("previous_handler", config.previous_handler);
  fields.Read("notice_answer", config.notice_answer);
  if (const Json* field = fields.Get("fail")) ReadFaults(*field, fields.Path("fail"), config.faults);
}

// --- settings ---------------------------------------------------------------------------------------

std::string IniName(const Json& value, const std::string& path, std::string_view forbidden) {
  if (!value.is_string()) Fail(path, "expected a string, got " + Shown(value));
  const std::string text = value.get<std::string>();
  for (char c : text) {
    if (c == '\n' || c == '\r' || forbidden.find(c) != std::string_view::npos)
      Fail(path, Shown(value) + " cannot be written as one line of an INI file");
  }
  return text;
}

void ReadSettings(const Json& value, simhost::Config& config) {
  if (value.is_null()) {
    config.settings = std::nullopt;
    return;
  }
  if (!value.is_object()) Fail("settings", "expected an object of sections, or null, got " + Shown(value));
  std::map<std::string, std::map<std::string, std::string>> sections;
  for (const auto& [section, keys] : value.items()) {
    const std::string at = Member("settings", section);
    IniName(Json(section), at, "[]");
    if (!keys.is_object()) Fail(at, "expected an object of keys, got " + Shown(keys));
    auto& out = sections[section];
    for (const auto& [key, text] : keys.items()) {
      IniName(Json(key), Member(at, key), "=[;");
      out[key] = IniName(text, Member(at, key), "");
    }
  }
  config.settings = std::move(sections);
}

// --- MM documents -----------------------------------------------------------------------------------

simhost::MmPosition ReadMmPosition(const Json& value, const std::string& path, std::size_t index) {
  const Fields fields(value, path,
                      {"name", "code", "quantity", "unit", "price_odd", "price_even", "attribute", "ref"});
  simhost::MmPosition position;
  position.ref = static_cast<std::int16_t>(std::min<std::size_t>(index + 1, 32767));
  fields.Read("name", position.name);
  fields.Read("code", position.code);
  fields.Read("quantity", position.quantity);
  fields.Read("unit", position.unit);
  fields.Read("price_odd", position.price_odd);
  fields.Read("price_even", position.price_even);
  fields.Read("attribute", position.attribute);
  fields.Read("ref", position.ref);
  return position;
}

simhost::MmDocument ReadMmDocument(const Json& value, const std::string& path, std::size_t index) {
  const Fields fields(value, path,
                      {"number", "aux_text", "dest_warehouse", "issue_date", "description", "purchase_value",
                       "aux_number", "warehouse", "aux_id", "doc_id", "positions"});
  simhost::MmDocument document;
  document.doc_id = static_cast<std::int32_t>(index + 1);
  fields.Read("number", document.number);
  fields.Read("aux_text", document.aux_text);
  fields.Read("dest_warehouse", document.dest_warehouse);
  if (const Json* f = fields.Get("issue_date")) document.issue_date = Date(*f, fields.Path("issue_date"));
  fields.Read("description", document.description);
  fields.Read("purchase_value", document.purchase_value);
  fields.Read("aux_number", document.aux_number);
  fields.Read("warehouse", document.warehouse);
  fields.Read("aux_id", document.aux_id);
  fields.Read("doc_id", document.doc_id);
  if (const Json* f = fields.Get("positions")) {
    const std::string list_path = fields.Path("positions");
    for (std::size_t i = 0; i < Array(*f, list_path).size(); ++i)
      document.positions.push_back(ReadMmPosition((*f)[i], Element(list_path, i), i));
  }
  return document;
}

// --- the sales document -----------------------------------------------------------------------------

constexpr std::int32_t kMostSlots = 100000;

simhost::SalesPosition ReadSalesPosition(const Json& value, const std::string& path, std::size_t index) {
  const Fields fields(value, path,
                      {"slot", "name", "code", "quantity", "unit", "attribute", "price", "mm_number",
                       "warehouse", "ref", "mark"});
  simhost::SalesPosition position;
  position.slot = static_cast<std::int32_t>(index);
  if (const Json* f = fields.Get("slot")) position.slot = Integer<std::int32_t>(*f, fields.Path("slot"), 0);
  fields.Read("name", position.name);
  fields.Read("code", position.code);
  fields.Read("quantity", position.quantity);
  fields.Read("unit", position.unit);
  fields.Read("attribute", position.attribute);
  fields.Read("price", position.price);
  fields.Read("mm_number", position.mm_number);
  fields.Read("warehouse", position.warehouse);
  fields.Read("ref", position.ref);
  fields.Read("mark", position.used_mark);
  return position;
}

void ReadSales(const Json& value, simhost::Config& config) {
  const Fields fields(value, "sales", {"price_selector", "slots", "row_base", "used"});
  fields.Read("price_selector", config.price_selector);
  if (const Json* f = fields.Get("slots"))
    config.slot_count = Integer<std::int32_t>(*f, fields.Path("slots"), 0, kMostSlots);
  fields.Read("row_base", config.row_base);
  if (const Json* f = fields.Get("used")) {
    const std::string list_path = fields.Path("used");
    std::map<std::int32_t, std::size_t> taken;
    for (std::size_t i = 0; i < Array(*f, list_path).size(); ++i) {
      const std::string at = Element(list_path, i);
      simhost::SalesPosition position = ReadSalesPosition((*f)[i], at, i);
      if (position.slot >= config.slot_count)
        Fail(Member(at, "slot"), "slot " + std::to_string(position.slot) + " is past the document's " +
                                     std::to_string(config.slot_count) + " slots");
      if (auto [where, fresh] = taken.emplace(position.slot, i); !fresh)
        Fail(Member(at, "slot"), "slot " + std::to_string(position.slot) + " is already used by " +
                                     Element(list_path, where->second));
      config.sales.push_back(std::move(position));
    }
  }
}

// --- steps ------------------------------------------------------------------------------------------

constexpr std::int32_t kTransferEvent = 235;

struct NamedStep {
  const char* name;
  Step::Kind kind;
};
constexpr NamedStep kNamedSteps[] = {
    {"load", Step::Kind::kLoad},     {"load_check", Step::Kind::kLoadCheck},
    {"report", Step::Kind::kReport}, {"start", Step::Kind::kStart},
    {"stop", Step::Kind::kStop},     {"unload", Step::Kind::kUnload},
};

Step ReadEvent(const Json& value, const std::string& path) {
  const Fields fields(value, path, {"event", "dates", "insert", "accept"});
  Step step;
  step.kind = Step::Kind::kEvent;
  if (fields.Get("event") == nullptr) Fail(fields.Path("event"), "missing: a step object is an event");
  step.event = Integer<std::int32_t>(*fields.Get("event"), fields.Path("event"));
  const Json* dates = fields.Get("dates");
  const Json* insert = fields.Get("insert");
  const Json* accept = fields.Get("accept");
  if (step.event != kTransferEvent) {
    for (const char* name : {"dates", "insert", "accept"}) {
      if (fields.Get(name) != nullptr) Fail(fields.Path(name), "only event 235 opens the plug-in's forms");
    }
    return step;
  }
  if (dates != nullptr && !dates->is_null()) {
    const std::string at = fields.Path("dates");
    if (!dates->is_array() || dates->size() != 2)
      Fail(at, "expected [\"YYYY-MM-DD\", \"YYYY-MM-DD\"] or null, got " + Shown(*dates));
    step.script.dates = std::make_pair(Date((*dates)[0], Element(at, 0)), Date((*dates)[1], Element(at, 1)));
  }
  const bool list_opens = step.script.dates.has_value();
  if (insert != nullptr) {
    const std::string at = fields.Path("insert");
    if (!list_opens && !Array(*insert, at).empty())
      Fail(at, "the user leaves form 1003 (dates null), so the list never opens");
    for (std::size_t i = 0; i < Array(*insert, at).size(); ++i)
      step.script.inserts.push_back(Integer<std::int16_t>((*insert)[i], Element(at, i), 0));
  }
  if (accept != nullptr) {
    if (!list_opens)
      Fail(fields.Path("accept"), "the user leaves form 1003 (dates null), so the list never opens");
    step.script.accept = Boolean(*accept, fields.Path("accept"));
  }
  return step;
}

std::vector<Step> ReadSteps(const Json& value) {
  std::vector<Step> steps;
  for (std::size_t i = 0; i < Array(value, "steps").size(); ++i) {
    const Json& item = value[i];
    const std::string at = Element("steps", i);
    if (item.is_object()) {
      steps.push_back(ReadEvent(item, at));
      continue;
    }
    bool found = false;
    for (const NamedStep& named : kNamedSteps) {
      if (item.is_string() && item.get<std::string>() == named.name) {
        steps.push_back({named.kind, 0, {}});
        found = true;
      }
    }
    if (!found) {
      Fail(at,
           "expected one of \"load\", \"load_check\", \"report\", \"start\", \"stop\", \"unload\" or an "
           "event object, got " +
               Shown(item));
    }
  }
  return steps;
}

// Parses the text, refusing a field given twice in one object (the parser would keep the last).
Json Parse(std::string_view text) {
  struct Frame {
    bool array;
    std::size_t index = 0;
    std::string key;
    std::set<std::string> keys;
  };
  std::vector<Frame> frames;
  auto path = [&frames] {
    std::string out;
    for (const Frame& frame : frames)
      out = frame.array ? Element(out, frame.index) : Member(out, frame.key);
    return out;
  };
  auto element_done = [&frames] {
    if (!frames.empty() && frames.back().array) ++frames.back().index;
  };
  auto callback = [&](int, Json::parse_event_t event, Json& parsed) {
    switch (event) {
      case Json::parse_event_t::object_start:
        frames.push_back({false, 0, {}, {}});
        break;
      case Json::parse_event_t::array_start:
        frames.push_back({true, 0, {}, {}});
        break;
      case Json::parse_event_t::key: {
        const std::string key = parsed.get<std::string>();
        if (!frames.back().keys.insert(key).second) {
          frames.back().key = key;
          Fail(path(), "given twice");
        }
        frames.back().key = key;
        break;
      }
      case Json::parse_event_t::object_end:
      case Json::parse_event_t::array_end:
        frames.pop_back();
        element_done();
        break;
      case Json::parse_event_t::value:
        element_done();
        break;
    }
    return true;
  };
  try {
    return Json::parse(text.begin(), text.end(), callback);
  } catch (const Json::parse_error& error) {
    std::string what = error.what();
    if (const auto end = what.find("] "); what.rfind("[json.exception", 0) == 0 && end != std::string::npos)
      what = what.substr(end + 2);
    throw ScenarioError("scenario: not valid JSON: " + what);
  }
}

}  // namespace

const char* StepName(Step::Kind kind) {
  if (kind == Step::Kind::kEvent) return "event";
  for (const NamedStep& named : kNamedSteps) {
    if (named.kind == kind) return named.name;
  }
  return "?";
}

Scenario ParseScenario(std::string_view json_text) {
  const Json root = Parse(json_text);
  const Fields fields(root, "", {"host", "settings", "mm", "sales", "steps"});

  Scenario scenario;
  simhost::Config& config = scenario.config;
  // The scenario's defaults, stated here rather than taken from the host's, so a file means the same
  // whatever the host's own defaults become.
  config.api_version = 112;
  config.tables = {{44, 984}, {45, 298}, {58, 526}, {67, 350}, {188, 128}};
  config.missing_ordinals.clear();
  config.missing_entry_answers = {simhost::BoxAnswer::kAbort};
  config.previous_handler = true;
  config.previous_handler_result = 7;
  config.notice_answer = 0;
  config.settings = std::nullopt;
  config.price_selector = 1;
  config.slot_count = 10;
  config.row_base = 0;
  config.current_row_offset = 0;
  config.sales.clear();
  config.mm.clear();
  config.forms.clear();
  config.faults = {};
  config.journal = true;

  if (const Json* f = fields.Get("host")) ReadHost(*f, config);
  if (const Json* f = fields.Get("settings")) ReadSettings(*f, config);
  if (const Json* f = fields.Get("mm")) {
    for (std::size_t i = 0; i < Array(*f, "mm").size(); ++i)
      config.mm.push_back(ReadMmDocument((*f)[i], Element("mm", i), i));
  }
  if (const Json* f = fields.Get("sales")) ReadSales(*f, config);
  if (const Json* f = fields.Get("steps")) {
    scenario.steps = ReadSteps(*f);
  } else {
    for (Step::Kind kind : {Step::Kind::kLoad, Step::Kind::kLoadCheck, Step::Kind::kStart, Step::Kind::kStop,
                            Step::Kind::kUnload})
      scenario.steps.push_back({kind, 0, {}});
  }
  return scenario;
}

}  // namespace kombrel_host

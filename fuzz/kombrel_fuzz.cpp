// libFuzzer target: every input is one scenario of the plug-in in the simulated host. The input decides
// the host (its interface version, which tables it has and their record sizes, the services it lacks and
// the answers of the missing-entry box, the faults of its services), the contents of its tables (raw
// record bytes or records built from a few values), the user's answers and marks in the forms, and the
// order of the entry calls. After every call the host's invariants are checked: nothing written outside
// what the plug-in owns, no guard touched, no host block, scan or search result left open, and every
// result true to what happened (a refused load check, a failed start, a run without chaining are never
// reported as success). A broken invariant aborts, so that libFuzzer keeps the input.
//
// The module stays mapped from the first input on; its writable data is put back before every input
// (module_snapshot.h), and every input loads it anew through the platform layer.
#include <fuzzer/FuzzedDataProvider.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "boundary/boundary.h"
#include "common/texts.h"
#include "fuzz/module_snapshot.h"
#include "simulated_host/host.h"
#include "simulated_host/plugin.h"
#include "tests/service_slots.h"

#if !defined(_WIN32)
#include "platform/platform.h"
#endif

namespace {

using simhost::BoxAnswer;

kombrel_fuzz::ModuleSnapshot snapshot;

using kombrel_test::kServiceSlots;  // the services in binding order

// The two entries reached without a slot.
constexpr std::uint16_t kStaticImport = 30005;
constexpr std::uint16_t kDelayLoadHook = 30007;
constexpr std::uint16_t kOdResultFree = 50704;
constexpr std::uint16_t kUiMessage = 52028;

constexpr std::int32_t kTables[] = {44, 45, 58, 67, 188};
constexpr std::int16_t kBuiltSizes[] = {984, 298, 526, 350, 128};

const double kSpecialDoubles[] = {0.0,
                                  -0.0,
                                  12.5,
                                  1e-5,
                                  -1e-5,
                                  std::numeric_limits<double>::quiet_NaN(),
                                  -std::numeric_limits<double>::quiet_NaN(),
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::denorm_min(),
                                  std::numeric_limits<double>::max(),
                                  -std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::min()};

const char* const kDates[] = {"20240101", "20240215", "20241231", "20230101",
                              "",         "2024AB01", "99999999", "00000000"};

void Describe(const simhost::Config& config, const simhost::Host& host);
std::string steps_taken;  // the entry calls of the input so far

// Reports a broken invariant with the scenario that broke it, and aborts.
[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "kombrel_fuzz: %s\n", what.c_str());
  if (simhost::Host::Running()) {
    const simhost::Host& host = simhost::Host::Current();
    Describe(host.config, host);
    std::fprintf(stderr, "steps:%s\nmessages:\n", steps_taken.c_str());
    for (const simhost::Message& message : host.messages)
      std::fprintf(stderr, "  %s|%s|%d\n", message.kind.c_str(), message.title.c_str(), message.flags);
    std::fprintf(stderr, "chained: %zu\n", host.chained.size());
  }
  std::abort();
}

void Expect(bool holds, const std::string& what) {
  if (!holds) Fail(what);
}

// A choice that is usually the ordinary one: an exhausted input gives the ordinary host.
bool Rare(FuzzedDataProvider& data, int one_in) {
  return data.ConsumeIntegralInRange<int>(0, one_in - 1) == one_in - 1;
}

template <class T>
T Pick(FuzzedDataProvider& data, const T* values, std::size_t count) {
  return values[data.ConsumeIntegralInRange<std::size_t>(0, count - 1)];
}

double SomeDouble(FuzzedDataProvider& data) {
  if (data.ConsumeBool()) {
    const std::uint64_t bits = data.ConsumeIntegral<std::uint64_t>();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  return Pick(data, kSpecialDoubles, std::size(kSpecialDoubles));
}

std::int32_t SomeInt32(FuzzedDataProvider& data) {
  static const std::int32_t kValues[] = {
      0, 1, 2, 3, -1, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
  return data.ConsumeBool() ? Pick(data, kValues, std::size(kValues)) : data.ConsumeIntegral<std::int32_t>();
}

std::int16_t SomeInt16(FuzzedDataProvider& data) {
  static const std::int16_t kValues[] = {0, 1, 2, 3, -1, -32768, 32767};
  return data.ConsumeBool() ? Pick(data, kValues, std::size(kValues)) : data.ConsumeIntegral<std::int16_t>();
}

// Copies what the input still had; an exhausted input gives no bytes.
void CopyIn(void* to, const std::vector<std::uint8_t>& bytes) {
  if (!bytes.empty()) std::memcpy(to, bytes.data(), bytes.size());
}

// A text field: a short text, the whole field without a terminator, or raw bytes.
void FillText(FuzzedDataProvider& data, char* field, std::size_t room) {
  std::memset(field, 0, room);
  switch (data.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: {
      const std::string text = data.ConsumeRandomLengthString(room - 1);
      std::memcpy(field, text.data(), std::min(text.size(), room - 1));
      break;
    }
    case 1:
      std::memset(field, 'A', room);
      break;
    case 2:
      std::memset(field, 0xFF, room);
      break;
    default: {
      const std::vector<std::uint8_t> bytes = data.ConsumeBytes<std::uint8_t>(room);
      CopyIn(field, bytes);
    }
  }
}

void FillDate(FuzzedDataProvider& data, char (&field)[9]) {
  std::memset(field, 0, sizeof field);
  if (Rare(data, 6)) {
    const std::vector<std::uint8_t> bytes = data.ConsumeBytes<std::uint8_t>(sizeof field);
    CopyIn(field, bytes);
    return;
  }
  const char* date = Pick(data, kDates, std::size(kDates));
  std::memcpy(field, date, std::strlen(date));
}

template <class Record>
void FillRaw(FuzzedDataProvider& data, Record& record) {
  const std::vector<std::uint8_t> bytes = data.ConsumeBytes<std::uint8_t>(sizeof(Record));
  std::memset(&record, 0, sizeof record);
  CopyIn(&record, bytes);
}

MmRecord SomeMmRecord(FuzzedDataProvider& data) {
  MmRecord record{};
  if (Rare(data, 5)) {
    FillRaw(data, record);
    if (data.ConsumeBool()) FillDate(data, record.issue_date);  // so that it may be listed
    return record;
  }
  FillText(data, record.number, sizeof record.number);
  FillText(data, record.aux_text, sizeof record.aux_text);
  FillText(data, record.dest_warehouse, sizeof record.dest_warehouse);
  FillDate(data, record.issue_date);
  FillText(data, record.description, sizeof record.description);
  record.purchase_value = SomeDouble(data);
  record.aux_number = SomeInt16(data);
  record.warehouse = SomeInt16(data);
  record.aux_id = Rare(data, 8) ? SomeInt32(data) : 1;
  record.doc_id = data.ConsumeBool() ? data.ConsumeIntegralInRange<std::int32_t>(1, 4) : SomeInt32(data);
  return record;
}

MmDokRecord SomeMmDokRecord(FuzzedDataProvider& data) {
  MmDokRecord record{};
  if (Rare(data, 5)) {
    FillRaw(data, record);
    return record;
  }
  FillText(data, record.name, sizeof record.name);
  FillText(data, record.code, sizeof record.code);
  record.quantity = SomeInt32(data);
  FillText(data, record.unit, sizeof record.unit);
  record.price_odd = SomeInt32(data);
  record.price_even = SomeInt32(data);
  record.attribute = SomeInt16(data);
  record.ref = data.ConsumeBool() ? data.ConsumeIntegralInRange<std::int16_t>(1, 3) : SomeInt16(data);
  return record;
}

// A used slot equal to one position of the host's MM documents, so that a run merges into it.
bool FillEqualSlot(FuzzedDataProvider& data, simhost::Host& host, TsprDokRecord& slot) {
  if (host.mm_records.empty()) return false;
  const MmRecord& document =
      host.mm_records[data.ConsumeIntegralInRange<std::size_t>(0, host.mm_records.size() - 1)];
  const std::int32_t doc_id = document.doc_id;  // packed fields, read by value
  const auto found = host.mm_positions.find(doc_id);
  if (found == host.mm_positions.end() || found->second.empty()) return false;
  const MmDokRecord& position =
      found->second[data.ConsumeIntegralInRange<std::size_t>(0, found->second.size() - 1)];
  FillText(data, slot.name, sizeof slot.name);
  std::memset(slot.mm_number, 0, sizeof slot.mm_number);
  std::memcpy(slot.mm_number, document.number, strnlen(document.number, 14));
  slot.warehouse = document.warehouse;
  slot.ref = position.ref;
  slot.attribute = position.attribute;
  const TsprRecord* header = host.sales_header();
  const bool odd = header != nullptr && header->price_selector % 2 != 0;
  const std::int32_t stored = odd ? std::int32_t{position.price_odd} : std::int32_t{position.price_even};
  const double price = host.config.faults.num_scale_result.value_or(stored / 100.0);
  slot.price = price;
  slot.quantity = SomeInt32(data);
  slot.used_mark = data.ConsumeBool() ? 0 : SomeInt16(data);
  return true;
}

void FillSlot(FuzzedDataProvider& data, simhost::Host& host, TsprDokRecord& slot) {
  switch (data.ConsumeIntegralInRange<int>(0, 4)) {
    case 0:  // free
      return;
    case 1:
      FillRaw(data, slot);
      return;
    case 2:
      if (FillEqualSlot(data, host, slot)) return;
      [[fallthrough]];
    default:
      FillText(data, slot.name, sizeof slot.name);
      FillText(data, slot.mm_number, sizeof slot.mm_number);
      slot.quantity = SomeInt32(data);
      slot.attribute = SomeInt16(data);
      slot.price = SomeDouble(data);
      slot.warehouse = SomeInt16(data);
      slot.ref = SomeInt16(data);
      slot.used_mark = data.ConsumeBool() ? 0 : SomeInt16(data);
  }
}

simhost::FormScript SomeScript(FuzzedDataProvider& data) {
  simhost::FormScript script;
  if (!Rare(data, 8)) {
    auto date = [&]() -> std::string {
      if (Rare(data, 6)) return data.ConsumeBytesAsString(8);
      return Pick(data, kDates, std::size(kDates));
    };
    std::string from = data.ConsumeBool() ? std::string("20240101") : date();
    std::string to = data.ConsumeBool() ? std::string("20241231") : date();
    script.dates = std::make_pair(from, to);
  }
  const int inserts = data.ConsumeIntegralInRange<int>(0, 6);
  for (int i = 0; i < inserts; ++i) {
    script.inserts.push_back(data.ConsumeBool() ? data.ConsumeIntegralInRange<std::int32_t>(-1, 8)
                                                : data.ConsumeIntegral<std::int16_t>());
  }
  script.accept = !Rare(data, 6);
  return script;
}

simhost::Config SomeConfig(FuzzedDataProvider& data) {
  simhost::Config config;
  config.journal = false;
  if (Rare(data, 16)) config.api_version = SomeInt32(data);
  for (std::size_t i = 0; i < std::size(kTables); ++i) {
    if (!Rare(data, 24)) continue;
    if (data.ConsumeBool()) {
      config.tables[kTables[i]] = std::nullopt;
    } else {
      config.tables[kTables[i]] =
          data.ConsumeBool() ? SomeInt16(data) : static_cast<std::int16_t>(kBuiltSizes[i] + 4);
    }
  }
  if (Rare(data, 12)) {
    const int missing = data.ConsumeIntegralInRange<int>(1, 2);
    for (int i = 0; i < missing; ++i) {
      config.missing_ordinals.insert(Rare(data, 16)
                                         ? (data.ConsumeBool() ? kStaticImport : kDelayLoadHook)
                                         : Pick(data, kServiceSlots, std::size(kServiceSlots)).ordinal);
    }
    config.missing_entry_answers.clear();
    const int answers = data.ConsumeIntegralInRange<int>(1, 4);
    for (int i = 0; i < answers; ++i)
      config.missing_entry_answers.push_back(static_cast<BoxAnswer>(data.ConsumeIntegralInRange<int>(0, 3)));
    // The last answer repeats: a user who answers Retry for ever keeps the box for ever.
    if (config.missing_entry_answers.back() == BoxAnswer::kRetry)
      config.missing_entry_answers.push_back(BoxAnswer::kAbort);
  }
  if (Rare(data, 16)) {
    // A path of any length: cut at 299 characters where the plug-in keeps it, control bytes and all.
    std::string path = data.ConsumeRandomLengthString(400);
    path.erase(std::find(path.begin(), path.end(), '\0'), path.end());
    config.plugin_path = path;
  }
  config.previous_handler = !Rare(data, 8);
  config.previous_handler_result = data.ConsumeIntegral<std::int32_t>();
  config.notice_answer = SomeInt16(data);
  if (Rare(data, 4)) {
    static const char* const kValues[] = {"0", "1", "-1", "abc", "70000", "", "65536"};
    if (data.ConsumeBool()) {
      config.settings = std::nullopt;
    } else {
      (*config.settings)["Kombrel"]["Pytaj"] = Pick(data, kValues, std::size(kValues));
    }
  }

  simhost::Faults& faults = config.faults;
  if (Rare(data, 3)) {
    const int count = data.ConsumeIntegralInRange<int>(1, 3);
    for (int i = 0; i < count; ++i) {
      faults.od_table_null.insert(
          {Pick(data, kTables, std::size(kTables)), data.ConsumeIntegralInRange<int>(1, 6)});
    }
  }
  if (Rare(data, 3)) {
    const int count = data.ConsumeIntegralInRange<int>(1, 3);
    for (int i = 0; i < count; ++i)
      faults.mem_realloc_calls.insert(data.ConsumeIntegralInRange<int>(1, 6));
  }
  faults.od_scan_first_empty = Rare(data, 16);
  if (Rare(data, 8)) faults.od_scan_next_stop_after = data.ConsumeIntegralInRange<int>(0, 8);
  faults.ini_read_fails = Rare(data, 8);
  faults.ini_write_fails = Rare(data, 8);
  faults.ui_form_item_value_null = Rare(data, 16);
  if (Rare(data, 8)) faults.num_scale_result = SomeDouble(data);

  config.price_selector = SomeInt16(data);
  config.slot_count = Rare(data, 16) ? data.ConsumeIntegralInRange<std::int32_t>(-3, 700)
                                     : data.ConsumeIntegralInRange<std::int32_t>(0, 12);
  if (Rare(data, 8)) config.row_base = SomeInt32(data);
  if (Rare(data, 8)) config.current_row_offset = SomeInt32(data);

  const int runs = data.ConsumeIntegralInRange<int>(0, 3);
  for (int i = 0; i < runs; ++i)
    config.forms.push_back(SomeScript(data));
  if (runs == 0) {
    // Two runs alike: the second merges into the slots the first filled.
    simhost::FormScript script;
    script.dates = std::make_pair(std::string("20240101"), std::string("20241231"));
    script.inserts = {0};
    config.forms = {script, script};
  }
  return config;
}

// The host's tables and document, filled after the host is made.
void FillHost(FuzzedDataProvider& data, simhost::Host& host) {
  if (TsprRecord* header = host.sales_header(); header != nullptr && Rare(data, 8)) {
    const std::int16_t selector = header->price_selector;
    FillRaw(data, *header);
    if (data.ConsumeBool()) header->price_selector = selector;
  }
  // Usually a few documents; now and then enough to grow the list twice.
  const int documents =
      Rare(data, 16) ? data.ConsumeIntegralInRange<int>(25, 70) : data.ConsumeIntegralInRange<int>(0, 6);
  const MmRecord pattern = SomeMmRecord(data);
  for (int i = 0; i < documents; ++i) {
    if (data.remaining_bytes() > 0 && data.ConsumeBool()) {
      host.mm_records.push_back(SomeMmRecord(data));
    } else {
      MmRecord record = pattern;
      record.doc_id = static_cast<std::int32_t>(static_cast<std::uint32_t>(pattern.doc_id) + i);
      host.mm_records.push_back(record);
    }
  }
  // Faults of the search, aimed at documents the host has.
  if (!host.mm_records.empty()) {
    auto some_document = [&] {
      return std::int32_t{
          host.mm_records[data.ConsumeIntegralInRange<std::size_t>(0, host.mm_records.size() - 1)].doc_id};
    };
    if (Rare(data, 3)) host.config.faults.od_search_zero_handle.insert(some_document());
    if (Rare(data, 2))
      host.config.faults.od_fseek.insert({some_document(), data.ConsumeIntegralInRange<int>(0, 5)});
  }
  for (const MmRecord& record : host.mm_records) {
    const std::int32_t doc_id = record.doc_id;  // a packed field, read by value
    if (host.mm_positions.count(doc_id) != 0) continue;
    auto& positions = host.mm_positions[doc_id];
    // Usually a few positions; now and then enough to grow the array.
    const int count =
        Rare(data, 24) ? data.ConsumeIntegralInRange<int>(490, 620) : data.ConsumeIntegralInRange<int>(0, 5);
    const MmDokRecord position_pattern = SomeMmDokRecord(data);
    for (int i = 0; i < count; ++i) {
      if (data.remaining_bytes() > 0 && data.ConsumeBool()) {
        positions.push_back(SomeMmDokRecord(data));
      } else {
        MmDokRecord position = position_pattern;
        position.ref = static_cast<std::int16_t>(i + 1);
        positions.push_back(position);
      }
    }
  }
  for (TsprDokRecord* slot : host.slots)
    FillSlot(data, host, *slot);
}

// The scenario in words, for reproducing an input: KOMBREL_FUZZ_VERBOSE=1 kombrel_fuzz <input>.
void Describe(const simhost::Config& config, const simhost::Host& host) {
  std::fprintf(stderr, "api %d; tables:", config.api_version);
  for (const auto& [number, size] : config.tables)
    std::fprintf(stderr, " %d=%d", number, size ? *size : -99999);
  std::fprintf(stderr, "\nmissing:");
  for (std::uint16_t ordinal : config.missing_ordinals)
    std::fprintf(stderr, " %u", ordinal);
  std::fprintf(stderr, "; answers:");
  for (BoxAnswer answer : config.missing_entry_answers)
    std::fprintf(stderr, " %d", static_cast<int>(answer));
  const simhost::Faults& f = config.faults;
  std::fprintf(stderr, "\nod_table null:");
  for (const auto& [table, request] : f.od_table_null)
    std::fprintf(stderr, " %d#%d", table, request);
  std::fprintf(stderr, "; mem_realloc fails:");
  for (int call : f.mem_realloc_calls)
    std::fprintf(stderr, " %d", call);
  std::fprintf(stderr, "; scan_first_empty %d; item_value_null %d; ini %d/%d\n", f.od_scan_first_empty,
               f.ui_form_item_value_null, f.ini_read_fails, f.ini_write_fails);
  std::fprintf(stderr, "previous handler %d; slots %d; documents %zu; runs %zu\n", config.previous_handler,
               config.slot_count, host.mm_records.size(), config.forms.size());
}

// --- Oracles ----------------------------------------------------------------------------------------

bool HasFallback(std::uint16_t ordinal) {
  const int r = ordinal % 100;
  return r == 99 || (r % 4 == 0 && r <= 56);
}

// Whether the load goes through: the missing-entry box for the first service the host lacks, and the
// services after it only while their fallbacks take them.
bool LoadExpected(const simhost::Config& config) {
  const auto& missing = config.missing_ordinals;
  if (missing.count(kStaticImport) != 0 || missing.count(kDelayLoadHook) != 0) return false;
  std::size_t answer = 0;
  auto next = [&]() {
    const auto& answers = config.missing_entry_answers;
    if (answers.empty()) return BoxAnswer::kAbort;
    return answers[std::min(answer++, answers.size() - 1)];
  };
  bool ignore_all = false;
  for (const auto& slot : kServiceSlots) {
    if (missing.count(slot.ordinal) == 0) continue;
    if (!ignore_all) {
      BoxAnswer given = next();
      while (given == BoxAnswer::kRetry)
        given = next();
      if (given != BoxAnswer::kIgnore) return false;
      ignore_all = true;
    }
    if (!HasFallback(slot.ordinal)) return false;
  }
  return true;
}

int RegistrySize() {
  auto* head = static_cast<WpisRozmiaru**>(snapshot.Symbol("registry_head"));
  if (head == nullptr) Fail("the plug-in has no registry_head");
  int size = 0;
  for (const WpisRozmiaru* entry = *head; entry != nullptr; entry = entry->link) {
    Expect(++size <= 5, "the record-size registry holds more than its five entries");
    Expect(entry->expected_size != entry->found_size, "a registry entry whose sizes agree");
  }
  return size;
}

struct Session {
  simhost::Host& host;
  simhost::Plugin& plugin;
  TableEventHandler original;  // table 45's handler before the plug-in came
  std::size_t messages_seen = 0;

  TableEventHandler Slot() {
    TableObject* table = host.table(45);
    return table == nullptr ? nullptr : TableEventHandlerOf(table);
  }
  bool HookIn() { return host.table(45) != nullptr && Slot() != original; }

  // The violations of this step, less those of a host without od_result_free: it cannot take its
  // search results back.
  void CheckHost(const char* step) {
    const bool results_unreleasable = host.config.missing_ordinals.count(kOdResultFree) != 0;
    for (const std::string& violation : host.violations) {
      if (results_unreleasable && violation == "a search result left open when control came back") continue;
      Fail(std::string(step) + ": " + violation);
    }
    host.violations.clear();
    for (; messages_seen < host.messages.size(); ++messages_seen) {
      const simhost::Message& message = host.messages[messages_seen];
      if (message.kind == "ui_message") {
        Expect(message.flags == 1 || message.flags == 0x200 || message.flags == 0xC001,
               "a message with unknown flags");
      }
    }
  }

  void LoadCheck(bool with_buffer) {
    simhost::GuardedBytes buffer(sizeof texts::kHelpText.bytes);
    const std::int32_t result =
        plugin.LoadCheck(with_buffer ? reinterpret_cast<char*>(buffer.data()) : nullptr);
    Expect(buffer.Damage().empty(), "the load check wrote outside the help buffer");
    if (with_buffer) {
      Expect(std::memcmp(buffer.data(), texts::kHelpText.c_str(), sizeof texts::kHelpText.bytes) == 0,
             "the help text did not reach the buffer");
    }
    Expect(result == 0 || result == -1, "the load check answered " + std::to_string(result));
    const bool refuse = host.config.api_version != 112 || RegistrySize() != 0;
    Expect((result == -1) == refuse, "the load check answered " + std::to_string(result) + " for version " +
                                         std::to_string(host.config.api_version) + " and a registry of " +
                                         std::to_string(RegistrySize()));
    CheckHost("load check");
  }

  void Start() {
    const TableEventHandler before = Slot();
    const bool was_in = HookIn();
    const std::size_t messages = host.messages.size();
    const std::int32_t result = plugin.Start();
    Expect(result == 0 || result == -1, "the start answered " + std::to_string(result));
    if (result == 0) {
      Expect(HookIn(), "a start that answered 0 installed no hook");
      Expect(TableRecordSize(host.table(45)) == 298 || was_in, "a hook installed on records of another size");
    } else {
      Expect(!was_in && Slot() == before, "a failed start changed table 45's handler");
      bool alerted = false;
      for (std::size_t i = messages; i < host.messages.size(); ++i) {
        alerted = alerted || (host.messages[i].kind == "ui_alert" &&
                              host.messages[i].text == texts::kNeedsNewerPlugin.c_str());
      }
      Expect(alerted, "a failed start told the user nothing");
    }
    CheckHost("start");
  }

  void Stop() {
    Expect(plugin.Stop() == 0, "the stop answered non-zero");
    Expect(host.table(45) == nullptr || Slot() == original, "the stop left another handler in table 45");
    CheckHost("stop");
  }

  void Event(std::int32_t code) {
    const bool hook_in = HookIn();
    const std::size_t chained = host.chained.size();
    const std::size_t messages = host.messages.size();
    simhost::EventParameters parameters;
    const auto result = host.RaiseEvent(code, parameters);
    CheckHost("event");
    if (!hook_in || !result) return;
    const bool chained_now = host.chained.size() == chained + 1;
    Expect(host.chained.size() <= chained + 1, "the previous handler was called twice");
    if (chained_now) {
      const simhost::ChainedEvent& call = host.chained.back();
      Expect(call.event == code && call.browse_value == parameters.browse_value &&
                 call.slot_count == &host.slot_count && call.slots == host.slots.data() &&
                 call.parameter5 == parameters.parameter5 && call.position_table == host.table(45) &&
                 call.parameter7 == parameters.parameter7 &&
                 call.browse_argument == parameters.browse_argument &&
                 call.parameter9 == parameters.parameter9 && call.parameter10 == parameters.parameter10 &&
                 call.parameter11 == parameters.parameter11,
             "the previous handler got other parameters");
      Expect(*result == host.config.previous_handler_result,
             "the hook changed the previous handler's result");
      return;
    }
    Expect(*result == 0, "an event that was not passed on answered " + std::to_string(*result));
    if (original == nullptr) return;  // nothing to pass it on to
    Expect(code == 235, "an event other than 235 was not passed on");
    if (host.config.missing_ordinals.count(kUiMessage) != 0) return;  // its fallback shows nothing
    bool told = false;
    for (std::size_t i = messages; i < host.messages.size(); ++i)
      told = told || host.messages[i].text == texts::kCollectionDiskError.c_str();
    Expect(told, "a run ended without chaining and without its message");
  }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!snapshot.Take(KOMBREL_PLUGIN_FILE)) Fail("cannot map " KOMBREL_PLUGIN_FILE);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  snapshot.Restore();
  kplatform::Journal().clear();

  steps_taken.clear();
  simhost::Config config = SomeConfig(data);
  // One folder for every input, which saves making one: a settings file of an earlier input goes first.
  static const std::filesystem::path folder = [] {
    auto path = std::filesystem::temp_directory_path() / ("kombrel-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(path);
    return path;
  }();
  std::filesystem::remove(folder / "Kombrel.ini");
  config.folder = folder;
  simhost::Host& host = simhost::Host::Start(config);
  FillHost(data, host);
  if (std::getenv("KOMBREL_FUZZ_VERBOSE") != nullptr) Describe(host.config, host);
  {
    simhost::Plugin plugin(KOMBREL_PLUGIN_FILE, host.config.plugin_path);
    Expect(plugin.loaded() == LoadExpected(host.config),
           std::string("the load ") + (plugin.loaded() ? "went through" : "failed: " + plugin.load_error()));
    Session session{host, plugin, host.table(45) != nullptr ? TableEventHandlerOf(host.table(45)) : nullptr};
    session.CheckHost("load");
    if (plugin.loaded()) {
      std::vector<int> steps;
      const int count = data.ConsumeIntegralInRange<int>(0, 10);
      for (int i = 0; i < count; ++i)
        steps.push_back(data.ConsumeIntegralInRange<int>(0, 7));
      if (steps.empty()) steps = {0, 3, 5, 5, 4};  // load check, start, Ctrl+5 twice, stop
      for (int step : steps) {
        steps_taken += " " + std::to_string(step);
        switch (step) {
          case 0:
            session.LoadCheck(true);
            break;
          case 1:
            session.LoadCheck(false);
            break;
          case 2:
            plugin.Report();
            session.CheckHost("refusal report");
            break;
          case 3:
            session.Start();
            break;
          case 4:
            session.Stop();
            break;
          case 5:
            session.Event(235);
            break;
          case 6:
            session.Event(data.ConsumeIntegral<std::int32_t>());
            break;
          default:
            plugin.Entry30009();
            session.CheckHost("entry 30009");
        }
      }
      // A host stops the plug-in before it unloads it.
      session.Stop();
    }
    plugin.Unload();
    session.CheckHost("unload");
  }
  simhost::Host::Stop();
  return 0;
}

// The simulated host: a small, faithful stand-in for the host program, with in-memory tables, a sales
// document, MM documents, host memory blocks, a settings file, a scripted form engine and a journal of
// every service call and message. It registers itself as the module "TORVAL" and serves the plug-in
// through the same ordinals the real host exports.
//
// One host exists at a time (the services are plain functions, as the real host's are): Host::Start
// makes it, Host::Stop ends it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/host_services.h"
#include "simulated_host/api.h"
#include "simulated_host/guards.h"

namespace simhost {

// --- What the host is made of ---------------------------------------------------------------------

// A readable MM position (table 67). Texts are UTF-8; the host stores them in Mazovia, cut only by the
// record's own room, so over-long texts can be tried.
struct MmPosition {
  std::string name;
  std::string code;
  std::int32_t quantity = 1;
  std::string unit = "szt";
  std::int32_t price_odd = 0;   // taken for an odd price selector
  std::int32_t price_even = 0;  // taken for an even one
  std::int16_t attribute = 0;
  std::int16_t ref = 1;  // 0 marks an empty position
};

// A readable MM document (table 58) and its positions.
struct MmDocument {
  std::string number;
  std::string aux_text;
  std::string dest_warehouse;
  std::string issue_date;  // stored form, "YYYYMMDD"
  std::string description;
  double purchase_value = 0;  // in ten-thousandths, as stored
  std::int16_t aux_number = 0;
  std::int16_t warehouse = 1;
  std::int32_t aux_id = 1;
  std::int32_t doc_id = 0;
  std::vector<MmPosition> positions;
};

// A readable used position of the sales document (table 45).
struct SalesPosition {
  std::int32_t slot = 0;
  std::string name;
  std::string code;
  std::int32_t quantity = 1;
  std::string unit = "szt";
  std::int16_t attribute = 0;
  double price = 0;
  std::string mm_number;
  std::int16_t warehouse = 0;
  std::int16_t ref = 1;
  std::int16_t used_mark = 0;
};

enum class BoxAnswer { kAbort, kRetry, kIgnore, kNone };

// What the scripted user does in the plug-in's forms during one transfer run.
struct FormScript {
  // Form 1003: the two dates as the form engine stores them ("YYYYMMDD"); nullopt: the user leaves.
  std::optional<std::pair<std::string, std::string>> dates;
  // Form 1002: the rows at which Insert is pressed, in order.
  std::vector<std::int32_t> inserts;
  // Form 1002: true ends it with OK (0x5001), false leaves it.
  bool accept = true;
};

// Faults the host injects into its own services.
struct Faults {
  std::map<std::int32_t, int> od_table_after;            // table → requests that succeed before null comes
  std::set<std::pair<std::int32_t, int>> od_table_null;  // (table, 1-based request) answered with null
  std::set<int> mem_realloc_calls;                       // 1-based numbers of mem_realloc calls that fail
  std::set<std::int32_t> od_search_zero_handle;          // doc_ids whose search gives a zero handle
  std::set<std::pair<std::int32_t, int>> od_fseek;       // (doc_id, record of its result) that fail to load
  bool od_scan_first_empty = false;                      // od_scan_first answers 0
  std::optional<int> od_scan_next_stop_after;            // od_scan_next answers 0 after this many records
  bool ini_read_fails = false;
  bool ini_write_fails = false;
  bool ui_form_item_value_null = false;    // the running form gives no address for its list's current row
  std::optional<double> num_scale_result;  // num_scale answers this whatever it is given
};

// What the plug-in may write in the host's memory while it has control, beyond its own memory and the
// host blocks it holds (Host::BeginWatch).
enum class Grant {
  kNothing,  // loading and unloading, the load check, the refusal report, entry 30009
  kHook,     // the start and the stop: table 45's event-handler slot
  kEvent,    // an event of table 45: its current-row offset and its record buffer (the work record), free
             // slots whole, and the quantity of used ones
};

struct Config {
  std::int32_t api_version = 112;
  // Record size per table; nullopt: the host has no such table.
  std::map<std::int32_t, std::optional<std::int16_t>> tables = {
      {44, 984}, {45, 298}, {58, 526}, {67, 350}, {188, 128}};
  std::set<std::uint16_t> missing_ordinals;                            // ordinals the host module lacks
  std::vector<BoxAnswer> missing_entry_answers = {BoxAnswer::kAbort};  // the last one repeats
  bool previous_handler = true;  // table 45 has a handler at installation
  std::int32_t previous_handler_result = 7;
  std::int16_t notice_answer = 0;  // the value dialog 1668 leaves in the flag
  // Kombrel.ini, written into the folder at the start; nullopt: no file. By default the installation
  // notice is switched off, as a user who has seen it once leaves it.
  std::optional<std::map<std::string, std::map<std::string, std::string>>> settings =
      std::map<std::string, std::map<std::string, std::string>>{{"Kombrel", {{"Pytaj", "1"}}}};
  std::filesystem::path folder;  // the host's folder; empty: a fresh temporary one
  std::string plugin_path = "C:\\TORVAL\\WTYCZKI\\Kombrel.dll";  // the path the plug-in is told it has
  std::int16_t price_selector = 1;                               // table 44 header, offset 219
  std::int32_t slot_count = 10;                                  // slots of the sales document
  std::int32_t row_base = 0;
  std::int32_t current_row_offset = 0;
  std::vector<SalesPosition> sales;
  std::vector<MmDocument> mm;
  std::vector<FormScript> forms;  // one per transfer run, in order
  Faults faults;
  bool journal = true;  // false: calls are counted, not recorded
};

// --- What the host saw ----------------------------------------------------------------------------

// One message the user saw. Texts are bytes as the plug-in handed them (Mazovia), except for the
// missing-entry box, whose text the plug-in converted for Windows (Windows-1250).
struct Message {
  std::string kind;   // ui_message, ui_messagef, ui_alert, ui_host_dialog, message_box
  std::string title;  // title or caption
  std::string text;
  std::int32_t flags = 0;  // flags, dialog number or box style
  std::string answer;      // message_box: what the user answered
};

// One call of the previous handler of table 45, with its eleven parameters as received.
struct ChainedEvent {
  std::int32_t event;
  std::uint16_t browse_value;
  std::int32_t* slot_count;
  TsprDokRecord** slots;
  std::int32_t parameter5;
  TableObject* position_table;
  std::int32_t parameter7;
  std::int32_t browse_argument;
  std::int32_t parameter9;
  std::uint16_t parameter10;
  std::int32_t parameter11;
};

// The parameters the host passes with an event. Distinct values, so that chaining can be checked.
struct EventParameters {
  std::uint16_t browse_value = 0x0102;
  std::int32_t parameter5 = 0x05050505;
  std::int32_t parameter7 = 0x07070707;
  std::int32_t browse_argument = 0x08080808;
  std::int32_t parameter9 = 0x09090909;
  std::uint16_t parameter10 = 0xA0A0;
  std::int32_t parameter11 = 0x11111111;
};

// The copy that Host::BeginWatch takes: what the host's bytes must still hold when control comes back.
struct WatchCopy {
  Grant grant = Grant::kNothing;
  std::map<std::int32_t, std::vector<std::uint8_t>> objects;  // by table number
  std::map<std::int32_t, std::vector<std::uint8_t>> records;
  std::vector<TsprDokRecord*> slots;
  std::int32_t slot_count = 0;
  std::vector<std::uint8_t> slot_bytes;           // every slot's record, one after the other
  std::map<std::uintptr_t, std::size_t> slot_at;  // slot record address → slot
};

// The host. Its state is open to the services, the tests and the tools alike.
struct SIMHOST_API Host {
  // Makes the host from `config` and registers it as the module "TORVAL". One host at a time.
  static Host& Start(Config config);
  // Ends the host and unregisters its module. The plug-in must be unloaded before.
  static void Stop();
  // The running host; aborts when there is none.
  static Host& Current();
  static bool Running();

  // Raises an event of table 45 through the handler in its slot, as the host does for every event of
  // the position table. Answers the handler's result; nullopt when the slot holds no handler.
  std::optional<std::int32_t> RaiseEvent(std::int32_t event, const EventParameters& parameters = {});

  TableObject* table(std::int32_t number);                     // null when the host has no such table
  std::int32_t TableNumberOf(const TableObject* table) const;  // 0 for an unknown object
  // Table 44's record buffer, which holds the header of the sales document being edited.
  TsprRecord* sales_header();
  std::filesystem::path settings_path() const { return folder / "Kombrel.ini"; }
  // The answer the missing-entry box gives next; the script's last answer repeats.
  BoxAnswer NextBoxAnswer();
  // Records a message the user saw and, in an interactive host, shows it.
  void Show(Message message) {
    if (on_message) on_message(message);
    messages.push_back(std::move(message));
  }
  void Record(std::string call) {
    ++call_count;
    if (config.journal) calls.push_back(std::move(call));
  }
  void Violation(std::string what) { violations.push_back(std::move(what)); }

  // The plug-in gets control: the host copies every byte of its own that the plug-in may read but, under
  // `grant`, not write. EndWatch, when control comes back, reports as violations every byte that changed
  // without the host writing it, every guard overwritten, and every host block, scan or search result
  // still open. Nested watches are part of the outer one.
  void BeginWatch(Grant grant);
  void EndWatch();
  // A service of the host wrote these bytes while the plug-in had control.
  void HostWrote(const void* address, std::size_t size);
  // Checks the guards of every table, slot record and host block now; false (with violations) when one
  // was overwritten.
  bool CheckGuards();

  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  struct Table {
    std::int32_t number = 0;
    GuardedBytes object;  // the TableObject's bytes
    GuardedBytes record;  // the record buffer: at least the record the plug-in was built for
  };

  Config config;
  std::filesystem::path folder;  // the host's folder, where Kombrel.ini lives
  std::map<std::int32_t, Table> tables;

  // The sales document: one record per slot, the slot array the plug-in gets, and the slot count.
  std::vector<GuardedBytes> slot_records;
  std::vector<TsprDokRecord*> slots;
  std::int32_t slot_count = 0;

  // MM documents: headers in the order of index 124 of table 58; positions by doc_id in search order.
  std::vector<MmRecord> mm_records;
  std::map<std::int32_t, std::vector<MmDokRecord>> mm_positions;

  // What the host saw.
  std::vector<std::string> calls;            // every service call in order, as "od_table(44)" or a bare name
  std::uint64_t call_count = 0;              // service calls, also while the journal is off
  std::uint64_t date_compares = 0;           // str_date_compare calls, also while the journal is off
  std::vector<std::uint32_t> realloc_sizes;  // the size asked of every mem_realloc, likewise
  std::vector<Message> messages;             // every message the user saw
  std::vector<ChainedEvent> chained;         // calls of the previous handler of table 45
  std::vector<std::string> list_rows;        // rows of the last display of form 1002
  // Broken promises that a real host would not survive or would leak: unknown blocks freed, forms the
  // table lacks, scans or search results left open. Empty while all is well.
  std::vector<std::string> violations;

  // Host memory blocks alive now, with their sizes. Each has guards (guards.h).
  std::map<void*, std::uint32_t> blocks;
  int mem_realloc_count = 0;
  std::map<std::int32_t, int> table_requests;  // od_table calls per table number

  // Scans and search results open now.
  std::map<const void*, std::size_t> scans;  // by scan state: the next record of index 124
  struct SearchResult {
    std::int32_t doc_id;
    std::vector<MmDokRecord> records;
  };
  std::map<std::int32_t, SearchResult> results;  // by handle
  std::int32_t next_result_handle = 1;

  // The form engine: transfer runs started, and the list's current row while form 1002 runs.
  std::size_t form_runs = 0;
  std::int16_t list_current_row = 0;
  std::size_t box_answers_given = 0;

  // An interactive host (the terminal host) takes the user's part itself: when set, ui_form_run hands
  // every form to `interactive_forms` instead of the scripted user, and every message goes to
  // `on_message` as it is shown.
  std::function<std::int32_t(const void* form_table, std::int32_t form_id, void* data,
                             FormKeyHandler key_handler, FormRowProvider row_provider)>
      interactive_forms;
  std::function<void(const Message&)> on_message;

  HMODULE module = nullptr;  // the host's own module registration
  bool own_folder = false;

  std::optional<WatchCopy> watch;  // while the plug-in has control
  int watch_depth = 0;

 private:
  explicit Host(Config config);
};

// --- Records from readable values -----------------------------------------------------------------

SIMHOST_API MmRecord MakeMmRecord(const MmDocument& document);
SIMHOST_API MmDokRecord MakeMmDokRecord(const MmPosition& position);
SIMHOST_API TsprDokRecord MakeSalesRecord(const SalesPosition& position);

// Copies `text` (UTF-8) into a record field as Mazovia, cut only by the field's room: a text that fills
// the field has no terminator, as a hostile record may have.
SIMHOST_API void StoreText(char* field, std::size_t room, const std::string& utf8_text);
template <std::size_t N>
void StoreText(char (&field)[N], const std::string& utf8_text) {
  StoreText(field, N, utf8_text);
}

}  // namespace simhost

// The host's data services over its in-memory tables: od_table and od_set_flags for every table, the
// ordered scan of table 58 over index 124, and the search of table 67 over index 125 by doc_id.
#include <cstring>
#include <string>

#include "simulated_host/host.h"
#include "simulated_host/services.h"

namespace {

constexpr std::int32_t kMmIndex = 124;
constexpr std::int32_t kMmPositionIndex = 125;

// What od_make_key leaves in the key buffer: the index and the key value.
struct Key {
  std::int32_t index;
  std::int32_t value;
};

std::string TableText(simhost::Host& host, const TableObject* table) {
  return std::to_string(host.TableNumberOf(table));
}

}  // namespace

extern "C" TableObject* KOMBREL_STDCALL torval_od_table(std::int32_t number) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("od_table(" + std::to_string(number) + ")");
  const int request = ++host.table_requests[number];
  const auto& after = host.config.faults.od_table_after;
  if (auto fault = after.find(number); fault != after.end() && request > fault->second) return nullptr;
  if (host.config.faults.od_table_null.count({number, request}) != 0) return nullptr;
  return host.table(number);
}

extern "C" std::int32_t KOMBREL_STDCALL torval_od_set_flags(TableObject* table, std::int32_t flags) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("od_set_flags(" + TableText(host, table) + "," + std::to_string(flags) + ")");
  if (host.TableNumberOf(table) == 0) host.Violation("od_set_flags on an object that is not a table");
  return 1;
}

extern "C" std::int32_t KOMBREL_STDCALL torval_od_make_key(std::int32_t index, TableObject** table_variable,
                                                           void* key_buffer, std::int32_t value) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("od_make_key(" + std::to_string(index) + ")");
  if (table_variable == nullptr || host.TableNumberOf(*table_variable) == 0) {
    host.Violation("od_make_key without the address of a table variable");
  }
  const Key key{index, value};
  std::memcpy(key_buffer, &key, sizeof key);
  return 1;
}

extern "C" std::int32_t KOMBREL_STDCALL torval_od_scan_first(void* scan_state, TableObject* table,
                                                             std::int32_t index, const void* key,
                                                             std::int32_t, std::int32_t) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("od_scan_first(" + std::to_string(index) + ")");
  if (host.TableNumberOf(table) != 58 || index != kMmIndex) host.Violation("od_scan_first of another index");
  Key start{};
  std::memcpy(&start, key, sizeof start);
  if (start.index != index) host.Violation("od_scan_first with a key of another index");
  // The scan is open from here to od_scan_end, whether or not it has anything to read.
  host.scans[scan_state] = 0;
  if (host.config.faults.od_scan_first_empty || host.mm_records.empty()) return 0;
  return 1;
}

extern "C" std::int32_t KOMBREL_STDCALL torval_od_scan_next(void* scan_state) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("od_scan_next");
  auto scan = host.scans.find(scan_state);
  if (scan == host.scans.end()) {
    host.Violation("od_scan_next of a scan that is not open");
    return 0;
  }
  const auto& stop = host.config.faults.od_scan_next_stop_after;
  if (host.table(58) == nullptr || host.config.faults.od_scan_first_empty ||
      scan->second >= host.mm_records.size() || (stop && scan->second >= static_cast<std::size_t>(*stop))) {
    return 0;
  }
  std::memcpy(TableRecordBuffer(host.table(58)), &host.mm_records[scan->second++], sizeof(MmRecord));
  host.HostWrote(TableRecordBuffer(host.table(58)), sizeof(MmRecord));
  return 1;
}

extern "C" std::int32_t KOMBREL_STDCALL torval_od_scan_end(void* scan_state) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("od_scan_end");
  if (host.scans.erase(scan_state) == 0) host.Violation("od_scan_end of a scan that is not open");
  return 1;
}

extern "C" std::int32_t KOMBREL_STDCALL torval_od_search(std::int32_t index, const void* key,
                                                         TableObject* table, std::int32_t* found) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("od_search(" + std::to_string(index) + ")");
  if (host.TableNumberOf(table) != 67 || index != kMmPositionIndex)
    host.Violation("od_search of another index");
  Key wanted{};
  std::memcpy(&wanted, key, sizeof wanted);
  if (wanted.index != index) host.Violation("od_search with a key of another index");
  auto positions = host.mm_positions.find(wanted.value);
  if (positions == host.mm_positions.end() ||
      host.config.faults.od_search_zero_handle.count(wanted.value) != 0) {
    return 0;
  }
  const std::int32_t handle = host.next_result_handle++;
  host.results[handle] = {wanted.value, positions->second};
  *found = static_cast<std::int32_t>(positions->second.size());
  return handle;
}

extern "C" std::int32_t KOMBREL_STDCALL torval_od_fseek(std::int32_t, std::int32_t index, TableObject* table,
                                                        std::int32_t, std::int32_t handle) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("od_fseek(" + std::to_string(index) + ")");
  auto result = host.results.find(handle);
  if (result == host.results.end()) {
    host.Violation("od_fseek in a search result that is not open");
    return 0;
  }
  const auto& records = result->second.records;
  if (index < 0 || static_cast<std::size_t>(index) >= records.size()) return 0;
  if (host.config.faults.od_fseek.count({result->second.doc_id, index}) != 0) return 0;
  if (host.table(67) == nullptr) return 0;
  if (host.TableNumberOf(table) != 67) host.Violation("od_fseek into another table");
  std::memcpy(TableRecordBuffer(host.table(67)), &records[static_cast<std::size_t>(index)],
              sizeof(MmDokRecord));
  host.HostWrote(TableRecordBuffer(host.table(67)), sizeof(MmDokRecord));
  return 1;
}

extern "C" std::int32_t KOMBREL_STDCALL torval_od_result_free(std::int32_t* handle) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("od_result_free");
  if (handle == nullptr || host.results.erase(*handle) == 0) {
    host.Violation("od_result_free of a search result that is not open");
    return 0;
  }
  *handle = 0;
  return 1;
}

// The loaded plug-in's module-wide state, read by symbol as a debugger would. Linux builds only.
#pragma once

#include <dlfcn.h>

#include <cstdint>
#include <string>
#include <vector>

#include "boundary/boundary.h"

namespace kombrel_test {

// The address of a symbol of the plug-in loaded now; null when it is not loaded.
inline void* PluginSymbol(const char* name) {
  void* handle = dlopen(KOMBREL_PLUGIN_FILE, RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return nullptr;
  void* symbol = dlsym(handle, name);
  dlclose(handle);
  return symbol;
}

inline bool PluginMapped() {
  void* handle = dlopen(KOMBREL_PLUGIN_FILE, RTLD_NOW | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);
  return handle != nullptr;
}

// The plug-in's service slots in binding order: the service's number and the slot's symbol.
struct ServiceSlot {
  std::uint16_t ordinal;
  const char* name;
};

inline constexpr ServiceSlot kServiceSlots[] = {
    {52029, "ui_messagef"},
    {52028, "ui_message"},
    {52158, "txt_convert"},
    {38417, "entry_38417"},
    {52179, "num_scale"},
    {21281, "mem_realloc"},
    {50704, "od_result_free"},
    {52286, "od_fseek"},
    {51425, "od_make_key"},
    {52465, "od_set_flags"},
    {52256, "od_table"},
    {52161, "str_copy_n"},
    {50516, "od_search"},
    {52033, "ui_form_item_value"},
    {52281, "od_scan_end"},
    {52279, "od_scan_next"},
    {52278, "od_scan_first"},
    {32008, "str_date_format"},
    {30908, "str_date_compare"},
    {21287, "mem_free"},
    {52064, "ui_message_close"},
    {52026, "ui_form_run"},
    {52332, "doc_position_recalc"},
    {52023, "ui_host_dialog"},
    {41399, "ini_access"},
    {52470, "ui_browse_refresh"},
    {52330, "doc_totals_recalc"},
    {52030, "ui_alert"},
    {51594, "sys_api_version"},
};

struct RegistryRow {
  std::string table_name;
  std::int32_t expected_size;
  std::int32_t found_size;
  bool operator==(const RegistryRow&) const = default;
};

// The record-size registry in its order.
inline std::vector<RegistryRow> Registry() {
  std::vector<RegistryRow> rows;
  auto* head = static_cast<WpisRozmiaru**>(PluginSymbol("registry_head"));
  if (head == nullptr) return rows;
  for (const WpisRozmiaru* entry = *head; entry != nullptr && rows.size() < 100; entry = entry->link) {
    rows.push_back({entry->table_name, entry->expected_size, entry->found_size});
  }
  return rows;
}

inline std::ostream& operator<<(std::ostream& out, const RegistryRow& row) {
  return out << row.table_name << " " << row.expected_size << "/" << row.found_size;
}

}  // namespace kombrel_test

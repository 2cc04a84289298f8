// The loaded plug-in's module-wide state, read by symbol as a debugger would. Linux builds only.
#pragma once

#include <dlfcn.h>

#include <cstdint>
#include <string>
#include <vector>

#include "boundary/boundary.h"
#include "tests/service_slots.h"

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

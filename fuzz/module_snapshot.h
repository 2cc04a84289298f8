// A fresh module state for every fuzz input without unloading the module: libFuzzer cannot unload an
// instrumented module, so the module stays mapped from the first load on, and its writable data is put
// back before every input to what it held right after mapping, before any of its code ran. A load
// through the platform layer then runs the module's entry point (attach routine, runtime start,
// bindings) over that state, as the first load of the process would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kombrel_fuzz {

class ModuleSnapshot {
 public:
  // Maps `file` (and keeps it mapped for the life of the process) and copies its writable segments,
  // leaving out the part that the loader makes read-only after relocation. False when it cannot.
  bool Take(const char* file);
  // Writes the copied bytes back.
  void Restore() const;
  // The address of one of the module's symbols.
  void* Symbol(const char* name) const;

 private:
  struct Region {
    std::uint8_t* address;
    std::vector<std::uint8_t> bytes;
  };
  void* handle_ = nullptr;
  std::vector<Region> regions_;
};

}  // namespace kombrel_fuzz

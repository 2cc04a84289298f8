// The host's side of the plug-in: loading the module, calling its entries by ordinal, unloading it.
#pragma once

#include <cstdint>
#include <string>

#include "host/host_services.h"
#include "simulated_host/api.h"

namespace simhost {

class SIMHOST_API Plugin {
 public:
  // Loads the module as the host does; loaded() tells whether the platform's load succeeded.
  // `reported_path` is the path the module is told it has (Linux only; Windows reports the real one).
  explicit Plugin(const std::string& file, const std::string& reported_path = {});
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  bool loaded() const { return module_ != nullptr; }
  const std::string& load_error() const { return load_error_; }

  // Entry 30001 with a host pointer: the load check. `help` receives the help text.
  std::int32_t LoadCheck(char* help_buffer);
  // Entry 30008 with a non-zero flag: the refusal report.
  std::int32_t Report();
  // Entry 30008 with flag 0: the start.
  std::int32_t Start();
  // Entry 30001 with null: the stop.
  std::int32_t Stop();
  // Entry 30009.
  std::int32_t Entry30009();
  // An export by ordinal, null when the slot is empty.
  FARPROC Export(std::uint16_t ordinal) const;
  // Unloads the module now (the destructor does it otherwise).
  void Unload();

  HMODULE module() const { return module_; }

 private:
  HMODULE module_ = nullptr;
  std::string load_error_;
};

}  // namespace simhost

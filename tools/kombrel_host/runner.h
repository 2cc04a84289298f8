// Running a scenario: the host is made from it, the plug-in module is loaded through the platform
// loader, the steps are taken in order, and what the host saw is kept for the outputs.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/records.h"
#include "simulated_host/host.h"
#include "simulated_host/plugin.h"
#include "tools/kombrel_host/scenario.h"

namespace kombrel_host {

// What one step did. Only the fields that belong to the step are set.
struct StepResult {
  Step::Kind kind = Step::Kind::kLoad;
  std::optional<std::string> skipped;  // why the step was not taken
  std::optional<bool> loaded;          // load
  std::string load_error;              // load, when it failed
  std::optional<std::int32_t> result;  // load_check, report, start, stop; event: nullopt when no handler
  std::string help;                    // load_check: the help text the plug-in copied (Mazovia)
  std::int32_t event = 0;              // event
};

// One slot of the sales document as it stands.
struct SlotView {
  std::int32_t slot = 0;
  TsprDokRecord record{};
};

using IniSections = std::map<std::string, std::map<std::string, std::string>>;

struct RunResult {
  std::vector<StepResult> steps;
  std::vector<simhost::Message> messages;  // as shown: Mazovia, the message box in Windows-1250
  std::vector<std::string> list_rows;      // the last display of form 1002, Mazovia
  std::vector<SlotView> slots_before;      // the used slots before the first step
  std::vector<SlotView> slots;             // the used slots after the last step
  std::int32_t current_row_offset = 0;
  std::optional<IniSections> settings;  // Kombrel.ini after the run; nullopt: no file
  std::vector<std::string> calls;
  std::size_t live_blocks = 0;
  // What a real host would not survive or would leak: the host's violations, scans and search results
  // left open.
  std::vector<std::string> faults;
};

// A slot is used when its reference (294) or its second mark (200) is non-zero.
std::vector<SlotView> UsedSlots(const simhost::Host& host);

// Kombrel.ini as sections of keys; nullopt when there is no such file.
std::optional<IniSections> ReadIni(const std::string& path);

// A host with the plug-in in it, taking steps one at a time. The runner and the terminal host share it.
class Session {
 public:
  // Starts the host from `config`; the plug-in is loaded by a "load" step.
  Session(simhost::Config config, std::string plugin_file);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  simhost::Host& host() { return *host_; }
  bool loaded() const { return plugin_ != nullptr && plugin_->loaded(); }

  StepResult Take(const Step& step);
  // Stores what the host saw; call before the session ends.
  void Collect(RunResult& result) const;

 private:
  simhost::Host* host_ = nullptr;
  std::string plugin_file_;
  std::unique_ptr<simhost::Plugin> plugin_;
  bool load_failed_ = false;
  bool stale_hook_ = false;                   // an unloaded plug-in's hook may still be in table 45
  TableEventHandler host_handler_ = nullptr;  // table 45's handler before any plug-in was loaded
};

RunResult RunScenario(const Scenario& scenario, const std::string& plugin_file);

}  // namespace kombrel_host

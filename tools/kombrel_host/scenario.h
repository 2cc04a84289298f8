// A scenario: the host the plug-in is loaded into (its tables, faults, settings file, MM documents and
// sales document) and the steps the host takes, read from a JSON file.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "simulated_host/host.h"

namespace kombrel_host {

struct Step {
  enum class Kind { kLoad, kLoadCheck, kReport, kStart, kStop, kUnload, kEvent };
  Kind kind = Kind::kLoad;
  std::int32_t event = 0;      // kEvent: the event code
  simhost::FormScript script;  // kEvent 235: what the user does in the plug-in's forms
};

struct Scenario {
  simhost::Config config;
  std::vector<Step> steps;
};

// A scenario that cannot be run: `what()` is one line naming the field and what is wrong with it,
// "scenario: mm[2].issue_date: expected "YYYY-MM-DD" or "", got "2026-13-01"".
class ScenarioError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads a scenario from its JSON text; throws ScenarioError.
Scenario ParseScenario(std::string_view json_text);

// The step's name as scenarios and outputs spell it ("load_check", "event", ...).
const char* StepName(Step::Kind kind);

}  // namespace kombrel_host

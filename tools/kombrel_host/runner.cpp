// Running a scenario step by step in the simulated host.
#include "tools/kombrel_host/runner.h"

#include <cstring>
#include <fstream>
#include <sstream>

namespace kombrel_host {
namespace {

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Makes `script` what the user does in the next transfer run's forms: the form engine takes the script
// of run number `form_runs`, and earlier events may have started runs of their own or none.
void QueueFormScript(simhost::Host& host, const simhost::FormScript& script) {
  host.config.forms.resize(host.form_runs);
  host.config.forms.push_back(script);
}

}  // namespace

std::vector<SlotView> UsedSlots(const simhost::Host& host) {
  std::vector<SlotView> used;
  for (std::size_t i = 0; i < host.slots.size(); ++i) {
    const TsprDokRecord& record = *host.slots[i];
    if (record.ref != 0 || record.used_mark != 0) used.push_back({static_cast<std::int32_t>(i), record});
  }
  return used;
}

std::optional<IniSections> ReadIni(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  IniSections sections;
  std::string section;
  std::string line;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const auto close = line.find(']');
      section = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      sections[section];
      continue;
    }
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    sections[section][Trim(line.substr(0, equals))] = Trim(line.substr(equals + 1));
  }
  return sections;
}

Session::Session(simhost::Config config, std::string plugin_file)
    : host_(&simhost::Host::Start(std::move(config))), plugin_file_(std::move(plugin_file)) {
  if (TableObject* positions = host_->table(45)) host_handler_ = TableEventHandlerOf(positions);
}

Session::~Session() {
  plugin_.reset();
  simhost::Host::Stop();
}

StepResult Session::Take(const Step& step) {
  StepResult out;
  out.kind = step.kind;
  out.event = step.event;
  if (load_failed_ && step.kind != Step::Kind::kLoad) {
    out.skipped = "the load failed";
    return out;
  }
  const bool needs_plugin = step.kind != Step::Kind::kLoad && step.kind != Step::Kind::kEvent;
  if (needs_plugin && !loaded()) {
    out.skipped = "the plug-in is not loaded";
    return out;
  }
  TableObject* positions = host_->table(45);
  switch (step.kind) {
    case Step::Kind::kLoad:
      if (loaded()) {
        out.skipped = "the plug-in is already loaded";
        break;
      }
      plugin_ = std::make_unique<simhost::Plugin>(plugin_file_, host_->config.plugin_path);
      out.loaded = plugin_->loaded();
      load_failed_ = !plugin_->loaded();
      if (load_failed_) {
        out.load_error = plugin_->load_error();
        plugin_.reset();
      }
      break;
    case Step::Kind::kLoadCheck: {
      char help[256] = {};
      out.result = plugin_->LoadCheck(help);
      out.help.assign(help, strnlen(help, sizeof help));
      break;
    }
    case Step::Kind::kReport:
      out.result = plugin_->Report();
      break;
    case Step::Kind::kStart:
      out.result = plugin_->Start();
      if (*out.result == 0) stale_hook_ = false;
      break;
    case Step::Kind::kStop:
      out.result = plugin_->Stop();
      break;
    case Step::Kind::kUnload:
      plugin_.reset();
      // A plug-in unloaded without its stop leaves its hook in table 45: the host must not call it.
      if (positions != nullptr && TableEventHandlerOf(positions) != host_handler_) stale_hook_ = true;
      break;
    case Step::Kind::kEvent:
      if (stale_hook_ && positions != nullptr && TableEventHandlerOf(positions) != host_handler_) {
        out.skipped = "table 45's handler is the hook of an unloaded plug-in";
        break;
      }
      if (step.event == 235) QueueFormScript(*host_, step.script);
      out.result = host_->RaiseEvent(step.event);
      break;
  }
  return out;
}

void Session::Collect(RunResult& result) const {
  simhost::Host& host = *host_;
  result.messages = host.messages;
  result.list_rows = host.list_rows;
  result.slots = UsedSlots(host);
  if (TableObject* positions = host.table(45)) result.current_row_offset = TableCurrentRowOffset(positions);
  result.settings = ReadIni(host.settings_path().string());
  result.calls = host.calls;
  result.live_blocks = host.blocks.size();
  result.faults = host.violations;
  if (!host.scans.empty()) result.faults.push_back(std::to_string(host.scans.size()) + " scan(s) left open");
  if (!host.results.empty())
    result.faults.push_back(std::to_string(host.results.size()) + " search result(s) left open");
}

RunResult RunScenario(const Scenario& scenario, const std::string& plugin_file) {
  RunResult result;
  Session session(scenario.config, plugin_file);
  result.slots_before = UsedSlots(session.host());
  for (const Step& step : scenario.steps)
    result.steps.push_back(session.Take(step));
  session.Collect(result);
  return result;
}

}  // namespace kombrel_host

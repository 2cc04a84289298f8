// kombrel-host: runs the plug-in module in the simulated host, from a scenario file (run), with the
// bundled sample data set (demo), or with a user at the terminal (tui).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tools/kombrel_host/demo.h"
#include "tools/kombrel_host/json_output.h"
#include "tools/kombrel_host/runner.h"
#include "tools/kombrel_host/scenario.h"
#if KOMBREL_HOST_TUI
#include "tools/kombrel_host/tui.h"
#endif

namespace {

constexpr int kUsageError = 2;

const char kUsage[] =
    "usage: kombrel-host run SCENARIO.json [--plugin PATH]\n"
    "       kombrel-host demo [--plugin PATH] [--scenario]\n"
    "       kombrel-host tui [SCENARIO.json] [--plugin PATH] [--out FILE]\n"
    "\n"
    "  run       runs the scenario and prints what the host saw as JSON\n"
    "  demo      runs the bundled sample data set and prints it readably;\n"
    "            --scenario prints the bundled scenario file instead\n"
    "  tui       the host at the terminal: the sales document, Ctrl+5 (or F5) for the transfer;\n"
    "            --out writes what the host saw as JSON when it ends\n"
    "  --plugin  the plug-in module to load (default: the one built with this program)\n";

struct Arguments {
  std::string command;
  std::optional<std::string> scenario;
  std::string plugin = KOMBREL_PLUGIN_FILE;
  std::optional<std::string> out;
  bool print_scenario = false;
};

int Usage(const std::string& problem) {
  std::fprintf(stderr, "kombrel-host: %s\n%s", problem.c_str(), kUsage);
  return kUsageError;
}

std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

// The scenario of `path`, or nullopt after saying on stderr why it cannot be run.
std::optional<kombrel_host::Scenario> LoadScenario(const std::string& path) {
  const auto text = ReadFile(path);
  if (!text) {
    std::fprintf(stderr, "scenario: cannot read %s: %s\n", path.c_str(), std::strerror(errno));
    return std::nullopt;
  }
  try {
    return kombrel_host::ParseScenario(*text);
  } catch (const kombrel_host::ScenarioError& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return std::nullopt;
  }
}

void ReportFaults(const kombrel_host::RunResult& result) {
  for (const std::string& fault : result.faults)
    std::fprintf(stderr, "kombrel-host: host fault: %s\n", fault.c_str());
}

int Run(const Arguments& arguments) {
  const auto scenario = LoadScenario(*arguments.scenario);
  if (!scenario) return kUsageError;
  const kombrel_host::RunResult result = kombrel_host::RunScenario(*scenario, arguments.plugin);
  const std::string json = kombrel_host::RunResultJson(result);
  std::fwrite(json.data(), 1, json.size(), stdout);
  ReportFaults(result);
  return 0;
}

int Demo(const Arguments& arguments) {
  if (arguments.print_scenario) {
    std::fputs(kombrel_host::DemoScenarioText(), stdout);
    return 0;
  }
  const kombrel_host::Scenario scenario = kombrel_host::ParseScenario(kombrel_host::DemoScenarioText());
  const kombrel_host::RunResult result = kombrel_host::RunScenario(scenario, arguments.plugin);
  const std::string text = kombrel_host::RenderDemo(scenario, result);
  std::fwrite(text.data(), 1, text.size(), stdout);
  ReportFaults(result);
  return result.steps.empty() || !result.steps.front().loaded.value_or(false) ? 1 : 0;
}

int Tui(const Arguments& arguments) {
  kombrel_host::Scenario scenario;
  if (arguments.scenario) {
    auto loaded = LoadScenario(*arguments.scenario);
    if (!loaded) return kUsageError;
    scenario = std::move(*loaded);
  } else {
    scenario = kombrel_host::ParseScenario(kombrel_host::DemoScenarioText());
  }
#if KOMBREL_HOST_TUI
  return kombrel_host::RunTerminalHost(scenario, arguments.plugin, arguments.out);
#else
  std::fputs("kombrel-host: this build has no terminal host (it needs ncurses with wide characters)\n",
             stderr);
  return 1;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words(argv + 1, argv + argc);
  if (words.empty()) return Usage("no command");
  Arguments arguments;
  arguments.command = words[0];
  if (arguments.command == "-h" || arguments.command == "--help" || arguments.command == "help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  for (std::size_t i = 1; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word == "--plugin" || word == "--out") {
      if (i + 1 == words.size()) return Usage(word + " needs a path");
      (word == "--plugin" ? arguments.plugin : arguments.out.emplace()) = words[++i];
    } else if (word == "--scenario" && arguments.command == "demo") {
      arguments.print_scenario = true;
    } else if (word.rfind("--", 0) == 0 || arguments.scenario || arguments.command == "demo") {
      return Usage("unexpected argument " + word);
    } else {
      arguments.scenario = word;
    }
  }
  if (arguments.out && arguments.command != "tui") return Usage("--out belongs to tui");
  if (arguments.command == "run") {
    if (!arguments.scenario) return Usage("run needs a scenario file");
    return Run(arguments);
  }
  if (arguments.command == "demo") return Demo(arguments);
  if (arguments.command == "tui") return Tui(arguments);
  return Usage("unknown command " + arguments.command);
}

// kombrel-host: runs the plug-in in the simulated host and shows what happened.
#include <cstdio>
#include <cstring>
#include <string>

#include "simulated_host/codepages.h"
#include "simulated_host/host.h"
#include "simulated_host/plugin.h"

namespace {

// A host text made readable: Mazovia to UTF-8, control bytes shown by name.
std::string Readable(const std::string& mazovia) {
  std::string out;
  for (char c : simhost::MazoviaToUtf8(mazovia)) {
    switch (c) {
      case '\x01':
        out += "⟨off⟩";
        break;
      case '\x02':
        out += "⟨on⟩";
        break;
      case '\n':
        out += "⏎";
        break;
      case '\r':
        out += "␍";
        break;
      default:
        out += c;
    }
  }
  return out;
}

int Demo(const char* plugin_file) {
  simhost::Host& host = simhost::Host::Start(simhost::Config{});
  int status = 0;
  {
    simhost::Plugin plugin(plugin_file, host.config.plugin_path);
    std::printf("load        %s\n", plugin.loaded() ? "loaded" : ("failed: " + plugin.load_error()).c_str());
    if (plugin.loaded()) {
      char help[64] = {};
      const std::int32_t check = plugin.LoadCheck(help);
      std::printf("load check  %d (%s), help text: %s\n", check, check == 0 ? "accepted" : "refused",
                  Readable(help).c_str());
      const std::int32_t start = plugin.Start();
      std::printf("start       %d\n", start);
      const auto event = host.RaiseEvent(235);
      std::printf("event 235   %s\n", event ? std::to_string(*event).c_str() : "no handler");
      std::printf("stop        %d\n", plugin.Stop());
      status = check == 0 && start == 0 && event ? 0 : 1;
    } else {
      status = 1;
    }
  }
  std::printf("\nhost calls:\n");
  for (const std::string& call : host.calls)
    std::printf("  %s\n", call.c_str());
  std::printf("\nmessages:\n");
  for (const simhost::Message& message : host.messages) {
    std::printf("  %s %s %s\n", message.kind.c_str(), Readable(message.title).c_str(),
                Readable(message.text).c_str());
  }
  std::printf("\nlive host memory blocks: %zu\n", host.blocks.size());
  simhost::Host::Stop();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "demo") == 0) return Demo(KOMBREL_PLUGIN_FILE);
  std::fprintf(stderr, "usage: kombrel-host demo\n");
  return 2;
}

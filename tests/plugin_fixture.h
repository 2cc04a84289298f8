// A fresh simulated host and a fresh load of the plug-in for every test, and the checks every run must
// pass: no host block left alive, no scan or search result left open, nothing the host calls a fault.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "simulated_host/codepages.h"
#include "simulated_host/host.h"
#include "simulated_host/plugin.h"

namespace kombrel_test {

class PluginTest : public ::testing::Test {
 protected:
  // Starts the host from `config` and loads the plug-in into it.
  simhost::Host& Boot(simhost::Config config = {}) {
    host_ = &simhost::Host::Start(std::move(config));
    plugin_ = std::make_unique<simhost::Plugin>(KOMBREL_PLUGIN_FILE, host_->config.plugin_path);
    return *host_;
  }
  // Boots, checks that the load went through, runs the load check and the start.
  simhost::Host& BootAndStart(simhost::Config config = {}) {
    Boot(std::move(config));
    EXPECT_TRUE(plugin_->loaded()) << plugin_->load_error();
    EXPECT_EQ(plugin_->LoadCheck(help_), 0);
    EXPECT_EQ(plugin_->Start(), 0);
    return *host_;
  }

  void TearDown() override {
    if (plugin_) plugin_->Unload();
    plugin_.reset();
    if (host_ != nullptr) {
      EXPECT_EQ(host_->blocks.size(), 0u) << "host memory blocks left alive";
      EXPECT_TRUE(host_->scans.empty()) << "a scan left open";
      EXPECT_TRUE(host_->results.empty()) << "a search result left open";
      EXPECT_EQ(host_->violations, std::vector<std::string>{});
      simhost::Host::Stop();
      host_ = nullptr;
    }
  }

  simhost::Host& host() { return *host_; }
  simhost::Plugin& plugin() { return *plugin_; }

  // The calls the host journaled whose text starts with `prefix`, counted.
  int Count(const std::string& prefix) const {
    int n = 0;
    for (const auto& call : host_->calls)
      n += call.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }

  char help_[64] = {};

 private:
  simhost::Host* host_ = nullptr;
  std::unique_ptr<simhost::Plugin> plugin_;
};

// Mazovia bytes shown as UTF-8, for readable expectations.
inline std::string Utf8(const std::string& mazovia) {
  return simhost::MazoviaToUtf8(mazovia);
}

}  // namespace kombrel_test

// Loading the plug-in as the Windows loader would: static imports before any of its code, the attach
// routine before the runtime's start, the bindings in service order, and a fresh module at every load.
#include <algorithm>

#include "platform/module_image.h"
#include "platform/platform.h"
#include "tests/plugin_fixture.h"
#include "tests/plugin_internals.h"

namespace kombrel_test {
namespace {

using LoaderTest = PluginTest;

std::vector<std::string> BindingLookups() {
  std::vector<std::string> lookups;
  for (const std::string& call : kplatform::Journal()) {
    if (call.rfind("GetProcAddress(TORVAL.dll,#", 0) == 0) lookups.push_back(call.substr(27, 5));
  }
  return lookups;
}

TEST_F(LoaderTest, AttachRoutineRunsFirstThenTheRuntimeThenTheBindingsInServiceOrder) {
  kplatform::Journal().clear();
  simhost::Host& host = Boot();
  ASSERT_TRUE(plugin().loaded()) << plugin().load_error();

  const auto& journal = kplatform::Journal();
  ASSERT_GE(journal.size(), 3u);
  EXPECT_EQ(journal[0], "GetModuleFileNameA");
  EXPECT_EQ(journal[1], "GetModuleHandleA(TORVAL)");
  EXPECT_EQ(journal[2], "GetProcAddress(TORVAL.dll,#30007)");
  // The runtime's first use of KOLUM went through the host's hook, which the attach routine installed.
  EXPECT_EQ(host.calls, (std::vector<std::string>{"sys_delay_load_hook(KOLUM.dll)",
                                                  "sys_delay_load_hook(KOLUM.dll!GetCommandLineA)"}));
  // The delay-load hook first, then every service in binding order.
  std::vector<std::string> service_order = {"30007"};
  for (const ServiceSlot& slot : kServiceSlots)
    service_order.push_back(std::to_string(slot.ordinal));
  EXPECT_EQ(BindingLookups(), service_order);
}

TEST_F(LoaderTest, AHostWithoutEntry30005FailsTheLoadBeforeAnyPluginCodeRuns) {
  simhost::Config config;
  config.missing_ordinals = {30005};
  kplatform::Journal().clear();
  simhost::Host& host = Boot(config);
  EXPECT_FALSE(plugin().loaded());
  EXPECT_NE(plugin().load_error().find("30005"), std::string::npos) << plugin().load_error();
  EXPECT_TRUE(kplatform::Journal().empty());
  EXPECT_TRUE(host.calls.empty());
  EXPECT_FALSE(PluginMapped());
}

TEST_F(LoaderTest, AServiceThatCannotBeBoundFailsTheLoadAndLeavesTheRestUnbound) {
  simhost::Config config;
  config.missing_ordinals = {52256};  // od_table, 11th in binding order
  kplatform::Journal().clear();
  Boot(config);
  EXPECT_FALSE(plugin().loaded());
  const auto lookups = BindingLookups();
  ASSERT_FALSE(lookups.empty());
  EXPECT_EQ(lookups.back(), "52256") << "no service after the missing one was looked up";
  EXPECT_FALSE(PluginMapped());
}

TEST_F(LoaderTest, EveryLoadStartsFromZeroedModuleState) {
  simhost::Config config;
  config.tables[45] = 300;
  Boot(config);
  ASSERT_TRUE(plugin().loaded());
  EXPECT_EQ(plugin().LoadCheck(help_), -1);
  EXPECT_FALSE(Registry().empty());

  plugin().Unload();
  EXPECT_FALSE(PluginMapped()) << "the module stayed mapped after FreeLibrary";

  simhost::Plugin again(KOMBREL_PLUGIN_FILE, host().config.plugin_path);
  ASSERT_TRUE(again.loaded()) << again.load_error();
  EXPECT_TRUE(Registry().empty()) << "the registry survived an unload";
  auto* own_path = static_cast<const char*>(PluginSymbol("own_path"));
  ASSERT_NE(own_path, nullptr);
  EXPECT_STREQ(own_path, host().config.plugin_path.c_str());
}

TEST_F(LoaderTest, ThreadNotificationsAndDetachChangeNothing) {
  simhost::Host& host = BootAndStart();
  const KModuleImage* image = static_cast<const KModuleImage*>(PluginSymbol(KMODULE_IMAGE_SYMBOL));
  ASSERT_NE(image, nullptr);
  const TableEventHandler hook = TableEventHandlerOf(host.table(45));
  const auto calls = host.calls.size();
  EXPECT_TRUE(image->entry(plugin().module(), DLL_THREAD_ATTACH, nullptr));
  EXPECT_TRUE(image->entry(plugin().module(), DLL_THREAD_DETACH, nullptr));
  EXPECT_EQ(TableEventHandlerOf(host.table(45)), hook);
  EXPECT_EQ(host.calls.size(), calls);
  EXPECT_EQ(host.RaiseEvent(17), 7);
}

}  // namespace
}  // namespace kombrel_test

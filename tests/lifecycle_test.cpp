// The plug-in's life through its entries: the load check with its help text and version test, the
// record-size registry it decides by, the start, the stop and entry 30009.
#include <cstring>

#include "platform/platform.h"
#include "simulated_host/services.h"
#include "tests/plugin_fixture.h"
#include "tests/plugin_internals.h"

namespace kombrel_test {
namespace {

// The help text as the host must receive it: 56 bytes in Mazovia and the terminator.
const unsigned char kExpectedHelpText[57] = {
    0x02, 'D',  'O',  'K',  'U',  'M', 'E', 'N', 'T', 'Y',  ' ', 'S', 'P', 'R', 'Z', 'E', 'D',  'A',  0xA1,
    'Y',  ':',  0x01, '\n', '\n', 'P', 'o', 'b', 'i', 'e',  'r', 'z', ' ', 'z', 'a', 'w', 'a',  'r',  't',
    'o',  0x9E, 0x8D, ' ',  'M',  'M', ' ', '-', ' ', 0x02, 'C', 't', 'r', 'l', '+', '5', 0x01, '\n', 0x00};

using LifecycleTest = PluginTest;

struct VersionCase {
  std::int32_t api_version;
  std::int32_t verdict;
};

class LoadCheckVersion : public PluginTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(LoadCheckVersion, HandsOverTheHelpTextAndJudgesTheVersion) {
  simhost::Config config;
  config.api_version = GetParam().api_version;
  Boot(config);
  ASSERT_TRUE(plugin().loaded()) << plugin().load_error();
  char buffer[80];
  std::memset(buffer, 0x55, sizeof buffer);

  EXPECT_EQ(plugin().LoadCheck(buffer), GetParam().verdict);

  EXPECT_EQ(std::memcmp(buffer, kExpectedHelpText, sizeof kExpectedHelpText), 0);
  EXPECT_EQ(static_cast<unsigned char>(buffer[57]), 0x55) << "the copy ran past the help text";
  // A refused version leaves the table layouts unchecked and the registry empty.
  const int tables_asked = GetParam().verdict == 0 ? 4 : 0;
  EXPECT_EQ(Count("od_table("), tables_asked);
  EXPECT_TRUE(Registry().empty());
}

INSTANTIATE_TEST_SUITE_P(Versions, LoadCheckVersion,
                         ::testing::Values(VersionCase{112, 0}, VersionCase{111, -1}, VersionCase{113, -1},
                                           VersionCase{0, -1}),
                         [](const auto& info) { return "api" + std::to_string(info.param.api_version); });

TEST_F(LifecycleTest, LoadCheckInstallsTheHostsExceptionTranslator) {
  Boot();
  _set_se_translator(nullptr);
  plugin().LoadCheck(help_);
  EXPECT_EQ(kplatform::CurrentSeTranslator(), &torval_sys_se_translator);
}

TEST_F(LifecycleTest, LoadCheckWithoutABufferStillJudgesTheHost) {
  simhost::Config config;
  config.tables[58] = 530;
  Boot(config);
  EXPECT_EQ(plugin().LoadCheck(nullptr), -1);
  EXPECT_EQ(Count("od_table("), 4);
  EXPECT_EQ(Registry(), (std::vector<RegistryRow>{{"Mm", 526, 530}}));
}

TEST_F(LifecycleTest, RegistryKeepsEachEntryOnceWhereverItStands) {
  // Three differing tables make a registry with a head (44), a middle (58) and a tail (67); a second
  // load check compares the same three entries again and adds none of them twice.
  simhost::Config config;
  config.tables[44] = 900;
  config.tables[58] = std::nullopt;
  config.tables[67] = 351;
  Boot(config);
  const std::vector<RegistryRow> expected = {{"Tspr", 984, 900}, {"Mm", 526, 0}, {"Mm_dok", 350, 351}};
  EXPECT_EQ(plugin().LoadCheck(help_), -1);
  EXPECT_EQ(Registry(), expected);
  EXPECT_EQ(plugin().LoadCheck(help_), -1);
  EXPECT_EQ(Registry(), expected);
}

TEST_F(LifecycleTest, ARegistryOnceFilledRefusesEveryLaterLoadCheck) {
  simhost::Config config;
  config.tables[45] = 300;
  Boot(config);
  EXPECT_EQ(plugin().LoadCheck(help_), -1);
  EXPECT_EQ(plugin().LoadCheck(help_), -1);
  EXPECT_EQ(Registry(), (std::vector<RegistryRow>{{"Tspr_dok", 298, 300}}));
}

TEST_F(LifecycleTest, StopBeforeAnyStartChangesNothing) {
  simhost::Host& host = Boot();
  TableEventHandler before = TableEventHandlerOf(host.table(45));
  EXPECT_EQ(plugin().Stop(), 0);
  EXPECT_EQ(TableEventHandlerOf(host.table(45)), before);
  EXPECT_TRUE(host.calls.size() == 2u) << "only the start-up's delay loads";
}

TEST_F(LifecycleTest, Entry30009DoesNothing) {
  simhost::Host& host = BootAndStart();
  const auto calls = host.calls.size();
  const auto handler = TableEventHandlerOf(host.table(45));
  plugin().Entry30009();
  EXPECT_EQ(host.calls.size(), calls);
  EXPECT_EQ(TableEventHandlerOf(host.table(45)), handler);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(LifecycleTest, ExportsOnlyTheThreeEntriesByOrdinal) {
  Boot();
  for (std::uint16_t ordinal = 30000; ordinal <= 30010; ++ordinal) {
    const bool expected = ordinal == 30001 || ordinal == 30008 || ordinal == 30009;
    EXPECT_EQ(plugin().Export(ordinal) != nullptr, expected) << ordinal;
  }
}

}  // namespace
}  // namespace kombrel_test

// The installation notice at a start, and the settings file that switches it off.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/plugin_fixture.h"

namespace kombrel_test {
namespace {

namespace fs = std::filesystem;

// The notice in the host's DOS code page: its line, then the whole help text with its control bytes.
const std::string kNotice(
    "Zainstalowano wtyczk\x91 do programu:\n"
    "\x02"
    "DOKUMENTY SPRZEDA\xA1Y:\x01\n\nPobierz zawarto\x9E\x8D MM - \x02"
    "Ctrl+5\x01\n",
    91);

std::optional<std::string> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
  // An hour old, so that any rewrite shows in the time stamp.
  fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));
}

class NoticeTest : public PluginTest {
 protected:
  // Boots a host whose settings file holds `content` (nullopt: no file), then the load check and start.
  simhost::Host& StartWith(const std::optional<std::string>& content, simhost::Config config = {}) {
    config.settings = std::nullopt;
    simhost::Host& host = Boot(std::move(config));
    if (content) WriteFile(host.settings_path(), *content);
    EXPECT_TRUE(plugin().loaded()) << plugin().load_error();
    EXPECT_EQ(plugin().LoadCheck(help_), 0);
    EXPECT_EQ(plugin().Start(), 0);
    return host;
  }

  int Notices() {
    int n = 0;
    for (const simhost::Message& message : host().messages)
      n += message.kind == "ui_host_dialog" ? 1 : 0;
    return n;
  }
};

struct SettingsCase {
  const char* name;
  std::optional<std::string> before;  // the settings file; nullopt: none
  std::int16_t dialog_leaves;
  bool shown;
  std::optional<std::string> after;  // nullopt: no file; equal to `before`: untouched
  bool read_fails = false;
  bool write_fails = false;
};

void PrintTo(const SettingsCase& c, std::ostream* out) {
  *out << c.name;
}

class Settings : public NoticeTest, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(Settings, ShowTheNoticeUnlessTheyAskNotToAndKeepTheDialogsValue) {
  const SettingsCase& c = GetParam();
  simhost::Config config;
  config.notice_answer = c.dialog_leaves;
  config.faults.ini_read_fails = c.read_fails;
  config.faults.ini_write_fails = c.write_fails;
  simhost::Host& host = StartWith(c.before, config);
  const fs::path path = host.settings_path();

  EXPECT_EQ(Notices(), c.shown ? 1 : 0);
  if (c.shown) {
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"sys_delay_load_hook(KOLUM.dll)",
                                        "sys_delay_load_hook(KOLUM.dll!GetCommandLineA)", "sys_api_version",
                                        "od_table(44)", "od_table(45)", "od_table(58)", "od_table(67)",
                                        "od_table(45)", "ini_access", "ui_host_dialog(1668)", "ini_access"}));
  } else {
    EXPECT_EQ(Count("ini_access"), 1) << "read, and nothing written";
  }
  EXPECT_EQ(ReadFile(path), c.after);
  if (c.before && c.before == c.after) {
    EXPECT_LT(fs::last_write_time(path), fs::file_time_type::clock::now() - std::chrono::minutes(30))
        << "the settings file was rewritten";
  }
}

const std::string kOther = "; ustawienia\r\n[Inne]\r\nPytaj=1\r\n\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, Settings,
    ::testing::Values(
        SettingsCase{"NoFile", std::nullopt, 0, true, "[Kombrel]\r\nPytaj=0\r\n"},
        SettingsCase{"NoFileAndTheDialogSwitchesItOff", std::nullopt, 1, true, "[Kombrel]\r\nPytaj=1\r\n"},
        SettingsCase{"AskOne", "[Kombrel]\r\nPytaj=1\r\n", 0, false, "[Kombrel]\r\nPytaj=1\r\n"},
        SettingsCase{"AskMinusOne", "[Kombrel]\r\nPytaj=-1\r\n", 0, false, "[Kombrel]\r\nPytaj=-1\r\n"},
        // The rest of the file stays as it was.
        SettingsCase{"AskZero", kOther + "[Kombrel]\r\nPytaj=0\r\nInny=5\r\n", 2, true,
                     kOther + "[Kombrel]\r\nPytaj=2\r\nInny=5\r\n"},
        SettingsCase{"AnyCaseSpacesAndLineFeeds", "[kombrel]\n  pytaj = 7  \n", 0, false,
                     "[kombrel]\n  pytaj = 7  \n"},
        // Only the low 16 bits are the flag.
        SettingsCase{"LowSixteenBitsZero", "[Kombrel]\r\nPytaj=65536\r\n", 0, true,
                     "[Kombrel]\r\nPytaj=0\r\n"},
        // A key that cannot be read asks for the notice.
        SettingsCase{"UnreadableValue", "[Kombrel]\r\nPytaj=tak\r\n", 0, true, "[Kombrel]\r\nPytaj=0\r\n"},
        SettingsCase{"CommentedOutKey", "[Kombrel]\r\n;Pytaj=1\r\n\r\n", 0, true,
                     "[Kombrel]\r\n;Pytaj=1\r\nPytaj=0\r\n\r\n"},
        SettingsCase{"KeyInAnotherSection", "[Inne]\r\nPytaj=1\r\n", 0, true,
                     "[Inne]\r\nPytaj=1\r\n[Kombrel]\r\nPytaj=0\r\n"},
        SettingsCase{"ReadFails", "[Kombrel]\r\nPytaj=1\r\n", 3, true, "[Kombrel]\r\nPytaj=3\r\n", true},
        SettingsCase{"WriteFails", std::nullopt, 1, true, std::nullopt, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NoticeTest, TheNoticeIsTheHelpTextUnderItsLine) {
  simhost::Host& host = StartWith(std::nullopt);
  ASSERT_EQ(Notices(), 1);
  const simhost::Message& notice = host.messages[0];
  EXPECT_EQ(notice.flags, 1668);
  EXPECT_EQ(notice.text, kNotice);
  EXPECT_EQ(notice.text.size(), 91u);
}

TEST_F(NoticeTest, ADialogThatLeavesZeroBringsTheNoticeAtEveryStart) {
  simhost::Host& host = StartWith(std::nullopt);
  EXPECT_EQ(plugin().Start(), 0);
  plugin().Unload();
  simhost::Plugin again(KOMBREL_PLUGIN_FILE, host.config.plugin_path);
  ASSERT_TRUE(again.loaded()) << again.load_error();
  EXPECT_EQ(again.LoadCheck(help_), 0);
  EXPECT_EQ(again.Start(), 0);
  EXPECT_EQ(again.Stop(), 0);

  EXPECT_EQ(Notices(), 3);
  EXPECT_EQ(ReadFile(host.settings_path()), "[Kombrel]\r\nPytaj=0\r\n");
}

TEST_F(NoticeTest, ADialogThatLeavesAValueKeepsTheNoticeAwayAfterwards) {
  simhost::Config config;
  config.notice_answer = 1;
  simhost::Host& host = StartWith(std::nullopt, config);
  EXPECT_EQ(plugin().Start(), 0);
  EXPECT_EQ(Notices(), 1);
  EXPECT_EQ(ReadFile(host.settings_path()), "[Kombrel]\r\nPytaj=1\r\n");
}

TEST_F(NoticeTest, AFailedStartShowsNoNotice) {
  simhost::Config config;
  config.tables[45] = 300;
  config.settings = std::nullopt;
  simhost::Host& host = Boot(config);
  EXPECT_EQ(plugin().Start(), -1);
  EXPECT_EQ(Notices(), 0);
  EXPECT_EQ(Count("ini_access"), 0);
  EXPECT_FALSE(fs::exists(host.settings_path()));
}

}  // namespace
}  // namespace kombrel_test

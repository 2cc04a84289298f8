// The table layout check and the refusal report: which tables go into the record-size registry, and the
// text the user sees after a refusal, byte for byte.
#include "tests/plugin_fixture.h"
#include "tests/plugin_internals.h"

namespace kombrel_test {
namespace {

// The help text as the report names the plug-in, in UTF-8.
const std::string kHelp =
    "\x02"
    "DOKUMENTY SPRZEDAŻY:\x01\n\nPobierz zawartość MM - \x02"
    "Ctrl+5\x01\n";

const std::string kRowLayout = "\x01tp25p40\x01";

std::string ExpectedReport(const std::string& rows, const std::string& file_name) {
  return "Rozmiary rekordów niektórych tabel nie zgadzają się\nmiędzy programem a wtyczką \"" + kHelp +
         "\":\n\n\x01tl18l33\x01TABELA\tWE WTYCZCE\tW PROGRAMIE\n" + rows + "\nModuł wtyczki \x02" +
         file_name + "\x01\nNIE zostanie załadowany!";
}

struct ReportCase {
  const char* name;
  std::map<std::int32_t, std::optional<std::int16_t>> tables;  // changes to the host's tables
  std::string plugin_path;                                     // empty: the host's default
  bool start_too;                                              // a start follows the load check
  std::string rows;
  std::string file_name;
};

void PrintTo(const ReportCase& c, std::ostream* out) {
  *out << c.name;
}

class RefusalReport : public PluginTest, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(RefusalReport, ListsEveryDifferingTableInRegistryOrder) {
  const ReportCase& c = GetParam();
  simhost::Config config;
  for (const auto& [number, size] : c.tables)
    config.tables[number] = size;
  if (!c.plugin_path.empty()) config.plugin_path = c.plugin_path;
  simhost::Host& host = Boot(config);
  ASSERT_TRUE(plugin().loaded()) << plugin().load_error();

  EXPECT_EQ(plugin().LoadCheck(help_), -1);
  if (c.start_too) {
    EXPECT_EQ(plugin().Start(), -1);
  }
  host.messages.clear();

  EXPECT_EQ(plugin().Report(), 0);

  ASSERT_EQ(host.messages.size(), 1u);
  const simhost::Message& report = host.messages[0];
  EXPECT_EQ(report.kind, "ui_message");
  EXPECT_EQ(Utf8(report.title), "STOP!!!");
  EXPECT_EQ(report.flags, 0xC001);
  EXPECT_EQ(Utf8(report.text), ExpectedReport(c.rows, c.file_name));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusalReport,
    ::testing::Values(
        // The host's size where it has the table, "brak" where it has none, in the order of the check.
        ReportCase{"MmWiderAndMmDokMissing",
                   {{58, 530}, {67, std::nullopt}},
                   {},
                   false,
                   kRowLayout + "Mm\t526\t530\n" + kRowLayout + "Mm_dok\t350\tbrak\n",
                   "Kombrel.dll"},
        // The check and the hook's installation keep entries of their own for table 45.
        ReportCase{"PositionTableAtLoadCheckAndStart",
                   {{45, 300}},
                   {},
                   true,
                   kRowLayout + "Tspr_dok\t298\t300\n" + kRowLayout + "Tspr_dok\t298\t300\n",
                   "Kombrel.dll"},
        ReportCase{"NegativeSizeAndAllFourTables",
                   {{44, -1}, {45, 297}, {58, std::nullopt}, {67, 32767}},
                   {},
                   false,
                   kRowLayout + "Tspr\t984\t-1\n" + kRowLayout + "Tspr_dok\t298\t297\n" + kRowLayout +
                       "Mm\t526\tbrak\n" + kRowLayout + "Mm_dok\t350\t32767\n",
                   "Kombrel.dll"},
        // The file name is what follows the last backslash; a path without one is used whole.
        ReportCase{"PathWithoutBackslash",
                   {{44, 900}},
                   "KOMBREL.DLL",
                   false,
                   kRowLayout + "Tspr\t984\t900\n",
                   "KOMBREL.DLL"},
        ReportCase{"PathWithSlashesOnly",
                   {{44, 900}},
                   "C:/TORVAL/Kombrel.dll",
                   false,
                   kRowLayout + "Tspr\t984\t900\n",
                   "C:/TORVAL/Kombrel.dll"},
        ReportCase{"PathEndingInBackslash",
                   {{44, 900}},
                   "C:\\TORVAL\\",
                   false,
                   kRowLayout + "Tspr\t984\t900\n",
                   ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PluginTest, AnEmptyRegistryReportsTheVersionMismatchWithTheHelpTextTwice) {
  simhost::Config config;
  config.api_version = 111;
  simhost::Host& host = Boot(config);
  EXPECT_EQ(plugin().LoadCheck(help_), -1);

  EXPECT_EQ(plugin().Report(), 0);

  ASSERT_EQ(host.messages.size(), 1u);
  const simhost::Message& report = host.messages[0];
  EXPECT_EQ(report.kind, "ui_messagef");
  EXPECT_EQ(Utf8(report.title), "STOP!!!");
  EXPECT_EQ(report.flags, 0xC001);
  EXPECT_EQ(Utf8(report.text), "Moduł \"" + kHelp +
                                   "\" i program występują w różnych wersjach!\n\n"
                                   "Został zakualizowany tylko program albo tylko moduł,\n"
                                   "a nie oba jednocześnie! Aby naprawić tę sytuację\n"
                                   "zainstaluj aktualizację programu wraz z modułem \"" +
                                   kHelp + "\".\n\nMODUŁ NIE ZOSTANIE ZAŁADOWANY!!!\n");
  EXPECT_EQ(Count("od_table("), 0) << "the version refusal left the layouts unchecked";
}

TEST_F(PluginTest, ALaterCheckComparesAgainstTheFirstSizesAndCountsEveryEntry) {
  simhost::Config config;
  config.tables[58] = 530;
  simhost::Host& host = Boot(config);
  using CheckFn = std::int32_t (*)();
  auto check = reinterpret_cast<CheckFn>(PluginSymbol("_Z13SprawdzTabelev"));  // SprawdzTabele()
  ASSERT_NE(check, nullptr);

  EXPECT_EQ(plugin().LoadCheck(help_), -1);
  EXPECT_EQ(Registry(), (std::vector<RegistryRow>{{"Mm", 526, 530}}));

  // The host's tables change: 58 is right now, 44 and 45 are wrong. The check's entries keep the sizes
  // of its first run; the hook's own entry for table 45 joins the registry at the failed start.
  SetTableField<std::int16_t>(host.table(58), table_object::kRecordSize, 526);
  SetTableField<std::int16_t>(host.table(44), table_object::kRecordSize, 900);
  SetTableField<std::int16_t>(host.table(45), table_object::kRecordSize, 300);
  EXPECT_EQ(plugin().Start(), -1);
  const int asked_before = Count("od_table(");

  EXPECT_EQ(check(), 2);

  EXPECT_EQ(Count("od_table(") - asked_before, 4) << "every check asks for all four tables";
  EXPECT_EQ(Registry(), (std::vector<RegistryRow>{{"Mm", 526, 530}, {"Tspr_dok", 298, 300}}));
}

}  // namespace
}  // namespace kombrel_test

// Binding the host's services while the module loads: the missing-entry dialog with Abort, Retry and
// Ignore, the ignore-all flag, and the do-nothing fallbacks that an Ignore puts into a slot.
#include <dlfcn.h>

#include <cstdarg>
#include <map>
#include <set>

#include "simulated_host/services.h"
#include "tests/plugin_fixture.h"
#include "tests/plugin_internals.h"

namespace kombrel_test {
namespace {

using simhost::BoxAnswer;

// Every slot by its service's number, as the plug-in names them.
const std::map<std::uint16_t, const char*> kSlots = [] {
  std::map<std::uint16_t, const char*> slots;
  for (const ServiceSlot& slot : kServiceSlots)
    slots[slot.ordinal] = slot.name;
  return slots;
}();

// The services the rule gives a fallback.
const std::set<std::uint16_t> kWithFallback = {52028, 50704, 52256, 50516, 32008, 30908, 52332, 41399};

const char kDefaultPath[] = "C:\\TORVAL\\WTYCZKI\\Kombrel.dll";

// The missing-entry box in UTF-8: every control byte of the format and the help text became a space.
std::string ExpectedBox(const std::string& shown_path, const std::string& number) {
  return "W module  " + shown_path + " \nbrak wpisu  " + number +
         " \nWywołano z wtyczki   DOKUMENTY SPRZEDAŻY: \n\nPobierz zawartość MM -  Ctrl+5 \n .\n\n"
         "Błąd ten można zignorować lecz dalsza praca\n"
         "programu w tych warunkach może być niebezpieczna.\n\n"
         "Konieczna jest aktualizacja programu!";
}

// Keeps the plug-in's file mapped for the length of a test, so that its module-wide state can be read
// after a load that failed.
class KeepMapped {
 public:
  KeepMapped() : handle_(dlopen(KOMBREL_PLUGIN_FILE, RTLD_NOW | RTLD_LOCAL)) {}
  ~KeepMapped() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  KeepMapped(const KeepMapped&) = delete;
  KeepMapped& operator=(const KeepMapped&) = delete;

 private:
  void* handle_;
};

FARPROC Slot(std::uint16_t number) {
  auto* slot = static_cast<FARPROC*>(PluginSymbol(kSlots.at(number)));
  return slot != nullptr ? *slot : nullptr;
}

struct BindingCase {
  const char* name;
  std::set<std::uint16_t> missing;
  std::vector<BoxAnswer> answers;
  std::string plugin_path;  // empty: the default
  bool loads;
  std::vector<std::string> boxes;  // the number each box names, in order
  std::vector<std::string> answers_given;
  bool ignore_all;
  std::string shown_path = kDefaultPath;  // the path as the box shows it
  bool converted = true;                  // the box's text went through txt_convert
};

void PrintTo(const BindingCase& c, std::ostream* out) {
  *out << c.name;
}

class Binding : public PluginTest, public ::testing::WithParamInterface<BindingCase> {};

TEST_P(Binding, ReportsAMissingServiceAndBindsAsTheAnswerSays) {
  const BindingCase& c = GetParam();
  KeepMapped keep;
  simhost::Config config;
  config.missing_ordinals = c.missing;
  config.missing_entry_answers = c.answers;
  if (!c.plugin_path.empty()) config.plugin_path = c.plugin_path;
  simhost::Host& host = Boot(config);

  EXPECT_EQ(plugin().loaded(), c.loads) << plugin().load_error();
  std::vector<std::string> numbers;
  std::vector<std::string> answers;
  for (const simhost::Message& box : host.messages) {
    ASSERT_EQ(box.kind, "message_box");
    answers.push_back(box.answer);
    const std::size_t at = box.text.find("brak wpisu  ");
    ASSERT_NE(at, std::string::npos) << box.text;
    const std::string number = box.text.substr(at + 12, 5);
    numbers.push_back(number);
    const auto text = c.converted ? simhost::Cp1250ToUtf8(box.text) : simhost::MazoviaToUtf8(box.text);
    EXPECT_EQ(text, ExpectedBox(c.shown_path, number));
    const auto caption = c.converted ? simhost::Cp1250ToUtf8(box.title) : simhost::MazoviaToUtf8(box.title);
    EXPECT_EQ(caption, "POWAŻNY BŁĄD WTYCZKI");
    EXPECT_EQ(box.flags, 0x2012);
  }
  EXPECT_EQ(numbers, c.boxes);
  EXPECT_EQ(answers, c.answers_given);
  auto* ignore_all = static_cast<const bool*>(PluginSymbol("ignore_missing_entries"));
  ASSERT_NE(ignore_all, nullptr);
  EXPECT_EQ(*ignore_all, c.ignore_all);

  if (!c.loads) return;
  // A loaded plug-in has no null slot: the host's function, or a fallback of the plug-in's own.
  std::map<std::uint16_t, FARPROC> exports;
  for (const auto& [number, address] : simhost::HostExports())
    exports[number] = address;
  for (const auto& [number, name] : kSlots) {
    if (c.missing.count(number) == 0) {
      EXPECT_EQ(Slot(number), exports.at(number)) << name;
    } else {
      EXPECT_NE(Slot(number), nullptr) << name;
      EXPECT_NE(Slot(number), exports.at(number)) << name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Binding,
    ::testing::Values(BindingCase{"EveryServicePresent", {}, {BoxAnswer::kAbort}, {}, true, {}, {}, false},
                      // Ignore gives ui_message its fallback, and the ignore-all flag spares a second dialog.
                      BindingCase{"IgnoredUiMessageThenResultFreeWithoutADialog",
                                  {52028, 50704},
                                  {BoxAnswer::kIgnore, BoxAnswer::kAbort},
                                  {},
                                  true,
                                  {"52028"},
                                  {"ignore"},
                                  true},
                      // 29 is not a multiple of 4: no fallback, the load fails even after Ignore.
                      BindingCase{"IgnoredUiMessagefStillFails",
                                  {52029},
                                  {BoxAnswer::kIgnore},
                                  {},
                                  false,
                                  {"52029"},
                                  {"ignore"},
                                  true},
                      BindingCase{"IgnoredIniAccessGetsTheCallerCleanedFallback",
                                  {41399},
                                  {BoxAnswer::kIgnore},
                                  {},
                                  true,
                                  {"41399"},
                                  {"ignore"},
                                  true},
                      BindingCase{
                          "RetryShowsTheSameBoxAgainUntilAbort",
                          {52028},
                          {BoxAnswer::kRetry, BoxAnswer::kRetry, BoxAnswer::kRetry, BoxAnswer::kAbort},
                          {},
                          false,
                          {"52028", "52028", "52028", "52028"},
                          {"retry", "retry", "retry", "abort"},
                          false},
                      BindingCase{"UncalledEntry38417FailsOnAbort",
                                  {38417},
                                  {BoxAnswer::kAbort},
                                  {},
                                  false,
                                  {"38417"},
                                  {"abort"},
                                  false},
                      BindingCase{"UncalledEntry38417FailsOnIgnore",
                                  {38417},
                                  {BoxAnswer::kIgnore},
                                  {},
                                  false,
                                  {"38417"},
                                  {"ignore"},
                                  true},
                      BindingCase{"ABoxThatCannotBeShownCountsAsAbort",
                                  {50704},
                                  {BoxAnswer::kNone},
                                  {},
                                  false,
                                  {"50704"},
                                  {"none"},
                                  false},
                      // The first failing check ends the bindings: no box for a later missing service.
                      BindingCase{"AFailedLoadShowsNoSecondDialog",
                                  {52029, 52028},
                                  {BoxAnswer::kIgnore},
                                  {},
                                  false,
                                  {"52029"},
                                  {"ignore"},
                                  true},
                      BindingCase{"ControlBytesInThePathShowAsSpaces",
                                  {52028},
                                  {BoxAnswer::kAbort},
                                  "C:\\TORVAL\x01X\x02Y\\Kombrel.dll",
                                  false,
                                  {"52028"},
                                  {"abort"},
                                  false,
                                  "C:\\TORVAL X Y\\Kombrel.dll"},
                      // Without txt_convert the box can only show the text as it is.
                      BindingCase{"WithoutTxtConvertTheBoxIsShownUnconverted",
                                  {52158},
                                  {BoxAnswer::kIgnore},
                                  {},
                                  false,
                                  {"52158"},
                                  {"ignore"},
                                  true,
                                  kDefaultPath,
                                  false}),
    [](const auto& info) { return std::string(info.param.name); });

std::int16_t CallIniAccess(IniAccessFn ini_access, ...) {
  std::va_list arguments;
  va_start(arguments, ini_access);
  const std::int16_t result = ini_access("Kombrel.ini", 8, "Kombrel", "Pytaj", "%d", arguments);
  va_end(arguments);
  return result;
}

TEST_F(PluginTest, EveryFallbackDoesNothingAndAnswersZero) {
  simhost::Config config;
  config.missing_ordinals = kWithFallback;
  config.missing_entry_answers = {BoxAnswer::kIgnore, BoxAnswer::kAbort};
  simhost::Host& host = Boot(config);
  ASSERT_TRUE(plugin().loaded()) << plugin().load_error();
  ASSERT_EQ(host.messages.size(), 1u) << "one dialog, then the ignore-all flag";
  const auto calls = host.call_count;

  char text[16] = "unchanged";
  std::int32_t handle = 5;
  std::int32_t found = 9;
  std::int32_t pytaj = 77;
  TsprDokRecord position{};
  TsprRecord header{};
  EXPECT_EQ(FunctionCast<UiMessageFn>(Slot(52028))("Uwaga", "tekst", 1), 0);
  EXPECT_EQ(FunctionCast<OdResultFreeFn>(Slot(50704))(&handle), 0);
  EXPECT_EQ(FunctionCast<OdTableFn>(Slot(52256))(44), nullptr);
  EXPECT_EQ(FunctionCast<OdSearchFn>(Slot(50516))(1, text, host.table(67), &found), 0);
  EXPECT_EQ(FunctionCast<StrDateFormatFn>(Slot(32008))(text, "20240131"), 0);
  EXPECT_EQ(FunctionCast<StrDateCompareFn>(Slot(30908))("20240131", "20240101"), 0);
  EXPECT_EQ(FunctionCast<DocPositionRecalcFn>(Slot(52332))(0, &position, &header, 1), 0);
  EXPECT_EQ(CallIniAccess(FunctionCast<IniAccessFn>(Slot(41399)), &pytaj), 0);

  EXPECT_EQ(host.call_count, calls) << "a fallback reached the host";
  EXPECT_TRUE(host.messages.size() == 1u);
  EXPECT_STREQ(text, "unchanged");
  EXPECT_EQ(handle, 5);
  EXPECT_EQ(found, 9);
  EXPECT_EQ(pytaj, 77);
}

}  // namespace
}  // namespace kombrel_test

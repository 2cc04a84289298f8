// On 32-bit x86 the calling convention is real: a stdcall callee removes its arguments, a cdecl caller
// removes them itself. The plug-in calls every host service through a slot whose type carries the
// convention; here each slot of a loaded plug-in is called from an assembly helper that behaves as a
// caller of that slot type does, and the stack must end where it began.
#include <cstdint>
#include <cstring>
#include <tuple>
#include <type_traits>
#include <vector>

#include "tests/plugin_fixture.h"
#include "tests/plugin_internals.h"

extern "C" std::int32_t KombrelStackDrift(const void* function, const std::uint32_t* words,
                                          std::uint32_t count, std::uint32_t caller_cleans,
                                          std::uint32_t returns_x87);

namespace kombrel_test {
namespace {

// Arguments as the caller lays them out: every argument takes whole four-byte words.
class Words {
 public:
  template <class T>
  void Add(T value) {
    static_assert(std::is_trivially_copyable_v<T>);
    std::uint32_t words[(sizeof(T) + 3) / 4] = {};
    std::memcpy(words, &value, sizeof value);
    words_.insert(words_.end(), std::begin(words), std::end(words));
  }
  const std::uint32_t* data() const { return words_.data(); }
  std::uint32_t count() const { return static_cast<std::uint32_t>(words_.size()); }

 private:
  std::vector<std::uint32_t> words_;
};

template <class Function>
const void* Address(Function function) {
  return reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(function));
}

// One overload per convention: the slot's type decides who removes the arguments, and the arguments are
// converted to the slot's parameter types before they are laid out.
template <class R, class... A>
std::int32_t Drift(R(KOMBREL_STDCALL* function)(A...), std::type_identity_t<A>... args) {
  Words words;
  (words.Add<A>(args), ...);
  return KombrelStackDrift(Address(function), words.data(), words.count(), 0, std::is_floating_point_v<R>);
}

template <class R, class... A>
std::int32_t Drift(R(KOMBREL_CDECL* function)(A...), std::type_identity_t<A>... args) {
  Words words;
  (words.Add<A>(args), ...);
  return KombrelStackDrift(Address(function), words.data(), words.count(), 1, std::is_floating_point_v<R>);
}

// A variadic slot: the fixed arguments in the slot's types, then the variable ones as promoted.
template <class R, class... A, class... Rest>
std::int32_t Drift(R(KOMBREL_CDECL* function)(A..., ...), std::tuple<std::type_identity_t<A>...> fixed,
                   Rest... rest) {
  Words words;
  std::apply([&](auto... args) { (words.Add<A>(args), ...); }, fixed);
  (words.Add(rest), ...);
  return KombrelStackDrift(Address(function), words.data(), words.count(), 1, std::is_floating_point_v<R>);
}

// The value of one of the loaded plug-in's slots, in the slot's own type.
template <class Slot>
Slot LoadedSlot(const char* name) {
  const auto* slot = static_cast<const Slot*>(PluginSymbol(name));
  if (slot == nullptr) {
    ADD_FAILURE() << "the plug-in has no slot " << name;
    return nullptr;
  }
  EXPECT_NE(*slot, nullptr) << name << " is not bound";
  return *slot;
}
#define SLOT(name) LoadedSlot<decltype(::name)>(#name)

extern "C" std::int32_t KOMBREL_CDECL CdeclThree(std::int32_t a, std::int32_t b, std::int32_t c) {
  return a + b + c;
}
extern "C" std::int32_t KOMBREL_STDCALL StdcallThree(std::int32_t a, std::int32_t b, std::int32_t c) {
  return a + b + c;
}

TEST(StackDrift, TellsWhenCallerAndCalleeDisagree) {
  const std::uint32_t words[3] = {1, 2, 3};
  EXPECT_EQ(KombrelStackDrift(Address(&CdeclThree), words, 3, 1, 0), 0);
  EXPECT_EQ(KombrelStackDrift(Address(&StdcallThree), words, 3, 0, 0), 0);
  EXPECT_EQ(KombrelStackDrift(Address(&CdeclThree), words, 3, 0, 0), 12) << "arguments left behind";
  EXPECT_EQ(KombrelStackDrift(Address(&StdcallThree), words, 3, 1, 0), -12) << "arguments removed twice";
}

using StackTest = PluginTest;

TEST_F(StackTest, EveryHostServiceKeepsTheStackAsItsSlotTypeSays) {
  simhost::Config config;
  simhost::MmDocument document;
  document.doc_id = 5;
  document.issue_date = "20240115";
  document.positions.push_back({});
  config.mm.push_back(document);
  simhost::Host& host = Boot(config);
  ASSERT_TRUE(plugin().loaded()) << plugin().load_error();
  // The form engine is handed to a stand-in, so that running a form needs no form table.
  host.interactive_forms = [](const void*, std::int32_t, void*, FormKeyHandler, FormRowProvider) {
    return 0;
  };

  char title[] = "T";
  char text[32] = "abc";
  char display[16] = {};
  std::int16_t flag = 0;
  TableObject* mm = host.table(58);
  TableObject* mm_positions = host.table(67);
  TableObject* positions = host.table(45);
  std::uint8_t key[64] = {};
  std::uint8_t scan_state[256] = {};
  std::int32_t found = 0;
  void* block = nullptr;
  std::int32_t setting = 0;
  void* ini_arguments[] = {&setting};

  EXPECT_EQ(Drift(SLOT(sys_api_version)), 0);
  EXPECT_EQ(Drift(SLOT(ui_message), title, text, 1), 0);
  EXPECT_EQ(Drift(SLOT(ui_messagef), std::tuple{title, "%d %s", 1}, 5, text), 0);
  EXPECT_EQ(Drift(SLOT(ui_alert), text), 0);
  EXPECT_EQ(Drift(SLOT(ui_message_close)), 0);
  EXPECT_EQ(Drift(SLOT(ui_host_dialog), 1668, &flag, 0, text), 0);
  EXPECT_EQ(Drift(SLOT(txt_convert), text, text, 1, 3), 0);
  EXPECT_EQ(Drift(SLOT(num_scale), 1250.0, 100), 0);
  EXPECT_EQ(Drift(SLOT(str_copy_n), display, "abcdef", 3), 0);
  EXPECT_EQ(Drift(SLOT(str_date_format), display, "20240131"), 0);
  EXPECT_EQ(Drift(SLOT(str_date_compare), "20240101", "31.01.2024"), 0);
  EXPECT_EQ(Drift(SLOT(mem_realloc), &block, 64), 0);
  EXPECT_EQ(Drift(SLOT(mem_free), block), 0);
  EXPECT_EQ(Drift(SLOT(od_table), 58), 0);
  EXPECT_EQ(Drift(SLOT(od_set_flags), mm, 255), 0);
  EXPECT_EQ(Drift(SLOT(od_make_key), 124, &mm, key, 0), 0);
  EXPECT_EQ(Drift(SLOT(od_scan_first), scan_state, mm, 124, key, 0, 0), 0);
  EXPECT_EQ(Drift(SLOT(od_scan_next), scan_state), 0);
  EXPECT_EQ(Drift(SLOT(od_scan_end), scan_state), 0);
  EXPECT_EQ(Drift(SLOT(od_make_key), 125, &mm_positions, key, document.doc_id), 0);
  ASSERT_EQ(Drift(SLOT(od_search), 125, key, mm_positions, &found), 0);
  ASSERT_EQ(host.results.size(), 1u);
  std::int32_t handle = host.results.begin()->first;
  EXPECT_EQ(Drift(SLOT(od_fseek), 0, 0, mm_positions, 0, handle), 0);
  EXPECT_EQ(Drift(SLOT(od_result_free), &handle), 0);
  EXPECT_EQ(Drift(SLOT(ui_form_item_value), 0x4001), 0);
  EXPECT_EQ(Drift(SLOT(ui_form_run), nullptr, 1003, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(Drift(SLOT(doc_position_recalc), 0, host.slots[0], host.sales_header(), 1), 0);
  EXPECT_EQ(Drift(SLOT(doc_totals_recalc), host.slots.data(), host.slot_count, host.sales_header(), 0, 0), 0);
  EXPECT_EQ(Drift(SLOT(ui_browse_refresh), 0, positions, host.slots.data(), &host.slot_count, 0, 0x4100, 0, 1,
                  0, 0, 0, 0),
            0);
  EXPECT_EQ(Drift(SLOT(ini_access), "Kombrel.ini", 8, "Kombrel", "Pytaj", "%d",
                  reinterpret_cast<std::va_list>(ini_arguments)),
            0);
  // entry_38417 is bound like every other service but nothing may call it: the host counts a call as a
  // fault. Its slot type is checked against the host's function at compile time all the same.

  // The services were called out of any real context; what the host made of that is not this test's
  // business, only the stack is.
  host.violations.clear();
}

// The do-nothing fallbacks that an Ignore puts into a slot leave the stack exactly as the real service
// would: a stdcall stand-in removes its slot's argument bytes (12 for ui_message, not the 28 that its
// number's rule names), a caller-cleaned one removes none.
TEST_F(StackTest, EveryFallbackKeepsTheStackAsItsSlotTypeSays) {
  simhost::Config config;
  config.missing_ordinals = {
      ordinal::ui_message,          ordinal::od_result_free,  ordinal::od_table,
      ordinal::od_search,           ordinal::str_date_format, ordinal::str_date_compare,
      ordinal::doc_position_recalc, ordinal::ini_access};
  config.missing_entry_answers = {simhost::BoxAnswer::kIgnore};
  simhost::Host& host = Boot(config);
  ASSERT_TRUE(plugin().loaded()) << plugin().load_error();
  const auto calls = host.call_count;

  char text[16] = "abc";
  std::int32_t handle = 7;
  std::int32_t found = 0;
  std::int32_t setting = 0;
  void* ini_arguments[] = {&setting};
  TableObject* mm_positions = host.table(67);
  EXPECT_EQ(Drift(SLOT(ui_message), text, text, 1), 0);
  EXPECT_EQ(Drift(SLOT(od_result_free), &handle), 0);
  EXPECT_EQ(Drift(SLOT(od_table), 58), 0);
  EXPECT_EQ(Drift(SLOT(od_search), 125, text, mm_positions, &found), 0);
  EXPECT_EQ(Drift(SLOT(str_date_format), text, "20240131"), 0);
  EXPECT_EQ(Drift(SLOT(str_date_compare), "20240101", "20240131"), 0);
  EXPECT_EQ(Drift(SLOT(doc_position_recalc), 0, host.slots[0], host.sales_header(), 1), 0);
  EXPECT_EQ(Drift(SLOT(ini_access), "Kombrel.ini", 8, "Kombrel", "Pytaj", "%d",
                  reinterpret_cast<std::va_list>(ini_arguments)),
            0);
  EXPECT_EQ(host.call_count, calls) << "a fallback reached the host";
}

}  // namespace
}  // namespace kombrel_test

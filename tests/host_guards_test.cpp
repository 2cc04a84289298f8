// The simulated host's own watch over its memory: a handler in table 45's slot that writes where a
// plug-in may not is caught when control comes back to the host. Every other suite relies on this watch
// to show that the plug-in writes nothing outside what it owns.
#include <cstring>

#include "simulated_host/services.h"
#include "tests/plugin_fixture.h"

namespace kombrel_test {
namespace {

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KOMBREL_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KOMBREL_TEST_ASAN 1
#endif

using Rogue = void (*)(simhost::Host& host, TsprDokRecord** slots, TableObject* positions);

struct RogueCase {
  const char* name;
  Rogue write;
  std::string violation;  // the first one the host reports
  bool into_guard;        // AddressSanitizer stops such a write itself
};

void PrintTo(const RogueCase& c, std::ostream* out) {
  *out << c.name;
}

Rogue rogue = nullptr;

std::int32_t KOMBREL_STDCALL RogueHandler(std::int32_t, std::uint16_t, std::int32_t*, TsprDokRecord** slots,
                                          std::int32_t, TableObject* positions, std::int32_t, std::int32_t,
                                          std::int32_t, std::uint16_t, std::int32_t) {
  rogue(simhost::Host::Current(), slots, positions);
  return 0;
}

const RogueCase kRogueCases[] = {
    {"NameOfAUsedSlot", [](simhost::Host&, TsprDokRecord** slots, TableObject*) { slots[0]->name[0] = 'X'; },
     "the plug-in wrote byte 2 of the used slot 0", false},
    {"PastAFreeSlot",
     [](simhost::Host&, TsprDokRecord** slots, TableObject*) {
       reinterpret_cast<volatile std::uint8_t*>(slots[1])[sizeof(TsprDokRecord)] = 0;
     },
     "a write outside the record of slot 1: after, at byte 298", true},
    {"BeforeASlot",
     [](simhost::Host&, TsprDokRecord** slots, TableObject*) {
       reinterpret_cast<volatile std::uint8_t*>(slots[2])[-1] = 0;
     },
     "a write outside the record of slot 2: before, at byte -1", true},
    {"TheMmRecordBuffer",
     [](simhost::Host& host, TsprDokRecord**, TableObject*) { TableRecordBuffer(host.table(58))[7] = 1; },
     "the plug-in wrote byte 7 of table 58's record buffer", false},
    {"PastTheWorkRecord",
     [](simhost::Host&, TsprDokRecord**, TableObject* positions) {
       reinterpret_cast<volatile std::uint8_t*>(TableRecordBuffer(positions))[sizeof(TsprDokRecord)] = 1;
     },
     "a write outside table 45's record buffer: after, at byte 298", true},
    {"TheRowBase",
     [](simhost::Host&, TsprDokRecord**, TableObject* positions) {
       SetTableField<std::int32_t>(positions, table_object::kRowBase, 5);
     },
     "the plug-in wrote byte 84 of table 45's object", false},
    {"TheSlotArray",
     [](simhost::Host&, TsprDokRecord** slots, TableObject*) { std::swap(slots[0], slots[1]); },
     "the plug-in changed the slot array", false},
    {"PastABlock",
     [](simhost::Host&, TsprDokRecord**, TableObject*) {
       void* block = nullptr;
       torval_mem_realloc(&block, 10);
       static_cast<volatile std::uint8_t*>(block)[10] = 0;
       torval_mem_free(block);
     },
     "a write outside a host block of 10 bytes: after, at byte 10", true},
    {"ABlockLeftAlive",
     [](simhost::Host&, TsprDokRecord**, TableObject*) {
       void* block = nullptr;
       torval_mem_realloc(&block, 10);
     },
     "host memory blocks left alive when control came back", false},
};

class HostGuards : public ::testing::TestWithParam<RogueCase> {};

TEST_P(HostGuards, AWriteOutsideWhatAHandlerOwnsIsReported) {
#if defined(KOMBREL_TEST_ASAN)
  if (GetParam().into_guard) GTEST_SKIP() << "AddressSanitizer reports this write itself";
#endif
  simhost::Config config;
  simhost::SalesPosition used;
  used.name = "Used";
  config.sales = {used};
  simhost::Host& host = simhost::Host::Start(config);
  rogue = GetParam().write;
  SetTableEventHandler(host.table(45), &RogueHandler);
  host.RaiseEvent(1);
  ASSERT_FALSE(host.violations.empty());
  EXPECT_EQ(host.violations.front(), GetParam().violation);
  for (auto& [block, size] : host.blocks)
    simhost::FreeGuardedBlock(block, size);
  host.blocks.clear();
  simhost::Host::Stop();
}

INSTANTIATE_TEST_SUITE_P(Writes, HostGuards, ::testing::ValuesIn(kRogueCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kombrel_test

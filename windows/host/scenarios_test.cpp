// The plug-in as the host meets it on Windows: Kombrel.dll loaded by the system's loader into a process
// whose TORVAL.dll and BRAXO.dll are the simulated host's, KOLUM supplied by the host's delay-load hook,
// the entries called by ordinal through GetProcAddress. One process runs every scenario (a Wine start
// is slow); each scenario gets a fresh host and a fresh load of the module.
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "common/texts.h"
#include "simulated_host/services.h"
#include "tests/transfer_fixture.h"

namespace kombrel_test {
namespace {

HMODULE HostModule() {
  return GetModuleHandleA("TORVAL.dll");
}

// A host module that lacks some services: their slots in TORVAL.dll's export address table are emptied
// while the plug-in loads, as a host built without them would have them; GetProcAddress then answers
// null for them. The slots are filled again when this ends.
class MissingServices {
 public:
  explicit MissingServices(const std::set<std::uint16_t>& ordinals) {
    auto* base = reinterpret_cast<std::uint8_t*>(HostModule());
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    auto* functions = reinterpret_cast<DWORD*>(base + exports->AddressOfFunctions);
    for (std::uint16_t ordinal : ordinals) {
      const DWORD index = ordinal - exports->Base;
      if (ordinal < exports->Base || index >= exports->NumberOfFunctions) {
        ADD_FAILURE() << "TORVAL.dll has no slot for " << ordinal;
        continue;
      }
      emptied_.emplace_back(&functions[index], functions[index]);
      Write(&functions[index], 0);
    }
  }
  ~MissingServices() {
    for (const auto& [slot, value] : emptied_)
      Write(slot, value);
  }
  MissingServices(const MissingServices&) = delete;
  MissingServices& operator=(const MissingServices&) = delete;

 private:
  static void Write(DWORD* slot, DWORD value) {
    DWORD protection = 0;
    ASSERT_TRUE(VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection));
    *slot = value;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
  }

  std::vector<std::pair<DWORD*, DWORD>> emptied_;
};

class WindowsHostTest : public PluginTest {
 protected:
  // Boots with the services of `missing` absent from the host module while the plug-in loads.
  simhost::Host& BootWithout(const std::set<std::uint16_t>& missing, simhost::Config config = {}) {
    MissingServices lacking(missing);
    return Boot(std::move(config));
  }
};

const std::vector<std::string> kStartUpDelayLoads = {"sys_delay_load_hook(KOLUM.dll)",
                                                     "sys_delay_load_hook(KOLUM.dll!GetCommandLineA)"};

TEST_F(WindowsHostTest, TheHostModuleExportsEveryServiceByItsOrdinal) {
  for (const auto& [number, address] : simhost::HostExports()) {
    EXPECT_EQ(GetProcAddress(HostModule(), MAKEINTRESOURCEA(number)), address) << number;
  }
  EXPECT_EQ(GetProcAddress(HostModule(), "torval_od_table"), nullptr)
      << "services are exported by number only";
  EXPECT_EQ(GetModuleHandleA("KOLUM.dll"), nullptr) << "KOLUM must come from the host's hook alone";
}

TEST_F(WindowsHostTest, AcceptedLoadGoesThroughTheHostsDelayLoadHookAndHandsOverTheHelpText) {
  simhost::Host& host = Boot();
  ASSERT_TRUE(plugin().loaded()) << plugin().load_error();
  // The runtime start's first use of KOLUM went through the delay-load helper, which asked the hook the
  // attach routine had installed, for the module and for the function.
  EXPECT_EQ(host.calls, kStartUpDelayLoads);
  EXPECT_EQ(GetModuleHandleA("KOLUM.dll"), nullptr);

  _set_se_translator(nullptr);
  char buffer[80];
  std::memset(buffer, 0x55, sizeof buffer);
  EXPECT_EQ(plugin().LoadCheck(buffer), 0);
  EXPECT_EQ(std::memcmp(buffer, texts::kHelpText.bytes, sizeof texts::kHelpText.bytes), 0);
  EXPECT_EQ(static_cast<unsigned char>(buffer[sizeof texts::kHelpText.bytes]), 0x55);
  EXPECT_EQ(Count("sys_api_version"), 1);
  EXPECT_EQ(Count("od_table("), 4);
  // The C runtime's translator of this thread is now the host's entry 30005.
  const auto installed = _set_se_translator(nullptr);
  EXPECT_EQ(FunctionCast<FARPROC>(installed), GetProcAddress(HostModule(), MAKEINTRESOURCEA(30005)));
}

TEST_F(WindowsHostTest, ExportsTheThreeEntriesByOrdinalOnly) {
  Boot();
  ASSERT_TRUE(plugin().loaded()) << plugin().load_error();
  for (std::uint16_t ordinal = 30000; ordinal <= 30010; ++ordinal) {
    const bool expected = ordinal == 30001 || ordinal == 30008 || ordinal == 30009;
    EXPECT_EQ(plugin().Export(ordinal) != nullptr, expected) << ordinal;
  }
  EXPECT_EQ(GetProcAddress(plugin().module(), "Wejscie30001"), nullptr);
}

TEST_F(WindowsHostTest, EventsReachThePreviousHandlerAndARunLeavesNothingBehind) {
  simhost::Host& host = BootAndStart();
  const simhost::EventParameters parameters;
  EXPECT_EQ(host.RaiseEvent(17, parameters), host.config.previous_handler_result);
  EXPECT_EQ(host.RaiseEvent(235, parameters), host.config.previous_handler_result);
  ASSERT_EQ(host.chained.size(), 2u);
  EXPECT_EQ(host.chained[0].event, 17);
  EXPECT_EQ(host.chained[1].event, 235);
  for (const simhost::ChainedEvent& event : host.chained) {
    EXPECT_EQ(event.browse_value, parameters.browse_value);
    EXPECT_EQ(event.slot_count, &host.slot_count);
    EXPECT_EQ(event.slots, host.slots.data());
    EXPECT_EQ(event.parameter5, parameters.parameter5);
    EXPECT_EQ(event.position_table, host.table(45));
    EXPECT_EQ(event.parameter7, parameters.parameter7);
    EXPECT_EQ(event.browse_argument, parameters.browse_argument);
    EXPECT_EQ(event.parameter9, parameters.parameter9);
    EXPECT_EQ(event.parameter10, parameters.parameter10);
    EXPECT_EQ(event.parameter11, parameters.parameter11);
  }
  // TearDown: no host memory block alive, no scan or search result open.
}

// A whole transfer: two MM documents in the range, the second marked; its first position merges into
// the document's equal position, its second takes the first free slot.
TEST_F(WindowsHostTest, AWholeTransferMergesAndInsertsAndRefreshesTheDocument) {
  simhost::Config config;
  config.mm = {Document("MM/1/2024", "20240105", 101, {Position("Śruba", 1, 3)}),
               Document("MM/2/2024", "20240110", 102, {Position("Śruba", 1, 4), Position("Nakrętka", 2, 5)})};
  simhost::SalesPosition used;
  used.slot = 0;
  used.name = "Śruba";
  used.quantity = 10;
  used.price = 10.0;  // 1000 scaled by the host's factor 100
  used.mm_number = "MM/2/2024";
  used.warehouse = 1;
  used.ref = 1;
  config.sales = {used};
  config.forms = {Pick({1})};
  simhost::Host& host = BootAndStart(config);

  EXPECT_EQ(host.RaiseEvent(235), host.config.previous_handler_result);

  ASSERT_EQ(host.list_rows.size(), 2u);
  EXPECT_EQ(Utf8(host.list_rows[1]), "*\rMM/2/2024\rOpis MM/2/2024\rMAG2\r0.00\r10.01.2024");
  EXPECT_EQ(host.slots[0]->quantity, 14);
  EXPECT_EQ(Utf8(host.slots[1]->name), "Nakrętka");
  EXPECT_EQ(host.slots[1]->quantity, 5);
  EXPECT_STREQ(host.slots[1]->warehouse_label, "M1");
  EXPECT_EQ(host.slots[1]->run_index, 1);
  EXPECT_EQ(TableCurrentRowOffset(host.table(45)), 1);
  EXPECT_EQ(host.slots[2]->ref, 0) << "one position merged, one inserted";
  EXPECT_EQ(Count("doc_totals_recalc"), 1);
  EXPECT_EQ(Count("ui_browse_refresh"), 1);
  // The refresh comes last but for the release of the run's two buffers.
  ASSERT_GE(host.calls.size(), 3u);
  EXPECT_EQ(host.calls[host.calls.size() - 3].rfind("ui_browse_refresh", 0), 0u);
  EXPECT_EQ(host.calls[host.calls.size() - 2], "mem_free");
  EXPECT_EQ(host.calls.back(), "mem_free");
}

class FailingInitialiser : public WindowsHostTest, public ::testing::WithParamInterface<std::uint16_t> {};

TEST_P(FailingInitialiser, MakesLoadLibraryFail) {
  simhost::Host& host = BootWithout({GetParam()});
  EXPECT_FALSE(plugin().loaded());
  EXPECT_EQ(GetModuleHandleA("Kombrel.dll"), nullptr) << "the module stayed loaded";
  // The load failed during the bindings: no entry ran, so no service was used.
  EXPECT_EQ(Count("sys_api_version"), 0);
  EXPECT_EQ(Count("od_table("), 0);
  ASSERT_GE(host.calls.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(host.calls.begin(), host.calls.begin() + 2), kStartUpDelayLoads);
}

// The first and last services in binding order, the one nothing calls, and one with a fallback: with the
// message box unavailable every missing service aborts the load.
INSTANTIATE_TEST_SUITE_P(MissingService, FailingInitialiser,
                         ::testing::Values(ordinal::ui_messagef, ordinal::entry_38417, ordinal::od_table,
                                           ordinal::sys_api_version),
                         [](const auto& info) { return "ordinal" + std::to_string(info.param); });

TEST_F(WindowsHostTest, RefusedLoadCheckThenTheRefusalReport) {
  simhost::Config config;
  config.tables[45] = 300;
  Boot(config);
  ASSERT_TRUE(plugin().loaded()) << plugin().load_error();
  EXPECT_EQ(plugin().LoadCheck(help_), -1);
  EXPECT_EQ(plugin().Report(), 0);
  ASSERT_EQ(host().messages.size(), 1u);
  const simhost::Message& report = host().messages[0];
  EXPECT_EQ(report.kind, "ui_message");
  EXPECT_EQ(report.title, "STOP!!!");
  EXPECT_EQ(report.flags, 0xC001);
  EXPECT_NE(report.text.find("\x01tp25p40\x01Tspr_dok\t298\t300\n"), std::string::npos);
  // The module's file name closes the report: the part of its path after the last backslash.
  EXPECT_NE(report.text.find("\x02Kombrel.dll\x01\nNIE"), std::string::npos) << Utf8(report.text);
}

TEST_F(WindowsHostTest, AnotherVersionIsRefusedWithoutLookingAtTables) {
  simhost::Config config;
  config.api_version = 111;
  Boot(config);
  ASSERT_TRUE(plugin().loaded()) << plugin().load_error();
  EXPECT_EQ(plugin().LoadCheck(help_), -1);
  EXPECT_EQ(Count("od_table("), 0);
}

TEST_F(WindowsHostTest, StopPutsThePreviousHandlerBackAndTheModuleUnloads) {
  simhost::Host& host = Boot();
  ASSERT_TRUE(plugin().loaded()) << plugin().load_error();
  const TableEventHandler previous = TableEventHandlerOf(host.table(45));
  EXPECT_EQ(plugin().LoadCheck(help_), 0);
  EXPECT_EQ(plugin().Start(), 0);
  EXPECT_NE(TableEventHandlerOf(host.table(45)), previous);
  EXPECT_EQ(plugin().Stop(), 0);
  EXPECT_EQ(TableEventHandlerOf(host.table(45)), previous);
  plugin().Unload();
  EXPECT_EQ(GetModuleHandleA("Kombrel.dll"), nullptr);
}

DWORD WINAPI DoNothing(LPVOID) {
  return 0;
}

TEST_F(WindowsHostTest, ThreadsComingAndGoingChangeNothing) {
  simhost::Host& host = BootAndStart();
  const TableEventHandler hook = TableEventHandlerOf(host.table(45));
  const auto calls = host.calls.size();
  // The loader tells the module of the thread's attach and detach.
  HANDLE thread = CreateThread(nullptr, 0, &DoNothing, nullptr, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
  CloseHandle(thread);
  EXPECT_EQ(TableEventHandlerOf(host.table(45)), hook);
  EXPECT_EQ(host.calls.size(), calls);
  EXPECT_EQ(host.RaiseEvent(17), host.config.previous_handler_result);
}

TEST_F(WindowsHostTest, EveryLoadStartsFromZeroedModuleState) {
  simhost::Config config;
  config.tables[45] = 300;
  simhost::Host& host = Boot(config);
  ASSERT_TRUE(plugin().loaded()) << plugin().load_error();
  EXPECT_EQ(plugin().LoadCheck(help_), -1);
  plugin().Unload();
  ASSERT_EQ(GetModuleHandleA("Kombrel.dll"), nullptr);

  // The host now has the expected size; a registry left over from the first load would still refuse.
  SetTableField<std::int16_t>(host.table(45), table_object::kRecordSize, 298);
  simhost::Plugin again(KOMBREL_PLUGIN_FILE);
  ASSERT_TRUE(again.loaded()) << again.load_error();
  EXPECT_EQ(again.LoadCheck(help_), 0);
}

}  // namespace
}  // namespace kombrel_test

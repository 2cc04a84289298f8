// The event hook on table 45: installed by the start, removed by the stop, refused on a table it was not
// built for, and passing every event on to the handler it replaced.
#include "tests/plugin_fixture.h"
#include "tests/plugin_internals.h"

namespace kombrel_test {
namespace {

using HookTest = PluginTest;

TEST_F(HookTest, StartInstallsTheHookAndStopPutsThePreviousHandlerBack) {
  simhost::Host& host = Boot();
  const TableEventHandler previous = TableEventHandlerOf(host.table(45));
  ASSERT_NE(previous, nullptr);

  EXPECT_EQ(plugin().Start(), 0);
  const TableEventHandler hook = TableEventHandlerOf(host.table(45));
  EXPECT_NE(hook, previous);

  // A second start leaves the hook and the handler it saved first as they are.
  EXPECT_EQ(plugin().Start(), 0);
  EXPECT_EQ(TableEventHandlerOf(host.table(45)), hook);

  EXPECT_EQ(plugin().Stop(), 0);
  EXPECT_EQ(TableEventHandlerOf(host.table(45)), previous);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(HookTest, TheHookCanGoInAgainAfterAStop) {
  simhost::Host& host = BootAndStart();
  const TableEventHandler hook = TableEventHandlerOf(host.table(45));
  plugin().Stop();
  EXPECT_EQ(plugin().Start(), 0);
  EXPECT_EQ(TableEventHandlerOf(host.table(45)), hook);
  EXPECT_EQ(host.RaiseEvent(17), 7);
}

struct RefusedTable {
  const char* name;
  std::optional<std::int16_t> record_size;
  std::int32_t found_size;
};

class HookRefused : public PluginTest, public ::testing::WithParamInterface<RefusedTable> {};

TEST_P(HookRefused, StartFailsWithARegistryEntryAndTheAlert) {
  simhost::Config config;
  config.tables[45] = GetParam().record_size;
  simhost::Host& host = Boot(config);

  EXPECT_EQ(plugin().Start(), -1);
  EXPECT_EQ(plugin().Start(), -1);  // tried again, the same entry is not added twice

  EXPECT_EQ(Registry(), (std::vector<RegistryRow>{{"Tspr_dok", 298, GetParam().found_size}}));
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0].kind, "ui_alert");
  EXPECT_EQ(Utf8(host.messages[0].text), "Program wymaga nowszej wtyczki!");
  if (TableObject* table = host.table(45)) {
    EXPECT_NE(TableEventHandlerOf(table), nullptr) << "the table's handler slot was left alone";
    EXPECT_EQ(host.RaiseEvent(17), 7);
    EXPECT_TRUE(host.chained.size() == 1u);
  }
  EXPECT_EQ(Count("ui_host_dialog"), 0) << "no installation notice after a failed start";
}

INSTANTIATE_TEST_SUITE_P(Tables, HookRefused,
                         ::testing::Values(RefusedTable{"missing", std::nullopt, 0},
                                           RefusedTable{"wider", 300, 300},
                                           RefusedTable{"negative", -298, -298}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HookTest, AnEventOtherThanTransferReachesThePreviousHandlerUnchanged) {
  simhost::Host& host = BootAndStart();
  simhost::EventParameters parameters;
  parameters.browse_value = 0xFFFE;  // a negative 16-bit value travels as its 16 bits
  parameters.parameter10 = 0x8001;
  const std::int32_t calls_before = static_cast<std::int32_t>(host.calls.size());

  EXPECT_EQ(host.RaiseEvent(236, parameters), 7);

  ASSERT_EQ(host.chained.size(), 1u);
  const simhost::ChainedEvent& event = host.chained[0];
  EXPECT_EQ(event.event, 236);
  EXPECT_EQ(event.browse_value, 0xFFFE);
  EXPECT_EQ(event.slot_count, &host.slot_count);
  EXPECT_EQ(event.slots, host.slots.data());
  EXPECT_EQ(event.parameter5, parameters.parameter5);
  EXPECT_EQ(event.position_table, host.table(45));
  EXPECT_EQ(event.parameter7, parameters.parameter7);
  EXPECT_EQ(event.browse_argument, parameters.browse_argument);
  EXPECT_EQ(event.parameter9, parameters.parameter9);
  EXPECT_EQ(event.parameter10, 0x8001);
  EXPECT_EQ(event.parameter11, parameters.parameter11);
  // Table 188 is asked for at every event, and nothing else is done for this one.
  EXPECT_EQ(std::vector<std::string>(host.calls.begin() + calls_before, host.calls.end()),
            std::vector<std::string>{"od_table(188)"});
}

TEST_F(HookTest, ThePreviousHandlersResultComesBack) {
  simhost::Config config;
  config.previous_handler_result = -12345;
  simhost::Host& host = BootAndStart(config);
  EXPECT_EQ(host.RaiseEvent(1), -12345);
  EXPECT_EQ(host.RaiseEvent(235), -12345);
}

TEST_F(HookTest, TransferRunEndsWithNothingAllocatedAndChains) {
  simhost::Host& host = BootAndStart();
  EXPECT_EQ(host.RaiseEvent(235), 7);
  EXPECT_EQ(host.chained.size(), 1u);
  EXPECT_EQ(host.chained[0].event, 235);
  EXPECT_EQ(host.blocks.size(), 0u);
  // The user left the date form: nothing was read, the document was still brought up to date and
  // redrawn, and the run ended there.
  EXPECT_EQ(Count("ui_form_run"), 1);
  EXPECT_EQ(Count("od_scan_first"), 0);
  EXPECT_EQ(Count("doc_totals_recalc"), 1);
  EXPECT_EQ(host.calls.back(), "ui_browse_refresh(258,134744072)");
}

TEST_F(HookTest, WithNoPreviousHandlerTheHookAnswersZeroAndCallsNothing) {
  simhost::Config config;
  config.previous_handler = false;
  simhost::Host& host = BootAndStart(config);
  EXPECT_EQ(host.RaiseEvent(17), 0);
  EXPECT_EQ(host.RaiseEvent(235), 0);
  EXPECT_TRUE(host.chained.empty());
  plugin().Stop();
  EXPECT_EQ(TableEventHandlerOf(host.table(45)), nullptr);
}

}  // namespace
}  // namespace kombrel_test

// The terminal host: loads the plug-in as the host does at its start (load, load check, start, or the
// refusal report), shows the sales document, and raises event 235 when the user presses Ctrl+5 (or F5,
// for terminals that send nothing for Ctrl+5). At the end it stops and unloads the plug-in.
#include "tools/kombrel_host/tui.h"

#include <cstdio>
#include <fstream>

#include "tools/kombrel_host/json_output.h"
#include "tools/kombrel_host/runner.h"
#include "tools/kombrel_host/tui_forms.h"
#include "tools/kombrel_host/tui_screen.h"

namespace kombrel_host {
namespace {

constexpr std::int32_t kTransferEvent = 235;

class TerminalHost {
 public:
  TerminalHost(const Scenario& scenario, const std::string& plugin_file)
      : session_(scenario.config, plugin_file) {
    simhost::Host& host = session_.host();
    host.interactive_forms = [this](const void* table, std::int32_t id, void* data, FormKeyHandler keys,
                                    FormRowProvider rows) {
      return RunTerminalForm(screen_, session_.host(), table, id, data, keys, rows);
    };
    host.on_message = [this](const simhost::Message& message) { screen_.ShowMessage(message); };
    result_.slots_before = UsedSlots(host);
    screen_.Push([this] { Draw(); });
  }

  void Run() {
    screen_.Redraw();
    Begin();
    for (;;) {
      screen_.Redraw();
      const int key = screen_.Key();
      if (key == 'q' || key == 'Q' || key == KEY_F(10) || key == 3) break;
      if (key == kKeyCtrl5 || key == KEY_F(5)) {
        Take({Step::Kind::kEvent, kTransferEvent, {}});
        const StepResult& step = result_.steps.back();
        status_ = step.skipped  ? "event 235 not raised: " + *step.skipped
                  : step.result ? "event 235: the handler answered " + std::to_string(*step.result)
                                : "event 235: table 45 has no handler";
      }
    }
    End();
  }

  RunResult Finish() {
    session_.Collect(result_);
    return result_;
  }

 private:
  void Take(const Step& step) { result_.steps.push_back(session_.Take(step)); }

  // The host's start: load, load check, then the start or, after a refusal, the refusal report.
  void Begin() {
    Take({Step::Kind::kLoad, 0, {}});
    if (!session_.loaded()) {
      status_ = "the plug-in did not load: " + result_.steps.back().load_error;
      return;
    }
    Take({Step::Kind::kLoadCheck, 0, {}});
    help_ = result_.steps.back().help;
    if (result_.steps.back().result != 0) {
      Take({Step::Kind::kReport, 0, {}});
      status_ = "the plug-in refused this host";
      return;
    }
    Take({Step::Kind::kStart, 0, {}});
    started_ = result_.steps.back().result == 0;
    status_ = started_ ? "the plug-in is started" : "the plug-in's start failed";
  }

  void End() {
    if (started_) Take({Step::Kind::kStop, 0, {}});
    if (session_.loaded()) Take({Step::Kind::kUnload, 0, {}});
  }

  void Draw() {
    simhost::Host& host = session_.host();
    const attr_t bar = screen_.Attr(Look::kTitleBar);
    screen_.DrawText(stdscr, 0, 0, COLS,
                     " Kombrel host: sales document, " + std::to_string(host.slot_count) + " slots", bar);
    // The columns: the name takes what the others leave.
    static constexpr int kWidths[] = {5, 0, 12, 7, 6, 5, 10, 14, 6};
    static constexpr bool kRight[] = {true, false, false, true, false, false, true, false, true};
    int fixed = 2;
    for (int width : kWidths)
      fixed += width;
    const int name_width = std::max(COLS - fixed - 1, 12);
    auto line = [&](const std::string& mark, const std::vector<std::string>& cells) {
      std::string text = mark;
      for (std::size_t i = 0; i < cells.size(); ++i) {
        const int width = i == 1 ? name_width : kWidths[i];
        text += Fit(cells[i], static_cast<std::size_t>(width - 1), kRight[i]) + " ";
      }
      return text;
    };
    screen_.DrawText(stdscr, 2, 0, COLS,
                     line("  ", {"Slot", "Name", "Code", "Qty", "Unit", "Whs", "Price", "From MM", "Ref"}),
                     A_BOLD);
    TableObject* positions = host.table(45);
    const std::int32_t current =
        positions == nullptr ? -1 : TableRowBase(positions) + TableCurrentRowOffset(positions);
    const int room = std::max(LINES - 9, 1);
    const int first = std::clamp(current - room + 1, 0, std::max(host.slot_count - room, 0));
    for (int i = 0; i < room && first + i < host.slot_count; ++i) {
      const int slot = first + i;
      const TsprDokRecord& r = *host.slots[static_cast<std::size_t>(slot)];
      const std::string mark = slot == current ? "> " : "  ";
      std::string text;
      if (r.ref == 0 && r.used_mark == 0) {
        text = line(mark, {std::to_string(slot), "·"});
      } else {
        char price[32];
        std::snprintf(price, sizeof price, "%.2f", r.price);
        text = line(mark, {std::to_string(slot), FieldText(r.name), FieldText(r.code),
                           std::to_string(r.quantity), FieldText(r.unit), FieldText(r.warehouse_label), price,
                           FieldText(r.mm_number), std::to_string(r.ref)});
      }
      screen_.DrawText(stdscr, 3 + i, 0, COLS, text, slot == current ? A_BOLD : A_NORMAL);
    }
    // The plug-in's help text, as the host lists its plug-ins.
    const MarkedText help = ParseMarkup(help_);
    int y = LINES - 5;
    std::vector<Span> joined = {{"Plug-in: ", Style::kPlain}};
    for (const auto& help_line : help.lines) {
      if (help_line.empty()) continue;
      if (joined.size() > 1) joined.push_back({" ", Style::kPlain});
      joined.insert(joined.end(), help_line.begin(), help_line.end());
    }
    screen_.DrawMarked(stdscr, y++, 1, COLS - 2, help_.empty() ? std::vector<Span>{} : joined, 'l',
                       Look::kScreen);
    screen_.DrawText(stdscr, y + 1, 1, COLS - 2, status_, A_NORMAL);
    screen_.DrawText(stdscr, LINES - 1, 0, COLS, " Ctrl+5 or F5: Pobierz zawartość MM (event 235)    Q: quit",
                     bar);
    wnoutrefresh(stdscr);
  }

  Screen screen_;
  Session session_;
  RunResult result_;
  std::string help_;  // Mazovia
  std::string status_;
  bool started_ = false;
};

}  // namespace

int RunTerminalHost(const Scenario& scenario, const std::string& plugin_file,
                    const std::optional<std::string>& out) {
  RunResult result;
  {
    TerminalHost host(scenario, plugin_file);
    host.Run();
    result = host.Finish();
  }
  if (out) {
    std::ofstream file(*out, std::ios::binary);
    file << RunResultJson(result);
    if (!file) {
      std::fprintf(stderr, "kombrel-host: cannot write %s\n", out->c_str());
      return 1;
    }
  }
  for (const std::string& fault : result.faults)
    std::fprintf(stderr, "kombrel-host: host fault: %s\n", fault.c_str());
  return 0;
}

}  // namespace kombrel_host

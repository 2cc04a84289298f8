// The demo's readable report of a run.
#include "tools/kombrel_host/demo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>

#include "simulated_host/codepages.h"
#include "tools/kombrel_host/host_text.h"

namespace kombrel_host {
namespace {

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string DisplayDate(const std::string& stored) {
  if (stored.size() != 8) return stored.empty() ? "(empty)" : stored;
  return stored.substr(6, 2) + "." + stored.substr(4, 2) + "." + stored.substr(0, 4);
}

// A table of text cells: each column as wide as its widest cell, numbers to the right.
class Table {
 public:
  explicit Table(std::vector<std::pair<std::string, bool>> headings) {
    for (auto& [heading, right] : headings) {
      right_.push_back(right);
      widths_.push_back(Columns(heading));
    }
    std::vector<std::string> row;
    for (auto& heading : headings)
      row.push_back(heading.first);
    rows_.push_back(std::move(row));
  }
  void Add(std::vector<std::string> row) {
    row.resize(widths_.size());
    for (std::size_t i = 0; i < row.size(); ++i)
      widths_[i] = std::max(widths_[i], Columns(row[i]));
    rows_.push_back(std::move(row));
  }
  // Widths shared with another table, so that two tables line up.
  void Widen(const Table& other) {
    for (std::size_t i = 0; i < widths_.size() && i < other.widths_.size(); ++i)
      widths_[i] = std::max(widths_[i], other.widths_[i]);
  }
  std::string Render(const std::string& indent) const {
    std::string out;
    for (const auto& row : rows_) {
      std::string line = indent;
      for (std::size_t i = 0; i < row.size(); ++i)
        line += Fit(row[i], widths_[i], right_[i]) + (i + 1 < row.size() ? "  " : "");
      while (!line.empty() && line.back() == ' ')
        line.pop_back();
      out += line + "\n";
    }
    return out;
  }

 private:
  std::vector<bool> right_;
  std::vector<std::size_t> widths_;
  std::vector<std::vector<std::string>> rows_;
};

Table SalesTable(std::int32_t slot_count, const std::vector<SlotView>& used,
                 const std::map<std::int32_t, std::string>& notes) {
  Table table({{"Slot", true},
               {"Name", false},
               {"Code", false},
               {"Qty", true},
               {"Unit", false},
               {"Whs", false},
               {"Price", true},
               {"Value", true},
               {"From MM", false},
               {"", false}});
  std::map<std::int32_t, const TsprDokRecord*> by_slot;
  for (const SlotView& slot : used)
    by_slot[slot.slot] = &slot.record;
  for (std::int32_t i = 0; i < slot_count; ++i) {
    auto found = by_slot.find(i);
    if (found == by_slot.end()) {
      table.Add({std::to_string(i), "·"});
      continue;
    }
    const TsprDokRecord& r = *found->second;
    auto note = notes.find(i);
    table.Add({std::to_string(i), FieldText(r.name), FieldText(r.code), std::to_string(r.quantity),
               FieldText(r.unit), FieldText(r.warehouse_label), Format("%.2f", r.price),
               Format("%.2f", r.quantity * r.price), FieldText(r.mm_number),
               note == notes.end() ? "" : note->second});
  }
  return table;
}

// What the transfer did to each slot, by comparing the document before and after.
std::map<std::int32_t, std::string> Changes(const std::vector<SlotView>& before,
                                            const std::vector<SlotView>& after) {
  std::map<std::int32_t, const TsprDokRecord*> old;
  for (const SlotView& slot : before)
    old[slot.slot] = &slot.record;
  std::map<std::int32_t, std::string> notes;
  for (const SlotView& slot : after) {
    auto found = old.find(slot.slot);
    if (found == old.end()) {
      notes[slot.slot] = "← new";
    } else if (found->second->quantity != slot.record.quantity) {
      notes[slot.slot] = "← merged, " + std::to_string(found->second->quantity) + " + " +
                         std::to_string(slot.record.quantity - found->second->quantity);
    } else if (std::memcmp(found->second, &slot.record, sizeof slot.record) != 0) {
      notes[slot.slot] = "← changed";
    }
  }
  return notes;
}

std::string Heading(const std::string& text) {
  return text + "\n" + std::string(Columns(text), '-') + "\n";
}

std::string Indented(const std::string& utf8, const std::string& indent) {
  std::string out;
  std::stringstream lines(utf8);
  std::string line;
  std::vector<std::string> all;
  while (std::getline(lines, line))
    all.push_back(line);
  while (!all.empty() && all.back().empty())
    all.pop_back();
  for (const std::string& each : all)
    out += each.empty() ? "\n" : indent + each + "\n";
  return out;
}

std::string DescribeStep(const Step& step, const StepResult& result) {
  if (result.skipped) return "skipped: " + *result.skipped;
  switch (step.kind) {
    case Step::Kind::kLoad:
      return result.loaded.value_or(false) ? "loaded" : "failed: " + result.load_error;
    case Step::Kind::kLoadCheck:
      return std::to_string(*result.result) + (*result.result == 0 ? " (accepted)" : " (refused)");
    case Step::Kind::kReport:
    case Step::Kind::kStart:
    case Step::Kind::kStop:
      return std::to_string(*result.result);
    case Step::Kind::kUnload:
      return "unloaded";
    case Step::Kind::kEvent: {
      std::string text;
      if (step.event == 235) {
        text = "Ctrl+5: ";
        if (!step.script.dates) {
          text += "the user leaves the date form; ";
        } else {
          text += "dates " + DisplayDate(step.script.dates->first) + " to " +
                  DisplayDate(step.script.dates->second);
          if (!step.script.inserts.empty()) {
            text += "; Insert on list row";
            text += step.script.inserts.size() > 1 ? "s" : "";
            for (std::size_t i = 0; i < step.script.inserts.size(); ++i)
              text += (i == 0 ? " " : ", ") + std::to_string(step.script.inserts[i] + 1);
          }
          text += step.script.accept ? "; F12 (OK); " : "; Esc; ";
        }
      }
      return text + (result.result ? "the handler answered " + std::to_string(*result.result) : "no handler");
    }
  }
  return {};
}

std::string MessageHeading(const simhost::Message& message, const simhost::Config& config) {
  if (message.kind == "ui_host_dialog") {
    return "dialog " + std::to_string(message.flags) + " (ui_host_dialog; the user leaves " +
           std::to_string(config.notice_answer) + " in its flag)";
  }
  if (message.kind == "ui_alert") return "alert (ui_alert)";
  if (message.kind == "message_box") {
    return "\"" + simhost::Cp1250ToUtf8(message.title) + "\" (MessageBoxA, style " +
           std::to_string(message.flags) + ", answered " + message.answer + ")";
  }
  return "\"" + PlainText(message.title) + "\" (" + message.kind + ", flags " +
         std::to_string(message.flags) + ")";
}

std::string ListRows(const RunResult& result) {
  // The six fields of a row as the plug-in writes them, separated by carriage returns.
  Table table({{"", false},
               {"MM number", false},
               {"Description", false},
               {"Destination", false},
               {"Purchase value", true},
               {"Issued", false}});
  for (const std::string& row : result.list_rows) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
      const std::size_t end = row.find('\r', start);
      fields.push_back(
          PlainText(row.substr(start, end == std::string::npos ? std::string::npos : end - start)));
      if (end == std::string::npos) break;
      start = end + 1;
    }
    table.Add(std::move(fields));
  }
  return table.Render("  ");
}

}  // namespace

std::string RenderDemo(const Scenario& scenario, const RunResult& result) {
  std::string out;
  out += "Kombrel in the simulated host: MM documents taken into a sales document\n\n";

  out += Heading("What the host did");
  for (std::size_t i = 0; i < result.steps.size() && i < scenario.steps.size(); ++i) {
    const Step& step = scenario.steps[i];
    const std::string name =
        step.kind == Step::Kind::kEvent ? "event " + std::to_string(step.event) : StepName(step.kind);
    out += "  " + Fit(name, 11) + " " + DescribeStep(step, result.steps[i]) + "\n";
  }
  out += "\n";

  const std::map<std::int32_t, std::string> changes = Changes(result.slots_before, result.slots);
  Table before = SalesTable(scenario.config.slot_count, result.slots_before, {});
  Table after = SalesTable(scenario.config.slot_count, result.slots, changes);
  before.Widen(after);
  after.Widen(before);
  out += Heading("Sales document before (" + std::to_string(result.slots_before.size()) + " of " +
                 std::to_string(scenario.config.slot_count) + " slots used)");
  out += before.Render("  ") + "\n";

  out += Heading("The list of MM documents (form 1002) as last shown, * marked");
  out += result.list_rows.empty() ? "  (the list was not shown)\n" : ListRows(result);
  out += "\n";

  out += Heading("Messages the user saw");
  if (result.messages.empty()) out += "  (none)\n";
  for (std::size_t i = 0; i < result.messages.size(); ++i) {
    const simhost::Message& message = result.messages[i];
    out += "  " + std::to_string(i + 1) + ". " + MessageHeading(message, scenario.config) + "\n";
    const std::string text =
        message.kind == "message_box" ? simhost::Cp1250ToUtf8(message.text) : PlainText(message.text);
    out += Indented(text, "       ");
  }
  out += "\n";

  out += Heading("Sales document after (" + std::to_string(result.slots.size()) + " of " +
                 std::to_string(scenario.config.slot_count) + " slots used, current row: slot " +
                 std::to_string(result.current_row_offset + scenario.config.row_base) + ")");
  out += after.Render("  ") + "\n";

  out += Heading("Afterwards");
  if (result.settings) {
    std::string settings;
    for (const auto& [section, keys] : *result.settings) {
      settings += " [" + section + "]";
      for (const auto& [key, value] : keys)
        settings += " " + key + "=" + value;
    }
    out += "  Kombrel.ini:" + settings + "\n";
  } else {
    out += "  Kombrel.ini: none\n";
  }
  out += "  host memory blocks still allocated: " + std::to_string(result.live_blocks) + "\n";
  out += "  host service calls: " + std::to_string(result.calls.size()) + "\n";
  return out;
}

}  // namespace kombrel_host

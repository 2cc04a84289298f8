// Writing a run's outcome as JSON.
#include "tools/kombrel_host/json_output.h"

#include <nlohmann/json.hpp>

#include "simulated_host/codepages.h"
#include "tools/kombrel_host/host_text.h"

namespace kombrel_host {
namespace {

using Json = nlohmann::ordered_json;

// A host call as the output names it: with its arguments for the data, memory and form services whose
// arguments tell what was asked, by its bare name for every other one.
std::string CallText(const std::string& call) {
  static const char* const kWithArguments[] = {"od_table",    "od_set_flags", "ui_form_run", "mem_realloc",
                                               "od_make_key", "od_search",    "od_fseek",    "od_scan_first"};
  const std::size_t open = call.find('(');
  if (open == std::string::npos) return call;
  const std::string name = call.substr(0, open);
  for (const char* with_arguments : kWithArguments) {
    if (name == with_arguments) return call;
  }
  return name;
}

Json StepJson(const StepResult& step) {
  Json out;
  out["step"] = StepName(step.kind);
  if (step.kind == Step::Kind::kEvent) out["code"] = step.event;
  if (step.skipped) {
    out["skipped"] = *step.skipped;
    return out;
  }
  switch (step.kind) {
    case Step::Kind::kLoad:
      out["loaded"] = step.loaded.value_or(false);
      if (!step.load_error.empty()) out["error"] = step.load_error;
      break;
    case Step::Kind::kLoadCheck:
      out["result"] = *step.result;
      out["help"] = simhost::MazoviaToUtf8(step.help);
      break;
    case Step::Kind::kUnload:
      break;
    default:
      // An event the host had no handler for has no result.
      out["result"] = step.result ? Json(*step.result) : Json(nullptr);
      break;
  }
  return out;
}

Json MessageJson(const simhost::Message& message) {
  Json out;
  out["kind"] = message.kind;
  if (message.kind == "message_box") {
    // The missing-entry box is the one text the plug-in converts for Windows.
    out["caption"] = simhost::Cp1250ToUtf8(message.title);
    out["text"] = simhost::Cp1250ToUtf8(message.text);
    out["style"] = message.flags;
    out["answer"] = message.answer;
  } else if (message.kind == "ui_alert") {
    out["text"] = simhost::MazoviaToUtf8(message.text);
  } else if (message.kind == "ui_host_dialog") {
    out["dialog"] = message.flags;
    out["text"] = simhost::MazoviaToUtf8(message.text);
  } else {
    out["title"] = simhost::MazoviaToUtf8(message.title);
    out["text"] = simhost::MazoviaToUtf8(message.text);
    out["flags"] = message.flags;
  }
  return out;
}

Json SlotJson(const SlotView& slot) {
  const TsprDokRecord& r = slot.record;
  Json out;
  out["slot"] = slot.slot;
  out["name"] = FieldText(r.name);
  out["code"] = FieldText(r.code);
  out["quantity"] = r.quantity;
  out["unit"] = FieldText(r.unit);
  out["attribute"] = r.attribute;
  out["label"] = FieldText(r.warehouse_label);
  out["price"] = double{r.price};  // a packed field, read by value
  out["mm_number"] = FieldText(r.mm_number);
  out["warehouse"] = r.warehouse;
  out["ref"] = r.ref;
  out["run_index"] = r.run_index;
  return out;
}

}  // namespace

std::string RunResultJson(const RunResult& result) {
  Json out;
  out["steps"] = Json::array();
  for (const StepResult& step : result.steps)
    out["steps"].push_back(StepJson(step));
  out["messages"] = Json::array();
  for (const simhost::Message& message : result.messages)
    out["messages"].push_back(MessageJson(message));
  out["list_rows"] = Json::array();
  for (const std::string& row : result.list_rows)
    out["list_rows"].push_back(simhost::MazoviaToUtf8(row));
  out["slots"] = Json::array();
  for (const SlotView& slot : result.slots)
    out["slots"].push_back(SlotJson(slot));
  out["current_row_offset"] = result.current_row_offset;
  if (result.settings) {
    // Sections and keys in sorted order: the file fixes none the output must keep.
    Json settings = Json::object();
    for (const auto& [section, keys] : *result.settings) {
      Json section_json = Json::object();
      for (const auto& [key, value] : keys)
        section_json[key] = value;
      settings[section] = std::move(section_json);
    }
    out["settings"] = std::move(settings);
  } else {
    out["settings"] = nullptr;
  }
  Json calls = Json::array();
  for (const std::string& call : result.calls)
    calls.push_back(CallText(call));
  out["calls"] = std::move(calls);
  out["live_blocks"] = result.live_blocks;
  // Texts from the file or a record are not promised to be UTF-8: an invalid byte shows as U+FFFD.
  return out.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace kombrel_host

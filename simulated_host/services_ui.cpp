// The host's user interface: message boxes, the alert, the notice dialog, the browse refresh and the
// form engine, which runs the plug-in's forms with a scripted user.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "simulated_host/forms.h"
#include "simulated_host/host.h"
#include "simulated_host/services.h"

namespace {

constexpr std::int32_t kListItem = 0x4001;
constexpr std::int32_t kNoticeDialog = 1668;
constexpr std::uint16_t kDateRangeForm = 1003;
constexpr std::uint16_t kListForm = 1002;
constexpr std::int32_t kAccepted = 0x5001;   // the code of the OK buttons
constexpr std::int32_t kLeft = 0x011B;       // Esc: the user leaves the form
constexpr std::int16_t kInsertKey = 0x5200;  // PC BIOS code of Insert
constexpr std::int16_t kEditField = 5;
constexpr std::int16_t kButton = 0;
constexpr std::int16_t kList = 6;
constexpr std::intptr_t kMostRows = 32767;  // rows are addressed by signed 16-bit numbers

// While the scripted form 1002 runs, its list answers ui_form_item_value.
bool list_open = false;

bool Has(const simhost::Form& form, std::int16_t kind, std::uint16_t code) {
  return std::any_of(form.items.begin(), form.items.end(), [&](const simhost::FormItem& item) {
    return item.kind == kind && item.item_code == code;
  });
}

// The script of the transfer run under way: the one form 1003 took last. Null when there is none.
const simhost::FormScript* CurrentScript(simhost::Host& host) {
  if (host.form_runs == 0 || host.form_runs > host.config.forms.size()) return nullptr;
  return &host.config.forms[host.form_runs - 1];
}

// Form 1003: the user types the script's dates into the edit fields. Each field takes its value length
// + 1 bytes of the data buffer, in item order.
std::int32_t RunDateRange(simhost::Host& host, const simhost::Form& form, void* data,
                          const simhost::FormScript* script) {
  if (script == nullptr || !script->dates) return kLeft;
  if (data == nullptr) {
    host.Violation("form 1003 run without a data buffer");
    return kLeft;
  }
  if (!Has(form, kButton, kAccepted)) host.Violation("form 1003 has no OK button");
  const std::string* values[] = {&script->dates->first, &script->dates->second};
  auto* bytes = static_cast<char*>(data);
  std::size_t offset = 0;
  std::size_t field = 0;
  for (const simhost::FormItem& item : form.items) {
    if (item.kind != kEditField) continue;
    const std::size_t length = item.value_length();
    std::memset(bytes + offset, 0, length + 1);
    if (field < std::size(values)) {
      std::memcpy(bytes + offset, values[field]->data(), std::min(length, values[field]->size()));
    }
    offset += length + 1;
    ++field;
  }
  return kAccepted;
}

// Shows the list: asks the number of rows (row -1) and then every row, and keeps their bytes.
void ShowList(simhost::Host& host, FormRowProvider rows) {
  host.list_rows.clear();
  const std::intptr_t count = std::min(rows(-1, 0), kMostRows);
  for (std::intptr_t row = 0; row < count; ++row) {
    const auto* text = reinterpret_cast<const char*>(rows(static_cast<std::int16_t>(row), 0));
    if (text == nullptr) {
      host.Violation("the row provider gave no text for row " + std::to_string(row));
      host.list_rows.emplace_back();
    } else {
      host.list_rows.emplace_back(text);
    }
  }
}

// Form 1002: the user presses Insert at the script's rows, then accepts the form or leaves it.
std::int32_t RunList(simhost::Host& host, const simhost::Form& form, FormKeyHandler key_handler,
                     FormRowProvider rows, const simhost::FormScript* script) {
  if (key_handler == nullptr || rows == nullptr) {
    host.Violation("form 1002 run without its key handler and row provider");
    return kLeft;
  }
  if (!Has(form, kList, static_cast<std::uint16_t>(kListItem)) ||
      !Has(form, kButton, static_cast<std::uint16_t>(kInsertKey))) {
    host.Violation("form 1002 has no list or no INSERT button");
  }
  host.list_current_row = 0;
  list_open = true;
  ShowList(host, rows);
  if (script != nullptr) {
    for (std::int32_t row : script->inserts) {
      host.list_current_row = static_cast<std::int16_t>(row);
      if (key_handler(kInsertKey, 0) == kListItem) ShowList(host, rows);
    }
  }
  list_open = false;
  return script != nullptr && script->accept ? kAccepted : kLeft;
}

}  // namespace

extern "C" std::int32_t KOMBREL_STDCALL torval_ui_message(const char* title, const char* text,
                                                          std::int32_t flags) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("ui_message");
  host.Show({"ui_message", title, text, flags, {}});
  return 1;
}

extern "C" std::int32_t KOMBREL_CDECL torval_ui_messagef(const char* title, const char* format,
                                                         std::int32_t flags, ...) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("ui_messagef");
  std::va_list arguments;
  va_start(arguments, flags);
  std::va_list measure;
  va_copy(measure, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  std::vector<char> text(static_cast<std::size_t>(length < 0 ? 0 : length) + 1);
  std::vsnprintf(text.data(), text.size(), format, arguments);
  va_end(arguments);
  host.Show({"ui_messagef", title, text.data(), flags, {}});
  return 1;
}

extern "C" std::int32_t KOMBREL_STDCALL torval_ui_message_close() {
  simhost::Host::Current().Record("ui_message_close");
  return 1;
}

extern "C" std::int32_t KOMBREL_STDCALL torval_ui_alert(const char* text) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("ui_alert");
  host.Show({"ui_alert", {}, text, 0, {}});
  return 1;
}

extern "C" std::int32_t KOMBREL_STDCALL torval_ui_host_dialog(std::int32_t dialog, std::int16_t* flag,
                                                              std::int32_t, const char* text) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("ui_host_dialog(" + std::to_string(dialog) + ")");
  host.Show({"ui_host_dialog", {}, text, dialog, {}});
  if (dialog == kNoticeDialog && flag != nullptr) *flag = host.config.notice_answer;
  return 1;
}

// Journaled with the two values that come from the event: "ui_browse_refresh(value,argument)".
extern "C" std::int32_t KOMBREL_STDCALL torval_ui_browse_refresh(
    std::int32_t value, TableObject* table, TsprDokRecord** slots, std::int32_t* slot_count,
    std::int32_t argument, std::int32_t code, std::int32_t a7, std::int32_t a8, std::int32_t a9,
    std::int32_t a10, std::int32_t a11, std::int32_t a12) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("ui_browse_refresh(" + std::to_string(value) + "," + std::to_string(argument) + ")");
  if (table != host.table(45) || slots != host.slots.data() || slot_count != &host.slot_count) {
    host.Violation("ui_browse_refresh of another table or document");
  }
  if (code != 0x4100 || a7 != 0 || a8 != 1 || a9 != 0 || a10 != 0 || a11 != 0 || a12 != 0) {
    host.Violation("ui_browse_refresh with other constant arguments");
  }
  return 1;
}

extern "C" void* KOMBREL_STDCALL torval_ui_form_item_value(std::int32_t item_code) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("ui_form_item_value");
  if (!list_open && !host.interactive_forms) {
    host.Violation("ui_form_item_value while no form with a list runs");
    return nullptr;
  }
  if (item_code != kListItem) {
    host.Violation("ui_form_item_value of an item the running form lacks");
    return nullptr;
  }
  if (host.config.faults.ui_form_item_value_null) return nullptr;
  return &host.list_current_row;
}

extern "C" std::int32_t KOMBREL_STDCALL torval_ui_form_run(const void* form_table, std::int32_t form_id,
                                                           void* data, FormKeyHandler key_handler,
                                                           FormRowProvider row_provider) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("ui_form_run(" + std::to_string(form_id) + ")");
  if (host.interactive_forms)
    return host.interactive_forms(form_table, form_id, data, key_handler, row_provider);

  std::string error;
  const auto form = simhost::FindForm(form_table, static_cast<std::uint16_t>(form_id), &error);
  if (!form) {
    host.Violation("ui_form_run(" + std::to_string(form_id) + "): " + error);
    return kLeft;
  }
  switch (form->id) {
    case kDateRangeForm: {
      // Every transfer run opens with form 1003 and takes the next script; none left: the user leaves.
      const std::size_t run = host.form_runs++;
      const simhost::FormScript* script = run < host.config.forms.size() ? &host.config.forms[run] : nullptr;
      return RunDateRange(host, *form, data, script);
    }
    case kListForm:
      return RunList(host, *form, key_handler, row_provider, CurrentScript(host));
    default:
      return kLeft;  // a form no script knows: the user leaves it
  }
}

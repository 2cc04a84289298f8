// The host's user interface: message boxes, the alert, the notice dialog, the browse refresh and the
// form engine, which runs the plug-in's forms with a scripted user.
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "simulated_host/host.h"
#include "simulated_host/services.h"

namespace {

constexpr std::int32_t kListItem = 0x4001;
constexpr std::int32_t kNoticeDialog = 1668;

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

extern "C" std::int32_t KOMBREL_STDCALL torval_ui_browse_refresh(std::int32_t, TableObject*, TsprDokRecord**,
                                                                 std::int32_t*, std::int32_t, std::int32_t,
                                                                 std::int32_t, std::int32_t, std::int32_t,
                                                                 std::int32_t, std::int32_t, std::int32_t) {
  simhost::Host::Current().Record("ui_browse_refresh");
  return 1;
}

extern "C" void* KOMBREL_STDCALL torval_ui_form_item_value(std::int32_t item_code) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("ui_form_item_value");
  if (item_code != kListItem) {
    host.Violation("ui_form_item_value of an item the running form lacks");
    return nullptr;
  }
  return &host.list_current_row;
}

extern "C" std::int32_t KOMBREL_STDCALL torval_ui_form_run(const void* form_table, std::int32_t form_id,
                                                           void* data, FormKeyHandler key_handler,
                                                           FormRowProvider row_provider) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("ui_form_run(" + std::to_string(form_id) + ")");
  if (host.interactive_forms)
    return host.interactive_forms(form_table, form_id, data, key_handler, row_provider);
  return 0;  // the user leaves the form
}

// The host's system services: its interface version, the entry nothing calls, the exception
// translator, the delay-load hook that supplies the runtime module KOLUM, and the export table.
#include <cstring>
#include <string>
#include <type_traits>

#include "simulated_host/host.h"
#include "simulated_host/services.h"

namespace {

LPCSTR WINAPI KolumGetCommandLineA() {
  return "TORVAL.EXE";
}

}  // namespace

extern "C" std::int32_t KOMBREL_STDCALL torval_sys_api_version() {
  simhost::Host& host = simhost::Host::Current();
  host.Record("sys_api_version");
  return host.config.api_version;
}

extern "C" std::int32_t KOMBREL_STDCALL torval_entry_38417() {
  simhost::Host& host = simhost::Host::Current();
  host.Record("entry_38417");
  host.Violation("entry 38417 was called");
  return 0;
}

extern "C" void torval_sys_se_translator(unsigned int, _EXCEPTION_POINTERS*) {
  simhost::Host::Current().Record("sys_se_translator");
}

// The host decides where KOLUM and its functions come from: it supplies them itself.
extern "C" FARPROC WINAPI torval_sys_delay_load_hook(unsigned notification, PDelayLoadInfo info) {
  simhost::Host& host = simhost::Host::Current();
  const std::string dll = info != nullptr && info->szDll != nullptr ? info->szDll : "";
  switch (notification) {
    case dliNotePreLoadLibrary:
      host.Record("sys_delay_load_hook(" + dll + ")");
      return reinterpret_cast<FARPROC>(host.module != nullptr ? host.module
                                                              : reinterpret_cast<HMODULE>(&host));
    case dliNotePreGetProcAddress:
      if (info->dlp.fImportByName && std::strcmp(info->dlp.szProcName, "GetCommandLineA") == 0) {
        host.Record("sys_delay_load_hook(" + dll + "!GetCommandLineA)");
        return FunctionCast<FARPROC>(&KolumGetCommandLineA);
      }
      return nullptr;
    default:
      return nullptr;
  }
}

namespace simhost {

template <class Slot, class Function>
FARPROC Export(Function* function) {
  static_assert(std::is_same_v<Function*, Slot>, "a service whose type differs from the plug-in's slot");
  return FunctionCast<FARPROC>(function);
}

std::vector<std::pair<std::uint16_t, FARPROC>> HostExports() {
  return {
      {ordinal::ui_messagef, Export<UiMessagefFn>(&torval_ui_messagef)},
      {ordinal::ui_message, Export<UiMessageFn>(&torval_ui_message)},
      {ordinal::txt_convert, Export<TxtConvertFn>(&torval_txt_convert)},
      {ordinal::entry_38417, Export<Entry38417Fn>(&torval_entry_38417)},
      {ordinal::num_scale, Export<NumScaleFn>(&torval_num_scale)},
      {ordinal::mem_realloc, Export<MemReallocFn>(&torval_mem_realloc)},
      {ordinal::od_result_free, Export<OdResultFreeFn>(&torval_od_result_free)},
      {ordinal::od_fseek, Export<OdFseekFn>(&torval_od_fseek)},
      {ordinal::od_make_key, Export<OdMakeKeyFn>(&torval_od_make_key)},
      {ordinal::od_set_flags, Export<OdSetFlagsFn>(&torval_od_set_flags)},
      {ordinal::od_table, Export<OdTableFn>(&torval_od_table)},
      {ordinal::str_copy_n, Export<StrCopyNFn>(&torval_str_copy_n)},
      {ordinal::od_search, Export<OdSearchFn>(&torval_od_search)},
      {ordinal::ui_form_item_value, Export<UiFormItemValueFn>(&torval_ui_form_item_value)},
      {ordinal::od_scan_end, Export<OdScanEndFn>(&torval_od_scan_end)},
      {ordinal::od_scan_next, Export<OdScanNextFn>(&torval_od_scan_next)},
      {ordinal::od_scan_first, Export<OdScanFirstFn>(&torval_od_scan_first)},
      {ordinal::str_date_format, Export<StrDateFormatFn>(&torval_str_date_format)},
      {ordinal::str_date_compare, Export<StrDateCompareFn>(&torval_str_date_compare)},
      {ordinal::mem_free, Export<MemFreeFn>(&torval_mem_free)},
      {ordinal::ui_message_close, Export<UiMessageCloseFn>(&torval_ui_message_close)},
      {ordinal::ui_form_run, Export<UiFormRunFn>(&torval_ui_form_run)},
      {ordinal::doc_position_recalc, Export<DocPositionRecalcFn>(&torval_doc_position_recalc)},
      {ordinal::ui_host_dialog, Export<UiHostDialogFn>(&torval_ui_host_dialog)},
      {ordinal::ini_access, Export<IniAccessFn>(&torval_ini_access)},
      {ordinal::ui_browse_refresh, Export<UiBrowseRefreshFn>(&torval_ui_browse_refresh)},
      {ordinal::doc_totals_recalc, Export<DocTotalsRecalcFn>(&torval_doc_totals_recalc)},
      {ordinal::ui_alert, Export<UiAlertFn>(&torval_ui_alert)},
      {ordinal::sys_api_version, Export<SysApiVersionFn>(&torval_sys_api_version)},
      {ordinal::sys_se_translator, Export<SysSeTranslatorFn>(&torval_sys_se_translator)},
      {ordinal::sys_delay_load_hook, Export<SysDelayLoadHookFn>(&torval_sys_delay_load_hook)},
  };
}

}  // namespace simhost

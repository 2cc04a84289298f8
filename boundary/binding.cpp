// The binding of host services: one slot per service, bound by number while the module loads, by one
// availability check per service run as a start-up initialiser in the order of the table below.
#include "boundary/binding.h"

#include "boundary/boundary.h"
#include "platform/startup.h"

UiMessagefFn ui_messagef = nullptr;
UiMessageFn ui_message = nullptr;
TxtConvertFn txt_convert = nullptr;
Entry38417Fn entry_38417 = nullptr;
NumScaleFn num_scale = nullptr;
MemReallocFn mem_realloc = nullptr;
OdResultFreeFn od_result_free = nullptr;
OdFseekFn od_fseek = nullptr;
OdMakeKeyFn od_make_key = nullptr;
OdSetFlagsFn od_set_flags = nullptr;
OdTableFn od_table = nullptr;
StrCopyNFn str_copy_n = nullptr;
OdSearchFn od_search = nullptr;
UiFormItemValueFn ui_form_item_value = nullptr;
OdScanEndFn od_scan_end = nullptr;
OdScanNextFn od_scan_next = nullptr;
OdScanFirstFn od_scan_first = nullptr;
StrDateFormatFn str_date_format = nullptr;
StrDateCompareFn str_date_compare = nullptr;
MemFreeFn mem_free = nullptr;
UiMessageCloseFn ui_message_close = nullptr;
UiFormRunFn ui_form_run = nullptr;
DocPositionRecalcFn doc_position_recalc = nullptr;
UiHostDialogFn ui_host_dialog = nullptr;
IniAccessFn ini_access = nullptr;
UiBrowseRefreshFn ui_browse_refresh = nullptr;
DocTotalsRecalcFn doc_totals_recalc = nullptr;
UiAlertFn ui_alert = nullptr;
SysApiVersionFn sys_api_version = nullptr;

namespace {

// The availability check of one service: binds it, and lets the load go on only with a bound slot.
template <auto& Slot, std::uint16_t Ordinal>
int SprawdzDostepnosc() {
  PowiazFunkcje(Ordinal, &Slot);
  return Slot != nullptr ? 0 : -1;
}

// Binding order is table order.
KOMBREL_INITIALISERS constinit const KInitialiser kAvailabilityChecks[] = {
    &SprawdzDostepnosc<ui_messagef, ordinal::ui_messagef>,
    &SprawdzDostepnosc<ui_message, ordinal::ui_message>,
    &SprawdzDostepnosc<txt_convert, ordinal::txt_convert>,
    &SprawdzDostepnosc<entry_38417, ordinal::entry_38417>,
    &SprawdzDostepnosc<num_scale, ordinal::num_scale>,
    &SprawdzDostepnosc<mem_realloc, ordinal::mem_realloc>,
    &SprawdzDostepnosc<od_result_free, ordinal::od_result_free>,
    &SprawdzDostepnosc<od_fseek, ordinal::od_fseek>,
    &SprawdzDostepnosc<od_make_key, ordinal::od_make_key>,
    &SprawdzDostepnosc<od_set_flags, ordinal::od_set_flags>,
    &SprawdzDostepnosc<od_table, ordinal::od_table>,
    &SprawdzDostepnosc<str_copy_n, ordinal::str_copy_n>,
    &SprawdzDostepnosc<od_search, ordinal::od_search>,
    &SprawdzDostepnosc<ui_form_item_value, ordinal::ui_form_item_value>,
    &SprawdzDostepnosc<od_scan_end, ordinal::od_scan_end>,
    &SprawdzDostepnosc<od_scan_next, ordinal::od_scan_next>,
    &SprawdzDostepnosc<od_scan_first, ordinal::od_scan_first>,
    &SprawdzDostepnosc<str_date_format, ordinal::str_date_format>,
    &SprawdzDostepnosc<str_date_compare, ordinal::str_date_compare>,
    &SprawdzDostepnosc<mem_free, ordinal::mem_free>,
    &SprawdzDostepnosc<ui_message_close, ordinal::ui_message_close>,
    &SprawdzDostepnosc<ui_form_run, ordinal::ui_form_run>,
    &SprawdzDostepnosc<doc_position_recalc, ordinal::doc_position_recalc>,
    &SprawdzDostepnosc<ui_host_dialog, ordinal::ui_host_dialog>,
    &SprawdzDostepnosc<ini_access, ordinal::ini_access>,
    &SprawdzDostepnosc<ui_browse_refresh, ordinal::ui_browse_refresh>,
    &SprawdzDostepnosc<doc_totals_recalc, ordinal::doc_totals_recalc>,
    &SprawdzDostepnosc<ui_alert, ordinal::ui_alert>,
    &SprawdzDostepnosc<sys_api_version, ordinal::sys_api_version>,
};
static_assert(sizeof kAvailabilityChecks / sizeof kAvailabilityChecks[0] == kHostServiceCount);

}  // namespace

FARPROC SzukajWpisu(std::uint16_t number) {
  return GetProcAddress(host_module, MAKEINTRESOURCEA(number));
}

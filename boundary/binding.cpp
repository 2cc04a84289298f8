// The binding of host services: one slot per service, bound by number while the module loads, by one
// availability check per service run as a start-up initialiser in the order of the table below.
#include "boundary/binding.h"

#include <cstring>

#include "boundary/boundary.h"
#include "common/texts.h"
#include "platform/format.h"
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

bool ignore_missing_entries = false;

namespace {

// The services that the rule gives a fallback; every other one fails the load even after Ignore.
static_assert(WybierzZastepcza(ordinal::ui_message) == 7 && WybierzZastepcza(ordinal::od_result_free) == 1 &&
              WybierzZastepcza(ordinal::od_table) == 14 && WybierzZastepcza(ordinal::od_search) == 4 &&
              WybierzZastepcza(ordinal::str_date_format) == 2 &&
              WybierzZastepcza(ordinal::str_date_compare) == 2 &&
              WybierzZastepcza(ordinal::doc_position_recalc) == 8 &&
              WybierzZastepcza(ordinal::ini_access) == 0);
static_assert(WybierzZastepcza(ordinal::ui_messagef) < 0 && WybierzZastepcza(ordinal::entry_38417) < 0 &&
              WybierzZastepcza(ordinal::ui_form_run) < 0 && WybierzZastepcza(ordinal::ui_browse_refresh) < 0);

// wsprintfA writes at most 1024 bytes, the terminator included. The message always fits: the path is at
// most 299 characters, the number 5 digits.
constexpr std::size_t kMessageSize = 1024;
static_assert(texts::kMissingEntry.size() + (kOwnPathSize - 1) + 5 + texts::kHelpText.size() < kMessageSize);

constexpr UINT kMissingEntryStyle = MB_TASKMODAL | MB_ICONERROR | MB_ABORTRETRYIGNORE;
static_assert(kMissingEntryStyle == 0x2012);

constexpr std::int32_t kDosCodePage = 1;
constexpr std::int32_t kWindowsCodePage = 3;

// A plain Windows message box knows no highlighting: the control bytes \x01 and \x02 become spaces.
void UsunZnakiSterujace(char* text) {
  for (char* c = text; *c != '\0'; ++c) {
    if (*c == '\x01' || *c == '\x02') *c = ' ';
  }
}

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

bool ZglosBrakWpisu(std::uint16_t number) {
  if (ignore_missing_entries) return true;

  char path[kOwnPathSize];
  if (GetModuleFileNameA(own_module, path, kOwnPathSize) == 0) lstrcpyA(path, texts::kUnknownPath.c_str());
  path[kOwnPathSize - 1] = '\0';  // a cut path is not terminated on every Windows
  char digits[8];
  Format(digits, sizeof digits, "%u", static_cast<unsigned>(number));
  char help[texts::kHelpTextSize];
  texts::KopiujOpis(help);

  char message[kMessageSize];
  wsprintfA(message, texts::kMissingEntry.c_str(), path, digits, help);
  UsunZnakiSterujace(message);
  char caption[sizeof texts::kMissingEntryCaption.bytes];
  std::memcpy(caption, texts::kMissingEntryCaption.c_str(), sizeof caption);

  // The services before txt_convert in binding order are bound before it: for them it is looked up here.
  // A host without it gets the box unconverted.
  TxtConvertFn convert = txt_convert;
  if (convert == nullptr) convert = FunctionCast<TxtConvertFn>(SzukajWpisu(ordinal::txt_convert));
  if (convert != nullptr) {
    convert(message, message, kDosCodePage, kWindowsCodePage);
    convert(caption, caption, kDosCodePage, kWindowsCodePage);
  }

  int answer;
  do {
    answer = MessageBoxA(nullptr, message, caption, kMissingEntryStyle);
  } while (answer == IDRETRY);
  if (answer != IDIGNORE) return false;  // Abort, or a box that could not be shown
  ignore_missing_entries = true;
  return true;
}

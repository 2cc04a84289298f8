// Every service of the host's main module "TORVAL" that the plug-in may call: its ordinal, the type of
// its slot with the calling convention, and what it takes and gives. The slots are bound by number while
// the module loads (boundary/binding.cpp); a call of a service is a plain call through its slot.
//
// Calling conventions, as on 32-bit x86 Windows: services with a fixed argument list clean their own
// arguments (stdcall); variadic services and `ini_access` (an ordinal ending in 99) leave that to the
// caller (cdecl). The markers are empty on other targets, which have one convention.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstring>

#include "host/records.h"
#include "platform/win32.h"

#if defined(__i386__)
#define KOMBREL_STDCALL __attribute__((stdcall))
#define KOMBREL_CDECL __attribute__((cdecl))
#else
#define KOMBREL_STDCALL
#define KOMBREL_CDECL
#endif

// ---------------------------------------------------------------------------------------------------
// TableObject: the host's object for one table. Only these fields are used, at these byte offsets.

struct TableObject;

namespace table_object {
inline constexpr std::size_t kRecordSize = 6;       // signed 16-bit: record size
inline constexpr std::size_t kRecordBuffer = 8;     // pointer: the current record
inline constexpr std::size_t kRowBase = 0x54;       // signed 32-bit: row base of the table's browse
inline constexpr std::size_t kCurrentRow = 0x58;    // signed 32-bit: current-row offset from the base
inline constexpr std::size_t kEventHandler = 0x68;  // pointer: the table's event handler
// The least a host must allocate for the fields above.
inline constexpr std::size_t kUsedSize = kEventHandler + sizeof(void*);
static_assert(kRecordBuffer + sizeof(void*) <= kRowBase, "the record buffer pointer overlaps the row base");
static_assert(kRowBase + 4 == kCurrentRow && kCurrentRow + 4 <= kEventHandler);
}  // namespace table_object

// The table event handler (table 45's slot at +0x68): eleven parameters, a 32-bit result. The host calls
// it; the plug-in installs one and chains to the one it replaced. The two 16-bit parameters travel
// widened with zeros, as 16-bit values do when the handler chains them on.
typedef std::int32_t(KOMBREL_STDCALL* TableEventHandler)(
    std::int32_t event,            //  1  event code; 235 starts a transfer
    std::uint16_t browse_value,    //  2  read as signed 16-bit and handed to ui_browse_refresh
    std::int32_t* slot_count,      //  3  number of position slots, used and free
    TsprDokRecord** slots,         //  4  the position slots: one pointer per slot, owned by the host
    std::int32_t parameter5,       //  5  not read
    TableObject* position_table,   //  6  table 45's TableObject
    std::int32_t parameter7,       //  7  not read
    std::int32_t browse_argument,  //  8  handed to ui_browse_refresh
    std::int32_t parameter9,       //  9  not read
    std::uint16_t parameter10,     // 10  not read
    std::int32_t parameter11);     // 11  not read

inline const std::uint8_t* TableBytes(const TableObject* table) {
  return reinterpret_cast<const std::uint8_t*>(table);
}
inline std::uint8_t* TableBytes(TableObject* table) {
  return reinterpret_cast<std::uint8_t*>(table);
}

template <class T>
inline T TableField(const TableObject* table, std::size_t offset) {
  T value;
  std::memcpy(&value, TableBytes(table) + offset, sizeof value);
  return value;
}
template <class T>
inline void SetTableField(TableObject* table, std::size_t offset, T value) {
  std::memcpy(TableBytes(table) + offset, &value, sizeof value);
}

inline std::int16_t TableRecordSize(const TableObject* table) {
  return TableField<std::int16_t>(table, table_object::kRecordSize);
}
inline std::uint8_t* TableRecordBuffer(const TableObject* table) {
  return TableField<std::uint8_t*>(table, table_object::kRecordBuffer);
}
inline std::int32_t TableRowBase(const TableObject* table) {
  return TableField<std::int32_t>(table, table_object::kRowBase);
}
inline std::int32_t TableCurrentRowOffset(const TableObject* table) {
  return TableField<std::int32_t>(table, table_object::kCurrentRow);
}
inline void SetTableCurrentRowOffset(TableObject* table, std::int32_t offset) {
  SetTableField(table, table_object::kCurrentRow, offset);
}
inline TableEventHandler TableEventHandlerOf(const TableObject* table) {
  return TableField<TableEventHandler>(table, table_object::kEventHandler);
}
inline void SetTableEventHandler(TableObject* table, TableEventHandler handler) {
  SetTableField(table, table_object::kEventHandler, handler);
}

// Callbacks that the form engine calls while a form runs (ui_form_run).
// Key handler: a key or button code (signed 16-bit) and a value it ignores; answers the item code of
// the list it changed (0x4001) or 0.
typedef std::int32_t(KOMBREL_STDCALL* FormKeyHandler)(std::int16_t code, std::int32_t unused);
// Row provider: row -1 answers the number of rows, any other row the address of that row's text.
typedef std::intptr_t(KOMBREL_STDCALL* FormRowProvider)(std::int16_t row, std::int32_t unused);

// ---------------------------------------------------------------------------------------------------
// The services, in binding order. Each: ordinal, slot type, slot. Pointers are host addresses; texts are
// NUL-terminated in the host's DOS code page (Mazovia) unless said otherwise.

namespace ordinal {
inline constexpr std::uint16_t ui_messagef = 52029;
inline constexpr std::uint16_t ui_message = 52028;
inline constexpr std::uint16_t txt_convert = 52158;
inline constexpr std::uint16_t entry_38417 = 38417;
inline constexpr std::uint16_t num_scale = 52179;
inline constexpr std::uint16_t mem_realloc = 21281;
inline constexpr std::uint16_t od_result_free = 50704;
inline constexpr std::uint16_t od_fseek = 52286;
inline constexpr std::uint16_t od_make_key = 51425;
inline constexpr std::uint16_t od_set_flags = 52465;
inline constexpr std::uint16_t od_table = 52256;
inline constexpr std::uint16_t str_copy_n = 52161;
inline constexpr std::uint16_t od_search = 50516;
inline constexpr std::uint16_t ui_form_item_value = 52033;
inline constexpr std::uint16_t od_scan_end = 52281;
inline constexpr std::uint16_t od_scan_next = 52279;
inline constexpr std::uint16_t od_scan_first = 52278;
inline constexpr std::uint16_t str_date_format = 32008;
inline constexpr std::uint16_t str_date_compare = 30908;
inline constexpr std::uint16_t mem_free = 21287;
inline constexpr std::uint16_t ui_message_close = 52064;
inline constexpr std::uint16_t ui_form_run = 52026;
inline constexpr std::uint16_t doc_position_recalc = 52332;
inline constexpr std::uint16_t ui_host_dialog = 52023;
inline constexpr std::uint16_t ini_access = 41399;
inline constexpr std::uint16_t ui_browse_refresh = 52470;
inline constexpr std::uint16_t doc_totals_recalc = 52330;
inline constexpr std::uint16_t ui_alert = 52030;
inline constexpr std::uint16_t sys_api_version = 51594;
// Entries reached without a slot: imported statically, and looked up by the attach routine.
inline constexpr std::uint16_t sys_se_translator = 30005;
inline constexpr std::uint16_t sys_delay_load_hook = 30007;
}  // namespace ordinal

inline constexpr int kHostServiceCount = 29;

// 52029 ui_messagef(title, format, flags, ...) → int. A message box whose text the host formats by
// the printf rules from `format` and the arguments. Variadic: the caller removes the arguments.
typedef std::int32_t(KOMBREL_CDECL* UiMessagefFn)(const char* title, const char* format, std::int32_t flags,
                                                  ...);
// 52028 ui_message(title, text, flags) → int. A message box; flags 1 an ordinary message, 0x200 a note
// that stays on screen and returns at once (removed by ui_message_close), 0xC001 the refusal report.
typedef std::int32_t(KOMBREL_STDCALL* UiMessageFn)(const char* title, const char* text, std::int32_t flags);
// 52158 txt_convert(destination, source, from, to) → int. Converts a text between the host's code
// pages, in place when both are the same buffer; code 1 the DOS code page, 3 the Windows one.
typedef std::int32_t(KOMBREL_STDCALL* TxtConvertFn)(char* destination, const char* source, std::int32_t from,
                                                    std::int32_t to);
// 38417 (no name) → int. Bound like every service; nothing calls it.
typedef std::int32_t(KOMBREL_STDCALL* Entry38417Fn)();
// 52179 num_scale(value, factor) → double. The host's amount scaling; the plug-in passes factor 100.
typedef double(KOMBREL_STDCALL* NumScaleFn)(double value, std::int32_t factor);
// 21281 mem_realloc(&block, size) → non-zero on success. Grows the host memory block at *block (null:
// a new block) to `size` bytes and stores its new address in *block; on failure leaves both as they were.
typedef std::int32_t(KOMBREL_STDCALL* MemReallocFn)(void** block, std::uint32_t size);
// 50704 od_result_free(&handle) → int. Releases a search result of od_search.
typedef std::int32_t(KOMBREL_STDCALL* OdResultFreeFn)(std::int32_t* handle);
// 52286 od_fseek(0, i, table, 0, handle) → non-zero when record i of the search result is loaded into
// the table's record buffer.
typedef std::int32_t(KOMBREL_STDCALL* OdFseekFn)(std::int32_t zero, std::int32_t index, TableObject* table,
                                                 std::int32_t zero_too, std::int32_t handle);
// 51425 od_make_key(index, &table variable, key buffer, value) → int. Builds the key of `index` for
// `value` in the key buffer.
typedef std::int32_t(KOMBREL_STDCALL* OdMakeKeyFn)(std::int32_t index, TableObject** table_variable,
                                                   void* key_buffer, std::int32_t value);
// 52465 od_set_flags(table, flags) → int. Sets the table's access flags (kAccessAll or kAccessRead).
inline constexpr std::int32_t kAccessRead = 0x6A;
inline constexpr std::int32_t kAccessAll = 0xFF;
typedef std::int32_t(KOMBREL_STDCALL* OdSetFlagsFn)(TableObject* table, std::int32_t flags);
// 52256 od_table(number) → the table's TableObject, or null when the host has no such table.
typedef TableObject*(KOMBREL_STDCALL* OdTableFn)(std::int32_t number);
// 52161 str_copy_n(destination, source, n) → destination. Copies at most n characters and terminates.
typedef char*(KOMBREL_STDCALL* StrCopyNFn)(char* destination, const char* source, std::int32_t maximum);
// 50516 od_search(index, key, table, &found) → search-result handle, 0 for none; *found gets the number
// of records found.
typedef std::int32_t(KOMBREL_STDCALL* OdSearchFn)(std::int32_t index, const void* key, TableObject* table,
                                                  std::int32_t* found);
// 52033 ui_form_item_value(item code) → address of the item's value in the running form; for a list
// (0x4001) its current row, a signed 16-bit value.
typedef void*(KOMBREL_STDCALL* UiFormItemValueFn)(std::int32_t item_code);
// 52281 od_scan_end(scan state) → int. Closes an ordered scan.
typedef std::int32_t(KOMBREL_STDCALL* OdScanEndFn)(void* scan_state);
// 52279 od_scan_next(scan state) → 1 when the next record is in the table's record buffer.
typedef std::int32_t(KOMBREL_STDCALL* OdScanNextFn)(void* scan_state);
// 52278 od_scan_first(scan state, table, index, key, 0, 0) → 0 when there is nothing to scan. Opens an
// ordered scan of `index` from `key`; the records then come through od_scan_next.
typedef std::int32_t(KOMBREL_STDCALL* OdScanFirstFn)(void* scan_state, TableObject* table, std::int32_t index,
                                                     const void* key, std::int32_t zero,
                                                     std::int32_t zero_too);
// 32008 str_date_format(display, stored) → int. Writes the display text (at most 12 characters and NUL)
// of a stored date (8 characters and NUL).
typedef std::int32_t(KOMBREL_STDCALL* StrDateFormatFn)(char* display, const char* stored);
// 30908 str_date_compare(a, b) → below, equal to or above zero as a is before, on or after b. Takes
// stored dates and display texts alike.
typedef std::int32_t(KOMBREL_STDCALL* StrDateCompareFn)(const char* a, const char* b);
// 21287 mem_free(block) → int. Frees a host memory block.
typedef std::int32_t(KOMBREL_STDCALL* MemFreeFn)(void* block);
// 52064 ui_message_close() → int. Removes the note that ui_message with flags 0x200 left on screen.
typedef std::int32_t(KOMBREL_STDCALL* UiMessageCloseFn)();
// 52026 ui_form_run(form table, form id, data, key handler, row provider) → the code that ended the form,
// read as signed 16-bit; 0x5001 when it was accepted. Data, handler and provider may be null.
typedef std::int32_t(KOMBREL_STDCALL* UiFormRunFn)(const void* form_table, std::int32_t form_id, void* data,
                                                   FormKeyHandler key_handler, FormRowProvider row_provider);
// 52332 doc_position_recalc(0, position record, header record, 1) → int. Completes one position of
// the sales document.
typedef std::int32_t(KOMBREL_STDCALL* DocPositionRecalcFn)(std::int32_t zero, TsprDokRecord* position,
                                                           TsprRecord* header, std::int32_t one);
// 52023 ui_host_dialog(dialog, &flag, 0, text) → int. Runs one of the host's own dialogs (1668: the
// installation notice, which may change the 16-bit flag).
typedef std::int32_t(KOMBREL_STDCALL* UiHostDialogFn)(std::int32_t dialog, std::int16_t* flag,
                                                      std::int32_t zero, const char* text);
// 41399 ini_access(file, mode, section, key, format, arguments) → 0 when done. Mode 8 reads the key and
// converts its text by `format` into the variable the arguments address; mode 9 converts the arguments
// by `format` and writes the text under the key. The caller removes the arguments.
typedef std::int16_t(KOMBREL_CDECL* IniAccessFn)(const char* file, std::uint16_t mode, const char* section,
                                                 const char* key, const char* format, std::va_list arguments);
// 52470 ui_browse_refresh(value, table, slots, &slot count, argument, 0x4100, 0, 1, 0, 0, 0, 0) → int.
// Redraws the browse of the position table.
typedef std::int32_t(KOMBREL_STDCALL* UiBrowseRefreshFn)(std::int32_t value, TableObject* table,
                                                         TsprDokRecord** slots, std::int32_t* slot_count,
                                                         std::int32_t argument, std::int32_t code,
                                                         std::int32_t a7, std::int32_t a8, std::int32_t a9,
                                                         std::int32_t a10, std::int32_t a11,
                                                         std::int32_t a12);
// 52330 doc_totals_recalc(slots, slot count, header record, 0, 0) → int. Brings the document up to date.
typedef std::int32_t(KOMBREL_STDCALL* DocTotalsRecalcFn)(TsprDokRecord** slots, std::int32_t slot_count,
                                                         TsprRecord* header, std::int32_t zero,
                                                         std::int32_t zero_too);
// 52030 ui_alert(text) → int. A short alert with one text.
typedef std::int32_t(KOMBREL_STDCALL* UiAlertFn)(const char* text);
// 51594 sys_api_version() → the host's interface version.
typedef std::int32_t(KOMBREL_STDCALL* SysApiVersionFn)();

// 30005 sys_se_translator(code, exception) — the host's structured-exception translator.
typedef void (*SysSeTranslatorFn)(unsigned int code, _EXCEPTION_POINTERS* exception);
// 30007 sys_delay_load_hook(notification, info) — the host's delay-load notification hook.
typedef PfnDliHook SysDelayLoadHookFn;

// The slots. Bound at load; never null after a successful load.
extern UiMessagefFn ui_messagef;
extern UiMessageFn ui_message;
extern TxtConvertFn txt_convert;
extern Entry38417Fn entry_38417;
extern NumScaleFn num_scale;
extern MemReallocFn mem_realloc;
extern OdResultFreeFn od_result_free;
extern OdFseekFn od_fseek;
extern OdMakeKeyFn od_make_key;
extern OdSetFlagsFn od_set_flags;
extern OdTableFn od_table;
extern StrCopyNFn str_copy_n;
extern OdSearchFn od_search;
extern UiFormItemValueFn ui_form_item_value;
extern OdScanEndFn od_scan_end;
extern OdScanNextFn od_scan_next;
extern OdScanFirstFn od_scan_first;
extern StrDateFormatFn str_date_format;
extern StrDateCompareFn str_date_compare;
extern MemFreeFn mem_free;
extern UiMessageCloseFn ui_message_close;
extern UiFormRunFn ui_form_run;
extern DocPositionRecalcFn doc_position_recalc;
extern UiHostDialogFn ui_host_dialog;
extern IniAccessFn ini_access;
extern UiBrowseRefreshFn ui_browse_refresh;
extern DocTotalsRecalcFn doc_totals_recalc;
extern UiAlertFn ui_alert;
extern SysApiVersionFn sys_api_version;

// Entry 30005, imported statically by ordinal: the platform binds it before any code of the plug-in
// runs. On Windows it is an import of "TORVAL.dll"; our Linux loader stores it in this slot.
#if defined(_WIN32)
extern "C" __declspec(dllimport) void sys_se_translator(unsigned int code, _EXCEPTION_POINTERS* exception);
#define KOMBREL_SE_TRANSLATOR (&sys_se_translator)
#else
extern "C" FARPROC sys_se_translator_import;
#define KOMBREL_SE_TRANSLATOR (FunctionCast<_se_translator_function>(sys_se_translator_import))
#endif

// The simulated host's services, one function per exported ordinal, each of exactly the type of the
// plug-in's slot for it. C linkage, so that a Windows build can export them by ordinal from a .def file.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "host/host_services.h"
#include "simulated_host/api.h"

extern "C" {
std::int32_t KOMBREL_CDECL torval_ui_messagef(const char* title, const char* format, std::int32_t flags, ...);
std::int32_t KOMBREL_STDCALL torval_ui_message(const char* title, const char* text, std::int32_t flags);
std::int32_t KOMBREL_STDCALL torval_txt_convert(char* destination, const char* source, std::int32_t from,
                                                std::int32_t to);
std::int32_t KOMBREL_STDCALL torval_entry_38417();
double KOMBREL_STDCALL torval_num_scale(double value, std::int32_t factor);
std::int32_t KOMBREL_STDCALL torval_mem_realloc(void** block, std::uint32_t size);
std::int32_t KOMBREL_STDCALL torval_od_result_free(std::int32_t* handle);
std::int32_t KOMBREL_STDCALL torval_od_fseek(std::int32_t zero, std::int32_t index, TableObject* table,
                                             std::int32_t zero_too, std::int32_t handle);
std::int32_t KOMBREL_STDCALL torval_od_make_key(std::int32_t index, TableObject** table_variable,
                                                void* key_buffer, std::int32_t value);
std::int32_t KOMBREL_STDCALL torval_od_set_flags(TableObject* table, std::int32_t flags);
TableObject* KOMBREL_STDCALL torval_od_table(std::int32_t number);
char* KOMBREL_STDCALL torval_str_copy_n(char* destination, const char* source, std::int32_t maximum);
std::int32_t KOMBREL_STDCALL torval_od_search(std::int32_t index, const void* key, TableObject* table,
                                              std::int32_t* found);
void* KOMBREL_STDCALL torval_ui_form_item_value(std::int32_t item_code);
std::int32_t KOMBREL_STDCALL torval_od_scan_end(void* scan_state);
std::int32_t KOMBREL_STDCALL torval_od_scan_next(void* scan_state);
std::int32_t KOMBREL_STDCALL torval_od_scan_first(void* scan_state, TableObject* table, std::int32_t index,
                                                  const void* key, std::int32_t zero, std::int32_t zero_too);
std::int32_t KOMBREL_STDCALL torval_str_date_format(char* display, const char* stored);
std::int32_t KOMBREL_STDCALL torval_str_date_compare(const char* a, const char* b);
std::int32_t KOMBREL_STDCALL torval_mem_free(void* block);
std::int32_t KOMBREL_STDCALL torval_ui_message_close();
std::int32_t KOMBREL_STDCALL torval_ui_form_run(const void* form_table, std::int32_t form_id, void* data,
                                                FormKeyHandler key_handler, FormRowProvider row_provider);
std::int32_t KOMBREL_STDCALL torval_doc_position_recalc(std::int32_t zero, TsprDokRecord* position,
                                                        TsprRecord* header, std::int32_t one);
std::int32_t KOMBREL_STDCALL torval_ui_host_dialog(std::int32_t dialog, std::int16_t* flag, std::int32_t zero,
                                                   const char* text);
std::int16_t KOMBREL_CDECL torval_ini_access(const char* file, std::uint16_t mode, const char* section,
                                             const char* key, const char* format, std::va_list arguments);
std::int32_t KOMBREL_STDCALL torval_ui_browse_refresh(std::int32_t value, TableObject* table,
                                                      TsprDokRecord** slots, std::int32_t* slot_count,
                                                      std::int32_t argument, std::int32_t code,
                                                      std::int32_t a7, std::int32_t a8, std::int32_t a9,
                                                      std::int32_t a10, std::int32_t a11, std::int32_t a12);
std::int32_t KOMBREL_STDCALL torval_doc_totals_recalc(TsprDokRecord** slots, std::int32_t slot_count,
                                                      TsprRecord* header, std::int32_t zero,
                                                      std::int32_t zero_too);
std::int32_t KOMBREL_STDCALL torval_ui_alert(const char* text);
std::int32_t KOMBREL_STDCALL torval_sys_api_version();
void torval_sys_se_translator(unsigned int code, _EXCEPTION_POINTERS* exception);
FARPROC WINAPI torval_sys_delay_load_hook(unsigned notification, PDelayLoadInfo info);
}

namespace simhost {

// Every export of the host module: ordinal and address.
SIMHOST_API std::vector<std::pair<std::uint16_t, FARPROC>> HostExports();

}  // namespace simhost

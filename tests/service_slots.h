// The host services as the plug-in binds them: in binding order, each with the symbol of its slot.
#pragma once

#include <cstdint>

namespace kombrel_test {

// The plug-in's service slots in binding order: the service's number and the slot's symbol.
struct ServiceSlot {
  std::uint16_t ordinal;
  const char* name;
};

inline constexpr ServiceSlot kServiceSlots[] = {
    {52029, "ui_messagef"},
    {52028, "ui_message"},
    {52158, "txt_convert"},
    {38417, "entry_38417"},
    {52179, "num_scale"},
    {21281, "mem_realloc"},
    {50704, "od_result_free"},
    {52286, "od_fseek"},
    {51425, "od_make_key"},
    {52465, "od_set_flags"},
    {52256, "od_table"},
    {52161, "str_copy_n"},
    {50516, "od_search"},
    {52033, "ui_form_item_value"},
    {52281, "od_scan_end"},
    {52279, "od_scan_next"},
    {52278, "od_scan_first"},
    {32008, "str_date_format"},
    {30908, "str_date_compare"},
    {21287, "mem_free"},
    {52064, "ui_message_close"},
    {52026, "ui_form_run"},
    {52332, "doc_position_recalc"},
    {52023, "ui_host_dialog"},
    {41399, "ini_access"},
    {52470, "ui_browse_refresh"},
    {52330, "doc_totals_recalc"},
    {52030, "ui_alert"},
    {51594, "sys_api_version"},
};

}  // namespace kombrel_test

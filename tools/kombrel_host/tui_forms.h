// The terminal host's form engine: runs a form of the plug-in's form table with the user at the keys.
#pragma once

#include <cstdint>

#include "host/host_services.h"
#include "simulated_host/host.h"
#include "tools/kombrel_host/tui_screen.h"

namespace kombrel_host {

// What ui_form_run does in the terminal host: draws form `form_id` from the bytes of `form_table`, lets
// the user fill its edit fields (their values go to `data`, each field in its slot of value length + 1),
// move in its list (rows from `row_provider`), and press its keys; Insert and the buttons that carry
// flag 0x0080 go to `key_handler`. Answers the item code of the button that ended the form (0x5001 for
// OK: F12, or Enter), or 0x011B (Esc) when the user left it.
std::int32_t RunTerminalForm(Screen& screen, simhost::Host& host, const void* form_table,
                             std::int32_t form_id, void* data, FormKeyHandler key_handler,
                             FormRowProvider row_provider);

}  // namespace kombrel_host

// The terminal host: the sales document on the screen, Ctrl+5 for the transfer, the plug-in's forms
// drawn from its form table, its messages as boxes (ncurses).
#pragma once

#include <optional>
#include <string>

#include "tools/kombrel_host/scenario.h"

namespace kombrel_host {

// Runs the host from the scenario's host, settings, MM documents and sales document (its steps are the
// user's to take) until the user quits. `out`: where to write what the host saw, as `run` prints it.
int RunTerminalHost(const Scenario& scenario, const std::string& plugin_file,
                    const std::optional<std::string>& out);

}  // namespace kombrel_host

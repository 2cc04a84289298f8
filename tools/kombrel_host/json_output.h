// The run's outcome as one JSON document, the output of `kombrel-host run`.
#pragma once

#include <string>

#include "tools/kombrel_host/runner.h"

namespace kombrel_host {

// The document: steps, messages, list_rows, slots, current_row_offset, settings, calls, live_blocks, in
// this order; texts decoded to UTF-8 with control bytes as JSON escapes; doubles printed so that they
// read back to the same value. Ends with a newline.
std::string RunResultJson(const RunResult& result);

}  // namespace kombrel_host

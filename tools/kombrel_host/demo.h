// The demo: a small, realistic data set run through one transfer, printed for a reader.
#pragma once

#include <string>

#include "tools/kombrel_host/runner.h"
#include "tools/kombrel_host/scenario.h"

namespace kombrel_host {

// The bundled scenario, in the scenario file format: a dozen MM documents over two months, a sales
// document with some used slots, and one transfer that marks three documents.
const char* DemoScenarioText();

// The run told readably in UTF-8: the steps, the sales document before and after as aligned tables, the
// rows of the list, every message the user saw, and the settings file.
std::string RenderDemo(const Scenario& scenario, const RunResult& result);

}  // namespace kombrel_host

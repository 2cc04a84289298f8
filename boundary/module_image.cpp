// The module's export and import tables for the Linux loader; on Windows the linker makes the same
// tables from Kombrel.def and the host's import library.
#include "platform/module_image.h"
#include "boundary/boundary.h"
#include "platform/startup.h"

FARPROC sys_se_translator_import = nullptr;

namespace {

// An export's address in the table's type. A macro rather than FunctionCast: the casts must stay address
// constants, so that the table is laid out as data rather than filled by a static constructor.
#define KOMBREL_EXPORT(function) reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&function))

// Ordinals 30001 to 30009; only 30001, 30008 and 30009 lead to code.
const FARPROC kExports[] = {
    KOMBREL_EXPORT(Wejscie30001),  // 30001 load check and stop
    nullptr,                       // 30002
    nullptr,                       // 30003
    nullptr,                       // 30004
    nullptr,                       // 30005
    nullptr,                       // 30006
    nullptr,                       // 30007
    KOMBREL_EXPORT(Wejscie30008),  // 30008 refusal report and start
    KOMBREL_EXPORT(Wejscie30009),  // 30009 no effect
};

constinit const KModuleImport kImports[] = {
    {"TORVAL.dll", ordinal::sys_se_translator, &sys_se_translator_import},
};

}  // namespace

extern "C" const KModuleImage kmodule_image = {
    "Kombrel.dll", &KombrelDllStartup, 30001, 9, kExports, 1, kImports,
};

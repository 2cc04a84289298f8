// What a module built for our Linux loader carries in place of a PE file's headers: its name, its
// entry point, its export table by ordinal and its static imports by ordinal.
//
// A module defines one `kmodule_image` with C linkage; LoadLibraryA finds it after mapping the shared
// object, resolves the imports into their slots, registers the exports and calls the entry point.
#pragma once

#include <cstdint>

#include "platform/win32.h"

#if !defined(_WIN32)

struct KModuleImport {
  const char* module;     // the exporting module's name, as GetModuleHandleA takes it
  std::uint16_t ordinal;  // the export's ordinal there
  FARPROC* slot;          // where the loader stores the address before any code of the module runs
};

struct KModuleImage {
  const char* name;                               // the module's own name, e.g. "Kombrel.dll"
  BOOL(WINAPI* entry)(HINSTANCE, DWORD, LPVOID);  // the DLL entry point; null for none
  std::uint32_t export_base;                      // ordinal of exports[0]
  std::uint32_t export_count;                     // ordinal slots, empty ones null
  const FARPROC* exports;
  std::uint32_t import_count;
  const KModuleImport* imports;
};

#define KMODULE_IMAGE_SYMBOL "kmodule_image"

#endif

// Host-side controls of the Linux platform layer: modules that the host process provides itself, the
// handler that answers MessageBoxA, and a journal of the platform calls that a loaded module made.
// None of this exists on Windows, where the real loader and window manager do the work.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32.h"

#if !defined(_WIN32)

namespace kplatform {

// Registers a module that lives in the calling process (the host's main module, for example) so that
// GetModuleHandleA and GetProcAddress find it. `exports[i]` is the export with ordinal `base + i`; null
// entries are ordinals the module lacks. The handle stays valid until UnregisterModule.
HMODULE RegisterModule(const std::string& name, const std::string& path, std::uint32_t base,
                       std::vector<FARPROC> exports);
void UnregisterModule(HMODULE module);

// LoadLibraryA with the path that GetModuleFileNameA will report for the module, so a host can present
// the module as a Windows file ("C:\\PROGRAM\\Kombrel.dll") while it is mapped from elsewhere.
HMODULE LoadLibraryAs(const char* file_name, const char* reported_path);

// Why the last LoadLibraryA or LoadLibraryAs failed, in words; empty after a success.
const std::string& LastLoadError();

// The answer to MessageBoxA. Without a handler every box fails to show and MessageBoxA returns 0.
using MessageBoxHandler = std::function<int(const char* text, const char* caption, UINT type)>;
void SetMessageBoxHandler(MessageBoxHandler handler);

// The translator most recently installed with _set_se_translator on the calling thread.
_se_translator_function CurrentSeTranslator();

// Every call that a module made of GetModuleHandleA, GetProcAddress, GetModuleFileNameA and MessageBoxA,
// in order, as "GetProcAddress(TORVAL.dll,#52028)".
std::vector<std::string>& Journal();

}  // namespace kplatform

#endif

// The runtime start of a module on Linux, standing in for the Microsoft C runtime's: it takes the
// process's command line from the delay-loaded runtime module KOLUM, through the same notification hook
// that the delay-load helper consults on Windows. Compiled into the plug-in.
#include "platform/startup.h"

namespace {

FARPROC WINAPI DoNothingHook(unsigned, PDelayLoadInfo) {
  return nullptr;
}

}  // namespace

// Until the attach routine puts the host's hook here, a hook that answers null to every notification.
PfnDliHook __pfnDliNotifyHook2 = DoNothingHook;

namespace {

bool started = false;
LPCSTR command_line = nullptr;

// Resolves one function of a delay-loaded module the way the delay-load helper does: the hook may supply
// the module and the function; without it the platform would load them itself, which ours cannot (no
// module of ours exports by name), so the load then fails as a missing module or function fails it.
FARPROC DelayLoad(LPCSTR dll, LPCSTR function) {
  DelayLoadInfo info{};
  info.cb = sizeof info;
  info.szDll = dll;
  info.dlp.fImportByName = TRUE;
  info.dlp.szProcName = function;
  const PfnDliHook hook = __pfnDliNotifyHook2;
  if (hook != nullptr) hook(dliStartProcessing, &info);
  info.hmodCur = hook != nullptr ? reinterpret_cast<HMODULE>(hook(dliNotePreLoadLibrary, &info)) : nullptr;
  if (info.hmodCur == nullptr) info.hmodCur = GetModuleHandleA(dll);
  if (info.hmodCur == nullptr) return nullptr;
  info.pfnCur = hook != nullptr ? hook(dliNotePreGetProcAddress, &info) : nullptr;
  if (info.pfnCur == nullptr) info.pfnCur = GetProcAddress(info.hmodCur, function);
  if (hook != nullptr) hook(dliNoteEndProcessing, &info);
  return info.pfnCur;
}

}  // namespace

extern "C" const KInitialiser __start_kinit[];
extern "C" const KInitialiser __stop_kinit[];

const KInitialiser* InitialisersBegin() {
  return __start_kinit;
}
const KInitialiser* InitialisersEnd() {
  return __stop_kinit;
}

bool RuntimeStart() {
  const auto get_command_line = FunctionCast<LPCSTR(WINAPI*)()>(DelayLoad("KOLUM.dll", "GetCommandLineA"));
  if (get_command_line == nullptr) return false;
  command_line = get_command_line();
  started = true;
  return true;
}

void RuntimeStop() {
  started = false;
  command_line = nullptr;
}

// The runtime start of the module on Windows. The module links no C runtime start files: its entry point
// is KombrelDllStartup (dll_startup.cpp), and this file gives it what the Microsoft C runtime's DLL
// start-up would: the runtime's own start, whose first use of the delay-loaded runtime module KOLUM goes
// through the delay-load helper and so through the host's hook, and the bounds of the initialiser table.
// Compiled into the plug-in.
#include "platform/startup.h"

namespace {

FARPROC WINAPI DoNothingHook(unsigned, PDelayLoadInfo) {
  return nullptr;
}

}  // namespace

// The hook that MinGW-w64's delay-load helper (__delayLoadHelper2) consults before it loads a module and
// before it resolves each function; delayimp.h declares it. Defining it here keeps the runtime library's
// own (empty) definition out of the link. Until the attach routine puts the host's hook here, a hook
// that answers null to every notification, so that the helper loads and resolves on its own.
PfnDliHook __pfnDliNotifyHook2 = DoNothingHook;

// KOLUM.dll!GetCommandLineA, delay-loaded: the import library made from kolum.def binds this name to it.
// Declared without dllimport: a call through the import slot would skip the lazy stub, which ld then
// drops, and the first call would jump to null.
extern "C" LPSTR WINAPI KolumGetCommandLineA();

namespace {

// The initialiser table. The linker sorts the pieces of a grouped section by the name after the '$':
// this start marker (.kinit$a), the tables of KOMBREL_INITIALISERS (.kinit$m), this end marker
// (.kinit$z). The markers are null entries, skipped like the padding the linker may put between pieces.
__attribute__((section(".kinit$a"), used)) constinit const KInitialiser kinit_start[1] = {nullptr};
__attribute__((section(".kinit$z"), used)) constinit const KInitialiser kinit_stop[1] = {nullptr};

// dlltool's delay import libraries leave their descriptors in .text$2, one per module, without the
// null descriptor that closes the table; this one, sorted after them, closes it. Aligned like theirs:
// the linker pads a code section with instructions, not zeros.
__attribute__((section(".text$2z"), aligned(4),
               used)) constinit const ImgDelayDescr kDelayImportTableEnd = {};

// The table's bounds are separate objects to the compiler; the walk between them must not be reasoned
// away.
const KInitialiser* Opaque(const KInitialiser* address) {
  asm("" : "+r"(address));
  return address;
}

bool started = false;
LPCSTR command_line = nullptr;

}  // namespace

const KInitialiser* InitialisersBegin() {
  return Opaque(kinit_start);
}
const KInitialiser* InitialisersEnd() {
  return Opaque(kinit_stop);
}

bool RuntimeStart() {
  // The runtime's first use of KOLUM. Should the helper find neither the module nor the function, it
  // raises its exception, and the load fails with it.
  command_line = KolumGetCommandLineA();
  started = true;
  return true;
}

void RuntimeStop() {
  started = false;
  command_line = nullptr;
}

// The DLL start-up that stands in for the C runtime's: the attach routine first, then the runtime's own
// start, then the module's initialisers in table order (the first non-zero result fails the load), then
// DllMain. Compiled into the plug-in.
#pragma once

#include "platform/win32.h"

// An initialiser: 0 lets the load go on, anything else fails it.
using KInitialiser = int (*)();

// Puts a table of initialisers into the section that the start-up walks. The linker orders the section's
// pieces by name, so one table per module keeps its own order.
#if defined(_WIN32)
#define KOMBREL_INITIALISERS __attribute__((section(".kinit$m"), used))
#else
#define KOMBREL_INITIALISERS __attribute__((section("kinit"), used))
#endif

// Provided by the module: the attach routine and DllMain.
BOOL WINAPI DolaczenieModulu(HINSTANCE module, DWORD reason, LPVOID reserved);
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);

// Provided per platform (runtime_*.cpp): the runtime's own start and stop, and the bounds of the
// initialiser section.
bool RuntimeStart();
void RuntimeStop();
const KInitialiser* InitialisersBegin();
const KInitialiser* InitialisersEnd();

// The module's entry point.
extern "C" BOOL WINAPI KombrelDllStartup(HINSTANCE module, DWORD reason, LPVOID reserved);

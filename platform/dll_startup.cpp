// The module's entry point, in the order the Microsoft C runtime's DLL start-up keeps: the attach
// routine before the runtime starts and after it stops, the initialisers between.
#include "platform/startup.h"

namespace {

bool RunInitialisers() {
  for (const KInitialiser* initialiser = InitialisersBegin(); initialiser != InitialisersEnd();
       ++initialiser) {
    if (*initialiser == nullptr) continue;  // padding the linker may leave between pieces
    if ((*initialiser)() != 0) return false;
  }
  return true;
}

}  // namespace

extern "C" BOOL WINAPI KombrelDllStartup(HINSTANCE module, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      if (!DolaczenieModulu(module, reason, reserved)) return FALSE;
      if (!RuntimeStart()) return FALSE;
      if (!RunInitialisers()) {
        RuntimeStop();
        return FALSE;
      }
      return DllMain(module, reason, reserved);
    case DLL_PROCESS_DETACH:
      DllMain(module, reason, reserved);
      RuntimeStop();
      return DolaczenieModulu(module, reason, reserved);
    default:
      DolaczenieModulu(module, reason, reserved);
      return DllMain(module, reason, reserved);
  }
}

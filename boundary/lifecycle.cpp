// The plug-in's life: the attach routine, DllMain, and the load check, start and stop that the
// entries forward to.
#include "boundary/boundary.h"
#include "common/texts.h"
#include "settings/settings.h"
#include "transfer/transfer.h"

HMODULE own_module = nullptr;
char own_path[kOwnPathSize] = {};
HMODULE host_module = nullptr;

BOOL WINAPI DolaczenieModulu(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  own_module = module;
  GetModuleFileNameA(module, own_path, kOwnPathSize);
  own_path[kOwnPathSize - 1] = '\0';  // a cut path is not terminated on every Windows
  if (host_module == nullptr) {
    host_module = GetModuleHandleA(texts::kHostModule.c_str());
    if (host_module != nullptr) {
      __pfnDliNotifyHook2 = FunctionCast<PfnDliHook>(
          GetProcAddress(host_module, MAKEINTRESOURCEA(ordinal::sys_delay_load_hook)));
    }
  }
  return TRUE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
  return TRUE;
}

std::int32_t SprawdzZaladowanie(char* help_buffer) {
  // The help text is handed over before any test, so a refused plug-in has handed it over too.
  if (help_buffer != nullptr) texts::KopiujOpis(help_buffer);
  _set_se_translator(KOMBREL_SE_TRANSLATOR);
  if (sys_api_version() != kRequiredApiVersion) return -1;
  return SprawdzTabele() != 0 ? -1 : 0;
}

std::int32_t Uruchom() {
  if (PodepnijObsluge(1) != 0) {
    PodepnijObsluge(0);
    PokazKomunikat(texts::kNeedsNewerPlugin);
    return -1;
  }
  PowiadomOInstalacji();
  return 0;
}

std::int32_t Zatrzymaj() {
  return PodepnijObsluge(0);
}

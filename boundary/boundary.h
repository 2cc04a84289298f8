// The host boundary: the module's life from load to unload, the record-size registry, the layout check
// and refusal report, and the binding of host services.
#pragma once

#include <cstdint>

#include "host/host_services.h"
#include "platform/win32.h"

// --- Module-wide state kept by the attach routine -------------------------------------------------

inline constexpr int kOwnPathSize = 300;  // characters, terminator included

extern HMODULE own_module;           // the plug-in's module handle
extern char own_path[kOwnPathSize];  // the plug-in's full path, as GetModuleFileNameA gave it
extern HMODULE host_module;          // "TORVAL"; null until found

// The attach routine: called by the DLL start-up before the C runtime starts, for every reason.
BOOL WINAPI DolaczenieModulu(HINSTANCE module, DWORD reason, LPVOID reserved);

// --- Entries, by ordinal --------------------------------------------------------------------------

inline constexpr std::int32_t kRequiredApiVersion = 112;

// C linkage: the module's export table (Kombrel.def) names them plainly.
extern "C" {
// 30001: with a host pointer, the load check (0 accepted, -1 refused); with null, the stop (0).
std::int32_t KOMBREL_STDCALL Wejscie30001(void* host, char* help_buffer);
// 30008: with a non-zero flag, the refusal report (0); with 0, the start (0 started, -1 failed).
std::int32_t KOMBREL_STDCALL Wejscie30008(std::int32_t flag);
// 30009: does nothing.
std::int32_t KOMBREL_STDCALL Wejscie30009();
}

std::int32_t SprawdzZaladowanie(char* help_buffer);
std::int32_t Uruchom();
std::int32_t Zatrzymaj();

// --- The record-size registry ---------------------------------------------------------------------

// One tested table. Linked into the registry when the host's record size differs from ours.
struct WpisRozmiaru {
  std::int32_t expected_size;  // the size the plug-in was built for
  std::int32_t found_size;     // the host's signed 16-bit size widened, 0 when it has no such table
  const char* table_name;
  WpisRozmiaru* link;  // the next entry; null for the last
};

extern WpisRozmiaru* registry_head;  // null: the registry is empty

// 0 when the entry's sizes agree; otherwise adds it (DopiszRozmiar) and answers -1.
std::int32_t PorownajRozmiar(WpisRozmiaru* entry);
// Adds the entry at the tail unless it is in the registry already; answers -1 either way.
std::int32_t DopiszRozmiar(WpisRozmiaru* entry);
// The number of entries in the registry.
std::int32_t LiczRozmiary();

// --- Layout check and refusal report --------------------------------------------------------------

// Tests tables 44, 45, 58 and 67 and answers LiczRozmiary().
std::int32_t SprawdzTabele();
// Shows the registry, or the version text when it is empty.
void PokazOdmowe();

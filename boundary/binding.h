// Binding one host service into its slot, with the missing-entry dialog for a service the host lacks.
#pragma once

#include <cstdint>

#include "boundary/fallbacks.h"
#include "host/host_services.h"

// The ignore-all flag: set at the first Ignore in the missing-entry dialog, never cleared. While it is
// set, a missing service is ignored without a dialog.
extern bool ignore_missing_entries;

// Looks the entry up in the host module by its number.
FARPROC SzukajWpisu(std::uint16_t number);

// The missing-entry dialog: true when the service is to be ignored, false when the load is to be
// aborted. Retry shows the same box again; a box that cannot be shown counts as Abort.
bool ZglosBrakWpisu(std::uint16_t number);

// The fallback for a service that is being ignored, by the last two digits r of its number: 99 gives
// fallback 0 (the caller removes the arguments), a multiple of 4 up to 56 gives fallback r/4, anything
// else none (-1). The number decides only whether there is one; its signature is the slot's (fallbacks.h).
constexpr std::int32_t WybierzZastepcza(std::uint16_t number) {
  const std::int32_t r = number % 100;
  if (r == 99) return 0;
  if (r % 4 == 0 && r <= 56) return r / 4;
  return -1;
}

// Binds one service: the host's function; for one the host lacks, the fallback when the user ignores it
// and there is one, else null. The slot is written in every case.
template <class Fn>
void PowiazFunkcje(std::uint16_t number, Fn* slot) {
  *slot = FunctionCast<Fn>(SzukajWpisu(number));
  if (*slot != nullptr) return;
  if (ZglosBrakWpisu(number) && WybierzZastepcza(number) >= 0) *slot = &Zastepcza<Fn>::Funkcja;
}

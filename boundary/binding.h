// Binding one host service into its slot.
#pragma once

#include <cstdint>

#include "host/host_services.h"

// Looks the entry up in the host module by its number.
FARPROC SzukajWpisu(std::uint16_t number);

// Binds one service: the host's function, or null when the host module lacks it. The slot is written in
// every case.
template <class Fn>
void PowiazFunkcje(std::uint16_t number, Fn* slot) {
  *slot = FunctionCast<Fn>(SzukajWpisu(number));
}

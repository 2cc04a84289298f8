// Do-nothing stand-ins for host services that the user chose to ignore in the missing-entry dialog.
//
// The fallback's number (WybierzZastepcza) only says whether a service may have one. Its signature comes
// from the slot's own type, so that it leaves the stack as a real call of that service would: a stdcall
// service's stand-in removes exactly that service's argument bytes, a cdecl one leaves them to the caller.
// Every stand-in does nothing and answers zero of the service's result type (null for a pointer).
#pragma once

#include "host/host_services.h"

template <class Slot>
struct Zastepcza;  // only the slot types below have a stand-in

// Fixed argument list, the service removes its arguments.
template <class Result, class... Arguments>
struct Zastepcza<Result(KOMBREL_STDCALL*)(Arguments...)> {
  static Result KOMBREL_STDCALL Funkcja(Arguments...) { return Result(); }
};

// Variadic: the caller removes the arguments.
template <class Result, class... Arguments>
struct Zastepcza<Result(KOMBREL_CDECL*)(Arguments..., ...)> {
  static Result KOMBREL_CDECL Funkcja(Arguments..., ...) { return Result(); }
};

#if defined(__i386__)
// Fixed argument list that the caller removes (ini_access). Elsewhere the calling-convention markers are
// empty and such a slot is the first kind.
template <class Result, class... Arguments>
struct Zastepcza<Result(KOMBREL_CDECL*)(Arguments...)> {
  static Result KOMBREL_CDECL Funkcja(Arguments...) { return Result(); }
};
#endif

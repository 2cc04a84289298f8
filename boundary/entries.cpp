// The three entries that the host calls by ordinal. Each forwards to the operation that does the work.
#include "boundary/boundary.h"

extern "C" std::int32_t KOMBREL_STDCALL Wejscie30001(void* host, char* help_buffer) {
  if (host == nullptr) return Zatrzymaj();
  return SprawdzZaladowanie(help_buffer);
}

extern "C" std::int32_t KOMBREL_STDCALL Wejscie30008(std::int32_t flag) {
  if (flag != 0) {
    PokazOdmowe();
    return 0;
  }
  return Uruchom();
}

extern "C" std::int32_t KOMBREL_STDCALL Wejscie30009() {
  return 0;
}

// The host's compatibility module "BRAXO.dll" as the simulated host provides it: wsprintfA, formatted by
// the system's own wvsprintfA.
#include "platform/win32.h"

extern "C" int WINAPIV braxo_wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const int length = wvsprintfA(buffer, format, arguments);
  va_end(arguments);
  return length;
}

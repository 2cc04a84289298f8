// Bounded formatting over the C runtime's own printf family.
#include "platform/format.h"

#include <cstdio>

int FormatV(char* buffer, std::size_t size, const char* format, std::va_list arguments) {
  if (buffer == nullptr || size == 0) return 0;
#if defined(_WIN32)
  // msvcrt's own: it answers -1 for a text that does not fit and then leaves it unterminated.
  const int written = _vsnprintf(buffer, size - 1, format, arguments);
  buffer[size - 1] = '\0';
  return written < 0 ? static_cast<int>(size - 1) : written;
#else
  const int written = std::vsnprintf(buffer, size, format, arguments);
  if (written < 0) {
    buffer[0] = '\0';
    return 0;
  }
  return static_cast<std::size_t>(written) < size ? written : static_cast<int>(size - 1);
#endif
}

int Format(char* buffer, std::size_t size, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  const int written = FormatV(buffer, size, format, arguments);
  va_end(arguments);
  return written;
}

// The host's code pages: Mazovia (its DOS code page, code 1) and Windows-1250 (code 3), to and from
// UTF-8 for scenarios, displays and tests.
#pragma once

#include <string>
#include <string_view>

#include "simulated_host/api.h"

namespace simhost {

// UTF-8 to Mazovia; a character Mazovia lacks becomes '?'.
SIMHOST_API std::string Utf8ToMazovia(std::string_view utf8);
// Mazovia to UTF-8; every byte has a character (code page 437 with the Polish letters).
SIMHOST_API std::string MazoviaToUtf8(std::string_view mazovia);
// Mazovia to Windows-1250, byte for byte; a character Windows-1250 lacks becomes '?'.
SIMHOST_API std::string MazoviaToCp1250(std::string_view mazovia);
// Windows-1250 to UTF-8; the five bytes the code page leaves undefined become U+FFFD.
SIMHOST_API std::string Cp1250ToUtf8(std::string_view cp1250);

}  // namespace simhost

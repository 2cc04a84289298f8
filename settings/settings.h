// The installation notice and the plug-in's settings file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/text_ref.h"

// Modes of the host's settings service.
inline constexpr std::uint16_t kIniRead = 8;   // converts the key's text by the format into the argument
inline constexpr std::uint16_t kIniWrite = 9;  // converts the argument by the format and writes the key

// Shows the installation notice at a start unless the settings file says otherwise, and writes back the
// value the notice dialog leaves.
void PowiadomOInstalacji();

// One access to the settings file through ini_access: the variable arguments follow the format. Answers
// ini_access's result, 0 when done.
std::int16_t DostepIni(TextRef file, std::uint16_t mode, TextRef section, TextRef key, TextRef format, ...);

// Formats the variable arguments by the printf rules into `buffer`, which has room for `size` bytes, the
// terminator included. A text that does not fit is cut; nothing is written past the buffer. Answers the
// number of characters written, the terminator not counted.
std::int32_t FormatujTekst(char* buffer, std::size_t size, TextRef format, ...);

// Bounded printf-style formatting through the C runtime the module runs on (glibc, or the msvcrt of the
// host's process on Windows). Compiled into the plug-in.
#pragma once

#include <cstdarg>
#include <cstddef>

// Formats into `buffer` of `size` bytes by the printf rules. Never writes past the buffer; with a size
// above 0 the text is always terminated, cut where it does not fit. Answers the number of characters
// written, the terminator not counted.
int FormatV(char* buffer, std::size_t size, const char* format, std::va_list arguments);
__attribute__((format(printf, 3, 4))) int Format(char* buffer, std::size_t size, const char* format, ...);

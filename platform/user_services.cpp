// MessageBoxA, wsprintfA and the per-thread exception translator of the Linux platform layer.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "platform/platform.h"

namespace kplatform {
namespace {

MessageBoxHandler& Handler() {
  static MessageBoxHandler handler;
  return handler;
}

thread_local _se_translator_function current_translator = nullptr;

// wsprintfA writes at most 1024 bytes, the terminator included, and knows no floating point.
constexpr std::size_t kWsprintfLimit = 1024;

}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler) {
  Handler() = std::move(handler);
}

_se_translator_function CurrentSeTranslator() {
  return current_translator;
}

}  // namespace kplatform

int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  kplatform::Journal().push_back("MessageBoxA");
  auto& handler = kplatform::Handler();
  if (!handler) return 0;
  return handler(text != nullptr ? text : "", caption != nullptr ? caption : "", type);
}

_se_translator_function _set_se_translator(_se_translator_function translator) {
  return std::exchange(kplatform::current_translator, translator);
}

// The conversions of wsprintfA: %s %c %d %i %u %x %X %%, with the flags '-' and '0', a width, and the
// size prefixes l, h and I64 ignored or honoured as on 32-bit Windows (l and h change nothing there).
int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string out;
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%') {
      out += *p;
      continue;
    }
    ++p;
    if (*p == '%') {
      out += '%';
      continue;
    }
    std::string conversion = "%";
    while (*p == '-' || *p == '0' || *p == '#')
      conversion += *p++;
    while (*p >= '0' && *p <= '9')
      conversion += *p++;
    while (*p == 'l' || *p == 'h')
      ++p;
    char piece[64];
    switch (*p) {
      case 's': {
        const char* text = va_arg(args, const char*);
        std::string s(text != nullptr ? text : "(null)");
        const std::string width = conversion.substr(1);
        const bool left = !width.empty() && width[0] == '-';
        const std::size_t digits = width.find_first_of("123456789");
        const std::size_t w = digits == std::string::npos ? 0 : std::stoul(width.substr(digits));
        if (s.size() < w) s.insert(left ? s.end() : s.begin(), w - s.size(), ' ');
        out += s;
        break;
      }
      case 'c':
        out += static_cast<char>(va_arg(args, int));
        break;
      case 'd':
      case 'i':
        std::snprintf(piece, sizeof piece, (conversion + "d").c_str(), va_arg(args, int));
        out += piece;
        break;
      case 'u':
      case 'x':
      case 'X':
        std::snprintf(piece, sizeof piece, (conversion + *p).c_str(), va_arg(args, unsigned int));
        out += piece;
        break;
      case '\0':
        --p;
        break;
      default:
        out += *p;
        break;
    }
  }
  va_end(args);
  const std::size_t length = std::min(out.size(), kplatform::kWsprintfLimit - 1);
  std::memcpy(buffer, out.data(), length);
  buffer[length] = '\0';
  return static_cast<int>(length);
}

// Texts in the host's DOS code page (Mazovia), made at compile time from readable Polish.
//
// Write a text as a UTF-8 literal with the suffix _mz: "Błąd"_mz is a MazoviaText holding exactly the
// bytes 42 92 86 64 and a terminator. Mazovia is code page 437 with the Polish letters placed as in
// kPolishLetters; a text may hold ASCII and those letters only, and anything else fails to compile.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mazovia {

struct Letter {
  char32_t code_point;
  unsigned char byte;
};

inline constexpr Letter kPolishLetters[] = {
    {U'ą', 0x86}, {U'ć', 0x8D}, {U'ę', 0x91}, {U'ł', 0x92}, {U'ń', 0xA4}, {U'ó', 0xA2},
    {U'ś', 0x9E}, {U'ź', 0xA6}, {U'ż', 0xA7}, {U'Ą', 0x8F}, {U'Ć', 0x95}, {U'Ę', 0x90},
    {U'Ł', 0x9C}, {U'Ń', 0xA5}, {U'Ó', 0xA3}, {U'Ś', 0x98}, {U'Ź', 0xA0}, {U'Ż', 0xA1},
};

// Never defined and not constexpr: reaching it while a text is converted stops the compilation there.
void TextIsNotUtf8();
void LetterNotInMazovia();

// Decodes the UTF-8 sequence at text[i], advancing i past it.
consteval char32_t NextCodePoint(const char* text, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i++]);
  if (lead < 0x80) return lead;
  int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
  if (more < 0) TextIsNotUtf8();
  char32_t code = lead & (0x3F >> more);
  while (more-- > 0) {
    const auto next = static_cast<unsigned char>(text[i++]);
    if ((next & 0xC0) != 0x80) TextIsNotUtf8();
    code = (code << 6) | (next & 0x3F);
  }
  return code;
}

consteval unsigned char ByteOf(char32_t code_point) {
  if (code_point < 0x80) return static_cast<unsigned char>(code_point);
  for (const Letter& letter : kPolishLetters) {
    if (letter.code_point == code_point) return letter.byte;
  }
  LetterNotInMazovia();
  return 0;
}

template <std::size_t N>
struct Utf8Literal {
  char text[N];
  consteval Utf8Literal(const char (&literal)[N]) {
    for (std::size_t i = 0; i < N; ++i)
      text[i] = literal[i];
  }
};

template <std::size_t N>
consteval std::size_t MazoviaLength(const char (&text)[N]) {
  std::size_t length = 0;
  for (std::size_t i = 0; i + 1 < N;) {
    ByteOf(NextCodePoint(text, i));
    ++length;
  }
  return length;
}

}  // namespace mazovia

// A text in Mazovia with its terminator: Length bytes of text, then 0.
template <std::size_t Length>
struct MazoviaText {
  char bytes[Length + 1];
  constexpr const char* c_str() const { return bytes; }
  static constexpr std::size_t size() { return Length; }
};

template <mazovia::Utf8Literal S>
consteval auto operator""_mz() {
  constexpr std::size_t length = mazovia::MazoviaLength(S.text);
  MazoviaText<length> result{};
  std::size_t out = 0;
  for (std::size_t i = 0; i + 1 < sizeof S.text;) {
    result.bytes[out++] = static_cast<char>(mazovia::ByteOf(mazovia::NextCodePoint(S.text, i)));
  }
  result.bytes[out] = '\0';
  return result;
}

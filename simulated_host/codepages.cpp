// Mazovia and Windows-1250 against Unicode.
#include "simulated_host/codepages.h"

#include <array>
#include <cstdint>

#include "common/mazovia.h"

namespace simhost {
namespace {

// Code page 437, bytes 0x80 to 0xFF.
constexpr std::array<char32_t, 128> kCp437High = {
    U'Ç', U'ü', U'é', U'â', U'ä', U'à', U'å', U'ç', U'ê', U'ë', U'è', U'ï', U'î', U'ì', U'Ä', U'Å',
    U'É', U'æ', U'Æ', U'ô', U'ö', U'ò', U'û', U'ù', U'ÿ', U'Ö', U'Ü', U'¢', U'£', U'¥', U'₧', U'ƒ',
    U'á', U'í', U'ó', U'ú', U'ñ', U'Ñ', U'ª', U'º', U'¿', U'⌐', U'¬', U'½', U'¼', U'¡', U'«', U'»',
    U'░', U'▒', U'▓', U'│', U'┤', U'╡', U'╢', U'╖', U'╕', U'╣', U'║', U'╗', U'╝', U'╜', U'╛', U'┐',
    U'└', U'┴', U'┬', U'├', U'─', U'┼', U'╞', U'╟', U'╚', U'╔', U'╩', U'╦', U'╠', U'═', U'╬', U'╧',
    U'╨', U'╤', U'╥', U'╙', U'╘', U'╒', U'╓', U'╫', U'╪', U'┘', U'┌', U'█', U'▄', U'▌', U'▐', U'▀',
    U'α', U'ß', U'Γ', U'π', U'Σ', U'σ', U'µ', U'τ', U'Φ', U'Θ', U'Ω', U'δ', U'∞', U'φ', U'ε', U'∩',
    U'≡', U'±', U'≥', U'≤', U'⌠', U'⌡', U'÷', U'≈', U'°', U'∙', U'·', U'√', U'ⁿ', U'²', U'■', U'\u00A0',
};

// Windows-1250, bytes 0x80 to 0xFF; 0 where the code page defines nothing.
constexpr std::array<char32_t, 128> kCp1250High = {
    U'€',      0,    U'‚', 0,    U'„', U'…', U'†', U'‡', 0,    U'‰', U'Š', U'‹', U'Ś', U'Ť',      U'Ž', U'Ź',
    0,         U'‘', U'’', U'“', U'”', U'•', U'–', U'—', 0,    U'™', U'š', U'›', U'ś', U'ť',      U'ž', U'ź',
    U'\u00A0', U'ˇ', U'˘', U'Ł', U'¤', U'Ą', U'¦', U'§', U'¨', U'©', U'Ş', U'«', U'¬', U'\u00AD', U'®', U'Ż',
    U'°',      U'±', U'˛', U'ł', U'´', U'µ', U'¶', U'·', U'¸', U'ą', U'ş', U'»', U'Ľ', U'˝',      U'ľ', U'ż',
    U'Ŕ',      U'Á', U'Â', U'Ă', U'Ä', U'Ĺ', U'Ć', U'Ç', U'Č', U'É', U'Ę', U'Ë', U'Ě', U'Í',      U'Î', U'Ď',
    U'Đ',      U'Ń', U'Ň', U'Ó', U'Ô', U'Ő', U'Ö', U'×', U'Ř', U'Ů', U'Ú', U'Ű', U'Ü', U'Ý',      U'Ţ', U'ß',
    U'ŕ',      U'á', U'â', U'ă', U'ä', U'ĺ', U'ć', U'ç', U'č', U'é', U'ę', U'ë', U'ě', U'í',      U'î', U'ď',
    U'đ',      U'ń', U'ň', U'ó', U'ô', U'ő', U'ö', U'÷', U'ř', U'ů', U'ú', U'ű', U'ü', U'ý',      U'ţ', U'˙',
};

char32_t MazoviaCodePoint(unsigned char byte) {
  if (byte < 0x80) return byte;
  for (const mazovia::Letter& letter : mazovia::kPolishLetters) {
    if (letter.byte == byte) return letter.code_point;
  }
  return kCp437High[byte - 0x80];
}

int MazoviaByte(char32_t code_point) {
  if (code_point < 0x80) return static_cast<int>(code_point);
  for (const mazovia::Letter& letter : mazovia::kPolishLetters) {
    if (letter.code_point == code_point) return letter.byte;
  }
  for (int i = 0; i < 128; ++i) {
    const auto byte = static_cast<unsigned char>(0x80 + i);
    if (MazoviaCodePoint(byte) == code_point) return byte;
  }
  return -1;
}

int Cp1250Byte(char32_t code_point) {
  if (code_point < 0x80) return static_cast<int>(code_point);
  for (int i = 0; i < 128; ++i) {
    if (kCp1250High[i] == code_point) return 0x80 + i;
  }
  return -1;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one UTF-8 character at text[i]; a malformed sequence gives U+FFFD and moves one byte on.
char32_t DecodeUtf8(std::string_view text, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i++]);
  if (lead < 0x80) return lead;
  const int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
  if (more < 0 || i + static_cast<std::size_t>(more) > text.size()) return U'\uFFFD';
  char32_t code = lead & (0x3F >> more);
  for (int k = 0; k < more; ++k) {
    const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
    if ((next & 0xC0) != 0x80) return U'\uFFFD';
    code = (code << 6) | (next & 0x3F);
  }
  i += static_cast<std::size_t>(more);
  return code;
}

}  // namespace

std::string Utf8ToMazovia(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const int byte = MazoviaByte(DecodeUtf8(utf8, i));
    out += static_cast<char>(byte < 0 ? '?' : byte);
  }
  return out;
}

std::string MazoviaToUtf8(std::string_view mazovia) {
  std::string out;
  for (char c : mazovia)
    AppendUtf8(out, MazoviaCodePoint(static_cast<unsigned char>(c)));
  return out;
}

std::string MazoviaToCp1250(std::string_view mazovia) {
  std::string out;
  for (char c : mazovia) {
    const int byte = Cp1250Byte(MazoviaCodePoint(static_cast<unsigned char>(c)));
    out += static_cast<char>(byte < 0 ? '?' : byte);
  }
  return out;
}

std::string Cp1250ToUtf8(std::string_view cp1250) {
  std::string out;
  for (char c : cp1250) {
    const auto byte = static_cast<unsigned char>(c);
    const char32_t code = byte < 0x80 ? byte : kCp1250High[byte - 0x80];
    AppendUtf8(out, code != 0 ? code : U'\uFFFD');
  }
  return out;
}

}  // namespace simhost

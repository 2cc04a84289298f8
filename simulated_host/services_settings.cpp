// The host's settings service over INI files in its folder: "[section]" headers and "key=value" lines,
// sections and keys found without regard to case, whitespace around names and values ignored, lines
// that open with ';' taken as comments, CRLF or LF line ends. A write keeps the rest of the file as it
// was and the line ends it had.
#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "simulated_host/host.h"
#include "simulated_host/services.h"

namespace {

constexpr std::uint16_t kRead = 8;
constexpr std::uint16_t kWrite = 9;
constexpr std::int16_t kDone = 0;
constexpr std::int16_t kFailed = 1;

struct IniFile {
  std::vector<std::string> lines;  // without their line ends
  bool crlf = true;                // a new file gets Windows line ends
};

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::optional<IniFile> Load(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream content;
  content << in.rdbuf();
  const std::string text = content.str();
  IniFile file;
  file.crlf = text.find("\r\n") != std::string::npos || text.find('\n') == std::string::npos;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    file.lines.push_back(std::move(line));
    start = end + 1;
  }
  return file;
}

bool Save(const std::filesystem::path& path, const IniFile& file) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  const char* end = file.crlf ? "\r\n" : "\n";
  for (const std::string& line : file.lines)
    out << line << end;
  return static_cast<bool>(out.flush());
}

// The section's name when the line is a section header.
std::optional<std::string_view> SectionOf(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  const std::size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

struct KeyLine {
  std::string_view key;
  std::string_view value;
};

std::optional<KeyLine> KeyOf(std::string_view line) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';') return std::nullopt;
  const std::size_t equals = trimmed.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return KeyLine{Trim(trimmed.substr(0, equals)), Trim(trimmed.substr(equals + 1))};
}

// Where a section is: its header's line and the line after its last line.
struct SectionPlace {
  std::size_t header;
  std::size_t end;
};

std::optional<SectionPlace> FindSection(const IniFile& file, std::string_view section) {
  for (std::size_t i = 0; i < file.lines.size(); ++i) {
    const auto name = SectionOf(file.lines[i]);
    if (!name || !SameName(*name, section)) continue;
    std::size_t end = i + 1;
    while (end < file.lines.size() && !SectionOf(file.lines[end]))
      ++end;
    return SectionPlace{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> FindKey(const IniFile& file, const SectionPlace& place, std::string_view key) {
  for (std::size_t i = place.header + 1; i < place.end; ++i) {
    const auto line = KeyOf(file.lines[i]);
    if (line && SameName(line->key, key)) return i;
  }
  return std::nullopt;
}

bool IsIntegerFormat(std::string_view format) {
  return format == "%d" || format == "%i";
}

// The whole value as a 32-bit integer, or nothing when it is not one.
std::optional<std::int32_t> ParseInteger(std::string_view value) {
  if (value.empty()) return std::nullopt;
  const std::string text(value);
  char* end = nullptr;
  errno = 0;
  const long long number = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end != text.c_str() + text.size() || std::isspace(static_cast<unsigned char>(text[0])))
    return std::nullopt;
  if (number < std::numeric_limits<std::int32_t>::min() || number > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return static_cast<std::int32_t>(number);
}

std::int16_t Read(const std::filesystem::path& path, std::string_view section, std::string_view key,
                  std::string_view format, std::va_list arguments) {
  if (!IsIntegerFormat(format)) return kFailed;
  const auto file = Load(path);
  if (!file) return kFailed;
  const auto place = FindSection(*file, section);
  if (!place) return kFailed;
  const auto line = FindKey(*file, *place, key);
  if (!line) return kFailed;
  const auto number = ParseInteger(KeyOf(file->lines[*line])->value);
  if (!number) return kFailed;
  *va_arg(arguments, std::int32_t*) = *number;
  return kDone;
}

std::int16_t Write(const std::filesystem::path& path, std::string_view section, std::string_view key,
                   std::string_view format, std::va_list arguments) {
  if (!IsIntegerFormat(format)) return kFailed;
  const std::string value = std::to_string(va_arg(arguments, std::int32_t));
  IniFile file = Load(path).value_or(IniFile{});
  if (const auto place = FindSection(file, section)) {
    if (const auto line = FindKey(file, *place, key)) {
      // The key keeps the spelling it has in the file.
      file.lines[*line] = std::string(KeyOf(file.lines[*line])->key) + "=" + value;
    } else {
      // A new key goes after the section's last line that is not blank.
      std::size_t at = place->end;
      while (at > place->header + 1 && Trim(file.lines[at - 1]).empty())
        --at;
      file.lines.insert(file.lines.begin() + static_cast<std::ptrdiff_t>(at), std::string(key) + "=" + value);
    }
  } else {
    file.lines.push_back("[" + std::string(section) + "]");
    file.lines.push_back(std::string(key) + "=" + value);
  }
  return Save(path, file) ? kDone : kFailed;
}

}  // namespace

extern "C" std::int16_t KOMBREL_CDECL torval_ini_access(const char* file, std::uint16_t mode,
                                                        const char* section, const char* key,
                                                        const char* format, std::va_list arguments) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("ini_access");
  if (file == nullptr || section == nullptr || key == nullptr || format == nullptr) return kFailed;
  const std::filesystem::path path = host.folder / file;
  switch (mode) {
    case kRead:
      if (host.config.faults.ini_read_fails) return kFailed;
      return Read(path, section, key, format, arguments);
    case kWrite:
      if (host.config.faults.ini_write_fails) return kFailed;
      return Write(path, section, key, format, arguments);
    default:
      return kFailed;
  }
}

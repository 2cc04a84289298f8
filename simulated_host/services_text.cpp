// Texts, dates, amounts and code pages: str_copy_n, str_date_format, str_date_compare, num_scale and
// txt_convert. The host stores a date as "YYYYMMDD" and shows it as "DD.MM.YYYY".
#include <cstring>
#include <string>
#include <string_view>

#include "simulated_host/codepages.h"
#include "simulated_host/host.h"
#include "simulated_host/services.h"

namespace {

constexpr std::size_t kDateTextRoom = 12;  // the longest date text the host reads or writes

bool Digits(std::string_view text) {
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// A date of either form as YYYYMMDD, or empty when the text is neither form.
std::string SortKey(std::string_view text) {
  if (text.size() == 8 && Digits(text)) return std::string(text);
  if (text.size() == 10 && text[2] == '.' && text[5] == '.' && Digits(text.substr(0, 2)) &&
      Digits(text.substr(3, 2)) && Digits(text.substr(6, 4))) {
    return std::string(text.substr(6, 4)) + std::string(text.substr(3, 2)) + std::string(text.substr(0, 2));
  }
  return {};
}

std::string_view DateText(const char* text) {
  return text == nullptr ? std::string_view() : std::string_view(text, strnlen(text, kDateTextRoom));
}

// Orders an empty date before every date, dates chronologically, and texts of neither form after all
// dates, by their bytes.
int Rank(std::string_view text, const std::string& key) {
  if (text.empty()) return 0;
  return key.empty() ? 2 : 1;
}

}  // namespace

extern "C" char* KOMBREL_STDCALL torval_str_copy_n(char* destination, const char* source,
                                                   std::int32_t maximum) {
  simhost::Host::Current().Record("str_copy_n");
  const std::size_t length = maximum > 0 ? strnlen(source, static_cast<std::size_t>(maximum)) : 0;
  std::memmove(destination, source, length);
  destination[length] = '\0';
  return destination;
}

extern "C" std::int32_t KOMBREL_STDCALL torval_str_date_format(char* display, const char* stored) {
  simhost::Host::Current().Record("str_date_format");
  const std::string_view date(stored, strnlen(stored, 8));
  std::string text;
  if (date.size() == 8 && Digits(date)) {
    text = std::string(date.substr(6, 2)) + "." + std::string(date.substr(4, 2)) + "." +
           std::string(date.substr(0, 4));
  } else {
    text = std::string(date);  // not a stored date: shown as it stands
  }
  std::memcpy(display, text.data(), text.size());
  display[text.size()] = '\0';
  return 1;
}

extern "C" std::int32_t KOMBREL_STDCALL torval_str_date_compare(const char* a, const char* b) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("str_date_compare");
  ++host.date_compares;
  const std::string_view left = DateText(a);
  const std::string_view right = DateText(b);
  const std::string left_key = SortKey(left);
  const std::string right_key = SortKey(right);
  const int left_rank = Rank(left, left_key);
  const int right_rank = Rank(right, right_key);
  if (left_rank != right_rank) return left_rank < right_rank ? -1 : 1;
  const int order = left_rank == 1 ? left_key.compare(right_key) : left.compare(right);
  return order < 0 ? -1 : order > 0 ? 1 : 0;
}

extern "C" double KOMBREL_STDCALL torval_num_scale(double value, std::int32_t factor) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("num_scale");
  if (host.config.faults.num_scale_result) return *host.config.faults.num_scale_result;
  return factor == 0 ? 0.0 : value / factor;
}

extern "C" std::int32_t KOMBREL_STDCALL torval_txt_convert(char* destination, const char* source,
                                                           std::int32_t from, std::int32_t to) {
  simhost::Host::Current().Record("txt_convert");
  const std::string text(source);
  std::string converted = text;
  if (from == 1 && to == 3) converted = simhost::MazoviaToCp1250(text);
  std::memmove(destination, converted.data(), converted.size() + 1);
  return 1;
}

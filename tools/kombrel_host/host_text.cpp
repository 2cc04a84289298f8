// The host's texts made readable.
#include "tools/kombrel_host/host_text.h"

#include <algorithm>
#include <cstring>

#include "simulated_host/codepages.h"

namespace kombrel_host {
namespace {

constexpr char kOff = '\x01';

bool IsContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::vector<std::string> SplitFields(std::string_view text, char separator) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    fields.emplace_back(
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return fields;
    start = end + 1;
  }
}

}  // namespace

std::string FieldBytes(const char* field, std::size_t room) {
  return std::string(field, strnlen(field, room));
}

std::string FieldText(const char* field, std::size_t room) {
  return simhost::MazoviaToUtf8(FieldBytes(field, room));
}

std::size_t Columns(std::string_view utf8) {
  std::size_t columns = 0;
  for (char c : utf8)
    columns += IsContinuation(c) ? 0 : 1;
  return columns;
}

std::string Fit(std::string_view utf8, std::size_t columns, bool right) {
  std::string cut;
  std::size_t taken = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (!IsContinuation(utf8[i])) {
      if (taken == columns) break;
      ++taken;
    }
    cut += utf8[i];
  }
  const std::string padding(columns - taken, ' ');
  return right ? padding + cut : cut + padding;
}

MarkedText ParseMarkup(std::string_view text) {
  MarkedText out;
  if (text.size() >= 2 && text[0] == kOff && text[1] >= 'a' && text[1] <= 'z') {
    out.align = text[1];
    text.remove_prefix(2);
  }
  out.lines.emplace_back();
  Style style = Style::kPlain;
  std::string pending;  // Mazovia bytes of the current span
  auto flush = [&] {
    if (!pending.empty()) out.lines.back().push_back({simhost::MazoviaToUtf8(pending), style});
    pending.clear();
  };
  for (char c : text) {
    Style next = style;
    switch (c) {
      case '\x01':
        next = Style::kPlain;
        break;
      case '\x02':
        next = Style::kHighlight;
        break;
      case '\x03':
        next = Style::kThird;
        break;
      case '\x04':
        next = Style::kFourth;
        break;
      case '\x05':
        next = Style::kKey;
        break;
      case '\n':
        flush();
        out.lines.emplace_back();
        continue;
      default:
        pending += c;
        continue;
    }
    flush();
    style = next;
  }
  flush();
  return out;
}

std::string PlainText(std::string_view mazovia) {
  std::string out;
  const MarkedText marked = ParseMarkup(mazovia);
  for (std::size_t i = 0; i < marked.lines.size(); ++i) {
    if (i > 0) out += '\n';
    for (const Span& span : marked.lines[i])
      out += span.text;
  }
  return out;
}

std::size_t LineColumns(const std::vector<Span>& line) {
  std::size_t columns = 0;
  for (const Span& span : line)
    columns += Columns(span.text);
  return columns;
}

std::vector<Column> ParseColumns(std::string_view mazovia) {
  std::vector<Column> columns;
  for (const std::string& field : SplitFields(mazovia, '\r')) {
    Column column;
    std::size_t i = 0;
    if (i < field.size() && field[i] >= 'a' && field[i] <= 'z') column.align = field[i++];
    const std::size_t digits_from = i;
    if (i < field.size() && field[i] == '-') ++i;
    while (i < field.size() && field[i] >= '0' && field[i] <= '9')
      ++i;
    const std::string number = field.substr(digits_from, i - digits_from);
    column.width = number.empty() || number == "-" ? 0 : std::stoi(number);
    column.heading = simhost::MazoviaToUtf8(field.substr(i));
    columns.push_back(std::move(column));
  }
  return columns;
}

std::vector<int> SettleWidths(const std::vector<Column>& columns, int width) {
  int fixed = 0;
  int shared = 0;
  for (const Column& column : columns) {
    if (column.width < 0) {
      ++shared;
    } else {
      fixed += column.width;
    }
  }
  const int room = std::max(width - fixed, 0);
  std::vector<int> widths;
  int handed = 0;
  for (const Column& column : columns) {
    if (column.width >= 0) {
      widths.push_back(column.width);
      continue;
    }
    // The first shared columns take the remainder of an uneven split.
    const int share = room / shared + (handed < room % shared ? 1 : 0);
    ++handed;
    widths.push_back(share);
  }
  return widths;
}

namespace {

std::string Cell(std::string_view utf8, int width, bool right, bool last) {
  if (width <= 0) return {};
  // A blank between columns, unless this is the last one.
  const std::size_t room = static_cast<std::size_t>(last ? width : width - 1);
  return Fit(utf8, room, right) + (last ? "" : " ");
}

}  // namespace

std::string LayoutRow(const std::vector<Column>& columns, const std::vector<int>& widths,
                      std::string_view row) {
  const std::vector<std::string> fields = SplitFields(row, '\r');
  std::string out;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const std::string text = i < fields.size() ? PlainText(fields[i]) : std::string();
    out += Cell(text, widths[i], columns[i].align == 'p', i + 1 == columns.size());
  }
  for (std::size_t i = columns.size(); i < fields.size(); ++i)
    out += " " + PlainText(fields[i]);
  return out;
}

std::string LayoutHeadings(const std::vector<Column>& columns, const std::vector<int>& widths) {
  std::string out;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const bool right = columns[i].align == 'p';
    const bool last = i + 1 == columns.size();
    // A right-aligned heading as wide as its whole column takes the blank left of it, so that it ends
    // where the column's values end.
    if (right && !last && widths[i] > 0 && static_cast<int>(Columns(columns[i].heading)) == widths[i] &&
        !out.empty() && out.back() == ' ') {
      out.pop_back();
      out += columns[i].heading + " ";
      continue;
    }
    out += Cell(columns[i].heading, widths[i], right, last);
  }
  return out;
}

}  // namespace kombrel_host

// The host's texts made readable.
#include "tools/kombrel_host/host_text.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

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

namespace {

struct TabStop {
  char align;  // 'l': the cell starts at the column, 'p': it ends there
  int column;
};

// A layout sequence "\x01t" + stops + "\x01" at the start of a line, as "\x01tl18l33\x01": its stops, and
// how many bytes it takes. Nothing when the line does not open with one.
std::optional<std::pair<std::vector<TabStop>, std::size_t>> LayoutSequence(std::string_view line) {
  if (line.size() < 3 || line[0] != kOff || line[1] != 't') return std::nullopt;
  const std::size_t close = line.find(kOff, 2);
  if (close == std::string_view::npos) return std::nullopt;
  std::vector<TabStop> stops;
  std::size_t i = 2;
  while (i < close) {
    if (line[i] != 'l' && line[i] != 'p') return std::nullopt;
    TabStop stop{line[i++], 0};
    const std::size_t digits = i;
    while (i < close && line[i] >= '0' && line[i] <= '9')
      stop.column = stop.column * 10 + (line[i++] - '0');
    if (i == digits) return std::nullopt;
    stops.push_back(stop);
  }
  return std::make_pair(std::move(stops), close + 1);
}

// One line's markup as spans; `style` carries over from line to line.
std::vector<Span> LineSpans(std::string_view line, Style& style) {
  std::vector<Span> spans;
  std::string pending;  // Mazovia bytes of the current span
  auto flush = [&] {
    if (!pending.empty()) spans.push_back({simhost::MazoviaToUtf8(pending), style});
    pending.clear();
  };
  for (char c : line) {
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
      default:
        pending += c;
        continue;
    }
    flush();
    style = next;
  }
  flush();
  return spans;
}

// A line whose cells are separated by tabs, laid out at its stops; without stops a tab moves to the next
// multiple of 8. A cell that does not reach its stop in time is kept one blank after the one before.
std::vector<Span> TabbedLine(std::string_view line, const std::vector<TabStop>& stops, Style& style) {
  std::vector<Span> out;
  std::size_t column = 0;
  std::size_t cell_start = 0;
  for (std::size_t cell = 0;; ++cell) {
    const std::size_t end = line.find('\t', cell_start);
    const std::string_view text =
        line.substr(cell_start, end == std::string_view::npos ? std::string_view::npos : end - cell_start);
    std::vector<Span> spans = LineSpans(text, style);
    const std::size_t width = LineColumns(spans);
    if (cell > 0) {
      std::size_t target = (column / 8 + 1) * 8;
      if (cell - 1 < stops.size()) {
        const TabStop& stop = stops[cell - 1];
        const auto at = static_cast<std::size_t>(std::max(stop.column, 0));
        target = stop.align == 'p' ? (at > width ? at - width : 0) : at;
      }
      const std::size_t pad = target > column ? target - column : (column > 0 ? 1 : 0);
      out.push_back({std::string(pad, ' '), Style::kPlain});
      column += pad;
    }
    out.insert(out.end(), spans.begin(), spans.end());
    column += width;
    if (end == std::string_view::npos) break;
    cell_start = end + 1;
  }
  return out;
}

}  // namespace

MarkedText ParseMarkup(std::string_view text) {
  MarkedText out;
  if (text.size() >= 2 && text[0] == kOff && text[1] >= 'a' && text[1] <= 'z' && !LayoutSequence(text)) {
    out.align = text[1];
    text.remove_prefix(2);
  }
  Style style = Style::kPlain;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    std::string_view line =
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    std::vector<TabStop> stops;
    if (const auto layout = LayoutSequence(line)) {
      stops = layout->first;
      line.remove_prefix(layout->second);
    }
    out.lines.push_back(line.find('\t') == std::string_view::npos ? LineSpans(line, style)
                                                                  : TabbedLine(line, stops, style));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
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

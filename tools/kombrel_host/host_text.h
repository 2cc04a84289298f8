// The host's texts made readable: record fields, the host's markup bytes, display widths and the
// column layout of a list, for the outputs and the terminal host alike.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kombrel_host {

// A record field's bytes up to its NUL, or the whole field when it has none.
std::string FieldBytes(const char* field, std::size_t room);
template <std::size_t N>
std::string FieldBytes(const char (&field)[N]) {
  return FieldBytes(field, N);
}
// The same, decoded from Mazovia to UTF-8.
std::string FieldText(const char* field, std::size_t room);
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
  return FieldText(field, N);
}

// Display columns of a UTF-8 text: one per character (every character of the host's code page takes
// one column), whatever its length in bytes.
std::size_t Columns(std::string_view utf8);
// The text cut to `columns` characters and padded with blanks to exactly that many, on the right or,
// when `right` is set, on the left.
std::string Fit(std::string_view utf8, std::size_t columns, bool right = false);

// The host's markup: \x02 switches highlighting on, \x05 (keys), \x03 and \x04 switch on other styles,
// \x01 switches back to plain; a text may open with \x01 and a letter that sets its alignment
// (p: right, c: centred). Newlines break lines. A line may open with a layout sequence, "\x01t" and tab
// stops up to the next \x01 ("\x01tl18l33\x01": cells start at columns 18 and 33; p: a cell ends at its
// column); the line's tab-separated cells are laid out at those stops.
enum class Style { kPlain, kHighlight, kKey, kThird, kFourth };
struct Span {
  std::string text;  // UTF-8
  Style style = Style::kPlain;
};
struct MarkedText {
  char align = 'l';                      // 'l', 'p' or 'c'
  std::vector<std::vector<Span>> lines;  // at least one line
};
MarkedText ParseMarkup(std::string_view mazovia);
// The text without its markup, lines joined by newlines, in UTF-8.
std::string PlainText(std::string_view mazovia);
std::size_t LineColumns(const std::vector<Span>& line);

// The column line of a list: columns separated by carriage returns, each an alignment letter (l, or p
// for right), a width (-1: the room the fixed widths leave) and a heading.
struct Column {
  char align = 'l';
  int width = 0;
  std::string heading;  // UTF-8
};
std::vector<Column> ParseColumns(std::string_view mazovia);
// The widths for a list `width` columns wide: every column of width -1 shares what the others leave.
std::vector<int> SettleWidths(const std::vector<Column>& columns, int width);
// One row of the list (fields separated by carriage returns, Mazovia) laid out in the columns, each field
// cut to leave a blank before the next column. Rows with more fields than columns show them past the end.
std::string LayoutRow(const std::vector<Column>& columns, const std::vector<int>& widths,
                      std::string_view row);
std::string LayoutHeadings(const std::vector<Column>& columns, const std::vector<int>& widths);

}  // namespace kombrel_host

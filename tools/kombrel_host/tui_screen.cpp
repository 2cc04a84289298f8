// The terminal host's screen.
#include "tools/kombrel_host/tui_screen.h"

#include <algorithm>
#include <clocale>

#include "simulated_host/codepages.h"

namespace kombrel_host {
namespace {

enum Pair : short {
  kPairForm = 1,
  kPairFormHighlight,
  kPairFormKey,
  kPairField,
  kPairCursor,
  kPairBox,
  kPairBoxHighlight,
  kPairTitleBar,
};

constexpr std::int32_t kNoteFlag = 0x200;  // ui_message: leave the note up and return at once

}  // namespace

Screen::Screen() {
  std::setlocale(LC_ALL, "");
  initscr();
  raw();
  noecho();
  keypad(stdscr, TRUE);
  set_escdelay(25);
  curs_set(0);
  // Terminals that report modified keys send Ctrl+5 as one of these.
  define_key("\x1b[53;5u", kKeyCtrl5);
  define_key("\x1b[27;5;53~", kKeyCtrl5);
  colours_ = has_colors();
  if (colours_) {
    start_color();
    use_default_colors();
    init_pair(kPairForm, COLOR_WHITE, COLOR_BLUE);
    init_pair(kPairFormHighlight, COLOR_YELLOW, COLOR_BLUE);
    init_pair(kPairFormKey, COLOR_CYAN, COLOR_BLUE);
    init_pair(kPairField, COLOR_BLACK, COLOR_CYAN);
    init_pair(kPairCursor, COLOR_BLACK, COLOR_WHITE);
    init_pair(kPairBox, COLOR_BLACK, COLOR_WHITE);
    init_pair(kPairBoxHighlight, COLOR_RED, COLOR_WHITE);
    init_pair(kPairTitleBar, COLOR_BLACK, COLOR_CYAN);
  }
}

Screen::~Screen() {
  endwin();
}

attr_t Screen::Attr(Look look) const {
  if (!colours_) {
    switch (look) {
      case Look::kTitleBar:
      case Look::kCursor:
        return A_REVERSE;
      case Look::kField:
        return A_UNDERLINE;
      case Look::kFormTitle:
      case Look::kBoxTitle:
        return A_BOLD;
      default:
        return A_NORMAL;
    }
  }
  switch (look) {
    case Look::kScreen:
      return A_NORMAL;
    case Look::kTitleBar:
      return COLOR_PAIR(kPairTitleBar);
    case Look::kForm:
      return COLOR_PAIR(kPairForm);
    case Look::kFormTitle:
      return COLOR_PAIR(kPairForm) | A_BOLD;
    case Look::kField:
      return COLOR_PAIR(kPairField);
    case Look::kCursor:
      return COLOR_PAIR(kPairCursor);
    case Look::kBox:
      return COLOR_PAIR(kPairBox);
    case Look::kBoxTitle:
      return COLOR_PAIR(kPairBox) | A_BOLD;
  }
  return A_NORMAL;
}

attr_t Screen::StyleAttr(Style style, Look look) const {
  const attr_t base = Attr(look);
  if (style == Style::kPlain) return base;
  if (!colours_ || look == Look::kCursor || look == Look::kField || look == Look::kScreen ||
      look == Look::kTitleBar) {
    return base | (style == Style::kThird ? A_UNDERLINE : A_BOLD);
  }
  const bool box = look == Look::kBox || look == Look::kBoxTitle;
  switch (style) {
    case Style::kHighlight:
      return (box ? COLOR_PAIR(kPairBoxHighlight) : COLOR_PAIR(kPairFormHighlight)) | A_BOLD;
    case Style::kKey:
      return (box ? COLOR_PAIR(kPairBoxHighlight) : COLOR_PAIR(kPairFormKey)) | A_BOLD;
    case Style::kThird:
      return base | A_UNDERLINE;
    default:
      return base | A_BOLD;
  }
}

void Screen::DrawText(WINDOW* window, int y, int x, int width, const std::string& utf8, attr_t attr) const {
  if (width <= 0) return;
  wattrset(window, attr);
  mvwaddstr(window, y, x, Fit(utf8, static_cast<std::size_t>(width)).c_str());
}

void Screen::DrawMarked(WINDOW* window, int y, int x, int width, const std::vector<Span>& line, char align,
                        Look look) const {
  if (width <= 0) return;
  const int columns = static_cast<int>(LineColumns(line));
  int start = 0;
  if (align == 'p') start = std::max(width - columns, 0);
  if (align == 'c') start = std::max((width - columns) / 2, 0);
  wattrset(window, Attr(look));
  mvwaddstr(window, y, x, std::string(static_cast<std::size_t>(width), ' ').c_str());
  int at = start;
  for (const Span& span : line) {
    const int room = width - at;
    if (room <= 0) break;
    const int length =
        static_cast<int>(std::min<std::size_t>(Columns(span.text), static_cast<std::size_t>(room)));
    wattrset(window, StyleAttr(span.style, look));
    mvwaddstr(window, y, x + at, Fit(span.text, static_cast<std::size_t>(length)).c_str());
    at += length;
  }
}

void Screen::Redraw() {
  erase();
  wnoutrefresh(stdscr);
  for (const auto& draw : layers_)
    draw();
  doupdate();
}

void Screen::Box(const std::string& title, const MarkedText& text, const std::string& footer, bool wait) {
  int inner = static_cast<int>(std::max(Columns(title) + 4, Columns(footer)));
  for (const auto& line : text.lines)
    inner = std::max(inner, static_cast<int>(LineColumns(line)));
  inner = std::min(std::max(inner, 20), std::max(COLS - 6, 10));
  const int lines = std::min(static_cast<int>(text.lines.size()), std::max(LINES - 6, 1));
  const int height = lines + 4;
  const int width = inner + 4;
  WINDOW* window = newwin(height, width, std::max((LINES - height) / 2, 0), std::max((COLS - width) / 2, 0));
  wbkgdset(window, ' ' | Attr(Look::kBox));
  werase(window);
  wattrset(window, Attr(Look::kBox));
  box(window, 0, 0);
  if (!title.empty()) {
    const std::string shown = " " + title + " ";
    DrawText(window, 0, 2, std::min(static_cast<int>(Columns(shown)), inner), shown, Attr(Look::kBoxTitle));
  }
  for (int i = 0; i < lines; ++i)
    DrawMarked(window, 1 + i, 2, inner, text.lines[static_cast<std::size_t>(i)], text.align, Look::kBox);
  if (!footer.empty()) DrawText(window, height - 2, 2, inner, footer, Attr(Look::kBoxTitle));
  wnoutrefresh(window);
  doupdate();
  if (wait) {
    for (;;) {
      const int key = Key();
      if (key == '\n' || key == '\r' || key == KEY_ENTER || key == 27 || key == ' ') break;
    }
  }
  delwin(window);
  if (wait) Redraw();
}

void Screen::ShowMessage(const simhost::Message& message) {
  const bool note = message.kind == "ui_message" && (message.flags & kNoteFlag) != 0;
  const std::string close = "Enter: close";
  if (message.kind == "message_box") {
    // The missing-entry box: the plug-in converted its text for Windows; the answer is the scenario's.
    MarkedText text;
    for (const std::string& line : {simhost::Cp1250ToUtf8(message.text)}) {
      std::size_t start = 0;
      for (;;) {
        const std::size_t end = line.find('\n', start);
        text.lines.push_back({{line.substr(start, end == std::string::npos ? std::string::npos : end - start),
                               Style::kPlain}});
        if (end == std::string::npos) break;
        start = end + 1;
      }
    }
    Box(simhost::Cp1250ToUtf8(message.title), text,
        "answered \"" + message.answer + "\" (scenario)   " + close, true);
    return;
  }
  MarkedText text = ParseMarkup(message.text);
  while (text.lines.size() > 1 && text.lines.back().empty())
    text.lines.pop_back();
  std::string title = PlainText(message.title);
  if (message.kind == "ui_alert") title = "Alert";
  if (message.kind == "ui_host_dialog") title = "Dialog " + std::to_string(message.flags);
  Box(title, text, note ? "" : close, !note);
}

int Screen::Key() {
  const int key = getch();
  if (key == kKeyCtrlRightBracket) return kKeyCtrl5;
  return key;
}

}  // namespace kombrel_host

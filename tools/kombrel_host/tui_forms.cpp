// The terminal host's form engine.
//
// A form is drawn from its record of the plug-in's form table: the header item gives the size and the
// title, texts and buttons are drawn with their markup, the column line (kind 4) heads the list (kind
// 6), edit fields (kind 5) take typed values. Keys are matched by the PC BIOS codes the items carry.
#include "tools/kombrel_host/tui_forms.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>

#include "simulated_host/codepages.h"
#include "simulated_host/forms.h"

namespace kombrel_host {
namespace {

constexpr std::int16_t kButton = 0;
constexpr std::int16_t kText = 3;
constexpr std::int16_t kColumnLine = 4;
constexpr std::int16_t kEdit = 5;
constexpr std::int16_t kList = 6;
constexpr std::int16_t kFrame = 7;

constexpr std::uint16_t kOk = 0x5001;            // the OK buttons' code: the form was accepted
constexpr std::int32_t kLeft = 0x011B;           // Esc: the user left the form
constexpr std::uint16_t kToKeyHandler = 0x0080;  // a button whose code goes to the key handler
constexpr std::uint16_t kInsertKey = 0x5200;
constexpr std::uint16_t kOkHotKey = 0x5500;  // the OK buttons' hot key, the key their texts call F12
constexpr std::uint16_t kDateType = 0x0208;
constexpr std::intptr_t kMostRows = 32767;  // rows are addressed by signed 16-bit numbers

// The host's code of a key the forms may name; nullopt for keys the forms do not use.
std::optional<std::uint16_t> HostKeyCode(int key) {
  if (key >= KEY_F(1) && key <= KEY_F(10))
    return static_cast<std::uint16_t>(0x3B00 + 0x100 * (key - KEY_F(1)));
  if (key == KEY_F(12)) return kOkHotKey;
  if (key == KEY_IC) return kInsertKey;
  return std::nullopt;
}

bool IsDateField(const simhost::FormItem& item) {
  return item.type_block.size() > 5 && item.type_block[5] == kDateType;
}

bool ValidDate(const std::string& digits) {  // DDMMYYYY
  if (digits.size() != 8) return false;
  const int day = std::stoi(digits.substr(0, 2));
  const int month = std::stoi(digits.substr(2, 2));
  const int year = std::stoi(digits.substr(4, 4));
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return year >= 1 && month >= 1 && month <= 12 && day >= 1 &&
         day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

class TerminalForm {
 public:
  TerminalForm(Screen& screen, simhost::Host& host, simhost::Form form, void* data,
               FormKeyHandler key_handler, FormRowProvider row_provider)
      : screen_(screen),
        host_(host),
        form_(std::move(form)),
        data_(static_cast<char*>(data)),
        key_handler_(key_handler),
        row_provider_(row_provider) {
    std::size_t slot = 0;
    for (std::size_t i = 0; i < form_.items.size(); ++i) {
      const simhost::FormItem& item = form_.items[i];
      switch (item.kind) {
        case kEdit:
          slots_[i] = slot;
          values_[i] = InitialValue(item, slot);
          slot += item.value_length() + 1u;
          focusable_.push_back(i);
          break;
        case kList:
          if (!list_) list_ = i;
          focusable_.push_back(i);
          break;
        case kButton:
          focusable_.push_back(i);
          break;
        case kColumnLine:
          if (!column_line_) column_line_ = i;
          break;
        default:
          break;
      }
    }
    if (list_) {
      host_.list_current_row = 0;
      LoadRows();
    }
  }

  std::int32_t Run() {
    const int height = form_.header.height;
    const int width = form_.header.width;
    window_ = newwin(height, width, std::max((LINES - height) / 2, 0), std::max((COLS - width) / 2, 0));
    screen_.Push([this] { Draw(); });
    std::int32_t result = kLeft;
    for (;;) {
      screen_.Redraw();
      const int key = screen_.Key();
      if (const auto end = Handle(key)) {
        result = *end;
        break;
      }
    }
    curs_set(0);
    screen_.Pop();
    delwin(window_);
    screen_.Redraw();
    return result;
  }

 private:
  // --- values -------------------------------------------------------------------------------------

  // A date field shows what the buffer holds ("YYYYMMDD") as the user types it: DDMMYYYY.
  std::string InitialValue(const simhost::FormItem& item, std::size_t slot) const {
    if (data_ == nullptr) return {};
    const std::string stored(data_ + slot, strnlen(data_ + slot, item.value_length()));
    if (!IsDateField(item)) return simhost::MazoviaToUtf8(stored);
    if (stored.size() != 8) return {};
    return stored.substr(6, 2) + stored.substr(4, 2) + stored.substr(0, 4);
  }

  std::string Shown(const simhost::FormItem& item, const std::string& value) const {
    if (!IsDateField(item)) return value;
    std::string digits = value + std::string(8 - value.size(), '_');
    return digits.substr(0, 2) + "." + digits.substr(2, 2) + "." + digits.substr(4, 4);
  }

  // Checks every edit field and stores the values in the data buffer. False, with the focus on the
  // field, when a field holds something the host cannot store.
  bool StoreValues() {
    for (const auto& [index, value] : values_) {
      const simhost::FormItem& item = form_.items[index];
      if (IsDateField(item) && !value.empty() && !ValidDate(value)) {
        Focus(index);
        beep();
        return false;
      }
    }
    if (data_ == nullptr) return true;
    for (const auto& [index, value] : values_) {
      const simhost::FormItem& item = form_.items[index];
      char* slot = data_ + slots_[index];
      std::memset(slot, 0, item.value_length() + 1u);
      const std::string stored = IsDateField(item) && !value.empty()
                                     ? value.substr(4, 4) + value.substr(2, 2) + value.substr(0, 2)
                                     : simhost::Utf8ToMazovia(value);
      std::memcpy(slot, stored.data(), std::min<std::size_t>(stored.size(), item.value_length()));
    }
    return true;
  }

  void Type(std::size_t index, int key) {
    const simhost::FormItem& item = form_.items[index];
    std::string& value = values_[index];
    if (key == KEY_BACKSPACE || key == 127 || key == 8) {
      if (!value.empty()) value.pop_back();
      return;
    }
    if (IsDateField(item)) {
      if (key >= '0' && key <= '9' && value.size() < 8) value += static_cast<char>(key);
      return;
    }
    if (key >= ' ' && key < 127 && value.size() < item.value_length()) value += static_cast<char>(key);
  }

  // --- the list -----------------------------------------------------------------------------------

  void LoadRows() {
    rows_.clear();
    const std::intptr_t count = row_provider_ == nullptr ? 0 : row_provider_(-1, 0);
    for (std::intptr_t row = 0; row < std::clamp<std::intptr_t>(count, 0, kMostRows); ++row) {
      // The row text lives in the plug-in's buffer until the next request: copied at once.
      const auto* text = reinterpret_cast<const char*>(row_provider_(static_cast<std::int16_t>(row), 0));
      rows_.emplace_back(text == nullptr ? "" : text);
    }
    host_.list_rows = rows_;
    current_ =
        std::clamp<int>(host_.list_current_row, 0, std::max<int>(static_cast<int>(rows_.size()) - 1, 0));
  }

  void MoveRow(int by) {
    if (rows_.empty()) return;
    current_ = std::clamp(current_ + by, 0, static_cast<int>(rows_.size()) - 1);
  }

  // Hands a code to the plug-in's key handler; a list code back means the list changed.
  void ToKeyHandler(std::uint16_t code) {
    if (key_handler_ == nullptr) return;
    host_.list_current_row = static_cast<std::int16_t>(current_);
    const std::int32_t answer = key_handler_(static_cast<std::int16_t>(code), 0);
    if (list_ && answer != 0 && static_cast<std::uint16_t>(answer) == form_.items[*list_].item_code)
      LoadRows();
  }

  // --- focus and keys -----------------------------------------------------------------------------

  std::optional<std::size_t> Focused() const {
    if (focusable_.empty()) return std::nullopt;
    return focusable_[focus_];
  }
  void Focus(std::size_t item) {
    for (std::size_t i = 0; i < focusable_.size(); ++i) {
      if (focusable_[i] == item) focus_ = i;
    }
  }
  void MoveFocus(int by) {
    if (focusable_.empty()) return;
    const int count = static_cast<int>(focusable_.size());
    focus_ = static_cast<std::size_t>(((static_cast<int>(focus_) + by) % count + count) % count);
  }

  // A button pressed: its code goes to the key handler, or it ends the form.
  std::optional<std::int32_t> Press(std::size_t index) {
    const simhost::FormItem& button = form_.items[index];
    if ((button.flags & kToKeyHandler) != 0) {
      ToKeyHandler(button.item_code);
      return std::nullopt;
    }
    if (!StoreValues()) return std::nullopt;
    return static_cast<std::int32_t>(button.item_code);
  }

  std::optional<std::int32_t> Accept() {
    for (std::size_t i = 0; i < form_.items.size(); ++i) {
      if (form_.items[i].kind == kButton && form_.items[i].item_code == kOk) return Press(i);
    }
    return std::nullopt;
  }

  std::optional<std::int32_t> HostKey(std::uint16_t code) {
    // Insert belongs to the key handler; a button with the code or the hot key is pressed; a text that
    // names the key moves the focus to the field after it.
    if (code == kInsertKey && key_handler_ != nullptr) {
      ToKeyHandler(code);
      return std::nullopt;
    }
    for (std::size_t i = 0; i < form_.items.size(); ++i) {
      const simhost::FormItem& item = form_.items[i];
      if (item.kind == kButton && (item.hot_key == code || item.item_code == code)) return Press(i);
    }
    for (std::size_t i = 0; i < form_.items.size(); ++i) {
      const simhost::FormItem& item = form_.items[i];
      if (item.kind != kText || (item.item_code != code && item.hot_key != code)) continue;
      for (std::size_t next : focusable_) {
        if (next > i) {
          Focus(next);
          break;
        }
      }
      return std::nullopt;
    }
    if (code == kOkHotKey) return Accept();
    return std::nullopt;
  }

  std::optional<std::int32_t> Handle(int key) {
    const auto focused = Focused();
    const bool in_list = focused && list_ && *focused == *list_;
    const bool in_edit = focused && form_.items[*focused].kind == kEdit;
    if (const auto code = HostKeyCode(key)) return HostKey(*code);
    switch (key) {
      case 27:
        return kLeft;
      case '\n':
      case '\r':
      case KEY_ENTER:
        if (focused && form_.items[*focused].kind == kButton) return Press(*focused);
        return Accept();
      case '\t':
        MoveFocus(1);
        return std::nullopt;
      case KEY_BTAB:
        MoveFocus(-1);
        return std::nullopt;
      case KEY_DOWN:
        in_list ? MoveRow(1) : MoveFocus(1);
        return std::nullopt;
      case KEY_UP:
        in_list ? MoveRow(-1) : MoveFocus(-1);
        return std::nullopt;
      case KEY_NPAGE:
        if (in_list) MoveRow(form_.items[*list_].height);
        return std::nullopt;
      case KEY_PPAGE:
        if (in_list) MoveRow(-form_.items[*list_].height);
        return std::nullopt;
      case KEY_HOME:
        if (in_list) current_ = 0;
        return std::nullopt;
      case KEY_END:
        if (in_list) MoveRow(static_cast<int>(rows_.size()));
        return std::nullopt;
      case KEY_LEFT:
      case KEY_RIGHT:
        if (!in_list && !in_edit) MoveFocus(key == KEY_RIGHT ? 1 : -1);
        return std::nullopt;
      default:
        if (in_edit) Type(*focused, key);
        return std::nullopt;
    }
  }

  // --- drawing ------------------------------------------------------------------------------------

  void Draw() {
    const int height = form_.header.height;
    const int width = form_.header.width;
    mvwin(window_, std::max((LINES - height) / 2, 0), std::max((COLS - width) / 2, 0));
    wbkgdset(window_, ' ' | screen_.Attr(Look::kForm));
    werase(window_);
    wattrset(window_, screen_.Attr(Look::kForm));
    box(window_, 0, 0);
    const MarkedText title = ParseMarkup(form_.header.text);
    if (!title.lines.empty()) {
      const int columns = static_cast<int>(LineColumns(title.lines[0])) + 2;
      std::vector<Span> line = {{" ", Style::kPlain}};
      line.insert(line.end(), title.lines[0].begin(), title.lines[0].end());
      line.push_back({" ", Style::kPlain});
      screen_.DrawMarked(window_, 0, std::max((width - columns) / 2, 1), std::min(columns, width - 2), line,
                         'l', Look::kFormTitle);
    }
    std::vector<Column> columns;
    std::vector<int> widths;
    if (column_line_) {
      const simhost::FormItem& line = form_.items[*column_line_];
      columns = ParseColumns(line.text);
      widths = SettleWidths(columns, list_ ? form_.items[*list_].width : line.width);
    }
    int cursor_y = -1;
    int cursor_x = -1;
    for (std::size_t i = 0; i < form_.items.size(); ++i) {
      const simhost::FormItem& item = form_.items[i];
      const bool focused = Focused() == i;
      switch (item.kind) {
        case kText:
        case kButton: {
          const MarkedText text = ParseMarkup(item.text);
          const Look look = focused ? Look::kCursor : Look::kForm;
          for (std::size_t line = 0;
               line < text.lines.size() && line < static_cast<std::size_t>(std::max<int>(item.height, 1));
               ++line)
            screen_.DrawMarked(window_, item.y + static_cast<int>(line), item.x, item.width, text.lines[line],
                               text.align, look);
          break;
        }
        case kColumnLine:
          screen_.DrawText(window_, item.y, item.x, item.width, LayoutHeadings(columns, widths),
                           screen_.Attr(Look::kFormTitle));
          break;
        case kEdit: {
          const std::string shown = Shown(item, values_[i]);
          screen_.DrawText(window_, item.y, item.x, item.width, " " + shown,
                           screen_.Attr(focused ? Look::kCursor : Look::kField));
          if (focused) {
            cursor_y = item.y;
            const std::size_t typed = values_[i].size();
            cursor_x =
                item.x + 1 +
                static_cast<int>(IsDateField(item) ? typed + std::min<std::size_t>(typed / 2, 2) : typed);
          }
          break;
        }
        case kList:
          DrawList(item, columns, widths, focused);
          break;
        case kFrame:
          DrawFrame(item);
          break;
        default:
          break;
      }
    }
    if (cursor_y >= 0) {
      curs_set(1);
      wmove(window_, cursor_y, cursor_x);
    } else {
      curs_set(0);
    }
    wnoutrefresh(window_);
  }

  void DrawList(const simhost::FormItem& item, const std::vector<Column>& columns,
                const std::vector<int>& widths, bool focused) {
    const int height = std::max<int>(item.height, 1);
    if (current_ < top_) top_ = current_;
    if (current_ >= top_ + height) top_ = current_ - height + 1;
    for (int line = 0; line < height; ++line) {
      const int row = top_ + line;
      std::string text;
      if (row < static_cast<int>(rows_.size()))
        text = columns.empty() ? PlainText(rows_[static_cast<std::size_t>(row)])
                               : LayoutRow(columns, widths, rows_[static_cast<std::size_t>(row)]);
      const Look look =
          row == current_ && !rows_.empty() ? (focused ? Look::kCursor : Look::kField) : Look::kForm;
      screen_.DrawText(window_, item.y + line, item.x, item.width, text, screen_.Attr(look));
    }
  }

  void DrawFrame(const simhost::FormItem& item) {
    if (item.width < 2 || item.height < 2) return;
    wattrset(window_, screen_.Attr(Look::kForm));
    mvwhline(window_, item.y, item.x + 1, ACS_HLINE, item.width - 2);
    mvwhline(window_, item.y + item.height - 1, item.x + 1, ACS_HLINE, item.width - 2);
    mvwvline(window_, item.y + 1, item.x, ACS_VLINE, item.height - 2);
    mvwvline(window_, item.y + 1, item.x + item.width - 1, ACS_VLINE, item.height - 2);
    mvwaddch(window_, item.y, item.x, ACS_ULCORNER);
    mvwaddch(window_, item.y, item.x + item.width - 1, ACS_URCORNER);
    mvwaddch(window_, item.y + item.height - 1, item.x, ACS_LLCORNER);
    mvwaddch(window_, item.y + item.height - 1, item.x + item.width - 1, ACS_LRCORNER);
  }

  Screen& screen_;
  simhost::Host& host_;
  simhost::Form form_;
  char* data_;
  FormKeyHandler key_handler_;
  FormRowProvider row_provider_;
  WINDOW* window_ = nullptr;

  std::vector<std::size_t> focusable_;  // items in order: edit fields, the list, buttons
  std::size_t focus_ = 0;
  std::map<std::size_t, std::string> values_;  // edit field → what the user typed
  std::map<std::size_t, std::size_t> slots_;   // edit field → its place in the data buffer
  std::optional<std::size_t> list_;
  std::optional<std::size_t> column_line_;
  std::vector<std::string> rows_;  // Mazovia, as the row provider gave them
  int current_ = 0;
  int top_ = 0;
};

}  // namespace

std::int32_t RunTerminalForm(Screen& screen, simhost::Host& host, const void* form_table,
                             std::int32_t form_id, void* data, FormKeyHandler key_handler,
                             FormRowProvider row_provider) {
  std::string error;
  auto form = simhost::FindForm(form_table, static_cast<std::uint16_t>(form_id), &error);
  if (!form) {
    host.Violation("ui_form_run(" + std::to_string(form_id) + "): " + error);
    screen.Box("Form engine", ParseMarkup("Form " + std::to_string(form_id) + " cannot be shown: " + error),
               "Enter: close", true);
    return kLeft;
  }
  return TerminalForm(screen, host, std::move(*form), data, key_handler, row_provider).Run();
}

}  // namespace kombrel_host

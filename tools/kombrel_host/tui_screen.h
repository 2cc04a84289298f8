// The terminal host's screen: colours for the host's markup, a stack of layers that are drawn again
// when a box closes, message boxes, and the keys as the host's forms name them.
#pragma once

#include <curses.h>

#include <functional>
#include <string>
#include <vector>

#include "simulated_host/host.h"
#include "tools/kombrel_host/host_text.h"

namespace kombrel_host {

// Keys of our own that ncurses does not name.
inline constexpr int kKeyCtrl5 = KEY_MAX + 1;      // the escape sequences some terminals send for Ctrl+5
inline constexpr int kKeyCtrlRightBracket = 0x1D;  // what most terminals send for Ctrl+5

enum class Look {
  kScreen,     // the host's own screen
  kTitleBar,   // its title and key lines
  kForm,       // a form's face
  kFormTitle,  // a form's title
  kField,      // an edit field
  kCursor,     // the list's current row, a focused button
  kBox,        // a message box
  kBoxTitle,
};

class Screen {
 public:
  Screen();   // starts curses
  ~Screen();  // ends it
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  attr_t Attr(Look look) const;
  // The attribute of a markup style on a face of `look`.
  attr_t StyleAttr(Style style, Look look) const;

  // Draws one line of marked text at (y, x) within `width` columns, aligned as the text says.
  void DrawMarked(WINDOW* window, int y, int x, int width, const std::vector<Span>& line, char align,
                  Look look) const;
  // Draws plain UTF-8 text cut to `width` columns.
  void DrawText(WINDOW* window, int y, int x, int width, const std::string& utf8, attr_t attr) const;

  // Layers: what is on the screen from the bottom up; each draws itself on request.
  void Push(std::function<void()> draw) { layers_.push_back(std::move(draw)); }
  void Pop() { layers_.pop_back(); }
  void Redraw();

  // A message box. `wait`: until the user closes it with Enter, Esc or a blank; otherwise it stays on
  // the screen until the next redraw (a note that the host takes back itself).
  void Box(const std::string& title, const MarkedText& text, const std::string& footer, bool wait);
  // A message the plug-in shows, as the host shows it.
  void ShowMessage(const simhost::Message& message);

  // The next key; ncurses codes, kKeyCtrl5 for Ctrl+5 however the terminal sends it.
  int Key();

 private:
  std::vector<std::function<void()>> layers_;
  bool colours_ = false;
};

}  // namespace kombrel_host

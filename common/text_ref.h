// TextRef: one pointer to a NUL-terminated text, the way the plug-in's helpers take their texts.
#pragma once

#include <cstddef>

#include "common/mazovia.h"

class TextRef {
 public:
  constexpr explicit TextRef(const char* text) : text_(text) {}
  template <std::size_t Length>
  constexpr TextRef(const MazoviaText<Length>& text) : text_(text.c_str()) {}  // NOLINT: a text is a TextRef

  constexpr const char* get() const { return text_; }

 private:
  const char* text_;  // not owned
};

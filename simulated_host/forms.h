// The host's form engine reads a plug-in's form table: a 32-bit size word, then form records back to
// back, each a body length, an item count, a header item and its items. This is the reading of it that
// the scripted and the interactive form engines share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simulated_host/api.h"

namespace simhost {

struct FormItem {
  std::int16_t kind = 0;  // -1 header, 0 button, 3 text, 4 text line with a code, 5 edit, 6 list, 7 frame
  std::uint16_t item_code = 0;  // 0xFFFF: none
  std::uint16_t flags = 0;
  std::uint16_t hot_key = 0;
  std::int16_t x = 0;
  std::int16_t y = 0;
  std::int16_t width = 0;
  std::int16_t height = 0;
  std::uint32_t param = 0;
  std::string text;                       // bytes as stored (Mazovia, with the host's markup)
  std::vector<std::uint16_t> type_block;  // edit fields only: the words after the common part
  std::size_t length = 0;                 // bytes the item takes in the table

  // Edit fields: the value length (the fifth word of the type block); 0 for other items.
  std::uint16_t value_length() const { return type_block.size() > 4 ? type_block[4] : 0; }
};

struct Form {
  std::uint16_t id = 0;
  std::uint16_t body_length = 0;
  FormItem header;  // kind -1; its text is the title, width and height the form's size
  std::vector<FormItem> items;
  std::size_t offset = 0;  // where the record starts, from the size word
};

struct FormTableReading {
  std::vector<Form> forms;
  std::string error;  // empty when the whole table read cleanly
};

// Reads every form of the table at `table` (the address of its size word), walking the records by their
// body lengths; stops at the first record that does not fit or does not add up, and says why.
SIMHOST_API FormTableReading ReadFormTable(const void* table);

// The form with this id, or nullopt (with `error` saying why) when the table lacks it or is unreadable.
SIMHOST_API std::optional<Form> FindForm(const void* table, std::uint16_t id, std::string* error = nullptr);

}  // namespace simhost

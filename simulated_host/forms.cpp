// Reading a plug-in's form table.
#include "simulated_host/forms.h"

#include <cstring>

namespace simhost {
namespace {

constexpr std::size_t kCommonPart = 20;
constexpr std::int16_t kEditField = 5;

class Reader {
 public:
  Reader(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

  bool Has(std::size_t offset, std::size_t count) const { return offset <= size_ && count <= size_ - offset; }
  std::uint16_t U16(std::size_t offset) const {
    std::uint16_t value;
    std::memcpy(&value, bytes_ + offset, sizeof value);
    return value;
  }
  std::uint32_t U32(std::size_t offset) const {
    std::uint32_t value;
    std::memcpy(&value, bytes_ + offset, sizeof value);
    return value;
  }
  // The text at `offset`, which must end before `limit`; its length with the NUL in `length`.
  std::optional<std::string> Text(std::size_t offset, std::size_t limit, std::size_t& length) const {
    const void* end = offset < limit ? std::memchr(bytes_ + offset, 0, limit - offset) : nullptr;
    if (end == nullptr) return std::nullopt;
    length = static_cast<std::size_t>(static_cast<const std::uint8_t*>(end) - (bytes_ + offset)) + 1;
    return std::string(reinterpret_cast<const char*>(bytes_ + offset), length - 1);
  }

 private:
  const std::uint8_t* bytes_;
  std::size_t size_;
};

void ReadCommonPart(const Reader& reader, std::size_t at, FormItem& item) {
  item.kind = static_cast<std::int16_t>(reader.U16(at));
  item.item_code = reader.U16(at + 2);
  item.flags = reader.U16(at + 4);
  item.hot_key = reader.U16(at + 6);
  item.x = static_cast<std::int16_t>(reader.U16(at + 8));
  item.y = static_cast<std::int16_t>(reader.U16(at + 10));
  item.width = static_cast<std::int16_t>(reader.U16(at + 12));
  item.height = static_cast<std::int16_t>(reader.U16(at + 14));
  item.param = reader.U32(at + 16);
}

// One item at `at`, which must end by `limit`.
std::optional<FormItem> ReadItem(const Reader& reader, std::size_t at, std::size_t limit,
                                 std::string& error) {
  FormItem item;
  std::size_t text_at = 0;
  if (!reader.Has(at, 2) || at + 2 > limit) {
    error = "an item runs past its form";
    return std::nullopt;
  }
  if (static_cast<std::int16_t>(reader.U16(at)) == kEditField) {
    // Edit field: kind and ext_length, the common part, the type block, the text.
    if (at + 4 > limit) {
      error = "an edit field runs past its form";
      return std::nullopt;
    }
    const std::uint16_t ext_length = reader.U16(at + 2);
    if (ext_length < kCommonPart || at + 4 + ext_length > limit) {
      error = "an edit field's length does not fit";
      return std::nullopt;
    }
    ReadCommonPart(reader, at + 4, item);
    for (std::size_t word = at + 4 + kCommonPart; word + 2 <= at + 4 + ext_length; word += 2) {
      item.type_block.push_back(reader.U16(word));
    }
    text_at = at + 4 + ext_length;
  } else {
    if (at + kCommonPart > limit) {
      error = "an item runs past its form";
      return std::nullopt;
    }
    ReadCommonPart(reader, at, item);
    text_at = at + kCommonPart;
  }
  std::size_t text_length = 0;
  auto text = reader.Text(text_at, limit, text_length);
  if (!text) {
    error = "an item's text is not terminated within its form";
    return std::nullopt;
  }
  item.text = std::move(*text);
  item.length = text_at + text_length - at;
  return item;
}

}  // namespace

FormTableReading ReadFormTable(const void* table) {
  FormTableReading reading;
  if (table == nullptr) {
    reading.error = "no form table";
    return reading;
  }
  std::uint32_t size;
  std::memcpy(&size, table, sizeof size);
  const Reader reader(static_cast<const std::uint8_t*>(table) + 4, size);
  std::size_t at = 0;
  while (at < size) {
    if (!reader.Has(at, 4)) {
      reading.error = "a form record's header runs past the table";
      return reading;
    }
    Form form;
    form.offset = at;
    form.body_length = reader.U16(at);
    const std::uint16_t item_count = reader.U16(at + 2);
    const std::size_t end = at + 4 + form.body_length;
    if (!reader.Has(at, 4 + static_cast<std::size_t>(form.body_length))) {
      reading.error = "a form record runs past the table";
      return reading;
    }
    std::size_t item_at = at + 4;
    std::string error;
    auto header = ReadItem(reader, item_at, end, error);
    if (!header) {
      reading.error = error;
      return reading;
    }
    form.header = std::move(*header);
    form.id = form.header.item_code;
    item_at += form.header.length;
    for (std::uint16_t i = 0; i < item_count; ++i) {
      auto item = ReadItem(reader, item_at, end, error);
      if (!item) {
        reading.error = "form " + std::to_string(form.id) + ": " + error;
        return reading;
      }
      item_at += item->length;
      form.items.push_back(std::move(*item));
    }
    if (item_at != end) {
      reading.error = "form " + std::to_string(form.id) + ": its items do not add up to its body length";
      return reading;
    }
    reading.forms.push_back(std::move(form));
    at = end;
  }
  return reading;
}

std::optional<Form> FindForm(const void* table, std::uint16_t id, std::string* error) {
  FormTableReading reading = ReadFormTable(table);
  for (Form& form : reading.forms) {
    if (form.id == id) return std::move(form);
  }
  if (error != nullptr) {
    *error = reading.error.empty() ? "the form table has no form " + std::to_string(id) : reading.error;
  }
  return std::nullopt;
}

}  // namespace simhost

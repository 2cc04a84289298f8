// The form table: the plug-in's four forms as the host's form engine reads them, written one row per
// item and turned into bytes at compile time.
//
// Layout. A 32-bit size word (the bytes after it), then the form records back to back. A record is its
// body length and item count (16-bit each), then the header item and the items. An item is a common
// part of 20 bytes (kind, item code, flags, hot key, x, y, width, height: 16-bit each; param: 32-bit)
// and its NUL-terminated text. An edit field is preceded by two words, its kind again and the length of
// its common part and type block together, and carries its type block between common part and text.
// All numbers are little-endian; texts are Mazovia with the host's markup bytes \x01 to \x05.
#include "transfer/form_table.h"

#include "common/mazovia.h"

namespace form_table {
// Never defined and not constexpr: reaching one while the table is built stops the compilation there.
void ValueOutOfRange();
void TextTooLong();
void TableOverflow();
void NotAFormRecord();
}  // namespace form_table

namespace {

using form_table::NotAFormRecord;
using form_table::TableOverflow;
using form_table::TextTooLong;
using form_table::ValueOutOfRange;

enum Kind : int {
  kHeader = -1,  // the form itself: its id, size and title
  kButton = 0,
  kText = 3,
  kLine = 4,  // a text line with a code (the column line of a list)
  kEdit = 5,
  kList = 6,
  kFrame = 7,
};

// The type block of an edit field: the words between its common part and its text.
struct EditType {
  std::uint16_t words[10];
  std::size_t count;
};
// Two zero 32-bit values, the value length (8), the type word and its words.
inline constexpr EditType kDateField = {{0, 0, 0, 0, 8, 0x0208, 2, 8, 1}, 9};
// Two zero 32-bit values, the value length (4), the type word and its words.
inline constexpr EditType kNumberField = {{0, 0, 0, 0, 4, 1, 0, 0, 0, 12}, 10};

// Word and Common are constexpr rather than consteval: clang 14 does not take a consteval function
// template (Row) as a context in which they may be called with its parameters. Every call is still made
// while the table is built at compile time.
constexpr std::uint16_t Word(int value) {
  if (value < -32768 || value > 0xFFFF) ValueOutOfRange();
  return static_cast<std::uint16_t>(value);  // -1 is 0xFFFF, "no code"
}

// One row of a form: its header item or one of its items.
struct Item {
  std::uint16_t kind, item_code, flags, hot_key, x, y, width, height;
  std::uint32_t param;
  char text[72];  // Mazovia bytes, without the terminator
  std::size_t text_length;
  EditType edit;  // edit fields only: count is 0 for every other item
};

constexpr Item Common(int kind, int item_code, int flags, int hot_key, int x, int y, int width, int height,
                      std::uint32_t param) {
  Item item{};
  item.kind = Word(kind);
  item.item_code = Word(item_code);
  item.flags = Word(flags);
  item.hot_key = Word(hot_key);
  item.x = Word(x);
  item.y = Word(y);
  item.width = Word(width);
  item.height = Word(height);
  item.param = param;
  return item;
}

// A row with a text.
template <std::size_t Length>
consteval Item Row(int kind, int item_code, int flags, int hot_key, int x, int y, int width, int height,
                   std::uint32_t param, const MazoviaText<Length>& text) {
  Item item = Common(kind, item_code, flags, hot_key, x, y, width, height, param);
  if (Length >= sizeof item.text) TextTooLong();
  for (std::size_t i = 0; i < Length; ++i)
    item.text[i] = text.bytes[i];
  item.text_length = Length;
  return item;
}

// An edit field: its type block in place of a text, which is empty.
consteval Item Row(int kind, int item_code, int flags, int hot_key, int x, int y, int width, int height,
                   std::uint32_t param, const EditType& type) {
  if (kind != kEdit) ValueOutOfRange();
  Item item = Common(kind, item_code, flags, hot_key, x, y, width, height, param);
  item.edit = type;
  return item;
}

inline constexpr std::size_t kCommonPart = 20;

consteval std::size_t ItemLength(const Item& item) {
  const std::size_t plain = kCommonPart + item.text_length + 1;
  return item.edit.count == 0 ? plain : 4 + plain + 2 * item.edit.count;
}

template <std::size_t N>
consteval std::size_t BodyLength(const Item (&form)[N]) {
  std::size_t length = 0;
  for (const Item& item : form)
    length += ItemLength(item);
  return length;
}

template <std::size_t N>
consteval std::size_t RecordLength(const Item (&form)[N]) {
  return 4 + BodyLength(form);
}

// clang-format off

// Form 1000, the sales analysis. Not run by the plug-in.
constexpr Item kSalesAnalysisForm[] = {
//          kind      item_code flags   hot_key x   y   width height param text
/* h */ Row(kHeader,  1000,     0x0300, 0,      0,  0,  39,   12,    0,    "Analiza sprzedaży"_mz),
/* 1 */ Row(kText,    -1,       0,      0,      3,  3,  28,   2,     0,    "Podaj za jaki okres wstecz\nwypełnić raport:"_mz),
/* 2 */ Row(kEdit,    -1,       0x0400, 0,      3,  5,  6,    1,     0,    kNumberField),
/* 3 */ Row(kText,    -1,       0,      0,      13, 5,  20,   1,     0,    "(w miesiącach)"_mz),
/* 4 */ Row(kText,    0x3B00,   0,      0,      3,  7,  18,   1,     0,    "\x02" "F1\x01 Dotyczące mag."_mz),
/* 5 */ Row(kButton,  0x430E,   0x0580, 0x3B00, 21, 7,  15,   1,     0,    " "_mz),
/* 6 */ Row(kButton,  0x5001,   0x0004, 0x5500, 10, 9,  14,   1,     0,    "\x05" "F12\x01 Wykonaj"_mz),
};
static_assert(BodyLength(kSalesAnalysisForm) == 278);

// Form 1001, processing. Not run by the plug-in.
constexpr Item kProcessingForm[] = {
//          kind      item_code flags   hot_key x   y   width height param text
/* h */ Row(kHeader,  1001,     0x4008, 0,      0,  0,  48,   5,     0,    "Przetwarzanie"_mz),
/* 1 */ Row(kFrame,   -1,       0,      0,      3,  1,  42,   3,     3,    ""_mz),
/* 2 */ Row(kLine,    0x4003,   0,      0,      4,  2,  40,   1,     0,    "1234567890\x05" "1234567890\x02" "12345\x03" "67890\x04" "1234567890"_mz),
};
static_assert(BodyLength(kProcessingForm) == 120);

// Form 1003, the range of issue dates. The engine stores the edit fields' values in the data buffer,
// each in value length + 1 bytes, in item order: "Okres Od" at byte 0, "Okres Do" at byte 9.
constexpr Item kDateRangeForm[] = {
//          kind      item_code flags   hot_key x   y   width height param text
/* h */ Row(kHeader,  1003,     0x0200, 0,      0,  0,  61,   7,     0,    "Podaj daty (wystawienia) graniczne dla dok. MM"_mz),
/* 1 */ Row(kText,    0x3D00,   0,      0,      1,  2,  13,   1,     0,    "\x01p\x02" "F3\x01 Okres Od\x01"_mz),
/* 2 */ Row(kEdit,    -1,       0x0400, 0,      17, 2,  13,   1,     0,    kDateField),
/* 3 */ Row(kText,    0x3E00,   0,      0,      31, 2,  13,   1,     0,    "\x01p\x02" "F4\x01 Okres Do\x01"_mz),
/* 4 */ Row(kEdit,    -1,       0x0400, 0,      45, 2,  13,   1,     0,    kDateField),
/* 5 */ Row(kButton,  0x5001,   0x0004, 0x5500, 25, 4,  10,   1,     0,    "\x05" "F12\x01 OK"_mz),
};
static_assert(BodyLength(kDateRangeForm) == 256);
static_assert(ItemLength(kDateRangeForm[2]) == 43 && ItemLength(kDateRangeForm[4]) == 43);

// Form 1002, the MM documents. Item 1 declares the list's six columns; the INSERT button (flag 0x0080)
// hands its code to the key handler instead of ending the form.
constexpr Item kMmListForm[] = {
//          kind      item_code flags   hot_key x   y   width height param text
/* h */ Row(kHeader,  1002,     0x0200, 0,      0,  0,  78,   18,    0,    "Wybierz dokumenty MM"_mz),
/* 1 */ Row(kLine,    0x5801,   0,      0,      2,  3,  74,   1,     0,    "l3\rl17Numer MM\rl-1Opis\rl16Mag.docel.\rp15Wartość zak.br.\rl12Data wyst."_mz),
/* 2 */ Row(kText,    -1,       0,      0x3D00, 2,  2,  20,   1,     0,    "\x02" "F3\x01 Dokumenty MM"_mz),
/* 3 */ Row(kList,    0x4001,   0x0408, 0,      2,  4,  74,   9,     0,    ""_mz),
/* 4 */ Row(kButton,  0x5200,   0x0080, 0,      2,  13, 26,   1,     0,    "\x01" "c\x05INSERT\x01 Zaznacz/Odznacz\x01"_mz),
/* 5 */ Row(kButton,  0x5001,   0x0100, 0x5500, 30, 15, 16,   1,     0,    "\x05" "F12\x01 OK"_mz),
};
static_assert(BodyLength(kMmListForm) == 267);

// clang-format on

inline constexpr std::size_t kTableBody = RecordLength(kSalesAnalysisForm) + RecordLength(kProcessingForm) +
                                          RecordLength(kDateRangeForm) + RecordLength(kMmListForm);
static_assert(kTableBody == 937 && 4 + kTableBody == kFormTableSize);

// The table being written, and where the next byte goes.
struct TableBytes {
  std::array<std::uint8_t, kFormTableSize> bytes;
  std::size_t at;
};

consteval void PutByte(TableBytes& table, std::uint8_t value) {
  if (table.at >= table.bytes.size()) TableOverflow();
  table.bytes[table.at++] = value;
}
consteval void PutWord16(TableBytes& table, std::uint16_t value) {
  PutByte(table, static_cast<std::uint8_t>(value & 0xFF));
  PutByte(table, static_cast<std::uint8_t>(value >> 8));
}
consteval void PutWord32(TableBytes& table, std::uint32_t value) {
  PutWord16(table, static_cast<std::uint16_t>(value & 0xFFFF));
  PutWord16(table, static_cast<std::uint16_t>(value >> 16));
}
consteval void PutItem(TableBytes& table, const Item& item) {
  if (item.edit.count != 0) {
    PutWord16(table, item.kind);
    PutWord16(table, static_cast<std::uint16_t>(kCommonPart + 2 * item.edit.count));
  }
  for (std::uint16_t word :
       {item.kind, item.item_code, item.flags, item.hot_key, item.x, item.y, item.width, item.height}) {
    PutWord16(table, word);
  }
  PutWord32(table, item.param);
  for (std::size_t i = 0; i < item.edit.count; ++i)
    PutWord16(table, item.edit.words[i]);
  for (std::size_t i = 0; i < item.text_length; ++i)
    PutByte(table, static_cast<std::uint8_t>(item.text[i]));
  PutByte(table, 0);
}
template <std::size_t N>
consteval void PutForm(TableBytes& table, const Item (&form)[N]) {
  if (form[0].kind != Word(kHeader)) NotAFormRecord();
  const std::size_t start = table.at;
  PutWord16(table, static_cast<std::uint16_t>(BodyLength(form)));
  PutWord16(table, static_cast<std::uint16_t>(N - 1));
  for (const Item& item : form)
    PutItem(table, item);
  if (table.at - start != RecordLength(form)) NotAFormRecord();
}

consteval std::array<std::uint8_t, kFormTableSize> BuildFormTable() {
  TableBytes table{{}, 0};
  PutWord32(table, kTableBody);
  PutForm(table, kSalesAnalysisForm);
  PutForm(table, kProcessingForm);
  PutForm(table, kDateRangeForm);
  PutForm(table, kMmListForm);
  if (table.at != kFormTableSize) TableOverflow();
  return table.bytes;
}

}  // namespace

constexpr std::array<std::uint8_t, kFormTableSize> FormTable = BuildFormTable();

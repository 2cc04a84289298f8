// MM document selection: the date range (form 1003), the list of MM documents issued in it (form 1002)
// and the marks the user makes there.
#include <clocale>
#include <cstring>

#include "common/texts.h"
#include "platform/format.h"
#include "transfer/form_table.h"
#include "transfer/transfer.h"

DateRangeRecord DateRange = {};

namespace {

inline constexpr std::int32_t kMmDateIndex = 124;    // the scan's index of table 58
inline constexpr std::int32_t kListGrowth = 30;      // entries added to MmList at a time
inline constexpr std::int32_t kNoteFlags = 0x200;    // the note stays on screen until ui_message_close
inline constexpr double kValueScale = 0.0001;        // stored purchase values are in ten-thousandths
inline constexpr std::int32_t kInsertionLimit = 16;  // lists up to this long are sorted by insertion

// Work areas of one scan; the host fills and reads them, the plug-in never looks inside.
inline constexpr std::size_t kScanKeySize = 264;
inline constexpr std::size_t kScanStateSize = 196;

// The text of the row the form engine asked for last; valid until its next request.
char RowText[512] = {};

// --- Loading --------------------------------------------------------------------------------------

// Appends the MM document in the record buffer to MmList. False when the list cannot grow.
bool DopiszDokument(const MmRecord& record) {
  if (MmList.count == MmList.capacity && !PowiekszTablice(MmList, kListGrowth, sizeof(MmListEntry))) {
    return false;
  }
  MmListEntry& entry = *WpisTablicy<MmListEntry>(MmList, MmList.count);
  // The texts are cut to their entry fields and read no further than the record's own fields, so a
  // text without its NUL never reads past the record.
  KopiujPole(entry.mm_number, record.number);
  KopiujPole(entry.description, record.description);
  entry.purchase_value = record.purchase_value * kValueScale;
  // A host that writes no date (a service ignored at load) leaves it empty rather than the block's
  // old bytes; a date text that fills the field is cut at its end.
  entry.issue_date[0] = '\0';
  str_date_format(entry.issue_date, record.issue_date);
  entry.issue_date[sizeof entry.issue_date - 1] = '\0';
  entry.doc_id = record.doc_id;
  entry.aux_id = record.aux_id;
  entry.marked = 0;
  entry.warehouse = record.warehouse;
  entry.aux_number = record.aux_number;
  KopiujPole(entry.dest_warehouse, record.dest_warehouse);
  KopiujPole(entry.aux_text, record.aux_text);
  ++MmList.count;
  return true;
}

// Whether the MM document goes on the list: it has both identifiers and its issue date lies within
// DateRange, both limits included.
bool WZakresie(const MmRecord& record) {
  if (record.doc_id == 0 || record.aux_id == 0) return false;
  if (str_date_compare(record.issue_date, DateRange.date_to) > 0) return false;
  if (str_date_compare(record.issue_date, DateRange.date_from) < 0) return false;
  return true;
}

// --- Sort -----------------------------------------------------------------------------------------
//
// Every comparison is a call of the host's str_date_compare, so the sort is chosen for few of them: an
// in-place merge sort after Katajainen, Pasanen and Teuhola, which needs no memory beyond the list. Half
// of the unsorted part is merge-sorted with the other half as its work area, so each element is swapped
// rather than copied aside; the sorted parts, each half as long as the one before, are merged into the
// sorted tail by a galloping search, which costs about log(tail/part) comparisons per element; the last
// few unsorted entries are placed by binary insertion. That is O(n log n) comparisons and moves, at most
// about 0.95 n log2 n comparisons over the sizes and orders we tried, and a recursion depth of log2 n.
// Entries of equal date come in no defined order.

bool Wczesniej(const MmListEntry& a, const MmListEntry& b) {
  return PorownajDatyMM(&a, &b) < 0;
}

void Zamien(MmListEntry& a, MmListEntry& b) {
  const MmListEntry kept = a;
  a = b;
  b = kept;
}

// Sorts list[first, last) into list[work, work + (last - first)), whose entries end up in
// list[first, last) in some order. The two ranges do not overlap.
void SortujDo(MmListEntry* list, std::int32_t first, std::int32_t last, std::int32_t work) {
  const std::int32_t size = last - first;
  if (size == 0) return;
  if (size == 1) {
    Zamien(list[first], list[work]);
    return;
  }
  const std::int32_t front = size - size / 2;  // the longer half
  const std::int32_t back = size / 2;
  // The front half goes to the work area's end, the back half to where the front half was.
  SortujDo(list, first, first + front, work + back);
  SortujDo(list, first + front, last, first);
  // Merge the two into the work area from its start: the write never passes an unread entry.
  std::int32_t a = first;
  const std::int32_t a_end = first + back;
  std::int32_t b = work + back;
  const std::int32_t b_end = work + size;
  std::int32_t out = work;
  while (a < a_end && b < b_end) {
    if (Wczesniej(list[b], list[a])) {
      Zamien(list[out++], list[b++]);
    } else {
      Zamien(list[out++], list[a++]);
    }
  }
  while (a < a_end)
    Zamien(list[out++], list[a++]);
  // What is left of the second run is in place already.
}

// Merges the sorted run list[part, part_end) into the sorted run list[tail, tail_end), writing from
// `out`; the gap between `out` and `tail` is as long as the first run.
void ScalDoOgona(MmListEntry* list, std::int32_t part, std::int32_t part_end, std::int32_t tail,
                 std::int32_t tail_end, std::int32_t out) {
  while (part < part_end) {
    // How many entries of the tail come before list[part]: gallop by 1, 2, 4, ... then halve.
    std::int32_t before = 0;
    std::int32_t limit = tail_end - tail;
    for (std::int32_t probe = 1; probe <= limit;) {
      if (!Wczesniej(list[tail + probe - 1], list[part])) {
        limit = probe - 1;
        break;
      }
      before = probe;
      if (probe > limit - probe) break;
      probe *= 2;
    }
    while (before < limit) {
      const std::int32_t middle = before + (limit - before) / 2;
      if (Wczesniej(list[tail + middle], list[part])) {
        before = middle + 1;
      } else {
        limit = middle;
      }
    }
    for (std::int32_t i = 0; i < before; ++i)
      Zamien(list[out++], list[tail++]);
    Zamien(list[out++], list[part++]);
  }
}

// Puts list[i] into the sorted run list[i + 1, end) by binary search.
void WstawDoOgona(MmListEntry* list, std::int32_t i, std::int32_t end) {
  const MmListEntry entry = list[i];
  std::int32_t low = i + 1;
  std::int32_t high = end;
  while (low < high) {
    const std::int32_t middle = low + (high - low) / 2;
    if (Wczesniej(list[middle], entry)) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  std::memmove(&list[i], &list[i + 1], static_cast<std::size_t>(low - 1 - i) * sizeof(MmListEntry));
  list[low - 1] = entry;
}

void SortujPrzezWstawianie(MmListEntry* list, std::int32_t count) {
  for (std::int32_t i = count - 2; i >= 0; --i)
    WstawDoOgona(list, i, count);
}

void SortujListe(MmListEntry* list, std::int32_t count) {
  if (count <= kInsertionLimit) {
    SortujPrzezWstawianie(list, count);
    return;
  }
  // The front half, sorted, goes to the back; the front is then unsorted.
  std::int32_t sorted = count - count / 2;
  SortujDo(list, 0, count / 2, sorted);
  while (sorted > kInsertionLimit) {
    // Sort the back half of the unsorted front into its start, then merge it into the sorted tail.
    const std::int32_t unsorted = sorted;
    sorted = unsorted - unsorted / 2;
    SortujDo(list, sorted, unsorted, 0);
    ScalDoOgona(list, 0, unsorted - sorted, unsorted, count, sorted);
  }
  for (std::int32_t i = sorted - 1; i >= 0; --i)
    WstawDoOgona(list, i, count);
}

}  // namespace

// --- Selection flow -------------------------------------------------------------------------------

void WybierzDokumentyMM() {
  std::memset(&DateRange, 0, sizeof DateRange);
  if (static_cast<std::int16_t>(
          ui_form_run(FormTable.data(), form::kDateRange, &DateRange, nullptr, nullptr)) != form::kAccepted) {
    return;
  }
  WyczyscTablice(MmList);
  if (!WybierzMM()) return;
  if (MmList.count > 0) {
    Komunikat(texts::kTitleWarning, texts::kPleaseWait, kNoteFlags);
    SortujListe(WpisTablicy<MmListEntry>(MmList, 0), MmList.count);
    ui_message_close();
  }
  if (static_cast<std::int16_t>(ui_form_run(FormTable.data(), form::kMmList, nullptr, &ObslugaKlawiszaMM,
                                            &WierszListyMM)) == form::kAccepted) {
    WyczyscTablice(CollectedPositions);
    PobierzPozycjeMM();
  } else {
    ZwolnijTablice(MmList);  // the marks go with it
  }
}

bool WybierzMM() {
  TableObject* table = od_table(kMmTable);
  if (table == nullptr) {
    Komunikat(texts::kTitleError, texts::kDiskError, 1);
    return false;
  }
  od_set_flags(table, kAccessAll);
  const auto& record = *reinterpret_cast<const MmRecord*>(TableRecordBuffer(table));

  std::uint8_t key[kScanKeySize];
  std::uint8_t scan[kScanStateSize];
  od_make_key(kMmDateIndex, &table, key, 0);
  if (od_scan_first(scan, table, kMmDateIndex, key, 0, 0) != 0) {
    while (od_scan_next(scan) == 1) {
      if (!WZakresie(record)) continue;
      if (!DopiszDokument(record)) {
        Komunikat(texts::kTitleError, texts::kSelectionOutOfMemory, 1);
        od_scan_end(scan);
        return false;  // the entries appended so far stay until the run frees the list
      }
    }
  }
  od_scan_end(scan);
  return true;
}

std::int32_t PorownajDatyMM(const MmListEntry* a, const MmListEntry* b) {
  return str_date_compare(a->issue_date, b->issue_date);
}

// --- Form 1002 callbacks --------------------------------------------------------------------------

std::int32_t KOMBREL_STDCALL ObslugaKlawiszaMM(std::int16_t key, std::int32_t) {
  if (key != form::kInsertKey) return 0;
  if (MmList.count == 0) {
    Komunikat(texts::kTitleWarning, texts::kNothingToMark, 1);
    return form::kList;
  }
  std::int16_t* current = static_cast<std::int16_t*>(ui_form_item_value(form::kList));
  if (current == nullptr) return form::kList;
  const std::int32_t row = *current;
  // A current row outside the list marks nothing; the cursor goes back to the first row.
  std::int32_t next = 0;
  if (row >= 0 && row < MmList.count) {
    MmListEntry& entry = *WpisTablicy<MmListEntry>(MmList, row);
    entry.marked = entry.marked == 0 ? 1 : 0;
    next = (row + 1) % MmList.count;
  }
  current = static_cast<std::int16_t*>(ui_form_item_value(form::kList));
  if (current != nullptr) *current = static_cast<std::int16_t>(next);
  return form::kList;
}

std::intptr_t KOMBREL_STDCALL WierszListyMM(std::int16_t row, std::int32_t) {
  if (row == -1) return MmList.count;
  RowText[0] = '\0';
  if (row < 0 || row >= MmList.count) return reinterpret_cast<std::intptr_t>(RowText);  // an empty row

  const MmListEntry& entry = *WpisTablicy<MmListEntry>(MmList, row);
  // The row is "%c\r%s\r%s\r%s\r%.2f\r%s"; the value is formatted apart so that its decimal separator
  // is a point whatever locale the host process set. The largest double takes 313 characters.
  char value[320];
  Format(value, sizeof value, "%.2f", entry.purchase_value);
  const char separator = *std::localeconv()->decimal_point;
  if (separator != '.') {
    if (char* at = std::strchr(value, separator)) *at = '.';
  }
  // Every text is bounded by its field, so even a row of hostile texts fits the buffer.
  Format(RowText, sizeof RowText, "%c\r%.*s\r%.*s\r%.*s\r%s\r%.*s", entry.marked != 0 ? '*' : ' ',
         static_cast<int>(strnlen(entry.mm_number, sizeof entry.mm_number)), entry.mm_number,
         static_cast<int>(strnlen(entry.description, sizeof entry.description)), entry.description,
         static_cast<int>(strnlen(entry.dest_warehouse, sizeof entry.dest_warehouse)), entry.dest_warehouse,
         value, static_cast<int>(strnlen(entry.issue_date, sizeof entry.issue_date)), entry.issue_date);
  return reinterpret_cast<std::intptr_t>(RowText);
}

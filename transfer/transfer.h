// The MM transfer: the event hook on the sales-document positions and the run it starts on Ctrl+5
// (event 235): MM document selection, position collection, merge and insertion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "common/common.h"
#include "host/host_services.h"

#pragma pack(push, 1)

// One listed MM document, 209 bytes.
struct MmListEntry {
  char mm_number[17];       //   0  from the record's offset 2
  char description[121];    //  17  from offset 62, at most 120 characters
  double purchase_value;    // 138  offset 285 times 0.0001
  char issue_date[13];      // 146  display text of the date at offset 53 (str_date_format)
  std::int32_t doc_id;      // 159  offset 522
  std::int32_t aux_id;      // 163  offset 518
  std::int32_t marked;      // 167  1 while the user has the document marked
  std::int16_t warehouse;   // 171  offset 512
  std::int16_t aux_number;  // 173  offset 510
  char dest_warehouse[17];  // 175  offset 36
  char aux_text[17];        // 192  offset 19
};

// One collected position, 179 bytes.
struct CollectedPosition {
  char name[121];            //   0  Mm_dok offset 2, at most 120 characters
  char code[17];             // 121  Mm_dok offset 123, at most 16
  std::int32_t quantity;     // 138  Mm_dok offset 140
  char unit[6];              // 142  Mm_dok offset 144, at most 5
  double price;              // 148  num_scale of the chosen Mm_dok price and 100
  std::int16_t attribute;    // 156  Mm_dok offset 180
  std::int16_t ref;          // 158  Mm_dok offset 344; never 0
  std::uint8_t reserved[2];  // 160  written and read by nobody
  std::int16_t warehouse;    // 162  the MM document's warehouse
  char mm_number[15];        // 164  the MM document's number, at most 14 characters
};

#pragma pack(pop)

static_assert(sizeof(MmListEntry) == 209);
static_assert(offsetof(MmListEntry, description) == 17);
static_assert(offsetof(MmListEntry, purchase_value) == 138);
static_assert(offsetof(MmListEntry, issue_date) == 146);
static_assert(offsetof(MmListEntry, doc_id) == 159);
static_assert(offsetof(MmListEntry, aux_id) == 163);
static_assert(offsetof(MmListEntry, marked) == 167);
static_assert(offsetof(MmListEntry, warehouse) == 171);
static_assert(offsetof(MmListEntry, aux_number) == 173);
static_assert(offsetof(MmListEntry, dest_warehouse) == 175);
static_assert(offsetof(MmListEntry, aux_text) == 192);

static_assert(sizeof(CollectedPosition) == 179);
static_assert(offsetof(CollectedPosition, code) == 121);
static_assert(offsetof(CollectedPosition, quantity) == 138);
static_assert(offsetof(CollectedPosition, unit) == 142);
static_assert(offsetof(CollectedPosition, price) == 148);
static_assert(offsetof(CollectedPosition, attribute) == 156);
static_assert(offsetof(CollectedPosition, ref) == 158);
static_assert(offsetof(CollectedPosition, reserved) == 160);
static_assert(offsetof(CollectedPosition, warehouse) == 162);
static_assert(offsetof(CollectedPosition, mm_number) == 164);

// The range of issue dates that form 1003 fills: two stored dates, 8 characters and a NUL each.
struct DateRangeRecord {
  char date_from[9];  // 0  "Okres Od"
  char date_to[9];    // 9  "Okres Do"
};
static_assert(sizeof(DateRangeRecord) == 18);
static_assert(offsetof(DateRangeRecord, date_to) == 9);

extern DateRangeRecord DateRange;

// The run's two arrays: empty between runs, released by the run however it ends.
extern RunArray MmList;              // of MmListEntry
extern RunArray CollectedPositions;  // of CollectedPosition

inline constexpr std::int32_t kEventTransfer = 235;

// The most positions one run collects: the run index is stored in the 16-bit field at 296 of a
// position (TsprDokRecord::run_index).
inline constexpr std::int32_t kMaxCollectedPositions = 32767;

// Copies a host text of a known field through KopiujTekst, at most `Maximum` characters: the maximum is
// checked at compile time against both the destination and the source field, so the copy never reads
// past the source field, terminated or not.
template <std::uint16_t Maximum, std::size_t DestinationSize, std::size_t SourceSize>
inline void KopiujTekstZPola(char (&destination)[DestinationSize], const char (&source)[SourceSize]) {
  static_assert(Maximum <= SourceSize, "the copy could read past the source field");
  KopiujTekst<Maximum>(destination, TextRef(source));
}

// --- Event hook and transfer run ------------------------------------------------------------------

// A non-zero flag installs the hook on table 45, zero removes it. 0, or -1 when the installation failed.
std::int32_t PodepnijObsluge(std::int32_t install);
// The hook: runs a transfer on event 235 and passes every event on to the handler it replaced.
std::int32_t KOMBREL_STDCALL ObslugaTsprDok(std::int32_t event, std::uint16_t browse_value,
                                            std::int32_t* slot_count, TsprDokRecord** slots,
                                            std::int32_t parameter5, TableObject* position_table,
                                            std::int32_t parameter7, std::int32_t browse_argument,
                                            std::int32_t parameter9, std::uint16_t parameter10,
                                            std::int32_t parameter11);
// Hands one text to ui_alert.
void PokazKomunikat(TextRef text);

// --- MM document selection ------------------------------------------------------------------------

// Asks for the date range, lists the MM documents issued in it, lets the user mark them and, when the
// list is accepted, collects the marked documents' positions.
void WybierzDokumentyMM();
// Loads the MM documents of table 58 issued within DateRange into MmList. False when table 58 is not
// available or the list cannot grow; the message has been shown then.
bool WybierzMM();
// The sort comparison: str_date_compare of a's and b's issue_date, unchanged.
std::int32_t PorownajDatyMM(const MmListEntry* a, const MmListEntry* b);
// Key handler of form 1002: Insert flips the mark of the current row and moves to the next one.
// 0x4001 (the list changed) when it handled the code, 0 otherwise.
std::int32_t KOMBREL_STDCALL ObslugaKlawiszaMM(std::int16_t key, std::int32_t unused);
// Row provider of form 1002: row -1 answers the number of rows, any other row the address of its text.
std::intptr_t KOMBREL_STDCALL WierszListyMM(std::int16_t row, std::int32_t unused);

static_assert(std::is_same_v<decltype(&ObslugaKlawiszaMM), FormKeyHandler>);
static_assert(std::is_same_v<decltype(&WierszListyMM), FormRowProvider>);

// --- Position collection --------------------------------------------------------------------------

// Collects the positions of every marked entry of MmList, in list order, into CollectedPositions.
void PobierzPozycjeMM();
// Appends the non-empty positions of one MM document (table 67, index 125) to CollectedPositions.
void PobierzPozDokumentu(MmListEntry entry);

// --- Merge and insertion --------------------------------------------------------------------------

// Merges or inserts the collected positions into the sales document and has the host bring it up to
// date. 0 when the host gave no table 44 (nothing changed), 1 otherwise.
std::int32_t WstawPozycjeMM(TsprDokRecord** slots, std::int32_t* slot_count, TableObject* position_table,
                            std::int16_t browse_value, std::int32_t browse_argument);
// Adds the position's quantity to the first equal slot and has the host complete it. 1 when merged,
// 0 when no slot is equal.
std::int32_t DolaczDoPozycji(TsprDokRecord** slots, const std::int32_t* slot_count,
                             CollectedPosition position, TsprRecord* header);
// 1 when -0.00001 < x < 0.00001, else 0 (also for a NaN).
std::int32_t PrawieZero(double x);

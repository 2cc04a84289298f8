// Merge and insertion of the collected positions into the sales document.
#include <cmath>
#include <cstring>
#include <limits>

#include "common/texts.h"
#include "platform/format.h"
#include "transfer/transfer.h"

namespace {

inline constexpr double kPriceTolerance = 0.00001;
inline constexpr std::int32_t kRefreshCode = 0x4100;

// Whether `quantity` can be added to the slot's quantity without leaving the 32-bit range.
bool IloscSieZmiesci(std::int32_t slot_quantity, std::int32_t quantity) {
  if (quantity > 0) return slot_quantity <= std::numeric_limits<std::int32_t>::max() - quantity;
  return slot_quantity >= std::numeric_limits<std::int32_t>::min() - quantity;
}

// slot - row base, wrapping as the host's 32-bit arithmetic does, so that no base overflows it.
std::int32_t OdlegloscOdPodstawy(std::int32_t slot, std::int32_t row_base) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(slot) - static_cast<std::uint32_t>(row_base));
}

bool WolnySlot(const TsprDokRecord& slot) {
  return slot.ref == 0 && slot.used_mark == 0;
}

// Builds the collected position in the position table's record buffer.
void ZbudujPozycje(TsprDokRecord& work, const CollectedPosition& position, std::int32_t run_index) {
  KopiujTekstZPola<120>(work.name, position.name);
  KopiujTekstZPola<16>(work.code, position.code);
  KopiujTekstZPola<5>(work.unit, position.unit);
  KopiujTekstZPola<14>(work.mm_number, position.mm_number);
  work.quantity = position.quantity;
  work.attribute = position.attribute;
  work.price = position.price;
  Format(work.warehouse_label, sizeof work.warehouse_label, texts::kWarehouseLabel.c_str(),
         static_cast<int>(position.warehouse));
  work.ref = position.ref;
  work.warehouse = position.warehouse;
  work.run_index = static_cast<std::int16_t>(run_index);  // below kMaxCollectedPositions: never wraps
}

}  // namespace

std::int32_t WstawPozycjeMM(TsprDokRecord** slots, std::int32_t* slot_count, TableObject* position_table,
                            std::int16_t browse_value, std::int32_t browse_argument) {
  TableObject* headers = od_table(kSalesHeaderTable);
  if (headers == nullptr) {
    Komunikat(texts::kTitleError, texts::kCollectionDiskError, 1);
    return 0;
  }
  od_set_flags(headers, kAccessRead);
  auto* header = reinterpret_cast<TsprRecord*>(TableRecordBuffer(headers));
  auto* work = reinterpret_cast<TsprDokRecord*>(TableRecordBuffer(position_table));

  // The collection holds at most kMaxCollectedPositions, so the run index fits its 16-bit field. Slot
  // indexes are 32-bit: a document of any number of slots is searched whole.
  for (std::int32_t i = 0; i < CollectedPositions.count; ++i) {
    const CollectedPosition& position = *WpisTablicy<CollectedPosition>(CollectedPositions, i);
    if (DolaczDoPozycji(slots, slot_count, position, header) == 1) continue;

    ZbudujPozycje(*work, position, i);
    doc_position_recalc(0, work, header, 1);

    std::int32_t free_slot = 0;
    while (free_slot < *slot_count && !WolnySlot(*slots[free_slot]))
      ++free_slot;
    if (free_slot >= *slot_count) {
      Komunikat(texts::kTitleBlocked, texts::kDocumentFull, 1);
      break;  // this position and every later one are dropped
    }
    // The free slot becomes the table's current row (base + offset); the offset is negative for a
    // slot below the row base. The table's record size was found to be 298 when the hook went in.
    SetTableCurrentRowOffset(position_table, OdlegloscOdPodstawy(free_slot, TableRowBase(position_table)));
    std::memcpy(slots[free_slot], work, sizeof(TsprDokRecord));
  }

  doc_totals_recalc(slots, *slot_count, header, 0, 0);
  ui_browse_refresh(browse_value, position_table, slots, slot_count, browse_argument, kRefreshCode, 0, 1, 0,
                    0, 0, 0);
  return 1;
}

std::int32_t DolaczDoPozycji(TsprDokRecord** slots, const std::int32_t* slot_count,
                             CollectedPosition position, TsprRecord* header) {
  // One pass over every slot, once per collected position, so the loop stays tight: the count and the
  // keys are read once, and a slot's record is read no further than its first differing key. Attribute
  // and price come first: on real documents they set almost every slot apart.
  const std::int32_t count = *slot_count;
  const std::int16_t attribute = position.attribute;
  const double price = position.price;
  for (std::int32_t i = 0; i < count; ++i) {
    TsprDokRecord& slot = *slots[i];
    if (slot.attribute != attribute) continue;
    if (PrawieZero(slot.price - price) != 1) continue;
    if (slot.ref != position.ref || slot.warehouse != position.warehouse) continue;
    if (std::strncmp(slot.mm_number, position.mm_number, sizeof position.mm_number) != 0) continue;
    // A slot whose quantity would leave the 32-bit range takes no more: the search goes on, and without
    // another equal slot the position is inserted as a new one.
    if (!IloscSieZmiesci(slot.quantity, position.quantity)) continue;
    slot.quantity += position.quantity;
    doc_position_recalc(0, &slot, header, 1);
    return 1;
  }
  return 0;
}

std::int32_t PrawieZero(double x) {
  // The same as -0.00001 < x < 0.00001, a NaN included, in one comparison: the sign of a price
  // difference follows no pattern, so a branch on it would be mispredicted half of the time.
  return std::fabs(x) < kPriceTolerance ? 1 : 0;
}

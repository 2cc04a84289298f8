// Position collection: the positions of the marked MM documents (table 67 "Mm_dok"), each with the
// price that the sales document's header selects, appended to CollectedPositions.
#include "common/texts.h"
#include "transfer/transfer.h"

namespace {

inline constexpr std::int32_t kMmPositionIndex = 125;  // positions of one MM document, by doc_id
inline constexpr std::int32_t kPositionGrowth = 500;   // entries added to CollectedPositions at a time
inline constexpr std::int32_t kPriceFactor = 100;      // handed to num_scale with the stored price

inline constexpr std::size_t kSearchKeySize = 256;

// The price of a position: an odd selector (negative odd ones too) takes the price at 172, an even
// one the price at 176; the host scales it.
double CenaPozycji(const MmDokRecord& record, const TsprRecord& header) {
  const std::int32_t stored = header.price_selector % 2 != 0 ? record.price_odd : record.price_even;
  return num_scale(static_cast<double>(stored), kPriceFactor);
}

// Room for one more position. A full array grows by 500 entries; a run never holds more than
// kMaxCollectedPositions, and reaching that limit is reported like a failed growth.
bool MiejsceNaPozycje() {
  if (CollectedPositions.count >= kMaxCollectedPositions) return false;
  return CollectedPositions.count < CollectedPositions.capacity ||
         PowiekszTablice(CollectedPositions, kPositionGrowth, sizeof(CollectedPosition));
}

}  // namespace

void PobierzPozycjeMM() {
  for (std::int32_t i = 0; i < MmList.count; ++i) {
    const MmListEntry& entry = *WpisTablicy<MmListEntry>(MmList, i);
    if (entry.marked != 0) PobierzPozDokumentu(entry);  // a failure ends that document only
  }
}

void PobierzPozDokumentu(MmListEntry entry) {
  TableObject* documents = od_table(kMmTable);  // its flags are set; none of its fields is read
  TableObject* positions = od_table(kMmPositionTable);
  TableObject* headers = od_table(kSalesHeaderTable);
  if (headers == nullptr || documents == nullptr || positions == nullptr) {
    Komunikat(texts::kTitleError, texts::kCollectionDiskError, 1);
    return;
  }
  od_set_flags(headers, kAccessRead);
  od_set_flags(documents, kAccessRead);
  od_set_flags(positions, kAccessAll);
  const auto& header = *reinterpret_cast<const TsprRecord*>(TableRecordBuffer(headers));
  const auto& record = *reinterpret_cast<const MmDokRecord*>(TableRecordBuffer(positions));

  std::uint8_t key[kSearchKeySize];
  od_make_key(kMmPositionIndex, &positions, key, entry.doc_id);
  std::int32_t found = 0;
  std::int32_t result = od_search(kMmPositionIndex, key, positions, &found);
  if (result == 0) return;

  for (std::int32_t i = 0; i < found; ++i) {
    if (od_fseek(0, i, positions, 0, result) == 0) {
      Komunikat(texts::kTitleWarningLower, texts::kCollectionSeekError, 1);
      break;
    }
    if (record.ref == 0) continue;  // an empty position
    if (!MiejsceNaPozycje()) {
      Komunikat(texts::kTitleError, texts::kCollectionOutOfMemory, 1);
      break;
    }
    CollectedPosition& position =
        *WpisTablicy<CollectedPosition>(CollectedPositions, CollectedPositions.count);
    KopiujTekstZPola<120>(position.name, record.name);
    KopiujTekstZPola<16>(position.code, record.code);
    KopiujTekstZPola<14>(position.mm_number, entry.mm_number);
    position.quantity = record.quantity;
    KopiujTekstZPola<5>(position.unit, record.unit);
    position.attribute = record.attribute;
    position.ref = record.ref;
    position.warehouse = entry.warehouse;
    position.price = CenaPozycji(record, header);
    ++CollectedPositions.count;
  }
  od_result_free(&result);
}

// The event hook on table 45, the sales-document positions, and the transfer run it starts.
#include "boundary/boundary.h"
#include "common/texts.h"
#include "transfer/transfer.h"

RunArray MmList = {nullptr, 0, 0};
RunArray CollectedPositions = {nullptr, 0, 0};

namespace {

inline constexpr std::int32_t kUnusedTable = 188;  // asked for at every event; the answer is not used

TableObject* position_table = nullptr;  // non-null exactly while the hook is installed
TableEventHandler previous_handler = nullptr;

// The hook's own entry in the record-size registry, filled at the first failed installation.
WpisRozmiaru position_table_size = {sizeof(TsprDokRecord), 0, nullptr, nullptr};
bool position_table_size_filled = false;

}  // namespace

std::int32_t PodepnijObsluge(std::int32_t install) {
  if (install == 0) {
    if (position_table != nullptr) {
      SetTableEventHandler(position_table, previous_handler);
      position_table = nullptr;
    }
    return 0;
  }
  if (position_table != nullptr) return 0;  // installed already; the first saved handler stays

  TableObject* table = od_table(kPositionTable);
  if (table == nullptr || TableRecordSize(table) != position_table_size.expected_size) {
    if (!position_table_size_filled) {
      position_table_size.found_size = table != nullptr ? TableRecordSize(table) : 0;
      position_table_size.table_name = texts::kTableTsprDok.c_str();
      position_table_size.link = nullptr;
      position_table_size_filled = true;
    }
    return DopiszRozmiar(&position_table_size);
  }
  position_table = table;
  previous_handler = TableEventHandlerOf(table);
  SetTableEventHandler(table, &ObslugaTsprDok);
  return 0;
}

std::int32_t KOMBREL_STDCALL ObslugaTsprDok(std::int32_t event, std::uint16_t browse_value,
                                            std::int32_t* slot_count, TsprDokRecord** slots,
                                            std::int32_t parameter5, TableObject* position_table_object,
                                            std::int32_t parameter7, std::int32_t browse_argument,
                                            std::int32_t parameter9, std::uint16_t parameter10,
                                            std::int32_t parameter11) {
  od_table(kUnusedTable);
  if (event == kEventTransfer) {
    // The selection's outcome is not looked at: without a confirmed list nothing was collected.
    WybierzDokumentyMM();
    const std::int32_t inserted = WstawPozycjeMM(slots, slot_count, position_table_object,
                                                 static_cast<std::int16_t>(browse_value), browse_argument);
    ZwolnijTablice(MmList);
    ZwolnijTablice(CollectedPositions);
    if (inserted == 0) return 0;  // no table 44: the run ends without chaining
  }
  // A host that had no handler in the slot gets 0 rather than a call through null.
  if (previous_handler == nullptr) return 0;
  return previous_handler(event, browse_value, slot_count, slots, parameter5, position_table_object,
                          parameter7, browse_argument, parameter9, parameter10, parameter11);
}

void PokazKomunikat(TextRef text) {
  ui_alert(text.get());
}

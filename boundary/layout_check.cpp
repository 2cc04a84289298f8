// The table layout check of the load check, and the refusal report that shows its findings.
#include "boundary/boundary.h"
#include "common/texts.h"
#include "host/records.h"

namespace {

// One tested table: its number, and its registry entry with a one-time flag.
struct TestedTable {
  std::int32_t number;
  const char* name;
  WpisRozmiaru entry;
  bool filled;
};

// The expected sizes are the sizes of the records the plug-in reads and writes.
constinit TestedTable tested_tables[] = {
    {44, texts::kTableTspr.c_str(), {sizeof(TsprRecord), 0, nullptr, nullptr}, false},
    {45, texts::kTableTsprDok.c_str(), {sizeof(TsprDokRecord), 0, nullptr, nullptr}, false},
    {58, texts::kTableMm.c_str(), {sizeof(MmRecord), 0, nullptr, nullptr}, false},
    {67, texts::kTableMmDok.c_str(), {sizeof(MmDokRecord), 0, nullptr, nullptr}, false},
};

}  // namespace

std::int32_t SprawdzTabele() {
  for (TestedTable& table : tested_tables) {
    TableObject* object = od_table(table.number);
    if (!table.filled) {
      // Each entry keeps the size found at its first test; later tests compare against it.
      table.entry.found_size = object != nullptr ? TableRecordSize(object) : 0;
      table.entry.table_name = table.name;
      table.entry.link = nullptr;
      table.filled = true;
    }
    PorownajRozmiar(&table.entry);
  }
  return LiczRozmiary();
}

void PokazOdmowe() {}

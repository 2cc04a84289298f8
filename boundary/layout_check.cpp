// The table layout check of the load check, and the refusal report that shows its findings.
#include <cstdarg>

#include "boundary/boundary.h"
#include "common/texts.h"
#include "host/records.h"
#include "platform/format.h"

namespace {

constexpr std::int32_t kReportFlags = 0xC001;
constexpr std::size_t kReportSize = 3072;

// One tested table: its number, and its registry entry with a one-time flag.
struct TestedTable {
  std::int32_t number;
  const char* name;
  WpisRozmiaru entry;
  bool filled;
};

// The expected sizes are the sizes of the records the plug-in reads and writes.
constinit TestedTable tested_tables[] = {
    {kSalesHeaderTable, texts::kTableTspr.c_str(), {sizeof(TsprRecord), 0, nullptr, nullptr}, false},
    {kPositionTable, texts::kTableTsprDok.c_str(), {sizeof(TsprDokRecord), 0, nullptr, nullptr}, false},
    {kMmTable, texts::kTableMm.c_str(), {sizeof(MmRecord), 0, nullptr, nullptr}, false},
    {kMmPositionTable, texts::kTableMmDok.c_str(), {sizeof(MmDokRecord), 0, nullptr, nullptr}, false},
};

// The report text and how much of it is filled.
struct Raport {
  char text[kReportSize];
  std::size_t length;
};

// Appends one formatted piece where the text so far ends. A piece that does not fit is cut: the text
// never runs past the buffer and stays terminated.
__attribute__((format(printf, 2, 3))) void Dopisz(Raport& report, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  report.length += static_cast<std::size_t>(
      FormatV(report.text + report.length, kReportSize - report.length, format, arguments));
  va_end(arguments);
}

// The plug-in's file name: the part of its path after the last backslash, or the whole path.
const char* NazwaPliku(const char* path) {
  const char* name = path;
  for (std::size_t i = 0; i < kOwnPathSize && path[i] != '\0'; ++i) {
    if (path[i] == '\\') name = path + i + 1;
  }
  return name;
}

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

void PokazOdmowe() {
  char help[texts::kHelpTextSize];
  texts::KopiujOpis(help);

  // An empty registry: the load check refused the interface version.
  if (registry_head == nullptr) {
    ui_messagef(texts::kTitleStop.c_str(), texts::kVersionMismatch.c_str(), kReportFlags, help, help);
    return;
  }

  // Five rows at most, of at most 29 characters each: the report stays far below its buffer.
  static_assert(texts::kReportHeading.size() + texts::kHelpText.size() + 5 * 29 +
                    texts::kReportClosing.size() + kOwnPathSize <
                kReportSize);
  Raport report;
  report.length = 0;
  report.text[0] = '\0';
  Dopisz(report, texts::kReportHeading.c_str(), help);
  for (const WpisRozmiaru* entry = registry_head; entry != nullptr; entry = entry->link) {
    // The plug-in's size under "WE WTYCZCE", the host's under "W PROGRAMIE".
    Dopisz(report, "%s%s\t%d\t", texts::kReportRowLayout.c_str(), entry->table_name,
           static_cast<int>(entry->expected_size));
    if (entry->found_size == 0) {
      Dopisz(report, "%s\n", texts::kReportNoTable.c_str());
    } else {
      Dopisz(report, "%d\n", static_cast<int>(entry->found_size));
    }
  }
  Dopisz(report, texts::kReportClosing.c_str(), NazwaPliku(own_path));
  ui_message(texts::kTitleStop.c_str(), report.text, kReportFlags);
}

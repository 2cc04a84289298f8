// The simulated host's state: its tables, the sales document, the MM documents, its module
// registration and the events it raises.
#include "simulated_host/host.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>

#include "simulated_host/codepages.h"
#include "simulated_host/message_box.h"
#include "simulated_host/services.h"

#if !defined(_WIN32)
#include "platform/platform.h"
#endif

namespace simhost {
namespace {

Host* current = nullptr;

// The record the plug-in was built for, by table; tables it does not read get a small buffer.
std::size_t BuiltRecordSize(std::int32_t number) {
  switch (number) {
    case 44:
      return sizeof(TsprRecord);
    case 45:
      return sizeof(TsprDokRecord);
    case 58:
      return sizeof(MmRecord);
    case 67:
      return sizeof(MmDokRecord);
    default:
      return 16;
  }
}

// The previous handler of table 45: records what it got and answers the configured result.
std::int32_t KOMBREL_STDCALL PreviousHandler(std::int32_t event, std::uint16_t browse_value,
                                             std::int32_t* slot_count, TsprDokRecord** slots,
                                             std::int32_t parameter5, TableObject* position_table,
                                             std::int32_t parameter7, std::int32_t browse_argument,
                                             std::int32_t parameter9, std::uint16_t parameter10,
                                             std::int32_t parameter11) {
  Host& host = Host::Current();
  host.chained.push_back({event, browse_value, slot_count, slots, parameter5, position_table, parameter7,
                          browse_argument, parameter9, parameter10, parameter11});
  return host.config.previous_handler_result;
}

std::filesystem::path FreshFolder() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path();
  for (;;) {
    auto path = base / ("kombrel-host-" + std::to_string(random()) + "-" + std::to_string(counter++));
    if (std::filesystem::create_directory(path)) return path;
  }
}

void WriteSettings(const std::filesystem::path& path,
                   const std::map<std::string, std::map<std::string, std::string>>& sections) {
  std::ofstream out(path, std::ios::binary);
  for (const auto& [section, keys] : sections) {
    out << '[' << section << "]\r\n";
    for (const auto& [key, value] : keys)
      out << key << '=' << value << "\r\n";
  }
}

}  // namespace

void StoreText(char* field, std::size_t room, const std::string& utf8_text) {
  const std::string bytes = Utf8ToMazovia(utf8_text);
  std::memset(field, 0, room);
  std::memcpy(field, bytes.data(), std::min(room, bytes.size()));
}

MmRecord MakeMmRecord(const MmDocument& document) {
  MmRecord record{};
  StoreText(record.number, document.number);
  StoreText(record.aux_text, document.aux_text);
  StoreText(record.dest_warehouse, document.dest_warehouse);
  StoreText(record.issue_date, document.issue_date);
  StoreText(record.description, document.description);
  record.purchase_value = document.purchase_value;
  record.aux_number = document.aux_number;
  record.warehouse = document.warehouse;
  record.aux_id = document.aux_id;
  record.doc_id = document.doc_id;
  return record;
}

MmDokRecord MakeMmDokRecord(const MmPosition& position) {
  MmDokRecord record{};
  StoreText(record.name, position.name);
  StoreText(record.code, position.code);
  record.quantity = position.quantity;
  StoreText(record.unit, position.unit);
  record.price_odd = position.price_odd;
  record.price_even = position.price_even;
  record.attribute = position.attribute;
  record.ref = position.ref;
  return record;
}

TsprDokRecord MakeSalesRecord(const SalesPosition& position) {
  TsprDokRecord record{};
  StoreText(record.name, position.name);
  StoreText(record.code, position.code);
  record.quantity = position.quantity;
  StoreText(record.unit, position.unit);
  record.attribute = position.attribute;
  std::snprintf(record.warehouse_label, sizeof record.warehouse_label, "M%d", position.warehouse);
  record.used_mark = position.used_mark;
  record.price = position.price;
  StoreText(record.mm_number, position.mm_number);
  record.warehouse = position.warehouse;
  record.ref = position.ref;
  return record;
}

Host::Host(Config configuration) : config(std::move(configuration)) {
  folder = config.folder;
  if (folder.empty()) {
    folder = FreshFolder();
    own_folder = true;
  }
  if (config.settings) WriteSettings(settings_path(), *config.settings);
  for (const auto& [number, size] : config.tables) {
    if (!size) continue;
    Table& table = tables[number];
    table.number = number;
    table.object = GuardedBytes(table_object::kUsedSize + 16);
    // The buffer holds at least the record the plug-in was built for, whatever size the table claims;
    // guards follow it.
    table.record =
        GuardedBytes(std::max(static_cast<std::size_t>(std::max<int>(*size, 0)), BuiltRecordSize(number)));
    auto* object = reinterpret_cast<TableObject*>(table.object.data());
    SetTableField<std::int16_t>(object, table_object::kRecordSize, *size);
    SetTableField<std::uint8_t*>(object, table_object::kRecordBuffer, table.record.data());
  }
  if (TableObject* positions = table(45)) {
    SetTableField<std::int32_t>(positions, table_object::kRowBase, config.row_base);
    SetTableCurrentRowOffset(positions, config.current_row_offset);
    if (config.previous_handler) SetTableEventHandler(positions, &PreviousHandler);
  }
  if (TsprRecord* header = sales_header()) header->price_selector = config.price_selector;

  slot_count = config.slot_count;
  for (std::int32_t i = 0; i < std::max(slot_count, 0); ++i) {
    slot_records.emplace_back(sizeof(TsprDokRecord));
    slots.push_back(reinterpret_cast<TsprDokRecord*>(slot_records.back().data()));
  }
  for (const SalesPosition& position : config.sales) {
    if (position.slot >= 0 && position.slot < slot_count) *slots[position.slot] = MakeSalesRecord(position);
  }
  for (const MmDocument& document : config.mm) {
    mm_records.push_back(MakeMmRecord(document));
    auto& positions = mm_positions[document.doc_id];
    for (const MmPosition& position : document.positions)
      positions.push_back(MakeMmDokRecord(position));
  }
}

Host::~Host() {
  for (auto& [block, size] : blocks)
    FreeGuardedBlock(block, size);
  if (own_folder) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
}

Host& Host::Start(Config config) {
  if (current != nullptr) {
    std::fputs("simulated host: Start while a host is running\n", stderr);
    std::abort();
  }
  current = new Host(std::move(config));
#if !defined(_WIN32)
  std::vector<FARPROC> exports(52470 - 21281 + 1, nullptr);
  std::uint32_t base = 21281;
  std::vector<std::pair<std::uint16_t, FARPROC>> all = HostExports();
  for (const auto& [number, address] : all) {
    if (current->config.missing_ordinals.count(number) != 0) continue;
    if (number < base) {
      exports.insert(exports.begin(), base - number, nullptr);
      base = number;
    }
    exports.at(number - base) = address;
  }
  current->module =
      kplatform::RegisterModule("TORVAL.dll", "C:\\TORVAL\\TORVAL.EXE", base, std::move(exports));
  kplatform::SetMessageBoxHandler(&AnswerMessageBox);
#endif
  return *current;
}

void Host::Stop() {
  if (current == nullptr) return;
#if !defined(_WIN32)
  kplatform::SetMessageBoxHandler(nullptr);
  kplatform::UnregisterModule(current->module);
#endif
  delete current;
  current = nullptr;
}

Host& Host::Current() {
  if (current == nullptr) {
    std::fputs("simulated host: a service was called with no host running\n", stderr);
    std::abort();
  }
  return *current;
}

bool Host::Running() {
  return current != nullptr;
}

TableObject* Host::table(std::int32_t number) {
  auto found = tables.find(number);
  return found == tables.end() ? nullptr : reinterpret_cast<TableObject*>(found->second.object.data());
}

std::int32_t Host::TableNumberOf(const TableObject* object) const {
  for (const auto& [number, table] : tables) {
    if (reinterpret_cast<const TableObject*>(table.object.data()) == object) return number;
  }
  return 0;
}

TsprRecord* Host::sales_header() {
  auto found = tables.find(44);
  return found == tables.end() ? nullptr : reinterpret_cast<TsprRecord*>(found->second.record.data());
}

BoxAnswer Host::NextBoxAnswer() {
  const auto& answers = config.missing_entry_answers;
  if (answers.empty()) return BoxAnswer::kAbort;
  const std::size_t i = std::min(box_answers_given++, answers.size() - 1);
  return answers[i];
}

std::optional<std::int32_t> Host::RaiseEvent(std::int32_t event, const EventParameters& p) {
  TableObject* positions = table(45);
  if (positions == nullptr) return std::nullopt;
  TableEventHandler handler = TableEventHandlerOf(positions);
  if (handler == nullptr) return std::nullopt;
  BeginWatch(Grant::kEvent);
  const std::int32_t result =
      handler(event, p.browse_value, &slot_count, slots.data(), p.parameter5, positions, p.parameter7,
              p.browse_argument, p.parameter9, p.parameter10, p.parameter11);
  EndWatch();
  return result;
}

}  // namespace simhost

// What the plug-in wrote in the host's memory while it had control: the host copies its bytes when it
// hands control over and compares them when control comes back, allowing only what the plug-in may
// write; then it checks every guard and that no block, scan or search result is left open.
#include <cstring>
#include <string>

#include "simulated_host/host.h"

namespace simhost {
namespace {

constexpr std::size_t kSlotSize = sizeof(TsprDokRecord);

// A range of bytes the plug-in may write.
struct Allowed {
  std::size_t begin;
  std::size_t end;
};

// The first byte at which `now` differs from `before` outside `allowed`, or -1.
long FirstWrite(const std::uint8_t* now, const std::uint8_t* before, std::size_t size,
                Allowed allowed = {0, 0}) {
  for (std::size_t i = 0; i < size; ++i) {
    if (i >= allowed.begin && i < allowed.end) continue;
    if (now[i] != before[i]) return static_cast<long>(i);
  }
  return -1;
}

std::vector<std::uint8_t> Copy(const void* bytes, std::size_t size) {
  const auto* first = static_cast<const std::uint8_t*>(bytes);
  return std::vector<std::uint8_t>(first, first + size);
}

}  // namespace

void Host::BeginWatch(Grant grant) {
  if (watch_depth++ > 0) return;
  WatchCopy& copy = watch.emplace();
  copy.grant = grant;
  for (auto& [number, table] : tables) {
    copy.objects[number] = Copy(table.object.data(), table.object.size());
    copy.records[number] = Copy(table.record.data(), table.record.size());
  }
  copy.slots = slots;
  copy.slot_count = slot_count;
  copy.slot_bytes.resize(slots.size() * kSlotSize);
  for (std::size_t i = 0; i < slots.size(); ++i) {
    std::memcpy(copy.slot_bytes.data() + i * kSlotSize, slots[i], kSlotSize);
    copy.slot_at[reinterpret_cast<std::uintptr_t>(slots[i])] = i;
  }
}

void Host::HostWrote(const void* address, std::size_t size) {
  if (!watch) return;
  const auto at = reinterpret_cast<std::uintptr_t>(address);
  auto update = [&](std::uint8_t* copy, const std::uint8_t* bytes, std::size_t room) {
    const auto first = reinterpret_cast<std::uintptr_t>(bytes);
    if (at < first || at - first >= room) return false;
    const std::size_t offset = at - first;
    std::memcpy(copy + offset, address, std::min(size, room - offset));
    return true;
  };
  for (auto& [number, table] : tables) {
    if (update(watch->records[number].data(), table.record.data(), table.record.size())) return;
    if (update(watch->objects[number].data(), table.object.data(), table.object.size())) return;
  }
  auto slot = watch->slot_at.upper_bound(at);
  if (slot == watch->slot_at.begin()) return;
  --slot;
  update(watch->slot_bytes.data() + slot->second * kSlotSize,
         reinterpret_cast<const std::uint8_t*>(slot->first), kSlotSize);
}

bool Host::CheckGuards() {
  const std::size_t before = violations.size();
  for (auto& [number, table] : tables) {
    if (auto damage = table.object.Damage(); !damage.empty())
      Violation("a write outside table " + std::to_string(number) + "'s object: " + damage);
    if (auto damage = table.record.Damage(); !damage.empty())
      Violation("a write outside table " + std::to_string(number) + "'s record buffer: " + damage);
  }
  for (std::size_t i = 0; i < slot_records.size(); ++i) {
    if (auto damage = slot_records[i].Damage(); !damage.empty())
      Violation("a write outside the record of slot " + std::to_string(i) + ": " + damage);
  }
  for (const auto& [block, size] : blocks) {
    if (auto damage = GuardedBlockDamage(block, size); !damage.empty())
      Violation("a write outside a host block of " + std::to_string(size) + " bytes: " + damage);
  }
  return violations.size() == before;
}

void Host::EndWatch() {
  if (watch_depth == 0 || --watch_depth > 0) return;
  const WatchCopy& copy = *watch;
  const bool event = copy.grant == Grant::kEvent;
  for (auto& [number, table] : tables) {
    const std::string name = "table " + std::to_string(number);
    Allowed allowed{0, 0};
    if (number == 45 && event) allowed = {table_object::kCurrentRow, table_object::kCurrentRow + 4};
    if (number == 45 && copy.grant == Grant::kHook)
      allowed = {table_object::kEventHandler, table_object::kEventHandler + sizeof(void*)};
    const auto& object = copy.objects.at(number);
    if (long at = FirstWrite(table.object.data(), object.data(), object.size(), allowed); at >= 0)
      Violation("the plug-in wrote byte " + std::to_string(at) + " of " + name + "'s object");
    if (number == 45 && event) continue;  // the work record
    const auto& record = copy.records.at(number);
    if (long at = FirstWrite(table.record.data(), record.data(), record.size()); at >= 0)
      Violation("the plug-in wrote byte " + std::to_string(at) + " of " + name + "'s record buffer");
  }

  if (slots != copy.slots) Violation("the plug-in changed the slot array");
  if (slot_count != copy.slot_count) Violation("the plug-in changed the slot count");
  for (std::size_t i = 0; i < copy.slots.size() && i < slots.size(); ++i) {
    const std::uint8_t* before = copy.slot_bytes.data() + i * kSlotSize;
    TsprDokRecord was;
    std::memcpy(&was, before, kSlotSize);
    const bool free = was.ref == 0 && was.used_mark == 0;
    if (event && free) continue;  // a free slot may take a new position
    // A used slot takes only a merged quantity.
    const Allowed quantity =
        event ? Allowed{offsetof(TsprDokRecord, quantity), offsetof(TsprDokRecord, unit)} : Allowed{0, 0};
    if (long at = FirstWrite(reinterpret_cast<const std::uint8_t*>(slots[i]), before, kSlotSize, quantity);
        at >= 0) {
      Violation("the plug-in wrote byte " + std::to_string(at) + " of the used slot " + std::to_string(i));
    }
  }

  CheckGuards();
  if (!blocks.empty()) Violation("host memory blocks left alive when control came back");
  if (!scans.empty()) Violation("a scan left open when control came back");
  if (!results.empty()) Violation("a search result left open when control came back");
  watch.reset();
}

}  // namespace simhost

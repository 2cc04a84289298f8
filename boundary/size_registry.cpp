// The record-size registry: the tables whose record size differs from the one the plug-in was built
// for, linked in the order they were found. It only grows.
#include "boundary/boundary.h"

WpisRozmiaru* registry_head = nullptr;

std::int32_t PorownajRozmiar(WpisRozmiaru* entry) {
  if (entry->expected_size == entry->found_size) return 0;
  return DopiszRozmiar(entry);
}

std::int32_t DopiszRozmiar(WpisRozmiaru* entry) {
  if (registry_head == nullptr) {
    registry_head = entry;
    return -1;
  }
  WpisRozmiaru* tail = registry_head;
  for (;;) {
    if (tail == entry) return -1;  // already in the registry
    if (tail->link == nullptr) break;
    tail = tail->link;
  }
  tail->link = entry;
  return -1;
}

std::int32_t LiczRozmiary() {
  std::int32_t count = 0;
  for (const WpisRozmiaru* entry = registry_head; entry != nullptr; entry = entry->link)
    ++count;
  return count;
}

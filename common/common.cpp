// Messages, bounded copies and run arrays over the host's services.
#include "common/common.h"

#include <cstdint>
#include <limits>

#include "host/host_services.h"

std::int32_t Komunikat(TextRef title, TextRef text, std::int32_t flags) {
  return ui_message(title.get(), text.get(), flags);
}

void KopiujTekst(char* destination, TextRef source, std::uint16_t maximum) {
  str_copy_n(destination, source.get(), maximum);
}

bool PowiekszTablice(RunArray& array, std::int32_t step, std::uint32_t entry_size) {
  const std::int64_t capacity = static_cast<std::int64_t>(array.capacity) + step;
  const std::uint64_t size = static_cast<std::uint64_t>(capacity) * entry_size;
  if (capacity > std::numeric_limits<std::int32_t>::max() ||
      size > std::numeric_limits<std::uint32_t>::max()) {
    return false;
  }
  if (mem_realloc(&array.block, static_cast<std::uint32_t>(size)) == 0) return false;
  array.capacity = static_cast<std::int32_t>(capacity);
  return true;
}

void ZwolnijTablice(RunArray& array) {
  if (array.block != nullptr) {
    mem_free(array.block);
    WyczyscTablice(array);
  }
}

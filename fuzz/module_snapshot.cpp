// Copying and restoring a mapped module's writable segments (PT_LOAD with PF_W, without PT_GNU_RELRO).
#include "fuzz/module_snapshot.h"

#include <dlfcn.h>
#include <link.h>

#include <algorithm>

namespace kombrel_fuzz {
namespace {

struct Range {
  std::uintptr_t begin;
  std::uintptr_t end;
};

struct Search {
  std::uintptr_t base = 0;
  bool found = false;
  std::vector<Range> writable;
  Range relro{0, 0};
};

int Visit(dl_phdr_info* info, std::size_t, void* data) {
  auto* search = static_cast<Search*>(data);
  if (info->dlpi_addr != search->base) return 0;
  search->found = true;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& header = info->dlpi_phdr[i];
    const Range range{info->dlpi_addr + header.p_vaddr, info->dlpi_addr + header.p_vaddr + header.p_memsz};
    if (header.p_type == PT_LOAD && (header.p_flags & PF_W) != 0) search->writable.push_back(range);
    if (header.p_type == PT_GNU_RELRO) search->relro = range;
  }
  return 1;
}

// The module's globals carry AddressSanitizer's red zones between them: the copy goes byte by byte
// past the sanitizer, which would take a red zone for an overflow.
__attribute__((no_sanitize("address", "undefined"))) void CopyBytes(volatile std::uint8_t* to,
                                                                    const volatile std::uint8_t* from,
                                                                    std::size_t size) {
  for (std::size_t i = 0; i < size; ++i)
    to[i] = from[i];
}

}  // namespace

bool ModuleSnapshot::Take(const char* file) {
  handle_ = dlopen(file, RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) return false;
  link_map* map = nullptr;
  if (dlinfo(handle_, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) return false;
  Search search;
  search.base = static_cast<std::uintptr_t>(map->l_addr);
  dl_iterate_phdr(&Visit, &search);
  if (!search.found) return false;
  for (const Range& segment : search.writable) {
    // The part before the read-only-after-relocation range and the part after it.
    const Range parts[] = {
        {segment.begin, std::min(segment.end, std::max(segment.begin, search.relro.begin))},
        {std::max(segment.begin, search.relro.end), segment.end}};
    for (const Range& part : parts) {
      if (part.begin >= part.end) continue;
      Region region{reinterpret_cast<std::uint8_t*>(part.begin),
                    std::vector<std::uint8_t>(part.end - part.begin)};
      CopyBytes(region.bytes.data(), region.address, region.bytes.size());
      regions_.push_back(std::move(region));
    }
  }
  return !regions_.empty();
}

void ModuleSnapshot::Restore() const {
  for (const Region& region : regions_)
    CopyBytes(region.address, region.bytes.data(), region.bytes.size());
}

void* ModuleSnapshot::Symbol(const char* name) const {
  return handle_ == nullptr ? nullptr : dlsym(handle_, name);
}

}  // namespace kombrel_fuzz

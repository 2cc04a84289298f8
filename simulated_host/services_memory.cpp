// Host memory blocks: mem_realloc and mem_free, with a count of the blocks alive.
#include <cstdlib>
#include <string>

#include "simulated_host/host.h"
#include "simulated_host/services.h"

extern "C" std::int32_t KOMBREL_STDCALL torval_mem_realloc(void** block, std::uint32_t size) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("mem_realloc(" + std::to_string(size) + ")");
  host.realloc_sizes.push_back(size);
  const int call = ++host.mem_realloc_count;
  if (host.config.faults.mem_realloc_calls.count(call) != 0) return 0;
  void* old_block = *block;
  if (old_block != nullptr && host.blocks.count(old_block) == 0) {
    host.Violation("mem_realloc of a block the host never gave");
    return 0;
  }
  void* new_block = std::realloc(old_block, size == 0 ? 1 : size);
  if (new_block == nullptr) return 0;
  if (old_block != nullptr) host.blocks.erase(old_block);
  host.blocks[new_block] = size;
  *block = new_block;
  return 1;
}

extern "C" std::int32_t KOMBREL_STDCALL torval_mem_free(void* block) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("mem_free");
  if (host.blocks.erase(block) == 0) {
    host.Violation("mem_free of a block the host never gave");
    return 0;
  }
  std::free(block);
  return 1;
}

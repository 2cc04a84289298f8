// Host memory blocks: mem_realloc and mem_free, with a count of the blocks alive. Every block has guard
// bytes on both sides, checked whenever it is resized or freed; fresh bytes hold the fill of a debug heap.
#include <string>

#include "simulated_host/guards.h"
#include "simulated_host/host.h"
#include "simulated_host/services.h"

namespace {

void CheckBlock(simhost::Host& host, const void* block, std::uint32_t size) {
  const std::string damage = simhost::GuardedBlockDamage(block, size);
  if (!damage.empty())
    host.Violation("a write outside a host block of " + std::to_string(size) + " bytes: " + damage);
}

}  // namespace

extern "C" std::int32_t KOMBREL_STDCALL torval_mem_realloc(void** block, std::uint32_t size) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("mem_realloc(" + std::to_string(size) + ")");
  host.realloc_sizes.push_back(size);
  const int call = ++host.mem_realloc_count;
  if (host.config.faults.mem_realloc_calls.count(call) != 0) return 0;
  void* old_block = *block;
  auto old = host.blocks.find(old_block);
  if (old_block != nullptr && old == host.blocks.end()) {
    host.Violation("mem_realloc of a block the host never gave");
    return 0;
  }
  void* new_block = nullptr;
  if (old_block == nullptr) {
    new_block = simhost::NewGuardedBlock(size);
  } else {
    CheckBlock(host, old_block, old->second);
    const std::uint32_t old_size = old->second;
    host.blocks.erase(old);
    new_block = simhost::ResizeGuardedBlock(old_block, old_size, size);
  }
  host.blocks[new_block] = size;
  *block = new_block;
  return 1;
}

extern "C" std::int32_t KOMBREL_STDCALL torval_mem_free(void* block) {
  simhost::Host& host = simhost::Host::Current();
  host.Record("mem_free");
  auto found = host.blocks.find(block);
  if (found == host.blocks.end()) {
    host.Violation("mem_free of a block the host never gave");
    return 0;
  }
  CheckBlock(host, block, found->second);
  simhost::FreeGuardedBlock(block, found->second);
  host.blocks.erase(found);
  return 1;
}

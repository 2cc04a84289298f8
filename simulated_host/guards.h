// Guarded memory of the simulated host: the bytes a plug-in may use, with guard bytes on both sides that
// it must never touch. The host checks the guards whenever control comes back to it; under
// AddressSanitizer they are poisoned as well, so that even a read of them is reported where it happens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace simhost {

inline constexpr std::size_t kGuardSize = 64;
inline constexpr std::uint8_t kGuardByte = 0xA5;
// What fresh host memory holds, as a debug heap fills it: a plug-in that reads what it never wrote
// sees this rather than zeros. Under valgrind such bytes are marked undefined as well.
inline constexpr std::uint8_t kFreshByte = 0xBE;

// Marks `size` fresh bytes: filled with kFreshByte, and undefined for valgrind's memcheck.
void MarkFresh(void* bytes, std::size_t size);

// A block of `size` usable bytes between two guards, in memory of its own.
class GuardedBytes {
 public:
  explicit GuardedBytes(std::size_t size = 0);
  ~GuardedBytes();
  GuardedBytes(GuardedBytes&& other) noexcept;
  GuardedBytes& operator=(GuardedBytes&& other) noexcept;
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;

  std::uint8_t* data() { return storage_ == nullptr ? nullptr : storage_ + kGuardSize; }
  const std::uint8_t* data() const { return storage_ == nullptr ? nullptr : storage_ + kGuardSize; }
  std::size_t size() const { return size_; }

  // Empty when both guards hold what the host wrote; otherwise which one was overwritten ("before" or
  // "after") and at which byte from the usable bytes.
  std::string Damage() const;

 private:
  void Release();
  std::uint8_t* storage_ = nullptr;
  std::size_t size_ = 0;
};

// Host memory blocks (mem_realloc, mem_free) are guarded too. A block is handed out as the address of
// its usable bytes; these make, resize, check and free it.
void* NewGuardedBlock(std::size_t size);
// The block's usable bytes resized, in place when the heap can (a grown block's new bytes are fresh);
// the old address is no longer valid.
void* ResizeGuardedBlock(void* block, std::size_t old_size, std::size_t new_size);
std::string GuardedBlockDamage(const void* block, std::size_t size);
void FreeGuardedBlock(void* block, std::size_t size);

}  // namespace simhost

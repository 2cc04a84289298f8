// Guard bytes around the host's memory, poisoned under AddressSanitizer.
#include "simulated_host/guards.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KOMBREL_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KOMBREL_ASAN 1
#endif

#if defined(KOMBREL_ASAN)
#include <sanitizer/asan_interface.h>
#endif
#if __has_include(<valgrind/memcheck.h>)
#include <valgrind/memcheck.h>
#endif

namespace simhost {
namespace {

void Poison(std::uint8_t* bytes, std::size_t size) {
#if defined(KOMBREL_ASAN)
  ASAN_POISON_MEMORY_REGION(bytes, size);
#else
  (void)bytes;
  (void)size;
#endif
}

void Unpoison(const std::uint8_t* bytes, std::size_t size) {
#if defined(KOMBREL_ASAN)
  ASAN_UNPOISON_MEMORY_REGION(bytes, size);
#else
  (void)bytes;
  (void)size;
#endif
}

// `storage` holds kGuardSize guard bytes, `size` usable bytes and kGuardSize guard bytes.
void WriteGuards(std::uint8_t* storage, std::size_t size) {
  std::memset(storage, kGuardByte, kGuardSize);
  std::memset(storage + kGuardSize + size, kGuardByte, kGuardSize);
  Poison(storage, kGuardSize);
  Poison(storage + kGuardSize + size, kGuardSize);
}

std::string Damage(const std::uint8_t* storage, std::size_t size) {
  const std::uint8_t* before = storage;
  const std::uint8_t* after = storage + kGuardSize + size;
  Unpoison(before, kGuardSize);
  Unpoison(after, kGuardSize);
  std::string damage;
  for (std::size_t i = kGuardSize; i-- > 0;) {
    if (before[i] != kGuardByte) {
      damage = "before, at byte -" + std::to_string(kGuardSize - i);
      break;
    }
  }
  for (std::size_t i = 0; damage.empty() && i < kGuardSize; ++i) {
    if (after[i] != kGuardByte) damage = "after, at byte " + std::to_string(size + i);
  }
  Poison(const_cast<std::uint8_t*>(before), kGuardSize);
  Poison(const_cast<std::uint8_t*>(after), kGuardSize);
  return damage;
}

std::uint8_t* Allocate(std::size_t size) {
  auto* storage = static_cast<std::uint8_t*>(std::malloc(size + 2 * kGuardSize));
  if (storage == nullptr) throw std::bad_alloc();
  WriteGuards(storage, size);
  return storage;
}

void Free(std::uint8_t* storage, std::size_t size) {
  Unpoison(storage, size + 2 * kGuardSize);
  std::free(storage);
}

}  // namespace

void MarkFresh(void* bytes, std::size_t size) {
  std::memset(bytes, kFreshByte, size);
#if defined(VALGRIND_MAKE_MEM_UNDEFINED)
  VALGRIND_MAKE_MEM_UNDEFINED(bytes, size);
#endif
}

GuardedBytes::GuardedBytes(std::size_t size) : storage_(Allocate(size)), size_(size) {
  std::memset(data(), 0, size);
}

GuardedBytes::~GuardedBytes() {
  Release();
}

GuardedBytes::GuardedBytes(GuardedBytes&& other) noexcept
    : storage_(std::exchange(other.storage_, nullptr)), size_(std::exchange(other.size_, 0)) {}

GuardedBytes& GuardedBytes::operator=(GuardedBytes&& other) noexcept {
  if (this != &other) {
    Release();
    storage_ = std::exchange(other.storage_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

void GuardedBytes::Release() {
  if (storage_ != nullptr) Free(storage_, size_);
  storage_ = nullptr;
  size_ = 0;
}

std::string GuardedBytes::Damage() const {
  return storage_ == nullptr ? std::string() : simhost::Damage(storage_, size_);
}

void* NewGuardedBlock(std::size_t size) {
  std::uint8_t* storage = Allocate(size);
  MarkFresh(storage + kGuardSize, size);
  return storage + kGuardSize;
}

void* ResizeGuardedBlock(void* block, std::size_t old_size, std::size_t new_size) {
  auto* storage = static_cast<std::uint8_t*>(block) - kGuardSize;
  Unpoison(storage, old_size + 2 * kGuardSize);
  auto* resized = static_cast<std::uint8_t*>(std::realloc(storage, new_size + 2 * kGuardSize));
  if (resized == nullptr) throw std::bad_alloc();
  if (new_size > old_size) MarkFresh(resized + kGuardSize + old_size, new_size - old_size);
  WriteGuards(resized, new_size);
  return resized + kGuardSize;
}

std::string GuardedBlockDamage(const void* block, std::size_t size) {
  return Damage(static_cast<const std::uint8_t*>(block) - kGuardSize, size);
}

void FreeGuardedBlock(void* block, std::size_t size) {
  Free(static_cast<std::uint8_t*>(block) - kGuardSize, size);
}

}  // namespace simhost

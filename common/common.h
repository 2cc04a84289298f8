// The plug-in's small shared helpers: messages, bounded text copies and the transfer run's arrays.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/text_ref.h"

// A message box through ui_message: title, text and the flags passed on. Answers ui_message's result.
std::int32_t Komunikat(TextRef title, TextRef text, std::int32_t flags);

// Copies at most `maximum` characters of `source` and a terminator through str_copy_n. The destination
// has room for `maximum` characters and the terminator.
void KopiujTekst(char* destination, TextRef source, std::uint16_t maximum);

// The same into a field whose size the compiler knows, refusing at compile time a maximum that the
// field has no room for.
template <std::uint16_t Maximum, std::size_t FieldSize>
inline void KopiujTekst(char (&destination)[FieldSize], TextRef source) {
  static_assert(Maximum < FieldSize, "the field has no room for the maximum and the terminator");
  KopiujTekst(destination, source, Maximum);
}

// Copies a text that lies in a field of `source_room` bytes, up to its NUL or the field's end, cut to
// what the destination holds, and terminates it. Reads nothing outside the source field.
template <std::size_t DestinationSize, std::size_t SourceRoom>
inline void KopiujPole(char (&destination)[DestinationSize], const char (&source)[SourceRoom]) {
  std::size_t length = 0;
  while (length + 1 < DestinationSize && length < SourceRoom && source[length] != '\0') {
    destination[length] = source[length];
    ++length;
  }
  destination[length] = '\0';
}

// A transfer run's array of packed entries in one host memory block (mem_realloc, mem_free). Empty is
// all three zero; `count` entries are filled; the block has room for `capacity`.
struct RunArray {
  void* block;
  std::int32_t count;
  std::int32_t capacity;
};

// Grows the block by `step` entries of `entry_size` bytes. False, with the array unchanged, when
// mem_realloc fails or the new size does not fit the host's 32-bit sizes.
bool PowiekszTablice(RunArray& array, std::int32_t step, std::uint32_t entry_size);

// Hands the block to mem_free, if there is one, and empties the array.
void ZwolnijTablice(RunArray& array);

// Empties the array without freeing anything.
inline void WyczyscTablice(RunArray& array) {
  array = RunArray{nullptr, 0, 0};
}

template <class Entry>
inline Entry* WpisTablicy(const RunArray& array, std::int32_t index) {
  return static_cast<Entry*>(array.block) + index;
}

#pragma once

#include <cstddef>
#include <cstdint>

namespace figury {

// A 64-bit hash of bytes: of a file's contents, to tell later whether they
// are still the same, and of a journal's base. Not for secrets: any program
// that wants to may make two files of one hash.
uint64_t bytesHash(const char* bytes, size_t size);

// Spreads every bit of value over all 64.
uint64_t mixBits(uint64_t value);

}  // namespace figury

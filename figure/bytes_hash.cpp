#include "figure/bytes_hash.h"

#include <cstring>

namespace figury {

namespace {

uint64_t load64(const char* bytes) {
    unsigned char little[8];
    std::memcpy(little, bytes, 8);
    uint64_t value = 0;
    for (int k = 7; k >= 0; --k) {
        value = (value << 8) | little[k];
    }
    return value;
}

uint64_t rotateLeft(uint64_t value, int bits) {
    return (value << bits) | (value >> (64 - bits));
}

constexpr uint64_t hashPrime1 = 0x9E3779B97F4A7C15u;
constexpr uint64_t hashPrime2 = 0xC2B2AE3D27D4EB4Fu;

uint64_t hashWord(uint64_t hash, uint64_t word) {
    word = rotateLeft(word * hashPrime2, 31) * hashPrime1;
    return rotateLeft(hash ^ word, 27) * hashPrime1 + 0x52DCE729u;
}

}  // namespace

uint64_t mixBits(uint64_t value) {
    value ^= value >> 33;
    value *= 0xFF51AFD7ED558CCDu;
    value ^= value >> 33;
    value *= 0xC4CEB9FE1A85EC53u;
    return value ^ (value >> 33);
}

uint64_t bytesHash(const char* bytes, size_t size) {
    uint64_t hash = 0x27D4EB2F165667C5u ^ (uint64_t{size} * hashPrime1);
    size_t k = 0;
    for (; k + 8 <= size; k += 8) {
        hash = hashWord(hash, load64(bytes + k));
    }
    uint64_t tail = 0;
    for (int shift = 0; k < size; ++k, shift += 8) {
        tail |= uint64_t{static_cast<unsigned char>(bytes[k])} << shift;
    }
    return mixBits(hashWord(hash, tail));
}

}  // namespace figury

#pragma once

#include <cstdint>

namespace figury {

// Mouse messages carry x and y as the signed 16-bit halves of their lParam.
constexpr int32_t signedHalf(uint32_t half) {
    return half >= 0x8000u ? static_cast<int32_t>(half) - 0x10000 : static_cast<int32_t>(half);
}
constexpr int32_t mouseX(intptr_t lParam) {
    return signedHalf(static_cast<uint32_t>(static_cast<uintptr_t>(lParam) & 0xFFFFu));
}
constexpr int32_t mouseY(intptr_t lParam) {
    return signedHalf(static_cast<uint32_t>((static_cast<uintptr_t>(lParam) >> 16) & 0xFFFFu));
}

}  // namespace figury

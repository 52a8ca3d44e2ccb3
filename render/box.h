#pragma once

#include <algorithm>
#include <cstdint>

namespace figury {

// A rectangle of client-area pixels, right and bottom exclusive. 64-bit: the
// box around a shape reaches past the 32-bit coordinates it is drawn from.
struct Box {
    int64_t left, top, right, bottom;
};

constexpr bool operator==(const Box& a, const Box& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The smallest box that holds both.
constexpr Box unite(const Box& a, const Box& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

// The part of box inside a width x height picture; empty when they miss.
constexpr Box clippedTo(const Box& box, int width, int height) {
    return {std::max<int64_t>(box.left, 0), std::max<int64_t>(box.top, 0),
            std::min<int64_t>(box.right, width), std::min<int64_t>(box.bottom, height)};
}

constexpr bool isEmpty(const Box& box) {
    return box.left >= box.right || box.top >= box.bottom;
}

}  // namespace figury

#pragma once
// The brightness rule of the conversion, and the per-channel tables the fast conversion uses.

#include <array>
#include <cstdint>

namespace pictoma {

constexpr int DEFAULT_THRESHOLD = 125;
constexpr int MIN_THRESHOLD = 100;  // the range the editor's commands and dialog keep to
constexpr int MAX_THRESHOLD = 180;

// Brightness 0..255 of a colour: the integer part of (0.51 g + 0.17 b) + 0.32 r, in doubles and in
// that order of additions (every grey v gives v exactly). Needs -ffp-contract=off: a fused
// multiply-add would round differently for some colours.
inline int Brightness(int red, int green, int blue) {
    return int((0.51 * green + 0.17 * blue) + 0.32 * red);
}

// The same products, computed once per channel value. (G[g] + B[b]) + R[r] is bit-identical to the
// rule above, since each product is the same double and the additions come in the same order.
struct BrightnessTables {
    std::array<double, 256> red{}, green{}, blue{};

    BrightnessTables() {
        for (int v = 0; v < 256; ++v) {
            red[v] = 0.32 * v;
            green[v] = 0.51 * v;
            blue[v] = 0.17 * v;
        }
    }
    double Sum(std::uint8_t r, std::uint8_t g, std::uint8_t b) const {
        return (green[g] + blue[b]) + red[r];
    }
    int Of(std::uint8_t r, std::uint8_t g, std::uint8_t b) const { return int(Sum(r, g, b)); }
    // Black when the brightness is at most `threshold`. Sums are >= 0, so their integer part is at
    // most t exactly when the sum is below t + 1; that skips the conversion to int.
    static double Limit(int threshold) { return double(threshold) + 1.0; }
    bool Black(std::uint8_t r, std::uint8_t g, std::uint8_t b, double limit) const {
        return Sum(r, g, b) < limit;
    }
};

// 16-bit pixels (5-5-5, bit 15 ignored): each 5-bit component widened by bit replication.
constexpr int Widen5(int c5) {
    return (c5 << 3) | (c5 >> 2);
}
inline int Brightness555(std::uint16_t word) {
    return Brightness(Widen5((word >> 10) & 31), Widen5((word >> 5) & 31), Widen5(word & 31));
}

}  // namespace pictoma

#pragma once
// The brightness rule of the conversion, and its exact integer form that the fast conversion uses.

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

// The rule in exact integers: 100 times the brightness before truncation is 51 g + 17 b + 32 r
// (0..25500), and a colour is black when that sum is below 100 (t + 1). Where the sum is not a
// multiple of 100 the exact value lies at least 0.01 from every integer while the double rule is
// off by less than 1e-12, so both decide alike; at an exact multiple the double sum may fall just
// below the integer (0.51 and 0.17 are not exact in binary), and there the double rule decides.
// Only the multiple 100 (t + 1) can change a decision at threshold t.
constexpr int BrightnessSum100(int red, int green, int blue) {
    return 51 * green + 17 * blue + 32 * red;
}

// The black-or-white decision of colour pixels at one threshold, in the exact integer form.
struct ThresholdRule {
    // Thresholds below -1 or above 255 decide like -1 (nothing black) and 255 (all black).
    explicit ThresholdRule(int t) : threshold(t < -1 ? -1 : t > 255 ? 255 : t) {}

    int threshold;
    int limit = 100 * (threshold + 1);  // black below this sum; at it, the double rule decides

    bool Black(int red, int green, int blue) const {
        const int sum = BrightnessSum100(red, green, blue);
        if (sum != limit) return sum < limit;
        return Brightness(red, green, blue) <= threshold;
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

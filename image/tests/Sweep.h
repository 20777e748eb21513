#pragma once
// How much of the colour cube the exhaustive tests sweep. An optimised build takes every colour;
// an unoptimised or sanitizer build, where the same sweep runs tens of times slower, takes every
// red value that is a multiple of kSweepStep (255 among them), with all greens and blues.

namespace pictoma::test {

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PICTOMA_SWEEP_LIGHT 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || !defined(__OPTIMIZE__)
#define PICTOMA_SWEEP_LIGHT 1
#endif

#ifdef PICTOMA_SWEEP_LIGHT
constexpr int kSweepStep = 15;  // reds 0, 15, ..., 255: 18 of 256
#else
constexpr int kSweepStep = 1;
#endif

}  // namespace pictoma::test

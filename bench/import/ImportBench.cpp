// The import pipeline after decoding (composite, scale, convert) on a 4096 x 4096 RGBA source, and
// the Import dialog's re-conversion after a slider change on its cached levels.
//   cmake --build build --target import_bench && ./build/bench/import/import_bench

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "ImportSession.h"
#include "Pipeline.h"

namespace {

using namespace pictoma;

constexpr int kSide = 4096;

// A photo-like source: smooth colour gradients with noise, and an alpha that varies across, so
// that the compositing does real work on most pixels.
const RgbaImage& Source() {
    static const RgbaImage image = [] {
        RgbaImage img(kSide, kSide);
        std::mt19937 rng(4096);
        for (int y = 0; y < kSide; ++y) {
            std::uint8_t* p = img.Row(y);
            for (int x = 0; x < kSide; ++x, p += 4) {
                const unsigned noise = rng() & 31;
                p[0] = std::uint8_t((x / 16 + noise) & 255);
                p[1] = std::uint8_t((y / 16 + noise) & 255);
                p[2] = std::uint8_t(((x + y) / 32) & 255);
                p[3] = std::uint8_t(x < kSide / 2 ? 255 : (x ^ y) & 255);
            }
        }
        return img;
    }();
    return image;
}

void Steps(benchmark::State& state, SizeMode size) {
    ImportOptions o;
    o.size = size;
    o.dither = Dither::FloydSteinberg;
    const RgbaImage& img = Source();
    for (auto _ : state) {
        RgbaViewRows rows(img.View());
        Picture p = ImportPicture(rows, o);
        benchmark::DoNotOptimize(p.bytes.data());
    }
}

void BM_FitFloydSteinberg(benchmark::State& state) {
    Steps(state, SizeMode::Fit);
}
void BM_OriginalFloydSteinberg(benchmark::State& state) {
    Steps(state, SizeMode::Original);
}

// The dialog's preview after a threshold step: the levels are cached, only the convert step runs
// (the screen's 128 x 64 window of the result).
void Reconvert(benchmark::State& state, SizeMode size, Dither dither) {
    auto source = std::make_shared<RasterSource>(Source());
    ImportSession session(source);
    ImportOptions o;
    o.size = size;
    o.dither = dither;
    session.Prepared(o);
    int step = 0;
    for (auto _ : state) {
        o.threshold = 100 + (step++ % 50);
        Picture p = session.Preview(o);
        benchmark::DoNotOptimize(p.bytes.data());
    }
}

void BM_PreviewFitFloydSteinberg(benchmark::State& state) {
    Reconvert(state, SizeMode::Fit, Dither::FloydSteinberg);
}
void BM_PreviewOriginalFloydSteinberg(benchmark::State& state) {
    Reconvert(state, SizeMode::Original, Dither::FloydSteinberg);
}
void BM_PreviewOriginalAtkinson(benchmark::State& state) {
    Reconvert(state, SizeMode::Original, Dither::Atkinson);
}

// The whole result on OK for the original size (what the dialog returns), for comparison.
void ConvertOriginal(benchmark::State& state, Dither dither) {
    auto source = std::make_shared<RasterSource>(Source());
    ImportSession session(source);
    ImportOptions o;
    o.dither = dither;
    session.Prepared(o);
    for (auto _ : state) {
        Picture p = session.Convert(o);
        benchmark::DoNotOptimize(p.bytes.data());
    }
}

void BM_ConvertOriginalFloydSteinberg(benchmark::State& state) {
    ConvertOriginal(state, Dither::FloydSteinberg);
}
void BM_ConvertOriginalThreshold(benchmark::State& state) {
    ConvertOriginal(state, Dither::None);
}

BENCHMARK(BM_FitFloydSteinberg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OriginalFloydSteinberg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewFitFloydSteinberg)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PreviewOriginalFloydSteinberg)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PreviewOriginalAtkinson)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ConvertOriginalFloydSteinberg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertOriginalThreshold)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

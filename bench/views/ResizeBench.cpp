// Resize from sources of several sizes to the full screen, and the literal two-step reference
// (enlarge to the least common multiple, then reduce) where its intermediate picture fits.
// Run: views_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "Resize.h"
#include "ResizeReference.h"

namespace pictoma {
namespace {

// The reference is skipped when its intermediate picture would take more than this.
constexpr std::size_t REFERENCE_MEMORY_LIMIT = std::size_t(512) << 20;

// A mostly black picture with random white pixels, so that blocks do not all come out alike.
Picture Source(int width, int height) {
    std::mt19937 rng(7);
    Picture p(width, height);
    for (auto& b : p.bytes)
        b = std::uint8_t(rng() | rng() | rng());
    return p;
}

void BM_Resize(benchmark::State& state) {
    const Picture source = Source(int(state.range(0)), int(state.range(1)));
    const Size to{int(state.range(2)), int(state.range(3))};
    for (auto _ : state)
        benchmark::DoNotOptimize(Resize(source, to));
}

void BM_TwoStepReference(benchmark::State& state) {
    const Picture source = Source(int(state.range(0)), int(state.range(1)));
    const Size to{int(state.range(2)), int(state.range(3))};
    const std::size_t memory = reference::IntermediateBytes({source.width, source.height}, to);
    if (memory > REFERENCE_MEMORY_LIMIT) {
        state.SkipWithError("intermediate picture too large");
        for (auto _ : state) {
        }
        return;
    }
    state.counters["intermediate_MB"] = double(memory) / (1 << 20);
    for (auto _ : state)
        benchmark::DoNotOptimize(reference::Resize(source, to));
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h", "to_w", "to_h"});
    b->Args({127, 63, 128, 64});
    b->Args({640, 480, 128, 64});
    b->Args({2000, 1500, 128, 64});
    b->Args({4001, 3001, 128, 64});
    b->Args({40, 40, 128, 64});
    b->Args({4096, 4096, 128, 64});
    b->Args({4095, 4095, 127, 63});
    b->Args({4096, 4096, 8, 1});
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_Resize)->Apply(Sizes);
BENCHMARK(BM_TwoStepReference)->Apply(Sizes);

}  // namespace
}  // namespace pictoma

BENCHMARK_MAIN();

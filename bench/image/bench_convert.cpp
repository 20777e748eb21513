// Conversion speed of the bitmap reader on 4096 x 4096 files, on each conversion path the processor
// has, against the floor of merely reading the same file through the same buffer.
//   cmake --build build --target bench_convert && ./build/bench/image/bench_convert

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "BmpFile.h"
#include "BmpImage.h"
#include "ConvertPath.h"

namespace {

constexpr int kSide = 4096;

// Writes a 4096 x 4096 bitmap of `bits` bits per pixel with random pixels (a grey palette for 1
// and 8 bits) and returns its path; made once per bit count.
std::string MakeFile(int bits) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("pictoma_bench_" + std::to_string(bits) + ".bmp"))
                                 .string();
    const std::size_t rowData = bits == 1 ? kSide / 8 : std::size_t(kSide) * std::size_t(bits / 8);
    const std::size_t row = (rowData + 3) / 4 * 4;
    const std::uint32_t colours = bits <= 8 ? 1u << bits : 0;
    const std::uint32_t off = 54 + 4 * colours;
    const std::uint32_t size = off + std::uint32_t(row * kSide);
    if (std::filesystem::exists(path) && std::filesystem::file_size(path) == size) return path;

    std::vector<std::uint8_t> head(off, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&head[at], &v, 4); };
    head[0] = 'B';
    head[1] = 'M';
    put32(2, size);
    put32(10, off);
    put32(14, 40);
    put32(18, kSide);
    put32(22, kSide);
    head[26] = 1;
    head[28] = std::uint8_t(bits);
    for (std::uint32_t i = 0; i < colours; ++i) {
        const auto v = std::uint8_t(i * 255 / (colours - 1));
        head[54 + 4 * i] = head[55 + 4 * i] = head[56 + 4 * i] = v;
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(head.data(), 1, head.size(), f);
    std::mt19937 rng(12345);
    std::vector<std::uint8_t> r(row);
    for (int y = 0; y < kSide; ++y) {
        for (auto& b : r)
            b = std::uint8_t(rng());
        std::fwrite(r.data(), 1, r.size(), f);
    }
    std::fclose(f);
    return path;
}

// Arguments: bits per pixel, conversion path (0 scalar, 1 SSE2, 2 AVX2).
void BM_Convert(benchmark::State& state) {
    const std::string path = MakeFile(int(state.range(0)));
    const auto convertPath = pictoma::ConvertPath(state.range(1));
    if (!pictoma::ForceConvertPath(convertPath)) {
        state.SkipWithError("path not supported by this processor");
        return;
    }
    state.SetLabel(pictoma::ConvertPathName(convertPath));
    pictoma::CBmpImage image;
    image.SetFileName(path);
    for (auto _ : state) {
        if (!image.Load()) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(image.HasPicture());
    }
    pictoma::ResetConvertPath();
    state.SetBytesProcessed(std::int64_t(state.iterations()) *
                            std::int64_t(std::filesystem::file_size(path)));
}

// The floor: the same file read sequentially through the reader's buffer, nothing decided.
void BM_ReadOnly(benchmark::State& state) {
    const std::string path = MakeFile(int(state.range(0)));
    for (auto _ : state) {
        pictoma::BmpFile file;
        file.Open(path);
        std::size_t got = 0, sum = 0;
        do {
            const std::uint8_t* p = file.Fetch(pictoma::BmpFile::kBufferSize, &got);
            if (got) sum += p[got - 1];
        } while (got > 0);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) *
                            std::int64_t(std::filesystem::file_size(path)));
}

BENCHMARK(BM_Convert)
    ->ArgsProduct({{24, 32, 8, 1}, {0, 1, 2}})
    ->ArgNames({"bits", "path"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadOnly)->Arg(24)->Arg(32)->Arg(8)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

#include "ConvertPath.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "VectorIsa.h"

namespace pictoma {

namespace {

constexpr int kNotForced = -1;
std::atomic<int> g_forced{kNotForced};

bool HasSse2() {
#ifdef PICTOMA_HAVE_SSE2
    return true;
#else
    return false;
#endif
}

bool HasAvx2() {
#ifdef PICTOMA_HAVE_AVX2
    // Also checks that the operating system saves the 256-bit registers.
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

ConvertPath DefaultPath() {
    static const ConvertPath path = [] {
        if (const char* env = std::getenv("PICTOMA_CONVERT_PATH")) {
            for (ConvertPath p : {ConvertPath::Scalar, ConvertPath::Sse2, ConvertPath::Avx2})
                if (std::strcmp(env, ConvertPathName(p)) == 0 && ConvertPathSupported(p)) return p;
        }
        if (ConvertPathSupported(ConvertPath::Avx2)) return ConvertPath::Avx2;
        if (ConvertPathSupported(ConvertPath::Sse2)) return ConvertPath::Sse2;
        return ConvertPath::Scalar;
    }();
    return path;
}

}  // namespace

const char* ConvertPathName(ConvertPath path) {
    switch (path) {
        case ConvertPath::Scalar:
            return "scalar";
        case ConvertPath::Sse2:
            return "sse2";
        case ConvertPath::Avx2:
            return "avx2";
    }
    return "?";
}

bool ConvertPathSupported(ConvertPath path) {
    switch (path) {
        case ConvertPath::Scalar:
            return true;
        case ConvertPath::Sse2:
            return HasSse2();
        case ConvertPath::Avx2:
            return HasSse2() && HasAvx2();
    }
    return false;
}

ConvertPath ActiveConvertPath() {
    const int forced = g_forced.load(std::memory_order_relaxed);
    return forced == kNotForced ? DefaultPath() : ConvertPath(forced);
}

bool ForceConvertPath(ConvertPath path) {
    if (!ConvertPathSupported(path)) return false;
    g_forced.store(int(path), std::memory_order_relaxed);
    return true;
}

void ResetConvertPath() {
    g_forced.store(kNotForced, std::memory_order_relaxed);
}

}  // namespace pictoma

#pragma once
// The instructions the bitmap conversion decides its pixels with. Every path gives the same bits;
// they differ only in speed. The best one the processor has is taken unless one is forced.

namespace pictoma {

enum class ConvertPath {
    Scalar,  // plain C++, any processor
    Sse2,    // 128-bit vectors, every x86-64 processor
    Avx2,    // 256-bit vectors, chosen at run time where the processor has them
};

// "scalar", "sse2" or "avx2".
const char* ConvertPathName(ConvertPath path);
// Whether this build and this processor can run `path`.
bool ConvertPathSupported(ConvertPath path);
// The path conversions use now: the forced one; else the one named by the environment variable
// PICTOMA_CONVERT_PATH ("scalar", "sse2", "avx2") when it is supported; else the best supported.
ConvertPath ActiveConvertPath();
// Makes the following conversions use `path` (tests, benchmarks). Returns false, and changes
// nothing, when the path is not supported here.
bool ForceConvertPath(ConvertPath path);
// Returns to the default choice of ActiveConvertPath.
void ResetConvertPath();

}  // namespace pictoma

#pragma once
// Which vector instruction sets this build compiles, for the files that hold vector code.
//   PICTOMA_HAVE_SSE2  SSE2, part of every x86-64 processor: no compiler flag needed.
//   PICTOMA_HAVE_AVX2  AVX2 (GCC and Clang). Its functions carry PICTOMA_AVX2 each, never a flag
//                      on the file, so no AVX2 instruction reaches code that runs on processors
//                      without it; they are handed out only where ConvertPath says AVX2 runs.

#if defined(__SSE2__) || defined(__x86_64__) || defined(_M_X64)
#define PICTOMA_HAVE_SSE2 1
#include <emmintrin.h>
#endif

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define PICTOMA_HAVE_AVX2 1
#include <immintrin.h>
#define PICTOMA_AVX2 __attribute__((target("avx2")))
#endif

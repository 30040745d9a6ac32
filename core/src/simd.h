// Whether the SSE2 paths are compiled: GCC and Clang say so with __SSE2__,
// MSVC does not, though every x86-64 processor has SSE2. Elsewhere (arm64)
// the scalar loops run, giving the same output.
#pragma once

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#define BRINDLE_SSE2 1
#else
#define BRINDLE_SSE2 0
#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/numeric/VectorState.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace orvane {

#if defined(__x86_64__) || defined(__i386__)

namespace {

// Only this function is compiled for AVX; it runs only after the check.
__attribute__((target("avx"))) void ZeroUpper() {
    _mm256_zeroupper();
}

bool HasAvx() {
    // The check also covers the operating system saving the AVX state.
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx") != 0;
    }();
    return has;
}

} // namespace

void ClearUpperVectorState() {
    if (HasAvx())
        ZeroUpper();
}

#else

void ClearUpperVectorState() {}

#endif

} // namespace orvane

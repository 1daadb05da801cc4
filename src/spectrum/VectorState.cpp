// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/VectorState.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace {
__attribute__((target("avx"))) void ZeroUpperHalves() {
    _mm256_zeroupper();
}
} // namespace

void ClearUpperVectorState() {
    static const bool hasWideRegisters = __builtin_cpu_supports("avx");
    if (hasWideRegisters) ZeroUpperHalves();
}
#else
void ClearUpperVectorState() {}
#endif

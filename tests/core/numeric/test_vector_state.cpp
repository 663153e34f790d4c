// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/numeric/VectorState.h"

#include <QtTest>
#include <cstdint>

using namespace orvane;

class TestVectorState : public QObject {
    Q_OBJECT
private slots:
    // After painting code left the upper half of a vector register in use,
    // the helper leaves it clear, as vzeroupper does.
    void clearsUpperHalves() {
#if defined(__x86_64__)
        __builtin_cpu_init();
        if (!__builtin_cpu_supports("avx"))
            QSKIP("no AVX: the helper does nothing here");
        // All ones in ymm15 (no argument register), upper half included.
        asm volatile("vpcmpeqd %%ymm15, %%ymm15, %%ymm15" ::: "xmm15");
        ClearUpperVectorState();
        std::uint64_t upper[2] = {1, 1};
        asm volatile("vextractf128 $1, %%ymm15, %%xmm15\n\t"
                     "vmovdqu %%xmm15, %0"
                     : "=m"(upper)
                     :
                     : "xmm15");
        QCOMPARE(upper[0], std::uint64_t(0));
        QCOMPARE(upper[1], std::uint64_t(0));
#else
        ClearUpperVectorState();
        QSKIP("not an x86 processor: the helper does nothing here");
#endif
    }
};

QTEST_APPLESS_MAIN(TestVectorState)
#include "test_vector_state.moc"

// Evaluating key sequences allocates nothing. The binary's own global operators count
// every allocation (it runs without sanitizers, whose operators these would replace).
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "Common/KeySequence.h"

namespace {
long allocations = 0;
}  // namespace

void* operator new(size_t size) {
    ++allocations;
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, size_t) noexcept {
    std::free(block);
}

TEST(KeySequenceAllocations, AMillionEvaluationsOfAThousandKeysAllocateNothing) {
    for (uint32_t mode : {0u, 1u, 2u, 3u}) {
        Zep::TypedKeySequence<float> floats;
        Zep::TypedKeySequence<Zep::Color> colors;
        for (int32_t k = 0; k < 1000; ++k) {
            floats.SetKey(k * 7, static_cast<float>(k % 13), mode);
            colors.SetKey(k * 7, Zep::Color(0xFF000000u | static_cast<uint32_t>(k) * 97u), mode);
        }
        const long before = allocations;
        float f = 0.0f;
        Zep::Color c;
        int produced = 0;
        for (int32_t n = 0; n < 1000000; ++n)
            produced += floats.Evaluate(n % 7200 - 100.25f, f) + colors.Evaluate(n % 7100 + 0.5f, c);
        EXPECT_EQ(0, allocations - before) << mode;
        EXPECT_EQ(2000000, produced) << mode;
    }
}

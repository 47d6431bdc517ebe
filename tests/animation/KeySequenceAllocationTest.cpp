// Evaluating key sequences allocates nothing. The binary has global allocation
// operators of its own that count every call (it runs without sanitizers, whose
// operators these replace).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "Common/KeySequence.h"

namespace {

std::atomic<long> allocations{0};

void* CountedAllocate(size_t size) {
    ++allocations;
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

// A 1000-key sequence in the given mode, frames 0, 7, 14, ...
template <class T, class MakeValue>
Zep::TypedKeySequence<T> ThousandKeys(uint32_t mode, MakeValue makeValue) {
    Zep::TypedKeySequence<T> sequence;
    for (int32_t k = 0; k < 1000; ++k)
        sequence.SetKey(k * 7, makeValue(k), mode);
    return sequence;
}

// Allocations made by a million evaluations spread over the whole sequence and
// beyond both ends.
template <class T>
long AllocationsOfAMillionEvaluations(const Zep::TypedKeySequence<T>& sequence) {
    T value{};
    long produced = 0;
    const long before = allocations.load();
    for (int32_t n = 0; n < 1000000; ++n)
        produced += sequence.Evaluate(static_cast<float>(n % 7200) - 100.25f, value) ? 1 : 0;
    const long made = allocations.load() - before;
    EXPECT_EQ(1000000, produced);
    return made;
}

}  // namespace

void* operator new(size_t size) {
    return CountedAllocate(size);
}
void* operator new[](size_t size) {
    return CountedAllocate(size);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, size_t) noexcept {
    std::free(block);
}

TEST(KeySequenceAllocations, EvaluationAllocatesNothing) {
    const long before = allocations.load();
    const auto floats = ThousandKeys<float>(0, [](int32_t k) { return static_cast<float>(k % 13); });
    ASSERT_GT(allocations.load(), before);  // the counter sees the sequence being built

    for (uint32_t mode : {0u, 1u, 2u, 3u}) {
        EXPECT_EQ(0, AllocationsOfAMillionEvaluations(
                         ThousandKeys<float>(mode, [](int32_t k) { return static_cast<float>(k % 13); })))
            << "float mode " << mode;
        EXPECT_EQ(0, AllocationsOfAMillionEvaluations(ThousandKeys<Zep::Vector2>(
                         mode, [](int32_t k) { return Zep::Vector2(static_cast<float>(k), -1.0f); })))
            << "vector mode " << mode;
        EXPECT_EQ(0, AllocationsOfAMillionEvaluations(ThousandKeys<Zep::Color>(
                         mode, [](int32_t k) { return Zep::Color(0xFF000000u | static_cast<uint32_t>(k) * 97u); })))
            << "colour mode " << mode;
    }
    EXPECT_EQ(0, AllocationsOfAMillionEvaluations(floats));
}

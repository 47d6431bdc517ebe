#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "Common/MathUtils.h"
#include "Common/ValueTypes.h"
#include "TestSupport.h"

namespace {

// Seeds whose next step outputs the extremes 65535 and 0.
const uint32_t kSeedBeforeMaximum = 0x701BF641u;
const uint32_t kSeedBeforeZero = 0xA170F641u;

TEST(Random, FirstDrawAfterStartIs38) {
    const TestSupport::ChildResult result = TestSupport::RunInChild([]() {
        if (Zep::Rand() != 38)
            std::_Exit(2);
        if (Zep::Rand(10, 3) != 0)  // slot 3 is still at state 0
            std::_Exit(3);
    });
    EXPECT_EQ(0, result.exitCode) << result.stdErr;
}

TEST(Random, SlotsAreIndependentAndMaskedToEight) {
    EXPECT_EQ(1, Zep::SetRand(1, 9));
    EXPECT_EQ(0, Zep::SetRand(0, 0));
    // Values of the generator from seed 1, 16-bit outputs.
    const int expected[] = {41, 51235, 6334, 59268, 51937};
    for (int value : expected) {
        EXPECT_EQ(value, Zep::Rand(65535, 1));
    }
    EXPECT_EQ(38, Zep::Rand());  // slot 0 untouched by the draws of slot 1
    EXPECT_EQ(7, Zep::SetRand(1, -1));
    EXPECT_EQ(41, Zep::Rand(100000, 7));
}

TEST(Random, RangesAtTheExtremes) {
    Zep::SetRand(kSeedBeforeMaximum, 2);
    EXPECT_EQ(65533, Zep::Rand(65534, 2));  // 65534 * 65535 overflows a signed product
    Zep::SetRand(kSeedBeforeMaximum, 2);
    EXPECT_EQ(65535, Zep::Rand(65535, 2));
    Zep::SetRand(kSeedBeforeMaximum, 2);
    EXPECT_EQ(0, Zep::Rand(0, 2));
    // n <= 0 still steps the slot.
    Zep::SetRand(kSeedBeforeMaximum, 2);
    Zep::Rand(-5, 2);
    Zep::SetRand(kSeedBeforeMaximum, 3);
    Zep::Rand(1, 3);
    EXPECT_EQ(Zep::Rand(65535, 3), Zep::Rand(65535, 2));

    Zep::SetRand(kSeedBeforeMaximum, 4);
    EXPECT_EQ(1.0f, Zep::RandUnit(4));
    Zep::SetRand(kSeedBeforeZero, 4);
    EXPECT_EQ(0.0f, Zep::RandUnit(4));
}

TEST(Random, RandomPairDrawsFromSlotZero) {
    Zep::SetRand(kSeedBeforeMaximum, 0);
    EXPECT_FLOAT_EQ(10.0f + 0.5f * 4.0f, Zep::RandomPair(10.0f, 4.0f).DrawEven());
    Zep::SetRand(kSeedBeforeZero, 0);
    EXPECT_FLOAT_EQ(10.0f - 0.5f * 4.0f, Zep::RandomPair(10.0f, 4.0f).DrawEven());
}

TEST(Crc32, StandardCheckValueAndChaining) {
    const char digits[] = "123456789";
    EXPECT_EQ(0xCBF43926u, Zep::Crc32(0, digits, 9));
    EXPECT_EQ(0xCBF43926u, Zep::Crc32(Zep::Crc32(0, digits, 4), digits + 4, 5));
    EXPECT_EQ(0u, Zep::Crc32(0, nullptr, 0));
    EXPECT_EQ(0x1234u, Zep::Crc32(0x1234u, digits, 0));
    const unsigned char zeros[4] = {0, 0, 0, 0};
    EXPECT_EQ(0x2144DF1Cu, Zep::Crc32(0, zeros, sizeof(zeros)));
}

TEST(Crc32, FirstUseFromSeveralThreads) {
    // Only meaningful in a fresh process: the table is built once for all.
    const TestSupport::ChildResult result = TestSupport::RunInChild([]() {
        std::vector<std::thread> threads;
        std::vector<uint32_t> results(4, 0);
        for (size_t t = 0; t < results.size(); ++t)
            threads.emplace_back([&results, t]() { results[t] = Zep::Crc32(0, "123456789", 9); });
        for (std::thread& thread : threads)
            thread.join();
        for (uint32_t value : results)
            if (value != 0xCBF43926u)
                std::_Exit(2);
    });
    EXPECT_EQ(0, result.exitCode) << result.stdErr;
}

}  // namespace

// Reserving and committing address ranges.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include <windows.h>

TEST(VirtualMemory, ReserveThenCommitPagesOfTheRange) {
    const SIZE_T size = 0x19000000;
    uint8_t* base = static_cast<uint8_t*>(VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(base) % 0x10000, 0u);

    // A commit is rounded out to whole pages and returns the first page.
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    uint8_t* inner = base + 3 * info.dwPageSize + 100;
    EXPECT_EQ(VirtualAlloc(inner, 8, MEM_COMMIT, PAGE_READWRITE), base + 3 * info.dwPageSize);
    std::memset(base + 3 * info.dwPageSize, 0xAB, info.dwPageSize);
    EXPECT_EQ(inner[0], 0xAB);
    // The last byte of the reservation can be committed; a range beyond it cannot.
    EXPECT_NE(VirtualAlloc(base + size - 4, 4, MEM_COMMIT, PAGE_READWRITE), nullptr);
    base[size - 1] = 1;
    SetLastError(0);
    EXPECT_EQ(VirtualAlloc(base + size - 4, 8, MEM_COMMIT, PAGE_READWRITE), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);

    EXPECT_FALSE(VirtualFree(base + info.dwPageSize, 0, MEM_RELEASE));
    EXPECT_TRUE(VirtualFree(base, 0, MEM_RELEASE));
    // Once released the range is no longer a reservation.
    EXPECT_EQ(VirtualAlloc(base, 8, MEM_COMMIT, PAGE_READWRITE), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
}

TEST(VirtualMemory, CommitWithoutAddressReservesAsWell) {
    uint8_t* block = static_cast<uint8_t*>(VirtualAlloc(nullptr, 10000, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(block, nullptr);
    block[9999] = 7;
    EXPECT_TRUE(VirtualFree(block, 0, MEM_RELEASE));
    EXPECT_EQ(VirtualAlloc(nullptr, 0, MEM_RESERVE, PAGE_READWRITE), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

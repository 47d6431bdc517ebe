#include "Common/MemoryStream.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "Common/CoreUtils.h"
#include "Common/MemoryManager.h"

namespace Zep {

namespace {

const int64_t kMaxStreamSize = std::numeric_limits<int32_t>::max();
const char kEndOfStreamText[] =
    "Failed to write data to MemoryStream: end of stream reached, and auto resize is not allowed";

// The stream's block, exactly bytes long; freed at 0. Failures throw Zep::Exception::Memory.
uint8_t* ReallocateBlock(uint8_t* block, int64_t bytes) {
    return static_cast<uint8_t*>(
        MemoryManager::ReallocateChecked(block, static_cast<size_t>(std::max<int64_t>(bytes, 0))));
}

}  // namespace

MemoryStream::MemoryStream(const void* copyFrom, int32_t size, uint32_t flags)
    : flags(flags), data(nullptr), capacity(0), size(0), position(0) {
    ZEP_ASSERT_MSG(size <= 0 || copyFrom != nullptr, "Zep::MemoryStream.MemoryStream(): copyFrom is NULL");
    if (size > 0) {
        data = static_cast<uint8_t*>(MemoryManager::AllocateChecked(static_cast<size_t>(size)));
        std::memcpy(data, copyFrom, static_cast<size_t>(size));
        capacity = size;
        this->size = size;
    }
}

MemoryStream::MemoryStream(int32_t size, uint32_t flags)
    : flags(flags), data(nullptr), capacity(0), size(0), position(0) {
    if (size > 0) {
        const int64_t room = (static_cast<int64_t>(size) + 1535) & ~int64_t(1023);
        capacity = static_cast<int32_t>(std::min(room, kMaxStreamSize));
        data = static_cast<uint8_t*>(MemoryManager::AllocateChecked(static_cast<size_t>(capacity)));
        if (flags & ZeroOnCreate)
            std::memset(data, 0, static_cast<size_t>(size));
        this->size = size;
    }
}

MemoryStream::~MemoryStream() {
    MemoryManager::Deallocate(data);
}

void MemoryStream::SetSize(int32_t newSize) {
    newSize = std::max(newSize, 0);
    if (newSize != capacity) {
        data = ReallocateBlock(data, newSize);
        capacity = newSize;
    }
    if ((flags & ZeroOnGrowth) && newSize > size)
        std::memset(data + size, 0, static_cast<size_t>(newSize - size));
    size = newSize;
    position = std::min(position, size);
}

int32_t MemoryStream::Seek(int32_t offset, int origin) {
    int64_t target = offset;
    if (origin == SeekCurrent)
        target += position;
    else if (origin == SeekEnd)
        target += size;
    if (target <= 0) {
        position = 0;
    } else if (target > size) {
        if (flags & AutoResize) {
            target = std::min(target, kMaxStreamSize);
            if (target > capacity)
                Grow(static_cast<int32_t>(target));
            if (flags & ZeroOnGrowth)
                std::memset(data + size, 0, static_cast<size_t>(target - size));
            size = static_cast<int32_t>(target);
        }
        position = size;
    } else {
        position = static_cast<int32_t>(target);
    }
    return position;
}

int32_t MemoryStream::Read(void* buffer, int32_t bytes, bool advance) {
    const int32_t count = std::min(bytes, size - position);
    if (count <= 0)
        return 0;
    ZEP_ASSERT(buffer != nullptr);
    std::memcpy(buffer, data + position, static_cast<size_t>(count));
    if (advance)
        position += count;
    return count;
}

bool MemoryStream::GetBufferedBytes(const uint8_t*& bytes, int32_t& count) {
    count = std::max(size - position, 0);
    bytes = data + position;
    return true;
}

bool MemoryStream::ReadByte(uint8_t& byte) {
    if (position >= size)
        return false;
    byte = data[position++];
    return true;
}

bool MemoryStream::PeekByte(uint8_t& byte) {
    if (position >= size)
        return false;
    byte = data[position];
    return true;
}

uint8_t MemoryStream::ReadChar() {
    return position < size ? data[position++] : kEndChar;
}

uint8_t MemoryStream::PeekChar() {
    return position < size ? data[position] : kEndChar;
}

void MemoryStream::Write(const void* buffer, int32_t bytes) {
    if (bytes <= 0)
        return;
    ZEP_ASSERT(buffer != nullptr);
    Extend(static_cast<int64_t>(position) + bytes);
    std::memcpy(data + position, buffer, static_cast<size_t>(bytes));
    position += bytes;
}

void MemoryStream::WriteByte(uint8_t byte) {
    Extend(static_cast<int64_t>(position) + 1);
    data[position++] = byte;
}

std::string MemoryStream::GetAsString() const {
    return size > 0 ? std::string(reinterpret_cast<const char*>(data), static_cast<size_t>(size)) : std::string();
}

void MemoryStream::Extend(int64_t end) {
    // Computed in 64 bits: a count near the 32-bit limit must not wrap past the check.
    if (end <= size)
        return;
    if (!(flags & AutoResize) || end > kMaxStreamSize)
        ZEP_PANIC(kEndOfStreamText);
    if (end > capacity)
        Grow(static_cast<int32_t>(end));
    size = static_cast<int32_t>(end);
}

void MemoryStream::Grow(int32_t needed) {
    int64_t newCapacity;
    if (capacity < 512)
        newCapacity = 1024;
    else if (capacity < 0x100000)
        newCapacity = 2 * static_cast<int64_t>(capacity);
    else
        newCapacity = static_cast<int64_t>(capacity) + 0x100000;
    newCapacity = std::min(std::max<int64_t>(newCapacity, needed), kMaxStreamSize);
    data = ReallocateBlock(data, newCapacity);
    capacity = static_cast<int32_t>(newCapacity);
}

}  // namespace Zep

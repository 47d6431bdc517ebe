// A stream over a growable block of memory.
#pragma once

#include <cstdint>
#include <string>

#include "Common/Stream.h"

namespace Zep {

class MemoryStream : public Stream {
public:
    enum Flags : uint32_t {
        AutoResize = 1,    // writes and seeks past the end grow the stream
        ZeroOnCreate = 2,  // the first size bytes of a new stream are zeroed
        ZeroOnGrowth = 4,  // bytes that growth adds are zeroed
    };

    // A stream holding a copy of size bytes of copyFrom, in a block of exactly that size.
    MemoryStream(const void* copyFrom, int32_t size, uint32_t flags);
    // A stream of size bytes with room for at least 512 more.
    MemoryStream(int32_t size, uint32_t flags);
    ~MemoryStream() override;

    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    int32_t GetSize() override { return size; }
    void SetSize(int32_t newSize) override;
    int32_t GetPosition() override { return position; }
    bool IsEOF() override { return position == size; }
    int32_t Seek(int32_t offset, int origin) override;
    int32_t Read(void* buffer, int32_t bytes, bool advance = true) override;
    bool GetBufferedBytes(const uint8_t*& bytes, int32_t& count) override;
    bool ReadByte(uint8_t& byte) override;
    bool PeekByte(uint8_t& byte) override;
    uint8_t ReadChar() override;
    uint8_t PeekChar() override;
    void Write(const void* buffer, int32_t bytes) override;
    void WriteByte(uint8_t byte) override;

    // The whole content, whatever the position.
    std::string GetAsString() const;

    int32_t GetCapacity() const { return capacity; }
    const uint8_t* GetData() const { return data; }

private:
    // Makes room for needed bytes by the growth rule.
    void Grow(int32_t needed);
    // Checks that end = position + bytes fits and makes the stream that long.
    void Extend(int64_t end);

    uint32_t flags;
    uint8_t* data;
    int32_t capacity;
    int32_t size;
    int32_t position;
};

}  // namespace Zep

// A stream over a file of the bundle system.
#pragma once

#include <cstdint>
#include <string>

#include "Common/FileHandle.h"
#include "Common/Stream.h"

namespace Zep {

// Reads and writes a bundle-system file through one buffer of its own (4 KiB,
// 16 KiB for write-only streams); requests at least as large as the buffer go
// straight to the file. Files must be below 2 GiB. Failures of the file throw
// Zep::Exception::Panic "message (\"path\"). file-system error text".
class FileStream : public Stream {
public:
    // mode: file-system open flags.
    FileStream(const std::string& path, uint32_t mode);
    // Writes back what the buffer holds and closes the file.
    ~FileStream() override;

    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    int32_t GetSize() override;
    void SetSize(int32_t size) override;
    int32_t GetPosition() override { return position; }
    bool IsEOF() override;
    int32_t Seek(int32_t offset, int origin) override;
    int32_t Read(void* buffer, int32_t bytes, bool advance = true) override;
    // What the buffer holds from the position on; an empty buffer is filled first.
    bool GetBufferedBytes(const uint8_t*& bytes, int32_t& count) override;
    bool ReadByte(uint8_t& byte) override;
    bool PeekByte(uint8_t& byte) override;
    uint8_t ReadChar() override;
    uint8_t PeekChar() override;
    void Write(const void* buffer, int32_t bytes) override;
    void WriteByte(uint8_t byte) override;
    void Flush() override;
    // 512 to 32768 bytes in steps of 512.
    virtual void SetBufferSize(int32_t bytes);

    int32_t GetBufferSize() const { return bufferCapacity; }

private:
    [[noreturn]] void Fail(const char* message) const;
    bool IsWritable() const;
    int64_t HandleSize() const;
    void EmptyBuffer();
    // Puts the file's own position at wanted before the file is read or written.
    void SyncFilePosition(int64_t wanted);
    // Reads up to bytes from the file's position into destination; fails on an error.
    int32_t ReadFromFile(void* destination, int32_t bytes);

    std::string path;
    FileHandle handle;
    int32_t position;
    uint8_t* buffer;
    int32_t bufferCapacity;
    int32_t bufferStart;  // file offset of the buffer's first byte
    int32_t bufferFill;   // valid or written bytes in the buffer
    bool dirty;           // the buffer holds bytes not yet in the file
};

}  // namespace Zep

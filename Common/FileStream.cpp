#include "Common/FileStream.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "Common/BundleSystem.h"
#include "Common/CoreUtils.h"
#include "Common/FileSystem.h"
#include "Common/MemoryManager.h"
#include "Common/StringUtils.h"

namespace Zep {

namespace {

const int64_t kTwoGiB = int64_t(1) << 31;
const int32_t kReadBufferSize = 4096;
const int32_t kWriteOnlyBufferSize = 16384;

}  // namespace

FileStream::FileStream(const std::string& path, uint32_t mode)
    : path(path),
      handle(nullptr),
      position(0),
      buffer(nullptr),
      bufferCapacity(0),
      bufferStart(0),
      bufferFill(0),
      dirty(false) {
    BundleSystem* bundles = BundleSystem::GetInstance();
    handle = bundles->OpenFile(path, mode);
    if (!handle)
        Fail("Failed to create file stream");
    if (bundles->GetFileSize(handle) >= kTwoGiB) {
        bundles->CloseFile(handle);
        ZEP_PANIC("Failed to create file stream: files over 2Gb are not supported");
    }
    const int32_t capacity = (mode & 3) == 2 ? kWriteOnlyBufferSize : kReadBufferSize;
    buffer = static_cast<uint8_t*>(MemoryManager::Allocate(static_cast<size_t>(capacity)));
    if (!buffer) {
        bundles->CloseFile(handle);
        ZEP_PANIC("Failed to create file stream: insufficient memory for file buffer");
    }
    bufferCapacity = capacity;
}

FileStream::~FileStream() {
    // A destructor must not throw: a failed write-back is logged instead.
    try {
        Flush();
    } catch (const std::exception& error) {
        LogError(Sprintf("%s\n", error.what()));
    }
    MemoryManager::Deallocate(buffer);
    BundleSystem::GetInstance()->CloseFile(handle);
}

void FileStream::Fail(const char* message) const {
    const char* errorText = FileSystem::GetInstance()->GetLastErrorText();
    throw Exception::Panic(Sprintf("%s (\"%s\"). %s", message, path.c_str(), errorText ? errorText : ""));
}

bool FileStream::IsWritable() const {
    return (handle->flags & FS_OPEN_WRITE) != 0;
}

int64_t FileStream::HandleSize() const {
    // The open-file record keeps the file's size, so asking costs no call.
    return static_cast<int64_t>(handle->size);
}

int32_t FileStream::GetSize() {
    return static_cast<int32_t>(std::max<int64_t>(HandleSize(), static_cast<int64_t>(bufferStart) + bufferFill));
}

bool FileStream::IsEOF() {
    if (position < HandleSize())
        return false;
    return position >= GetSize();
}

void FileStream::EmptyBuffer() {
    // The start goes too: an empty buffer must not stretch the size past a shrunk file.
    bufferStart = 0;
    bufferFill = 0;
}

void FileStream::SyncFilePosition(int64_t wanted) {
    if (static_cast<int64_t>(handle->position) == wanted)
        return;
    if (BundleSystem::GetInstance()->SeekFile(handle, wanted, FS_SEEK_SET) != wanted)
        Fail("Failed to synchronize FileStream position with file");
}

int32_t FileStream::ReadFromFile(void* destination, int32_t bytes) {
    const int64_t read = BundleSystem::GetInstance()->ReadFile(handle, destination, bytes);
    if (read < 0)
        Fail("Failed to read FileStream");
    return static_cast<int32_t>(read);
}

int32_t FileStream::Seek(int32_t offset, int origin) {
    int64_t target = offset;
    if (origin == SeekCurrent)
        target += position;
    else if (origin == SeekEnd)
        target += GetSize();
    if (target <= 0) {
        position = 0;
        return position;
    }
    if (target >= kTwoGiB)
        ZEP_PANIC("FileStream does not support files over 2Gb");
    if (target > HandleSize()) {
        if (IsWritable())
            SyncFilePosition(target);  // the file grows up to the target
        else
            target = HandleSize();
    }
    position = static_cast<int32_t>(target);
    return position;
}

int32_t FileStream::Read(void* destination, int32_t bytes, bool advance) {
    ZEP_ASSERT_MSG(destination != nullptr, "Zep::FileStream.Read(): buffer is NULL");
    if (bytes <= 0)
        return 0;
    const int32_t offset = position - bufferStart;
    int32_t count = bytes;
    if (bufferFill > 0 && offset >= 0 && static_cast<int64_t>(offset) + bytes <= bufferFill) {
        std::memcpy(destination, buffer + offset, static_cast<size_t>(count));
    } else {
        Flush();
        if (bufferFill > 0 && offset >= 0 && offset <= bufferFill &&
            static_cast<int64_t>(offset) + bytes <= bufferCapacity) {
            // Top the buffer up behind what it holds.
            const int64_t bufferEnd = static_cast<int64_t>(bufferStart) + bufferFill;
            if (bufferEnd < HandleSize()) {
                SyncFilePosition(bufferEnd);
                bufferFill += ReadFromFile(buffer + bufferFill, bufferCapacity - bufferFill);
            }
            count = std::min(count, bufferFill - offset);
            std::memcpy(destination, buffer + offset, static_cast<size_t>(count));
        } else if (bytes < bufferCapacity) {
            SyncFilePosition(position);
            EmptyBuffer();
            bufferFill = ReadFromFile(buffer, bufferCapacity);
            bufferStart = position;
            count = std::min(count, bufferFill);
            std::memcpy(destination, buffer, static_cast<size_t>(count));
        } else {
            SyncFilePosition(position);
            count = ReadFromFile(destination, bytes);
        }
    }
    if (advance)
        position += count;
    return count;
}

bool FileStream::PeekByte(uint8_t& byte) {
    const int32_t offset = position - bufferStart;
    if (bufferFill > 0 && offset >= 0 && offset < bufferFill) {
        byte = buffer[offset];
        return true;
    }
    if (position >= GetSize())
        return false;
    Flush();
    if (bufferFill > 0 && offset == bufferFill && offset < bufferCapacity) {
        SyncFilePosition(static_cast<int64_t>(bufferStart) + bufferFill);
        const int32_t read = ReadFromFile(buffer + bufferFill, bufferCapacity - bufferFill);
        if (read <= 0)
            Fail("Failed to read FileStream");
        bufferFill += read;
    } else {
        SyncFilePosition(position);
        EmptyBuffer();
        const int32_t read = ReadFromFile(buffer, bufferCapacity);
        if (read <= 0)
            Fail("Failed to read FileStream");
        bufferStart = position;
        bufferFill = read;
    }
    byte = buffer[position - bufferStart];
    return true;
}

bool FileStream::GetBufferedBytes(const uint8_t*& bytes, int32_t& count) {
    uint8_t first;
    count = 0;
    if (!PeekByte(first))
        return true;
    // PeekByte leaves the position inside the buffer.
    const int32_t offset = position - bufferStart;
    bytes = buffer + offset;
    count = bufferFill - offset;
    return true;
}

bool FileStream::ReadByte(uint8_t& byte) {
    if (!PeekByte(byte))
        return false;
    ++position;
    return true;
}

uint8_t FileStream::ReadChar() {
    uint8_t byte = 0;
    return ReadByte(byte) ? byte : kEndChar;
}

uint8_t FileStream::PeekChar() {
    uint8_t byte = 0;
    return PeekByte(byte) ? byte : kEndChar;
}

void FileStream::Write(const void* source, int32_t bytes) {
    ZEP_ASSERT_MSG(source != nullptr, "Zep::FileStream.Write(): buffer is NULL");
    ZEP_ASSERT_MSG(IsWritable(), "Zep::FileStream.Write(): Trying to write data to read-only stream");
    if (bytes <= 0)
        return;
    if (bufferFill > 0) {
        const int32_t offset = position - bufferStart;
        if (offset >= 0 && offset <= bufferFill && static_cast<int64_t>(offset) + bytes <= bufferCapacity) {
            std::memcpy(buffer + offset, source, static_cast<size_t>(bytes));
            bufferFill = std::max(bufferFill, offset + bytes);
            dirty = true;
            position += bytes;
            return;
        }
        Flush();
    }
    if (bytes < bufferCapacity) {
        std::memcpy(buffer, source, static_cast<size_t>(bytes));
        bufferStart = position;
        bufferFill = bytes;
        dirty = true;
    } else {
        // The buffer may hold bytes of the range written here; they would be stale.
        EmptyBuffer();
        SyncFilePosition(position);
        if (BundleSystem::GetInstance()->WriteFile(handle, source, bytes) != bytes)
            Fail("Failed to write data to FileStream");
    }
    position += bytes;
}

void FileStream::WriteByte(uint8_t byte) {
    ZEP_ASSERT_MSG(IsWritable(), "Zep::FileStream.WriteByte(): Trying to write data to read-only stream");
    const int32_t offset = position - bufferStart;
    if (bufferFill > 0 && offset >= 0 && offset <= bufferFill && offset < bufferCapacity) {
        buffer[offset] = byte;
        if (offset == bufferFill)
            ++bufferFill;
    } else {
        Flush();
        buffer[0] = byte;
        bufferStart = position;
        bufferFill = 1;
    }
    dirty = true;
    ++position;
}

void FileStream::Flush() {
    if (!dirty)
        return;
    ZEP_ASSERT(bufferFill > 0 && bufferStart <= HandleSize());
    SyncFilePosition(bufferStart);
    if (BundleSystem::GetInstance()->WriteFile(handle, buffer, bufferFill) != bufferFill)
        Fail("Failed to flush FileStream buffer");
    dirty = false;
}

void FileStream::SetSize(int32_t size) {
    if (!IsWritable())
        ZEP_PANIC("Zep::FileStream.SetSize(): failed to set FileStream size because it was created only for reading");
    size = std::max(size, 0);
    Flush();
    const int64_t oldSize = HandleSize();
    if (size == oldSize)
        return;
    SyncFilePosition(size);
    position = std::min(position, size);
    if (size < oldSize) {
        EmptyBuffer();
        if (!BundleSystem::GetInstance()->SetEndOfFile(handle))
            Fail("Failed to set size of FileStream");
    }
}

void FileStream::SetBufferSize(int32_t bytes) {
    if (bytes == bufferCapacity)
        return;
    int32_t capacity;
    if (bytes < bufferCapacity) {
        Flush();
        EmptyBuffer();
        capacity = bytes <= 512 ? 512 : std::min(bytes & ~511, 0x7E00);
    } else {
        capacity = bytes >= 0x8000 ? 0x8000 : (bytes & ~511);
    }
    void* resized = MemoryManager::Reallocate(buffer, static_cast<size_t>(capacity));
    if (resized) {
        buffer = static_cast<uint8_t*>(resized);
        bufferCapacity = capacity;
    }
}

}  // namespace Zep

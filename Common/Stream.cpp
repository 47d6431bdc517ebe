#include "Common/Stream.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <memory>

#include "Common/CoreUtils.h"

namespace Zep {

Stream::~Stream() {}

bool Stream::IsEOF() {
    return GetPosition() >= GetSize();
}

bool Stream::GetBufferedBytes(const uint8_t*&, int32_t&) {
    return false;
}

bool Stream::ReadByte(uint8_t& byte) {
    return Read(&byte, 1, true) == 1;
}

bool Stream::PeekByte(uint8_t& byte) {
    return Read(&byte, 1, false) == 1;
}

uint8_t Stream::ReadChar() {
    uint8_t byte = 0;
    return ReadByte(byte) ? byte : kEndChar;
}

uint8_t Stream::PeekChar() {
    uint8_t byte = 0;
    return PeekByte(byte) ? byte : kEndChar;
}

void Stream::WriteByte(uint8_t byte) {
    Write(&byte, 1);
}

void Stream::Flush() {}

void Stream::WriteString(const char* text) {
    if (text)
        Write(text, static_cast<int32_t>(std::strlen(text)));
}

void Stream::WriteString(const std::string& text) {
    Write(text.data(), static_cast<int32_t>(text.size()));
}

void Stream::CopyFrom(Stream& source, int32_t bytes, bool rewind) {
    const int32_t start = source.GetPosition();
    int32_t left = std::min(bytes, source.GetSize() - start);
    if (left > 0) {
        std::unique_ptr<char[]> piece(new char[std::min(left, kCopyPieceSize)]);
        while (left > 0) {
            const int32_t count = std::min(left, kCopyPieceSize);
            if (source.Read(piece.get(), count, true) != count) {
                if (rewind)
                    Seek(0, SeekStart);
                ZEP_PANIC("Failed to copy data from stream");
            }
            Write(piece.get(), count);
            left -= count;
        }
    }
    source.Seek(start, SeekStart);
    if (rewind)
        Seek(0, SeekStart);
}

void Stream::CopyFromStdStream(std::istream& input, int32_t bytes, bool rewind) {
    const std::streampos start = input.tellg();
    if (start == std::streampos(-1) || !input.seekg(0, std::ios::end))
        ZEP_PANIC("Failed to copy data from stream");
    const std::streampos end = input.tellg();
    if (end == std::streampos(-1) || !input.seekg(start))
        ZEP_PANIC("Failed to copy data from stream");
    int64_t left = std::min<int64_t>(bytes, static_cast<int64_t>(end - start));
    if (left > 0) {
        std::unique_ptr<char[]> piece(new char[std::min<int64_t>(left, kCopyPieceSize)]);
        while (left > 0) {
            const int32_t count = static_cast<int32_t>(std::min<int64_t>(left, kCopyPieceSize));
            input.read(piece.get(), count);
            if (input.gcount() != count) {
                if (rewind)
                    Seek(0, SeekStart);
                ZEP_PANIC("Failed to copy data from stream");
            }
            Write(piece.get(), count);
            left -= count;
        }
    }
    input.clear();
    input.seekg(start);
    if (rewind)
        Seek(0, SeekStart);
}

}  // namespace Zep

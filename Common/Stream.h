// The engine's byte-stream interface.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

namespace Zep {

// A seekable byte stream. Positions and sizes are signed 32-bit, so a stream
// covers less than 2 GiB. Failures are thrown, never returned; reading at the
// end is not a failure (0 bytes, false, or 0xFF).
class Stream {
public:
    enum SeekOrigin { SeekStart = 0, SeekCurrent = 1, SeekEnd = 2 };

    // The byte ReadChar and PeekChar give at the end. A real 0xFF byte can stand
    // inside a stream, so the end is told by IsEOF.
    static constexpr uint8_t kEndChar = 0xFF;

    virtual ~Stream();

    virtual int32_t GetSize() = 0;
    virtual void SetSize(int32_t size) = 0;
    virtual int32_t GetPosition() = 0;
    virtual bool IsEOF();
    // Returns the new position.
    virtual int32_t Seek(int32_t offset, int origin) = 0;
    // Returns the bytes read; with advance false the position stays (a peek).
    virtual int32_t Read(void* buffer, int32_t bytes, bool advance = true) = 0;
    // The bytes from the position on that the stream already holds in memory, lent to be
    // read in place: count is 0 at the end. Nothing moves; a reader seeks past what it
    // used. The bytes stay valid until the stream is next used. False when the stream
    // keeps no such buffer.
    virtual bool GetBufferedBytes(const uint8_t*& bytes, int32_t& count);
    virtual bool ReadByte(uint8_t& byte);
    virtual bool PeekByte(uint8_t& byte);
    virtual uint8_t ReadChar();
    virtual uint8_t PeekChar();
    virtual void Write(const void* buffer, int32_t bytes) = 0;
    virtual void WriteByte(uint8_t byte);
    virtual void Flush();
    // Copies at most bytes from the input's position to its end; the input is put
    // back where it was. With rewind this stream is sought to 0 afterwards.
    virtual void CopyFromStdStream(std::istream& input, int32_t bytes, bool rewind);
    // The same from another stream, from its position.
    virtual void CopyFrom(Stream& source, int32_t bytes, bool rewind);

    // The bytes of a NUL-terminated text, without the terminator.
    void WriteString(const char* text);
    void WriteString(const std::string& text);

    // Pieces in which CopyFrom and CopyFromStdStream move their bytes.
    static constexpr int32_t kCopyPieceSize = 32768;
};

}  // namespace Zep

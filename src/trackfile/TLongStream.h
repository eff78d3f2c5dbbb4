#pragma once

#include <cstdint>

namespace zolvane2 {

// A byte stream with 64-bit position, size and seek. Track files pass 2 GB,
// so every file and in-memory buffer that audio moves through is one of
// these; data moves between two streams only through Read and Write.
//
// A stream belongs to the thread that created it; nothing here locks.
class TLongStream {
public:
    // Seek origins (the same numbers the file layer uses).
    static constexpr int soFromBeginning = 0;
    static constexpr int soFromCurrent = 1;
    static constexpr int soFromEnd = 2;

    TLongStream() = default;
    TLongStream(const TLongStream&) = delete;
    TLongStream& operator=(const TLongStream&) = delete;
    virtual ~TLongStream() = default;

    // One read or write of at most count bytes at the current position.
    // Never throw: a failed call moves 0 bytes.
    [[nodiscard]] virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
    [[nodiscard]] virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;

    // Moves by offset from origin (0 beginning, 1 current, 2 end) and returns
    // the new position.
    virtual std::int64_t Seek64(std::int64_t offset, int origin) = 0;

    // Defaults go through Seek64; descendants may answer more directly.
    [[nodiscard]] virtual std::int64_t GetPosition64();
    virtual void SetPosition64(std::int64_t position);
    [[nodiscard]] virtual std::int64_t GetSize64();

    // Whole-buffer operations: a short read throws ReadError
    // (kStreamReadErrorText), a short write WriteError (kStreamWriteErrorText).
    void ReadBuffer(void* buffer, std::int64_t count);
    void WriteBuffer(const void* buffer, std::int64_t count);

    // One read of at most count bytes at offset, the position left where it
    // was; never throws. Files answer with pread, other streams by moving
    // there and back.
    [[nodiscard]] virtual std::int64_t ReadAt(std::int64_t offset, void* buffer, std::int64_t count);

    // Copies count bytes from source's current position into this stream
    // (count 0: the whole of source from its beginning). Returns the bytes
    // copied; a short write throws WriteError, a short read ReadError.
    std::int64_t CopyFrom(TLongStream& source, std::int64_t count);
};

}  // namespace zolvane2

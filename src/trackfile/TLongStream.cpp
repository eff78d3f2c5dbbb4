#include "trackfile/TLongStream.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <vector>

#include "platform/Errors.h"

namespace zolvane2 {

namespace {
constexpr std::int64_t kCopyChunk = 1 << 20;
}  // namespace

std::int64_t TLongStream::GetPosition64() {
    return Seek64(0, soFromCurrent);
}

void TLongStream::SetPosition64(std::int64_t position) {
    Seek64(position, soFromBeginning);
}

std::int64_t TLongStream::GetSize64() {
    const std::int64_t position = GetPosition64();
    const std::int64_t size = Seek64(0, soFromEnd);
    Seek64(position, soFromBeginning);
    return size;
}

std::int64_t TLongStream::ReadAt(std::int64_t offset, void* buffer, std::int64_t count) {
    const std::int64_t position = GetPosition64();
    if (Seek64(offset, soFromBeginning) != offset) {
        SetPosition64(position);
        return 0;
    }
    const std::int64_t n = Read(buffer, count);
    SetPosition64(position);
    return n;
}

void TLongStream::ReadBuffer(void* buffer, std::int64_t count) {
    errno = 0;
    if (count != 0 && Read(buffer, count) != count) {
        throw ReadError(UserText(TextId::StreamRead), errno);
    }
}

void TLongStream::WriteBuffer(const void* buffer, std::int64_t count) {
    // A short write is tried again for the rest, so that a full disk fails
    // with the system's own reason.
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    for (std::int64_t done = 0; done < count;) {
        errno = 0;
        const std::int64_t n = Write(bytes + done, count - done);
        if (n <= 0) {
            throw WriteError(UserText(TextId::StreamWrite), errno);
        }
        done += n;
    }
}

std::int64_t TLongStream::CopyFrom(TLongStream& source, std::int64_t count) {
    if (count == 0) {
        source.SetPosition64(0);
        count = source.GetSize64();
    }
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::clamp<std::int64_t>(count, 1, kCopyChunk)));
    std::int64_t left = count;
    while (left > 0) {
        const std::int64_t n = std::min<std::int64_t>(left, kCopyChunk);
        source.ReadBuffer(chunk.data(), n);
        WriteBuffer(chunk.data(), n);
        left -= n;
    }
    return count;
}

}  // namespace zolvane2

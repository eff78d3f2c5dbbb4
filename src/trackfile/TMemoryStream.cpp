#include "trackfile/TMemoryStream.h"

#include <algorithm>
#include <cstring>

namespace zolvane2 {

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
    const std::int64_t n = std::clamp<std::int64_t>(Size() - position_, 0, std::max<std::int64_t>(count, 0));
    if (n > 0) {
        std::memcpy(buffer, bytes_.data() + position_, static_cast<std::size_t>(n));
        position_ += n;
    }
    return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
    if (count <= 0 || position_ < 0) {
        return 0;
    }
    const std::int64_t end = position_ + count;
    if (end > Size()) {
        bytes_.resize(static_cast<std::size_t>(end));
    }
    std::memcpy(bytes_.data() + position_, buffer, static_cast<std::size_t>(count));
    position_ = end;
    return count;
}

std::int64_t TMemoryStream::Seek64(std::int64_t offset, int origin) {
    switch (origin) {
        case soFromBeginning:
            position_ = offset;
            break;
        case soFromCurrent:
            position_ += offset;
            break;
        case soFromEnd:
            position_ = Size() + offset;
            break;
        default:
            break;
    }
    return position_;
}

void TMemoryStream::SetPosition64(std::int64_t position) {
    position_ = position;
}

void TMemoryStream::Clear() {
    bytes_.clear();
    position_ = 0;
}

void TMemoryStream::SetSize(std::int64_t size) {
    bytes_.resize(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)));
    position_ = std::min(position_, Size());
}

void TMemoryStream::Append(const void* buffer, std::int64_t count) {
    if (count <= 0) {
        return;
    }
    const auto* p = static_cast<const std::uint8_t*>(buffer);
    bytes_.insert(bytes_.end(), p, p + count);
}

void TMemoryStream::KeepFrom(std::int64_t offset) {
    offset = std::clamp<std::int64_t>(offset, 0, Size());
    if (offset > 0) {
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    position_ = 0;
}

void TMemoryStream::Assign(const void* buffer, std::int64_t count) {
    Clear();
    Append(buffer, count);
}

}  // namespace zolvane2

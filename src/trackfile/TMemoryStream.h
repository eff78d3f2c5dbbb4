#pragma once

#include <cstdint>
#include <vector>

#include "trackfile/TLongStream.h"

namespace zolvane2 {

// A growable in-memory stream (work buffers, level data). Writing past the
// end grows it; Data()/Size() give direct access for scanning.
class TMemoryStream final : public TLongStream {
public:
    TMemoryStream() = default;

    [[nodiscard]] std::int64_t Read(void* buffer, std::int64_t count) override;
    [[nodiscard]] std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek64(std::int64_t offset, int origin) override;
    [[nodiscard]] std::int64_t GetPosition64() override { return position_; }
    void SetPosition64(std::int64_t position) override;
    [[nodiscard]] std::int64_t GetSize64() override { return Size(); }

    [[nodiscard]] const std::uint8_t* Data() const { return bytes_.data(); }
    [[nodiscard]] std::uint8_t* Data() { return bytes_.data(); }
    [[nodiscard]] std::int64_t Size() const { return static_cast<std::int64_t>(bytes_.size()); }
    [[nodiscard]] std::int64_t Position() const { return position_; }

    // Empties the stream; the storage is kept for the next block.
    void Clear();
    // Resizes (new bytes are 0); the position is limited to the new size.
    void SetSize(std::int64_t size);
    // Adds bytes at the end without moving the position.
    void Append(const void* buffer, std::int64_t count);
    // Rebuilds the stream to hold only its bytes from offset to the end (the
    // rebuild through a scratch copy, done in place); position becomes 0.
    void KeepFrom(std::int64_t offset);
    // Replaces the content with a copy of bytes; position 0.
    void Assign(const void* buffer, std::int64_t count);

private:
    std::vector<std::uint8_t> bytes_;
    std::int64_t position_ = 0;
};

}  // namespace zolvane2

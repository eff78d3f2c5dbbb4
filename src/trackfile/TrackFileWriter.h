#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "trackfile/TLongFileStream.h"

namespace zolvane2 {

// How a track file ended up after CloseOutput; the number travels in the
// recorder's messages.
enum class FinishStatus : int {
    Kept = 0,     // kept as written
    TooLong = 1,  // kept with capped header sizes, renamed to ..._tooLONG.wav
    Deleted = 2,  // held no frames and was deleted
};

// When a WAVE header's sizes no longer fit and are capped.
enum class CapPolicy {
    // Recorder and combine: when file size − 8 reaches 2^31, i.e. from
    // 2,147,483,656 bytes on.
    RecorderAndCombine,
    // Re-divide: when the file size itself reaches 2^31 bytes.
    Redivide,
};

// Writes one WAVE or RAW track file at a time: OpenOutput creates it (WAVE
// with a provisional 44-byte header whose sizes are 0), frames are appended,
// CloseOutput patches the header, deletes an empty file or caps and renames
// one that is too long. Errors of the file stream (create, write, seek)
// propagate to the caller.
class TrackFileWriter {
public:
    static constexpr std::int64_t kHeaderSize = 44;
    // RIFF and data sizes written when capped; together they describe a file
    // of 2,147,483,644 bytes.
    static constexpr std::uint32_t kCappedRiffSize = 0x7FFFFFF4;
    static constexpr std::uint32_t kCappedDataSize = 0x7FFFFFD0;

    explicit TrackFileWriter(CapPolicy policy = CapPolicy::RecorderAndCombine);
    ~TrackFileWriter();
    TrackFileWriter(const TrackFileWriter&) = delete;
    TrackFileWriter& operator=(const TrackFileWriter&) = delete;

    // Creates path, replacing a file of that name (closing one still open
    // here without finishing it). Clears the too-long flag.
    void OpenOutput(const std::string& path, int channels, int sampleRate, bool raw);

    // Appends at the end of the open file; throws WriteError on a short write.
    void Append(const void* bytes, std::int64_t count);
    // Appends count bytes read from source's current position.
    void AppendFrom(TLongStream& source, std::int64_t count);
    // Appends count bytes of source from sourceOffset on, file to file
    // without passing them through this process where the kernel allows;
    // the source's position stays where it is.
    void AppendRange(const TLongFileStream& source, std::int64_t sourceOffset, std::int64_t count);

    // Finishes and closes the open file. Without an open file: Deleted.
    [[nodiscard]] FinishStatus CloseOutput();

    [[nodiscard]] bool IsOpen() const { return stream_ != nullptr; }
    // Size in bytes of the open file, header included (0 when none is open).
    [[nodiscard]] std::int64_t CurrentSize() const;
    // The file's name; after a capped CloseOutput, the new "_tooLONG.wav" name.
    [[nodiscard]] const std::string& FileName() const { return fileName_; }
    [[nodiscard]] bool TooLong() const { return tooLong_; }
    [[nodiscard]] bool IsRaw() const { return raw_; }
    [[nodiscard]] int HeaderSize() const { return raw_ ? 0 : static_cast<int>(kHeaderSize); }
    [[nodiscard]] CapPolicy Policy() const { return policy_; }

    // Whether a WAVE file of fileSize bytes gets the capped header under policy.
    [[nodiscard]] static bool MustCap(std::int64_t fileSize, CapPolicy policy);
    // The name a capped file is renamed to: the name without its extension
    // followed by "_tooLONG.wav".
    [[nodiscard]] static std::string TooLongName(const std::string& path);
    // The 44-byte provisional header the writer puts at the start of a WAVE file.
    static void WriteProvisionalHeader(TLongStream& stream, int channels, int sampleRate);

private:
    CapPolicy policy_;
    std::unique_ptr<TLongFileStream> stream_;
    std::string fileName_;
    bool raw_ = false;
    bool tooLong_ = false;
};

}  // namespace zolvane2

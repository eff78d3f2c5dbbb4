#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "trackfile/FinishStatus.h"
#include "trackfile/TLongFileStream.h"
#include "trackfile/TrackTags.h"

namespace zolvane2 {

class DiskFlusher;
class FlacEncoder;
class FlacEncodeWorker;

// When a WAVE header's sizes no longer fit and are capped.
enum class CapPolicy {
    // Recorder and combine: when file size − 8 reaches 2^31, i.e. from
    // 2,147,483,656 bytes on.
    RecorderAndCombine,
    // Re-divide: when the file size itself reaches 2^31 bytes.
    Redivide,
};

// Writes one WAVE or RAW track file at a time: OpenOutput creates it (WAVE
// with a provisional 44-byte header), frames are appended,
// CloseOutput patches the header, deletes an empty file or caps and renames
// one that is too long. Errors of the file stream (create, write, seek)
// propagate to the caller.
//
// An unfinished WAVE file stays readable by any program: while it is written,
// its RIFF and data sizes are brought up to date at least once a second and
// after every 16 MB (by the same 2 GB rule as at the end), so a killed
// program leaves a file that reads up to its last second or its last 16 MB.
// Until the first update the header gives the provisional sizes, which other
// programs take for "up to the end of the file" and this program's reader and
// repair for a killed file's. A live recording also has its data flushed to
// the disk every few seconds, on a helper thread.
//
// With SetFlac, the files that would be WAVE are FLAC instead: the same
// frames, encoded as they arrive (for a live recording on a helper thread,
// see FlacEncodeWorker), flushed with the same rhythm and never capped or
// renamed, whatever their length. Sizes here then count the PCM bytes taken,
// as a RAW file would hold them.
class TrackFileWriter {
public:
    static constexpr std::int64_t kHeaderSize = 44;
    // RIFF and data sizes written when capped; together they describe a file
    // of 2,147,483,644 bytes.
    static constexpr std::uint32_t kCappedRiffSize = 0x7FFFFFF4;
    static constexpr std::uint32_t kCappedDataSize = 0x7FFFFFD0;
    // Sizes of the provisional header: far more data than a file so young
    // holds, yet a RIFF size that matches it, which readers that refuse a
    // size of 0 accept.
    static constexpr std::uint32_t kProvisionalDataSize = 0x7FFFF000;
    static constexpr std::uint32_t kProvisionalRiffSize = kProvisionalDataSize + 36;

    explicit TrackFileWriter(CapPolicy policy = CapPolicy::RecorderAndCombine);
    ~TrackFileWriter();
    TrackFileWriter(const TrackFileWriter&) = delete;
    TrackFileWriter& operator=(const TrackFileWriter&) = delete;

    // How OpenOutput treats a file already at the name.
    enum class Create {
        Replace,  // empty and reuse it
        New,      // fail (FileCreateError, code EEXIST); a symbolic link is never followed
    };

    // FLAC instead of WAVE for the files opened from now on; nullopt: WAVE.
    void SetFlac(std::optional<FlacSettings> settings) { flac_ = settings; }
    [[nodiscard]] const std::optional<FlacSettings>& Flac() const { return flac_; }
    // The tags of the next FLAC file opened (WAVE files carry none).
    void SetTags(TrackTags tags) { tags_ = std::move(tags); }

    // Creates path (closing a file still open here without finishing it).
    // Clears the too-long flag.
    void OpenOutput(const std::string& path, int channels, int sampleRate, bool raw, Create create = Create::Replace);

    // Appends at the end of the open file; throws WriteError on a short write.
    // Keeps the header's sizes current (KeepSizesCurrent).
    void Append(const void* bytes, std::int64_t count);
    // Appends count bytes of source from sourceOffset on, file to file
    // without passing them through this process where the kernel allows (a
    // file into WAVE or RAW); the source's position stays where it is.
    void AppendRange(TLongStream& source, std::int64_t sourceOffset, std::int64_t count);
    // Called before count more bytes are appended: reserves disk space
    // (TLongFileStream::Reserve) in steps ahead of the file as it grows, so
    // that a killed program leaves at most kLargestReserveStep reserved past
    // the end. Nothing until the file holds kFirstReserveStep; the steps
    // then double from there up to the largest.
    void ReserveAsItGrows(std::int64_t count);
    static constexpr std::int64_t kFirstReserveStep = std::int64_t{1} << 20;
    static constexpr std::int64_t kLargestReserveStep = std::int64_t{256} << 20;

    // Audio arriving in real time (a recording): the header is brought up to
    // date for every half second of audio written, and the data is flushed to the
    // disk every few seconds without making the writing thread wait.
    void SetLiveRecording(bool live);
    // Brings the header's sizes up to date when a second has passed since the
    // last update or kSizeUpdateBytes have been written since (for a live
    // recording also half a second of audio, bytesJustWritten included). Cheap when nothing
    // is due: Append calls it; code that writes to the file by other means
    // calls it after each write.
    void KeepSizesCurrent(std::int64_t bytesJustWritten = 0);
    // Writes the sizes the file has now into its header (whole frames, capped
    // past 2 GB as CloseOutput caps them). Nothing for RAW files.
    void UpdateSizes();

    // Finishes and closes the open file. Without an open file: Deleted.
    [[nodiscard]] FinishStatus CloseOutput();
    // Closes the open file and deletes it, whatever it holds (a track below
    // the minimum length).
    void DeleteOutput();

    // A dry run creates no file: it only counts what would be written, and
    // CloseOutput answers and names as it would for the real file.
    void SetDryRun(bool value) { dryRun_ = value; }
    [[nodiscard]] bool DryRun() const { return dryRun_; }

    [[nodiscard]] bool IsOpen() const { return stream_ != nullptr || dryOpen_; }
    // Size in bytes of the open file, header included (0 when none is open).
    [[nodiscard]] std::int64_t CurrentSize() const;
    // The file's name; after a capped CloseOutput, the new "_tooLONG.wav" name.
    [[nodiscard]] const std::string& FileName() const { return fileName_; }
    [[nodiscard]] bool TooLong() const { return tooLong_; }
    [[nodiscard]] bool IsRaw() const { return raw_; }
    // Whether the open (or last) file is FLAC.
    [[nodiscard]] bool IsFlac() const { return flacOpen_; }
    // The bytes before the audio that CurrentSize counts: 44 for WAVE, none
    // for RAW and FLAC.
    [[nodiscard]] int HeaderSize() const { return raw_ || flacOpen_ ? 0 : static_cast<int>(kHeaderSize); }
    // HeaderSize for the files opened with raw under the settings now.
    [[nodiscard]] std::int64_t HeaderSizeFor(bool raw) const { return raw || flac_ ? 0 : kHeaderSize; }
    [[nodiscard]] CapPolicy Policy() const { return policy_; }

    // Whether a WAVE file of fileSize bytes gets the capped header under policy.
    [[nodiscard]] static bool MustCap(std::int64_t fileSize, CapPolicy policy);
    // The name a capped file is renamed to: the name without its extension
    // followed by "_tooLONG.wav".
    [[nodiscard]] static std::string TooLongName(const std::string& path);
    // The 44-byte provisional header the writer puts at the start of a WAVE file.
    static void WriteProvisionalHeader(TLongStream& stream, int channels, int sampleRate);

    // How often the header is kept current and a live recording flushed.
    static constexpr std::chrono::seconds kSizeUpdateInterval{1};
    static constexpr std::chrono::seconds kFlushInterval{3};
    // A job copies gigabytes in a second; a kill leaves at most this much
    // behind the header.
    static constexpr std::int64_t kSizeUpdateBytes = std::int64_t{16} << 20;

private:
    using Clock = std::chrono::steady_clock;

    CapPolicy policy_;
    std::unique_ptr<TLongFileStream> stream_;
    std::string fileName_;
    bool raw_ = false;
    bool tooLong_ = false;
    std::int64_t frameBytes_ = 1;
    std::int64_t bytesPerSecond_ = 0;
    std::int64_t bytesSinceUpdate_ = 0;
    std::uint32_t patchedDataSize_ = 0;
    std::int64_t reservedEnd_ = 0;  // the size the reserved space reaches
    std::int64_t nextReserveStep_ = 0;
    Clock::time_point lastUpdate_{};
    Clock::time_point lastFlush_{};
    std::unique_ptr<DiskFlusher> flusher_;  // live recordings only
    // Ends the FLAC encoder before its stream; finish: complete the file.
    void EndFlac(bool finish);

    std::optional<FlacSettings> flac_;
    TrackTags tags_;
    bool flacOpen_ = false;
    std::int64_t flacBytes_ = 0;                // PCM taken into the open FLAC file
    std::unique_ptr<FlacEncoder> encoder_;      // jobs: encoded on the writing thread
    std::unique_ptr<FlacEncodeWorker> worker_;  // live recordings: on a helper thread
    std::vector<std::uint8_t> rangeBuffer_;     // AppendRange into FLAC
    bool dryRun_ = false;
    bool dryOpen_ = false;
    std::int64_t drySize_ = 0;  // the file a dry run would have written
};

}  // namespace zolvane2

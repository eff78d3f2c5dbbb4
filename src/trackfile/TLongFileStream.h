#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "trackfile/TLongStream.h"

namespace zolvane2 {

// A file on disk as a TLongStream, over a 64-bit POSIX file descriptor.
//
// Modes: fmCreate creates the file (emptying one that exists) for reading and
// writing, shared with nobody. fmCreateNew does the same for a name where
// nothing exists yet: it fails on an existing file and never follows a
// symbolic link, so a check for a free name and the create cannot race and a
// link planted at the name cannot redirect the output. Any other mode opens an existing file: the low
// two bits give the access (0 read, 1 write, 2 both), bits 4 to 7 the sharing
// allowed to others (0 and 1 none, 2 read, 3 write, 4 both). Track files are
// always opened with mode 0: read-only, no sharing.
//
// Sharing is kept with advisory locks (flock): a stream that shares nothing
// holds an exclusive lock, so a second stream of the program (or another
// program that locks) cannot open the same file while it is held.
//
// Throws FileCreateError (TextId::FileCreate followed by the system's
// reason) or FileOpenError (TextId::FileOpen); no object survives a failed
// construction. Both carry the errno code.
class TLongFileStream final : public TLongStream {
public:
    static constexpr unsigned fmCreate = 0xFFFF;
    static constexpr unsigned fmCreateNew = 0xFFFE;
    static constexpr unsigned fmOpenRead = 0x0000;
    static constexpr unsigned fmOpenWrite = 0x0001;
    static constexpr unsigned fmOpenReadWrite = 0x0002;
    static constexpr unsigned fmShareExclusive = 0x0010;
    static constexpr unsigned fmShareDenyWrite = 0x0020;
    static constexpr unsigned fmShareDenyRead = 0x0030;
    static constexpr unsigned fmShareDenyNone = 0x0040;

    TLongFileStream(const std::string& fileName, unsigned mode);
    ~TLongFileStream() override;

    [[nodiscard]] std::int64_t Read(void* buffer, std::int64_t count) override;
    [[nodiscard]] std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek64(std::int64_t offset, int origin) override;
    [[nodiscard]] std::int64_t GetPosition64() override;
    void SetPosition64(std::int64_t position) override;
    [[nodiscard]] std::int64_t GetSize64() override;
    [[nodiscard]] std::int64_t ReadAt(std::int64_t offset, void* buffer, std::int64_t count) override;

    // Writes count bytes of source, taken from sourceOffset on, at this
    // stream's position; the source's own position does not move. The
    // kernel moves them file to file through a pipe of this stream's
    // (splice), so the audio is copied once and never into this process;
    // where the kernel refuses, they go through a buffer of this stream's.
    // A source that ends early throws ReadError, a short write WriteError,
    // like ReadBuffer and WriteBuffer.
    void CopyRangeFrom(const TLongFileStream& source, std::int64_t sourceOffset, std::int64_t count);
    // Allocates disk space for count more bytes from the position on
    // without changing the size; whatever is left unwritten is given back
    // when the stream is closed. A killed program gives nothing back, so
    // writers reserve in steps as the file grows
    // (TrackFileWriter::ReserveAsItGrows), never a whole output at once.
    void Reserve(std::int64_t count);

    // The kernel copies bytes markedly slower when the destination lies a
    // little ahead of the source within 64 bytes: nearly four times the time
    // for 4 to 12 bytes, half as much again for 16 to 28; a quarter more for
    // 36 to 60 when it writes new pages, none for 0 and 32 (measured on the
    // build machine).
    static constexpr std::int64_t kCopyAlign = 64;
    // Where, after the source's place within 64 bytes, a buffer between a
    // source and a destination that lie distance bytes apart should begin so
    // that the copy into it and the copy out of it both run at full speed.
    [[nodiscard]] static std::int64_t BufferPlacement(std::int64_t distance);
    // Whether one copy over distance runs so slowly that two copies through
    // a well-placed buffer take less time.
    [[nodiscard]] static bool SlowCopyDistance(std::int64_t distance);
    // Writes count bytes at offset without moving the position; false on a
    // short or failed write.
    [[nodiscard]] bool WriteAt(std::int64_t offset, const void* buffer, std::int64_t count);
    // A new read-only handle to the same file (its own open-file description,
    // so it holds none of this stream's locks), for flushing the file to the
    // disk from another thread; -1 when none can be had. The caller owns it.
    [[nodiscard]] int OpenSyncHandle() const;

    [[nodiscard]] const std::string& FileName() const { return fileName_; }
    [[nodiscard]] int Handle() const { return fd_; }

private:
    void CopyThroughBuffer(const TLongFileStream& source, std::int64_t sourceOffset, std::int64_t count);
    [[nodiscard]] bool OpenCopyPipe();
    // Writes the count bytes the pipe holds the ordinary way, then closes it.
    void DrainCopyPipe(std::int64_t count);
    void CloseCopyPipe();

    std::string fileName_;
    int fd_ = -1;
    // Set once the kernel refused a file-to-file copy for this stream.
    bool kernelCopyRefused_ = false;
    bool reserved_ = false;
    std::array<int, 2> copyPipe_{-1, -1};
    std::int64_t copyPipeSize_ = 0;
    std::vector<std::uint8_t> copyBuffer_;
};

}  // namespace zolvane2

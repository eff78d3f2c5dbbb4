#include "trackfile/TrackFileWriter.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "trackfile/DiskFlusher.h"
#include "trackfile/FlacEncodeWorker.h"
#include "trackfile/FlacEncoder.h"
#include "trackfile/TrackFileReader.h"

namespace zolvane2 {

namespace {

void PutU16(std::uint8_t* p, unsigned v) {
    p[0] = static_cast<std::uint8_t>(v & 0xFFU);
    p[1] = static_cast<std::uint8_t>((v >> 8) & 0xFFU);
}

void PutU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFFU);
    }
}

void WriteU32(TLongStream& stream, std::uint32_t v) {
    std::array<std::uint8_t, 4> b{};
    PutU32(b.data(), v);
    stream.WriteBuffer(b.data(), 4);
}

}  // namespace

TrackFileWriter::TrackFileWriter(CapPolicy policy) : policy_(policy) {}

TrackFileWriter::~TrackFileWriter() {
    EndFlac(false);
}

void TrackFileWriter::EndFlac(bool finish) {
    // Taken first, so that a failed finish leaves no encoder behind.
    const std::unique_ptr<FlacEncodeWorker> worker = std::move(worker_);
    const std::unique_ptr<FlacEncoder> encoder = std::move(encoder_);
    if (finish && worker) {
        worker->Finish();
    } else if (finish && encoder) {
        encoder->Finish();
    }
}

void TrackFileWriter::WriteProvisionalHeader(TLongStream& stream, int channels, int sampleRate) {
    stream.WriteBuffer("RIFF", 4);
    WriteU32(stream, kProvisionalRiffSize);
    stream.WriteBuffer("WAVEfmt ", 8);
    WriteU32(stream, 16);
    // The 18-byte PCM format record; its zero extension size is overwritten
    // by "data", leaving the 16-byte format chunk.
    std::array<std::uint8_t, 18> format{};
    PutU16(&format[0], 1);
    PutU16(&format[2], static_cast<unsigned>(channels));
    PutU32(&format[4], static_cast<std::uint32_t>(sampleRate));
    PutU32(&format[8], static_cast<std::uint32_t>(channels) * static_cast<std::uint32_t>(sampleRate) * 2U);
    PutU16(&format[12], static_cast<unsigned>(channels) * 2U);
    PutU16(&format[14], 16);
    stream.WriteBuffer(format.data(), static_cast<std::int64_t>(format.size()));
    stream.Seek64(-2, TLongStream::soFromCurrent);
    stream.WriteBuffer("data", 4);
    WriteU32(stream, kProvisionalDataSize);
}

void TrackFileWriter::OpenOutput(const std::string& path, int channels, int sampleRate, bool raw, Create create) {
    const bool flac = !raw && flac_.has_value();
    if (flac && (channels < 1 || channels > 8)) {
        throw FileCreateError(UserText(TextId::FileCreate, {path}), EINVAL);
    }
    if (!raw && channels > TrackFileReader::kMaxChannels) {
        // The header could not name the frame size; nothing is created.
        throw FileCreateError(UserText(TextId::FileCreate, {path}), EINVAL);
    }
    EndFlac(false);
    stream_.reset();
    fileName_ = path;
    raw_ = raw;
    flacOpen_ = flac;
    flacBytes_ = 0;
    tooLong_ = false;
    frameBytes_ = channels > 0 ? 2 * static_cast<std::int64_t>(channels) : 1;
    bytesPerSecond_ = frameBytes_ * std::max(sampleRate, 1);
    bytesSinceUpdate_ = 0;
    patchedDataSize_ = 0;
    reservedEnd_ = 0;
    nextReserveStep_ = kFirstReserveStep;
    lastUpdate_ = Clock::now();
    lastFlush_ = lastUpdate_;
    if (dryRun_) {
        dryOpen_ = true;
        drySize_ = raw || flac ? 0 : kHeaderSize;
        return;
    }
    stream_ = std::make_unique<TLongFileStream>(
        path, create == Create::New ? TLongFileStream::fmCreateNew : TLongFileStream::fmCreate);
    if (flac) {
        auto encoder = std::make_unique<FlacEncoder>(*stream_, channels, sampleRate, *flac_, tags_);
        if (flusher_) {
            worker_ = std::make_unique<FlacEncodeWorker>(std::move(encoder));
        } else {
            encoder_ = std::move(encoder);
        }
    } else if (!raw) {
        WriteProvisionalHeader(*stream_, channels, sampleRate);
    }
}

void TrackFileWriter::Append(const void* bytes, std::int64_t count) {
    if (dryOpen_) {
        drySize_ += count;
        return;
    }
    if (!stream_) {
        throw WriteError(UserText(TextId::StreamWrite));
    }
    if (flacOpen_) {
        if (worker_) {
            worker_->Push(static_cast<const std::uint8_t*>(bytes), count);
        } else {
            encoder_->Encode(static_cast<const std::uint8_t*>(bytes), count);
        }
        flacBytes_ += std::max<std::int64_t>(count, 0);
    } else {
        stream_->WriteBuffer(bytes, count);
    }
    KeepSizesCurrent(count);
}

void TrackFileWriter::AppendRange(TLongStream& source, std::int64_t sourceOffset, std::int64_t count) {
    if (dryOpen_) {
        drySize_ += count;
        return;
    }
    if (!stream_) {
        throw WriteError(UserText(TextId::StreamWrite));
    }
    auto* file = dynamic_cast<TLongFileStream*>(&source);
    if (count > 0 && (flacOpen_ || file == nullptr)) {
        // The encoder needs the samples themselves, and a decoded source has
        // no file to copy from: read without moving the source's position,
        // then append.
        constexpr std::int64_t kChunk = std::int64_t{1} << 20;
        rangeBuffer_.resize(static_cast<std::size_t>(std::min(count, kChunk)));
        for (std::int64_t done = 0; done < count;) {
            const std::int64_t want = std::min(count - done, kChunk);
            const std::int64_t n = source.ReadAt(sourceOffset + done, rangeBuffer_.data(), want);
            if (n <= 0) {
                throw ReadError(UserText(TextId::StreamRead), n < 0 ? errno : 0);
            }
            Append(rangeBuffer_.data(), n);
            done += n;
        }
    } else if (count > 0) {
        stream_->CopyRangeFrom(*file, sourceOffset, count);
        KeepSizesCurrent(count);
    }
}

void TrackFileWriter::SetLiveRecording(bool live) {
    if (!live) {
        flusher_.reset();
    } else if (!flusher_) {
        flusher_ = std::make_unique<DiskFlusher>();
    }
}

void TrackFileWriter::KeepSizesCurrent(std::int64_t bytesJustWritten) {
    if (!stream_) {
        return;
    }
    bytesSinceUpdate_ += bytesJustWritten;
    const Clock::time_point now = Clock::now();
    const bool live = flusher_ != nullptr;
    // Every half second of audio, so that a kill between a block's write and
    // this update still leaves the header less than a second behind.
    if (now - lastUpdate_ >= kSizeUpdateInterval || bytesSinceUpdate_ >= kSizeUpdateBytes ||
        (live && 2 * bytesSinceUpdate_ >= bytesPerSecond_)) {
        UpdateSizes();
        lastUpdate_ = now;
        bytesSinceUpdate_ = 0;
    }
    if (live && now - lastFlush_ >= kFlushInterval) {
        // Audio the disk refused (EIO, or space a file system handed out
        // late) is lost: that is a write error, not a success.
        if (const int error = flusher_->TakeError(); error != 0) {
            throw WriteError(UserText(TextId::StreamWrite), error);
        }
        (void)flusher_->Request(stream_->OpenSyncHandle());
        lastFlush_ = now;
    }
}

void TrackFileWriter::UpdateSizes() {
    if (!stream_ || raw_ || flacOpen_) {
        return;
    }
    const std::int64_t size = stream_->GetSize64();
    if (size <= kHeaderSize) {
        return;
    }
    std::uint32_t riffSize = kCappedRiffSize;
    std::uint32_t dataSize = kCappedDataSize;
    if (!MustCap(size, policy_)) {
        // Whole frames only, so that a reader never takes a torn last frame.
        const std::int64_t data = (size - kHeaderSize) / frameBytes_ * frameBytes_;
        dataSize = static_cast<std::uint32_t>(data);
        riffSize = static_cast<std::uint32_t>(data + kHeaderSize - 8);
    }
    if (dataSize == patchedDataSize_) {
        return;
    }
    std::array<std::uint8_t, 4> b{};
    PutU32(b.data(), riffSize);
    errno = 0;
    bool written = stream_->WriteAt(4, b.data(), 4);
    PutU32(b.data(), dataSize);
    written = written && stream_->WriteAt(40, b.data(), 4);
    if (!written) {
        throw WriteError(UserText(TextId::StreamWrite), errno);
    }
    patchedDataSize_ = dataSize;
}

void TrackFileWriter::ReserveAsItGrows(std::int64_t count) {
    if (!stream_ || count <= 0 || flacOpen_) {
        return;
    }
    // Short files, which reserving would only slow down, reserve nothing.
    const std::int64_t size = stream_->GetSize64();
    if (size < kFirstReserveStep || size + count <= reservedEnd_) {
        return;
    }
    const std::int64_t step = nextReserveStep_;
    stream_->Reserve(count + step);
    reservedEnd_ = size + count + step;
    nextReserveStep_ = std::min(2 * step, kLargestReserveStep);
}

std::int64_t TrackFileWriter::CurrentSize() const {
    if (dryOpen_) {
        return drySize_;
    }
    if (flacOpen_) {
        return stream_ ? flacBytes_ : 0;
    }
    return stream_ ? stream_->GetSize64() : 0;
}

bool TrackFileWriter::MustCap(std::int64_t fileSize, CapPolicy policy) {
    constexpr std::int64_t kLimit = std::int64_t{1} << 31;
    return policy == CapPolicy::Redivide ? fileSize >= kLimit : fileSize - 8 >= kLimit;
}

std::string TrackFileWriter::TooLongName(const std::string& path) {
    const std::string ext = FileSystem::ExtensionOf(path);
    return path.substr(0, path.size() - ext.size()) + "_tooLONG.wav";
}

void TrackFileWriter::DeleteOutput() {
    const bool real = stream_ != nullptr;
    EndFlac(false);
    stream_.reset();
    dryOpen_ = false;
    if (real) {
        (void)FileSystem::Delete(fileName_);
    }
}

FinishStatus TrackFileWriter::CloseOutput() {
    if (dryOpen_) {
        dryOpen_ = false;
        if (drySize_ <= HeaderSize()) {
            return FinishStatus::Deleted;
        }
        if (!raw_ && !flacOpen_ && MustCap(drySize_, policy_)) {
            tooLong_ = true;
            fileName_ = TooLongName(fileName_);
            return FinishStatus::TooLong;
        }
        return FinishStatus::Kept;
    }
    if (!stream_) {
        return FinishStatus::Deleted;
    }
    const std::int64_t size = stream_->GetSize64();
    bool kept = false;
    bool capped = false;
    if (flacOpen_) {
        kept = flacBytes_ > 0;
        EndFlac(kept);
    } else if (raw_) {
        kept = size > 0;
    } else if (size > kHeaderSize) {
        kept = true;
        capped = MustCap(size, policy_);
        const auto riffSize = capped ? kCappedRiffSize : static_cast<std::uint32_t>(size - 8);
        const auto dataSize = capped ? kCappedDataSize : static_cast<std::uint32_t>(size - kHeaderSize);
        stream_->Seek64(4, TLongStream::soFromBeginning);
        WriteU32(*stream_, riffSize);
        stream_->Seek64(32, TLongStream::soFromCurrent);
        WriteU32(*stream_, dataSize);
    }
    stream_.reset();
    if (!kept) {
        (void)FileSystem::Delete(fileName_);
        return FinishStatus::Deleted;
    }
    if (capped) {
        tooLong_ = true;
        // A file already carrying the capped name is never replaced; the
        // track then keeps its own name, and the name reported is the one
        // the track really has.
        const std::string newName = TooLongName(fileName_);
        if (FileSystem::RenameNoReplace(fileName_, newName)) {
            fileName_ = newName;
        }
        return FinishStatus::TooLong;
    }
    return FinishStatus::Kept;
}

}  // namespace zolvane2

#include "jobs/LossLabelFile.h"

#include <cerrno>
#include <cstdio>

#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "trackfile/TLongFileStream.h"
#include "trackfile/TrackNaming.h"

namespace zolvane2 {

namespace {

// Far more runs into one base than anyone keeps.
constexpr int kMaxNames = 999;

std::string Seconds(std::int64_t frames, std::int32_t rate, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals,
                  rate > 0 ? static_cast<double>(frames) / static_cast<double>(rate) : 0.0);
    return text;
}

}  // namespace

std::string LossLabelFile::Text(const std::vector<CaptureLoss>& losses, std::int32_t sampleRate,
                                const TrackName& trackName, TextLanguage language) {
    std::string text;
    for (const CaptureLoss& loss : losses) {
        const std::string at = Seconds(loss.trackFrame, sampleRate, 6);
        const UserText label(TextId::LossLabel, {trackName(loss.track), Seconds(loss.frames, sampleRate, 2)});
        text.append(at).append("\t").append(at).append("\t").append(label.In(language)).append("\n");
    }
    return text;
}

std::string LossLabelFile::Write(const std::string& stem, const std::string& text) {
    for (int n = 1;; ++n) {
        std::string path = stem;
        path.append("losses");
        if (n > 1) {
            path.append("-").append(std::to_string(n));
        }
        path.append(".txt");
        try {
            TLongFileStream file(path, TLongFileStream::fmCreateNew);
            try {
                file.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
            } catch (const WriteError& e) {
                throw WriteError(UserText(TextId::AboutFile, {path, WithSystemReason(e.Text(), e.Code())}), e.Code());
            }
            return path;
        } catch (const FileCreateError& e) {
            if (e.Code() != EEXIST || n >= kMaxNames) {
                throw;
            }
        }
    }
}

std::string LossLabelFile::WriteFor(const RecordingSettings& run, const std::vector<CaptureLoss>& losses,
                                    TextLanguage language) {
    const std::string stem = TrackNaming::Stem(run.baseFileName);
    const auto name = [&](std::int32_t track) {
        return FileSystem::NameOf(TrackNaming::TrackFileName(stem, track, run.digits, run.Format()));
    };
    return Write(stem, Text(losses, run.sampleRate, name, language));
}

std::string LossLabelFile::TimeText(std::int64_t frames, std::int64_t sampleRate) {
    const std::int64_t centis = sampleRate > 0 ? frames * 100 / sampleRate : 0;
    char text[48];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%02lld", static_cast<long long>(centis / 360000),
                  static_cast<long long>(centis / 6000 % 60), static_cast<long long>(centis / 100 % 60),
                  static_cast<long long>(centis % 100));
    return text;
}

}  // namespace zolvane2

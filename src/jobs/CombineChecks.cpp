#include "jobs/CombineChecks.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

#include "jobs/DiskSpace.h"
#include "trackfile/FlacDecoder.h"

namespace zolvane2 {

namespace {

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

// Offset of the extension's dot in the file name part, or npos.
std::size_t ExtensionDot(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return std::string::npos;
    }
    return dot;
}

}  // namespace

int32_t ChannelCode(const std::string& channelsText) {
    const std::string upper = Upper(channelsText);
    if (upper == "STEREO") {
        return 2;
    }
    if (upper == "MONO") {
        return 1;
    }
    return 0;
}

bool CombineParameters::Take(int32_t channelCode, int32_t entryFrequency) {
    if (channels == 0 && channelCode != 0) {
        channels = channelCode;
    } else if (channelCode == 0 || channelCode != channels) {
        // Code 0 is three or more channels (or none known): joined with
        // others, its frames would be taken for another layout's, wherever
        // it stands.
        mismatch = true;
    }
    if (frequency == 0) {
        frequency = entryFrequency;
    } else if (entryFrequency != frequency) {
        mismatch = true;
    }
    return !mismatch;
}

UserText FileSystemLimitText(const std::string& fileSystemName, int64_t limit) {
    char gb[32];
    std::snprintf(gb, sizeof gb, "%2lld", static_cast<long long>(limit / 1024 / 1024 / 1024));
    return {TextId::FileSystemLimit, {fileSystemName, std::string(gb)}};
}

CombineSizeCheck CheckCombineSize(int64_t totalBytes, int64_t freeBytes, const std::string& fileSystemName,
                                  bool rawOutput) {
    CombineSizeCheck check;
    // The WAVE header takes its 44 bytes of the disk too.
    const int64_t headerBytes = rawOutput ? 0 : 44;
    if (totalBytes + headerBytes > freeBytes) {
        check.verdict = CombineSizeVerdict::NotEnoughSpace;
        check.text = UserText(TextId::NoFreeSpace);
        check.caption = UserText(TextId::SizeOver);
        return check;
    }
    if (totalBytes > kWaveSizeLimit) {
        const int64_t limit = FileSizeLimit(fileSystemName);
        if (totalBytes > limit) {
            check.verdict = CombineSizeVerdict::OverFileSystemLimit;
            check.text = FileSystemLimitText(fileSystemName, limit);
            check.caption = UserText(TextId::SizeOver);
        } else if (!rawOutput) {
            check.verdict = CombineSizeVerdict::AskForRaw;
            check.text = UserText(TextId::AskRaw);
            check.caption = UserText(TextId::SizeOver);
        }
    }
    return check;
}

CombineSizeCheck CheckCombineTarget(const std::string& target, int64_t totalBytes, bool rawOutput) {
    return CheckCombineSize(totalBytes, FreeDiskBytes(target), FileSystemName(target), rawOutput);
}

bool TargetIsASource(const std::string& target, const std::vector<std::string>& sources) {
    std::error_code ec;
    if (!std::filesystem::exists(target, ec)) {
        return false;
    }
    return std::any_of(sources.begin(), sources.end(), [&target](const std::string& source) {
        std::error_code e;
        return std::filesystem::equivalent(target, source, e) && !e;
    });
}

std::string ReplaceExtension(const std::string& path, const std::string& ext) {
    const std::size_t dot = ExtensionDot(path);
    return (dot == std::string::npos ? path : path.substr(0, dot)) + ext;
}

std::string LowerExtension(const std::string& path) {
    const std::size_t dot = ExtensionDot(path);
    if (dot == std::string::npos) {
        return {};
    }
    std::string ext = path.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

TrackTags JoinedAlbumTags(const std::string& firstSource) {
    const TrackTags first = FlacDecoder::ReadTags(firstSource);
    TrackTags tags;
    tags.album = first.album;
    tags.albumArtist = first.albumArtist;
    tags.artist = first.albumArtist.empty() ? first.artist : first.albumArtist;
    tags.date = first.date;
    tags.genre = first.genre;
    tags.discNumber = first.discNumber;
    return tags;
}

}  // namespace zolvane2

#include "jobs/CutPointFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Errors.h"
#include "platform/FileSystem.h"

namespace zolvane2 {

namespace {

constexpr std::int64_t kCueFramesPerSecond = 75;

using Problem = CutPointFileError::Problem;

struct Line {
    int number;
    std::string text;
};

// Lines without their ends (LF or CR LF), numbered from 1, blank ones left out.
std::vector<Line> LinesOf(const std::string& text) {
    std::vector<Line> lines;
    int number = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        ++number;
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.find_first_not_of(" \t") != std::string::npos) {
            lines.push_back({number, line});
        }
        start = end + 1;
    }
    return lines;
}

// Seconds of 0 or more, with "." or "," as the decimal mark (Audacity writes
// the latter under some locales).
bool ParseSeconds(std::string text, double& seconds) {
    for (char& c : text) {
        if (c == ',') {
            c = '.';
        }
    }
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) {
        return false;
    }
    char* end = nullptr;
    seconds = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(seconds);
}

std::int64_t NearestFrame(double seconds, std::int32_t sampleRate) {
    return std::llround(static_cast<long double>(seconds) * sampleRate);
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            ++i;
        }
        if (i > start) {
            fields.push_back(line.substr(start, i - start));
        }
    }
    return fields;
}

// The pieces the source falls into when cut at each point (frames in
// rising order); pieces without frames are left out.
std::vector<CutPoint> PiecesBetween(const std::vector<std::int64_t>& cuts, std::int64_t from,
                                    std::int64_t totalFrames) {
    std::vector<CutPoint> pieces;
    std::int64_t start = from;
    for (std::size_t i = 0; i <= cuts.size(); ++i) {
        const std::int64_t end = i < cuts.size() ? cuts[i] : totalFrames;
        if (end > start) {
            pieces.push_back({start, end, {}});
        }
        start = std::max(start, end);
    }
    return pieces;
}

}  // namespace

std::string CutPointFile::LabelText(const std::vector<CutPoint>& points, std::int32_t sampleRate) {
    std::string text;
    for (const CutPoint& p : points) {
        char times[80];
        std::snprintf(times, sizeof times, "%.6f\t%.6f\t", static_cast<double>(p.StartFrame) / sampleRate,
                      static_cast<double>(p.EndFrame) / sampleRate);
        text += times + p.Name + "\n";
    }
    return text;
}

std::string CutPointFile::CueText(const std::vector<CutPoint>& points, std::int32_t sampleRate,
                                  const std::string& sourceName) {
    const std::string ext = FileSystem::ExtensionOf(sourceName);
    const bool raw = ext.size() == 4 && (ext == ".raw" || ext == ".RAW");
    std::string text = "FILE \"" + sourceName + "\" " + (raw ? "BINARY" : "WAVE") + "\n";
    int track = 0;
    for (const CutPoint& p : points) {
        // Nearest 1/75 s, in integers so that long sources round alike.
        const std::int64_t cue = (p.StartFrame * kCueFramesPerSecond * 2 + sampleRate) / (2 * std::int64_t{sampleRate});
        char lines[160];
        std::snprintf(lines, sizeof lines, "  TRACK %02d AUDIO\n    TITLE \"%s\"\n    INDEX 01 %02lld:%02lld:%02lld\n",
                      ++track, p.Name.c_str(), static_cast<long long>(cue / (60 * kCueFramesPerSecond)),
                      static_cast<long long>(cue / kCueFramesPerSecond % 60),
                      static_cast<long long>(cue % kCueFramesPerSecond));
        text += lines;
    }
    return text;
}

std::vector<CutPoint> CutPointFile::PiecesFromLabels(const std::string& text, std::int32_t sampleRate,
                                                     std::int64_t totalFrames) {
    std::vector<CutPoint> regions;
    std::vector<std::int64_t> cuts;
    int firstRegionLine = 0;
    int firstPointLine = 0;
    for (const Line& line : LinesOf(text)) {
        // Audacity puts the frequency range of a spectral label on a line of
        // its own that begins with a backslash.
        if (line.text[0] == '\\') {
            continue;
        }
        const std::vector<std::string> f = Fields(line.text);
        double start = 0;
        double end = 0;
        if (f.size() < 2 || !ParseSeconds(f[0], start) || !ParseSeconds(f[1], end)) {
            throw CutPointFileError(Problem::BadTime, line.number, line.text);
        }
        if (end < start) {
            throw CutPointFileError(Problem::EndBeforeStart, line.number, line.text);
        }
        const std::int64_t first = NearestFrame(start, sampleRate);
        const std::int64_t last = std::min(NearestFrame(end, sampleRate), totalFrames);
        if (first > totalFrames || (end > start && first >= totalFrames)) {
            throw CutPointFileError(Problem::PastEnd, line.number, line.text);
        }
        if (end > start) {
            firstRegionLine = firstRegionLine != 0 ? firstRegionLine : line.number;
            if (firstPointLine != 0) {
                throw CutPointFileError(Problem::Mixed, line.number, line.text);
            }
            if (last > first) {
                regions.push_back({first, last, {}});
            }
            continue;
        }
        firstPointLine = firstPointLine != 0 ? firstPointLine : line.number;
        if (firstRegionLine != 0) {
            throw CutPointFileError(Problem::Mixed, line.number, line.text);
        }
        if (!cuts.empty() && first < cuts.back()) {
            throw CutPointFileError(Problem::GoesBack, line.number, line.text);
        }
        cuts.push_back(first);
    }
    if (firstRegionLine != 0) {
        return regions;
    }
    if (cuts.empty()) {
        throw CutPointFileError(Problem::Empty, 0, {});
    }
    return PiecesBetween(cuts, 0, totalFrames);
}

std::vector<CutPoint> CutPointFile::PiecesFromCue(const std::string& text, std::int32_t sampleRate,
                                                  std::int64_t totalFrames) {
    std::vector<std::int64_t> starts;
    const Line* openTrack = nullptr;
    const std::vector<Line> lines = LinesOf(text);
    for (const Line& line : lines) {
        const std::vector<std::string> f = Fields(line.text);
        if (f[0] == "TRACK") {
            if (openTrack != nullptr) {
                throw CutPointFileError(Problem::NoIndex, openTrack->number, openTrack->text);
            }
            openTrack = &line;
            continue;
        }
        if (f[0] != "INDEX" || f.size() < 2 || f[1] != "01") {
            continue;  // titles, performers, other indexes: not cut points
        }
        long long mm = 0;
        int ss = 0;
        int ff = 0;
        char rest = 0;
        if (f.size() != 3 || std::sscanf(f[2].c_str(), "%lld:%d:%d%c", &mm, &ss, &ff, &rest) != 3 || mm < 0 || ss < 0 ||
            ss > 59 || ff < 0 || ff >= kCueFramesPerSecond || openTrack == nullptr) {
            throw CutPointFileError(openTrack == nullptr ? Problem::NoIndex : Problem::BadTime, line.number, line.text);
        }
        const std::int64_t frame =
            (mm * 60 + ss) * std::int64_t{sampleRate} +
            (ff * std::int64_t{sampleRate} * 2 + kCueFramesPerSecond) / (2 * kCueFramesPerSecond);
        if (!starts.empty() && frame < starts.back()) {
            throw CutPointFileError(Problem::GoesBack, line.number, line.text);
        }
        if (frame >= totalFrames) {
            throw CutPointFileError(Problem::PastEnd, line.number, line.text);
        }
        starts.push_back(frame);
        openTrack = nullptr;
    }
    if (openTrack != nullptr) {
        throw CutPointFileError(Problem::NoIndex, openTrack->number, openTrack->text);
    }
    if (starts.empty()) {
        throw CutPointFileError(Problem::Empty, 0, {});
    }
    const std::vector<std::int64_t> cuts(starts.begin() + 1, starts.end());
    return PiecesBetween(cuts, starts.front(), totalFrames);
}

void CutPointFile::WriteWhole(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".part";
    const auto fail = [&path](int code) { return WriteError(path + "\r\n" + std::strerror(code)); };
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw fail(errno);
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const int code = n < 0 ? errno : ENOSPC;
            ::close(fd);
            ::unlink(temporary.c_str());
            throw fail(code);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const int code = errno;
        ::unlink(temporary.c_str());
        throw fail(code);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int code = errno;
        ::unlink(temporary.c_str());
        throw fail(code);
    }
}

std::string CutPointFile::ReadWhole(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        throw ReadError(path + "\r\n" + std::strerror(errno));
    }
    std::string text;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, n);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        throw ReadError(path + "\r\n" + std::strerror(EIO));
    }
    return text;
}

}  // namespace zolvane2

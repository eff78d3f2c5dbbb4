#include "jobs/CutPointFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string_view>

#include <sys/stat.h>

#include "jobs/CueSheet.h"
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

// Lines without their ends (LF, CR LF, or CR alone as old Mac editors end
// them), numbered from 1, blank ones left out; a UTF-8 byte-order mark
// ahead of the first line is skipped, as other editors write one.
std::vector<Line> LinesOf(const std::string& text) {
    std::vector<Line> lines;
    int number = 0;
    std::size_t start = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            end = text.size();
        }
        ++number;
        std::string line = text.substr(start, end - start);
        if (line.find_first_not_of(" \t") != std::string::npos) {
            lines.push_back({number, std::move(line)});
        }
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
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

// The frame nearest to seconds; false when it does not fit in 64 bits
// (llround would answer nonsense).
bool NearestFrame(double seconds, std::int32_t sampleRate, std::int64_t& frame) {
    const long double exact = static_cast<long double>(seconds) * sampleRate;
    if (!(exact < 0x1p62L)) {
        return false;
    }
    frame = std::llround(exact);
    return true;
}

// A whole number of decimal digits only, the whole text used.
bool ParseDigits(std::string_view text, std::int64_t& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && text.front() != '-' && ptr == end && ec == std::errc{};
}

// An INDEX time mm:ss:ff as a frame number at sampleRate: Problem::BadTime
// when it is not one, TooLarge when its frame does not fit in 64 bits.
std::optional<Problem> CueFrame(const std::string& text, std::int32_t sampleRate, std::int64_t& frame) {
    const std::size_t first = text.find(':');
    const std::size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second == std::string::npos) {
        return Problem::BadTime;
    }
    const std::string_view all(text);
    std::int64_t mm = 0;
    std::int64_t ss = 0;
    std::int64_t ff = 0;
    if (!ParseDigits(all.substr(first + 1, second - first - 1), ss) || !ParseDigits(all.substr(second + 1), ff) ||
        ss > 59 || ff >= kCueFramesPerSecond) {
        return Problem::BadTime;
    }
    if (!ParseDigits(all.substr(0, first), mm)) {
        // Digits too many for 64 bits are a time too large, not a bad one.
        const bool digitsOnly = first > 0 && all.substr(0, first).find_first_not_of("0123456789") == std::string::npos;
        return digitsOnly ? Problem::TooLarge : Problem::BadTime;
    }
    const std::int64_t rate = sampleRate;
    std::int64_t seconds = 0;
    std::int64_t whole = 0;
    if (__builtin_mul_overflow(mm, std::int64_t{60}, &seconds) || __builtin_add_overflow(seconds, ss, &seconds) ||
        __builtin_mul_overflow(seconds, rate, &whole) ||
        __builtin_add_overflow(whole, (ff * rate * 2 + kCueFramesPerSecond) / (2 * kCueFramesPerSecond), &frame)) {
        return Problem::TooLarge;
    }
    return std::nullopt;
}

// A cue sheet's commands: a line beginning with anything else makes the
// text something other than a cue sheet.
bool IsCueCommand(const std::string& word) {
    static constexpr const char* kCommands[] = {"CATALOG",    "CDTEXTFILE", "FILE",    "FLAGS",  "INDEX",
                                                "ISRC",       "PERFORMER",  "POSTGAP", "PREGAP", "REM",
                                                "SONGWRITER", "TITLE",      "TRACK"};
    return std::find(std::begin(kCommands), std::end(kCommands), word) != std::end(kCommands);
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
        // The title apart from the fixed-size fields: a piece's name may be
        // 255 bytes long.
        char head[32];
        std::snprintf(head, sizeof head, "  TRACK %02d AUDIO\n", ++track);
        char index[48];
        std::snprintf(index, sizeof index, "    INDEX 01 %02lld:%02lld:%02lld\n",
                      static_cast<long long>(cue / (60 * kCueFramesPerSecond)),
                      static_cast<long long>(cue / kCueFramesPerSecond % 60),
                      static_cast<long long>(cue % kCueFramesPerSecond));
        text += std::string(head) + "    TITLE \"" + p.Name + "\"\n" + index;
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
        std::int64_t first = 0;
        std::int64_t last = 0;
        if (!NearestFrame(start, sampleRate, first) || !NearestFrame(end, sampleRate, last)) {
            throw CutPointFileError(Problem::TooLarge, line.number, line.text);
        }
        last = std::min(last, totalFrames);
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
    if (firstRegionLine == 0 && cuts.empty()) {
        throw CutPointFileError(Problem::Empty, 0, {});
    }
    std::vector<CutPoint> pieces = firstRegionLine != 0 ? std::move(regions) : PiecesBetween(cuts, 0, totalFrames);
    // An empty list would cut nothing at all and report success.
    if (pieces.empty()) {
        throw CutPointFileError(Problem::NoPiece, 0, {});
    }
    return pieces;
}

std::vector<CutPoint> CutPointFile::PiecesFromCue(const std::string& text, std::int32_t sampleRate,
                                                  std::int64_t totalFrames, const std::string& sourcePath) {
    std::vector<std::int64_t> starts;
    const Line* openTrack = nullptr;
    const Line* firstFile = nullptr;
    const std::vector<Line> lines = LinesOf(text);
    for (const Line& line : lines) {
        const std::vector<std::string> f = Fields(line.text);
        if (f[0] == "FILE") {
            if (firstFile != nullptr) {
                throw CutPointFileError(Problem::SeveralFiles, line.number, line.text);
            }
            firstFile = &line;
            continue;
        }
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
        if (openTrack == nullptr) {
            throw CutPointFileError(Problem::NoIndex, line.number, line.text);
        }
        std::int64_t frame = 0;
        const std::optional<Problem> problem =
            f.size() != 3 ? std::optional(Problem::BadTime) : CueFrame(f[2], sampleRate, frame);
        if (problem) {
            throw CutPointFileError(*problem, line.number, line.text);
        }
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
    if (firstFile == nullptr) {
        // A bare list of tracks, which libcue does not take: no file to
        // check, the times as read above.
        const std::vector<std::int64_t> cuts(starts.begin() + 1, starts.end());
        return PiecesBetween(cuts, starts.front(), totalFrames);
    }
    const CueSheet sheet = CueSheet::Parse(text);
    if (!sheet.Parsed() || sheet.Tracks().size() != starts.size()) {
        throw CutPointFileError(Problem::Unreadable, 0, {});
    }
    if (!sourcePath.empty() && !CueSheet::NamesSource(sheet.Tracks().front().file, sourcePath)) {
        throw CutPointFileError(Problem::OtherFile, firstFile->number, firstFile->text);
    }
    std::vector<std::int64_t> fromSheet;
    for (const CueSheet::Track& track : sheet.Tracks()) {
        std::int64_t frame = 0;
        if (__builtin_mul_overflow(track.index01, std::int64_t{sampleRate} * 2, &frame) ||
            __builtin_add_overflow(frame, kCueFramesPerSecond, &frame)) {
            throw CutPointFileError(Problem::TooLarge, 0, {});
        }
        fromSheet.push_back(frame / (2 * kCueFramesPerSecond));
    }
    const std::vector<std::int64_t> cuts(fromSheet.begin() + 1, fromSheet.end());
    std::vector<CutPoint> pieces = PiecesBetween(cuts, fromSheet.front(), totalFrames);
    for (std::size_t i = 0; i < pieces.size() && i < sheet.Tracks().size(); ++i) {
        pieces[i].Name = sheet.Tracks()[i].title;
    }
    return pieces;
}

bool CutPointFile::IsCutPointText(const std::string& text) {
    const std::vector<Line> lines = LinesOf(text);
    if (lines.empty()) {
        return true;
    }
    // One frame a second and an endless source: only the form of the text
    // counts here, not whether its times fit some audio.
    constexpr std::int32_t kAnyRate = 1;
    constexpr std::int64_t kEndless = std::int64_t{1} << 62;
    // A label file of sub-frame labels, or of points that go back, is one
    // all the same; so is a cue sheet without tracks, as the writer leaves
    // for a run without pieces.
    const auto accepted = [](std::initializer_list<Problem> allowed, const auto& read) {
        try {
            (void)read();
            return true;
        } catch (const CutPointFileError& e) {
            return std::find(allowed.begin(), allowed.end(), e.What()) != allowed.end();
        }
    };
    const bool cueCommandsOnly = std::all_of(lines.begin(), lines.end(),
                                             [](const Line& line) { return IsCueCommand(Fields(line.text).front()); });
    return (cueCommandsOnly &&
            accepted({Problem::Empty}, [&text] { return PiecesFromCue(text, kAnyRate, kEndless); })) ||
           accepted({Problem::NoPiece, Problem::GoesBack},
                    [&text] { return PiecesFromLabels(text, kAnyRate, kEndless); });
}

void CutPointFile::WriteWhole(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".part";
    const auto fail = [](const std::string& name, int code) { return WriteError(name + "\r\n" + std::strerror(code)); };
    // Created new and never through a link, so that no file but our own is
    // ever truncated.
    const auto create = [&temporary] {
        return ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    };
    int fd = create();
    if (fd < 0 && errno == EEXIST) {
        // Left by a run that was killed while writing; a link or anything
        // else at the name is somebody's, not ours.
        struct stat st {};
        if (::lstat(temporary.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
            throw fail(temporary, EEXIST);
        }
        if (::unlink(temporary.c_str()) != 0) {
            throw fail(temporary, errno);
        }
        fd = create();
    }
    if (fd < 0) {
        throw fail(temporary, errno);
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
            throw fail(path, code);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const int code = errno;
        ::unlink(temporary.c_str());
        throw fail(path, code);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int code = errno;
        ::unlink(temporary.c_str());
        throw fail(path, code);
    }
}

std::string CutPointFile::ReadWhole(const std::string& path) {
    const auto fail = [&path](int code) { return ReadError(path + "\r\n" + std::strerror(code), code); };
    // Without O_NONBLOCK, opening a pipe would wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        throw fail(errno);
    }
    struct stat st {};
    int code = ::fstat(fd, &st) != 0 ? errno : 0;
    if (code == 0 && !S_ISREG(st.st_mode)) {
        code = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    }
    if (code == 0 && st.st_size > kMaxFileBytes) {
        code = EFBIG;
    }
    std::string text;
    char buffer[65536];
    while (code == 0) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            code = n < 0 ? errno : 0;
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
        // The file may grow while it is read.
        if (static_cast<std::int64_t>(text.size()) > kMaxFileBytes) {
            code = EFBIG;
        }
    }
    ::close(fd);
    if (code != 0) {
        throw fail(code);
    }
    return text;
}

}  // namespace zolvane2

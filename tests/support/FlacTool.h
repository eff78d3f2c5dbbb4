#pragma once

// The reference `flac` and `metaflac` programs, to check FLAC files this
// program writes against what every other program reads.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "support/TestFiles.h"

namespace zolvane2::test {

[[nodiscard]] inline bool HaveFlacTools() {
    return std::system("flac --version >/dev/null 2>&1 && metaflac --version >/dev/null 2>&1") == 0;
}

// Interleaved 16-bit PCM that compresses like music, not like silence: a
// tone per channel with noise on it; frames × channels samples.
[[nodiscard]] inline std::vector<std::uint8_t> MusicLikePcm(std::int64_t frames, int channels, std::uint32_t seed = 1) {
    std::vector<std::uint8_t> pcm(static_cast<std::size_t>(frames * channels * 2));
    std::uint32_t noise = seed;
    std::size_t at = 0;
    for (std::int64_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            noise = noise * 1664525U + 1013904223U;
            const int tone = static_cast<int>(((f * (c + 3)) % 200) * 150) - 15000;
            const int v = tone + static_cast<int>((noise >> 20) & 0x3FF) - 512;
            pcm[at++] = static_cast<std::uint8_t>(v & 0xFF);
            pcm[at++] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
        }
    }
    return pcm;
}

inline std::string Quoted(const std::string& s) {
    std::string out = "'";
    for (const char c : s) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

// What `flac -d` decodes of path as raw little-endian PCM; with keepGoing
// (-F) a torn end is passed over as players pass over it.
[[nodiscard]] inline std::vector<std::uint8_t> FlacDecode(const std::string& path, bool keepGoing = false) {
    const std::string out = path + ".decoded.raw";
    const std::string command = std::string("flac -d -s -f ") + (keepGoing ? "-F " : "") +
                                "--force-raw-format --endian=little --sign=signed -o " + Quoted(out) + " " +
                                Quoted(path) + " 2>/dev/null";
    // A failed decode shows as missing or short PCM, which the caller checks.
    [[maybe_unused]] const int status = std::system(command.c_str());
    std::vector<std::uint8_t> pcm = ReadAll(out);
    std::remove(out.c_str());
    return pcm;
}

// What another decoder ("sox" or "ffmpeg") makes of path as raw
// little-endian PCM; nullopt when it is not installed.
[[nodiscard]] inline std::optional<std::vector<std::uint8_t>> OtherDecode(const std::string& tool,
                                                                          const std::string& path) {
    if (std::system((tool + (tool == "sox" ? " --version" : " -version") + " >/dev/null 2>&1").c_str()) != 0) {
        return std::nullopt;
    }
    const std::string out = path + "." + tool + ".raw";
    const std::string command = tool == "sox" ? "sox -V0 " + Quoted(path) + " -t raw -e signed -b 16 -L " + Quoted(out)
                                              : "ffmpeg -v quiet -y -i " + Quoted(path) + " -f s16le " + Quoted(out);
    [[maybe_unused]] const int status = std::system((command + " 2>/dev/null").c_str());
    std::vector<std::uint8_t> pcm = ReadAll(out);
    std::remove(out.c_str());
    return pcm;
}

// The exit status of a command's shell.
[[nodiscard]] inline int Shell(const std::string& command) {
    const int rc = std::system(command.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

// The standard output of a command.
[[nodiscard]] inline std::string ShellOutput(const std::string& command) {
    std::string text;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) {
            text.append(buffer, n);
        }
        (void)::pclose(p);
    }
    return text;
}

}  // namespace zolvane2::test

// zolvane2-cli info: the result list's view of track files, one row per file.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/FileReportMessages.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "trackfile/TrackFileReader.h"

namespace zolvane2::cli {

namespace {

constexpr int kMaxRate = 10'000'000;

int RunInfo(const std::vector<std::string>& args) {
    int rate = 44100;
    int channels = 2;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string value;
        bool isRate = false;
        bool isChannels = false;
        if (a == "--rate" || a == "--channels") {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "zolvane2-cli info: %s needs a value\n", a.c_str());
                return 2;
            }
            value = args[++i];
            isRate = a == "--rate";
            isChannels = !isRate;
        } else if (a.rfind("--rate=", 0) == 0) {
            value = a.substr(7);
            isRate = true;
        } else if (a.rfind("--channels=", 0) == 0) {
            value = a.substr(11);
            isChannels = true;
        } else if (a == "--") {
            files.insert(files.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            break;
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "zolvane2-cli info: unknown option '%s'\n", a.c_str());
            return 2;
        } else {
            files.push_back(a);
        }
        if (isRate && !ParseInt(value, 1, kMaxRate, rate)) {
            std::fprintf(stderr, "zolvane2-cli info: --rate needs a sampling frequency in Hz, not '%s'\n",
                         value.c_str());
            return 2;
        }
        if (isChannels && !ParseInt(value, 1, 2, channels)) {
            std::fprintf(stderr, "zolvane2-cli info: --channels needs 1 or 2, not '%s'\n", value.c_str());
            return 2;
        }
    }
    if (files.empty()) {
        std::fputs("zolvane2-cli info: no FILE given (see zolvane2-cli --help)\n", stderr);
        return 2;
    }
    FileReportMessages messages;
    int status = 0;
    for (const auto& name : files) {
        // Relative names become full paths, so that the message and the folder
        // column name the file without doubt.
        const std::string path = FullPathOf(name);
        if (!FileSystem::LookUp(path)) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), TrackFileReader::kNotFound);
            status = 1;
            continue;
        }
        if (!TrackFileReader::IsTrackFileName(path)) {
            continue;
        }
        try {
            const auto p = TrackFileReader::ReadFileProperties(path, rate, channels, messages);
            if (!p) {
                status = 1;
                continue;
            }
            std::printf("%s\t%s\t%s\t%s\t%d\t%s\t%lld\t%lld\n", p->fileName.c_str(), p->dateText.c_str(),
                        p->lengthText.c_str(), p->channelText.c_str(), p->sampleRate, p->folder.c_str(),
                        static_cast<long long>(p->dataOffset), static_cast<long long>(p->dataSize));
        } catch (const Error& e) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), e.what());
            status = 1;
        }
    }
    std::fflush(stdout);
    return status;
}

const CommandRegistration kInfo{Command{
    "info",
    10,
    "info [--rate HZ] [--channels 1|2] FILE...",
    "      Shows each WAVE (.wav) or RAW (.raw) track file as one line of\n"
    "      TAB-separated fields: file name, date, length, channels, sampling\n"
    "      frequency, folder (ending in \"/\"), data offset, data size.\n"
    "      Files with other extensions are passed over. A missing or rejected\n"
    "      file is reported on stderr as \"<full path>: <text>\"; the exit\n"
    "      status is then 1, else 0.\n"
    "      --rate HZ         sampling frequency of RAW files (default 44100)\n"
    "      --channels 1|2    channels of RAW files (default 2)\n",
    RunInfo,
}};

}  // namespace

}  // namespace zolvane2::cli

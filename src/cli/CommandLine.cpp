#include "cli/CommandLine.h"

#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <utility>

#include "cli/Language.h"

namespace zolvane2::cli {

std::string FullPathOf(const std::string& name) {
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(name, ec);
    // Not normalised: "link/.." is the link's target's parent to the system,
    // and only the system can tell.
    return ec ? name : absolute.string();
}

bool ParseInt(const std::string& text, int low, int high, int& value) {
    try {
        std::size_t used = 0;
        const long v = std::stol(text, &used);
        if (used != text.size() || v < low || v > high) {
            return false;
        }
        value = static_cast<int>(v);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool StderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

bool AsksForHelp(const std::vector<std::string>& args) {
    for (const auto& a : args) {
        if (a == "--") {
            return false;
        }
        if (a == "--help" || a == "-h") {
            return true;
        }
    }
    return false;
}

void PrintFailure(const std::string& command, const std::string& text) {
    const std::string line = "zolvane2-cli " + command + ": " + text + "\n";
    std::fputs(line.c_str(), stderr);
}

int UsageFailure(const std::string& command, const std::string& text) {
    PrintFailure(command,
                 text + Fill(Say(" (see zolvane2-cli %1 --help)", " (zolvane2-cli %1 --help を参照)"), {command}));
    return 2;
}

std::string LongOptionName(const std::string& name) {
    static const std::pair<const char*, const char*> kShort[] = {
        {"-d", "--device"}, {"-r", "--rate"}, {"-c", "--channels"}, {"-t", "--time"}, {"-o", "--output"},
    };
    for (const auto& [shortName, longName] : kShort) {
        if (name == shortName) {
            return longName;
        }
    }
    return name;
}

}  // namespace zolvane2::cli

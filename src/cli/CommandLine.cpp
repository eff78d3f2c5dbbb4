#include "cli/CommandLine.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "cli/Language.h"

namespace zolvane2::cli {

std::string FullPathOf(const std::string& name) {
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(name, ec);
    // Not normalised: "link/.." is the link's target's parent to the system,
    // and only the system can tell.
    return ec ? name : absolute.string();
}

bool StderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

bool AsksForHelp(const std::vector<std::string>& args) {
    const auto optionsEnd = std::find(args.begin(), args.end(), "--");
    return std::any_of(args.begin(), optionsEnd, [](const std::string& a) { return a == "--help" || a == "-h"; });
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

}  // namespace zolvane2::cli

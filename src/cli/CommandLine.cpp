#include "cli/CommandLine.h"

#include <unistd.h>

#include <filesystem>

namespace zolvane2::cli {

std::string FullPathOf(const std::string& name) {
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(name, ec);
    return ec ? name : absolute.lexically_normal().string();
}

bool StderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

}  // namespace zolvane2::cli

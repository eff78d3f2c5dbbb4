#include "cli/CommandLine.h"

#include <unistd.h>

#include <exception>
#include <filesystem>

namespace zolvane2::cli {

std::string FullPathOf(const std::string& name) {
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(name, ec);
    return ec ? name : absolute.lexically_normal().string();
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

}  // namespace zolvane2::cli

#pragma once

#include <string>

namespace zolvane2::cli {

struct Command;

// zolvane2-cli --help: every command with its help.
[[nodiscard]] std::string HelpText();

// zolvane2-cli COMMAND --help: that command's usage and help.
[[nodiscard]] std::string CommandHelpText(const Command& command);

// zolvane2-cli --version.
[[nodiscard]] std::string VersionText();

}  // namespace zolvane2::cli

#pragma once

#include <string>

namespace zolvane2::cli {

struct Command;

// zolvane2-cli without a command: what it takes and where the rest is told,
// short enough to stay on the screen above the prompt.
[[nodiscard]] std::string ShortUsageText();

// zolvane2-cli --help: every command with its help.
[[nodiscard]] std::string HelpText();

// zolvane2-cli COMMAND --help: that command's usage and help.
[[nodiscard]] std::string CommandHelpText(const Command& command);

// zolvane2-cli --version.
[[nodiscard]] std::string VersionText();

}  // namespace zolvane2::cli

#pragma once

#include <string>
#include <vector>

namespace zolvane2::cli {

// Full, normalised path of a file named on the command line, so that
// messages and listings name the file without doubt; the name as given when
// it cannot be made absolute.
[[nodiscard]] std::string FullPathOf(const std::string& name);

// Whether stderr is a terminal: progress and meter lines, which rewrite
// themselves with carriage returns, go there only then.
[[nodiscard]] bool StderrIsTerminal();

// Whether the arguments of a command ask for its help: "--help" or "-h"
// before any "--".
[[nodiscard]] bool AsksForHelp(const std::vector<std::string>& args);

// Prints "zolvane2-cli COMMAND: text (see zolvane2-cli COMMAND --help)" on
// stderr and answers 2, the exit status of a command line that cannot be
// followed.
[[nodiscard]] int UsageFailure(const std::string& command, const std::string& text);

// Prints "zolvane2-cli COMMAND: text" on stderr.
void PrintFailure(const std::string& command, const std::string& text);

}  // namespace zolvane2::cli

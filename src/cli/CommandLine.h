#pragma once

#include <string>

namespace zolvane2::cli {

// Full, normalised path of a file named on the command line, so that
// messages and listings name the file without doubt; the name as given when
// it cannot be made absolute.
[[nodiscard]] std::string FullPathOf(const std::string& name);

// Whether stderr is a terminal: progress and meter lines, which rewrite
// themselves with carriage returns, go there only then.
[[nodiscard]] bool StderrIsTerminal();

}  // namespace zolvane2::cli

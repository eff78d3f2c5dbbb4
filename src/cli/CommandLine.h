#pragma once

#include <string>

namespace zolvane2::cli {

// Full, normalised path of a file named on the command line, so that
// messages and listings name the file without doubt; the name as given when
// it cannot be made absolute.
[[nodiscard]] std::string FullPathOf(const std::string& name);

// A whole decimal number from low to high, the whole text used; value is
// left alone when the text is not one.
[[nodiscard]] bool ParseInt(const std::string& text, int low, int high, int& value);

// Whether stderr is a terminal: progress and meter lines, which rewrite
// themselves with carriage returns, go there only then.
[[nodiscard]] bool StderrIsTerminal();

}  // namespace zolvane2::cli

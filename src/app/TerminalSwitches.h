#pragma once

#include <optional>
#include <string>

#include "platform/UserText.h"

namespace zolvane2 {

// The short usage that zolvane2 --help prints: the window's own switches and
// where the rest is told.
[[nodiscard]] std::string WindowUsage(TextLanguage language);

// Answers --help and --version (anywhere among the arguments) on standard
// output before Qt starts, so that they need no display. The exit status when
// one was answered, nothing otherwise.
[[nodiscard]] std::optional<int> AnswerTerminalSwitches(int argc, char* argv[]);

}  // namespace zolvane2

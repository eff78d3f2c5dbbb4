#pragma once

namespace zolvane2::cli {

// Entry of zolvane2-cli: picks the command and runs it; returns the exit status.
[[nodiscard]] int RunCommandLine(int argc, char** argv);

}  // namespace zolvane2::cli

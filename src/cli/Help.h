#pragma once

namespace zolvane2::cli {

[[nodiscard]] const char* HelpText();

}  // namespace zolvane2::cli

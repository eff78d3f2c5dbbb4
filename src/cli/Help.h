#pragma once

#include <string>

namespace zolvane2::cli {

[[nodiscard]] std::string HelpText();

}  // namespace zolvane2::cli

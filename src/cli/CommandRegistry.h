#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cli/OptionTable.h"
#include "cli/ParsedOptions.h"

namespace zolvane2::cli {

// Each command of zolvane2-cli lives in a file of its own and registers itself
// with a static CommandRegistration; the entry point and --help read the list.
// The help is made when it is shown, in the user's language (Say).
struct Command {
    std::string name;
    int order = 0;                                      // place in --help
    std::string usage;                                  // first help line, e.g. "info [--rate HZ] FILE..."
    std::function<std::string()> help;                  // the rest: what it does, options, exit status
    std::function<int(const ParsedOptions& line)> run;  // the command line read by options
    OptionTable (*options)() = nullptr;                 // what the command line may hold
    bool takesArguments = true;
};

class CommandRegistration {
public:
    explicit CommandRegistration(Command command);
};

[[nodiscard]] const std::vector<Command>& Commands();

}  // namespace zolvane2::cli

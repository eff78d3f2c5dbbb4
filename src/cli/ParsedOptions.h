#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zolvane2::cli {

// An option met on the command line, its value already checked.
struct GivenOption {
    std::string name;         // the long name, "--rate"
    std::string text;         // the value as given; empty for a flag
    std::int64_t number = 0;  // Integer and Length: the value; Choice: its index
    double seconds = 0;       // Seconds: the value
};

// What a command line holds: the options in the order given, and the
// arguments that are no options (those after "--" included).
struct ParsedOptions {
    std::vector<GivenOption> given;
    std::vector<std::string> operands;

    // The last time the option was given, which is the one that counts;
    // nullptr when it was not.
    [[nodiscard]] const GivenOption* Last(std::string_view name) const {
        for (auto it = given.rbegin(); it != given.rend(); ++it) {
            if (it->name == name) {
                return &*it;
            }
        }
        return nullptr;
    }
};

}  // namespace zolvane2::cli

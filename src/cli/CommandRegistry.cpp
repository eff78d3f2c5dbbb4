#include "cli/CommandRegistry.h"

#include <algorithm>

namespace zolvane2::cli {

namespace {
std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}
}  // namespace

CommandRegistration::CommandRegistration(Command command) {
    auto& list = Registry();
    list.push_back(std::move(command));
    std::stable_sort(list.begin(), list.end(), [](const Command& a, const Command& b) { return a.order < b.order; });
}

const std::vector<Command>& Commands() {
    return Registry();
}

}  // namespace zolvane2::cli

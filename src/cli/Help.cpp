#include "cli/Help.h"

#include "cli/CommandRegistry.h"

namespace zolvane2::cli {

std::string HelpText() {
    std::string text =
        "Usage: zolvane2-cli COMMAND [OPTIONS] [FILE...]\n"
        "\n"
        "Records 16-bit PCM and cuts it into numbered WAVE or RAW track files,\n"
        "re-divides, joins and plays such files.\n"
        "\n"
        "Commands:\n";
    for (const auto& c : Commands()) {
        text += "\n  zolvane2-cli " + c.usage + "\n";
        text += c.help;
        if (!c.help.empty() && c.help.back() != '\n') {
            text += "\n";
        }
    }
    text += "\n  zolvane2-cli --help\n      This text.\n";
    return text;
}

}  // namespace zolvane2::cli

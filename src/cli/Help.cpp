#include "cli/Help.h"

namespace zolvane2::cli {

const char* HelpText() {
    return "Usage: zolvane2-cli COMMAND [OPTIONS] [FILE...]\n"
           "\n"
           "Records 16-bit PCM and cuts it into numbered WAVE or RAW track files,\n"
           "re-divides, joins and plays such files.\n"
           "\n"
           "Commands:\n"
           "  --help                 this text\n";
}

}  // namespace zolvane2::cli

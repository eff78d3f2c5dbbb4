#include "cli/Commands.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "cli/Help.h"

namespace zolvane2::cli {

int RunCommandLine(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
        std::strcmp(argv[1], "help") == 0) {
        std::fputs(HelpText(), stdout);
        return argc < 2 ? 2 : 0;
    }
    std::fprintf(stderr, "zolvane2-cli: unknown command '%s' (see zolvane2-cli --help)\n", argv[1]);
    return 2;
}

}  // namespace zolvane2::cli

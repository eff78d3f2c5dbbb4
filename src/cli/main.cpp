#include <cstdio>
#include <cstring>
#include <string>

#include "cli/Commands.h"

int main(int argc, char** argv) {
    return zolvane2::cli::RunCommandLine(argc, argv);
}

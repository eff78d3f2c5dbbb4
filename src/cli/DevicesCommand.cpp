// zolvane2-cli devices: the input devices a recording can use, as the
// window's device list shows them.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandRegistry.h"
#include "record/TWaveInThread.h"

namespace zolvane2::cli {

namespace {

int RunDevices(const std::vector<std::string>& args) {
    if (!args.empty()) {
        std::fprintf(stderr, "zolvane2-cli devices: takes no arguments (see zolvane2-cli --help)\n");
        return 2;
    }
    // The recorder lists the devices when it is made (and says so when there
    // is none); it is never started here.
    const TWaveInThread recorder;
    const auto& names = recorder.DeviceNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::printf("%zu\t%s\n", i, names[i].c_str());
    }
    return 0;
}

const CommandRegistration kDevices{Command{
    "devices",
    40,
    "devices",
    "      Lists the input devices, one line each: index, TAB, name. Index 0 is\n"
    "      the sound server's default input; every source follows, the monitors\n"
    "      of the outputs included. `record --device N` takes the index.\n",
    RunDevices,
}};

}  // namespace

}  // namespace zolvane2::cli

#include "cli/Commands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandRegistry.h"
#include "cli/Help.h"
#include "platform/QueuedDispatcher.h"
#include "platform/StderrUserMessages.h"
#include "platform/Thread.h"

namespace zolvane2::cli {

int RunCommandLine(int argc, char** argv) {
    const std::string first = argc >= 2 ? argv[1] : "";
    if (argc < 2 || first == "--help" || first == "-h" || first == "help") {
        std::fputs(HelpText().c_str(), stdout);
        return argc < 2 ? 2 : 0;
    }
    // The command-line tool's main thread drains this dispatcher itself.
    QueuedDispatcher dispatcher;
    SetMainThreadDispatcher(&dispatcher);
    StderrUserMessages messages;
    SetUserMessages(&messages);
    int status = 2;
    bool found = false;
    for (const auto& c : Commands()) {
        if (c.name == first) {
            found = true;
            status = c.run(std::vector<std::string>(argv + 2, argv + argc));
            break;
        }
    }
    if (!found) {
        std::fprintf(stderr, "zolvane2-cli: unknown command '%s' (see zolvane2-cli --help)\n", first.c_str());
    }
    // Nothing may run on after main returns.
    ThreadRegistry::JoinAll();
    dispatcher.Shutdown();
    SetUserMessages(nullptr);
    SetMainThreadDispatcher(nullptr);
    return status;
}

}  // namespace zolvane2::cli

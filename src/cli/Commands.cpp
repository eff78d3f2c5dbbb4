#include "cli/Commands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/Help.h"
#include "cli/Language.h"
#include "platform/QueuedDispatcher.h"
#include "platform/StderrUserMessages.h"
#include "platform/Thread.h"

namespace zolvane2::cli {

namespace {

// The engine's messages on stderr, in the user's language.
class LocalizedMessages final : public UserMessages {
public:
    MsgAnswer Show(const UserText& text, const UserText& title, MsgIcon /*icon*/, MsgButtons buttons) override {
        return out_.Write(Render(text), Render(title), buttons);
    }

private:
    StderrUserMessages out_;
};

}  // namespace

int RunCommandLine(int argc, char** argv) {
    const std::string first = argc >= 2 ? argv[1] : "";
    if (argc < 2 || first == "--help" || first == "-h" || first == "help") {
        std::fputs(HelpText().c_str(), argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    if (first == "--version" || first == "-V") {
        std::fputs(VersionText().c_str(), stdout);
        return 0;
    }
    // The command-line tool's main thread drains this dispatcher itself.
    QueuedDispatcher dispatcher;
    SetMainThreadDispatcher(&dispatcher);
    LocalizedMessages messages;
    SetUserMessages(&messages);
    int status = 2;
    bool found = false;
    for (const auto& c : Commands()) {
        if (c.name == first) {
            found = true;
            const std::vector<std::string> args(argv + 2, argv + argc);
            if (AsksForHelp(args)) {
                std::fputs(CommandHelpText(c).c_str(), stdout);
                status = 0;
            } else {
                status = c.run(args);
            }
            break;
        }
    }
    if (!found) {
        std::fputs(Fill(Say("zolvane2-cli: unknown command '%1' (see zolvane2-cli --help)\n",
                            "zolvane2-cli: '%1' というコマンドはありません (zolvane2-cli --help を参照)\n"),
                        {first})
                       .c_str(),
                   stderr);
    }
    // Nothing may run on after main returns.
    ThreadRegistry::JoinAll();
    dispatcher.Shutdown();
    SetUserMessages(nullptr);
    SetMainThreadDispatcher(nullptr);
    return status;
}

}  // namespace zolvane2::cli

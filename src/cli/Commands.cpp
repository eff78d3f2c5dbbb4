#include "cli/Commands.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/CommandLineParser.h"
#include "cli/CommandRegistry.h"
#include "cli/CuttingOptions.h"
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

// Reads the command line by the command's table and runs the command.
int RunCommand(const Command& command, int argc, char** argv) {
    ParsedOptions line;
    try {
        CommandLineParser parser(Commands());
        line = parser.Parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        return UsageFailure(command.name, e.what());
    }
    return command.run(line);
}

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
    const auto& commands = Commands();
    const auto c =
        std::find_if(commands.begin(), commands.end(), [&first](const Command& k) { return k.name == first; });
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (c == commands.end()) {
        std::fputs(Fill(Say("zolvane2-cli: unknown command '%1' (see zolvane2-cli --help)\n",
                            "zolvane2-cli: '%1' というコマンドはありません (zolvane2-cli --help を参照)\n"),
                        {first})
                       .c_str(),
                   stderr);
    } else if (AsksForHelp(args)) {
        std::fputs(CommandHelpText(*c).c_str(), stdout);
        status = 0;
    } else if (!c->takesArguments && !args.empty()) {
        status = UsageFailure(first, Say("takes no arguments", "引数はとりません"));
    } else {
        status = RunCommand(*c, argc, argv);
    }
    // Nothing may run on after main returns.
    ThreadRegistry::JoinAll();
    dispatcher.Shutdown();
    SetUserMessages(nullptr);
    SetMainThreadDispatcher(nullptr);
    return status;
}

}  // namespace zolvane2::cli

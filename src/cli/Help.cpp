#include "cli/Help.h"

#include "Version.h"
#include "cli/CommandRegistry.h"
#include "cli/Language.h"

namespace zolvane2::cli {

namespace {

std::string CommandEntry(const Command& c) {
    std::string text = "  zolvane2-cli ";
    text.append(c.usage).append("\n").append(c.help());
    if (!text.empty() && text.back() != '\n') {
        text += "\n";
    }
    return text;
}

// The opening lines of both the short usage and the full help.
std::string Heading() {
    return Say(
        "Usage: zolvane2-cli COMMAND [OPTIONS] [FILE...]\n"
        "\n"
        "Records 16-bit PCM and cuts it into numbered WAVE or RAW track files,\n"
        "re-divides, joins and plays such files.\n"
        "\n"
        "Commands:\n",
        "使い方: zolvane2-cli コマンド [オプション] [ファイル...]\n"
        "\n"
        "16bit PCMを録音して番号付きのWAVEまたはRAWのトラックファイルに切り分け、\n"
        "そのようなファイルの再分割、結合、再生を行います。\n"
        "\n"
        "コマンド:\n");
}

}  // namespace

std::string ShortUsageText() {
    std::string names;
    for (const auto& c : Commands()) {
        names.append(names.empty() ? "  " : " ").append(c.name);
    }
    return Heading() + names + "\n\n" +
           Say("  zolvane2-cli COMMAND --help   that command's usage and options\n"
               "  zolvane2-cli --help           every command in full\n"
               "  zolvane2-cli --version        the program's version\n"
               "  man zolvane2-cli              the manual\n",
               "  zolvane2-cli コマンド --help  そのコマンドの使い方とオプション\n"
               "  zolvane2-cli --help           すべてのコマンドの説明\n"
               "  zolvane2-cli --version        プログラムのバージョン\n"
               "  man zolvane2-cli              マニュアル\n");
}

std::string HelpText() {
    std::string text = Heading();
    for (const auto& c : Commands()) {
        text.append("\n").append(CommandEntry(c));
    }
    text +=
        Say("\n  zolvane2-cli COMMAND --help\n      That command's help alone (also -h).\n"
            "\n  zolvane2-cli --help\n      This text.\n"
            "\n  zolvane2-cli --version\n      The program's name and version.\n"
            "\nExit status 2 means the command line could not be followed.\n",
            "\n  zolvane2-cli コマンド --help\n      そのコマンドだけの説明 (-h も同じ)。\n"
            "\n  zolvane2-cli --help\n      この説明。\n"
            "\n  zolvane2-cli --version\n      プログラムの名前とバージョン。\n"
            "\n終了ステータス 2 は、コマンド行に従えなかったことを表します。\n");
    return text;
}

std::string CommandHelpText(const Command& command) {
    std::string text = Say("Usage:\n", "使い方:\n");
    return text.append(CommandEntry(command));
}

std::string VersionText() {
    return std::string("zolvane2-cli ") + version::FileVersion + "\n";
}

}  // namespace zolvane2::cli

#include "app/TerminalSwitches.h"

#include <cstdio>
#include <cstring>

#include "Version.h"

namespace zolvane2 {

std::string WindowUsage(TextLanguage language) {
    if (language == TextLanguage::Japanese) {
        return "使い方: zolvane2 [/AUTOSTART] [/AUTOQUIT]\n"
               "        zolvane2 --help | --version\n"
               "音声入力を録音し、番号付きのトラックファイルに切り分けます (ウィンドウ)。\n"
               "\n"
               "  /AUTOSTART  ウィンドウが開いたらすぐ録音を始めます\n"
               "  /AUTOQUIT   録音時間で終わった録音などの後にウィンドウを閉じます\n"
               "  --version   バージョンを表示して終わります\n"
               "  --help      この説明を表示して終わります\n"
               "\n"
               "数えるのは最初の 2 つの引数だけで、大文字と小文字は区別しません。\n"
               "詳しくは man zolvane2。画面のない環境では zolvane2-cli (man zolvane2-cli)。\n";
    }
    return "Usage: zolvane2 [/AUTOSTART] [/AUTOQUIT]\n"
           "       zolvane2 --help | --version\n"
           "Records a sound input and cuts it into numbered track files (window).\n"
           "\n"
           "  /AUTOSTART  start a recording as soon as the window is shown\n"
           "  /AUTOQUIT   close the window after a recording that ran to its time\n"
           "  --version   print the version and exit\n"
           "  --help      print this text and exit\n"
           "\n"
           "Only the first two arguments count, in any letter case.\n"
           "More in man zolvane2. Without a display: zolvane2-cli (man zolvane2-cli).\n";
}

std::optional<int> AnswerTerminalSwitches(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(WindowUsage(LocaleLanguage()).c_str(), stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("zolvane2 %s\n", version::FileVersion);
            return 0;
        }
    }
    return std::nullopt;
}

}  // namespace zolvane2

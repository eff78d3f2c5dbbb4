// zolvane2-cli devices: the input devices a recording can use, as the
// window's device list shows them, with the sound server's source names.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/Language.h"
#include "platform/SoundInput.h"
#include "platform/UserMessages.h"

namespace zolvane2::cli {

namespace {

constexpr const char* kCommand = "devices";

int RunDevices(const ParsedOptions& /*line*/) {
    const std::vector<InputDeviceInfo> devices = CreateSoundInput()->Devices();
    std::string text = "0\t-\t" + DefaultInputName() + "\n";
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const InputDeviceInfo& d = devices[i];
        text += std::to_string(i + 1) + "\t" + d.name + "\t" + d.description +
                (d.isDefault ? Say("\t(default)", "\t(既定)") : "") + "\n";
    }
    std::fputs(text.c_str(), stdout);
    if (devices.empty()) {
        // The recorder's own words when the server offers no source.
        (void)GetUserMessages().Show(UserText(TextId::NoRecordingDevice), UserText(TextId::DeviceError), MsgIcon::Error,
                                     MsgButtons::Ok);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

std::string DevicesHelp() {
    return Say(
        "      Lists the input devices, one line each, TAB-separated: index, the\n"
        "      sound server's source name, its description, and \"(default)\" on\n"
        "      the server's default source. Index 0 (name \"-\") is the server's\n"
        "      default input, whichever source that is when recording starts;\n"
        "      every source follows, the monitors of the outputs included.\n"
        "      `record --device` takes the index, the name or the description.\n"
        "      Exit status: 0, also when there is no device (said on stderr).\n",
        "      入力デバイスを 1 行に一つ、タブ区切りで示します: 番号、サウンド\n"
        "      サーバーのソース名、その説明、サーバーの既定のソースには \"(既定)\"。\n"
        "      番号 0 (名前 \"-\") は、録音を始めるときのサーバーの既定の入力です。\n"
        "      続いて、出力のモニターを含むすべてのソースを示します。\n"
        "      `record --device` は番号、名前、説明のどれでも受け付けます。\n"
        "      終了ステータス: 0 (デバイスがないときも。標準エラーに示します)。\n");
}

const CommandRegistration kDevices{Command{
    kCommand,
    40,
    "devices",
    DevicesHelp,
    RunDevices,
    nullptr,
    false,
}};

}  // namespace

}  // namespace zolvane2::cli

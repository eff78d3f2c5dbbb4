#include "cli/FileReportMessages.h"

#include <mutex>

#include "cli/Language.h"
#include "platform/StderrUserMessages.h"

namespace zolvane2::cli {

std::string ErrorText(const Error& e) {
    return WithReason(StderrUserMessages::ToUnixLines(Render(e.Text())), e.Code());
}

std::string FileReportMessages::Format(const UserText& message) {
    std::string text = Render(message);
    const auto split = text.find("\r\n");
    if (split == std::string::npos) {
        return text;
    }
    return text.substr(0, split) + ": " + StderrUserMessages::ToUnixLines(text.substr(split + 2));
}

MsgAnswer FileReportMessages::Show(const UserText& text, const UserText& /*title*/, MsgIcon /*icon*/,
                                   MsgButtons buttons) {
    static std::mutex mutex;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        const std::string line = Format(text) + "\n";
        std::fputs(line.c_str(), out_);
        std::fflush(out_);
    }
    ++count_;
    switch (buttons) {
        case MsgButtons::YesNo:
        case MsgButtons::YesNoCancel:
            return MsgAnswer::Yes;
        case MsgButtons::Ok:
        case MsgButtons::OkCancel:
            break;
    }
    return MsgAnswer::Ok;
}

}  // namespace zolvane2::cli

#include "platform/StderrUserMessages.h"

#include <atomic>
#include <mutex>

namespace zolvane2 {

namespace {
StderrUserMessages& FallbackMessages() {
    static StderrUserMessages fallback;
    return fallback;
}
std::atomic<UserMessages*>& CurrentMessages() {
    static std::atomic<UserMessages*> current{nullptr};
    return current;
}
}  // namespace

void SetUserMessages(UserMessages* service) {
    CurrentMessages().store(service);
}

UserMessages& GetUserMessages() {
    UserMessages* s = CurrentMessages().load();
    return s != nullptr ? *s : FallbackMessages();
}

std::string StderrUserMessages::ToUnixLines(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out.push_back(text[i]);
    }
    return out;
}

MsgAnswer StderrUserMessages::Show(const UserText& text, const UserText& title, MsgIcon /*icon*/, MsgButtons buttons) {
    return Write(text.In(language_), title.In(language_), buttons);
}

MsgAnswer StderrUserMessages::Write(const std::string& text, const std::string& title, MsgButtons buttons) {
    static std::mutex mutex;
    const std::lock_guard lock(mutex);
    const std::string body = ToUnixLines(text);
    if (title.empty()) {
        std::fprintf(out_, "%s\n", body.c_str());
    } else {
        std::fprintf(out_, "%s: %s\n", title.c_str(), body.c_str());
    }
    std::fflush(out_);
    switch (buttons) {
        case MsgButtons::Ok:
            return MsgAnswer::Ok;
        case MsgButtons::OkCancel:
            return MsgAnswer::Cancel;
        case MsgButtons::YesNo:
            return MsgAnswer::No;
        case MsgButtons::YesNoCancel:
            return MsgAnswer::Cancel;
    }
    return MsgAnswer::Ok;
}

}  // namespace zolvane2

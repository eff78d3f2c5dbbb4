#include "platform/ErrorDisplay.h"

#include <mutex>

namespace zolvane2 {

namespace {
std::mutex& TitleMutex() {
    static std::mutex m;
    return m;
}
std::string& TitleText() {
    static std::string title = "Zolvane2";
    return title;
}
}  // namespace

void SetApplicationTitle(const std::string& title) {
    const std::lock_guard lock(TitleMutex());
    TitleText() = title;
}

std::string ApplicationTitle() {
    const std::lock_guard lock(TitleMutex());
    return TitleText();
}

std::string WithFullStop(const std::string& text) {
    if (text.empty()) {
        return text;
    }
    // Step back over UTF-8 continuation bytes to the last character's start.
    std::size_t start = text.size() - 1;
    while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0U) == 0x80U) {
        --start;
    }
    const std::string last = text.substr(start);
    if (last.compare(".") > 0) {
        return text + ".";
    }
    return text;
}

void ShowStandardError(const UserText& text, UserMessages& messages) {
    (void)messages.Show(UserText(TextId::FullStop, {text}), ApplicationTitle(), MsgIcon::Error, MsgButtons::Ok);
}

void ShowStandardError(const UserText& text) {
    ShowStandardError(text, GetUserMessages());
}

void ReportError(const UserText& text, const UserText& title) {
    (void)GetUserMessages().Show(text, title, MsgIcon::Error, MsgButtons::Ok);
}

}  // namespace zolvane2

#include "cli/Language.h"

#include <cstring>

#include "platform/SoundInput.h"

namespace zolvane2::cli {

bool JapaneseLocale() {
    return LocaleLanguage() == TextLanguage::Japanese;
}

const char* Say(const char* english, const char* japanese) {
    return JapaneseLocale() ? japanese : english;
}

TextLanguage UserLanguage() {
    return JapaneseLocale() ? TextLanguage::Japanese : TextLanguage::English;
}

std::string Render(const UserText& text) {
    return text.In(UserLanguage());
}

std::string DefaultInputName() {
    return Say("Default input (WAVE_MAPPER)", kDefaultInputDeviceName);
}

std::string Fill(const std::string& text, std::initializer_list<std::string> values) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '%' && next >= '1' && next <= '9') {
            const auto n = static_cast<std::size_t>(next - '1');
            if (n < values.size()) {
                result += *(values.begin() + n);
            }
            ++i;
            continue;
        }
        result += text[i];
    }
    return result;
}

std::string SystemReason(int code) {
    return std::strerror(code);
}

std::string WithReason(const std::string& text, int code) {
    if (code == 0 || text.find(SystemReason(code)) != std::string::npos) {
        return text;
    }
    return text + " (" + SystemReason(code) + ")";
}

}  // namespace zolvane2::cli

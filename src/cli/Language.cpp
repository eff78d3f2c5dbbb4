#include "cli/Language.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace zolvane2::cli {

namespace {

// Engine texts and their English form. Longer texts first, so that a text that
// contains a shorter one is replaced whole.
constexpr std::pair<const char*, const char*> kEngineTexts[] = {
    {"", ""},
};

}  // namespace

bool JapaneseLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return std::strncmp(value, "ja", 2) == 0;
        }
    }
    return false;
}

const char* Say(const char* english, const char* japanese) {
    return JapaneseLocale() ? japanese : english;
}

std::string Localize(const std::string& engineText) {
    if (JapaneseLocale()) {
        return engineText;
    }
    std::string text = engineText;
    for (const auto& [japanese, english] : kEngineTexts) {
        const std::size_t length = std::strlen(japanese);
        if (length == 0) {
            continue;
        }
        for (std::size_t at = text.find(japanese); at != std::string::npos; at = text.find(japanese, at)) {
            text.replace(at, length, english);
            at += std::strlen(english);
        }
    }
    return text;
}

}  // namespace zolvane2::cli

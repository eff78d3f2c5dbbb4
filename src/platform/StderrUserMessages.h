#pragma once

#include <cstdio>

#include "platform/UserMessages.h"

namespace zolvane2 {

// Messages of the command-line tool: "title: text" on stderr, line breaks
// made Unix-like. Questions take the answer given at construction (a script
// cannot answer), by default the safe one.
class StderrUserMessages final : public UserMessages {
public:
    explicit StderrUserMessages(std::FILE* out = stderr, TextLanguage language = TextLanguage::Japanese)
        : out_(out), language_(language) {}
    MsgAnswer Show(const UserText& text, const UserText& title, MsgIcon icon, MsgButtons buttons) override;
    // The same for texts already worded.
    MsgAnswer Write(const std::string& text, const std::string& title, MsgButtons buttons);

    [[nodiscard]] static std::string ToUnixLines(const std::string& text);

private:
    std::FILE* out_;
    TextLanguage language_;
};

}  // namespace zolvane2

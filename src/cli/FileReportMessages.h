#pragma once

#include <atomic>
#include <cstdio>

#include "platform/Errors.h"
#include "platform/UserMessages.h"

namespace zolvane2::cli {

// An engine error in the user's language, followed by the system's reason
// when the error carries one: "File /a/b.wav cannot be opened (Permission denied)".
[[nodiscard]] std::string ErrorText(const Error& e);

// Messages about a file, as the readers give them (the full file name, a
// line break, the text), written to the stream as "<file name>: <text>".
// A message without a file name is written as it is, in the user's
// language. Questions get the first button's answer.
class FileReportMessages final : public UserMessages {
public:
    explicit FileReportMessages(std::FILE* out = stderr) : out_(out) {}
    MsgAnswer Show(const UserText& text, const UserText& title, MsgIcon icon, MsgButtons buttons) override;

    // How many messages have been written.
    [[nodiscard]] int Count() const { return count_.load(); }

    [[nodiscard]] static std::string Format(const UserText& message);

private:
    std::FILE* out_;
    std::atomic<int> count_{0};
};

}  // namespace zolvane2::cli

#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/UserMessages.h"

namespace zolvane2::test {

// A message service for tests: keeps every message shown and answers from a
// script (then Ok/Yes-less defaults: the first button).
class RecordingUserMessages final : public UserMessages {
public:
    // The texts as the window words them.
    struct Shown {
        std::string text;
        std::string title;
        MsgIcon icon;
        MsgButtons buttons;
    };

    MsgAnswer Show(const UserText& text, const UserText& title, MsgIcon icon, MsgButtons buttons) override;

    void QueueAnswer(MsgAnswer answer);
    [[nodiscard]] std::vector<Shown> Messages() const;
    [[nodiscard]] std::size_t Count() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<Shown> shown_;
    std::deque<MsgAnswer> answers_;
};

}  // namespace zolvane2::test

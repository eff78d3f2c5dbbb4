#include "support/RecordingUserMessages.h"

namespace zolvane2::test {

MsgAnswer RecordingUserMessages::Show(const UserText& text, const UserText& title, MsgIcon icon, MsgButtons buttons) {
    const std::lock_guard lock(mutex_);
    shown_.push_back(Shown{text.Japanese(), title.Japanese(), icon, buttons});
    if (!answers_.empty()) {
        const MsgAnswer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    switch (buttons) {
        case MsgButtons::Ok:
        case MsgButtons::OkCancel:
            return MsgAnswer::Ok;
        case MsgButtons::YesNo:
        case MsgButtons::YesNoCancel:
            return MsgAnswer::Yes;
    }
    return MsgAnswer::Ok;
}

void RecordingUserMessages::QueueAnswer(MsgAnswer answer) {
    const std::lock_guard lock(mutex_);
    answers_.push_back(answer);
}

std::vector<RecordingUserMessages::Shown> RecordingUserMessages::Messages() const {
    const std::lock_guard lock(mutex_);
    return shown_;
}

std::size_t RecordingUserMessages::Count() const {
    const std::lock_guard lock(mutex_);
    return shown_.size();
}

void RecordingUserMessages::Clear() {
    const std::lock_guard lock(mutex_);
    shown_.clear();
    answers_.clear();
}

}  // namespace zolvane2::test

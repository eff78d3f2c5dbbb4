#include "app/PlaybackSession.h"

#include <utility>

namespace zolvane2 {

void PlaybackSession::Finish() {
    active_ = false;
}

void PlaybackSession::AskSplit(std::u16string fileName, double seconds) {
    split_ = Split{std::move(fileName), seconds};
}

std::optional<PlaybackSession::Split> PlaybackSession::TakeAskedSplit() {
    std::optional<Split> taken = std::move(split_);
    split_.reset();
    return taken;
}

std::optional<PlaybackSession::Split> PlaybackSession::TakeWaitingSplit() {
    if (waiting_.empty()) {
        return std::nullopt;
    }
    Split next = std::move(waiting_.front());
    waiting_.pop_front();
    return next;
}

}  // namespace zolvane2

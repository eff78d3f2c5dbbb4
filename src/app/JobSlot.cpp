#include "app/JobSlot.h"

#include <utility>

#include "jobs/TCombineThread.h"
#include "jobs/TCutThread.h"
#include "platform/Thread.h"

namespace zolvane2 {

bool JobSlot::Start(Kind kind) {
    if (Running() || kind == Kind::None) {
        return false;
    }
    kind_ = kind;
    return true;
}

void JobSlot::Launch(TCutThread& job, std::function<void()> onEnd) {
    cut_ = &job;
    Launch(static_cast<Thread&>(job), std::move(onEnd));
}

void JobSlot::Launch(TCombineThread& job, std::function<void()> onEnd) {
    combine_ = &job;
    Launch(static_cast<Thread&>(job), std::move(onEnd));
}

void JobSlot::Launch(Thread& job, std::function<void()> onEnd) {
    job.SetOnTerminate(std::move(onEnd));
    job.SetFreeOnTerminate(true);
    handle_ = job.Handle();
    job.Resume();
}

void JobSlot::Finish() {
    kind_ = Kind::None;
    cut_ = nullptr;
    combine_ = nullptr;
}

void JobSlot::RequestCancel() const {
    if (kind_ == Kind::Redivide && cut_ != nullptr) {
        cut_->SetCancelRequested(true);
    } else if (kind_ == Kind::Combine && combine_ != nullptr) {
        combine_->SetCancelRequested(true);
    }
}

std::string JobSlot::ErrorMessage() const {
    if (cut_ != nullptr) {
        return cut_->ErrorMessage();
    }
    if (combine_ != nullptr) {
        return combine_->ErrorMessage();
    }
    return {};
}

std::optional<std::int32_t> JobSlot::ShortPiecesDropped() const {
    if (cut_ == nullptr) {
        return std::nullopt;
    }
    return cut_->ShortPiecesDropped();
}

std::vector<UserText> JobSlot::GapWarnings() const {
    if (cut_ == nullptr) {
        return {};
    }
    return cut_->GapWarnings();
}

void JobSlot::WaitForThread() {
    if (handle_) {
        zolvane2::WaitForThread(handle_);
        handle_.reset();
    }
}

}  // namespace zolvane2

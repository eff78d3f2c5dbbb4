#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/UserText.h"

namespace zolvane2 {

class TCombineThread;
class TCutThread;
class Thread;
struct ThreadState;

// The one re-divide or combine job the window lets run at a time: which kind
// holds the slot, the job thread behind it and the handle to wait for it. The
// cancel button, the list's commands and a split that waits all ask this slot.
//
// Threads: main thread only. A job frees itself right after its end
// notification; its pointer is held from Launch until Finish, which that
// notification calls, so it is never used past that. The handle outlives the
// job and lets the window wait for its thread.
class JobSlot {
public:
    enum class Kind { None, Combine, Redivide };

    // Takes the slot; false (and nothing changes) while another job holds it.
    // The job's thread is made afterwards and handed over with Launch.
    bool Start(Kind kind);
    // Starts the job that holds the slot; onEnd runs on the main thread when
    // it has ended, and must call Finish.
    void Launch(TCutThread& job, std::function<void()> onEnd);
    void Launch(TCombineThread& job, std::function<void()> onEnd);
    // The slot is free; the job's thread may still be on its way out.
    void Finish();
    [[nodiscard]] bool Running() const { return kind_ != Kind::None; }
    [[nodiscard]] Kind Current() const { return kind_; }

    // Asks the running job to stop; nothing without one.
    void RequestCancel() const;
    // What the running job reports at its end: the error that stopped it
    // early (empty when none) and, for a re-divide, the pieces it left out as
    // too short.
    [[nodiscard]] std::string ErrorMessage() const;
    [[nodiscard]] std::optional<std::int32_t> ShortPiecesDropped() const;
    // What a re-divide in gap mode could not do as the track count asked.
    [[nodiscard]] std::vector<UserText> GapWarnings() const;
    // Waits for the last job's thread to end, running its calls to the main
    // thread meanwhile (its end notification among them).
    void WaitForThread();

private:
    void Launch(Thread& job, std::function<void()> onEnd);

    Kind kind_ = Kind::None;
    TCutThread* cut_ = nullptr;
    TCombineThread* combine_ = nullptr;
    std::shared_ptr<ThreadState> handle_;
};

}  // namespace zolvane2

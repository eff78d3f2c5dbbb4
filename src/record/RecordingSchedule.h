#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace zolvane2 {

// A recording armed for a time of the local clock, say a radio programme:
// when it is to start and when to end. The owner looks at it often (about
// once a second) with the time now on both clocks, which tests pass in.
//
// The wall clock says when the start is due; the monotonic clock, which
// stands still while the machine sleeps, tells a jump of the wall clock
// from time that passed. A start that passed unseen (the machine slept
// through it, the program was closed, or it was armed too late) is never
// skipped without a word: while the programme still runs the recording
// starts at once for the rest of it, telling how late; once its end has
// passed it is reported missed.
class RecordingSchedule {
public:
    using WallTime = std::chrono::system_clock::time_point;
    using SteadyTime = std::chrono::steady_clock::time_point;
    using Seconds = std::chrono::seconds;

    // Why a start came late or was missed.
    enum class Lateness {
        OnTime,
        Asleep,  // the wall clock jumped past the start between two looks
        Passed,  // the start had passed when the schedule was armed
    };

    struct Step {
        enum class Kind { Wait, Start, Missed } kind = Kind::Wait;
        Seconds untilStart{0};  // Wait: the countdown
        Seconds length{0};      // Start: how long to record, up to the end
        Seconds late{0};        // Start and Missed: how long after the start it is
        Lateness lateness = Lateness::OnTime;
    };

    // A start this close after its time still counts as on time: the looks
    // come about once a second.
    static constexpr Seconds kOnTimeSlack{2};
    // A wall clock that runs ahead of the monotonic one by more than this
    // between two looks jumped (the machine slept, or the clock was set).
    static constexpr Seconds kJumpSlack{5};

    // end after start; a start in the past is judged at the first look.
    RecordingSchedule(WallTime start, WallTime end);

    [[nodiscard]] WallTime Start() const { return start_; }
    [[nodiscard]] WallTime End() const { return end_; }

    // The look: waits, starts (once) or tells the start was missed (once).
    // After a Start or Missed the schedule is spent and says Missed again.
    [[nodiscard]] Step Check(WallTime wall, SteadyTime steady);
    [[nodiscard]] bool Spent() const { return spent_; }

    // "2026-12-24T21:00", "2026-12-24T21:00:30" or with a space for the T,
    // in local time; none when the text is no such time.
    [[nodiscard]] static std::optional<WallTime> ParseLocal(const std::string& text);
    // An end given as a time of day ("23:00", "23:00:30"): the first such
    // time after start; none when the text is no time of day.
    [[nodiscard]] static std::optional<WallTime> ParseEndOfDay(const std::string& text, WallTime start);
    // "2026-12-24 21:00:00" in local time.
    [[nodiscard]] static std::string LocalText(WallTime time);
    // "1:02:03".
    [[nodiscard]] static std::string LengthText(Seconds length);
    // The schedule as kept in a settings file, "<start>/<end>" in local
    // time ("2026-12-24T21:00:00/2026-12-24T23:00:00"), and back; none for
    // a text that is no such pair.
    [[nodiscard]] std::string ToText() const;
    [[nodiscard]] static std::optional<RecordingSchedule> FromText(const std::string& text);

private:
    WallTime start_;
    WallTime end_;
    bool looked_ = false;
    bool spent_ = false;
    WallTime lastWall_{};
    SteadyTime lastSteady_{};
};

}  // namespace zolvane2

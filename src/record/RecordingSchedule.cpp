#include "record/RecordingSchedule.h"

#include <cstdio>
#include <ctime>

namespace zolvane2 {

namespace {

using std::chrono::duration_cast;

std::optional<RecordingSchedule::WallTime> FromLocal(std::tm fields) {
    fields.tm_isdst = -1;  // the local rules say whether summer time holds
    const std::tm asked = fields;
    const std::time_t t = std::mktime(&fields);
    // mktime moves fields that are out of range (the 31st of November);
    // such a date is a mistake, not a day in the next month.
    if (t == static_cast<std::time_t>(-1) || fields.tm_mday != asked.tm_mday || fields.tm_mon != asked.tm_mon ||
        fields.tm_min != asked.tm_min) {
        return std::nullopt;
    }
    return std::chrono::system_clock::from_time_t(t);
}

bool TimeOfDay(const char* text, std::tm& fields) {
    int hour = 0;
    int minute = 0;
    int second = 0;
    char rest = 0;
    const int two = std::sscanf(text, "%2d:%2d%c", &hour, &minute, &rest);
    const int three = std::sscanf(text, "%2d:%2d:%2d%c", &hour, &minute, &second, &rest);
    if (!(two == 2 || three == 3) || hour > 23 || minute > 59 || second > 59 || hour < 0 || minute < 0 || second < 0) {
        return false;
    }
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    return true;
}

}  // namespace

RecordingSchedule::RecordingSchedule(WallTime start, WallTime end) : start_(start), end_(end) {}

RecordingSchedule::Step RecordingSchedule::Check(WallTime wall, SteadyTime steady) {
    Step step;
    const bool first = !looked_;
    bool jumped = false;
    if (looked_) {
        const auto wallPassed = wall - lastWall_;
        const auto steadyPassed = steady - lastSteady_;
        jumped = wallPassed - steadyPassed > kJumpSlack;
    }
    const WallTime before = lastWall_;
    looked_ = true;
    lastWall_ = wall;
    lastSteady_ = steady;
    if (spent_) {
        step.kind = Step::Kind::Missed;
        return step;
    }
    if (wall < start_) {
        step.untilStart = duration_cast<Seconds>(start_ - wall + std::chrono::milliseconds(999));
        return step;
    }
    spent_ = true;
    step.late = duration_cast<Seconds>(wall - start_);
    if (first) {
        step.lateness = step.late > kOnTimeSlack ? Lateness::Passed : Lateness::OnTime;
    } else if (jumped && before < start_ && step.late > kOnTimeSlack) {
        step.lateness = Lateness::Asleep;
    }
    if (wall >= end_) {
        step.kind = Step::Kind::Missed;
        if (step.lateness == Lateness::OnTime) {
            step.lateness = Lateness::Passed;
        }
        return step;
    }
    step.kind = Step::Kind::Start;
    step.length = duration_cast<Seconds>(end_ - wall + std::chrono::milliseconds(500));
    return step;
}

std::optional<RecordingSchedule::WallTime> RecordingSchedule::ParseLocal(const std::string& text) {
    std::tm fields{};
    int year = 0;
    int month = 0;
    int day = 0;
    char separator = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%n", &year, &month, &day, &separator, &used) != 4 ||
        (separator != 'T' && separator != ' ') || year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 ||
        !TimeOfDay(text.c_str() + used, fields)) {
        return std::nullopt;
    }
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    return FromLocal(fields);
}

std::optional<RecordingSchedule::WallTime> RecordingSchedule::ParseEndOfDay(const std::string& text, WallTime start) {
    const std::time_t t = std::chrono::system_clock::to_time_t(start);
    std::tm fields{};
    if (localtime_r(&t, &fields) == nullptr || !TimeOfDay(text.c_str(), fields)) {
        return std::nullopt;
    }
    std::optional<WallTime> end = FromLocal(fields);
    if (end && *end <= start) {
        fields.tm_mday += 1;
        fields.tm_isdst = -1;
        const std::time_t next = std::mktime(&fields);
        end = next == static_cast<std::time_t>(-1) ? std::nullopt
                                                   : std::optional(std::chrono::system_clock::from_time_t(next));
    }
    return end;
}

std::string RecordingSchedule::LocalText(WallTime time) {
    const std::time_t t = std::chrono::system_clock::to_time_t(time);
    std::tm fields{};
    char text[32] = {};
    if (localtime_r(&t, &fields) != nullptr) {
        (void)std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &fields);
    }
    return text;
}

std::string RecordingSchedule::ToText() const {
    std::string start = LocalText(start_);
    std::string end = LocalText(end_);
    for (std::string* t : {&start, &end}) {
        if (t->size() > 10) {
            (*t)[10] = 'T';
        }
    }
    return start + "/" + end;
}

std::optional<RecordingSchedule> RecordingSchedule::FromText(const std::string& text) {
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos) {
        return std::nullopt;
    }
    const auto start = ParseLocal(text.substr(0, slash));
    const auto end = ParseLocal(text.substr(slash + 1));
    if (!start || !end || *end <= *start) {
        return std::nullopt;
    }
    return RecordingSchedule(*start, *end);
}

std::string RecordingSchedule::LengthText(Seconds length) {
    const long long s = length.count() < 0 ? 0 : length.count();
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    return text;
}

}  // namespace zolvane2

#include "platform/InputDeviceChoice.h"

#include <algorithm>
#include <charconv>

namespace zolvane2 {

namespace {

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

// The one device whose name or description fits; nullopt when none or many.
template <class Fits>
std::optional<int> TheOne(const std::vector<InputDeviceInfo>& devices, Fits fits) {
    std::optional<int> found;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (fits(devices[i])) {
            if (found) {
                return std::nullopt;
            }
            found = static_cast<int>(i) + 1;
        }
    }
    return found;
}

}  // namespace

std::optional<int> FindInputDevice(const std::string& choice, const std::vector<InputDeviceInfo>& devices) {
    int index = 0;
    const char* end = choice.data() + choice.size();
    if (const auto [ptr, ec] = std::from_chars(choice.data(), end, index);
        !choice.empty() && ec == std::errc() && ptr == end) {
        if (index < 0 || index > static_cast<int>(devices.size())) {
            return std::nullopt;
        }
        return index;
    }
    // A server name is unique; a description may be shared, and then it
    // chooses nothing rather than a guess.
    if (const auto byName = TheOne(devices, [&](const InputDeviceInfo& d) { return d.name == choice; })) {
        return byName;
    }
    if (const auto exact = TheOne(devices, [&](const InputDeviceInfo& d) { return d.description == choice; })) {
        return exact;
    }
    return TheOne(devices, [&](const InputDeviceInfo& d) { return SameTextIgnoringCase(d.description, choice); });
}

}  // namespace zolvane2

#pragma once

#include <cstdint>
#include <vector>

namespace zolvane2 {

// What the window and zolvane2-cli's --settings share about the values of the
// settings file (read through TMyMemIniFile).

// "tsCut" key of the minimum track length in milliseconds (0: off), kept
// after the older keys of its section.
inline constexpr const char* kMinimumTrackLengthKey = "sedtMinimumTrackLength.Value";

// The sampling frequencies the settings page offers, in list order; the
// settings file stores the index ("cbSamplingFreq.ItemIndex").
[[nodiscard]] inline const std::vector<std::int32_t>& SamplingFrequencyList() {
    static const std::vector<std::int32_t> list{5500,  6000,  7333,  8000,  11025, 16000,
                                                22050, 32000, 44100, 48000, 88200, 96000};
    return list;
}

}  // namespace zolvane2

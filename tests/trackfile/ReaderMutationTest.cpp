#include <algorithm>
#include <random>

#include <gtest/gtest.h>

#include "support/RecordingUserMessages.h"
#include "support/TrackfileTestSupport.h"
#include "trackfile/TrackFileReader.h"

namespace zolvane2 {
namespace {

using test::Bytes;
using test::RecordingUserMessages;

// Bends a valid header in ways that matter to a parser: stray bytes, sizes
// at the edges of their ranges, tags in the wrong place, truncation.
Bytes Mutate(const Bytes& base, std::mt19937& rng) {
    Bytes b = base;
    const std::uint32_t edges[] = {0, 1, 2, 16, 18, 22, 0x7FFFFFFF, 0x80000000U, 0xFFFFFFFFU, 0xFFFFFFEAU, 0x10000};
    const int count = 1 + static_cast<int>(rng() % 6);
    for (int m = 0; m < count && !b.empty(); ++m) {
        const std::size_t at = rng() % b.size();
        switch (rng() % 7) {
            case 0:
                b[at] = static_cast<std::uint8_t>(rng());
                break;
            case 1:
                b[at] ^= static_cast<std::uint8_t>(1U << (rng() % 8));
                break;
            case 2: {
                const std::uint32_t v = edges[rng() % std::size(edges)];
                test::ByteWriter(b, at).Le(v, static_cast<int>(std::min<std::size_t>(4, b.size() - at)));
                break;
            }
            case 3: {
                const char* tag = (rng() % 2) != 0 ? "data" : "fmt ";
                for (std::size_t k = 0; k < 4 && at + k < b.size(); ++k) {
                    b[at + k] = static_cast<std::uint8_t>(tag[k]);
                }
                break;
            }
            case 4:
                b.resize(at);
                break;
            case 5:
                b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), static_cast<std::uint8_t>(rng()));
                break;
            default:
                b.erase(b.begin() + static_cast<std::ptrdiff_t>(at));
                break;
        }
    }
    return b;
}

void ExpectInsideTheFile(const std::string& path, std::size_t size, int round) {
    RecordingUserMessages messages;
    const auto p = TrackFileReader::ReadFileProperties(path, 44100, 2, messages);
    if (p) {
        EXPECT_GE(p->dataOffset, 0) << round;
        EXPECT_GE(p->dataSize, 0) << round;
        EXPECT_LE(p->dataOffset + p->dataSize, static_cast<std::int64_t>(size)) << round;
        EXPECT_GT(p->channels, 0) << round;
        EXPECT_GT(p->sampleRate, 0) << round;
        EXPECT_FALSE(p->lengthText.empty());
        EXPECT_EQ(messages.Count(), 0U) << round;
    } else {
        EXPECT_EQ(messages.Count(), 1U) << round;
    }
    messages.Clear();
    const auto play = TrackFileReader::PrepareForPlaying(path, messages);
    if (play) {
        EXPECT_GE(play->dataSize, 0) << round;
        EXPECT_LE(play->dataOffset + play->dataSize, static_cast<std::int64_t>(size)) << round;
        EXPECT_GT(play->channels, 0) << round;
        EXPECT_GT(play->sampleRate, 0) << round;
    } else {
        EXPECT_EQ(messages.Count(), 1U) << round;
    }
}

TEST(ReaderMutation, AnyBytesAreReadSafely) {
    test::TempDir dir;
    const std::string path = dir.File("m.wav");
    test::WaveLayout layout;
    layout.dataSize = 64;
    layout.withExtraChunk = true;
    layout.extraChunkBody = Bytes(8, 'i');
    const Bytes base = test::MakeWave(layout, 64);
    std::mt19937 rng(20240229);
    for (int round = 0; round < 3000; ++round) {
        const Bytes b = Mutate(base, rng);
        test::WriteFile(path, b);
        ExpectInsideTheFile(path, b.size(), round);
        if (HasFailure()) {
            return;
        }
    }
}

TEST(ReaderMutation, EveryTruncationIsReadSafely) {
    test::TempDir dir;
    const std::string path = dir.File("t.wav");
    test::WaveLayout layout;
    layout.dataSize = 16;
    const Bytes base = test::MakeWave(layout, 16);
    for (std::size_t size = 0; size <= base.size(); ++size) {
        test::WriteFile(path, Bytes(base.begin(), base.begin() + static_cast<std::ptrdiff_t>(size)));
        ExpectInsideTheFile(path, size, static_cast<int>(size));
    }
}

}  // namespace
}  // namespace zolvane2

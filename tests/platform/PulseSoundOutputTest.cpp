#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "platform/PulseSoundInput.h"
#include "platform/PulseSoundOutput.h"
#include "support/SoundTestSupport.h"

namespace zolvane2 {
namespace {

using namespace std::chrono_literals;

class PulseSoundOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::ServerAvailable()) {
            GTEST_SKIP() << "no private sound server";
        }
    }
};

struct Block {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(static_cast<std::size_t>(kSoundBufferBytes));
    SoundBuffer header;
};

// Drops the all-zero frames: the server plays silence before the first block
// and during an underrun, never inside the signal.
std::vector<std::uint8_t> WithoutSilence(const std::vector<std::uint8_t>& pcm) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 4 <= pcm.size(); i += 4) {
        if (pcm[i] != 0 || pcm[i + 1] != 0 || pcm[i + 2] != 0 || pcm[i + 3] != 0) {
            out.insert(out.end(), pcm.begin() + static_cast<std::ptrdiff_t>(i),
                       pcm.begin() + static_cast<std::ptrdiff_t>(i + 4));
        }
    }
    return out;
}

TEST_F(PulseSoundOutputTest, PlaysEveryBlockInOrderBitExactAndReturnsEachAfterTheServerTookIt) {
    const test::PrivateSink sink;
    ASSERT_TRUE(sink.Loaded());
    // Record the sink's monitor while playing.
    PulseSoundInput monitor;
    const int monitorIndex = test::IndexOf(monitor.DeviceNames(), sink.MonitorDescription());
    ASSERT_GT(monitorIndex, 0);
    auto inQueue = std::make_shared<MessageQueue>();
    Block in[2];
    ASSERT_EQ(monitor.Open(monitorIndex, 44100, 2, inQueue), kSoundOk);
    for (auto& b : in) {
        b.header.data = b.bytes.data();
        b.header.length = kSoundBufferBytes;
        ASSERT_EQ(monitor.Prepare(b.header), kSoundOk);
        ASSERT_EQ(monitor.AddBuffer(b.header), kSoundOk);
    }
    ASSERT_EQ(monitor.Start(), kSoundOk);

    // A monitor misses the first moments of a stream (the sink rewinds over
    // what it has already passed on), so a lead-in of 0x0202 samples goes
    // first, then one second of sound: together 13 full blocks and a short
    // one, then an empty end marker.
    const std::vector<std::uint8_t> leadIn(static_cast<std::size_t>(44100 / 4 * 4), 0x02);
    const auto sound = test::NoiseFrames(44100, 2, 3U);
    std::vector<std::uint8_t> signal = leadIn;
    signal.insert(signal.end(), sound.begin(), sound.end());
    PulseSoundOutput output;
    EXPECT_GE(output.DeviceCount(), 1);
    auto outQueue = std::make_shared<MessageQueue>();
    ASSERT_EQ(output.Open(44100, 2, outQueue), kSoundOk);
    ASSERT_EQ(output.SetVolume(kSoundVolumeFull, kSoundVolumeFull), kSoundOk);
    Block out[2];
    std::size_t next = 0;
    int written = 0;
    auto fill = [&](Block& b) {
        const std::size_t n = std::min<std::size_t>(b.bytes.size(), signal.size() - next);
        std::copy_n(signal.begin() + static_cast<std::ptrdiff_t>(next), n, b.bytes.begin());
        next += n;
        b.header.length = static_cast<std::int64_t>(n);
        b.header.user = static_cast<std::uintptr_t>(written++);
    };
    const auto start = std::chrono::steady_clock::now();
    for (auto& b : out) {
        b.header.data = b.bytes.data();
        fill(b);
        ASSERT_EQ(output.Prepare(b.header), kSoundOk);
        ASSERT_EQ(output.Write(b.header), kSoundOk);
    }
    std::vector<std::uintptr_t> returned;
    std::vector<std::uint8_t> heard;
    auto take = [&](const Message& m) {
        ASSERT_EQ(m.msg, MM_WIM_DATA);
        SoundBuffer* b = FromLParam(m.lParam);
        heard.insert(heard.end(), b->data, b->data + b->bytesRecorded.load());
        ASSERT_EQ(monitor.AddBuffer(*b), kSoundOk);
    };
    auto takeInput = [&] {
        while (const auto m = inQueue->Peek(true)) {
            take(*m);
        }
    };
    bool endMarkerBack = false;
    while (!endMarkerBack) {
        const auto m = outQueue->GetFor(3000ms);
        ASSERT_TRUE(m.has_value()) << "a block did not come back";
        ASSERT_EQ(m->msg, MM_WOM_DONE);
        SoundBuffer* b = FromLParam(m->lParam);
        returned.push_back(b->user);
        endMarkerBack = b->length == 0;
        if (!endMarkerBack) {
            fill(b == &out[0].header ? out[0] : out[1]);
            ASSERT_EQ(output.Write(*b), kSoundOk);
        }
        takeInput();
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    std::vector<std::uintptr_t> expected(returned.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        expected[i] = i;
    }
    EXPECT_EQ(returned, expected);
    EXPECT_EQ(returned.size(), 15U);  // 14 blocks with sound and the end marker
    // Handed back as consumed, not as written: a second of sound cannot be
    // taken by the server much faster than it plays.
    EXPECT_GT(elapsed, 600ms);

    // The monitor hands on the last part of the sound only when more
    // follows: play a trailer until everything has come through.
    std::vector<std::uint8_t> trailer(static_cast<std::size_t>(kSoundBufferBytes), 0x01);
    for (int i = 0; i < 40 && WithoutSilence(heard).size() <= signal.size(); ++i) {
        if (i % 5 == 0) {
            std::copy(trailer.begin(), trailer.end(), out[0].bytes.begin());
            out[0].header.length = kSoundBufferBytes;
            ASSERT_EQ(output.Write(out[0].header), kSoundOk);
            ASSERT_TRUE(outQueue->GetFor(3000ms).has_value());
        }
        if (const auto m = inQueue->GetFor(50ms)) {
            take(*m);
        }
        takeInput();
    }
    EXPECT_EQ(output.Reset(), kSoundOk);
    EXPECT_EQ(output.Close(), kSoundOk);
    (void)monitor.Reset();
    takeInput();
    EXPECT_EQ(monitor.Close(), kSoundOk);
    auto got = WithoutSilence(heard);
    const auto firstSound =
        std::find_if(got.begin(), got.end(), [](std::uint8_t b) { return b != 0x02; }) - got.begin();
    got.erase(got.begin(), got.begin() + (firstSound / 4 * 4));
    ASSERT_GT(got.size(), sound.size());
    EXPECT_TRUE(std::equal(sound.begin(), sound.end(), got.begin()));
    EXPECT_EQ(got[sound.size()], 0x01);
}

TEST_F(PulseSoundOutputTest, PauseHoldsTheBlocksAndResetHandsThemAllBackInOrder) {
    const test::PrivateSink sink;
    ASSERT_TRUE(sink.Loaded());
    PulseSoundOutput output;
    auto queue = std::make_shared<MessageQueue>();
    ASSERT_EQ(output.Open(44100, 2, queue), kSoundOk);
    ASSERT_EQ(output.Pause(), kSoundOk);
    const auto signal = test::NoiseFrames(kSoundBufferBytes / 4, 2, 5U);
    Block blocks[3];
    for (int i = 0; i < 3; ++i) {
        blocks[i].bytes = signal;
        blocks[i].header.data = blocks[i].bytes.data();
        blocks[i].header.length = i == 2 ? 0 : kSoundBufferBytes;
        blocks[i].header.user = static_cast<std::uintptr_t>(i);
        ASSERT_EQ(output.Prepare(blocks[i].header), kSoundOk);
        ASSERT_EQ(output.Write(blocks[i].header), kSoundOk);
    }
    EXPECT_EQ(output.Write(blocks[0].header), kSoundErrBusy);
    EXPECT_EQ(output.Unprepare(blocks[0].header), kSoundErrBusy);
    // Nothing is consumed while paused.
    EXPECT_FALSE(queue->GetFor(300ms).has_value());
    ASSERT_EQ(output.Reset(), kSoundOk);
    for (std::uintptr_t i = 0; i < 3; ++i) {
        const auto m = queue->Peek(true);
        ASSERT_TRUE(m.has_value());
        EXPECT_EQ(m->msg, MM_WOM_DONE);
        EXPECT_EQ(FromLParam(m->lParam)->user, i);
    }
    EXPECT_EQ(output.Unprepare(blocks[0].header), kSoundOk);
    // After a reset, playing goes on with the next blocks.
    ASSERT_EQ(output.Restart(), kSoundOk);
    ASSERT_EQ(output.Write(blocks[1].header), kSoundOk);
    const auto m = queue->GetFor(3000ms);
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(FromLParam(m->lParam), &blocks[1].header);
    EXPECT_EQ(output.Close(), kSoundOk);
}

TEST(PulseSoundOutputAbsentServerTest, ReportsTheServersErrorWithoutHanging) {
    const test::ScopedServer nowhere("unix:/nonexistent/zolvane2/native");
    PulseSoundOutput output;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(output.DeviceCount(), 0);
    const SoundResult r = output.Open(44100, 2, std::make_shared<MessageQueue>());
    EXPECT_NE(r, kSoundOk);
    EXPECT_FALSE(output.ErrorText(r).empty());
    SoundBuffer b;
    EXPECT_EQ(output.Write(b), kSoundErrBadState);
    EXPECT_EQ(output.Close(), kSoundErrBadState);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
}

}  // namespace
}  // namespace zolvane2

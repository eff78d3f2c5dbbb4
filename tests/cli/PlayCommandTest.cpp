// zolvane2-cli play, run as its own process against the private test server.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "support/CliProcess.h"
#include "support/PlayMonitorRecorder.h"
#include "support/PlayTestSupport.h"
#include "support/SoundTestSupport.h"
#include "support/TrackfileTestSupport.h"

namespace zolvane2 {
namespace {

using namespace std::chrono_literals;
using test::Bytes;

constexpr int kRate = 44100;
constexpr int kChannels = 2;

class PlayCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::ServerAvailable()) {
            GTEST_SKIP() << "no private sound server (run through ctest, with pulseaudio installed)";
        }
    }

    void StartMonitor() {
        std::string error;
        ASSERT_TRUE(recorder_.Start("zsink.monitor", kRate, kChannels, error)) << error;
    }

    // The sound the sink played, once at least size bytes of it arrived (or
    // the monitor gave up waiting).
    Bytes Heard(std::size_t size) {
        Bytes heard;
        const auto end = std::chrono::steady_clock::now() + 10s;
        do {
            heard = test::PlayWithoutSilence(recorder_.Bytes(), kChannels);
            if (heard.size() >= size) {
                break;
            }
            std::this_thread::sleep_for(10ms);
        } while (std::chrono::steady_clock::now() < end);
        return heard;
    }

    test::TempDir dir_;
    test::PlayMonitorRecorder recorder_;
};

TEST_F(PlayCommandTest, PlaysTheFilesInTheirOrderRawOnesAsTold) {
    const Bytes first = test::PlayPattern(kRate / 2, kChannels);
    Bytes second = test::PlayPattern(kRate / 3, kChannels);
    for (std::size_t i = 0; i < second.size(); i += 2) {
        second[i] = static_cast<std::uint8_t>(second[i] ^ 0x55U);
    }
    const std::string raw = dir_.File("second.raw");
    test::WriteFile(raw, second);
    StartMonitor();
    test::CliProcess cli({"play", "--rate", "44100", "--channels=2",
                          test::WriteWave(dir_.File("first.wav"), kChannels, kRate, first), raw});
    ASSERT_EQ(cli.Wait(30s), 0) << cli.err;
    // Not a terminal: no position line.
    EXPECT_EQ(cli.err, "");
    Bytes expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    const Bytes heard = Heard(expected.size());
    EXPECT_EQ(heard.size(), expected.size());
    EXPECT_TRUE(heard == expected);
}

TEST_F(PlayCommandTest, IntroPlaysOnlyTheStartOfEachFile) {
    const Bytes a = test::PlayPattern(kRate * 4, kChannels);
    Bytes b = a;
    for (std::size_t i = 0; i < b.size(); i += 2) {
        b[i] = static_cast<std::uint8_t>(b[i] ^ 0x55U);
    }
    StartMonitor();
    test::CliProcess cli({"play", "--intro", "1", test::WriteWave(dir_.File("a.wav"), kChannels, kRate, a),
                          test::WriteWave(dir_.File("b.wav"), kChannels, kRate, b)});
    ASSERT_EQ(cli.Wait(30s), 0) << cli.err;
    // The tool ends a second after the last stop, so the monitor has it all.
    const Bytes heard = Heard(2 * kRate * 4 / 2);
    const auto second = std::search(heard.begin(), heard.end(), b.begin(), b.begin() + 64);
    ASSERT_NE(second, heard.end());
    const auto firstPart = static_cast<std::size_t>(second - heard.begin());
    const std::size_t secondPart = heard.size() - firstPart;
    // Each file from its start, for about the intro's length, neither to its end.
    EXPECT_TRUE(std::equal(heard.begin(), second, a.begin()));
    EXPECT_TRUE(std::equal(second, heard.end(), b.begin()));
    for (const std::size_t part : {firstPart, secondPart}) {
        EXPECT_GT(part, static_cast<std::size_t>(kRate) * 4 / 2);
        EXPECT_LT(part, static_cast<std::size_t>(kRate) * 4 * 3);
    }
}

TEST_F(PlayCommandTest, CtrlCStopsThePlaybackAndEndsTheTool) {
    const Bytes data = test::PlayPattern(kRate * 20, kChannels);
    StartMonitor();
    test::CliProcess cli({"play", test::WriteWave(dir_.File("long.wav"), kChannels, kRate, data),
                          test::WriteWave(dir_.File("next.wav"), kChannels, kRate, data)});
    ASSERT_GT(Heard(kRate).size(), 0U);
    cli.Signal(SIGINT);
    EXPECT_EQ(cli.Wait(10s), 130) << cli.err;
    EXPECT_LT(test::PlayWithoutSilence(recorder_.Bytes(), kChannels).size(), data.size());
}

TEST_F(PlayCommandTest, WithoutAServerItSaysSoAndEnds) {
    const std::string path = test::WriteWave(dir_.File("a.wav"), kChannels, kRate, test::PlayPattern(1000, kChannels));
    test::CliProcess cli({"play", path}, test::CliOptions().Server("unix:" + dir_.File("no-server")));
    EXPECT_EQ(cli.Wait(20s), 1);
    EXPECT_NE(cli.err.find("no sound output device"), std::string::npos) << cli.err;
}

TEST_F(PlayCommandTest, RejectsBadOptionsAndReportsFilesItCannotPlay) {
    test::CliProcess none({"play"});
    EXPECT_EQ(none.Wait(10s), 2);
    test::CliProcess channels({"play", "--channels", "3", "x.raw"});
    EXPECT_EQ(channels.Wait(10s), 2);
    test::CliProcess intro({"play", "--intro", "soon", "x.raw"});
    EXPECT_EQ(intro.Wait(10s), 2);

    const std::string missing = dir_.File("missing.wav");
    const std::string mp3 = dir_.File("song.mp3");
    test::WriteFile(mp3, Bytes(100, 1));
    const std::string ok = test::WriteWave(dir_.File("ok.wav"), kChannels, kRate, test::PlayPattern(100, kChannels));
    const std::string eightBit = dir_.File("eight.wav");
    test::WaveLayout layout;
    layout.bitsPerSample = 8;
    layout.dataSize = 100;
    test::WriteFile(eightBit, test::MakeWave(layout, 100));
    // A header may give any rate; the output refuses this one.
    const std::string fast = dir_.File("fast.wav");
    layout = test::WaveLayout{};
    layout.sampleRate = 2147483647;
    layout.dataSize = 400;
    test::WriteFile(fast, test::MakeWave(layout, 400));
    test::CliProcess files({"play", missing, mp3, eightBit, fast, ok});
    EXPECT_EQ(files.Wait(20s), 1);
    const std::string err = files.err;
    EXPECT_NE(err.find(missing + ": not found."), std::string::npos) << err;
    EXPECT_NE(err.find(mp3 + ": not a WAVE"), std::string::npos) << err;
    EXPECT_NE(err.find(eightBit + ": is not a 16-bit WAVE file."), std::string::npos) << err;
    EXPECT_NE(err.find(fast + ": 2147483647 Hz is not a playable sample rate"), std::string::npos) << err;
}

}  // namespace
}  // namespace zolvane2

// record's scheduled start and its monitoring, through the private server.
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/CaptureTestSupport.h"
#include "support/CliProcess.h"
#include "support/SoundTestSupport.h"
#include "support/TrackfileTestSupport.h"

namespace zolvane2 {
namespace {

using namespace std::chrono_literals;
using test::CliProcess;

constexpr const char* kRecording = "zolvane2-cli record: recording from";
constexpr std::int64_t kSecond = 44100 * 4;

// A moment of the local clock as --start takes it.
std::string LocalArgument(std::chrono::system_clock::time_point at) {
    const std::time_t t = std::chrono::system_clock::to_time_t(at);
    std::tm fields{};
    localtime_r(&t, &fields);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &fields);
    return text;
}

class RecordDeskTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::ServerAvailable()) {
            GTEST_SKIP() << "no private sound server";
        }
    }
    test::TempDir dir_;
};

TEST_F(RecordDeskTest, AScheduledStartWaitsForItsTimeAndRecordsItsLength) {
    test::PipeSource source(44100, 2);
    ASSERT_TRUE(source.Loaded());
    const std::string device = source.Name();
    ASSERT_FALSE(device.empty());
    // Whole seconds, as the command line gives them.
    const auto start = std::chrono::time_point_cast<std::chrono::seconds>(std::chrono::system_clock::now()) + 3s;
    CliProcess record({"record", "--device", device, "--mode", "none", "--start", LocalArgument(start), "--duration",
                       "2", dir_.File("Radio")});
    ASSERT_TRUE(record.WaitForErr("the recording starts at", 5s)) << record.err;
    ASSERT_TRUE(record.WaitForErr(kRecording, 10s)) << record.err;
    const auto began = std::chrono::system_clock::now();
    EXPECT_GE(began, start - 100ms);
    EXPECT_LE(began, start + 1500ms);
    // A little more than the length: what follows the stop waits in the FIFO.
    const auto fed = test::NoiseFrames(2 * 44100 + 8192, 2, 11);
    source.WritePaced(fed, kSecond);
    ASSERT_EQ(record.Wait(10s), 0) << record.err;
    const auto samples = test::WaveSamples(dir_.File("Radio00001.wav"), 2, 44100);
    ASSERT_EQ(samples.size(), static_cast<std::size_t>(2 * kSecond));
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), fed.begin()));
}

TEST_F(RecordDeskTest, AScheduleInThePastIsRefusedOrToldAndItsWaitCanBeCancelled) {
    const auto now = std::chrono::system_clock::now();
    CliProcess over({"record", "--start", LocalArgument(now - 2h), "--end", LocalArgument(now - 1h), dir_.File("x")});
    EXPECT_EQ(over.Wait(10s), 2);
    EXPECT_NE(over.err.find("has passed (it had passed when the command was given); nothing was recorded"),
              std::string::npos)
        << over.err;
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--end", "23:00"},
          {"--start", "tomorrow", "--duration", "1"},
          {"--start", LocalArgument(now + 1h), "--end", LocalArgument(now)},
          {"--start", LocalArgument(now + 1h)},
          {"--start", LocalArgument(now + 1h), "--duration", "1", "--time", "5"}}) {
        std::vector<std::string> args{"record"};
        args.insert(args.end(), bad.begin(), bad.end());
        args.push_back(dir_.File("x"));
        CliProcess refused(args);
        EXPECT_EQ(refused.Wait(10s), 2) << bad[0] << "\n" << refused.err;
    }

    // Under way: the rest is recorded at once, and the lateness told.
    CliProcess late(
        {"record", "--mode", "none", "--start", LocalArgument(now - 10s), "--duration", "1:00", dir_.File("Late")});
    EXPECT_TRUE(late.WaitForErr(kRecording, 10s)) << late.err;
    EXPECT_NE(late.err.find(" ago (it had passed when the command was given); recording the remaining 0:00:"),
              std::string::npos)
        << late.err;
    late.Signal(SIGTERM);
    EXPECT_EQ(late.Wait(10s), 0) << late.err;

    CliProcess waiting({"record", "--start", LocalArgument(now + 1h), "--duration", "1", dir_.File("Wait")});
    ASSERT_TRUE(waiting.WaitForErr("Ctrl-C cancels", 5s)) << waiting.err;
    waiting.Signal(SIGINT);
    EXPECT_EQ(waiting.Wait(5s), 0) << waiting.err;
    EXPECT_NE(waiting.err.find("the scheduled recording was cancelled"), std::string::npos) << waiting.err;
    EXPECT_EQ(waiting.err.find(kRecording), std::string::npos) << waiting.err;
    for (const std::string& name : dir_.Names()) {
        EXPECT_NE(name.rfind("Wait", 0), 0U) << name;
    }
}

TEST_F(RecordDeskTest, TheMonitorPlaysTheInputWhileTheRecordingStaysExact) {
    test::PipeSource source(44100, 2);
    const test::PrivateSink sink;
    ASSERT_TRUE(source.Loaded() && sink.Loaded());
    const std::string device = source.Name();
    const std::string sinkMonitor = sink.MonitorName();
    ASSERT_FALSE(device.empty() || sinkMonitor.empty());
    // What the sink hears is recorded by a second run.
    CliProcess heard({"record", "--device", sinkMonitor, "--mode", "none", "--time", "0", dir_.File("Heard")});
    ASSERT_TRUE(heard.WaitForErr(kRecording, 10s)) << heard.err;
    ASSERT_TRUE(sink.WaitUntilPrompt(5s));
    CliProcess record({"record", "--device", device, "--mode", "none", "--time", "3", "--monitor", dir_.File("Take")});
    ASSERT_TRUE(record.WaitForErr(kRecording, 10s)) << record.err;
    const auto fed = test::NoiseFrames(3 * 44100 + 8192, 2, 5);
    // A device hands its audio over in fragments of about 20 ms.
    ASSERT_NO_THROW(source.WritePaced(fed, kSecond, 50)) << record.err;
    ASSERT_EQ(record.Wait(10s), 0) << record.err;
    heard.Signal(SIGTERM);
    ASSERT_EQ(heard.Wait(10s), 0) << heard.err;
    EXPECT_EQ(record.err.find("cannot be heard"), std::string::npos) << record.err;

    const auto take = test::WaveSamples(dir_.File("Take00001.wav"), 2, 44100);
    ASSERT_EQ(take.size(), static_cast<std::size_t>(3 * kSecond));
    EXPECT_TRUE(std::equal(take.begin(), take.end(), fed.begin())) << "the monitor never touches the recording";
    // The input arrives at the sink as it is: most of its 50 ms pieces are
    // found there whole (about 55 of 60 here; where the output fell behind
    // on a loaded machine, a fragment went).
    const auto sinkSide = test::WaveSamples(dir_.File("Heard00001.wav"), 2, 44100);
    int found = 0;
    const std::int64_t piece = kSecond / 20;
    for (std::int64_t at = 0; at + piece <= 3 * kSecond; at += piece) {
        const auto from = fed.begin() + at;
        found += std::search(sinkSide.begin(), sinkSide.end(), from, from + piece) != sinkSide.end() ? 1 : 0;
    }
    EXPECT_GE(found, 20) << "of 60 pieces";
}

}  // namespace
}  // namespace zolvane2

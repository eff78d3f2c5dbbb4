#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "support/CaptureTestSupport.h"
#include "support/CliProcess.h"
#include "support/FlacTool.h"
#include "support/SoundTestSupport.h"
#include "support/TrackfileTestSupport.h"

namespace zolvane2 {
namespace {

using namespace std::chrono_literals;
using test::Signal;

using test::CliProcess;

constexpr const char* kRecording = "zolvane2-cli record: recording from";

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', at)) {
        fields.push_back(line.substr(at, tab - at));
        at = tab + 1;
    }
    fields.push_back(line.substr(at));
    return fields;
}

class RecordCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::ServerAvailable()) {
            GTEST_SKIP() << "no private sound server";
        }
    }

    // The index `devices` gives the source.
    static std::string DeviceIndexOf(const test::PipeSource& source) {
        CliProcess devices({"devices"});
        EXPECT_EQ(devices.Wait(10s), 0) << devices.err;
        for (const auto& line : devices.Lines()) {
            const auto fields = Fields(line);
            if (fields.size() >= 3 && fields[2] == source.Description()) {
                return fields[0];
            }
        }
        return "";
    }

    // Waits (at most ten seconds) until the recorder has written this much.
    static void WaitForSize(const std::string& file, std::uintmax_t size) {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        std::error_code ec;
        while (std::filesystem::file_size(file, ec) != size && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(10ms);
        }
    }

    test::TempDir dir_;
};

TEST_F(RecordCommandTest, DevicesListsTheDefaultEntryFirstThenEverySourceWithItsName) {
    test::PipeSource source(44100, 2);
    ASSERT_TRUE(source.Loaded());
    CliProcess devices({"devices"});
    ASSERT_EQ(devices.Wait(10s), 0);
    const auto lines = devices.Lines();
    ASSERT_GE(lines.size(), 3U);
    EXPECT_EQ(lines[0], "0\t-\tDefault input (WAVE_MAPPER)");
    int defaults = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto fields = Fields(lines[i]);
        EXPECT_EQ(fields[0], std::to_string(i));
        defaults += fields.back() == "(default)" ? 1 : 0;
    }
    EXPECT_EQ(defaults, 1);
    const std::string index = DeviceIndexOf(source);
    ASSERT_FALSE(index.empty());
    EXPECT_EQ(Fields(lines[std::stoul(index)])[1], source.Name());
}

TEST_F(RecordCommandTest, WithoutAServerDevicesSaysSoAndRecordFailsAtOnce) {
    CliProcess devices({"devices"}, test::CliOptions().Server("unix:/nonexistent/zolvane2/native"));
    ASSERT_EQ(devices.Wait(10s), 0);
    EXPECT_EQ(devices.Lines(), std::vector<std::string>{"0\t-\tDefault input (WAVE_MAPPER)"});
    // No server is its own fault, not a server without sources.
    const std::string noServer =
        "No sound server (PulseAudio, or PipeWire through pipewire-pulse) answers "
        "(PULSE_SERVER=unix:/nonexistent/zolvane2/native).";
    EXPECT_NE(devices.err.find(noServer), std::string::npos) << devices.err;
    EXPECT_EQ(devices.err.find("No recording device"), std::string::npos) << devices.err;

    CliProcess record({"record", dir_.File("Take")}, test::CliOptions().Server("unix:/nonexistent/zolvane2/native"));
    EXPECT_EQ(record.Wait(10s), 1);
    EXPECT_EQ(record.out, "");
    EXPECT_NE(record.err.find(noServer), std::string::npos) << record.err;
    EXPECT_TRUE(dir_.Names().empty());

    CliProcess japanese({"record", dir_.File("Take")},
                        test::CliOptions().Server("unix:/nonexistent/zolvane2/native").Locale("ja_JP.UTF-8"));
    EXPECT_EQ(japanese.Wait(10s), 1);
    for (const char* word :
         {"サウンドサーバー (PulseAudio、または PipeWire の pipewire-pulse) が応答しません", "PULSE_SERVER"}) {
        EXPECT_NE(japanese.err.find(word), std::string::npos) << japanese.err;
    }
}

TEST_F(RecordCommandTest, CutsAKnownSignalAndStopsWhenTheTimeIsUp) {
    test::PipeSource source(44100, 2);
    ASSERT_TRUE(source.Loaded());
    // The source chosen by its server name.
    CliProcess record(
        {"record", "--device", source.Name(), "--gap", "500", "--tail=200", "--time", "0:02", dir_.File("Take")});
    ASSERT_TRUE(record.WaitForErr(kRecording, 10s)) << record.err;
    test::Signal pcm(2);
    pcm.Quiet(10000).Loud(30000, 1).Quiet(40000).Loud(20000, 2).Quiet(1).PadTo(16384);
    source.Write(pcm.Bytes());
    ASSERT_EQ(record.Wait(15s), 0) << record.err;
    EXPECT_EQ(record.Lines(), (std::vector<std::string>{dir_.File("Take00001.wav"), dir_.File("Take00002.wav")}));
    EXPECT_EQ(test::WaveSamples(dir_.File("Take00001.wav"), 2, 44100), pcm.Slice(10000 - 4410, 40000 + 8820 + 1));
    // The time counts recorded audio from the first trigger and ends on its
    // very frame, however fast the audio arrived.
    EXPECT_EQ(test::WaveSamples(dir_.File("Take00002.wav"), 2, 44100), pcm.Slice(80000 - 4410, 10000 + 88200));
}

TEST_F(RecordCommandTest, NetTimeCountsOnlyTheAudioInsideTracks) {
    test::PipeSource source(8000, 1);
    ASSERT_TRUE(source.Loaded());
    const std::string device = source.Name();
    ASSERT_FALSE(device.empty());
    CliProcess record({"record", "--device", device, "--rate", "8000", "--channels", "1", "--gap", "500", "--tail", "0",
                       "--delay", "0", "--time", "2", "--net-time", dir_.File("Net")});
    ASSERT_TRUE(record.WaitForErr(kRecording, 10s)) << record.err;
    // Track 1 counts from its trigger to its cut (1.5 s), the wait does not
    // count, so track 2 ends 0.5 s after its trigger: within a block of
    // 8192 frames, which a timer could not do.
    test::Signal pcm(1);
    pcm.Quiet(4000).Loud(8000, 1).Quiet(30000).Loud(16000, 2).PadTo(16384);
    source.Write(pcm.Bytes());
    ASSERT_EQ(record.Wait(15s), 0) << record.err;
    EXPECT_EQ(test::WaveSamples(dir_.File("Net00001.wav"), 1, 8000), pcm.Slice(4000, 12001));
    EXPECT_EQ(test::WaveSamples(dir_.File("Net00002.wav"), 1, 8000), pcm.Slice(42000, 42000 + 4000 - 1));
}

TEST_F(RecordCommandTest, SigtermHangUpAndAClosedPipeFinishTheOpenFileLikeStop) {
    test::PipeSource source(44100, 1);
    ASSERT_TRUE(source.Loaded());
    const std::string device = source.Name();
    ASSERT_FALSE(device.empty());
    for (const int stop : {SIGTERM, SIGHUP}) {
        std::string stem = "m";
        stem += std::to_string(stop);
        const std::string base = dir_.File(stem + ".wav");
        CliProcess record({"record", "--device", device, "--mode", "none", "-c", "1", "--digits", "3", base});
        ASSERT_TRUE(record.WaitForErr(kRecording, 10s)) << record.err;
        test::Signal pcm(1);
        pcm.Loud(44100).PadTo(16384);
        source.Write(pcm.Bytes());
        // The file grows as the blocks are written; once all are in, stop.
        const std::string file = dir_.File(stem + "001.wav");
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        std::error_code ec;
        while (std::filesystem::file_size(file, ec) != pcm.Bytes().size() + 44 &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(10ms);
        }
        record.Signal(stop);
        ASSERT_EQ(record.Wait(10s), 0) << record.err;
        EXPECT_EQ(record.Lines(), std::vector<std::string>{file});
        EXPECT_EQ(test::WaveSamples(file, 1, 44100), pcm.Bytes()) << stop;
    }

    // `record ... | head -0`: the first track's line finds stdout closed, and
    // the recording stops with every file finished. (Little is written past
    // the stop, so that the FIFO takes it all once nobody records.)
    CliProcess piped({"record", "-d", device, "--mode", "interval", "--length", "1", "-c", "1", dir_.File("p.wav")});
    ASSERT_TRUE(piped.WaitForErr(kRecording, 10s)) << piped.err;
    piped.CloseOut();
    test::Signal pcm(1);
    pcm.Loud(44100 * 6 / 5).PadTo(16384);
    source.Write(pcm.Bytes());
    EXPECT_EQ(piped.Wait(10s), 141) << piped.err;
    std::size_t files = 0;
    for (const auto& name : dir_.Names()) {
        if (name.rfind("p0", 0) == 0) {
            ++files;
            EXPECT_FALSE(test::WaveSamples(dir_.File(name), 1, 44100).empty()) << name;
        }
    }
    // The second track may be empty when the stop overtakes its audio, and
    // an empty track is not kept.
    EXPECT_GE(files, 1U);
}

// A stall of the whole program (SIGSTOP, then SIGCONT) while the source goes
// on in real time: the server's buffer carries a short one through without a
// sample lost; a long one at a high rate loses audio, which is reported.
struct StallRun {
    int status = -1;
    std::string err;
    std::vector<std::uint8_t> fed;
    std::vector<std::uint8_t> samples;
};

StallRun RecordThroughAStall(const std::string& folder, int rate, std::chrono::seconds stall) {
    StallRun run;
    test::PipeSource source(rate, 2);
    EXPECT_TRUE(source.Loaded());
    ::setenv("LC_ALL", "C", 1);
    CliProcess record({"record", "--device", source.Name(), "--rate", std::to_string(rate), "--mode", "none", "--time",
                       "0", folder + "/Stall"});
    EXPECT_TRUE(record.WaitForErr(kRecording, 10s)) << record.err;
    const std::int64_t second = 4LL * rate;
    run.fed = test::NoiseFrames(static_cast<std::int64_t>(stall.count() + 3) * rate, 2, 7);
    const auto part = [&](std::int64_t from, std::int64_t to) {
        return std::vector<std::uint8_t>(run.fed.begin() + static_cast<std::ptrdiff_t>(from * second),
                                         run.fed.begin() + static_cast<std::ptrdiff_t>(to * second));
    };
    source.WritePaced(part(0, 1), second);
    record.Signal(SIGSTOP);
    source.WritePaced(part(1, 1 + stall.count()), second);
    record.Signal(SIGCONT);
    source.WritePaced(part(1 + stall.count(), 3 + stall.count()), second);
    std::this_thread::sleep_for(1s);  // the last audio on its way through the server
    record.Signal(SIGTERM);
    run.status = record.Wait(15s);
    run.err = record.err;
    run.samples = test::WaveSamples(folder + "/Stall00001.wav", 2, rate);
    return run;
}

TEST_F(RecordCommandTest, AStallInsideTheServersBufferLosesNothingAndALongOneIsReported) {
    const StallRun shortStall = RecordThroughAStall(dir_.Path(), 44100, 5s);
    EXPECT_EQ(shortStall.status, 0) << shortStall.err;
    // Byte for byte, up to the last whole block (a stop drops the one being
    // filled).
    const std::size_t whole = shortStall.fed.size() / 16384 * 16384;
    EXPECT_TRUE(shortStall.samples.size() == whole &&
                std::equal(shortStall.samples.begin(), shortStall.samples.end(), shortStall.fed.begin()))
        << shortStall.samples.size() << " of " << whole;
    EXPECT_EQ(shortStall.err.find("lost"), std::string::npos) << shortStall.err;

    test::TempDir second;
    const StallRun longStall = RecordThroughAStall(second.Path(), 96000, 18s);
    EXPECT_EQ(longStall.status, 3) << longStall.err;
    EXPECT_NE(longStall.err.find("zolvane2-cli record: audio lost at "), std::string::npos) << longStall.err;
    EXPECT_NE(longStall.err.find(" into the run (track 00001 at 0:00:"), std::string::npos) << longStall.err;
    // Its place, in the label file beside the track.
    const std::string labels = second.File("Stalllosses.txt");
    EXPECT_NE(longStall.err.find("The places of the lost audio are in the label file " + labels), std::string::npos)
        << longStall.err;
    const auto label = test::ReadAll(labels);
    EXPECT_NE(std::string(label.begin(), label.end()).find("\tStall00001.wav: "), std::string::npos);
    EXPECT_NE(longStall.err.find("zolvane2-cli record: dropouts: 1, audio lost in all: 0:00:0"), std::string::npos)
        << longStall.err;
    // The file is valid and holds what the server kept: what is missing is
    // about what was reported (the server holds about eleven seconds).
    ASSERT_FALSE(longStall.samples.empty());
    const double missing = static_cast<double>(longStall.fed.size() - longStall.samples.size()) / (4 * 96000);
    EXPECT_GT(missing, 3.0);
    EXPECT_LT(missing, 10.0);
}

TEST_F(RecordCommandTest, ASourceThatGoesEndsTheRunNamingItAndKeepsTheFile) {
    test::PipeSource source(44100, 2);
    ASSERT_TRUE(source.Loaded());
    CliProcess record({"record", "--device", source.Name(), "--mode", "none", dir_.File("Gone")});
    ASSERT_TRUE(record.WaitForErr(kRecording, 10s)) << record.err;
    test::Signal pcm(2);
    pcm.Loud(44100).PadTo(16384);
    source.Write(pcm.Bytes());
    const std::string file = dir_.File("Gone00001.wav");
    WaitForSize(file, pcm.Bytes().size() + 44);
    source.Unload();
    EXPECT_EQ(record.Wait(10s), 1) << record.err;
    EXPECT_NE(record.err.find(source.Description() + " (" + source.Name() + ")"), std::string::npos) << record.err;
    EXPECT_EQ(record.Lines(), std::vector<std::string>{file});
    EXPECT_EQ(test::WaveSamples(file, 2, 44100), pcm.Bytes());
}

// kill -9 mid-track: any program reading the header itself gets all but the
// last second, and repair makes the header exact.
TEST_F(RecordCommandTest, AKilledRecordingReadsToItsLastSecondAndRepairMendsIt) {
    test::PipeSource source(44100, 2);
    ASSERT_TRUE(source.Loaded());
    const std::string device = source.Name();
    ASSERT_FALSE(device.empty());
    CliProcess record({"record", "--device", device, "--mode", "none", dir_.File("Kill")});
    ASSERT_TRUE(record.WaitForErr(kRecording, 10s)) << record.err;
    test::Signal pcm(2);
    pcm.Loud(5 * 44100, 3).PadTo(16384);
    source.Write(pcm.Bytes());
    const std::string file = dir_.File("Kill00001.wav");
    const std::int64_t full = 44 + static_cast<std::int64_t>(pcm.Bytes().size());
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    std::error_code ec;
    while (static_cast<std::int64_t>(std::filesystem::file_size(file, ec)) < full &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    record.Signal(SIGKILL);
    ASSERT_EQ(record.Wait(10s), 128 + SIGKILL);

    const test::HeaderSizes killed = test::ReadHeaderSizes(file);
    ASSERT_EQ(killed.fileSize, full);
    EXPECT_GE(killed.Unlisted(), 0);
    EXPECT_LE(killed.Unlisted(), 44100 * 4);
    EXPECT_EQ(killed.data % 4, 0U);
    EXPECT_EQ(killed.riff, killed.data + 36);

    CliProcess repair({"repair", file});
    ASSERT_EQ(repair.Wait(10s), 0) << repair.err;
    const test::HeaderSizes mended = test::ReadHeaderSizes(file);
    EXPECT_EQ(mended.Unlisted(), 0);
    EXPECT_EQ(mended.riff, full - 8);
    EXPECT_EQ(test::WaveSamples(file, 2, 44100), pcm.Slice(0, pcm.Frames()));
}

// FLAC while recording: stopped, the track decodes to exactly the frames
// the WAVE track would hold, tagged; killed with -9, it passes `flac -t`,
// decodes up to its last second, and repair gives it its length.
// A track list names and tags each track as it is finished: a taken name is
// numbered and left alone, and a list longer than the tracks is said so.
TEST_F(RecordCommandTest, ATrackListNamesAndTagsEachFinishedTrack) {
    if (!test::HaveFlacTools()) {
        GTEST_SKIP() << "flac/metaflac not installed";
    }
    test::PipeSource source(44100, 2);
    ASSERT_TRUE(source.Loaded());
    const std::string listed = "ALBUM: Live\nA1 One\nA2 Guest - Two 0:01\nA3 Three\n";
    test::WriteFile(dir_.File("list.txt"), test::Bytes(listed.begin(), listed.end()));
    test::WriteFile(dir_.File("A1 One.flac"), test::Bytes{1, 2, 3});
    CliProcess record({"record", "--device", source.Name(), "--gap", "500", "--tail=200", "--time", "0:02", "--format",
                       "flac", "--track-list", dir_.File("list.txt"), "--name", "{pos} {title}", dir_.File("Take")});
    ASSERT_TRUE(record.WaitForErr(kRecording, 10s)) << record.err;
    test::Signal pcm(2);
    pcm.Quiet(10000).Loud(30000, 1).Quiet(40000).Loud(20000, 2).Quiet(1).PadTo(16384);
    source.Write(pcm.Bytes());
    ASSERT_EQ(record.Wait(15s), 0) << record.err;
    EXPECT_EQ(record.Lines(), (std::vector<std::string>{dir_.File("A1 One (2).flac"), dir_.File("A2 Two.flac")}));
    EXPECT_TRUE(test::ReadAll(dir_.File("A1 One.flac")) == (test::Bytes{1, 2, 3}));
    EXPECT_FALSE(std::filesystem::exists(dir_.File("Take00001.flac")));
    EXPECT_EQ(test::ShellOutput("metaflac --export-tags-to=- " + test::Quoted(dir_.File("A2 Two.flac"))),
              "TITLE=Two\nARTIST=Guest\nALBUM=Live\nTRACKNUMBER=2\nTRACKTOTAL=3\n");
    EXPECT_NE(record.err.find("names 3 tracks but there were 2 pieces"), std::string::npos) << record.err;
}

TEST_F(RecordCommandTest, AFlacRecordingHoldsTheSameFramesAndSurvivesAKill) {
    if (!test::HaveFlacTools()) {
        GTEST_SKIP() << "flac/metaflac not installed";
    }
    test::PipeSource source(44100, 2);
    ASSERT_TRUE(source.Loaded());
    const std::string device = source.Name();
    ASSERT_FALSE(device.empty());
    test::Signal pcm(2);
    pcm.Loud(5 * 44100, 3).PadTo(16384);
    const std::size_t whole = pcm.Bytes().size();
    const auto waitForFrames = [](const std::string& file, std::size_t bytes) {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (test::FlacDecode(file, true).size() < bytes && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(50ms);
        }
    };
    for (const bool kill : {false, true}) {
        const std::string base = dir_.File(kill ? "Kill.flac" : "Stop.flac");
        CliProcess record(
            {"record", "--device", device, "--mode", "none", "--format", "flac", "--album", "Live", base});
        ASSERT_TRUE(record.WaitForErr(kRecording, 10s)) << record.err;
        source.Write(pcm.Bytes());
        const std::string file = dir_.File(kill ? "Kill00001.flac" : "Stop00001.flac");
        // libFLAC holds back at most one block it has not encoded yet.
        waitForFrames(file, whole - 4096 * 4);
        record.Signal(kill ? SIGKILL : SIGTERM);
        ASSERT_EQ(record.Wait(10s), kill ? 128 + SIGKILL : 0) << record.err;
        const auto decoded = test::FlacDecode(file, true);
        EXPECT_EQ(test::Shell("flac -t -s " + test::Quoted(file) + " 2>/dev/null"), 0) << file;
        if (!kill) {
            EXPECT_EQ(record.Lines(), std::vector<std::string>{file});
            EXPECT_TRUE(decoded == pcm.Bytes());
            EXPECT_EQ(test::ShellOutput("metaflac --show-tag=ALBUM --show-tag=TRACKNUMBER " + test::Quoted(file)),
                      "ALBUM=Live\nTRACKNUMBER=1\n");
            continue;
        }
        ASSERT_GE(decoded.size() + 44100 * 4, whole);
        EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), pcm.Bytes().begin()));
        // Other players' decoders read it up to its last second as well.
        for (const char* tool : {"sox", "ffmpeg"}) {
            if (const auto other = test::OtherDecode(tool, file)) {
                EXPECT_GE(other->size() + 44100 * 4, whole) << tool;
                EXPECT_TRUE(std::equal(other->begin(), other->end(), pcm.Bytes().begin())) << tool;
            }
        }
        CliProcess repair({"repair", file});
        ASSERT_EQ(repair.Wait(10s), 0) << repair.err;
        EXPECT_EQ(test::ShellOutput("metaflac --show-total-samples " + test::Quoted(file)),
                  std::to_string(decoded.size() / 4) + "\n");
    }
}

// Uncut, with marks: the master keeps every sample, and the label file and
// cue sheet say where the trigger options would have cut it, leaving out the
// click that is shorter than the minimum length.
TEST_F(RecordCommandTest, AnUncutRecordingKeepsEverySampleAndMarksWhereItWouldBeCut) {
    test::PipeSource source(44100, 2);
    ASSERT_TRUE(source.Loaded());
    const std::string device = source.Name();
    ASSERT_FALSE(device.empty());
    CliProcess record({"record", "--device", device, "--mode", "none", "--gap", "500", "--tail=200", "--min-length",
                       "400", "--labels", dir_.File("m.txt"), "--cue", dir_.File("m.cue"), dir_.File("Side")});
    ASSERT_TRUE(record.WaitForErr(kRecording, 10s)) << record.err;
    test::Signal pcm(2);
    pcm.Quiet(10000).Loud(30000, 1).Quiet(40000).Loud(10, 3).Quiet(40000).Loud(20000, 2).Quiet(1).PadTo(16384);
    source.Write(pcm.Bytes());
    const std::string master = dir_.File("Side00001.wav");
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    std::error_code ec;
    while (std::filesystem::file_size(master, ec) != pcm.Bytes().size() + 44 &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    record.Signal(SIGTERM);
    ASSERT_EQ(record.Wait(10s), 0) << record.err;
    EXPECT_EQ(record.Lines(), std::vector<std::string>{master});
    EXPECT_EQ(test::WaveSamples(master, 2, 44100), pcm.Bytes());
    const auto text = [](const std::string& path) {
        const auto bytes = test::ReadAll(path);
        return std::string(bytes.begin(), bytes.end());
    };
    // Frames 5,590 to 48,821 and 115,600 to 140,010.
    EXPECT_EQ(text(dir_.File("m.txt")),
              "0.126757\t1.107052\tSide00001-00001.wav\n2.621315\t3.174830\tSide00001-00002.wav\n");
    EXPECT_NE(text(dir_.File("m.cue")).find("INDEX 01 00:02:47"), std::string::npos);
    EXPECT_NE(record.err.find("1 piece(s) shorter than --min-length left out"), std::string::npos) << record.err;
}

TEST_F(RecordCommandTest, BadCommandLinesAreRefused) {
    CliProcess noBase({"record"});
    EXPECT_EQ(noBase.Wait(10s), 2);
    EXPECT_NE(noBase.err.find("no BASE"), std::string::npos);
    CliProcess noDevice({"record", "--device", "999", dir_.File("x")});
    EXPECT_EQ(noDevice.Wait(10s), 2);
    EXPECT_NE(noDevice.err.find("no input device '999'"), std::string::npos);
    CliProcess badTime({"record", "-t", "soon", dir_.File("x")});
    EXPECT_EQ(badTime.Wait(10s), 2);
    EXPECT_NE(badTime.err.find("-t wants seconds"), std::string::npos) << badTime.err;
    EXPECT_TRUE(dir_.Names().empty());
}

}  // namespace
}  // namespace zolvane2

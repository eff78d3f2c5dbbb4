#include <fcntl.h>
#include <pty.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

#include "support/CliProcess.h"
#include "support/JobsTestFiles.h"

namespace zolvane2 {
namespace {

using namespace std::chrono_literals;
using test::Bytes;

// Stereo 44,100 Hz: quiet 1 s, loud 2 s, quiet 4 s, loud 1 s, quiet 4 s.
Bytes TwoSongs() {
    std::vector<std::int16_t> s;
    test::AppendFrames(s, 44100, 2, 0);
    test::AppendFrames(s, 88200, 2, 9000);
    test::AppendFrames(s, 176400, 2, 0);
    test::AppendFrames(s, 44100, 2, -9000);
    test::AppendFrames(s, 176400, 2, 0);
    return test::Pcm(s);
}

class SplitCommandTest : public ::testing::Test {
protected:
    test::TempDir dir_;
};

TEST_F(SplitCommandTest, TriggerByDefaultPrintsEachPieceInOrder) {
    const Bytes data = TwoSongs();
    test::WriteWave(dir_.File("Side A.wav"), 2, 44100, data);
    const auto r = test::RunCliIn(dir_.Path(), {"split", "Side A.wav"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // Defaults: level 300, delay 100 ms, gap 3 s, tail 1 s.
    ASSERT_EQ(r.Lines(), (std::vector<std::string>{dir_.File("Side A-00001.wav"), dir_.File("Side A-00002.wav"),
                                                   dir_.File("Side A-00003.wav")}));
    const std::int64_t fb = 4;
    EXPECT_EQ(test::DataOf(r.Lines()[0]),
              Bytes(data.begin() + (44100 - 4410) * fb, data.begin() + (132300 + 1 + 44100) * fb));
    EXPECT_EQ(test::DataOf(r.Lines()[1]),
              Bytes(data.begin() + (308700 - 4410) * fb, data.begin() + (352800 + 1 + 44100) * fb));
    EXPECT_EQ(test::DataOf(r.Lines()[2]).size(), 4410U * 4);
}

TEST_F(SplitCommandTest, IntervalRawAndDigits) {
    const Bytes data = test::CountingData(409600 + 10000);
    test::WriteWave(dir_.File("t.wav"), 2, 44100, data);
    const auto r = test::RunCliIn(dir_.Path(),
                                  {"split", "--mode", "interval", "--length=0:01", "--raw", "--digits", "3", "t.wav"});
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.Lines(),
              (std::vector<std::string>{dir_.File("t-001.raw"), dir_.File("t-002.raw"), dir_.File("t-003.raw")}));
    EXPECT_EQ(test::SizeOf(dir_.File("t-001.raw")), 176400);
    EXPECT_EQ(test::SizeOf(dir_.File("t-002.raw")), 409600 - 176400);
    EXPECT_EQ(test::SizeOf(dir_.File("t-003.raw")), 10000);
}

TEST_F(SplitCommandTest, SplitOnceAtATimeAndRawSourcesReadWithRateAndChannels) {
    const Bytes data = test::CountingData(48000);
    test::WriteFile(dir_.File("m.raw"), data);
    // 8,000 Hz mono: 16,000 bytes per second; 1.5 s = 24,000 bytes.
    const auto r = test::RunCliIn(
        dir_.Path(), {"split", "--at", "1.5", "--rate", "8000", "--channels", "1", "--mode", "trigger", "m.raw"});
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.Lines().size(), 2U);
    EXPECT_EQ(test::DataOf(r.Lines()[0]), Bytes(data.begin(), data.begin() + 24000));
    EXPECT_EQ(test::DataOf(r.Lines()[1]), Bytes(data.begin() + 24000, data.end()));
    const Bytes head = test::ReadAll(r.Lines()[0]);
    EXPECT_EQ(test::ReadLe(head, 22, 2), 1);
    EXPECT_EQ(test::ReadLe(head, 24), 8000U);
}

TEST_F(SplitCommandTest, SettingsFileGivesTheValuesAndExplicitOptionsWin) {
    const Bytes data = test::CountingData(409600 + 10000);
    test::WriteWave(dir_.File("s.wav"), 2, 44100, data);
    test::WriteFile(dir_.File("my.ini"), [] {
        // Saved by an editor that starts with a byte-order mark.
        const std::string ini =
            "\xEF\xBB\xBF[tsSetting]\r\nsedtPrec.Value=2\r\ncbxRAWSave.Checked=0\r\n"
            "[tsCut]\r\nrbtnUseTrigger.Checked=0\r\nrbtnInterval.Checked=1\r\nrbtnNoCut.Checked=0\r\n"
            "sedtCuttingTimeH.Value=0\r\nsedtCuttingTimeM.Value=0\r\nsedtCuttingTimeS.Value=2\r\n";
        return Bytes(ini.begin(), ini.end());
    }());
    const auto fromFile = test::RunCliIn(dir_.Path(), {"split", "--settings", "my.ini", "s.wav"});
    EXPECT_EQ(fromFile.status, 0) << fromFile.err;
    ASSERT_EQ(fromFile.Lines(), (std::vector<std::string>{dir_.File("s-01.wav"), dir_.File("s-02.wav")}));
    EXPECT_EQ(test::SizeOf(dir_.File("s-01.wav")), 44 + 352800);

    const auto overridden = test::RunCliIn(dir_.Path(), {"split", "--digits", "4", "--settings", "my.ini", "s.wav"});
    EXPECT_EQ(overridden.status, 0) << overridden.err;
    ASSERT_EQ(overridden.Lines().size(), 2U);
    EXPECT_EQ(overridden.Lines()[0], dir_.File("s-0001.wav"));

    // A settings file named on the command line must be one.
    ASSERT_EQ(::mkfifo(dir_.File("fifo.ini").c_str(), 0600), 0);
    for (const auto& [name, reason] : std::vector<std::pair<std::string, std::string>>{
             {"gone.ini", std::strerror(ENOENT)}, {".", std::strerror(EISDIR)}, {"fifo.ini", "not a regular file"}}) {
        const auto refused = test::RunCliIn(dir_.Path(), {"split", "--settings", name, "s.wav"});
        EXPECT_EQ(refused.status, 2) << name;
        EXPECT_NE(refused.err.find(name + ": " + reason), std::string::npos) << refused.err;
    }

    // A tail longer than the gap is corrected with the window's warning.
    const auto corrected = test::RunCliIn(dir_.Path(), {"split", "--gap", "500", "--tail", "900", "s.wav"});
    EXPECT_EQ(corrected.status, 0) << corrected.err;
    EXPECT_NE(corrected.err.find("zolvane2-cli split: warning: Tail 0.9 s was given"), std::string::npos)
        << corrected.err;
}

TEST_F(SplitCommandTest, ProblemsAreReportedAndNothingIsWritten) {
    test::WriteWave(dir_.File("ok.wav"), 2, 44100, test::CountingData(4000));
    const auto missing = test::RunCliIn(dir_.Path(), {"split", "ok.wav", "gone.wav"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find(dir_.File("gone.wav") + ": not found."), std::string::npos) << missing.err;
    EXPECT_FALSE(std::filesystem::exists(dir_.File("ok-00001.wav")));

    test::WriteFile(dir_.File("song.mp3"), {1, 2, 3});
    EXPECT_EQ(test::RunCliIn(dir_.Path(), {"split", "song.mp3"}).status, 1);

    for (const auto& args : std::vector<std::vector<std::string>>{{"split"},
                                                                  {"split", "--mode", "fast", "ok.wav"},
                                                                  {"split", "--level", "40000", "ok.wav"},
                                                                  {"split", "--at", "-1", "ok.wav"},
                                                                  {"split", "--digits", "0", "ok.wav"},
                                                                  {"split", "--length", "1:x", "ok.wav"},
                                                                  {"split", "--nonsense", "ok.wav"},
                                                                  {"split", "ok.wav", "--level"}}) {
        const auto r = test::RunCliIn(dir_.Path(), args);
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(dir_.File("ok-00001.wav")));
}

TEST_F(SplitCommandTest, ASourceThatCannotBeOpenedIsPrintedWithExitStatus1) {
    // RAW files are listed without being opened; held locked by another
    // program, the job's own opening fails.
    test::WriteFile(dir_.File("locked.raw"), test::CountingData(4000));
    const int fd = ::open(dir_.File("locked.raw").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const auto r = test::RunCliIn(dir_.Path(), {"split", "locked.raw"});
    ::close(fd);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "zolvane2-cli split: File " + dir_.File("locked.raw") + " cannot be opened (" +
                         std::strerror(EWOULDBLOCK) + ")\n");
    EXPECT_FALSE(std::filesystem::exists(dir_.File("locked-00001.wav")));
}

TEST_F(SplitCommandTest, ProgressBarOnlyOnATerminal) {
    test::WriteWave(dir_.File("p.wav"), 2, 44100, test::CountingData(3 * 409600));
    // Not a terminal: stderr stays empty.
    const auto quiet = test::RunCliIn(dir_.Path(), {"split", "--mode", "none", "p.wav"});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");
    std::filesystem::remove(dir_.File("p-00001.wav"));

    // stderr on a terminal: the bar is drawn there, stdout keeps only paths.
    int master = -1;
    int slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    test::CliProcess cli({"split", "--mode", "none", "p.wav"}, test::CliOptions().In(dir_.Path()).Stderr(slave));
    ::close(slave);
    const int status = cli.Wait(60s);
    std::string terminal;
    char buf[4096];
    ssize_t n;
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    while ((n = ::read(master, buf, sizeof buf)) > 0) {
        terminal.append(buf, static_cast<std::size_t>(n));
    }
    ::close(master);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(cli.out, dir_.File("p-00001.wav") + "\n");
    EXPECT_NE(terminal.find("\r["), std::string::npos);
    EXPECT_NE(terminal.find("%"), std::string::npos);
}

TEST_F(SplitCommandTest, CtrlCHangUpAndAClosedPipeFinishTheOpenPieceAndStop) {
    // 200 MB of silence cut every 10 s (1,764,000 bytes): far more pieces
    // than are made before the stop arrives.
    const std::int64_t size = 200LL * 1024 * 1024;
    ASSERT_TRUE(test::ResizeSparse(dir_.File("long.raw"), size));
    // A signal, or 0: the reader of stdout goes away after the first line.
    for (const int stop : {SIGINT, SIGHUP, 0}) {
        std::filesystem::remove_all(dir_.File("out"));
        std::filesystem::create_directory(dir_.File("out"));
        std::filesystem::create_hard_link(dir_.File("long.raw"), dir_.File("out/long.raw"));
        test::CliProcess cli({"split", "--mode", "interval", "--length", "10", "long.raw"},
                             test::CliOptions().In(dir_.File("out")));
        ASSERT_TRUE(cli.WaitForOut("\n", 60s));
        if (stop != 0) {
            cli.Signal(stop);
        } else {
            // Lines already read past the first die with the pipe, as unread ones would.
            cli.out.resize(cli.out.find('\n') + 1);
            cli.CloseOut();
        }
        EXPECT_EQ(cli.Wait(60s), stop != 0 ? 128 + stop : 141) << stop;
        const auto lines = cli.Lines();
        EXPECT_LT(lines.size(), 100U);
        // Every piece on disk has a right header; the cut-short one is named
        // on stderr, never on stdout.
        std::size_t onDisk = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir_.File("out"))) {
            if (entry.path().filename().string().rfind("long-", 0) == 0) {
                ++onDisk;
                const Bytes head = test::ReadAll(entry.path().string());
                EXPECT_EQ(test::ReadLe(head, 40), head.size() - 44) << entry.path();
            }
        }
        const std::string& err = cli.err;
        if (stop != 0) {
            EXPECT_EQ(onDisk, lines.size() + 1) << stop;
        } else {
            // Lines written after the first die with the pipe, and so does
            // the one whose write found it closed.
            EXPECT_GE(onDisk, 3U);
        }
        EXPECT_NE(err.find(": cut short"), std::string::npos) << err;
    }
}

}  // namespace
}  // namespace zolvane2

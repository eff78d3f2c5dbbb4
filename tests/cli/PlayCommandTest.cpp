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

#include "support/PlayMonitorRecorder.h"
#include "support/PlayTestSupport.h"
#include "support/SoundTestSupport.h"
#include "support/TrackfileTestSupport.h"

extern char** environ;

namespace zolvane2 {
namespace {

using namespace std::chrono_literals;
using test::PlayBytes;

constexpr int kRate = 44100;
constexpr int kChannels = 2;

// One run of the command-line tool; stderr goes to a file.
class PlayCli {
public:
    PlayCli(const std::vector<std::string>& args, const std::string& errFile, const std::string& pulseServer = "")
        : errFile_(errFile) {
        std::vector<std::string> argv{ZOLVANE2_CLI_PATH, "play"};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            if ((pulseServer.empty() || entry.rfind("PULSE_SERVER=", 0) != 0) && entry.rfind("LC_ALL=", 0) != 0) {
                env.push_back(entry);
            }
        }
        // Messages are checked in English.
        env.emplace_back("LC_ALL=C");
        if (!pulseServer.empty()) {
            env.push_back("PULSE_SERVER=" + pulseServer);
        }
        std::vector<char*> cargv;
        for (auto& a : argv) {
            cargv.push_back(a.data());
        }
        cargv.push_back(nullptr);
        std::vector<char*> cenv;
        for (auto& e : env) {
            cenv.push_back(e.data());
        }
        cenv.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(err, STDERR_FILENO);
            ::execve(cargv[0], cargv.data(), cenv.data());
            ::_exit(127);
        }
    }
    PlayCli(const PlayCli&) = delete;
    PlayCli& operator=(const PlayCli&) = delete;
    ~PlayCli() {
        if (pid_ > 0 && !done_) {
            ::kill(pid_, SIGKILL);
            (void)Wait(10s);
        }
    }

    void Signal(int sig) const { ::kill(pid_, sig); }

    // The exit status, or -1 when the tool has not ended within timeout.
    int Wait(std::chrono::milliseconds timeout) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            int status = 0;
            const pid_t r = ::waitpid(pid_, &status, WNOHANG);
            if (r == pid_) {
                done_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (std::chrono::steady_clock::now() >= end) {
                return -1;
            }
            std::this_thread::sleep_for(10ms);
        }
    }

    [[nodiscard]] std::string Err() const {
        std::string text;
        const int fd = ::open(errFile_.c_str(), O_RDONLY);
        if (fd < 0) {
            return text;
        }
        char buffer[4096];
        for (ssize_t n = 0; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
            text.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(fd);
        return text;
    }

private:
    std::string errFile_;
    pid_t pid_ = -1;
    bool done_ = false;
};

class PlayCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!soundtest::ServerAvailable()) {
            GTEST_SKIP() << "no private sound server (run through ctest, with pulseaudio installed)";
        }
    }

    std::string WriteWave(const std::string& name, const PlayBytes& data) {
        const std::string path = dir_.File(name);
        test::PlayWriteFile(path, test::PlayWave(data, kChannels, kRate));
        return path;
    }

    void StartMonitor() {
        std::string error;
        ASSERT_TRUE(recorder_.Start("zsink.monitor", kRate, kChannels, error)) << error;
    }

    // The sound the sink played, once at least size bytes of it arrived (or
    // the monitor gave up waiting).
    PlayBytes Heard(std::size_t size) {
        PlayBytes heard;
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
    const PlayBytes first = test::PlayPattern(kRate / 2, kChannels);
    PlayBytes second = test::PlayPattern(kRate / 3, kChannels);
    for (std::size_t i = 0; i < second.size(); i += 2) {
        second[i] = static_cast<std::uint8_t>(second[i] ^ 0x55U);
    }
    const std::string raw = dir_.File("second.raw");
    test::PlayWriteFile(raw, second);
    StartMonitor();
    PlayCli cli({"--rate", "44100", "--channels=2", WriteWave("first.wav", first), raw}, dir_.File("err.txt"));
    ASSERT_EQ(cli.Wait(30s), 0) << cli.Err();
    // Not a terminal: no position line.
    EXPECT_EQ(cli.Err(), "");
    PlayBytes expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    const PlayBytes heard = Heard(expected.size());
    EXPECT_EQ(heard.size(), expected.size());
    EXPECT_TRUE(heard == expected);
}

TEST_F(PlayCommandTest, IntroPlaysOnlyTheStartOfEachFile) {
    const PlayBytes a = test::PlayPattern(kRate * 4, kChannels);
    PlayBytes b = a;
    for (std::size_t i = 0; i < b.size(); i += 2) {
        b[i] = static_cast<std::uint8_t>(b[i] ^ 0x55U);
    }
    StartMonitor();
    PlayCli cli({"--intro", "1", WriteWave("a.wav", a), WriteWave("b.wav", b)}, dir_.File("err.txt"));
    ASSERT_EQ(cli.Wait(30s), 0) << cli.Err();
    // The tool ends a second after the last stop, so the monitor has it all.
    const PlayBytes heard = Heard(2 * kRate * 4 / 2);
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
    const PlayBytes data = test::PlayPattern(kRate * 20, kChannels);
    StartMonitor();
    PlayCli cli({WriteWave("long.wav", data), WriteWave("next.wav", data)}, dir_.File("err.txt"));
    ASSERT_GT(Heard(kRate).size(), 0U);
    cli.Signal(SIGINT);
    EXPECT_EQ(cli.Wait(10s), 130) << cli.Err();
    EXPECT_LT(test::PlayWithoutSilence(recorder_.Bytes(), kChannels).size(), data.size());
}

TEST_F(PlayCommandTest, WithoutAServerItSaysSoAndEnds) {
    const std::string path = WriteWave("a.wav", test::PlayPattern(1000, kChannels));
    PlayCli cli({path}, dir_.File("err.txt"), "unix:" + dir_.File("no-server"));
    EXPECT_EQ(cli.Wait(20s), 1);
    EXPECT_NE(cli.Err().find("no sound output device"), std::string::npos) << cli.Err();
}

TEST_F(PlayCommandTest, RejectsBadOptionsAndReportsFilesItCannotPlay) {
    PlayCli none({}, dir_.File("e1.txt"));
    EXPECT_EQ(none.Wait(10s), 2);
    PlayCli channels({"--channels", "3", "x.raw"}, dir_.File("e2.txt"));
    EXPECT_EQ(channels.Wait(10s), 2);
    PlayCli intro({"--intro", "soon", "x.raw"}, dir_.File("e3.txt"));
    EXPECT_EQ(intro.Wait(10s), 2);

    const std::string missing = dir_.File("missing.wav");
    const std::string mp3 = dir_.File("song.mp3");
    test::PlayWriteFile(mp3, PlayBytes(100, 1));
    const std::string ok = WriteWave("ok.wav", test::PlayPattern(100, kChannels));
    const std::string eightBit = dir_.File("eight.wav");
    test::WaveLayout layout;
    layout.bitsPerSample = 8;
    layout.dataSize = 100;
    test::WriteBytes(eightBit, test::MakeWave(layout, 100));
    PlayCli files({missing, mp3, eightBit, ok}, dir_.File("e4.txt"));
    EXPECT_EQ(files.Wait(20s), 1);
    const std::string err = files.Err();
    EXPECT_NE(err.find(missing + ": not found."), std::string::npos) << err;
    EXPECT_NE(err.find(mp3 + ": not a WAVE"), std::string::npos) << err;
    EXPECT_NE(err.find(eightBit + ": is not a 16-bit WAVE file."), std::string::npos) << err;
}

}  // namespace
}  // namespace zolvane2

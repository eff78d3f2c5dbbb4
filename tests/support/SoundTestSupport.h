#pragma once

// Helpers for tests that record from and play to the private sound server:
// pipe sources and null sinks of their own (so tests never share a FIFO or a
// sink), known signals, and running pactl.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>

namespace zolvane2::test {

// The private daemon's folder: given, or derived from its socket address
// (unix:<folder>/runtime/pulse/native, as scripts/pulse-daemon.sh makes it).
[[nodiscard]] inline std::string PulseDir() {
    if (const char* d = std::getenv("ZOLVANE2_PULSE_DIR"); d != nullptr) {
        return d;
    }
    const char* server = std::getenv("PULSE_SERVER");
    const std::string address = server != nullptr ? server : "";
    const std::string prefix = "unix:";
    const std::string suffix = "/runtime/pulse/native";
    if (address.size() > prefix.size() + suffix.size() && address.starts_with(prefix) && address.ends_with(suffix)) {
        return address.substr(prefix.size(), address.size() - prefix.size() - suffix.size());
    }
    return "";
}

[[nodiscard]] inline bool ServerAvailable() {
    return std::getenv("PULSE_SERVER") != nullptr && std::system("pactl info >/dev/null 2>&1") == 0;
}

// Runs a shell command and returns its standard output without the last
// line break.
[[nodiscard]] inline std::string Run(const std::string& command) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (p == nullptr) {
        return out;
    }
    char buf[256];
    while (std::fgets(buf, sizeof buf, p) != nullptr) {
        out += buf;
    }
    ::pclose(p);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) {
        out.pop_back();
    }
    return out;
}

[[nodiscard]] inline std::string UniqueName(const std::string& stem) {
    static std::atomic<int> counter{0};
    return stem + std::to_string(::getpid()) + "_" + std::to_string(counter.fetch_add(1));
}

// A server module loaded for one test and unloaded after it.
class ScopedModule {
public:
    ScopedModule(const std::string& module, const std::string& args) {
        const std::string out = Run("pactl load-module " + module + " " + args + " 2>/dev/null");
        index_ = out.empty() ? -1 : std::atoi(out.c_str());
    }
    ~ScopedModule() { Unload(); }
    ScopedModule(const ScopedModule&) = delete;
    ScopedModule& operator=(const ScopedModule&) = delete;

    void Unload() {
        if (index_ >= 0) {
            // A module already gone (the daemon stopped) is what unloading wants.
            [[maybe_unused]] const int status =
                std::system(("pactl unload-module " + std::to_string(index_) + " >/dev/null 2>&1").c_str());
            index_ = -1;
        }
    }
    [[nodiscard]] bool Loaded() const { return index_ >= 0; }

private:
    int index_ = -1;
};

// A pipe source with its own FIFO: bytes written to it are captured exactly.
// The server reads the FIFO at once and drops what arrives while nobody
// records, so write only after the recording has started.
class PipeSource {
public:
    PipeSource(int rate, int channels)
        : name_(UniqueName("ztsrc")),
          description_("Zolvane2Test_" + name_),
          fifo_(PulseDir() + "/" + name_ + ".fifo"),
          module_("module-pipe-source", "source_name=" + name_ + " file=" + fifo_ + " format=s16le rate=" +
                                            std::to_string(rate) + " channels=" + std::to_string(channels) +
                                            " source_properties=device.description=" + description_) {}
    ~PipeSource() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        module_.Unload();
        ::unlink(fifo_.c_str());
    }
    PipeSource(const PipeSource&) = delete;
    PipeSource& operator=(const PipeSource&) = delete;

    [[nodiscard]] bool Loaded() const { return module_.Loaded(); }
    [[nodiscard]] const std::string& Name() const { return name_; }
    [[nodiscard]] const std::string& Description() const { return description_; }
    void Unload() { module_.Unload(); }

    // Waits until every byte is in the FIFO; the server drains it quickly
    // while somebody records. A server that stops reading (the recording
    // ended early) fails the write after a few seconds instead of hanging.
    void Write(const std::vector<std::uint8_t>& bytes) {
        if (fd_ < 0) {
            fd_ = ::open(fifo_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd_ < 0) {
                throw std::runtime_error("cannot open " + fifo_);
            }
        }
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            pollfd p{fd_, POLLOUT, 0};
            if ((n < 0 && errno != EAGAIN && errno != EINTR) || ::poll(&p, 1, 5000) == 0) {
                throw std::runtime_error("the server stopped reading " + fifo_);
            }
        }
    }

    // Writes in tenths of a second (or the pieces asked for) at the pace of
    // a real device, so that the audio arrives as time passes.
    void WritePaced(const std::vector<std::uint8_t>& bytes, std::int64_t bytesPerSecond, int piecesPerSecond = 10) {
        const auto chunk = static_cast<std::size_t>(bytesPerSecond / piecesPerSecond);
        auto next = std::chrono::steady_clock::now();
        for (std::size_t at = 0; at < bytes.size(); at += chunk) {
            const std::size_t n = std::min(chunk, bytes.size() - at);
            Write(std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                            bytes.begin() + static_cast<std::ptrdiff_t>(at + n)));
            next += std::chrono::milliseconds(1000 / piecesPerSecond);
            std::this_thread::sleep_until(next);
        }
    }

private:
    std::string name_;
    std::string description_;
    std::string fifo_;
    ScopedModule module_;
    int fd_ = -1;
};

// A null sink of our own, made the default output of this process while it
// lives (PULSE_SINK is read when a connection is made).
class PrivateSink {
public:
    PrivateSink()
        : name_(UniqueName("ztsink")),
          description_("Zolvane2TestSink_" + name_),
          module_("module-null-sink",
                  "sink_name=" + name_ + " rate=44100 channels=2 sink_properties=device.description=" + description_) {
        ::setenv("PULSE_SINK", name_.c_str(), 1);
    }
    ~PrivateSink() {
        ::unsetenv("PULSE_SINK");
        module_.Unload();
    }
    PrivateSink(const PrivateSink&) = delete;
    PrivateSink& operator=(const PrivateSink&) = delete;

    [[nodiscard]] bool Loaded() const { return module_.Loaded(); }
    [[nodiscard]] std::string MonitorDescription() const { return "Monitor of " + description_; }
    // The server's name of its monitor source; a name, unlike an index of
    // the device list, stays put while other tests add and remove devices.
    [[nodiscard]] std::string MonitorName() const { return name_ + ".monitor"; }

    // A null sink nobody listens to renders two seconds at a time, and a new
    // listener changes that only after the block in hand: a stream that
    // starts then is read two seconds late. Waits (up to timeout) until the
    // sink answers within a tenth of a second.
    [[nodiscard]] bool WaitUntilPrompt(std::chrono::milliseconds timeout) const {
        const auto until = std::chrono::steady_clock::now() + timeout;
        do {
            const std::string latency = Run("pactl list sinks | grep -A12 'Name: " + name_ +
                                            "$' | sed -n 's/^[[:space:]]*Latency: \\([0-9]*\\) usec.*/\\1/p'");
            if (!latency.empty() && std::atoll(latency.c_str()) < 100000) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } while (std::chrono::steady_clock::now() < until);
        return false;
    }

private:
    std::string name_;
    std::string description_;
    ScopedModule module_;
};

// Sets PULSE_SERVER for a scope (e.g. to a server that is not there).
class ScopedServer {
public:
    explicit ScopedServer(const std::string& server) {
        const char* old = std::getenv("PULSE_SERVER");
        had_ = old != nullptr;
        old_ = had_ ? old : "";
        ::setenv("PULSE_SERVER", server.c_str(), 1);
    }
    ~ScopedServer() {
        if (had_) {
            ::setenv("PULSE_SERVER", old_.c_str(), 1);
        } else {
            ::unsetenv("PULSE_SERVER");
        }
    }
    ScopedServer(const ScopedServer&) = delete;
    ScopedServer& operator=(const ScopedServer&) = delete;

private:
    bool had_ = false;
    std::string old_;
};

// Index of the entry with this description in a device list, or -1.
[[nodiscard]] inline int IndexOf(const std::vector<std::string>& names, const std::string& description) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == description) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Frames of a deterministic signal whose samples are never 0, so that
// silence inserted by the server can be told apart.
[[nodiscard]] inline std::vector<std::uint8_t> NoiseFrames(std::int64_t frames, int channels, std::uint32_t seed) {
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(frames * channels * 2));
    std::uint32_t x = seed | 1U;
    for (std::int64_t i = 0; i < frames * channels; ++i) {
        x ^= x << 13U;
        x ^= x >> 17U;
        x ^= x << 5U;
        auto s = static_cast<std::int16_t>(x & 0x3FFFU);
        s = static_cast<std::int16_t>(s + 1000);
        if ((x & 0x10000U) != 0U) {
            s = static_cast<std::int16_t>(-s);
        }
        const auto u = static_cast<std::uint16_t>(s);
        out.push_back(static_cast<std::uint8_t>(u & 0xFFU));
        out.push_back(static_cast<std::uint8_t>(u >> 8U));
    }
    return out;
}

}  // namespace zolvane2::test

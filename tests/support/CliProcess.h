#pragma once

// zolvane2-cli started by a test: in a folder, locale and sound server of the
// test's choice, both outputs collected through pipes.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include <sys/wait.h>

namespace zolvane2::test {

class CliOptions {
public:
    std::string folder;        // the working folder; empty: the test's own
    std::string locale = "C";  // LC_ALL: messages are checked in English unless a test asks
    std::string pulseServer;   // PULSE_SERVER; empty: the test's own
    int stderrFd = -1;         // stderr goes here (e.g. a terminal) instead of to err

    [[nodiscard]] CliOptions In(std::string f) const { return With(&CliOptions::folder, std::move(f)); }
    [[nodiscard]] CliOptions Locale(std::string l) const { return With(&CliOptions::locale, std::move(l)); }
    [[nodiscard]] CliOptions Server(std::string s) const { return With(&CliOptions::pulseServer, std::move(s)); }
    [[nodiscard]] CliOptions Stderr(int fd) const {
        CliOptions o = *this;
        o.stderrFd = fd;
        return o;
    }

private:
    [[nodiscard]] CliOptions With(std::string CliOptions::*field, std::string value) const {
        CliOptions o = *this;
        o.*field = std::move(value);
        return o;
    }
};

// stdout split into lines.
[[nodiscard]] inline std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t nl = text.find('\n', at);
        lines.push_back(text.substr(at, nl == std::string::npos ? std::string::npos : nl - at));
        at = nl == std::string::npos ? text.size() : nl + 1;
    }
    return lines;
}

// zolvane2-cli running in the background; killed if still running at the end.
class CliProcess {
public:
    explicit CliProcess(const std::vector<std::string>& args, const CliOptions& options = {}) {
        int outPipe[2];
        int errPipe[2];
        if (::pipe(outPipe) != 0 || ::pipe(errPipe) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(outPipe[1], STDOUT_FILENO);
            ::dup2(options.stderrFd >= 0 ? options.stderrFd : errPipe[1], STDERR_FILENO);
            ::close(outPipe[0]);
            ::close(errPipe[0]);
            if (!options.folder.empty() && ::chdir(options.folder.c_str()) != 0) {
                ::_exit(127);
            }
            if (!options.pulseServer.empty()) {
                ::setenv("PULSE_SERVER", options.pulseServer.c_str(), 1);
            }
            ::setenv("LC_ALL", options.locale.c_str(), 1);
            std::string program = ZOLVANE2_CLI_PATH;
            std::vector<std::string> copy = args;
            std::vector<char*> argv{program.data()};
            for (auto& a : copy) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(outPipe[1]);
        ::close(errPipe[1]);
        outFd_ = outPipe[0];
        errFd_ = errPipe[0];
    }
    ~CliProcess() {
        if (pid_ > 0 && status_ < 0) {
            ::kill(pid_, SIGKILL);
            (void)Wait(std::chrono::seconds(5));
        }
        ::close(outFd_);
        ::close(errFd_);
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    // Reads what is there within `timeout`; true when `text` is in stdout or
    // stderr.
    bool WaitForOut(const std::string& text, std::chrono::milliseconds timeout) { return WaitFor(out, text, timeout); }
    bool WaitForErr(const std::string& text, std::chrono::milliseconds timeout) { return WaitFor(err, text, timeout); }

    void Signal(int sig) const { ::kill(pid_, sig); }

    // The reader of stdout goes away, as `head -1` does.
    void CloseOut() {
        ::close(outFd_);
        outFd_ = -1;
    }

    // Waits for the end, collecting both outputs; the exit status (128 + n
    // when ended by signal n), or -1.
    int Wait(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (status_ < 0 && std::chrono::steady_clock::now() < deadline) {
            ReadSome(50);
            Alive();
        }
        // What the program wrote just before it ended may fill more than one read.
        while (ReadSome(0)) {
        }
        return status_;
    }

    [[nodiscard]] std::vector<std::string> Lines() const { return LinesOf(out); }

    std::string out;
    std::string err;

private:
    bool WaitFor(const std::string& stream, const std::string& text, std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (stream.find(text) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            ReadSome(50);
            if (status_ >= 0 || !Alive()) {
                ReadSome(0);
                break;
            }
        }
        return stream.find(text) != std::string::npos;
    }

    bool Alive() {
        if (status_ >= 0) {
            return false;
        }
        int raw = 0;
        if (::waitpid(pid_, &raw, WNOHANG) == pid_) {
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            return false;
        }
        return true;
    }

    // Whether anything was read.
    bool ReadSome(int timeoutMs) {
        pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
        if (::poll(fds, 2, timeoutMs) <= 0) {
            return false;
        }
        char buf[4096];
        bool read = false;
        for (int i = 0; i < 2; ++i) {
            if ((fds[i].revents & (POLLIN | POLLHUP)) != 0) {
                const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
                if (n > 0) {
                    (i == 0 ? out : err).append(buf, static_cast<std::size_t>(n));
                    read = true;
                }
            }
        }
        return read;
    }

    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    int status_ = -1;
};

// What a finished run of zolvane2-cli printed.
struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
    [[nodiscard]] std::vector<std::string> Lines() const { return LinesOf(out); }
};

// Runs zolvane2-cli to its end.
inline CliResult RunCli(const std::vector<std::string>& args, const CliOptions& options = {}) {
    CliProcess cli(args, options);
    CliResult r;
    r.status = cli.Wait(std::chrono::minutes(5));
    r.out = std::move(cli.out);
    r.err = std::move(cli.err);
    return r;
}

inline CliResult RunCliIn(const std::string& folder, const std::vector<std::string>& args) {
    return RunCli(args, CliOptions().In(folder));
}

}  // namespace zolvane2::test

#pragma once

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "support/JobsTestFiles.h"

namespace zolvane2::test {

struct JobsCliResult {
    int status = -1;  // exit status; 128 + n when ended by signal n
    std::string out;
    std::string err;

    // stdout split into lines.
    [[nodiscard]] std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::string line;
        for (const char c : out) {
            if (c == '\n') {
                lines.push_back(line);
                line.clear();
            } else {
                line += c;
            }
        }
        if (!line.empty()) {
            lines.push_back(line);
        }
        return lines;
    }
};

inline int StatusOf(int raw) {
    if (WIFEXITED(raw)) {
        return WEXITSTATUS(raw);
    }
    return WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
}

// Starts zolvane2-cli with args in folder cwd; stdout to a pipe whose read
// end is returned in outFd, stderr to errFile.
inline pid_t SpawnCli(const std::string& cwd, const std::vector<std::string>& args, int& outFd,
                      const std::string& errFile) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return -1;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        const int err = ::open(errFile.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
        ::dup2(err, STDERR_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        if (::chdir(cwd.c_str()) != 0) {
            ::_exit(127);
        }
        // Messages are checked in English.
        ::setenv("LC_ALL", "C", 1);
        std::vector<char*> argv;
        std::string program = ZOLVANE2_CLI_PATH;
        argv.push_back(program.data());
        std::vector<std::string> copy = args;
        for (auto& a : copy) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    outFd = pipeFds[0];
    return pid;
}

// Reads fd up to the first newline (or its end); the line without newline.
inline std::string ReadLine(int fd, bool& gotLine) {
    std::string line;
    char c;
    gotLine = false;
    while (::read(fd, &c, 1) == 1) {
        if (c == '\n') {
            gotLine = true;
            break;
        }
        line += c;
    }
    return line;
}

inline std::string ReadRest(int fd) {
    std::string s;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) {
        s.append(buf, static_cast<std::size_t>(n));
    }
    return s;
}

// Runs zolvane2-cli with args in folder cwd to its end.
inline JobsCliResult RunJobsCli(const std::string& cwd, const std::vector<std::string>& args) {
    const std::string errFile = cwd + "/.stderr.txt";
    int outFd = -1;
    JobsCliResult r;
    const pid_t pid = SpawnCli(cwd, args, outFd, errFile);
    if (pid < 0) {
        return r;
    }
    r.out = ReadRest(outFd);
    ::close(outFd);
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    r.status = StatusOf(raw);
    const JobBytes err = ReadAll(errFile);
    r.err.assign(err.begin(), err.end());
    ::unlink(errFile.c_str());
    return r;
}

}  // namespace zolvane2::test

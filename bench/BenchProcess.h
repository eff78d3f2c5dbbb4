#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace zolvane2::bench {

// What one process cost, from its start to its exit.
struct Run {
    double wall = 0;
    double user = 0;
    double sys = 0;
    long maxRssKb = 0;
};

inline double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// Runs a program to its end with stdout and stderr on /dev/null; a program
// that cannot start or fails ends the benchmark, whose figures would be void.
inline Run Spawn(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const auto& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    Run r;
    r.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s %s failed (status %d)\n", args[0].c_str(), args.size() > 1 ? args[1].c_str() : "",
                     status);
        std::exit(1);
    }
    r.user = Seconds(usage.ru_utime);
    r.sys = Seconds(usage.ru_stime);
    r.maxRssKb = usage.ru_maxrss;
    return r;
}

}  // namespace zolvane2::bench

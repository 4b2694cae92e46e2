#pragma once

// Starting and stopping mapvale-servers for the benchmarks (a benchmark links no test support).

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

extern char** environ;

namespace mapvale::bench {

struct BenchServer {
    pid_t pid = -1;
    std::string host;  // "127.0.0.1:<port>"
};

// `program serve --content <content> --listen 127.0.0.1:0`, waiting for its "listening on" line.
// Ends the benchmark when the server cannot be started.
inline BenchServer StartBenchServer(const std::string& program, const std::string& content) {
    int out[2];
    if (pipe(out) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string a0 = program, a1 = "serve", a2 = "--content", a3 = content, a4 = "--listen",
                a5 = "127.0.0.1:0";
    char* argv[] = {a0.data(), a1.data(), a2.data(), a3.data(), a4.data(), a5.data(), nullptr};
    BenchServer server;
    if (posix_spawn(&server.pid, program.c_str(), &actions, nullptr, argv, environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", program.c_str());
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') {
        line.push_back(c);
    }
    close(out[0]);
    const std::string prefix = "listening on ";
    if (line.rfind(prefix, 0) != 0) {
        std::fprintf(stderr, "unexpected server output: %s\n", line.c_str());
        std::exit(1);
    }
    server.host = line.substr(prefix.size());
    return server;
}

inline void StopBenchServer(const BenchServer& server) {
    kill(server.pid, SIGTERM);
    waitpid(server.pid, nullptr, 0);
}

}  // namespace mapvale::bench

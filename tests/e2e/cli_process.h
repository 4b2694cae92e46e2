#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mapvale::testing {

// The real mapvale-cli ($MAPVALE_PROGRAM_DIR/mapvale-cli) running in a process of its own, its
// standard output and error going to one file, its standard input empty (it cannot ask
// anyone). `environment` adds to or replaces the test's own variables.
//
// Thread safety: one thread at a time.
class CliProcess {
public:
    // `program`: another mapvale-cli to run (an installed one); empty: ProgramPath().
    CliProcess(const std::vector<std::string>& arguments,
               const std::vector<std::pair<std::string, std::string>>& environment,
               std::string output_file, const std::string& program = {});
    // Kills the program when it still runs, and reaps it.
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    bool started() const { return pid_ > 0; }
    const std::string& error() const { return error_; }

    // Waits (in real time) up to `timeout` for the program to end: its exit status (128 + the
    // signal when a signal ended it), or nothing while it still runs.
    std::optional<int> Wait(std::chrono::milliseconds timeout);
    void Signal(int signal);
    // Everything it wrote so far.
    std::string Output() const;

    static std::string ProgramPath();

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    std::string output_file_;
    std::string error_;
};

}  // namespace mapvale::testing

#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>

extern char** environ;

namespace mapvale::platform {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// What a program reports when its status was taken by someone else (SIGCHLD set to be ignored,
// or a stray waitpid(-1)): a failure, never a success.
constexpr int kLostStatus = 255;
// How often Wait, and the reaper, look again when the kernel offers no process descriptors.
constexpr milliseconds kFallbackPoll(10);
constexpr milliseconds kReaperFallbackPoll(100);
// Longer waits are cut to this, which keeps deadline arithmetic from overflowing.
constexpr milliseconds kLongestWait = std::chrono::hours(24 * 365);

int OpenPidfd(pid_t pid) {
#ifdef SYS_pidfd_open
    // The descriptor is always close-on-exec.
    const long fd = syscall(SYS_pidfd_open, pid, 0);
    return fd < 0 ? -1 : static_cast<int>(fd);
#else
    (void)pid;
    return -1;
#endif
}

int ExitCodeOf(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return kLostStatus;
}

// Reaps `pid` if it has ended. Nothing while it runs; kLostStatus when it is no longer ours.
std::optional<int> TryReap(pid_t pid) {
    int status = 0;
    pid_t result;
    do {
        result = waitpid(pid, &status, WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == pid) {
        return ExitCodeOf(status);
    }
    if (result < 0) {
        return kLostStatus;
    }
    return std::nullopt;
}

void CloseFd(int fd) {
    if (fd >= 0) {
        close(fd);
    }
}

// Reaps children whose handles were dropped while they still ran, so none stays a zombie. One
// thread watches all of them (their process descriptors and a wake-up eventfd) and ends when
// none is left; the next orphan starts a new one. The object is never destroyed because that
// thread may still run while static objects are torn down at exit.
//
// Only ever waits for the given pids, never for "any child", so it cannot steal the status of a
// child that still has a handle.
class Reaper {
  public:
    static Reaper& Instance() {
        static Reaper* const reaper = new Reaper();
        return *reaper;
    }

    // Takes over `pid` and its process descriptor (-1 when there is none). Any thread.
    void Adopt(pid_t pid, int pidfd) {
        std::lock_guard lock(mutex_);
        orphans_.push_back({pid, pidfd});
        if (running_) {
            if (wake_fd_ >= 0) {
                const std::uint64_t one = 1;
                [[maybe_unused]] const ssize_t written = write(wake_fd_, &one, sizeof one);
            }
            return;
        }
        try {
            std::thread([this] { Run(); }).detach();
            running_ = true;
        } catch (const std::system_error&) {
            // No thread now: the orphan stays listed and the next adoption tries again.
        }
    }

  private:
    struct Orphan {
        pid_t pid;
        int pidfd;
    };

    Reaper() : wake_fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

    void Run() {
        std::vector<pollfd> watched;
        for (;;) {
            bool blind = wake_fd_ < 0;
            {
                std::lock_guard lock(mutex_);
                std::erase_if(orphans_, [](const Orphan& orphan) {
                    if (!TryReap(orphan.pid)) {
                        return false;
                    }
                    CloseFd(orphan.pidfd);
                    return true;
                });
                if (orphans_.empty()) {
                    running_ = false;
                    return;
                }
                watched.clear();
                if (wake_fd_ >= 0) {
                    watched.push_back({wake_fd_, POLLIN, 0});
                }
                for (const Orphan& orphan : orphans_) {
                    if (orphan.pidfd >= 0) {
                        watched.push_back({orphan.pidfd, POLLIN, 0});
                    } else {
                        blind = true;
                    }
                }
            }
            // Without a descriptor for every orphan (or a way to be woken for new ones), look
            // again every so often.
            const int timeout = blind ? static_cast<int>(kReaperFallbackPoll.count()) : -1;
            poll(watched.data(), watched.size(), timeout);
            if (wake_fd_ >= 0) {
                std::uint64_t count = 0;
                [[maybe_unused]] const ssize_t got = read(wake_fd_, &count, sizeof count);
            }
        }
    }

    const int wake_fd_;
    std::mutex mutex_;
    std::vector<Orphan> orphans_;
    bool running_ = false;
};

class PosixProcess final : public Process {
  public:
    PosixProcess(pid_t pid, int pidfd) : pid_(pid), pidfd_(pidfd) {}

    ~PosixProcess() override {
        if (!Ended()) {
            Reaper::Instance().Adopt(pid_, pidfd_);
            return;
        }
        CloseFd(pidfd_);
    }

    PosixProcess(const PosixProcess&) = delete;
    PosixProcess& operator=(const PosixProcess&) = delete;

    bool IsActive() override { return !Ended(); }

    bool Wait(milliseconds timeout) override {
        const auto deadline =
            steady_clock::now() + std::clamp(timeout, milliseconds(0), kLongestWait);
        while (!Ended()) {
            const auto now = steady_clock::now();
            if (now >= deadline) {
                return false;
            }
            const auto left = std::chrono::ceil<milliseconds>(deadline - now);
            if (pidfd_ >= 0) {
                // Readable once the process has ended; EINTR and spurious wake-ups loop.
                pollfd watched{pidfd_, POLLIN, 0};
                poll(&watched, 1, static_cast<int>(std::min<long long>(left.count(), INT_MAX)));
            } else {
                std::this_thread::sleep_for(std::min(left, kFallbackPoll));
            }
        }
        return true;
    }

    std::optional<int> ExitCode() override {
        Ended();
        return exit_code_;
    }

    int Pid() const override { return pid_; }

  private:
    // True once the process has ended; the first call that sees it reaps it.
    bool Ended() {
        if (!exit_code_) {
            exit_code_ = TryReap(pid_);
        }
        return exit_code_.has_value();
    }

    const pid_t pid_;
    const int pidfd_;
    std::optional<int> exit_code_;
};

// Everything the child needs, built before fork: between fork and exec the child of a threaded
// program may only make async-signal-safe calls, so it must not allocate.
struct ExecPlan {
    std::string path;
    std::vector<std::string> arguments;  // argv[0] first
    std::string working_folder;
    std::vector<char*> argv;
    std::vector<std::string> environment;  // "NAME=value"; empty: the caller's own
    std::vector<char*> envp;
    bool new_session = false;
};

bool HasNul(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

// The file to execute: a bare name is looked up in PATH like a shell does; a relative path is
// taken from the caller's working folder, before the child changes to its own.
std::optional<std::string> ResolveProgram(const std::string& program) {
    std::error_code error;
    if (program.find('/') != std::string::npos) {
        auto absolute = std::filesystem::absolute(program, error);
        if (error) {
            return std::nullopt;
        }
        return absolute.string();
    }
    const char* path_variable = std::getenv("PATH");
    const std::string_view search =
        path_variable != nullptr ? path_variable : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(search.find(':', start), search.size());
        const std::string_view folder = search.substr(start, end - start);
        std::string candidate =
            (folder.empty() ? std::string(".") : std::string(folder)) + "/" + program;
        if (IsExecutableFile(candidate)) {
            auto absolute = std::filesystem::absolute(candidate, error);
            if (!error) {
                return absolute.string();
            }
        }
        if (end == search.size()) {
            return std::nullopt;
        }
        start = end + 1;
    }
}

// The caller's environment with `overrides` set on top, as "NAME=value" strings.
std::optional<std::vector<std::string>> MergeEnvironment(
    const std::vector<std::pair<std::string, std::string>>& overrides) {
    std::vector<std::string> merged;
    for (const auto& [name, value] : overrides) {
        if (name.empty() || name.find('=') != std::string::npos || HasNul(name) || HasNul(value)) {
            return std::nullopt;
        }
    }
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        merged.emplace_back(*entry);
    }
    for (const auto& [binding_name, value] : overrides) {
        // A structured binding cannot be captured by every compiler we build with.
        const std::string& name = binding_name;
        // Replaces the caller's value, and an earlier override of the same name.
        std::erase_if(merged, [&](const std::string& entry) {
            return entry.size() > name.size() && entry.compare(0, name.size(), name) == 0 &&
                   entry[name.size()] == '=';
        });
        merged.push_back(name + "=" + value);
    }
    return merged;
}

std::optional<ExecPlan> MakePlan(
    const std::string& program, const std::vector<std::string>& arguments,
    const std::string& working_folder,
    const std::vector<std::pair<std::string, std::string>>& environment = {}) {
    if (program.empty() || HasNul(program) || HasNul(working_folder) ||
        std::any_of(arguments.begin(), arguments.end(),
                    [](const std::string& argument) { return HasNul(argument); })) {
        return std::nullopt;
    }
    std::vector<std::string> merged_environment;
    if (!environment.empty()) {
        auto merged = MergeEnvironment(environment);
        if (!merged) {
            return std::nullopt;
        }
        merged_environment = std::move(*merged);
    }
    auto path = ResolveProgram(program);
    if (!path) {
        return std::nullopt;
    }
    ExecPlan plan;
    plan.path = std::move(*path);
    plan.working_folder = working_folder;
    plan.arguments.reserve(arguments.size() + 1);
    plan.arguments.push_back(program);
    plan.arguments.insert(plan.arguments.end(), arguments.begin(), arguments.end());
    for (std::string& argument : plan.arguments) {
        plan.argv.push_back(argument.data());
    }
    plan.argv.push_back(nullptr);
    if (!environment.empty()) {
        plan.environment = std::move(merged_environment);
        for (std::string& entry : plan.environment) {
            plan.envp.push_back(entry.data());
        }
        plan.envp.push_back(nullptr);
    }
    return plan;
}

#ifndef CLOSE_RANGE_CLOEXEC
#define CLOSE_RANGE_CLOEXEC (1U << 2)
#endif

// Descriptors opened by code that forgot close-on-exec must not reach the program either. The
// error pipe stays open until exec, which then closes it.
void CloseInheritedDescriptors(int error_fd) {
#ifdef SYS_close_range
    if (syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC) == 0) {
        return;
    }
    if (error_fd > 3) {
        syscall(SYS_close_range, 3U, static_cast<unsigned>(error_fd - 1), 0U);
    }
    syscall(SYS_close_range, static_cast<unsigned>(error_fd + 1), ~0U, 0U);
#else
    (void)error_fd;
#endif
}

[[noreturn]] void ReportAndExit(int error_fd, int error) {
    [[maybe_unused]] const ssize_t written = write(error_fd, &error, sizeof error);
    _exit(127);
}

// Runs in the child between fork and exec: async-signal-safe calls only.
[[noreturn]] void ExecChild(const ExecPlan& plan, int error_fd, int null_fd) {
    // Handlers and ignored signals of this program are none of the started program's business.
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    for (int signal_number = 1; signal_number < NSIG; ++signal_number) {
        sigaction(signal_number, &default_action, nullptr);
    }
    if (plan.new_session) {
        setsid();
        if (null_fd >= 0) {
            dup2(null_fd, STDIN_FILENO);
        }
    }
    if (!plan.working_folder.empty() && chdir(plan.working_folder.c_str()) != 0) {
        ReportAndExit(error_fd, errno);
    }
    CloseInheritedDescriptors(error_fd);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execve(plan.path.c_str(), plan.argv.data(), plan.envp.empty() ? environ : plan.envp.data());
    ReportAndExit(error_fd, errno);
}

// Starts the plan; the child's pid, or -1 when it could not be executed (then already reaped).
pid_t Spawn(const ExecPlan& plan) {
    int error_pipe[2];
    if (pipe2(error_pipe, O_CLOEXEC) != 0) {
        return -1;
    }
    const int null_fd = plan.new_session ? open("/dev/null", O_RDWR | O_CLOEXEC) : -1;
    // No handler of this program may run in the child before the dispositions are reset.
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    const pid_t pid = fork();
    if (pid == 0) {
        ExecChild(plan, error_pipe[1], null_fd);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    close(error_pipe[1]);
    CloseFd(null_fd);
    if (pid < 0) {
        close(error_pipe[0]);
        return -1;
    }
    // End of file: exec succeeded and closed the pipe. Data: the child's errno.
    int child_error = 0;
    ssize_t got;
    do {
        got = read(error_pipe[0], &child_error, sizeof child_error);
    } while (got < 0 && errno == EINTR);
    close(error_pipe[0]);
    if (got == 0) {
        return pid;
    }
    // The child exits right after reporting; without a report (read error) it may have
    // exec'd, so it is not waited for here but left to the reaper.
    if (got > 0) {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    } else {
        Reaper::Instance().Adopt(pid, OpenPidfd(pid));
    }
    return -1;
}

}  // namespace

std::unique_ptr<Process> PosixProcessLauncher::Start(const LaunchRequest& request) {
    auto plan =
        MakePlan(request.program, request.arguments, request.working_folder, request.environment);
    if (!plan) {
        return nullptr;
    }
    const pid_t pid = Spawn(*plan);
    if (pid < 0) {
        return nullptr;
    }
    // The child is not reaped by anyone but this handle, so its pid cannot be reused before the
    // descriptor is opened.
    return std::make_unique<PosixProcess>(pid, OpenPidfd(pid));
}

ProcessLauncher& DefaultProcessLauncher() {
    static PosixProcessLauncher launcher;
    return launcher;
}

bool OpenWithDesktop(const std::string& target) {
    if (target.empty()) {
        return false;
    }
    // The opener reads a leading '-' as an option; such a target can only be a relative path.
    const std::string argument = target.front() == '-' ? "./" + target : target;
    auto plan = MakePlan("xdg-open", {argument}, {});
    if (!plan) {
        return false;
    }
    // Its own session and no terminal input, so it outlives neither more nor less than it
    // would when started from the desktop; the reaper collects it whenever it ends.
    plan->new_session = true;
    const pid_t pid = Spawn(*plan);
    if (pid < 0) {
        return false;
    }
    Reaper::Instance().Adopt(pid, OpenPidfd(pid));
    return true;
}

}  // namespace mapvale::platform

#include "support/server_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "support/sandbox.h"

extern char** environ;

namespace mapvale::testing {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr std::string_view kListening = "listening on ";
constexpr std::string_view kTrafficListening = "traffic listening on ";

bool Names(const std::vector<std::string>& arguments, std::string_view option) {
    const std::string with_value = std::string(option) + "=";
    return std::any_of(arguments.begin(), arguments.end(), [&](const std::string& a) {
        return a == option || a.rfind(with_value, 0) == 0;
    });
}

// The port of "HOST:PORT", or 0.
int PortOf(std::string_view address) {
    const std::size_t colon = address.rfind(':');
    return colon == std::string_view::npos ? 0 : std::atoi(address.data() + colon + 1);
}

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// Reads from `fd` until a whole line has arrived, the writer closed it, or the deadline passed.
// `text` keeps what was read beyond the line, for the next call.
std::optional<std::string> ReadLine(int fd, steady_clock::time_point deadline, std::string& text) {
    for (;;) {
        const std::size_t newline = text.find('\n');
        if (newline != std::string::npos) {
            std::string line = text.substr(0, newline);
            text.erase(0, newline + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - steady_clock::now());
        if (left.count() <= 0) {
            return std::nullopt;
        }
        pollfd poll_fd{fd, POLLIN, 0};
        const int ready = ::poll(&poll_fd, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return std::nullopt;
        }
        char buffer[256];
        const ssize_t got = ::read(fd, buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return std::nullopt;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

std::string PercentDecode(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out.push_back(
                static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16)));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

std::vector<std::pair<std::string, std::string>> Fields(std::string_view text) {
    std::vector<std::pair<std::string, std::string>> fields;
    if (text.empty()) {
        return fields;
    }
    for (const std::string& piece : Split(text, '&')) {
        const std::size_t equals = piece.find('=');
        fields.emplace_back(
            PercentDecode(piece.substr(0, equals)),
            equals == std::string::npos ? std::string() : PercentDecode(piece.substr(equals + 1)));
    }
    return fields;
}

}  // namespace

int ExitStatusOf(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return -1;
}

ServerProcess::ServerProcess(std::vector<std::string> arguments, milliseconds timeout) {
    const auto deadline = steady_clock::now() + timeout;
    const std::string program = ProgramPath();
    if (program.empty()) {
        error_ = "MAPVALE_PROGRAM_DIR is not set (run the tests through ctest)";
        return;
    }
    if (!Names(arguments, "--listen")) {
        arguments.insert(arguments.end(), {"--listen", "127.0.0.1:0"});
    }
    const bool with_traffic = Names(arguments, "--traffic-listen");
    arguments.push_back("--stop-on-stdin-eof");

    int in_pipe[2];
    int out_pipe[2];
    if (::pipe2(in_pipe, O_CLOEXEC) != 0) {
        error_ = std::string("pipe: ") + std::strerror(errno);
        return;
    }
    if (::pipe2(out_pipe, O_CLOEXEC) != 0) {
        error_ = std::string("pipe: ") + std::strerror(errno);
        ::close(in_pipe[0]);
        ::close(in_pipe[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in_pipe[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out_pipe[1], STDOUT_FILENO);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in_pipe[0]);
    ::close(out_pipe[1]);
    stdin_fd_ = in_pipe[1];
    stdout_fd_ = out_pipe[0];
    if (spawned != 0) {
        error_ = "cannot start " + program + ": " + std::strerror(spawned);
        CloseFd(stdin_fd_);
        CloseFd(stdout_fd_);
        return;
    }
    pid_ = pid;

    std::string output;
    const auto line = ReadLine(stdout_fd_, deadline, output);
    if (!line || line->rfind(kListening, 0) != 0) {
        error_ = line ? "unexpected first line: " + *line : "no \"listening on\" line";
        const int status = Stop(milliseconds(5000));
        error_ += " (exit status " + std::to_string(status) + ")";
        return;
    }
    const std::string address = line->substr(kListening.size());
    const std::size_t colon = address.rfind(':');
    if (colon == std::string::npos) {
        error_ = "unexpected address: " + address;
        Stop();
        return;
    }
    host_ = address.substr(0, colon);
    port_ = PortOf(address);
    if (port_ <= 0) {
        error_ = "unexpected address: " + address;
        Stop();
        return;
    }
    if (with_traffic) {
        const auto traffic = ReadLine(stdout_fd_, deadline, output);
        traffic_port_ = traffic && traffic->rfind(kTrafficListening, 0) == 0
                            ? PortOf(std::string_view(*traffic).substr(kTrafficListening.size()))
                            : 0;
        if (traffic_port_ <= 0) {
            error_ = traffic ? "unexpected second line: " + *traffic
                             : "no \"traffic listening on\" line";
            Stop();
            return;
        }
    }
    // Standard output stays open (and unread) so that the program never writes into a closed
    // pipe; it prints nothing after its "listening" lines.
}

ServerProcess::~ServerProcess() {
    Stop();
}

std::string ServerProcess::Url(std::string_view path) const {
    return "http://" + address() + std::string(path);
}

int ServerProcess::Stop(milliseconds timeout) {
    if (exit_status_) {
        return *exit_status_;
    }
    port_ = 0;
    if (pid_ <= 0) {
        exit_status_ = -1;
        return -1;
    }
    ::kill(pid_, SIGTERM);
    int status = 0;
    pid_t reaped = 0;
    WaitUntil(
        [&] {
            reaped = ::waitpid(pid_, &status, WNOHANG);
            return reaped != 0 && !(reaped < 0 && errno == EINTR);
        },
        timeout);
    if (reaped == pid_) {
        exit_status_ = ExitStatusOf(status);
    } else {
        ::kill(pid_, SIGKILL);
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        exit_status_ = -1;
    }
    CloseFd(stdin_fd_);
    CloseFd(stdout_fd_);
    return *exit_status_;
}

std::string ServerProcess::ProgramPath() {
    const char* folder = std::getenv("MAPVALE_PROGRAM_DIR");
    if (folder == nullptr || *folder == '\0') {
        return {};
    }
    return (std::filesystem::path(folder) / "mapvale-servers").string();
}

std::optional<std::string> LoggedRequest::Parameter(std::string_view name) const {
    for (const auto* fields : {&query, &form}) {
        for (const auto& [key, value] : *fields) {
            if (key == name) {
                return value;
            }
        }
    }
    return std::nullopt;
}

std::vector<LoggedRequest> ReadRequestLog(const std::filesystem::path& file) {
    std::vector<LoggedRequest> requests;
    const std::string text = Sandbox::Read(file);
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos;
         start = end + 1, end = text.find('\n', start)) {
        const std::vector<std::string> parts =
            Split(std::string_view(text).substr(start, end - start), '\t');
        if (parts.size() != 10) {
            continue;
        }
        LoggedRequest request;
        request.number = std::stoull(parts[0]);
        request.method = PercentDecode(parts[1]);
        request.path = PercentDecode(parts[2]);
        request.query = Fields(parts[3]);
        request.form = Fields(parts[4]);
        request.range = PercentDecode(parts[5]);
        request.status = std::stoi(parts[6]);
        if (parts[7] != "-") {
            request.length = std::stoull(parts[7]);
        }
        request.sent = std::stoull(parts[8]);
        request.outcome = PercentDecode(parts[9]);
        requests.push_back(std::move(request));
    }
    std::stable_sort(
        requests.begin(), requests.end(),
        [](const LoggedRequest& a, const LoggedRequest& b) { return a.number < b.number; });
    return requests;
}

}  // namespace mapvale::testing

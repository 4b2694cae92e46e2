#include "mapvale-cli/console.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "mapvale-cli/interrupt_flag.h"

namespace mapvale::cli {

namespace {

// How long one wait for input lasts before the interrupt flag is looked at again.
constexpr int kPollMilliseconds = 200;
// A line longer than this is cut: answers and credentials are short.
constexpr std::size_t kMaxLine = 4096;

void DropCarriageReturn(std::string& line) {
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
}

}  // namespace

std::string BoxMessage(std::string_view text, std::string_view caption) {
    while (!text.empty() && (text.front() == '\n' || text.front() == ' ')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.remove_suffix(1);
    }
    if (caption.empty()) {
        return std::string(text);
    }
    return "[" + std::string(caption) + "] " + std::string(text);
}

std::optional<std::string> StreamLineReader::ReadLine() {
    std::string line;
    if (!std::getline(in_, line)) {
        return std::nullopt;
    }
    DropCarriageReturn(line);
    if (line.size() > kMaxLine) {
        line.resize(kMaxLine);
    }
    return line;
}

StdinLineReader::StdinLineReader() : interactive_(::isatty(STDIN_FILENO) == 1) {}

std::optional<std::string> StdinLineReader::ReadLine() {
    for (;;) {
        if (const std::size_t newline = pending_.find('\n'); newline != std::string::npos) {
            std::string line = pending_.substr(0, std::min(newline, kMaxLine));
            pending_.erase(0, newline + 1);
            DropCarriageReturn(line);
            return line;
        }
        if (InterruptFlag::Requested()) {
            return std::nullopt;
        }
        if (ended_) {
            // The last line may lack its line end.
            if (pending_.empty()) {
                return std::nullopt;
            }
            std::string line = std::move(pending_);
            pending_.clear();
            return line;
        }
        pollfd wanted{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&wanted, 1, kPollMilliseconds);
        if (ready < 0 && errno != EINTR) {
            ended_ = true;
            continue;
        }
        if (ready <= 0) {
            continue;
        }
        char buffer[512];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ended_ = true;
            continue;
        }
        // A line that never ends is not kept whole: the input is bounded.
        if (pending_.size() < 2 * kMaxLine) {
            pending_.append(buffer, static_cast<std::size_t>(got));
        }
    }
}

std::optional<std::string> StdinLineReader::ReadSecret() {
    termios saved{};
    const bool terminal = interactive_ && ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::optional<std::string> line = ReadLine();
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        // The user's Enter was not echoed either.
        const char newline = '\n';
        [[maybe_unused]] const ssize_t written = ::write(STDOUT_FILENO, &newline, 1);
    }
    return line;
}

void Console::Print(std::string_view text) {
    EndProgress();
    out_ << text;
    if (text.empty() || text.back() != '\n') {
        out_ << '\n';
    }
    out_.flush();
}

void Console::Prompt(std::string_view text) {
    EndProgress();
    out_ << text;
    out_.flush();
}

void Console::Progress(std::string_view line) {
    if (terminal_) {
        // Carriage return, the line, then erase what a longer earlier line left behind.
        out_ << '\r' << line << "\033[K";
        progress_open_ = true;
    } else {
        out_ << line << '\n';
    }
    out_.flush();
}

void Console::EndProgress() {
    if (progress_open_) {
        out_ << '\n';
        progress_open_ = false;
    }
}

}  // namespace mapvale::cli

#include "mapvale-servers/stop_watcher.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>

namespace mapvale::servers {

StopWatcher::StopWatcher(bool watch_stdin) : watch_stdin_(watch_stdin) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal_fd_ = signalfd(-1, &signals, SFD_CLOEXEC);
    if (::pipe2(wake_pipe_, O_CLOEXEC) != 0) {
        wake_pipe_[0] = wake_pipe_[1] = -1;
    }
}

StopWatcher::~StopWatcher() {
    if (thread_.joinable()) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(wake_pipe_[1], &byte, 1);
        thread_.join();
    }
    for (const int fd : {signal_fd_, wake_pipe_[0], wake_pipe_[1]}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

bool StopWatcher::Start(std::function<void()> on_stop) {
    if (signal_fd_ < 0 || wake_pipe_[0] < 0 || thread_.joinable()) {
        return false;
    }
    thread_ = std::thread([this, on_stop = std::move(on_stop)] { Watch(on_stop); });
    return true;
}

void StopWatcher::Watch(const std::function<void()>& on_stop) {
    for (;;) {
        pollfd fds[3] = {{signal_fd_, POLLIN, 0}, {wake_pipe_[0], POLLIN, 0}, {-1, POLLIN, 0}};
        if (watch_stdin_) {
            fds[2].fd = STDIN_FILENO;
        }
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            on_stop();
            return;
        }
        if (fds[1].revents != 0) {
            return;  // the watcher is being destroyed
        }
        if (fds[0].revents != 0) {
            signalfd_siginfo info{};
            [[maybe_unused]] const ssize_t got = ::read(signal_fd_, &info, sizeof(info));
            on_stop();
            return;
        }
        if (fds[2].revents != 0) {
            char buffer[512];
            const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof(buffer));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0 || (fds[2].revents & POLLNVAL) != 0) {
                on_stop();
                return;
            }
            // Input is read and dropped; only its end means anything.
        }
    }
}

}  // namespace mapvale::servers

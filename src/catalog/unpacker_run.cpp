#include "catalog/unpacker_run.h"

#include <optional>
#include <system_error>
#include <thread>

#include "platform/files.h"

namespace mapvale::catalog {

namespace {

// How often the watch looks at its stop flag while the program runs. Bounds how long a cancel
// waits for the watch to let go of the process handle.
constexpr std::chrono::milliseconds kWatchSlice{50};

// Waits for a started program on a thread of its own and sets `wake` the moment it ends, so
// that the worker's one-second polls (which wait on the sleeper, not on the process) end early.
// The worker touches the process handle again only after Release().
class ProcessWatch {
public:
    ProcessWatch(platform::Process& process, platform::Event& wake)
        : process_(process), wake_(wake) {
        try {
            thread_ = std::thread([this] { Run(); });
        } catch (const std::system_error&) {
            // Without a thread the polls still look at the process themselves.
        }
    }
    ~ProcessWatch() { Release(); }
    ProcessWatch(const ProcessWatch&) = delete;
    ProcessWatch& operator=(const ProcessWatch&) = delete;

    // True once the program has ended. Worker only.
    bool Ended() {
        if (!thread_.joinable() && !released_) {
            return !process_.IsActive();
        }
        return ended_.load();
    }

    // Stops watching; afterwards the caller may use the process handle again.
    void Release() {
        stop_.store(true);
        if (thread_.joinable()) {
            thread_.join();
        }
        released_ = true;
    }

private:
    void Run() {
        while (!stop_.load()) {
            if (process_.Wait(kWatchSlice)) {
                ended_.store(true);
                wake_.Set();
                return;
            }
        }
    }

    platform::Process& process_;
    platform::Event& wake_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> ended_{false};
    bool released_ = false;
    std::thread thread_;
};

bool Cancelled(const UnpackerContext& context) {
    return context.cancel->load();
}

// How one start of the program ended.
enum class StartEnd { kNotLaunched, kExited, kStillRunning, kCancelled };

StartEnd StartAndWait(const UnpackerContext& context, const std::vector<std::string>& parameters,
                      std::optional<int>& exit_code) {
    platform::LaunchRequest request;
    request.program = context.program;
    request.arguments = parameters;
    request.shown = false;
    std::unique_ptr<platform::Process> process = context.launcher->Start(request);
    if (!process) {
        return StartEnd::kNotLaunched;
    }
    context.wake->Reset();
    ProcessWatch watch(*process, *context.wake);
    bool ended = false;
    for (int poll = 0; poll < kUnpackerPolls && !ended; ++poll) {
        if (Cancelled(context)) {
            return StartEnd::kCancelled;  // the watch lets go; the program runs on
        }
        ended = watch.Ended();
        if (!ended) {
            context.sleeper->WaitFor(*context.wake, kUnpackerPollInterval);
        }
    }
    // An end that came during the last wait still counts.
    ended = ended || watch.Ended();
    watch.Release();
    if (!ended) {
        return StartEnd::kStillRunning;
    }
    exit_code = process->ExitCode();
    return exit_code ? StartEnd::kExited : StartEnd::kStillRunning;
}

}  // namespace

std::vector<std::string> UnpackerParameters(std::string_view archive,
                                            std::string_view destination) {
    const auto quoted = [](std::string_view text) {
        std::string out;
        out.reserve(text.size() + 2);
        out.push_back('"');
        out.append(text);
        out.push_back('"');
        return out;
    };
    return {quoted(archive), quoted(destination)};
}

int UnpackArchive(const UnpackerContext& context, std::string_view archive,
                  std::string_view destination) {
    std::string target(destination);
    if (target.empty()) {
        const std::string path = platform::NormalizePath(archive);
        const std::size_t slash = path.rfind('/');
        target = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    }
    return RunUnpacker(context, UnpackerParameters(archive, target));
}

int RunUnpacker(const UnpackerContext& context, const std::vector<std::string>& parameters) {
    for (int start = 0; start < kUnpackerStarts; ++start) {
        if (Cancelled(context)) {
            return 0;
        }
        std::optional<int> exit_code;
        switch (StartAndWait(context, parameters, exit_code)) {
            case StartEnd::kNotLaunched:
                // No such program, or not one that runs: starting it again changes nothing, and
                // the size check would only wait out its polls for a file nobody writes.
                return 0;
            case StartEnd::kCancelled:
            case StartEnd::kStillRunning:
                return 0;
            case StartEnd::kExited:
                break;
        }
        if (*exit_code == 0) {
            return 1;
        }
        if (*exit_code != kUnpackerTransientExit) {
            return 0;
        }
        context.wake->Reset();
        if (Cancelled(context)) {
            return 0;
        }
        if (start + 1 < kUnpackerStarts) {
            context.sleeper->WaitFor(*context.wake, kUnpackerRetryWait);
        }
    }
    return 1;
}

}  // namespace mapvale::catalog

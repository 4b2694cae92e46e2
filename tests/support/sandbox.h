#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>

namespace mapvale::testing {

// A fresh temporary folder per test, removed with everything in it when the test ends.
class Sandbox {
public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // path() / relative, as a string.
    std::string Path(std::string_view relative = {}) const;
    // Writes `bytes` to path() / relative, creating folders on the way; returns the full path.
    std::string Write(std::string_view relative, std::string_view bytes) const;
    // The whole content of a file, or empty when it cannot be read.
    static std::string Read(const std::filesystem::path& file);

private:
    std::filesystem::path path_;
};

// Polls `predicate` until it is true or `timeout` (real time) has passed. Replaces sleeps in tests
// that wait for another thread or process.
template <typename Predicate>
bool WaitUntil(Predicate predicate,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace mapvale::testing

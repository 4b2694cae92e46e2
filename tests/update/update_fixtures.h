#pragma once

// Stand-ins for the self-update's tests: a zip writer for patch archives, a launcher that runs
// only the unpacker for real, instance endpoints and an elevation service that record their use.

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/instance.h"
#include "platform/process.h"
#include "support/sandbox.h"
#include "update/elevation.h"

namespace mapvale::update::test {

// A zip archive of stored (uncompressed) members with Unix permission bits.
class StoredZip {
public:
    void Add(const std::string& name, const std::string& data, std::uint32_t mode = 0644) {
        // Local header, then the data; the central directory entry repeats the header.
        const std::uint32_t crc = Crc32(data);
        const auto size = static_cast<std::uint32_t>(data.size());
        const auto name_size = static_cast<std::uint16_t>(name.size());
        const auto offset = static_cast<std::uint32_t>(body_.size());
        Put(body_, {{0x04034b50, 4},
                    {10, 2},
                    {0, 2},
                    {0, 2},
                    {0, 2},
                    {0x21, 2},
                    {crc, 4},
                    {size, 4},
                    {size, 4},
                    {name_size, 2},
                    {0, 2}});
        body_ += name + data;
        Put(directory_, {{0x02014b50, 4},
                         {0x031E, 2},
                         {10, 2},
                         {0, 2},
                         {0, 2},
                         {0, 2},
                         {0x21, 2},
                         {crc, 4},
                         {size, 4},
                         {size, 4},
                         {name_size, 2},
                         {0, 2},
                         {0, 2},
                         {0, 2},
                         {0, 2},
                         {(S_IFREG | mode) << 16, 4},
                         {offset, 4}});
        directory_ += name;
        ++count_;
    }

    std::string Bytes() const {
        std::string out = body_ + directory_;
        Put(out, {{0x06054b50, 4},
                  {0, 2},
                  {0, 2},
                  {count_, 2},
                  {count_, 2},
                  {static_cast<std::uint32_t>(directory_.size()), 4},
                  {static_cast<std::uint32_t>(body_.size()), 4},
                  {0, 2}});
        return out;
    }

private:
    // Little-endian fields of the given widths in bytes.
    static void Put(std::string& out, std::initializer_list<std::pair<std::uint32_t, int>> fields) {
        for (const auto& [value, width] : fields) {
            for (int i = 0; i < width; ++i) {
                out += static_cast<char>((value >> (8 * i)) & 0xFF);
            }
        }
    }
    static std::uint32_t Crc32(const std::string& data) {
        std::uint32_t crc = 0xFFFFFFFFu;
        for (const char c : data) {
            crc ^= static_cast<unsigned char>(c);
            for (int bit = 0; bit < 8; ++bit) {
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
            }
        }
        return ~crc;
    }

    std::string body_;
    std::string directory_;
    std::uint32_t count_ = 0;
};

// A program that has already ended with status 0.
class EndedProcess final : public platform::Process {
public:
    bool IsActive() override { return false; }
    bool Wait(std::chrono::milliseconds) override { return true; }
    std::optional<int> ExitCode() override { return 0; }
    int Pid() const override { return 0; }
};

// Records every start. Starts of the unpacker go to the real launcher; every other program
// "starts" and has already ended.
class RecordingLauncher final : public platform::ProcessLauncher {
public:
    std::unique_ptr<platform::Process> Start(const platform::LaunchRequest& request) override {
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        const std::string& program = request.program;
        if (program.size() >= 9 && program.compare(program.size() - 9, 9, "ZipModule") == 0) {
            return real_.Start(request);
        }
        return std::make_unique<EndedProcess>();
    }

    std::vector<platform::LaunchRequest> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    // The starts of programs whose path ends in `name`.
    std::vector<platform::LaunchRequest> StartsOf(const std::string& name) const {
        std::vector<platform::LaunchRequest> found;
        for (const auto& request : requests()) {
            if (request.program.size() >= name.size() &&
                request.program.compare(request.program.size() - name.size(), name.size(), name) ==
                    0) {
                found.push_back(request);
            }
        }
        return found;
    }

private:
    platform::PosixProcessLauncher real_;
    mutable std::mutex mutex_;
    std::vector<platform::LaunchRequest> requests_;
};

// Endpoints that exist by declaration; close requests are recorded and taken.
class FakeInstances final : public platform::InstanceService {
public:
    explicit FakeInstances(std::set<std::string> present = {}) : present_(std::move(present)) {}

    std::unique_ptr<platform::InstanceEndpoint> Publish(const std::string&,
                                                        std::function<void()>) override {
        return nullptr;
    }
    bool Exists(const std::string& name) override {
        std::lock_guard lock(mutex_);
        return present_.count(name) > 0;
    }
    bool RequestClose(const std::string& name) override {
        std::lock_guard lock(mutex_);
        closed_.push_back(name);
        return present_.count(name) > 0;
    }
    std::vector<std::string> closed() const {
        std::lock_guard lock(mutex_);
        return closed_;
    }

private:
    mutable std::mutex mutex_;
    std::set<std::string> present_;
    std::vector<std::string> closed_;
};

class FakeElevation final : public ElevationService {
public:
    explicit FakeElevation(bool may_write) : may_write_(may_write) {}
    bool MayWrite(const std::vector<std::string>& folders) override {
        asked_ = folders;
        return may_write_;
    }
    bool RelaunchElevated(const platform::LaunchRequest& request) override {
        relaunched_.push_back(request);
        return true;
    }
    const std::vector<std::string>& asked() const { return asked_; }
    const std::vector<platform::LaunchRequest>& relaunched() const { return relaunched_; }

private:
    bool may_write_;
    std::vector<std::string> asked_;
    std::vector<platform::LaunchRequest> relaunched_;
};

}  // namespace mapvale::update::test

#pragma once

// Helpers for the unpacker's tests: archives made with libzip or Info-ZIP, byte spans cut from
// them, and runs of the real ZipModule program as a child process.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/process.h"
#include "support/sandbox.h"
#include "support/test_child.h"

extern char** environ;

namespace mapvale::zipmodule::test {

struct Entry {
    enum class Kind { kFile, kFolder, kLink };

    std::string name;  // bytes as stored
    std::string data;  // a link's target for kLink
    Kind kind = Kind::kFile;
    // ZIP_FL_ENC_UTF_8 marks non-ASCII names as UTF-8; ZIP_FL_ENC_CP437 stores the bytes
    // unmarked.
    zip_flags_t name_encoding = ZIP_FL_ENC_UTF_8;
    bool stored = false;                     // no compression
    std::optional<std::uint32_t> unix_mode;  // permission bits (type bits follow the kind)
    std::string source_file;                 // data from this file instead of `data`
};

inline Entry File(std::string name, std::string data, bool stored = false) {
    Entry entry;
    entry.name = std::move(name);
    entry.data = std::move(data);
    entry.stored = stored;
    return entry;
}

// A zip archive made with libzip.
inline void MakeZip(const std::string& path, const std::vector<Entry>& entries) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr) << "zip_open error " << error;
    for (const Entry& entry : entries) {
        zip_int64_t index;
        if (entry.kind == Entry::Kind::kFolder) {
            index = zip_dir_add(archive, entry.name.c_str(), entry.name_encoding);
        } else {
            zip_source_t* source;
            if (!entry.source_file.empty()) {
                source = zip_source_file(archive, entry.source_file.c_str(), 0, 0);
            } else {
                void* copy = std::malloc(entry.data.size() + 1);
                std::memcpy(copy, entry.data.data(), entry.data.size());
                source = zip_source_buffer(archive, copy, entry.data.size(), 1);
            }
            ASSERT_NE(source, nullptr);
            index = zip_file_add(archive, entry.name.c_str(), source,
                                 entry.name_encoding | ZIP_FL_OVERWRITE);
            if (index < 0) {
                zip_source_free(source);
            }
        }
        ASSERT_GE(index, 0) << zip_strerror(archive);
        const auto at = static_cast<zip_uint64_t>(index);
        if (entry.stored) {
            ASSERT_EQ(zip_set_file_compression(archive, at, ZIP_CM_STORE, 0), 0);
        }
        std::uint32_t mode =
            entry.unix_mode.value_or(entry.kind == Entry::Kind::kFolder ? 0755 : 0644);
        mode |= entry.kind == Entry::Kind::kLink     ? S_IFLNK
                : entry.kind == Entry::Kind::kFolder ? S_IFDIR
                                                     : S_IFREG;
        ASSERT_EQ(zip_file_set_external_attributes(archive, at, 0, ZIP_OPSYS_UNIX, mode << 16), 0);
    }
    ASSERT_EQ(zip_close(archive), 0) << zip_strerror(archive);
}

// Runs a program to completion; its exit status, or -1 when it could not run.
inline int RunTool(const std::string& program, const std::vector<std::string>& args,
                   const std::string& folder) {
    auto process = platform::DefaultProcessLauncher().Start({program, args, folder, false});
    if (!process || !process->Wait(std::chrono::minutes(5))) {
        return -1;
    }
    return process->ExitCode().value_or(-1);
}

// An archive made by Info-ZIP of every file below `folder` (with `options` such as "-0").
inline void MakeInfoZip(const std::string& archive, const std::string& folder,
                        const std::vector<std::string>& options = {}) {
    std::vector<std::string> args{"-q", "-r"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(archive);
    args.push_back(".");
    ASSERT_EQ(RunTool("zip", args, folder), 0);
}

inline std::string ReadFile(const std::string& path) {
    return testing::Sandbox::Read(path);
}

// Writes `bytes` to `path`, creating its folders.
inline void WriteFile(const std::string& path, std::string_view bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Cuts `whole` into `count` byte spans of nearly equal size, named as a joined volume set:
// base.000, base.001, ... and the last one under `archive_path`.
inline void WriteVolumes(const std::string& whole, const std::string& archive_path,
                         std::size_t count) {
    ASSERT_GE(count, 1u);
    ASSERT_LE(count, whole.size());
    const std::string base = archive_path.substr(0, archive_path.rfind('.'));
    const std::size_t span = (whole.size() + count - 1) / count;
    for (std::size_t i = 0; i < count; ++i) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%03zu", i);
        const std::string path = i + 1 == count ? archive_path : base + suffix;
        const std::size_t from = std::min(whole.size(), i * span);
        const std::size_t length = i + 1 == count ? whole.size() - from : span;
        WriteFile(path, std::string_view(whole).substr(from, length));
    }
}

// Every path below `folder`, relative, sorted; folders end in '/'.
inline std::vector<std::string> Tree(const std::string& folder) {
    std::vector<std::string> paths;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        std::string relative = std::filesystem::relative(it->path(), folder).string();
        if (it->is_directory() && !it->is_symlink()) {
            relative += '/';
        }
        paths.push_back(relative);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

inline std::string ZipModulePath() {
    const char* folder = std::getenv("MAPVALE_PROGRAM_DIR");
    if (folder != nullptr && *folder != '\0') {
        return std::string(folder) + "/ZipModule";
    }
    // Run by hand from the build tree: tests/ beside bin/.
    return (std::filesystem::path(testing::SelfPath()).parent_path().parent_path() / "bin" /
            "ZipModule")
        .string();
}

struct RunResult {
    int exit_code = -1;  // -1: did not end normally
    int signal = 0;      // the signal that ended it
    std::string errors;  // its standard error
    long peak_kib = 0;   // its peak resident memory (ru_maxrss)
};

// A started ZipModule whose standard error goes to a pipe.
struct Child {
    pid_t pid = -1;
    int errors_fd = -1;
};

// Starts ZipModule with `args`; `environment` entries NAME=VALUE replace or add variables, a
// bare NAME removes one. Plain fork and exec, so the child's peak memory is its own and not the
// test's high-water mark.
inline Child StartZipModule(const std::vector<std::string>& args,
                            const std::vector<std::string>& environment = {},
                            const std::string& program = ZipModulePath()) {
    std::vector<std::string> env_strings;
    for (char** e = environ; *e != nullptr; ++e) {
        env_strings.emplace_back(*e);
    }
    for (const std::string& change : environment) {
        const std::string name = change.substr(0, change.find('='));
        env_strings.erase(std::remove_if(env_strings.begin(), env_strings.end(),
                                         [&](const std::string& v) {
                                             return v.compare(0, name.size() + 1, name + "=") == 0;
                                         }),
                          env_strings.end());
        if (change.find('=') != std::string::npos) {
            env_strings.push_back(change);
        }
    }
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& v : env_strings) {
        envp.push_back(v.data());
    }
    envp.push_back(nullptr);
    int pipe_fds[2];
    if (::pipe2(pipe_fds, O_CLOEXEC) != 0) {
        return {};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipe_fds[1], STDERR_FILENO);
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(pipe_fds[1]);
    return {pid, pipe_fds[0]};
}

inline RunResult WaitZipModule(Child child) {
    RunResult run;
    if (child.pid < 0) {
        return run;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(child.errors_fd, buffer, sizeof buffer);
        if (n > 0) {
            run.errors.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(child.errors_fd);
    int status = 0;
    struct rusage usage {};
    while (::wait4(child.pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        run.exit_code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        run.signal = WTERMSIG(status);
    }
    run.peak_kib = usage.ru_maxrss;
    return run;
}

inline RunResult RunZipModule(const std::vector<std::string>& args,
                              const std::vector<std::string>& environment = {}) {
    return WaitZipModule(StartZipModule(args, environment));
}

// `path` enclosed in double quotes, as the download engine passes it.
inline std::string Quoted(const std::string& path) {
    return '"' + path + '"';
}

}  // namespace mapvale::zipmodule::test

#pragma once

#include <sys/types.h>

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>

namespace mapvale::zipmodule {

// A file that is written under a temporary name in the folder of `final_path` and renamed over
// it only when complete, so the final name never shows a partial file: it holds the old file
// (or nothing) until Commit, and the whole new one after. Destroying an uncommitted file
// deletes the temporary one.
//
// Only one replacement file may be open at a time in a program that called
// CleanUpOnTerminationSignals (the handler knows a single temporary name).
// Thread safety: none.
class ReplacementFile {
  public:
    explicit ReplacementFile(std::string final_path);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Creates the temporary file. False with error() set when it cannot.
    bool Open();
    bool Write(const void* data, std::size_t length);
    // Gives the file `mode` (permission bits) and, when set, the modification time `mtime`,
    // flushes it to disk and renames it over the final path. False with error() set when any
    // step fails; the final path is then untouched.
    bool Commit(mode_t mode, std::optional<std::time_t> mtime);

    // errno of the failed step and a one-line description.
    int error() const { return error_; }
    const std::string& error_text() const { return error_text_; }

  private:
    bool Fail(const char* step);
    void Discard();

    std::string final_path_;
    std::string temp_path_;
    int fd_ = -1;
    bool committed_ = false;
    int error_ = 0;
    std::string error_text_;
};

// Makes SIGINT, SIGTERM and SIGHUP delete the temporary file of the open ReplacementFile
// before the program ends as the signal says. Call once, early in main.
void CleanUpOnTerminationSignals();

}  // namespace mapvale::zipmodule

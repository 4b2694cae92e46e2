#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mapvale-cli/answer_book.h"

namespace mapvale::cli {

enum class Command { kRun, kStatus, kHelp };

// The command line of mapvale-cli, as read; UsageText() describes every option.
struct CliOptions {
    Command command = Command::kRun;

    // Folders; empty: the updater's own (settings, then defaults).
    std::string program_folder;
    std::string settings_folder;
    std::string data_folder;

    // Sign-in; unset: the stored credentials.
    std::optional<std::string> user;
    std::optional<std::string> password;
    std::optional<std::string> brand;  // "OV" or "DL"
    bool save_sign_in = true;

    // Selection; empty: the automatic selection.
    std::string device;
    std::string card;
    bool hard_disk = false;
    std::optional<bool> format;
    std::optional<bool> backup;

    // Answers to the job's questions.
    AnswerBook answers;
    bool skip_self_update = false;
};

struct ParsedOptions {
    std::optional<CliOptions> options;  // nothing when the command line does not read
    std::string error;                  // why, in the words shown to the user
};

// Reads the arguments after the program name: an optional command ("run", "status", "help")
// and options as "--name value" or "--name=value".
ParsedOptions ParseCliOptions(const std::vector<std::string>& args);

// The text of --help.
std::string_view UsageText();

}  // namespace mapvale::cli

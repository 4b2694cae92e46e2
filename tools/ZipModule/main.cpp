// ZipModule: the outside unpacker. See unpacker.h for what it accepts and exit_code.h for its
// exit statuses.
//
//   ZipModule "archive" "destination folder"   extract into the folder
//   ZipModule "archive"                         extract into the program folder (self-update)

#include <cstdio>
#include <string>
#include <vector>

#include "ZipModule/command_line.h"
#include "ZipModule/exit_code.h"
#include "ZipModule/replacement_file.h"
#include "ZipModule/unpacker.h"

int main(int argc, char** argv) {
    using namespace mapvale::zipmodule;
    CleanUpOnTerminationSignals();
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string program_folder;
    if (args.size() == 1) {
        program_folder = ProgramFolder();
        if (program_folder.empty()) {
            std::fprintf(stderr, "ZipModule: cannot tell the program folder\n");
            return static_cast<int>(ExitCode::kWriteFailed);
        }
    }
    const ParsedCommandLine parsed = ParseCommandLine(args, program_folder);
    if (!parsed.ok) {
        std::fprintf(stderr, "ZipModule: %s\n", parsed.error.c_str());
        return static_cast<int>(ExitCode::kUsage);
    }
    const Outcome outcome = Unpack(parsed.invocation.archive, parsed.invocation.destination);
    if (!outcome.ok()) {
        std::fprintf(stderr, "ZipModule: %s\n", outcome.reason.c_str());
    }
    return static_cast<int>(outcome.code);
}

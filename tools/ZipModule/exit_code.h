#pragma once

#include <string>

namespace mapvale::zipmodule {

// The program's exit statuses. Callers rely on 0 and on 253 (the low byte of -3: "start me
// again in a few seconds"); every other value is a failure whose number says what went wrong.
enum class ExitCode : int {
    kOk = 0,
    kUsage = 1,         // wrong number of arguments, or an empty one
    kUnreadable = 2,    // the archive or one of its volumes is missing or cannot be read
    kBadArchive = 3,    // not a zip archive, or its directory is damaged or incomplete (a
                        // volume missing or cut short)
    kBadData = 4,       // a member's data fails its check: CRC, compressed stream or length
    kUnsafeMember = 5,  // a member name or link would leave the destination, or a name is not
                        // readable text
    kUnsupported = 6,   // an encrypted member or an unknown compression method
    kWriteFailed = 7,   // the destination cannot be created or written (disk full, rights)
    kTransient = 253,   // the archive is still being written, or its last volume is not there
                        // yet while the others are
};

// What one run came to. `reason` is one line of text for the standard error stream, empty on
// success.
struct Outcome {
    ExitCode code = ExitCode::kOk;
    std::string reason;

    bool ok() const { return code == ExitCode::kOk; }
};

}  // namespace mapvale::zipmodule

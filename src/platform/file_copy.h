#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string_view>

namespace mapvale::platform {

// What a copy's progress callback tells the copy to do next (PROGRESS_CONTINUE, PROGRESS_CANCEL,
// PROGRESS_QUIET).
enum class CopyProgressAction {
    kContinue,
    kCancel,  // stop now; the target is left as it was
    kQuiet,   // go on without further progress calls
};

// Called on the copying thread: once before the first byte is written (transferred 0) and after
// every chunk, the last call with transferred == total. An empty file gets exactly one call
// (0, 0). `total_bytes` is the source's size when the copy began (grown to what was copied when
// the source grew meanwhile). Must be fast; must not start another copy.
using CopyProgress =
    std::function<CopyProgressAction(std::uint64_t total_bytes, std::uint64_t transferred_bytes)>;

enum class CopyResult {
    kDone,
    kCancelled,    // the cancel flag or the callback stopped it
    kSourceError,  // the source could not be opened or read (missing, a folder, unreadable)
    kTargetError,  // the target could not be written: no folder, no room, read-only, device gone
};

struct CopyOutcome {
    CopyResult result = CopyResult::kDone;
    int error_number = 0;     // errno of the call that failed; 0 for kDone and kCancelled
    std::uint64_t bytes = 0;  // bytes written to the temporary file
};

// Copies the regular file `source` to `target` (CopyFileEx without flags): the target's folder
// must exist; an existing file under the target name is replaced, an existing folder is not.
//
// The bytes go to a new temporary file ".mvcopy-XXXXXX" in the target's folder, which is renamed
// over `target` only once everything was written, so `target` never holds a partial copy: a
// cancel, an error or a pulled card leaves the old target (or none). A failed or cancelled copy
// removes its temporary file; only a crash or a device that vanished mid-copy can leave one
// behind, and never under the target's name. The copy keeps the source's permission bits and
// modification time where the target's file system can hold them.
//
// Fast and flat: the kernel copies (copy_file_range) in chunks of kCopyChunkBytes; where it
// cannot, a read/write loop with one buffer of at most kCopyChunkBytes. Nothing is flushed to
// the device (see FlushFileSystem).
//
// `cancel` (may be null) is read before every chunk; a set flag ends the copy with kCancelled
// as a kCancel from `progress` does. `progress` may be empty.
//
// Thread safety: any thread; copies to different targets may run at the same time.
CopyOutcome CopyFileWithProgress(std::string_view source, std::string_view target,
                                 const CopyProgress& progress,
                                 const std::atomic<bool>* cancel = nullptr);

inline constexpr std::uint64_t kCopyChunkBytes = 4u << 20;

// Deletes the temporary files that copies into `folder` left behind when the program or the
// device went away mid-copy (regular files named exactly like CopyFileWithProgress's temporary
// files; nothing else, nothing in sub-folders). Returns how many were deleted. Must not run while
// a copy into the same folder is under way.
int SweepCopyLeftovers(std::string_view folder);

// Writes everything cached for the file system holding `path` to its device (syncfs), so a
// series of copies is on the card before the user is told it may be pulled. False when the
// path cannot be opened or the device reported a write error.
bool FlushFileSystem(std::string_view path);

}  // namespace mapvale::platform

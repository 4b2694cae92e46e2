#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace mapvale::platform {

// Path text. The programs write '/' everywhere: every '\' becomes '/' and doubled separators
// collapse to one, so "D:\\maps" and "D://maps" both read "D:/maps".
std::string NormalizePath(std::string_view path);
// NormalizePath, then a trailing '/' unless there is one (folder settings always end in one).
std::string NormalizeFolder(std::string_view path);
// `folder` and `name` joined by exactly one '/'.
std::string JoinPath(std::string_view folder, std::string_view name);

// A name that comes from a server, a card or an archive, made relative and checked: separators
// are normalised and "." components dropped. Nothing when the name would leave the folder it is
// meant for: empty, absolute ("/x"), with a drive prefix ("C:x"), with a ".." component, or with
// a NUL byte.
std::optional<std::string> SafeRelativePath(std::string_view name);
// JoinPath(folder, SafeRelativePath(name)), or nothing when the name is refused.
std::optional<std::string> SafeJoin(std::string_view folder, std::string_view name);

// Creates every folder of `path` in turn (each prefix up to a separator, then the whole path).
// True when the folder exists afterwards.
bool CreateFolderChain(std::string_view path);
// Deletes a folder with everything in it; links are removed, never followed. True when nothing
// remains.
bool DeleteFolderTree(std::string_view path);
// Deletes a file, first making it writable (the read-only attribute). True when it is gone,
// also when it was not there.
bool DeleteFileForce(std::string_view path);

bool FileExists(std::string_view path);
bool FolderExists(std::string_view path);
// Size in bytes of a regular file, or nothing.
std::optional<std::uint64_t> FileSize(std::string_view path);

// Writes all of `bytes` to the descriptor, going on after short writes and interruptions.
bool WriteFully(int fd, std::string_view bytes);

// Replaces `path` with `bytes` so that a crash leaves either the old or the new file, never a
// mix: a temporary file in the same folder, flushed to disk, renamed over the target, and the
// folder flushed. False (old file intact, no temporary left) when anything fails.
bool WriteFileAtomic(std::string_view path, std::string_view bytes);
// The same with the bytes written by `write` into the temporary file's descriptor as they come;
// nothing replaces the target unless `write` returns true.
bool WriteFileAtomicWith(std::string_view path, const std::function<bool(int fd)>& write);
// The whole content of a file, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(std::string_view path);

}  // namespace mapvale::platform

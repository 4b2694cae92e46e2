#pragma once

#include <functional>
#include <string>

namespace mapvale::app {

// Whether the running user may create and replace files in `folder`.
using FolderWriteTest = std::function<bool(const std::string& folder)>;

// The real test: `folder`, or its nearest existing parent when it does not exist yet, is
// writable and searchable for this process.
bool MayWriteFolder(const std::string& folder);

// <XDG cache home>/Velmora/TSKN_Waymark+/Product/ (XDG_CACHE_HOME defaulting to ~/.cache).
std::string PictureCacheFolder();

// Where sign-in keeps the product pictures: Product/ in the program folder, or `cache_folder`
// when `may_write` says the user cannot write there (a program folder the system owns). Null
// `may_write` takes MayWriteFolder. Ends in '/'.
std::string ProductPictureFolder(const std::string& program_folder, const std::string& cache_folder,
                                 const FolderWriteTest& may_write);

}  // namespace mapvale::app

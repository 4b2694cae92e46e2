#pragma once

#include <string>
#include <string_view>

#include "mapvale-servers/world.h"

namespace mapvale::servers {

// The notice of the update server: the tray agent fetches the code file, takes the number
// between the first and the second "#!#" and shows the page when the number differs from the
// one it stored last (a first run only stores it).
inline constexpr std::string_view kNoticeFolder = "/avn/Waymark/splash/";
inline constexpr std::string_view kNoticeCodeFile = "WebShpashEvent_Code.txt";
inline constexpr std::string_view kNoticePage = "index_plus.html";

// The program files a world's self-update deals in, relative to the program folder. Neither is
// a program: a demo that updates must never replace the programs it runs.
inline constexpr std::string_view kUpdateNoticeFile = "Info/Notice.txt";
inline constexpr std::string_view kUpdateGuideFile = "Info/UpdateGuide.html";  // as an archive

// Writes the update server's part of a world and the matching state of its program overlay:
//
// - Both patch areas (the updater's and the tray agent's) list the same entries behind a
//   "DlgView=true" line, and offer each entry's download twice, under its own name for the size
//   probe and under Patch/ for the download. The lists agree because both programs keep one
//   local list: an area with other entries would drop the other program's lines at every run.
// - The overlay holds the entries at version 1 and a local list naming them, so a program
//   folder made from it is current. With `offer_update` the areas list and offer version 2 of
//   both files, so a check finds an update.
// - `sources/self-update/` holds the files as the offered version installs them.
// - The notice code ("#!#1#!#") and the notice page (UTF-8 HTML).
//
// False, with `error` set, when a file cannot be written. The same arguments write the same
// bytes.
bool WriteUpdateServer(const WorldLayout& layout, bool offer_update, std::string& error);

}  // namespace mapvale::servers

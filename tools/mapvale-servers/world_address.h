#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "mapvale-servers/listen_address.h"

namespace mapvale::servers {

// Where the world keeps the sign-in screen's pages (find id, find password, maker's home).
inline constexpr std::string_view kSignInPages = "/pages";

// Info/Servers.ini for a program folder that talks to a world: every HTTP role at `address`, the
// traffic role at `traffic`, and the sign-in screen's pages on the content server.
std::string ServersIniText(const ListenAddress& address, const ListenAddress& traffic);

// Makes the text files of a content tree point at another address: every "http://<from>" in a
// file ending in .inf, .txt, .htm or .html becomes "http://<to>" (written through a temporary
// file), where <from> is not followed by a character that would continue a host or port and is
// not preceded by a CP949 lead byte. The number of files changed, or nothing with `error` set
// when one could not be rewritten. Files above 4 MB are not text files of a world and are left
// alone.
std::optional<int> RehostContent(const std::string& content_folder, const std::string& from,
                                 const std::string& to, std::string& error);

}  // namespace mapvale::servers

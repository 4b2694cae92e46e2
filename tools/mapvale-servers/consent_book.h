#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace mapvale::servers {

// The traffic-service choices users reported ("WMK/WMKChkTrainfo.mms"), which later sign-ins
// answer as the account's service flag. Kept for the life of the server.
//
// Thread safety: every member may be called from any thread.
class ConsentBook {
public:
    void Record(std::string_view user, std::string_view flag);
    // The last flag `user` reported, or nothing.
    std::optional<std::string> Find(std::string_view user) const;

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::string, std::less<>> flags_;
};

}  // namespace mapvale::servers

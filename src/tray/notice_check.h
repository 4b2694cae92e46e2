#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace mapvale::tray {

// The notice code of the update server's code file ("#!#<code>#!#"): section 1 read as a
// leading decimal number. Nothing when the text has no section 1 or its number is 0 or missing:
// 0 is what the agent stores for "no notice seen yet", so a broken file must not reset it.
std::optional<std::int32_t> ReadNoticeCode(std::string_view text);

// What a fetched code means against the stored one.
struct NoticeDecision {
    bool show_notice = false;
    std::optional<std::int32_t> code_to_store;
};

// The same code: nothing. Nothing stored yet (0): the code is stored silently (the first run
// sees whatever notice is current, it is not news). Another code: the notice is shown and the
// code stored.
NoticeDecision DecideNotice(std::int32_t fetched, std::int32_t stored);

}  // namespace mapvale::tray

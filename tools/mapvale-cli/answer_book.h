#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "controller/frame_ui.h"

namespace mapvale::cli {

// A reply a script gives to a question of the job.
enum class Reply { kYes, kNo, kCancel };

// "y", "yes", "예", "ok", "확인" → yes; "n", "no", "아니오", "아니요" → no; "c", "cancel", "취소" →
// cancel. Latin words in any case, blanks around ignored; nothing for any other word.
std::optional<Reply> ParseReply(std::string_view word);

// The button a reply presses in a box with `buttons`: cancel on a yes/no box is no, and a box
// with only OK is always OK.
controller::Answer ToAnswer(Reply reply, controller::Buttons buttons);

// The answers of a script: `--answers LIST`, then `--yes`/`--no` for every other question.
//
// LIST is comma-separated. A bare reply answers the next question that no caption rule
// answers, in order; "CAPTION=REPLY" answers every question with that caption (blanks in
// captions are ignored when comparing, so "재설치확인=no" names "재 설치 확인").
class AnswerBook {
public:
    AnswerBook() = default;

    // Nothing, with `error` saying which item, when an item does not read.
    static std::optional<AnswerBook> Parse(std::string_view list, std::string& error);

    // The reply to questions the list leaves open (--yes / --no); nothing: ask the terminal.
    void SetDefault(std::optional<Reply> reply) { default_ = reply; }

    // The scripted answer to a question, consuming a bare reply when one is used; nothing when
    // the script does not answer it. A box with only OK needs no answer and is always OK.
    std::optional<controller::Answer> Take(std::string_view caption, controller::Buttons buttons);

private:
    std::vector<std::pair<std::string, Reply>> by_caption_;
    std::deque<Reply> in_order_;
    std::optional<Reply> default_;
};

}  // namespace mapvale::cli

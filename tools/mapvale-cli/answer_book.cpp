#include "mapvale-cli/answer_book.h"

#include "platform/text.h"

namespace mapvale::cli {

namespace {

using controller::Answer;
using controller::Buttons;

std::string WithoutBlanks(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c != ' ' && c != '\t') {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace

std::optional<Reply> ParseReply(std::string_view word) {
    const std::string lower = platform::AsciiLower(platform::TrimText(word));
    if (lower == "y" || lower == "yes" || lower == "예" || lower == "ok" || lower == "확인") {
        return Reply::kYes;
    }
    if (lower == "n" || lower == "no" || lower == "아니오" || lower == "아니요") {
        return Reply::kNo;
    }
    if (lower == "c" || lower == "cancel" || lower == "취소") {
        return Reply::kCancel;
    }
    return std::nullopt;
}

Answer ToAnswer(Reply reply, Buttons buttons) {
    switch (buttons) {
        case Buttons::kOk:
            return Answer::kOk;
        case Buttons::kYesNo:
            return reply == Reply::kYes ? Answer::kYes : Answer::kNo;
        case Buttons::kOkCancel:
            return reply == Reply::kYes ? Answer::kOk : Answer::kCancel;
        case Buttons::kYesNoCancel:
            break;
    }
    switch (reply) {
        case Reply::kYes:
            return Answer::kYes;
        case Reply::kNo:
            return Answer::kNo;
        case Reply::kCancel:
            return Answer::kCancel;
    }
    return Answer::kCancel;
}

std::optional<AnswerBook> AnswerBook::Parse(std::string_view list, std::string& error) {
    AnswerBook book;
    if (platform::TrimText(list).empty()) {
        return book;
    }
    for (const std::string_view item : platform::SplitFields(list, ',')) {
        const std::size_t equals = item.rfind('=');
        const std::string_view word =
            equals == std::string_view::npos ? item : item.substr(equals + 1);
        const std::optional<Reply> reply = ParseReply(word);
        if (!reply) {
            error = std::string(platform::TrimText(item));
            return std::nullopt;
        }
        if (equals == std::string_view::npos) {
            book.in_order_.push_back(*reply);
            continue;
        }
        const std::string caption = WithoutBlanks(item.substr(0, equals));
        if (caption.empty()) {
            error = std::string(platform::TrimText(item));
            return std::nullopt;
        }
        book.by_caption_.emplace_back(caption, *reply);
    }
    return book;
}

std::optional<Answer> AnswerBook::Take(std::string_view caption, Buttons buttons) {
    if (buttons == Buttons::kOk) {
        return Answer::kOk;
    }
    const std::string key = WithoutBlanks(caption);
    for (const auto& [rule_caption, reply] : by_caption_) {
        if (!key.empty() && rule_caption == key) {
            return ToAnswer(reply, buttons);
        }
    }
    if (!in_order_.empty()) {
        const Reply reply = in_order_.front();
        in_order_.pop_front();
        return ToAnswer(reply, buttons);
    }
    if (default_) {
        return ToAnswer(*default_, buttons);
    }
    return std::nullopt;
}

}  // namespace mapvale::cli

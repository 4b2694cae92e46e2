// The console front end's command line and its scripted answers.

#include "mapvale-cli/cli_options.h"

#include <gtest/gtest.h>

namespace mapvale::cli {
namespace {

using controller::Answer;
using controller::Buttons;

CliOptions Parse(const std::vector<std::string>& args) {
    const ParsedOptions parsed = ParseCliOptions(args);
    EXPECT_TRUE(parsed.options.has_value()) << parsed.error;
    return parsed.options.value_or(CliOptions{});
}

std::string ErrorOf(const std::vector<std::string>& args) {
    const ParsedOptions parsed = ParseCliOptions(args);
    EXPECT_FALSE(parsed.options.has_value());
    return parsed.error;
}

TEST(CliOptionsTest, ReadsCommandsAndBothValueForms) {
    EXPECT_EQ(Parse({}).command, Command::kRun);
    EXPECT_EQ(Parse({"status"}).command, Command::kStatus);
    EXPECT_EQ(Parse({"run", "--help", "--bogus"}).command, Command::kHelp);
    EXPECT_EQ(Parse({"help"}).command, Command::kHelp);

    const CliOptions options =
        Parse({"--program-folder", "/opt/p", "--data-folder=/d", "--settings-dir", "/s", "--user",
               "hong", "--password=", "--brand", "dl", "--device", "2", "--card=E:", "--no-save",
               "--skip-self-update", "--no-format"});
    EXPECT_EQ(options.program_folder, "/opt/p");
    EXPECT_EQ(options.data_folder, "/d");
    EXPECT_EQ(options.settings_folder, "/s");
    EXPECT_EQ(options.user, "hong");
    EXPECT_EQ(options.password, "");  // an empty password is the user's to give
    EXPECT_EQ(options.brand, "DL");
    EXPECT_EQ(options.device, "2");
    EXPECT_EQ(options.card, "E:");
    EXPECT_FALSE(options.save_sign_in);
    EXPECT_TRUE(options.skip_self_update);
    EXPECT_EQ(options.format, false);
    EXPECT_FALSE(options.backup.has_value());
    // A value may itself start with "--".
    EXPECT_EQ(Parse({"--password", "--odd--"}).password, "--odd--");
}

TEST(CliOptionsTest, RefusesWhatCannotBeMeant) {
    EXPECT_NE(ErrorOf({"install"}).find("install"), std::string::npos);
    EXPECT_NE(ErrorOf({"--frobnicate"}).find("--frobnicate"), std::string::npos);
    EXPECT_FALSE(ErrorOf({"--user"}).empty());        // value missing
    EXPECT_FALSE(ErrorOf({"--device", ""}).empty());  // empty value
    EXPECT_FALSE(ErrorOf({"--yes=1"}).empty());       // flag with a value
    EXPECT_FALSE(ErrorOf({"--brand", "XY"}).empty());
    EXPECT_FALSE(ErrorOf({"--yes", "--no"}).empty());
    EXPECT_FALSE(ErrorOf({"--format", "--no-format"}).empty());
    EXPECT_FALSE(ErrorOf({"--card", "E", "--hard-disk"}).empty());
    EXPECT_FALSE(ErrorOf({"--no-format", "--backup"}).empty());
    EXPECT_NE(ErrorOf({"--answers", "yes,perhaps"}).find("perhaps"), std::string::npos);
    EXPECT_FALSE(ErrorOf({"--answers", "=no"}).empty());  // a rule without a caption
}

TEST(CliOptionsTest, UsageNamesEveryOption) {
    const std::string_view usage = UsageText();
    for (const char* option : {"--program-folder",
                               "--settings-dir",
                               "--data-folder",
                               "--user",
                               "--password",
                               "--brand",
                               "--no-save",
                               "--device",
                               "--card",
                               "--hard-disk",
                               "--format",
                               "--no-format",
                               "--backup",
                               "--no-backup",
                               "--yes",
                               "--no",
                               "--answers",
                               "--skip-self-update",
                               "status",
                               "130"}) {
        EXPECT_NE(usage.find(option), std::string_view::npos) << option;
    }
}

TEST(AnswerBookTest, ReadsRepliesInEveryAcceptedSpelling) {
    for (const char* yes : {"y", "YES", " 예 ", "ok", "확인"}) {
        EXPECT_EQ(ParseReply(yes), Reply::kYes) << yes;
    }
    for (const char* no : {"n", "No", "아니오", "아니요"}) {
        EXPECT_EQ(ParseReply(no), Reply::kNo) << no;
    }
    for (const char* cancel : {"c", "CANCEL", "취소"}) {
        EXPECT_EQ(ParseReply(cancel), Reply::kCancel) << cancel;
    }
    EXPECT_EQ(ParseReply(""), std::nullopt);
    EXPECT_EQ(ParseReply("yess"), std::nullopt);
    // A cancel on a box without a cancel button is a no; a box with OK only is always OK.
    EXPECT_EQ(ToAnswer(Reply::kCancel, Buttons::kYesNo), Answer::kNo);
    EXPECT_EQ(ToAnswer(Reply::kCancel, Buttons::kYesNoCancel), Answer::kCancel);
    EXPECT_EQ(ToAnswer(Reply::kNo, Buttons::kOk), Answer::kOk);
}

TEST(AnswerBookTest, CaptionRulesFirstThenTheListInOrderThenTheDefault) {
    std::string error;
    auto book = AnswerBook::Parse("no, 재설치 확인 = yes ,cancel", error);
    ASSERT_TRUE(book.has_value()) << error;
    book->SetDefault(Reply::kYes);
    // The rule answers every question of its caption, blanks ignored, and uses up nothing.
    EXPECT_EQ(book->Take("재 설치 확인", Buttons::kYesNo), Answer::kYes);
    EXPECT_EQ(book->Take("재 설치 확인", Buttons::kYesNo), Answer::kYes);
    EXPECT_EQ(book->Take("메모리카드 확인", Buttons::kYesNo), Answer::kNo);
    EXPECT_EQ(book->Take("", Buttons::kYesNoCancel), Answer::kCancel);
    EXPECT_EQ(book->Take("포맷 확인", Buttons::kYesNo), Answer::kYes);  // the default
    // An OK box is not a question: it takes nothing from the list.
    auto plain = AnswerBook::Parse("no", error);
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(plain->Take("", Buttons::kOk), Answer::kOk);
    EXPECT_EQ(plain->Take("", Buttons::kYesNo), Answer::kNo);
    EXPECT_EQ(plain->Take("", Buttons::kYesNo), std::nullopt);  // nobody answers: ask a person
}

}  // namespace
}  // namespace mapvale::cli

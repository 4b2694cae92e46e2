#include "app/log_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "platform/fake_clock.h"
#include "support/sandbox.h"

namespace mapvale::app {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

const std::string kNewBlock(67, '=');
const std::string kRotatedBlock(63, '=');
constexpr auto kOffset = std::chrono::hours(9);
// A line as an earlier run left it.
std::string Earlier(const std::string& text) {
    return "23:00:00.00> " + text + "\n";
}

class LogFileTest : public ::testing::Test {
  protected:
    // Local time runs 9 hours ahead of UTC, so late local evenings and early local mornings fall
    // on another UTC date than the local one.
    LogFileTest() {
        clock_.SetUtcOffset(kOffset);
        clock_.SetLocal(2024, 5, 10);
    }

    static void SetFileTime(const std::string& file, std::int64_t seconds_since_1970) {
        fs::last_write_time(file, std::chrono::file_clock::from_sys(std::chrono::sys_seconds(
                                      std::chrono::seconds(seconds_since_1970))));
    }

    // Gives `file` the modification time of a local wall time.
    static void SetWritten(const std::string& file, int year, int month, int day, int hour = 12,
                           int minute = 0) {
        platform::FakeClock at;
        at.SetUtcOffset(kOffset);
        at.SetLocal(year, month, day, hour, minute);
        SetFileTime(file, at.Now());
    }

    // LogLine as under a real clock: the file's modification time is the clock's now.
    void Write(LogFile& log, const char* text) {
        LogLine(&log, "%s", text);
        SetFileTime(log.path(), clock_.Now());
    }

    // The lines of a log with their time prefixes checked for shape and dropped.
    static std::vector<std::string> Lines(const std::string& file) {
        std::vector<std::string> lines;
        std::istringstream in(testing::Sandbox::Read(file));
        for (std::string line; std::getline(in, line);) {
            if (line.size() < 13) {
                ADD_FAILURE() << "no time prefix: " << line;
                lines.push_back(line);
                continue;
            }
            EXPECT_EQ(
                line.substr(2, 1) + line.substr(5, 1) + line.substr(8, 1) + line.substr(11, 2),
                "::.> ")
                << line;
            lines.push_back(line.substr(13));
        }
        return lines;
    }

    testing::Sandbox sandbox_;
    platform::FakeClock clock_;
};

TEST_F(LogFileTest, NewLogBeginsWithBlockAndDeletesThroughTheCalendar) {
    struct Case {
        int year, month, day;
        std::string today, expired, kept;
    };
    const Case cases[] = {
        {2024, 5, 10, "20240510", "20240503", "20240504"},
        {2024, 3, 2, "20240302", "20240224", "20240225"},  // across a leap February
        {2024, 1, 3, "20240103", "20231227", "20231228"},  // across a year
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.today);
        const std::string folder = sandbox_.Path(c.today);
        const std::string expired = sandbox_.Write(c.today + "/tra.log." + c.expired, "old");
        const std::string kept = sandbox_.Write(c.today + "/tra.log." + c.kept, "old");
        clock_.SetLocal(c.year, c.month, c.day);
        LogFile log(folder, "tra.log", 7, clock_);
        EXPECT_EQ(log.path(), folder + "/tra.log");

        Write(log, "first");
        Write(log, "second");

        EXPECT_THAT(Lines(log.path()),
                    ElementsAre(kNewBlock, "로그가 시작되었습니다. 일자:" + c.today,
                                " Remove:[" + expired + "]", kNewBlock, "first", "second"));
        EXPECT_FALSE(fs::exists(expired));
        EXPECT_TRUE(fs::exists(kept));
    }
}

TEST_F(LogFileTest, RotatesAtTheFirstLineOfANewLocalDay) {
    LogFile log(sandbox_.Path(), "tra.log", 7, clock_);
    const std::string expired = sandbox_.Write("tra.log.20240401", "old");
    sandbox_.Write("tra.log", Earlier("earlier"));
    // 01:00 local on the 10th is still the 9th in UTC: the same local day, no rotation.
    SetWritten(log.path(), 2024, 5, 10, 1);
    LogLine(&log, "same day %d", 1);
    EXPECT_TRUE(testing::Sandbox::Read(log.path()).starts_with(Earlier("earlier")));
    EXPECT_THAT(Lines(log.path()), ElementsAre("earlier", "same day 1"));

    SetWritten(log.path(), 2024, 5, 9, 23, 30);
    LogLine(&log, "%s %d", "next day", 2);

    const std::string rotated = log.path() + ".20240509";
    EXPECT_THAT(Lines(rotated), ElementsAre("earlier", "same day 1"));
    EXPECT_THAT(Lines(log.path()),
                ElementsAre(kRotatedBlock, "로그가 시작되었습니다. 일자:20240510",
                            " After :[" + log.path() + "]", " Before:[" + rotated + "]",
                            " Remove:[" + expired + "]", kRotatedBlock, "next day 2"));
    EXPECT_FALSE(fs::exists(expired));
}

TEST_F(LogFileTest, AnExistingRotatedNameKeepsWritingInTheCurrentLog) {
    LogFile log(sandbox_.Path(), "tra.log", 7, clock_);
    const std::string rotated = sandbox_.Write("tra.log.20240509", "kept\n");
    sandbox_.Write("tra.log", Earlier("current"));
    SetWritten(log.path(), 2024, 5, 9);

    LogLine(&log, "line");

    EXPECT_EQ(testing::Sandbox::Read(rotated), "kept\n");
    EXPECT_THAT(Lines(log.path()), ElementsAre("current", "line"));
}

TEST_F(LogFileTest, KeepDaysZeroOrHugeDeletesNothing) {
    LogFile log(sandbox_.Path(), "tra.log", 0, clock_);
    const std::string old = sandbox_.Write("tra.log.20200101", "old");
    sandbox_.Write("tra.log", Earlier("current"));
    SetWritten(log.path(), 2024, 5, 9);

    LogLine(&log, "line");

    EXPECT_TRUE(fs::exists(old));
    EXPECT_TRUE(fs::exists(log.path() + ".20240509"));
    EXPECT_THAT(Lines(log.path()),
                ElementsAre(kRotatedBlock, "로그가 시작되었습니다. 일자:20240510",
                            " After :[" + log.path() + "]", " Before:[" + log.path() + ".20240509]",
                            kRotatedBlock, "line"));

    // A keep days reaching before year 1 has nothing to delete either.
    LogFile huge(sandbox_.Path("huge"), "tra.log", std::numeric_limits<int>::max(), clock_);
    const std::string oldest = sandbox_.Write("huge/tra.log.00010101", "old");
    LogLine(&huge, "line");
    EXPECT_TRUE(fs::exists(oldest));
    EXPECT_THAT(Lines(huge.path()),
                ElementsAre(kNewBlock, "로그가 시작되었습니다. 일자:20240510", kNewBlock, "line"));
}

TEST_F(LogFileTest, NegativeKeepDaysNeverRotates) {
    LogFile fresh(sandbox_.Path("a"), "tra.log", -1, clock_);
    fs::create_directory(fresh.folder());
    LogLine(&fresh, "only");
    EXPECT_THAT(Lines(fresh.path()), ElementsAre("only"));

    LogFile old(sandbox_.Path("b"), "tra.log", -1, clock_);
    const std::string expired = sandbox_.Write("b/tra.log.20200101", "old");
    sandbox_.Write("b/tra.log", Earlier("current"));
    SetWritten(old.path(), 2024, 5, 9);
    LogLine(&old, "line");
    EXPECT_THAT(Lines(old.path()), ElementsAre("current", "line"));
    EXPECT_FALSE(fs::exists(old.path() + ".20240509"));
    EXPECT_TRUE(fs::exists(expired));
}

TEST_F(LogFileTest, CleanUpDeletesOnlyRotatedLogs) {
    const std::vector<std::string> others = {
        "tra.log.bak",       "tra.logger",          "tra.log.2024050",
        "tra.log.202405031", "tra.log.20240101.gz", "tra.log.20231399",
        "tra.log.2023-1-1x", "other.20240101",      "tra.lo.20240101",
    };
    for (const std::string& name : others) {
        sandbox_.Write(name, "keep");
    }
    fs::create_directory(sandbox_.Path("tra.log.20240102"));
    const std::string expired = sandbox_.Write("tra.log.20240101", "old");
    LogFile log(sandbox_.Path(), "tra.log", 7, clock_);

    LogLine(&log, "line");

    EXPECT_FALSE(fs::exists(expired));
    EXPECT_TRUE(fs::is_directory(sandbox_.Path("tra.log.20240102")));
    for (const std::string& name : others) {
        EXPECT_EQ(testing::Sandbox::Read(sandbox_.Path(name)), "keep") << name;
    }
}

TEST_F(LogFileTest, PrefixIsTheUtcTimeInHundredths) {
    LogFile log(sandbox_.Path(), "tra.log", 7, clock_);
    // 2024-05-10 09:05:03.125 UTC, then 23:59:59.999 UTC.
    clock_.SetNowMs(1715331903125);
    LogText(&log, "one");
    clock_.SetNowMs(1715385599999);
    LogText(&log, "");
    // LogText neither starts nor rotates a log.
    EXPECT_EQ(testing::Sandbox::Read(log.path()), "09:05:03.12> one\n23:59:59.99> \n");
}

TEST_F(LogFileTest, LongLinesAreWrittenWhole) {
    LogFile log(sandbox_.Path(), "tra.log", -1, clock_);
    std::string big(100 * 1024, 'x');
    big[0] = 'A';
    big.back() = 'Z';

    LogLine(&log, "%s|%d", big.c_str(), 7);
    LogText(&log, big);

    EXPECT_THAT(Lines(log.path()), ElementsAre(big + "|7", big));
}

TEST_F(LogFileTest, NullLogOrEmptyPathWritesNothing) {
    LogLine(nullptr, "%d", 1);
    LogText(nullptr, "text");
    for (const char* base : {"", ".", "..", "sub/tra.log"}) {
        LogFile log(sandbox_.Path(), base, 7, clock_);
        EXPECT_EQ(log.path(), "") << base;
        LogLine(&log, "%d", 1);
        LogText(&log, "text");
    }
    LogFile no_folder("", "tra.log", 7, clock_);
    EXPECT_EQ(no_folder.path(), "");
    EXPECT_TRUE(fs::is_empty(sandbox_.path()));
}

// Permission failures cannot be staged for a user who passes every permission check.
TEST_F(LogFileTest, FailedRenameKeepsWritingInTheCurrentLog) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root ignores folder permissions";
    }
    LogFile log(sandbox_.Path(), "tra.log", 7, clock_);
    sandbox_.Write("tra.log", Earlier("current"));
    SetWritten(log.path(), 2024, 5, 9);
    fs::permissions(sandbox_.path(), fs::perms::owner_read | fs::perms::owner_exec);

    LogLine(&log, "line");

    fs::permissions(sandbox_.path(), fs::perms::owner_all);
    EXPECT_THAT(Lines(log.path()), ElementsAre("current", "line"));
    EXPECT_FALSE(fs::exists(log.path() + ".20240509"));
}

TEST_F(LogFileTest, FolderThatCannotBeListedIsLogged) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root ignores folder permissions";
    }
    LogFile log(sandbox_.Path(), "tra.log", 7, clock_);
    const std::string old = sandbox_.Write("tra.log.20200101", "old");
    fs::permissions(sandbox_.path(), fs::perms::owner_write | fs::perms::owner_exec);

    LogLine(&log, "line");

    fs::permissions(sandbox_.path(), fs::perms::owner_all);
    EXPECT_THAT(Lines(log.path()),
                ElementsAre(kNewBlock, "로그가 시작되었습니다. 일자:20240510",
                            "[LOG] Open Path Err ![" + sandbox_.Path() + "]", kNewBlock, "line"));
    EXPECT_TRUE(fs::exists(old));
}

}  // namespace
}  // namespace mapvale::app

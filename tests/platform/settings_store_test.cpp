#include "platform/settings_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/sandbox.h"
#include "support/test_child.h"

extern char** environ;

namespace mapvale::platform {
namespace {

using mapvale::testing::Sandbox;
using mapvale::testing::WaitUntil;
namespace fs = std::filesystem;

constexpr SettingsRoot kUser = SettingsRoot::kUser;
constexpr SettingsRoot kMachine = SettingsRoot::kMachine;

std::vector<std::string> NamesStartingWith(const fs::path& folder, const std::string& prefix) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Starts the test program itself as child `name`; the process launcher of the platform layer is
// not used so that these tests depend on nothing but the store.
pid_t StartChild(const std::string& name, const std::vector<std::string>& args) {
    std::vector<std::string> all{mapvale::testing::SelfPath()};
    for (const std::string& arg : mapvale::testing::ChildArguments(name, args)) {
        all.push_back(arg);
    }
    std::vector<char*> argv;
    for (std::string& arg : all) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, all[0].c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    return pid;
}

int WaitForExit(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// args: folder, tag, count, barrier folder, number of writers. Writes "v<i>" = i under
// "Software\Race\<tag>" and "<tag><i>" under the shared key "Software\Race\Shared".
MAPVALE_TEST_CHILD(settings_writer) {
    const fs::path barrier = args.at(3);
    std::ofstream(barrier / args.at(1)).put('1');
    const std::size_t writers = std::stoul(args.at(4));
    // Start together so that the writes really interleave; going ahead alone is still correct.
    WaitUntil([&] { return NamesStartingWith(barrier, "").size() >= writers; });
    FileSettingsStore store(args.at(0));
    const int count = std::stoi(args.at(2));
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        const bool ok = i % 2 == 0
                            ? store.SetDword(kUser, "Software\\Race\\" + args[1], "v" + n,
                                             static_cast<std::uint32_t>(i))
                            : store.SetString(kUser, "Software\\Race\\Shared", args[1] + n, n);
        if (!ok) {
            return 1;
        }
    }
    return 0;
}

// args: folder. With a file size limit below what the write needs, the write must fail cleanly.
MAPVALE_TEST_CHILD(settings_size_limited) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 256;
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        return 2;
    }
    FileSettingsStore store(args.at(0));
    return store.SetString(kUser, "Software\\Big", "V", std::string(4096, 'x')) ? 1 : 0;
}

TEST(FileSettingsStoreTest, WritesTheExportSyntaxAndReadsTypedValues) {
    Sandbox box;
    FileSettingsStore store(box.path());
    ASSERT_TRUE(store.SetString(kUser, "Software\\VELMORA\\TSKN_Waymark+\\USER", "ID", "abc"));
    ASSERT_TRUE(store.SetDword(kUser, "Software\\VELMORA\\TSKN_Waymark+\\USER", "SAVE", 1));
    ASSERT_TRUE(store.SetDword(kMachine, "SOFTWARE\\Uninstall", "Version", 0xFFFFFFFFu));
    EXPECT_EQ(Sandbox::Read(store.FileOf(kUser)),
              "Windows Registry Editor Version 5.00\n\n"
              "[Software\\VELMORA\\TSKN_Waymark+\\USER]\n"
              "\"ID\"=\"abc\"\n"
              "\"SAVE\"=dword:00000001\n\n");
    EXPECT_EQ(store.FileOf(kMachine), box.path() / "machine.reg");

    FileSettingsStore fresh(box.path());
    const std::string key = "Software\\VELMORA\\TSKN_Waymark+\\USER";
    EXPECT_EQ(fresh.GetString(kUser, key, "ID"), "abc");
    EXPECT_EQ(fresh.GetDword(kUser, key, "SAVE"), 1u);
    EXPECT_EQ(fresh.GetDword(kMachine, "SOFTWARE\\Uninstall", "Version"), 0xFFFFFFFFu);
    // Typed reads: the other type finds nothing, as does the other root.
    EXPECT_FALSE(fresh.GetDword(kUser, key, "ID"));
    EXPECT_FALSE(fresh.GetString(kUser, key, "SAVE"));
    EXPECT_FALSE(fresh.GetString(kMachine, key, "ID"));
    // Writing the other type replaces the value in place.
    ASSERT_TRUE(fresh.SetString(kUser, key, "SAVE", "now text"));
    EXPECT_FALSE(fresh.GetDword(kUser, key, "SAVE"));
    EXPECT_EQ(store.GetString(kUser, key, "SAVE"), "now text");
}

TEST(FileSettingsStoreTest, NamesIgnoreAsciiCaseKeepTheFirstSpellingAndTheOrderWritten) {
    Sandbox box;
    FileSettingsStore store(box.path());
    ASSERT_TRUE(store.SetString(kUser, "Software\\VELMORA\\App\\USER", "Id", "first"));
    ASSERT_TRUE(store.SetDword(kUser, "Software\\Velmora\\App\\PATH", "z", 1));
    ASSERT_TRUE(store.SetDword(kUser, "software\\velmora\\app\\user", "Save", 2));
    ASSERT_TRUE(store.SetString(kUser, "SOFTWARE\\VELMORA\\APP\\USER", "ID", "second"));
    ASSERT_TRUE(store.SetDword(kUser, "Software\\VELMORA\\App\\PATH", "a", 3));
    ASSERT_TRUE(store.SetDword(kUser, "\\Software\\\\Other\\", "x", 4));

    EXPECT_EQ(store.GetString(kUser, "software\\velmora\\APP\\user", "iD"), "second");
    EXPECT_EQ(store.GetDword(kUser, "Software\\Other", "X"), 4u);
    EXPECT_TRUE(store.KeyExists(kUser, "SOFTWARE\\velmora"));
    EXPECT_EQ(Sandbox::Read(store.FileOf(kUser)),
              "Windows Registry Editor Version 5.00\n\n"
              "[Software\\VELMORA\\App\\USER]\n"
              "\"Id\"=\"second\"\n"
              "\"Save\"=dword:00000002\n\n"
              "[Software\\VELMORA\\App\\PATH]\n"
              "\"z\"=dword:00000001\n"
              "\"a\"=dword:00000003\n\n"
              "[Software\\Other]\n"
              "\"x\"=dword:00000004\n\n");
    // Only ASCII letters fold.
    ASSERT_TRUE(store.SetDword(kUser, "Software\\Ä", "n", 1));
    EXPECT_FALSE(store.KeyExists(kUser, "Software\\ä"));
}

TEST(FileSettingsStoreTest, AnyStringRoundTripsAndTheFileStaysOneLinePerValue) {
    const std::vector<std::string> nasty = {
        "",
        "say \"hi\"",
        "C:\\Program Files\\",
        "\\",
        "line1\nline2\r\nline3",
        "tab\there",
        "]",
        "=",
        "[Software\\Fake]",
        "\"x\"=\"y\"",
        "@=dword:00000001",
        "한국어 텍스트 지도",
        std::string("nul\0byte", 8),
        "\x01\x1f\x7f",
        "\xff\xfe not UTF-8 \xc3",
        " spaces around ",
        "\\x41 is not an escape here",
    };
    Sandbox box;
    {
        FileSettingsStore store(box.path());
        for (std::size_t i = 0; i < nasty.size(); ++i) {
            ASSERT_TRUE(
                store.SetString(kUser, "Software\\Nasty", "v" + std::to_string(i), nasty[i]));
            // The same strings as value names; the empty name is the key's unnamed value.
            ASSERT_TRUE(
                store.SetDword(kUser, "Software\\Names", nasty[i], static_cast<std::uint32_t>(i)));
        }
    }
    FileSettingsStore fresh(box.path());
    for (std::size_t i = 0; i < nasty.size(); ++i) {
        EXPECT_EQ(fresh.GetString(kUser, "Software\\Nasty", "v" + std::to_string(i)), nasty[i])
            << i;
        EXPECT_EQ(fresh.GetDword(kUser, "Software\\Names", nasty[i]), i) << i;
    }
    const std::string text = Sandbox::Read(fresh.FileOf(kUser));
    // header, blank, two sections of (section line, values, blank)
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'),
              static_cast<std::ptrdiff_t>(2 + 2 * (nasty.size() + 2)));
    for (char c : text) {
        EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << int(c);
        EXPECT_NE(c, '\x7f');
    }
    EXPECT_NE(text.find("\"v11\"=\"한국어 텍스트 지도\""), std::string::npos);  // readable as is
    EXPECT_NE(text.find("@=dword:00000000"), std::string::npos);
    EXPECT_EQ(text.find('\xff'), std::string::npos);
}

TEST(FileSettingsStoreTest, ReadsHandWrittenFilesInTheExportSyntax) {
    Sandbox box;
    box.Write("user.reg",
              "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
              "[Software\\Hand]\r\n"
              "@=\"unnamed\"\r\n"
              "  \"Spaced\" = dword:0000001A  \r\n"
              "\"Upper\"=DWORD:FFFFFFFF\r\n"
              "\"Short\"=dword:7\r\n"
              "\"Twice\"=\"old\"\r\n"
              "\"Twice\"=\"new\"\r\n"
              "[Software\\Empty]\r\n"
              "[Software\\Hand]\r\n"
              "\"Later\"=\"merged\"\r\n");
    FileSettingsStore store(box.path());
    EXPECT_EQ(store.GetString(kUser, "Software\\Hand", ""), "unnamed");
    EXPECT_EQ(store.GetDword(kUser, "Software\\Hand", "spaced"), 0x1Au);
    EXPECT_EQ(store.GetDword(kUser, "Software\\Hand", "Upper"), 0xFFFFFFFFu);
    EXPECT_EQ(store.GetDword(kUser, "Software\\Hand", "Short"), 7u);
    EXPECT_EQ(store.GetString(kUser, "Software\\Hand", "Twice"), "new");
    EXPECT_EQ(store.GetString(kUser, "Software\\Hand", "Later"), "merged");
    EXPECT_TRUE(store.KeyExists(kUser, "Software\\Empty"));

    // Nothing in it was unreadable, so it is replaced without a copy, and the empty key stays.
    ASSERT_TRUE(store.SetDword(kUser, "Software\\Hand", "Spaced", 2));
    EXPECT_TRUE(NamesStartingWith(box.path(), "user.reg.unreadable").empty());
    FileSettingsStore fresh(box.path());
    EXPECT_TRUE(fresh.KeyExists(kUser, "Software\\Empty"));
    EXPECT_EQ(fresh.GetDword(kUser, "Software\\Hand", "Upper"), 0xFFFFFFFFu);
}

TEST(FileSettingsStoreTest, DeletingKeysAndValues) {
    Sandbox box;
    FileSettingsStore store(box.path());
    ASSERT_TRUE(store.SetDword(kUser, "A\\B", "v", 1));
    ASSERT_TRUE(store.SetDword(kUser, "A\\B\\C\\D", "v", 2));
    ASSERT_TRUE(store.SetDword(kUser, "A\\BC", "v", 3));  // a sibling sharing the prefix
    ASSERT_TRUE(store.SetDword(kUser, "A\\X", "only", 4));

    EXPECT_TRUE(store.KeyExists(kUser, "A"));        // has only sub-keys
    EXPECT_TRUE(store.KeyExists(kUser, "a\\b\\c"));  // the same
    EXPECT_TRUE(store.KeyExists(kUser, ""));         // the root
    EXPECT_FALSE(store.KeyExists(kUser, "A\\B\\C\\D\\E"));

    ASSERT_TRUE(store.DeleteKey(kUser, "a\\b"));
    EXPECT_FALSE(store.KeyExists(kUser, "A\\B"));
    EXPECT_FALSE(store.KeyExists(kUser, "A\\B\\C\\D"));
    EXPECT_FALSE(store.GetDword(kUser, "A\\B\\C\\D", "v"));
    EXPECT_EQ(store.GetDword(kUser, "A\\BC", "v"), 3u);
    EXPECT_FALSE(store.DeleteKey(kUser, "A\\B"));
    EXPECT_FALSE(store.DeleteKey(kUser, ""));

    // Deleting the last value leaves the key, empty, and it survives a reload.
    EXPECT_FALSE(store.DeleteValue(kUser, "A\\X", "missing"));
    ASSERT_TRUE(store.DeleteValue(kUser, "A\\X", "ONLY"));
    EXPECT_FALSE(store.DeleteValue(kUser, "A\\X", "only"));
    EXPECT_FALSE(store.DeleteValue(kUser, "No\\Such", "only"));
    FileSettingsStore fresh(box.path());
    EXPECT_TRUE(fresh.KeyExists(kUser, "A\\X"));
    EXPECT_FALSE(fresh.GetDword(kUser, "A\\X", "only"));
    EXPECT_TRUE(fresh.KeyExists(kUser, "A"));
}

TEST(FileSettingsStoreTest, RefusesKeysItCouldNotReadBack) {
    Sandbox box;
    FileSettingsStore store(box.path());
    EXPECT_FALSE(store.SetDword(kUser, "", "v", 1));
    EXPECT_FALSE(store.SetDword(kUser, "\\\\", "v", 1));
    EXPECT_FALSE(store.SetDword(kUser, "-Software\\X", "v", 1));
    EXPECT_FALSE(store.SetString(kUser, "Software\\Line\nBreak", "v", "x"));
    EXPECT_TRUE(store.SetDword(kUser, "Software\\-Dash", "v", 1));
    EXPECT_FALSE(fs::exists(store.FileOf(kMachine)));
}

TEST(FileSettingsStoreTest, ReadsSeeWritesOfAnotherStoreWithoutReopening) {
    Sandbox box;
    const fs::path folder = box.path() / "new" / "registry";
    FileSettingsStore reader(folder);
    EXPECT_FALSE(reader.GetString(kUser, "Software\\K", "v"));
    EXPECT_FALSE(fs::exists(folder));  // reads create nothing

    FileSettingsStore writer(folder);
    ASSERT_TRUE(writer.SetString(kUser, "Software\\K", "v", "one"));
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(reader.GetString(kUser, "Software\\K", "v"), "one");
    ASSERT_TRUE(writer.SetString(kUser, "Software\\K", "v", "two"));
    EXPECT_EQ(reader.GetString(kUser, "Software\\K", "v"), "two");
    ASSERT_TRUE(reader.SetDword(kUser, "Software\\K", "n", 5));
    EXPECT_EQ(writer.GetDword(kUser, "Software\\K", "n"), 5u);

    // Edited in place by a person, then removed.
    box.Write("new/registry/user.reg", "[Software\\K]\n\"v\"=\"edited by hand\"\n");
    EXPECT_EQ(reader.GetString(kUser, "Software\\K", "v"), "edited by hand");
    EXPECT_FALSE(reader.GetDword(kUser, "Software\\K", "n"));
    fs::remove(writer.FileOf(kUser));
    EXPECT_FALSE(reader.KeyExists(kUser, "Software\\K"));
}

TEST(FileSettingsStoreTest, TwoProcessesWritingAtOnceLoseNothing) {
    Sandbox box;
    const std::string folder = box.Path("registry");
    fs::create_directories(box.path() / "barrier");
    FileSettingsStore observer(folder);
    EXPECT_FALSE(observer.KeyExists(kUser, "Software\\Race"));

    constexpr int kCount = 200;
    std::vector<pid_t> children;
    for (const char* tag : {"A", "B"}) {
        children.push_back(StartChild(
            "settings_writer", {folder, tag, std::to_string(kCount), box.Path("barrier"), "2"}));
        ASSERT_GT(children.back(), 0);
    }
    for (pid_t child : children) {
        EXPECT_EQ(WaitForExit(child), 0);
    }
    for (const std::string tag : {"A", "B"}) {
        for (int i = 0; i < kCount; ++i) {
            const std::string n = std::to_string(i);
            if (i % 2 == 0) {
                EXPECT_EQ(observer.GetDword(kUser, "Software\\Race\\" + tag, "v" + n),
                          static_cast<std::uint32_t>(i))
                    << tag << i;
            } else {
                EXPECT_EQ(observer.GetString(kUser, "Software\\Race\\Shared", tag + n), n)
                    << tag << i;
            }
        }
    }
    EXPECT_TRUE(NamesStartingWith(folder, "user.reg.tmp").empty());
}

TEST(FileSettingsStoreTest, ThreadsSharingOneStoreLoseNothing) {
    Sandbox box;
    FileSettingsStore store(box.path());
    constexpr int kThreads = 4;
    constexpr int kCount = 40;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&store, t] {
            for (int i = 0; i < kCount; ++i) {
                const std::string name = std::to_string(t) + "-" + std::to_string(i);
                EXPECT_TRUE(store.SetDword(kUser, "Software\\Threads", name,
                                           static_cast<std::uint32_t>(i)));
                EXPECT_EQ(store.GetDword(kUser, "Software\\Threads", name),
                          static_cast<std::uint32_t>(i));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    FileSettingsStore fresh(box.path());
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kCount; ++i) {
            EXPECT_TRUE(fresh.GetDword(kUser, "Software\\Threads",
                                       std::to_string(t) + "-" + std::to_string(i)));
        }
    }
}

TEST(FileSettingsStoreTest, UnreadableLinesAreSkippedAndTheFileIsKeptAsideOnce) {
    const std::string damaged =
        "Windows Registry Editor Version 5.00\n\n"
        "[Software\\Good]\n"
        "\"A\"=\"alpha\"\n"
        "this line is garbage\n"
        "\"B\"=dword:00000002\n"
        "\"C\"=hex:01,02\n"
        "\"Escape\"=\"\\q\"\n"
        "[Software\\Broken\n"
        "\"D\"=\"belongs to no readable key\"\n"
        "[Software\\Other]\n"
        "; a comment\n"
        "\"E\"=\"e\"\n"
        "\"F\"=\"unterminated\n"
        "\"G\"=dword:123456789\n"
        "\"H\"=dword:\n"
        "\"I\"=\"\xff\xfe\"\n";
    Sandbox box;
    box.Write("user.reg", damaged);
    FileSettingsStore store(box.path());
    EXPECT_EQ(store.GetString(kUser, "Software\\Good", "A"), "alpha");
    EXPECT_EQ(store.GetDword(kUser, "Software\\Good", "B"), 2u);
    EXPECT_EQ(store.GetString(kUser, "Software\\Other", "E"), "e");
    for (const char* name : {"C", "Escape", "D"}) {
        EXPECT_FALSE(store.GetString(kUser, "Software\\Good", name)) << name;
    }
    for (const char* name : {"F", "G", "H", "I"}) {
        EXPECT_FALSE(store.GetString(kUser, "Software\\Other", name)) << name;
        EXPECT_FALSE(store.GetDword(kUser, "Software\\Other", name)) << name;
    }
    EXPECT_FALSE(store.KeyExists(kUser, "Software\\Broken"));
    EXPECT_TRUE(NamesStartingWith(box.path(), "user.reg.unreadable-").empty());  // reads keep

    ASSERT_TRUE(store.SetString(kUser, "Software\\Good", "New", "n"));
    auto aside = NamesStartingWith(box.path(), "user.reg.unreadable-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_TRUE(std::regex_match(aside[0], std::regex(R"(user\.reg\.unreadable-\d{8}-\d{6})")))
        << aside[0];
    EXPECT_EQ(Sandbox::Read(box.path() / aside[0]), damaged);
    FileSettingsStore fresh(box.path());
    EXPECT_EQ(fresh.GetString(kUser, "Software\\Good", "A"), "alpha");
    EXPECT_EQ(fresh.GetDword(kUser, "Software\\Good", "B"), 2u);
    EXPECT_EQ(fresh.GetString(kUser, "Software\\Other", "E"), "e");
    EXPECT_EQ(fresh.GetString(kUser, "Software\\Good", "New"), "n");
    EXPECT_EQ(Sandbox::Read(store.FileOf(kUser)).find("garbage"), std::string::npos);

    // The clean file is replaced without more copies.
    ASSERT_TRUE(store.SetString(kUser, "Software\\Good", "New", "m"));
    EXPECT_EQ(NamesStartingWith(box.path(), "user.reg.unreadable-").size(), 1u);

    // Damaged again (within the same second, most likely): the first copy is not overwritten.
    const std::string damaged_again = "[Software\\Good]\n\"A\"=\"again\"\nmore garbage\n";
    box.Write("user.reg", damaged_again);
    ASSERT_TRUE(store.SetDword(kUser, "Software\\Good", "B", 3));
    aside = NamesStartingWith(box.path(), "user.reg.unreadable-");
    ASSERT_EQ(aside.size(), 2u);
    std::vector<std::string> contents{Sandbox::Read(box.path() / aside[0]),
                                      Sandbox::Read(box.path() / aside[1])};
    std::sort(contents.begin(), contents.end());
    std::vector<std::string> expected{damaged_again, damaged};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(contents, expected);
    EXPECT_EQ(store.GetString(kUser, "Software\\Good", "A"), "again");
}

TEST(FileSettingsStoreTest, ABinaryFileIsKeptAsideBeforeItIsReplaced) {
    std::string garbage("\x89PNG\r\n\x1a\n\0\0\0\rIHDR[\0\x01]\xff\xfe\"=\n", 26);
    for (int i = 0; i < 512; ++i) {
        garbage += static_cast<char>((i * 37) & 0xff);
    }
    Sandbox box;
    box.Write("machine.reg", garbage);
    FileSettingsStore store(box.path());
    EXPECT_FALSE(store.KeyExists(kMachine, "Software"));
    ASSERT_TRUE(store.SetDword(kMachine, "Software\\After", "v", 1));
    const auto aside = NamesStartingWith(box.path(), "machine.reg.unreadable-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(Sandbox::Read(box.path() / aside[0]), garbage);
    EXPECT_EQ(FileSettingsStore(box.path()).GetDword(kMachine, "Software\\After", "v"), 1u);
}

TEST(FileSettingsStoreTest, AFileWithoutReadPermissionIsKeptAside) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads files without read permission";
    }
    Sandbox box;
    const std::string file = box.Write("user.reg", "[Software\\Secret]\n\"v\"=\"kept\"\n");
    fs::permissions(file, fs::perms::none);
    FileSettingsStore store(box.path());
    EXPECT_FALSE(store.GetString(kUser, "Software\\Secret", "v"));
    ASSERT_TRUE(store.SetDword(kUser, "Software\\New", "v", 1));
    const auto aside = NamesStartingWith(box.path(), "user.reg.unreadable-");
    ASSERT_EQ(aside.size(), 1u);
    fs::permissions(box.path() / aside[0], fs::perms::owner_read);
    EXPECT_EQ(Sandbox::Read(box.path() / aside[0]), "[Software\\Secret]\n\"v\"=\"kept\"\n");
    EXPECT_EQ(store.GetDword(kUser, "Software\\New", "v"), 1u);
}

TEST(FileSettingsStoreTest, FailedWritesReturnFalseAndLeaveTheOldFile) {
    Sandbox box;
    FileSettingsStore store(box.path());
    ASSERT_TRUE(store.SetString(kUser, "Software\\Keep", "v", "old"));
    const std::string before = Sandbox::Read(store.FileOf(kUser));

    // The lock cannot be taken.
    fs::remove(box.path() / "user.reg.lock");
    fs::create_directory(box.path() / "user.reg.lock");
    EXPECT_FALSE(store.SetString(kUser, "Software\\Keep", "v", "new"));
    EXPECT_EQ(Sandbox::Read(store.FileOf(kUser)), before);
    EXPECT_EQ(store.GetString(kUser, "Software\\Keep", "v"), "old");
    fs::remove(box.path() / "user.reg.lock");

    // The disk fills up while the new file is written (a file size limit in a child process).
    pid_t child = StartChild("settings_size_limited", {box.Path()});
    ASSERT_GT(child, 0);
    EXPECT_EQ(WaitForExit(child), 0);
    EXPECT_EQ(Sandbox::Read(store.FileOf(kUser)), before);
    EXPECT_TRUE(NamesStartingWith(box.path(), "user.reg.tmp").empty());
    // What a writer that died mid-write left behind goes with the next write.
    box.Write("user.reg.tmp-Ab12Cd", "half a file");
    ASSERT_TRUE(store.SetString(kUser, "Software\\Keep", "v", "newer"));
    EXPECT_TRUE(NamesStartingWith(box.path(), "user.reg.tmp").empty());

    // The data file's place is taken by a folder: it is neither replaced nor emptied.
    box.Write("machine.reg/inside", "a person's file");
    EXPECT_FALSE(store.SetDword(kMachine, "Software\\X", "v", 1));
    EXPECT_FALSE(store.KeyExists(kMachine, "Software\\X"));
    EXPECT_EQ(Sandbox::Read(box.path() / "machine.reg" / "inside"), "a person's file");
    EXPECT_TRUE(NamesStartingWith(box.path(), "machine.reg.unreadable").empty());
    EXPECT_TRUE(NamesStartingWith(box.path(), "machine.reg.tmp").empty());

    // The folder cannot be created because a file is in the way.
    box.Write("blocked", "");
    FileSettingsStore blocked(box.path() / "blocked" / "registry");
    EXPECT_FALSE(blocked.SetDword(kUser, "Software\\X", "v", 1));
}

TEST(DefaultSettingsFolderTest, FollowsTheEnvironment) {
    struct Saved {
        const char* name;
        std::optional<std::string> value;
    };
    std::vector<Saved> saved;
    for (const char* name : {"MAPVALE_SETTINGS_DIR", "XDG_CONFIG_HOME", "HOME"}) {
        const char* value = std::getenv(name);
        saved.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
    }
    setenv("HOME", "/home/someone", 1);
    setenv("XDG_CONFIG_HOME", "/xdg", 1);
    setenv("MAPVALE_SETTINGS_DIR", "/explicit", 1);
    EXPECT_EQ(DefaultSettingsFolder(), fs::path("/explicit"));
    setenv("MAPVALE_SETTINGS_DIR", "", 1);
    EXPECT_EQ(DefaultSettingsFolder(), fs::path("/xdg/velmora/registry"));
    unsetenv("MAPVALE_SETTINGS_DIR");
    setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(DefaultSettingsFolder(), fs::path("/home/someone/.config/velmora/registry"));
    setenv("XDG_CONFIG_HOME", "relative", 1);  // not a valid value: ignored
    EXPECT_EQ(DefaultSettingsFolder(), fs::path("/home/someone/.config/velmora/registry"));
    for (const Saved& s : saved) {
        if (s.value) {
            setenv(s.name, s.value->c_str(), 1);
        } else {
            unsetenv(s.name);
        }
    }
}

}  // namespace
}  // namespace mapvale::platform

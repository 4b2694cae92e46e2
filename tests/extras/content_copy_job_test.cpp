// Moving downloaded content from the data folder onto a card folder.
#include "extras/content_copy_job.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "extras/free_file_name.h"
#include "platform/files.h"
#include "support/sandbox.h"

namespace mapvale::extras {
namespace {

class ScriptedPrompt final : public CopyPrompt {
public:
    explicit ScriptedPrompt(std::vector<SameName> answers) : answers_(std::move(answers)) {}
    SameName AskAboutSameName() override {
        ++asked;
        const SameName answer = answers_.front();
        answers_.erase(answers_.begin());
        return answer;
    }
    int asked = 0;

private:
    std::vector<SameName> answers_;
};

class ContentCopyJobTest : public ::testing::Test {
protected:
    void Download(const std::string& name, const std::string& bytes) {
        box_.Write("data/" + name, bytes);
    }
    std::string Card(const std::string& relative) const {
        return platform::ReadWholeFile(box_.Path("card/" + relative)).value_or("<missing>");
    }
    bool Downloaded(const std::string& name) const {
        return platform::FileExists(box_.Path("data/" + name));
    }

    testing::Sandbox box_;
    std::string data_ = box_.Path("data");
    std::string card_ = box_.Path("card");
};

TEST_F(ContentCopyJobTest, PhotoClashesAskAndEachAnswerDoesWhatItSays) {
    box_.Write("card/UserData/MyPhoto/a.jpg", "old a");
    box_.Write("card/UserData/MyPhoto/b.jpg", "old b");
    box_.Write("card/UserData/MyPhoto/c.jpg", "old c");
    Download("a.jpg", "new a");
    Download("b.jpg", "new b");
    Download("c.jpg", "new c");
    ScriptedPrompt prompt({CopyPrompt::SameName::kOverwrite, CopyPrompt::SameName::kOtherName,
                           CopyPrompt::SameName::kSkip});
    ContentCopyJob job(&prompt, data_, card_);
    job.Add(kContentPhoto, "a.jpg");
    job.Add(kContentPhoto, "b.jpg");
    job.Add(kContentPhoto, "c.jpg");
    EXPECT_EQ(job.Run(8), 1);
    EXPECT_EQ(prompt.asked, 3);
    EXPECT_EQ(Card("UserData/MyPhoto/a.jpg"), "new a");
    EXPECT_EQ(Card("UserData/MyPhoto/b.jpg"), "old b");
    EXPECT_EQ(Card("UserData/MyPhoto/b(2).jpg"), "new b");
    EXPECT_EQ(Card("UserData/MyPhoto/c.jpg"), "old c");
    // Every download is gone, the skipped one too.
    EXPECT_FALSE(Downloaded("a.jpg") || Downloaded("b.jpg") || Downloaded("c.jpg"));
}

TEST_F(ContentCopyJobTest, WithoutAWindowPhotosAndProgramsOverwriteOthersTakeFreeNames) {
    box_.Write("card/UserData/MyPhoto/p.jpg", "old photo");
    box_.Write("card/Bin/tool.bin", "old tool");
    box_.Write("card/UserData/MyWidget/w.dat", "old widget");
    box_.Write("card/readme", "old readme");
    Download("p.jpg", "new photo");
    Download("tool.bin", "new tool");
    Download("w.dat", "new widget");
    Download("readme", "new readme");
    ContentCopyJob job(nullptr, data_, card_);
    job.Add(kContentPhoto, "p.jpg");
    job.Add(kContentProgram, "tool.bin");
    job.Add(kContentWidget, "w.dat");
    job.Add(9, "readme");
    EXPECT_EQ(job.Run(1), 1);
    EXPECT_EQ(Card("UserData/MyPhoto/p.jpg"), "new photo");
    EXPECT_EQ(Card("Bin/tool.bin"), "new tool");
    EXPECT_EQ(Card("UserData/MyWidget/w.dat"), "old widget");
    EXPECT_EQ(Card("UserData/MyWidget/w(2).dat"), "new widget");
    // No dot: no dot added.
    EXPECT_EQ(Card("readme(2)"), "new readme");
}

TEST_F(ContentCopyJobTest, TheJobStopsAtTheFirstFailureKeepingWhatCameBefore) {
    Download("first.dat", "first");
    Download("third.dat", "third");
    ContentCopyJob job(nullptr, data_, card_);
    job.Add(kContentWidget, "first.dat");
    job.Add(kContentWidget, "second.dat");  // never downloaded
    job.Add(kContentWidget, "third.dat");
    EXPECT_EQ(job.Run(8), 0);
    EXPECT_EQ(Card("UserData/MyWidget/first.dat"), "first");
    EXPECT_FALSE(platform::FileExists(card_ + "/UserData/MyWidget/third.dat"));
    EXPECT_TRUE(Downloaded("third.dat"));
}

TEST_F(ContentCopyJobTest, ThemeFoldersFollowTheLineAndTheCardRootTheUnitsFolder) {
    EXPECT_EQ(ContentCopyJob::TypeFolder(kContentTheme, 2), "UserData/MyTheme/");
    EXPECT_EQ(ContentCopyJob::TypeFolder(kContentTheme, 1), "UserData/Theme/");
    EXPECT_EQ(ContentCopyJob::TypeFolder(kContentTheme, 8), "UserData/Theme/");
    EXPECT_EQ(ContentCopyJob::TypeFolder(7, 1), "");
    EXPECT_EQ(CardDestinationRoot("/media/card", 1), "/media/card/Swiftpath_OrLa/");
    EXPECT_EQ(CardDestinationRoot("/media/card/", 2), "/media/card/Tarno/");
    EXPECT_EQ(CardDestinationRoot("/media//card/", 8), "/media/card/");
}

TEST(FreeFileName, CountsUpPastTakenNamesAndGivesUpAfterTheLast) {
    testing::Sandbox box;
    box.Write("ThemeFile.bin", "x");
    box.Write("ThemeFile(2).bin", "x");
    EXPECT_EQ(FreeFileName(box.Path(), "ThemeFile.bin"), "ThemeFile(3).bin");
    // The name splits at its first dot.
    EXPECT_EQ(FreeFileName(box.Path(), "a.b.c"), "a(2).b.c");
    std::filesystem::create_directories(box.Path("dir(2)"));
    EXPECT_EQ(FreeFileName(box.Path(), "dir"), "dir(3)");
    for (int i = 2; i <= 9999; ++i) {
        box.Write("full(" + std::to_string(i) + ").txt", "x");
    }
    EXPECT_EQ(FreeFileName(box.Path(), "full.txt"), std::nullopt);
}

}  // namespace
}  // namespace mapvale::extras

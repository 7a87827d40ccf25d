// Current directory, program folder, settings files and help-file lookup.
#include "platform/program_folder_testing.h"
#include "platform/prompts.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace platform_test {
namespace {

using platform::ReadSettingsLine;
using platform::SetProgramFolderForTesting;
using platform::SettingsReadPath;
using platform::SettingsWritePath;
using platform::WriteSettingsLine;

class SettingsFile : public ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
        config_ = Folder("config");
        setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
    }
    // A program folder that cannot exist: its parent is a regular file.
    std::string UnusableProgramFolder() const { return (WriteFile("plain-file", "x") / "prog").string(); }

    fs::path config_;
};

TEST_F(SettingsFile, WrittenBesideTheProgramWithCrLfAndReadBack) {
    const fs::path prog = Folder("prog");
    SetProgramFolderForTesting(prog.string());

    WriteSettingsLine("halvorin.ini", "/cases/long case name.dtt");
    WriteSettingsLine("halvorin.ini", "/c/x.rls");  // a shorter line replaces the whole file

    EXPECT_EQ(SettingsWritePath("halvorin.ini"), (prog / "halvorin.ini").string());
    EXPECT_EQ(ReadFile(prog / "halvorin.ini"), "/c/x.rls\r\n");
    EXPECT_EQ(ReadSettingsLine("halvorin.ini"), "/c/x.rls");
    // Nothing left beside it, nothing in the configuration folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(prog), fs::directory_iterator()), 1);
    EXPECT_TRUE(fs::is_empty(config_));
}

TEST_F(SettingsFile, EachProgramHasItsOwnFile) {
    SetProgramFolderForTesting(Folder("prog").string());
    WriteSettingsLine("halvorin.ini", "a.dtt");
    WriteSettingsLine("trindel.ini", "b.ey");
    EXPECT_EQ(ReadSettingsLine("halvorin.ini"), "a.dtt");
    EXPECT_EQ(ReadSettingsLine("trindel.ini"), "b.ey");
}

TEST_F(SettingsFile, EmptyLineIsWrittenAsALineEnd) {
    const fs::path prog = Folder("prog");
    SetProgramFolderForTesting(prog.string());
    WriteSettingsLine("trindel.ini", "");
    EXPECT_EQ(ReadFile(prog / "trindel.ini"), "\r\n");
    EXPECT_EQ(ReadSettingsLine("trindel.ini"), "");
}

TEST_F(SettingsFile, ReadGivesTheFirstLineWithoutItsEnd) {
    const struct {
        std::string contents;
        std::string line;
    } cases[] = {
        {"/a/b.dtt\r\n/other\r\n", "/a/b.dtt"},
        {"/a/b.dtt\n/other\n", "/a/b.dtt"},
        {"/a/b.dtt", "/a/b.dtt"},
        {"\r\n/a/b.dtt\r\n", ""},
        {"", ""},
        {" lead and  inner blanks\t \r\n", " lead and  inner blanks\t "},
        {"caf\xE9.dtt\r\n", "caf\xE9.dtt"},  // bytes as they are, not decoded
    };
    const fs::path prog = Folder("prog");
    SetProgramFolderForTesting(prog.string());
    for (const auto& c : cases) {
        WriteFile("prog/halvorin.ini", c.contents);
        EXPECT_EQ(ReadSettingsLine("halvorin.ini"), c.line) << "file: " << testing::PrintToString(c.contents);
    }
}

TEST_F(SettingsFile, MissingFileReadsEmpty) {
    SetProgramFolderForTesting(Folder("prog").string());
    EXPECT_EQ(ReadSettingsLine("halvorin.ini"), "");
    EXPECT_FALSE(fs::exists(SettingsReadPath("halvorin.ini")));
}

TEST_F(SettingsFile, UnusableProgramFolderFallsBackToTheConfigurationFolder) {
    SetProgramFolderForTesting(UnusableProgramFolder());
    const fs::path expected = config_ / "halvorine" / "trindel.ini";

    EXPECT_EQ(SettingsWritePath("trindel.ini"), expected.string());
    WriteSettingsLine("trindel.ini", "/cases/t.ey");
    EXPECT_EQ(ReadFile(expected), "/cases/t.ey\r\n");
    EXPECT_EQ(SettingsReadPath("trindel.ini"), expected.string());
    EXPECT_EQ(ReadSettingsLine("trindel.ini"), "/cases/t.ey");
}

TEST_F(SettingsFile, ConfigurationFolderIsUnderHomeWithoutAnAbsoluteXdgConfigHome) {
    SetProgramFolderForTesting(UnusableProgramFolder());
    setenv("HOME", Folder("home").c_str(), 1);
    const std::string expected = (root_ / "home" / ".config" / "halvorine" / "halvorin.ini").string();

    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsWritePath("halvorin.ini"), expected);
    setenv("XDG_CONFIG_HOME", "relative/config", 1);  // not a valid setting
    EXPECT_EQ(SettingsWritePath("halvorin.ini"), expected);

    WriteSettingsLine("halvorin.ini", "x.dtt");
    EXPECT_EQ(ReadFile(expected), "x.dtt\r\n");
}

TEST_F(SettingsFile, ProgramFolderIsReadFirstThenTheConfigurationFolder) {
    const fs::path prog = Folder("prog");
    SetProgramFolderForTesting(prog.string());
    WriteFile("config/halvorine/halvorin.ini", "from config\r\n");
    EXPECT_EQ(ReadSettingsLine("halvorin.ini"), "from config");

    WriteFile("prog/halvorin.ini", "beside\r\n");
    EXPECT_EQ(ReadSettingsLine("halvorin.ini"), "beside");
}

TEST_F(SettingsFile, ReadOnlyProgramFolderReadsWhereTheLastWriteWent) {
    const fs::path prog = Folder("prog");
    WriteFile("prog/halvorin.ini", "installed with the program\r\n");
    SetProgramFolderForTesting(prog.string());
    platform::SetProgramFolderReadOnlyForTesting(true);
    EXPECT_EQ(ReadSettingsLine("halvorin.ini"), "installed with the program");

    WriteSettingsLine("halvorin.ini", "/cases/last.dtt");
    EXPECT_EQ(ReadFile(prog / "halvorin.ini"), "installed with the program\r\n");
    EXPECT_EQ(ReadSettingsLine("halvorin.ini"), "/cases/last.dtt");
}

TEST_F(SettingsFile, FailuresToWriteAreIgnored) {
    SetProgramFolderForTesting(UnusableProgramFolder());
    setenv("XDG_CONFIG_HOME", (WriteFile("config-file", "x") / "cfg").c_str(), 1);
    EXPECT_NO_THROW(WriteSettingsLine("halvorin.ini", "lost"));
    EXPECT_EQ(ReadSettingsLine("halvorin.ini"), "");
}

// The file goes through the writer of the case files: a temporary of its own beside it, so a
// leftover of any name is no obstacle, and a link to the file stays a link.
TEST_F(SettingsFile, WrittenLikeACaseFile) {
    const fs::path prog = Folder("prog");
    SetProgramFolderForTesting(prog.string());
    Folder("prog/halvorin.ini.new");  // what a fixed temporary name would trip over
    WriteFile("prog/halvorin.ini.tmp", "left over");
    WriteSettingsLine("halvorin.ini", "/cases/a.dtt");
    EXPECT_EQ(ReadFile(prog / "halvorin.ini"), "/cases/a.dtt\r\n");

    const fs::path shared = WriteFile("shared.ini", "old\r\n");
    fs::remove(prog / "halvorin.ini");
    fs::create_symlink(shared, prog / "halvorin.ini");
    WriteSettingsLine("halvorin.ini", "/cases/b.dtt");
    EXPECT_TRUE(fs::is_symlink(prog / "halvorin.ini"));
    EXPECT_EQ(ReadFile(shared), "/cases/b.dtt\r\n");
    EXPECT_EQ(ReadSettingsLine("halvorin.ini"), "/cases/b.dtt");
    EXPECT_EQ(std::distance(fs::directory_iterator(prog), fs::directory_iterator()), 3) << "no temporary left";
}

class ProgramFolderTest : public ScratchTest {};

TEST_F(ProgramFolderTest, IsTheFolderOfTheRunningExecutable) {
    const std::string folder = platform::ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(fs::is_regular_file(folder + "test_platform")) << folder;
}

TEST_F(ProgramFolderTest, OverrideGetsATrailingSlashAndCanBeUndone) {
    const std::string real = platform::ProgramFolder();
    SetProgramFolderForTesting("/opt/halvorine");
    EXPECT_EQ(platform::ProgramFolder(), "/opt/halvorine/");
    SetProgramFolderForTesting("/opt/halvorine/");
    EXPECT_EQ(platform::ProgramFolder(), "/opt/halvorine/");
    SetProgramFolderForTesting("");
    EXPECT_EQ(platform::ProgramFolder(), real);
}

class ChangeToFolderOfTest : public ScratchTest {};

TEST_F(ChangeToFolderOfTest, MakesTheFileFolderCurrent) {
    const fs::path cases = Folder("cases");
    platform::ChangeToFolderOf((cases / "a.dtt").string());  // the file need not exist
    EXPECT_EQ(fs::current_path(), cases);

    Folder("cases/sub");
    platform::ChangeToFolderOf("sub/b.rls");  // relative to the current directory
    EXPECT_EQ(fs::current_path(), cases / "sub");
}

TEST_F(ChangeToFolderOfTest, LeavesTheCurrentDirectoryForABareNameOrAMissingFolder) {
    fs::current_path(root_);
    platform::ChangeToFolderOf("case.dtt");
    EXPECT_EQ(fs::current_path(), root_);
    EXPECT_NO_THROW(platform::ChangeToFolderOf((root_ / "no such folder" / "x.dtt").string()));
    EXPECT_EQ(fs::current_path(), root_);
}

TEST(AppendDefaultExt, OnlyWhenTheFileNameHasNoExtension) {
    const struct {
        const char* path;
        const char* ext;
        const char* expected;
    } cases[] = {
        {"case", "dtt", "case.dtt"},
        {"/cases/case", "dtt", "/cases/case.dtt"},
        {"case.rls", "dtt", "case.rls"},
        {"case.tar.gz", "dtt", "case.tar.gz"},
        {"/cases.d/case", "ey", "/cases.d/case.ey"},  // a point in the folder does not count
        {"case", "", "case"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::AppendDefaultExt(c.path, c.ext), c.expected) << c.path << " + " << c.ext;
}

class FindHelpFileTest : public ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
        SetProgramFolderForTesting(Folder("prog").string());
        fs::current_path(Folder("case"));
    }
};

TEST_F(FindHelpFileTest, FindsTheNameInAnyCaseInTheCurrentThenTheProgramFolder) {
    const fs::path inProgram = WriteFile("prog/HALVORINE.HLP", "<html></html>");
    EXPECT_EQ(platform::FindHelpFile("Halvorine.hlp"), inProgram.string());
    EXPECT_EQ(platform::FindHelpFile(inProgram.string()), inProgram.string());

    const fs::path inCase = WriteFile("case/halvorine.hlp", "<html></html>");
    EXPECT_EQ(platform::FindHelpFile("Halvorine.hlp"), inCase.string());
    EXPECT_EQ(platform::FindHelpFile("halvorine.hlp"), inCase.string());
}

TEST_F(FindHelpFileTest, LooksBesideAGivenFolder) {
    const fs::path doc = WriteFile("docs/HALVORINE.HLP", "text");
    EXPECT_EQ(platform::FindHelpFile((root_ / "docs" / "Halvorine.hlp").string()), doc.string());
}

TEST_F(FindHelpFileTest, EmptyWhenNowhere) {
    Folder("case/Halvorine.hlp");  // a folder of that name is not the file
    EXPECT_EQ(platform::FindHelpFile("Halvorine.hlp"), "");
    EXPECT_EQ(platform::FindHelpFile(""), "");
}

}  // namespace
}  // namespace platform_test

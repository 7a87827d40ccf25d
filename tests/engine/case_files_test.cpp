#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "case_builder.h"
#include "case_file_support.h"
#include "common/core/io_error.h"
#include "common/core/line_io.h"
#include "engine/assessments_file.h"
#include "engine/case_files.h"
#include "engine/globals.h"
#include "engine/items_file.h"
#include "engine/tables.h"

using namespace halvorine;

using namespace casefiles_test;
using ::testing::ElementsAre;
namespace fs = std::filesystem;

namespace {

class CaseFilesTest : public CaseFileTest {};

TEST_F(CaseFilesTest, NamesOfTheTwoFiles) {
    const struct {
        const char* chosen;
        const char* rls;
        const char* dtt;
    } cases[] = {
        {"C:\\data\\study.DTT", "C:\\data\\study.rls", "C:\\data\\study.DTT"},
        {"C:\\data\\study", "C:\\data\\study.rls", "C:\\data\\study.dtt"},
        {"C:\\data\\study.txt", "C:\\data\\study.txt", "C:\\data\\study.dtt"},
        {"/data/study.dtt", "/data/study.rls", "/data/study.dtt"},
        {"/data/study.rls", "/data/study.rls", "/data/study.dtt"},
        {"/data/study.dTt", "/data/study.rls", "/data/study.dTt"},
        {"/data/v1.2/c", "/data/v1.2/c.rls", "/data/v1.2/c.dtt"},  // the point is in the folder
        {"/data/v1.2/case", "/data/v1.2/case.rls", "/data/v1.2/case.dtt"},
        {"/data/a.b.dtt", "/data/a.b.rls", "/data/a.b.dtt"},
        {"/data/ab", "/data/ab.rls", "/data/ab.dtt"},  // shorter than 4
        {"/data/x.ab", "/data/x.ab", "/data/x.dtt"},
        {"study.dtt", "study.rls", "study.dtt"},
        {"", ".rls", ".dtt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        const CaseFilePaths paths = CaseFileNames(c.chosen);
        EXPECT_EQ(paths.Rls, c.rls);
        EXPECT_EQ(paths.Dtt, c.dtt);
    }
}

TEST_F(CaseFilesTest, CaseNames) {
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"/data/study.dtt", "study"},
        {"/data/a.b.dtt", "a"},
        {"/data/study", "study"},
        {"/data/v1.2/c", "c"},
        {"C:\\data\\study.DTT", "study"},
        {"NONAME.rls", "NONAME"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(CaseNameFromFile(c.path), c.name) << c.path;
}

TEST_F(CaseFilesTest, OtherLetterCaseInTheFolderIsFound) {
    WriteFile("cases/STUDY.DTT", "");
    WriteFile("cases/STUDY.RLS", "");
    const std::string folder = PathOf("cases") + "/";
    CaseFilePaths paths = CaseFileNames(folder + "STUDY.DTT");
    EXPECT_EQ(paths.Rls, folder + "STUDY.RLS");
    EXPECT_EQ(paths.Dtt, folder + "STUDY.DTT");
    paths = CaseFileNames(folder + "study");
    EXPECT_EQ(paths.Rls, folder + "STUDY.RLS");
    EXPECT_EQ(paths.Dtt, folder + "STUDY.DTT");

    WriteFile("cases/STUDY.rls", "");
    EXPECT_EQ(CaseFileNames(folder + "STUDY.DTT").Rls, folder + "STUDY.rls") << "the exact spelling first";
    EXPECT_EQ(CaseFileNames(folder + "other.dtt").Rls, folder + "other.rls") << "a new case keeps its spelling";
}

// ------------------------------------------------------------------------------- the save question

class SaveQuestionTest : public CaseFileTest {
protected:
    void SetUp() override {
        CaseFileTest::SetUp();
        fs::copy_file(Fixture("case.dtt"), PathOf("study.dtt"));
        fs::copy_file(Fixture("case.rls"), PathOf("study.rls"));
        ASSERT_EQ(ReadAssessmentsFile(PathOf("study.dtt")), 0);
        ASSERT_EQ(ReadItemsFile(PathOf("study.rls")), 0);
        CaseFile.CaseFileName = PathOf("study.dtt");
        CaseFile.CaseName = "study";
        prompts_.SetCaption(Caption);
        prompts_.Clear();
        oldDtt_ = ReadFile(PathOf("study.dtt"));
        oldRls_ = ReadFile(PathOf("study.rls"));
    }
    std::string Question(const std::string& file) const {
        return "Contents of the case file " + PathOf(file) + " has been changed. Save it?";
    }
    // An edit of each kind that the files will show once written.
    void Edit() {
        ExpertTable[1]->Name = "Alice Edited";
        ItemTable[1]->Name = "First edited";
    }
    bool FilesUnchanged() const {
        return ReadFile(PathOf("study.dtt")) == oldDtt_ && ReadFile(PathOf("study.rls")) == oldRls_;
    }

    const std::string Caption = "study: Halvorine v1.0";
    std::string oldDtt_;
    std::string oldRls_;
};

TEST_F(SaveQuestionTest, YesSavesBothFilesUnderTheSavingCaption) {
    for (const int kind : {1, 2}) {
        SCOPED_TRACE(kind);
        prompts_.Clear();
        Edit();
        CaseFile.FileKinds[kind].Modified = true;
        prompts_.QueueAnswer(platform::Answer::Yes);
        bool canClose = false;
        QuerySaveCase(kind, canClose);
        EXPECT_TRUE(canClose);
        ASSERT_EQ(prompts_.Recorded().size(), 1u);
        EXPECT_EQ(prompts_.Recorded()[0].Text, Question(kind == 1 ? "study.dtt" : "study.rls"));
        EXPECT_EQ(prompts_.Recorded()[0].Buttons, platform::Buttons::YesNoCancel);
        EXPECT_EQ(prompts_.Recorded()[0].MessageKind, platform::MessageKind::Warning);
        EXPECT_THAT(prompts_.CaptionHistory(),
                    ElementsAre("Saving Experts file...", Caption, "Saving Items file...", Caption));
        EXPECT_EQ(prompts_.BusyCount(), 2);
        EXPECT_EQ(prompts_.BusyDepth(), 0);
        EXPECT_FALSE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
        EXPECT_FALSE(CaseFile.FileKinds[ItemsFileKind].Modified);
        EXPECT_FALSE(CaseFile.FileKinds[kind].ConfirmClose);
        EXPECT_NE(ReadFile(PathOf("study.dtt")).find("Alice Edited"), std::string::npos);
        EXPECT_NE(ReadFile(PathOf("study.rls")).find("First edited"), std::string::npos);
    }
}

TEST_F(SaveQuestionTest, NoForgetsTheChangesOfThatKindOnly) {
    Edit();
    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
    CaseFile.FileKinds[ItemsFileKind].Modified = true;
    prompts_.QueueAnswer(platform::Answer::No);
    bool canClose = false;
    QuerySaveCase(2, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_THAT(prompts_.MessageTexts(), ElementsAre(Question("study.rls")));
    EXPECT_FALSE(CaseFile.FileKinds[ItemsFileKind].Modified);
    EXPECT_TRUE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
    EXPECT_FALSE(CaseFile.FileKinds[ItemsFileKind].ConfirmClose);
    EXPECT_TRUE(FilesUnchanged());
}

TEST_F(SaveQuestionTest, CancelKeepsTheSheetAndTheNextCloseAsks) {
    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
    prompts_.QueueAnswer(platform::Answer::Cancel);
    bool canClose = true;
    QuerySaveCase(1, canClose);
    EXPECT_FALSE(canClose);
    EXPECT_TRUE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
    EXPECT_TRUE(CaseFile.FileKinds[AssessmentsFileKind].ConfirmClose);
    EXPECT_TRUE(FilesUnchanged());

    CaseFile.FileKinds[AssessmentsFileKind].Modified = false;  // saved by the Save command meanwhile
    prompts_.QueueAnswer(platform::Answer::No);
    QuerySaveCase(1, canClose);
    EXPECT_FALSE(canClose);
    EXPECT_TRUE(CaseFile.FileKinds[AssessmentsFileKind].ConfirmClose);
    prompts_.QueueAnswer(platform::Answer::Yes);
    QuerySaveCase(1, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_FALSE(CaseFile.FileKinds[AssessmentsFileKind].ConfirmClose);
    EXPECT_THAT(prompts_.MessageTexts(),
                ElementsAre(Question("study.dtt"), "Close the current case?", "Close the current case?"));
    EXPECT_EQ(prompts_.Recorded()[1].Buttons, platform::Buttons::YesNo);

    QuerySaveCase(1, canClose);  // neither modified nor to be confirmed: no question
    EXPECT_TRUE(canClose);
    EXPECT_EQ(prompts_.Recorded().size(), 3u);
}

TEST_F(SaveQuestionTest, UnnamedCaseIsNamedThroughTheSaveChoice) {
    CaseFile.CaseFileName = "NONAME.rls";
    CaseFile.CaseName = "NONAME";
    CaseFile.FileKinds[ItemsFileKind].Modified = true;
    fs::current_path(Folder("work"));
    Folder("new");

    // Cancelling the choice keeps the case open and unsaved.
    prompts_.QueueAnswer(platform::Answer::Yes);
    prompts_.QueueSaveFile("");
    bool canClose = true;
    QuerySaveCase(2, canClose);
    EXPECT_FALSE(canClose);
    EXPECT_TRUE(CaseFile.FileKinds[ItemsFileKind].Modified);
    EXPECT_EQ(CaseFile.CaseName, "NONAME");

    prompts_.Clear();
    prompts_.QueueAnswer(platform::Answer::Yes);
    prompts_.QueueSaveFile(PathOf("new/named"));
    QuerySaveCase(2, canClose);
    EXPECT_TRUE(canClose);
    ASSERT_EQ(prompts_.Recorded().size(), 2u);
    EXPECT_EQ(prompts_.Recorded()[0].Text, "Contents of the case file NONAME.rls has been changed. Save it?");
    EXPECT_EQ(prompts_.Recorded()[1].Kind, "save");
    EXPECT_EQ(prompts_.Recorded()[1].Choice.Filter,
              "Item Realizations Files (.rls)|*.rls|Expert Assessment  Files (.dtt)|*.dtt");
    EXPECT_EQ(CaseFile.CaseFileName, PathOf("new/named"));
    EXPECT_EQ(CaseFile.CaseName, "named");
    EXPECT_EQ(ReadFile(PathOf("new/named.dtt")), oldDtt_);
    EXPECT_EQ(ReadFile(PathOf("new/named.rls")), oldRls_);
    EXPECT_TRUE(fs::is_empty(PathOf("work"))) << "no NONAME files in the current folder";

    // Naming it after another case asks first.
    CaseFile.CaseFileName = "NONAME.rls";
    CaseFile.CaseName = "NONAME";
    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
    prompts_.Clear();
    prompts_.QueueAnswer(platform::Answer::Yes);
    prompts_.QueueSaveFile(PathOf("study.dtt"));
    prompts_.QueueAnswer(platform::Answer::Cancel);
    ExpertTable[1]->Name = "Not saved";
    QuerySaveCase(1, canClose);
    EXPECT_FALSE(canClose);
    EXPECT_THAT(prompts_.MessageTexts(), ElementsAre("Contents of the case file NONAME.dtt has been changed. Save it?",
                                                     "Case STUDY already exists. Overwrite?"));
    EXPECT_EQ(prompts_.Recorded()[2].Buttons, platform::Buttons::OkCancel);
    EXPECT_TRUE(FilesUnchanged());
}

TEST_F(SaveQuestionTest, FilteredRecordsAreWrittenToo) {
    ItemTable[2]->FilterFlag = true;  // X2, flagged in the file already
    FilterItemsOut(FilteredItems);
    ASSERT_EQ(testcase::ItemIds(), (std::vector<std::string>{"X1", "Item_three_14c"}));
    ExpertCount = 3;
    FilterExpertsOut(FilteredExperts);  // Expert02 and S.Smith are flagged
    ASSERT_EQ(testcase::ExpertIds(), (std::vector<std::string>{"E1"}));

    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
    prompts_.QueueAnswer(platform::Answer::Yes);
    bool canClose = false;
    QuerySaveCase(1, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_EQ(testcase::ItemIds(), (std::vector<std::string>{"X1", "X2", "Item_three_14c"}));
    EXPECT_EQ(testcase::ExpertIds(), (std::vector<std::string>{"E1", "Expert02", "S.Smith"}));
    EXPECT_TRUE(FilesUnchanged());
}

// Root may write into any folder, so the write is also made to fail by a file-size limit.
class FailingWrites {
public:
    explicit FailingWrites(const std::string& folder) : folder_(folder) {
        chmod(folder_.c_str(), 0555);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit tight = saved_;
        tight.rlim_cur = 64;
        signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &tight);
    }
    ~FailingWrites() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, SIG_DFL);
        chmod(folder_.c_str(), 0755);
    }

private:
    std::string folder_;
    rlimit saved_{};
};

TEST_F(SaveQuestionTest, FailedWriteKeepsTheOldFileAndTheCaseOpen) {
    Edit();
    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
    prompts_.QueueAnswer(platform::Answer::Yes);
    bool canClose = true;
    {
        FailingWrites guard(root_.string());
        EXPECT_THROW(QuerySaveCase(1, canClose), IoError);
    }
    EXPECT_FALSE(canClose);
    EXPECT_TRUE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
    EXPECT_TRUE(FilesUnchanged());
    EXPECT_EQ(prompts_.Caption(), Caption);
    EXPECT_EQ(prompts_.BusyDepth(), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 2) << "no temporary left";
}

// The two files are one save: when either cannot be written, neither is replaced, and the case
// keeps its modified state (and, for an unnamed case, its name).
TEST_F(SaveQuestionTest, WhenEitherFileFailsNeitherIsReplaced) {
    struct Case {
        const char* name;
        const char* blocked;  // the file made unwritable
        bool folder;          // by a folder in its place (the rename fails), else read-only
        const char* reason;
    };
    const Case cases[] = {
        {"second file read-only", "study.rls", false, "file is read-only"},
        {"first file read-only", "study.dtt", false, "file is read-only"},
        {"second file cannot be replaced", "study.rls", true, "Is a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string blocked = PathOf(c.blocked);
        const std::string before = ReadFile(PathOf(c.blocked));
        if (c.folder) {
            fs::remove(blocked);
            fs::create_directory(blocked);
        } else {
            ASSERT_EQ(chmod(blocked.c_str(), 0444), 0);
        }
        Edit();
        CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
        CaseFile.FileKinds[ItemsFileKind].Modified = true;
        prompts_.QueueAnswer(platform::Answer::Yes);
        bool canClose = true;
        try {
            QuerySaveCase(1, canClose);
            ADD_FAILURE() << "saved without complaint";
        } catch (const IoError& e) {
            EXPECT_EQ(e.Path(), blocked);
            EXPECT_EQ(e.Reason(), c.reason);
        }
        EXPECT_FALSE(canClose);
        EXPECT_TRUE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
        EXPECT_TRUE(CaseFile.FileKinds[ItemsFileKind].Modified);
        if (c.folder) {
            fs::remove(blocked);
            WriteFile(c.blocked, before);
        } else {
            ASSERT_EQ(chmod(blocked.c_str(), 0644), 0);
        }
        EXPECT_TRUE(FilesUnchanged());
        EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 2) << "no temporary left";
        prompts_.Clear();
    }
}

TEST_F(SaveQuestionTest, AnUnnamedCaseWhoseSaveFailsKeepsItsName) {
    CaseFile.CaseFileName = "NONAME.rls";
    CaseFile.CaseName = "NONAME";
    CaseFile.FileKinds[ItemsFileKind].Modified = true;
    Folder("new");
    Folder("new/case.rls");  // the items file cannot take the place of a folder
    prompts_.QueueSaveFile(PathOf("new/case.dtt"));
    prompts_.QueueAnswer(platform::Answer::Yes);
    bool canClose = true;
    EXPECT_THROW(QuerySaveCase(2, canClose), IoError);
    EXPECT_FALSE(canClose);
    EXPECT_EQ(CaseFile.CaseFileName, "NONAME.rls");
    EXPECT_EQ(CaseFile.CaseName, "NONAME");
    EXPECT_TRUE(CaseFile.FileKinds[ItemsFileKind].Modified);
    EXPECT_FALSE(fs::exists(PathOf("new/case.dtt")));
}

// A case opened through links is saved where the links point; a name as long as a file name may
// be saves like any other.
TEST_F(SaveQuestionTest, LinkedAndLongNamedCasesSave) {
    Folder("data");
    fs::rename(PathOf("study.dtt"), PathOf("data/study.dtt"));
    fs::rename(PathOf("study.rls"), PathOf("data/study.rls"));
    fs::create_symlink("data/study.dtt", PathOf("study.dtt"));
    fs::create_symlink(PathOf("data/study.rls"), PathOf("study.rls"));
    Edit();
    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
    prompts_.QueueAnswer(platform::Answer::Yes);
    bool canClose = false;
    QuerySaveCase(1, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_TRUE(fs::is_symlink(PathOf("study.dtt")));
    EXPECT_TRUE(fs::is_symlink(PathOf("study.rls")));
    EXPECT_NE(ReadFile(PathOf("data/study.dtt")), oldDtt_);
    EXPECT_NE(ReadFile(PathOf("data/study.rls")), oldRls_);
    const std::vector<std::string> saved = CaseSnapshot();
    ResetGlobals();
    ASSERT_EQ(ReadAssessmentsFile(PathOf("study.dtt")), 0);
    ASSERT_EQ(ReadItemsFile(PathOf("study.rls")), 0);
    EXPECT_EQ(CaseSnapshot(), saved);

    const std::string stem = std::string(251, 'c');  // + ".dtt": 255 bytes
    WriteCaseFiles(CaseFileNames(PathOf(stem + ".dtt")), true, true);
    ResetGlobals();
    ASSERT_EQ(ReadAssessmentsFile(PathOf(stem + ".dtt")), 0);
    ASSERT_EQ(ReadItemsFile(PathOf(stem + ".rls")), 0);
    EXPECT_EQ(CaseSnapshot(), saved);
}

}  // namespace

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/core/io_error.h"
#include "common/core/line_io.h"
#include "model_test_support.h"
#include "pairwise/model/case_files.h"
#include "pairwise/model/output_file.h"

using namespace trindel;

using namespace pairtest;
using platform::Answer;

namespace {

class CaseFilesTest : public ModelTest {
protected:
    // A named two-item case with one expert, both kinds modified.
    void NamedCase(const std::string& stem) {
        AddItems({"A", "B"});
        AddExpert("E1", {" >", "< "});
        CaseFile.CaseFileName = PathOf(stem + ".iy");
        CaseFile.CaseName = stem;
        CaseFile.FileKinds[ExpertsFileKind].Modified = true;
        CaseFile.FileKinds[ItemsFileKind].Modified = true;
    }
    bool Exists(const std::string& relative) const { return FileExists(PathOf(relative)); }
};

TEST_F(CaseFilesTest, FileNamesOfACase) {
    struct Case {
        const char* chosen;
        const char* items;
        const char* experts;
    } cases[] = {
        {"case", "case.iy", "case.ey"},
        {"case.EY", "case.iy", "case.EY"},
        {"case.iy", "case.iy", "case.ey"},
        {"case.txt", "case.txt", "case.ey"},
        {"abc", "abc.iy", "abc.ey"},
        // Only the file name is looked at: a point in a folder is no extension.
        {"/data/v1.2/case", "/data/v1.2/case.iy", "/data/v1.2/case.ey"},
        {"/x/ab.c/d", "/x/ab.c/d.iy", "/x/ab.c/d.ey"},
        {"/x/ab.c/de.ey", "/x/ab.c/de.iy", "/x/ab.c/de.ey"},
    };
    for (const Case& c : cases) {
        const CaseFilePaths p = CaseFileNames(c.chosen);
        EXPECT_EQ(p.ItemsFile, c.items) << c.chosen;
        EXPECT_EQ(p.ExpertDataFile, c.experts) << c.chosen;
    }
    EXPECT_EQ(CaseNameFromFile("/data/study.v2.iy"), "study");
    EXPECT_EQ(CaseNameFromFile("/data.d/study"), "study");
    EXPECT_EQ(CaseNameFromFile("NONAME.iy"), "NONAME");
}

TEST_F(CaseFilesTest, YesSavesBothFilesUnderTheCaseName) {
    NamedCase("study");
    prompts.SetCaption("study: WTrindel");
    prompts.QueueAnswer(Answer::Yes);
    bool canClose = false;
    QuerySaveCase(2, canClose);
    EXPECT_TRUE(canClose);
    const std::string expected = "Contents of the case file " + PathOf("study.iy") + " has been changed. Save it?";
    EXPECT_EQ(prompts.MessageTexts(), (std::vector<std::string>{expected}));
    EXPECT_EQ(prompts.Recorded()[0].MessageKind, platform::MessageKind::Warning);
    EXPECT_EQ(prompts.Recorded()[0].Buttons, platform::Buttons::YesNoCancel);
    EXPECT_TRUE(Exists("study.iy") && Exists("study.ey")) << "both files, whichever kind was asked about";
    EXPECT_FALSE(CaseFile.FileKinds[ExpertsFileKind].Modified || CaseFile.FileKinds[ItemsFileKind].Modified);
    EXPECT_EQ(prompts.CaptionHistory(),
              (std::vector<std::string>{"study: WTrindel", "Saving Experts file...", "study: WTrindel",
                                        "Saving Items file...", "study: WTrindel"}));
    EXPECT_EQ(prompts.BusyCount(), 2);
    EXPECT_EQ(prompts.BusyDepth(), 0);
}

TEST_F(CaseFilesTest, NoAndCancel) {
    NamedCase("study");
    bool canClose = false;
    prompts.QueueAnswer(Answer::No);
    QuerySaveCase(2, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_FALSE(CaseFile.FileKinds[ItemsFileKind].Modified);
    EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified) << "only the kind asked about";

    prompts.QueueAnswer(Answer::Cancel);
    QuerySaveCase(1, canClose);
    EXPECT_FALSE(canClose);
    EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified);
    EXPECT_FALSE(Exists("study.iy") || Exists("study.ey"));

    // Nothing modified: no question.
    CaseFile.FileKinds[ExpertsFileKind].Modified = false;
    prompts.Clear();
    QuerySaveCase(1, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_TRUE(prompts.Recorded().empty());
}

// The question names the file as it is spelt (an upper-cased path names no file on a
// case-sensitive system), and in the spelling found on disk.
TEST_F(CaseFilesTest, QuestionNamesTheFileAsSpelt) {
    NamedCase("Study");
    prompts.QueueAnswer(Answer::Cancel);
    bool canClose = true;
    QuerySaveCase(1, canClose);
    EXPECT_EQ(prompts.MessageTexts().at(0),
              "Contents of the case file " + PathOf("Study.ey") + " has been changed. Save it?");
    WriteFile("Study.EY", "");
    prompts.QueueAnswer(Answer::Cancel);
    QuerySaveCase(1, canClose);
    EXPECT_EQ(prompts.MessageTexts().at(1),
              "Contents of the case file " + PathOf("Study.EY") + " has been changed. Save it?");
}

// A case made on another system spells its extensions in upper case: the other file of the pair
// is found in whatever letter case it exists, and as spelt when it does not exist at all.
TEST_F(CaseFilesTest, TheOtherFileOfAPairIsFoundInEitherLetterCase) {
    struct Case {
        std::vector<const char*> onDisk;
        const char* chosen;
        const char* items;
        const char* experts;
    } cases[] = {
        {{"CASE.EY", "CASE.IY"}, "CASE.EY", "CASE.IY", "CASE.EY"},
        {{"CASE.EY", "CASE.IY"}, "CASE.IY", "CASE.IY", "CASE.EY"},
        {{"Mix.Ey", "Mix.iY"}, "Mix.Ey", "Mix.iY", "Mix.Ey"},
        {{"low.ey", "low.iy"}, "low.ey", "low.iy", "low.ey"},
        {{"only.EY"}, "only.EY", "only.iy", "only.EY"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        for (const char* f : c.onDisk) WriteFile(f, "");
        const CaseFilePaths p = CaseFileNames(PathOf(c.chosen));
        EXPECT_EQ(p.ItemsFile, PathOf(c.items));
        EXPECT_EQ(p.ExpertDataFile, PathOf(c.experts));
        for (const char* f : c.onDisk) std::filesystem::remove(PathOf(f));
    }
}

// A new case is saved under a name the user picks, never as NONAME beside the program.
TEST_F(CaseFilesTest, YesOnAnUnnamedCaseAsksForTheName) {
    NamedCase("x");
    CaseFile.CaseFileName = "NONAME.iy";
    CaseFile.CaseName = "NONAME";
    std::filesystem::current_path(root_);

    prompts.QueueAnswer(Answer::Yes);
    prompts.QueueSaveFile("");  // cancelled: as Cancel, the data stays
    bool canClose = true;
    QuerySaveCase(2, canClose);
    EXPECT_FALSE(canClose);
    EXPECT_TRUE(CaseFile.FileKinds[ItemsFileKind].Modified);
    EXPECT_FALSE(Exists("NONAME.iy"));
    EXPECT_EQ(prompts.Recorded().at(1).Choice.Filter, ItemsFilesFilter);

    // A name whose files cannot be written: the case stays unnamed and modified.
    prompts.QueueAnswer(Answer::Yes);
    prompts.QueueSaveFile(PathOf("no-such-folder/lost"));
    EXPECT_THROW(QuerySaveCase(2, canClose), IoError);
    EXPECT_EQ(CaseFile.CaseName, "NONAME");
    EXPECT_EQ(CaseFile.CaseFileName, "NONAME.iy");
    EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified && CaseFile.FileKinds[ItemsFileKind].Modified);

    WriteFile("picked.ey", "old");
    prompts.QueueAnswer(Answer::Yes);
    prompts.QueueSaveFile(PathOf("picked"));
    prompts.QueueAnswer(Answer::Ok);
    prompts.Clear();
    QuerySaveCase(2, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_EQ(prompts.MessageTexts().at(1), "Case PICKED already exists. Overwrite?");
    EXPECT_EQ(CaseFile.CaseName, "picked");
    EXPECT_EQ(CaseFile.CaseFileName, PathOf("picked"));
    EXPECT_TRUE(Exists("picked.iy") && Exists("picked.ey"));
    EXPECT_FALSE(Exists("NONAME.iy") || Exists("NONAME.ey"));
    EXPECT_TRUE(prompts.AllAnswersUsed());
}

TEST_F(CaseFilesTest, AFailedSaveRaisesWithCaptionAndCursorRestored) {
    NamedCase("study");
    CaseFile.CaseFileName = PathOf("no-such-folder/study.iy");
    prompts.SetCaption("frame");
    prompts.QueueAnswer(Answer::Yes);
    bool canClose = true;
    EXPECT_THROW(QuerySaveCase(1, canClose), IoError);
    EXPECT_EQ(prompts.Caption(), "frame");
    EXPECT_EQ(prompts.BusyDepth(), 0);
    EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified);
}

TEST_F(CaseFilesTest, OutputFileAsksAboutTheFileItWillWrite) {
    CaseFile.CaseName = "study";
    WriteFile("out.txt", "old\r\n");

    // The extension is added before the question, so an existing out.txt is asked about.
    prompts.QueueSaveFile(PathOf("out"));
    prompts.QueueAnswer(Answer::Cancel);
    EXPECT_FALSE(OpenOutputFile(".txt", "Text files (*.txt)|*.txt", OutFile, false));
    EXPECT_EQ(prompts.MessageTexts(), (std::vector<std::string>{"Output file OUT already exists. Overwrite?"}));
    EXPECT_EQ(prompts.Recorded().at(0).Choice.FileName, "study");
    EXPECT_EQ(prompts.Recorded().at(0).Choice.Filter, "Text files (*.txt)|*.txt");
    EXPECT_EQ(OutFile, nullptr);

    // Appending keeps what the file holds, without a question.
    prompts.QueueSaveFile(PathOf("out"));
    ASSERT_TRUE(OpenOutputFile(".txt", "Text files (*.txt)|*.txt", OutFile, true));
    WriteOutputLine("new", true);
    OutputLineBreak = false;
    WriteOutputLine("a", true);
    WriteOutputLine("b", true);
    CloseOutputFile(OutFile);
    EXPECT_EQ(ReadFile(PathOf("out.txt")), "old\r\nnew\r\nab");

    // Overwriting after OK; a name with its own extension keeps it.
    prompts.QueueSaveFile(PathOf("out.txt"));
    prompts.QueueAnswer(Answer::Ok);
    ASSERT_TRUE(OpenOutputFile(".dis", "x|*.dis", OutFile, false));
    OutputLineBreak = true;
    WriteOutputLine("only", true);
    CloseOutputFile(OutFile);
    EXPECT_EQ(ReadFile(PathOf("out.txt")), "only\r\n");

    prompts.QueueSaveFile("");
    EXPECT_FALSE(OpenOutputFile(".txt", "", OutFile, false));
    EXPECT_THROW(WriteOutputLine("nowhere", true), IoError);
}

TEST_F(CaseFilesTest, OutputLinesToTheClipboard) {
    prompts.SetClipboardText("");
    WriteOutputLine("one", false);
    OutputLineBreak = false;
    WriteOutputLine("two", false);
    WriteOutputLine("three", false);
    EXPECT_EQ(prompts.ClipboardText(), "one\r\ntwothree");
}

}  // namespace

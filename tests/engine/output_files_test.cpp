#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "case_builder.h"
#include "case_file_support.h"
#include "common/core/io_error.h"
#include "common/file_size_limit.h"
#include "common/reference_file.h"
#include "engine/formatting.h"
#include "engine/globals.h"
#include "engine/output_files.h"
#include "engine/tables.h"

using namespace halvorine;

using namespace casefiles_test;
using ::testing::ElementsAre;
namespace fs = std::filesystem;

namespace {

class OutputFilesTest : public CaseFileTest {};

TEST_F(OutputFilesTest, SafeFileNames) {
    const struct {
        std::string text;
        std::string safe;
    } cases[] = {
        {"a b/c.d", "a_b_c_d"},
        {"[x]^_`z", "[x]^_`z"},  // the six characters between 'Z' and 'a' are kept
        {"$1~", "$1~"},
        {"{a|b}", "_a_b_"},
        {"E1:\\x*?", "E1_\\x__"},        // the backslash is one of the six
        {"\xc3\xa9t\xc3\xa9", "__t__"},  // each byte of a non-ASCII letter
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(SafeFileName(c.text), c.safe) << c.text;
}

TEST_F(OutputFilesTest, NamedFilesGoToTheCaseFolder) {
    // The case is named like its folder: the folder part of the path counts, not the name in it.
    Folder("study");
    CaseFile.CaseFileName = PathOf("study/study.dtt");
    CaseFile.CaseName = "study";
    OpenNamedOutputFile(OutFile, "E1_X 1", ".dis", true);
    OutFile.Write("one\r\n");
    OutFile.Close();
    EXPECT_EQ(ReadFile(PathOf("study/E1_X_1.dis")), "one\r\n");
    EXPECT_FALSE(fs::exists(PathOf("E1_X_1.dis")));

    OpenNamedOutputFile(OutFile, "E1_X 1", ".dis", true);
    OutFile.Write("two\r\n");
    OutFile.Close();
    EXPECT_EQ(ReadFile(PathOf("study/E1_X_1.dis")), "one\r\ntwo\r\n");

    OpenNamedOutputFile(OutFile, "E1_X 1", ".dis", false);
    OutFile.Write("new\r\n");
    OutFile.Close();
    EXPECT_EQ(ReadFile(PathOf("study/E1_X_1.dis")), "new\r\n");

    CaseFile.CaseFileName = "bare.dtt";  // no folder: the current one
    fs::current_path(Folder("here"));
    OpenNamedOutputFile(OutFile, "z", ".dis", true);
    OutFile.Close();
    EXPECT_TRUE(fs::exists(PathOf("here/z.dis")));
}

TEST_F(OutputFilesTest, ChosenOutputFile) {
    CaseFile.CaseName = "study";
    const std::string filter = "Output files (*.dis)|*.dis";
    WriteFile("old.dis", "old\r\n");

    prompts_.QueueSaveFile("");
    EXPECT_FALSE(OpenOutputFile(".dis", filter, OutFile, false));
    ASSERT_EQ(prompts_.Recorded().size(), 1u);
    EXPECT_EQ(prompts_.Recorded()[0].Choice.FileName, "study");
    EXPECT_EQ(prompts_.Recorded()[0].Choice.Filter, filter);
    EXPECT_FALSE(OutFile.IsOpen());

    // A name without extension gets the default one; an existing file is overwritten only on OK.
    prompts_.Clear();
    prompts_.QueueSaveFile(PathOf("old"));
    prompts_.QueueAnswer(platform::Answer::Cancel);
    EXPECT_FALSE(OpenOutputFile(".dis", filter, OutFile, false));
    EXPECT_THAT(prompts_.MessageTexts(), ElementsAre("Output file OLD.DIS already exists. Overwrite?"));
    EXPECT_EQ(prompts_.Recorded()[1].Buttons, platform::Buttons::OkCancel);
    EXPECT_EQ(ReadFile(PathOf("old.dis")), "old\r\n");

    prompts_.QueueSaveFile(PathOf("old.dis"));
    prompts_.QueueAnswer(platform::Answer::Ok);
    ASSERT_TRUE(OpenOutputFile(".dis", filter, OutFile, false));
    WriteOutputLine("replaced", true);
    OutFile.Close();
    EXPECT_EQ(ReadFile(PathOf("old.dis")), "replaced\r\n");

    // Appending asks nothing.
    prompts_.Clear();
    prompts_.QueueSaveFile(PathOf("old.dis"));
    ASSERT_TRUE(OpenOutputFile(".dis", filter, OutFile, true));
    WriteOutputLine("more", true);
    OutFile.Close();
    EXPECT_EQ(ReadFile(PathOf("old.dis")), "replaced\r\nmore\r\n");
    EXPECT_TRUE(prompts_.MessageTexts().empty());

    // The extension is looked for in the file name only.
    Folder("v1.2");
    prompts_.QueueSaveFile(PathOf("v1.2/c"));
    ASSERT_TRUE(OpenOutputFile(".dis", filter, OutFile, false));
    OutFile.Close();
    EXPECT_TRUE(fs::exists(PathOf("v1.2/c.dis")));
}

// An export that fails half-way leaves the file it was adding to, or replacing, as it was.
TEST_F(OutputFilesTest, AFailedExportLeavesTheOldFileWhole) {
    CaseFile.CaseFileName = PathOf("study.dtt");
    CaseFile.CaseName = "study";
    const std::string old = "old line\r\n";
    for (const bool append : {true, false}) {
        SCOPED_TRACE(append ? "append" : "replace");
        WriteFile("E1_X1.dis", old);
        OpenNamedOutputFile(OutFile, "E1_X1", ".dis", append);
        {
            FileSizeLimit full(4096);  // the disk fills during the export
            EXPECT_THROW(
                {
                    for (int k = 0; k < 1000; ++k) WriteOutputLine("a value line of the export", true);
                    OutFile.Close();
                },
                IoError);
        }
        OutFile.Abandon();
        EXPECT_EQ(ReadFile(PathOf("E1_X1.dis")), old);
        EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 1) << "a temporary was left";
    }

    // One an earlier export left open after a failure is not completed by the next export.
    OpenNamedOutputFile(OutFile, "half", ".dis", false);
    WriteOutputLine("never finished", true);
    OpenNamedOutputFile(OutFile, "E1_X1", ".dis", true);
    WriteOutputLine("more", true);
    OutFile.Close();
    EXPECT_FALSE(fs::exists(PathOf("half.dis")));
    EXPECT_EQ(ReadFile(PathOf("E1_X1.dis")), old + "more\r\n");
}

TEST_F(OutputFilesTest, LineWriterToFileAndClipboard) {
    OutFile.Create(PathOf("lines.txt"));
    WriteOutputLine("a", true);
    OutputLineBreak = false;
    WriteOutputLine("b", true);
    WriteOutputLine("c", true);
    OutFile.Close();
    EXPECT_EQ(ReadFile(PathOf("lines.txt")), "a\r\nbc");

    // Collected while the clipboard output is open, set in one piece when it closes.
    prompts_.SetClipboardText("before");
    OpenClipboardOutput();
    WriteOutputLine("x", false);
    WriteOutputLine("y", false);
    OutputLineBreak = true;
    WriteOutputLine("z", false);
    EXPECT_EQ(prompts_.ClipboardText(), "before");
    CloseClipboardOutput();
    EXPECT_EQ(prompts_.ClipboardText(), "xyz\r\n");

    // Outside an open clipboard output a line is appended to what the clipboard holds.
    WriteOutputLine("w", false);
    EXPECT_EQ(prompts_.ClipboardText(), "xyz\r\nw\r\n");

    EXPECT_THROW(WriteOutputLine("nowhere", true), IoError);
}

TEST_F(OutputFilesTest, CoincidingFileNamesAreRefused) {
    EXPECT_TRUE(OutputNamesDistinct({"E1_X1", "E1_X2", "E2_X1"}, ".dis"));
    EXPECT_TRUE(prompts_.MessageTexts().empty());

    prompts_.QueueAnswer(platform::Answer::Ok);
    EXPECT_FALSE(OutputNamesDistinct({"E1_X1", "E1_X 1", "E1_X_1"}, ".dis"));
    EXPECT_THAT(
        prompts_.MessageTexts(),
        ElementsAre("E1_X 1 and E1_X_1 would both be written to E1_X_1.dis. Change one of the Ids and export again."));

    prompts_.QueueAnswer(platform::Answer::Ok);
    EXPECT_FALSE(OutputNamesDistinct({"A_B_C", "a_b_c"}, ".dis")) << "expert A_B with item C, and A with b_c";
}

TEST_F(OutputFilesTest, PercentileLabels) {
    const std::map<int, std::string> labels = {{0, " 0.25"},  {1, " 1.00"},  {5, " 5.00"},
                                               {50, "50.00"}, {99, "99.00"}, {100, "99.75"}};
    for (const auto& [k, text] : labels) EXPECT_EQ(PercentileLabel(k), text) << k;
}

// ------------------------------------------------------------------------------- percentile table

class PercentileTableTest : public OutputFilesTest {
protected:
    // One expert's assessment of one item, with the item's intrinsic range.
    TAssessment* Assessment(const std::string& scale, std::vector<float> values, float low, float high) {
        ResetGlobals();
        TItem* item = testcase::AddItem("X", scale);
        item->IntrinsicLow = low;
        item->IntrinsicHigh = high;
        testcase::AddExpert("E", {values});
        return ExpertTable[1]->Assessments[1].get();
    }
};

TEST_F(PercentileTableTest, MatchesTheReference) {
    const auto rows = ReferenceLines("percentile_reference.txt");
    std::map<std::string, std::vector<long double>> tables;
    std::vector<std::vector<std::string>> defs;
    for (const auto& row : rows) {
        std::istringstream in(row);
        std::vector<std::string> f;
        for (std::string w; in >> w;) f.push_back(w);
        if (f[0] == "C") defs.push_back(f);
        if (f[0] == "T") tables[f[1]].push_back(ValueFromBits('f', f[3]));
    }
    ASSERT_EQ(defs.size(), 5u);
    for (const auto& d : defs) {
        SCOPED_TRACE(d[1]);
        const int q = std::stoi(d[3]);
        std::vector<float> values;
        for (int k = 0; k < q; ++k) values.push_back(static_cast<float>(ValueFromBits('f', d[4 + q + k])));
        Assessment(d[2], values, static_cast<float>(ValueFromBits('f', d[4 + 2 * q])),
                   static_cast<float>(ValueFromBits('f', d[5 + 2 * q])));
        QuantileCount = q;
        for (int k = 1; k <= q; ++k) QuantileLevels[k] = static_cast<float>(ValueFromBits('f', d[3 + k]));
        ASSERT_TRUE(BuildPercentileTable(1, 1));
        const auto& expected = tables[d[1]];
        ASSERT_EQ(expected.size(), 101u);
        for (int k = 0; k <= 100; ++k) EXPECT_EQ(PercentileTable[k], static_cast<float>(expected[k])) << "entry " << k;
    }
}

// The shape the reference must have, by hand: levels 5, 50, 95 %, values 10, 20, 40 on a UNI item
// with range 0..50.
TEST_F(PercentileTableTest, ExampleByHand) {
    Assessment("UNI", {10, 20, 40}, 0, 50);
    testcase::SetLevels({5, 50, 95});
    ASSERT_TRUE(BuildPercentileTable(1, 1));
    EXPECT_EQ(PercentileTable[0], 0.0f);
    EXPECT_FLOAT_EQ(PercentileTable[1], 10 - 10 * 4 / 4.75f);
    EXPECT_FLOAT_EQ(PercentileTable[3], 10 - 10 * 4 / 4.75f + 2 * (10 * 4 / 4.75f) / 4);
    EXPECT_NEAR(PercentileTable[5], 10, 1e-5);
    EXPECT_NEAR(PercentileTable[50], 20, 1e-4);
    EXPECT_NEAR(PercentileTable[95], 40, 1e-4);
    EXPECT_NEAR(PercentileTable[99], 40 + 10 * 4 / 4.75, 1e-4);
    EXPECT_EQ(PercentileTable[100], 50.0f);
    FieldWidth = 10;
    EXPECT_EQ(PercentileText(100), "        50");
}

TEST_F(PercentileTableTest, UnusableAssessmentsExportAsAMessage) {
    const struct {
        const char* what;
        const char* scale;
        std::vector<float> values;
        float low, high;
        std::vector<float> percents;
        const char* note;  // "" : a table is built
    } cases[] = {
        {"a missing value", "UNI", {10, NoValue, 40}, 0, 50, {5, 50, 95}, "missing values"},
        {"no range yet", "UNI", {10, 20, 40}, NoValue, NoValue, {5, 50, 95}, "no range"},
        {"a range that misses the values", "UNI", {10, 20, 40}, 15, 50, {5, 50, 95}, "no range"},
        {"falling values", "UNI", {10, 30, 20}, 0, 50, {5, 50, 95}, "not increasing"},
        {"LOG item with a value of 0", "LOG", {0, 20, 40}, -1, 50, {5, 50, 95}, "LOG value <= 0"},
        {"LOG item with a range from 0", "LOG", {10, 20, 40}, 0, 50, {5, 50, 95}, "no range"},
        {"two levels on one whole percent", "UNI", {10, 20, 40}, 0, 50, {50.2f, 50.4f, 95}, "levels too close"},
        {"levels outside 1..99 %", "UNI", {10, 20, 40}, 0, 50, {0.25f, 50, 150}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Assessment(c.scale, c.values, c.low, c.high);
        QuantileCount = 0;
        for (float p : c.percents) QuantileLevels[++QuantileCount] = p / 100;
        const bool built = BuildPercentileTable(1, 1);
        EXPECT_EQ(built, *c.note == '\0');
        EXPECT_EQ(PercentileTableNote, c.note);
        FieldWidth = 16;
        if (!built) {
            EXPECT_EQ(PercentileText(50), std::string(16 - std::string(c.note).size(), ' ') + c.note);
            EXPECT_EQ(PercentileTable[50], MissingValue);
        }
    }
    // The outer levels sit on entries 1 and 99: the tails are empty and nothing runs past 100.
    EXPECT_EQ(PercentileTable[1], 10.0f);
    EXPECT_NEAR(PercentileTable[99], 40.0f, 1e-4);
    EXPECT_EQ(PercentileTable[100], 50.0f);

    ResetGlobals();
    testcase::SetLevels({5, 50, 95});
    EXPECT_FALSE(BuildPercentileTable(1, 1));
    EXPECT_EQ(PercentileTableNote, "no assessment");
}

// A clipboard export of 1000 items by 10 experts, laid out like the export of distributions:
// one row per percent point, a tab and a value per column. Collected and set once, its text is the
// file export's (bench/engine_export_bench times it).
TEST_F(PercentileTableTest, LargeClipboardExportEqualsTheFile) {
    testcase::SetLevels({5, 50, 95});
    for (int i = 1; i <= 1000; ++i) {
        TItem* item = testcase::AddItem("X" + std::to_string(i), i % 2 ? "UNI" : "LOG");
        item->IntrinsicLow = 0.5f;
        item->IntrinsicHigh = 100.0f + i;
    }
    for (int e = 1; e <= 10; ++e) {
        std::vector<std::vector<float>> rows;
        for (int i = 1; i <= 1000; ++i) rows.push_back({1.0f + e, 10.0f + e, 50.0f + i / 10.0f});
        testcase::AddExpert("E" + std::to_string(e), rows);
    }
    const auto exportAll = [](bool toFile) {
        std::vector<std::vector<float>> tables;
        for (int e = 1; e <= 10; ++e)
            for (int i = 1; i <= 1000; ++i) {
                EXPECT_TRUE(BuildPercentileTable(e, i));
                tables.emplace_back(PercentileTable, PercentileTable + 101);
            }
        OutputLineBreak = false;
        for (int k = 0; k <= 100; ++k) {
            WriteOutputLine(PercentileLabel(k), toFile);
            for (const auto& t : tables) {
                WriteOutputLine("\t", toFile);
                PercentileTable[k] = t[k];
                WriteOutputLine(PercentileText(k), toFile);
            }
            WriteOutputLine("\r\n", toFile);
        }
    };

    OpenClipboardOutput();
    exportAll(false);
    CloseClipboardOutput();

    OutFile.Create(PathOf("all.dis"));
    exportAll(true);
    OutFile.Close();
    const std::string text = prompts_.ClipboardText();
    EXPECT_EQ(text.size(), ReadFile(PathOf("all.dis")).size());
    EXPECT_TRUE(text == ReadFile(PathOf("all.dis")));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 101);
}

}  // namespace

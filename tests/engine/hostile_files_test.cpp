// Case files as users produce them, not only as the program writes them: whatever the readers
// accept must come back field for field after a save and a reopen, and files the readers cannot
// take are refused with a message before they are read.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "case_builder.h"
#include "case_file_support.h"
#include "column_line.h"
#include "common/core/line_io.h"
#include "engine/assessments_file.h"
#include "engine/case_columns.h"
#include "engine/case_files.h"
#include "engine/globals.h"
#include "engine/items_file.h"

using namespace halvorine;

using namespace casefiles_test;
namespace fs = std::filesystem;

namespace {

const std::string Levels3 = "* OBRIX ASCII OUTPUT FILE. NQ=   3   QU=   5  50  95";

// The case as the snapshot shows it, except that a missing realisation read from a word that is
// no number and one read from the written -999.6 are the same thing to the program.
std::vector<std::string> ComparableSnapshot() {
    std::vector<std::string> rows = CaseSnapshot();
    const std::string missing = " " + Bits(NoValue) + " R";
    for (std::string& row : rows)
        if (const std::size_t at = row.find(missing); at != std::string::npos) row.erase(at + 1 + 8, 2);
    return rows;
}

struct HostileCase {
    const char* name;
    std::vector<std::string> dtt;  // lines; empty: no file
    std::vector<std::string> rls;
    std::string eol;
    std::vector<std::string> expertIds;  // after the first read
    std::vector<std::string> itemIds;
    std::vector<std::string> warnings;  // of the first read; "@" stands for the scratch folder
};

std::string Fallback(const std::string& expertWord, const std::string& itemNumber, const std::string& itemId,
                     const std::vector<std::string>& values) {
    return AssessmentRow(expertWord, "", itemNumber, itemId, "UNI", values);
}

class HostileFiles : public CaseFileTest {
protected:
    std::string Expand(const std::string& text) const {
        std::string out = text;
        if (const std::size_t at = out.find('@'); at != std::string::npos) out.replace(at, 1, root_.string());
        return out;
    }
    void ReadCase(const std::string& stem, bool dtt, bool rls) {
        ResetGlobals();
        if (dtt) {
            ASSERT_EQ(ReadAssessmentsFile(PathOf(stem + ".dtt")), 0);
        }
        if (rls) {
            ASSERT_EQ(ReadItemsFile(PathOf(stem + ".rls")), 0);
        }
    }
};

TEST_F(HostileFiles, WhatIsReadComesBackAfterSaveAndReopen) {
    const HostileCase cases[] = {
        {"control characters around an id taken from the expert number",
         {Levels3, Fallback("A", "1", "X1", {"1", "2", "3"}),
          Fallback("\x01"
                   "A",
                   "2", "X2", {"4", "5", "6"}),
          Fallback("B\x7f", "1", "X1", {"7", "8", "9"})},
         {},
         "\r\n",
         {"A", "B\x7f"},
         {"X1", "X2"},
         {}},
        {"control characters around an id taken from the item number",
         {Levels3, AssessmentRow("1", "E1", "\x02X1", "", "UNI", {"1", "2", "3"}),
          AssessmentRow("2", "E2", "1", "X1", "UNI", {"4", "5", "6"})},
         {ItemRow("1", "X1", "2.5", "UNI", "seed")},
         "\r\n",
         {"E1", "E2"},
         {"X1"},
         {}},
        {"control characters inside ids are kept",
         {Levels3, AssessmentRow("1",
                                 "E\x01"
                                 "1",
                                 "1",
                                 "X\x1f"
                                 "1",
                                 "UNI", {"1", "2", "3"})},
         {ItemRow("1",
                  "X\x1f"
                  "1",
                  "2.5", "LOG", "na\x01me", true)},
         "\r\n",
         {"E\x01"
          "1"},
         {"X\x1f"
          "1"},
         {}},
        {"CR line ends",
         {Levels3, AssessmentRow("1", "E1", "1", "X1", "UNI", {"1", "2", "3"}, "first", "Ann"),
          AssessmentRow("2", "E2", "2", "X2", "LOG", {"4", "5", "6"}, "", "", true)},
         {ItemRow("1", "X1", "2.5", "UNI", "first"), ItemRow("2", "X2", "7", "LOG", "second", true)},
         "\r",
         {"E1", "E2"},
         {"X1", "X2"},
         {}},
        {"LF CR line ends",
         {Levels3, AssessmentRow("1", "E1", "1", "X1", "UNI", {"1", "2", "3"}),
          AssessmentRow("1", "E1", "2", "X2", "UNI", {"4", "5", "6"})},
         {ItemRow("1", "X1", "2.5", "UNI"), ItemRow("2", "X2", "-999.6", "UNI")},
         "\n\r",
         {"E1"},
         {"X1", "X2"},
         {}},
        {"values no real can hold",
         {Levels3, AssessmentRow("1", "E1", "1", "X1", "UNI", {"1", "2", "3"}),
          AssessmentRow("1", "E1", "2", "X2", "UNI", {"1e39", "nan", "5"}),
          AssessmentRow("2", "E2", "1", "X1", "UNI", {"-inf", "1", "2"})},
         {ItemRow("1", "X1", "2.5", "UNI"), ItemRow("2", "X2", "3.5E+0038", "UNI")},
         "\r\n",
         {"E1", "E2"},
         {"X1", "X2"},
         {"@/in.dtt holds at line 3 a value that is not a number the program can store.\n\r"
          "Such values are read as missing.",
          "@/in.rls holds at line 2 a value that is not a number the program can store.\n\r"
          "Such values are read as missing."}},
        {"the largest reals",
         {Levels3, AssessmentRow("1", "E1", "1", "X1", "UNI", {"-3.40282E+0038", "1.17549E-0038", "3.40282E+0038"})},
         {ItemRow("1", "X1", "3.40282E+0038", "UNI")},
         "\r\n",
         {"E1"},
         {"X1"},
         {}},
    };
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.name);
        PutLines("in.dtt", c.dtt, c.eol);
        PutLines("in.rls", c.rls, c.eol);
        for (std::size_t w = 0; w < c.warnings.size(); ++w) prompts_.QueueAnswer(platform::Answer::Ok);
        prompts_.Clear();
        ReadCase("in", true, !c.rls.empty());
        EXPECT_EQ(testcase::ExpertIds(), c.expertIds);
        EXPECT_EQ(testcase::ItemIds(), c.itemIds);
        std::vector<std::string> warnings;
        for (const std::string& w : c.warnings) warnings.push_back(Expand(w));
        EXPECT_EQ(prompts_.MessageTexts(), warnings);
        const std::vector<std::string> read = ComparableSnapshot();

        WriteCaseFiles(CaseFileNames(PathOf("out.dtt")), true, true);
        prompts_.Clear();
        ReadCase("out", true, true);
        EXPECT_EQ(ComparableSnapshot(), read);
        EXPECT_TRUE(prompts_.MessageTexts().empty()) << "what the program writes it reads without a word";
    }
}

TEST_F(HostileFiles, FilesFarLargerThanTheTablesAreRefusedBeforeTheyAreRead) {
    struct Case {
        const char* name;
        std::size_t size;
        bool items;
    };
    const Case cases[] = {
        {"assessments", MaxAssessmentsFileBytes + 1, false},
        {"items", MaxItemsFileBytes + 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = PathOf(c.items ? "huge.rls" : "huge.dtt");
        WriteFile(c.items ? "huge.rls" : "huge.dtt", Levels3 + "\r\n");
        ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(c.size)), 0);  // sparse: no disk used
        try {
            if (c.items) {
                ReadItemsFile(path);
            } else {
                ReadAssessmentsFile(path);
            }
            ADD_FAILURE() << "read without complaint";
        } catch (const IoError& e) {
            EXPECT_EQ(e.Reason(), "file is too large (" + std::to_string(c.size) + " bytes; at most " +
                                      std::to_string(c.size - 1) + " can be read)");
        }
        EXPECT_EQ(ItemTable[1], nullptr);
    }
    // The largest file the tables can need is still read.
    const std::string path = PathOf("full.rls");
    const std::string row = ItemRow("1", "X1", "1", "UNI") + "\r\n";
    WriteFile("full.rls", row + std::string(MaxItemsFileBytes - row.size(), '\n'));
    EXPECT_EQ(ReadItemsFile(path), 0);
    EXPECT_EQ(testcase::ItemIds(), std::vector<std::string>{"X1"});
}

// An id of control characters alone is no id: the line is refused with its number.
TEST_F(HostileFiles, AnIdOfControlCharactersAloneFailsItsLine) {
    const std::vector<std::string> lines[] = {
        {Levels3, AssessmentRow("1", "E1", "1", "X1", "UNI", {"1", "2", "3"}),
         Fallback("\x01\x02", "1", "X1", {"1", "2", "3"})},
        {Levels3, AssessmentRow("1", "E1", "1", "X1", "UNI", {"1", "2", "3"}),
         AssessmentRow("1", "E1", "\x05", "", "UNI", {"1"})},
    };
    for (const auto& file : lines) {
        ResetGlobals();
        const std::string path = PutLines("bad.dtt", file);
        EXPECT_EQ(FirstFailingAssessmentsLine(path), 3);
        EXPECT_EQ(ReadAssessmentsFile(path), 3);
        EXPECT_EQ(testcase::ExpertIds(), std::vector<std::string>{"E1"});
    }
}

// A merge checks and reads the one buffer it read, whatever happens to the file meanwhile.
TEST_F(HostileFiles, AMergeReadsTheLinesItChecked) {
    ASSERT_EQ(ReadAssessmentsFile(
                  PutLines("case.dtt", {Levels3, AssessmentRow("1", "E1", "1", "X1", "UNI", {"1", "2", "3"})})),
              0);
    const std::string merged = PutLines("more.dtt",
                                        {Levels3, AssessmentRow("1", "E2", "1", "X1", "UNI", {"4", "5", "6"})});
    const std::vector<std::string> lines = ReadAssessmentsFileLines(merged);
    PutLines("more.dtt", {Levels3, "    1"});  // a file that no longer reads, changed after the check
    ASSERT_EQ(FirstFailingAssessmentsLine(lines), 0);
    ASSERT_EQ(ReadAssessmentLines(merged, lines), 0);
    EXPECT_EQ(testcase::ExpertIds(), (std::vector<std::string>{"E1", "E2"}));
}

}  // namespace

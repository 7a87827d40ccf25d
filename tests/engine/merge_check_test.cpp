// Checking an assessments file before it is merged, and writing the entered quantiles while
// an update holds them aside.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_builder.h"
#include "case_file_support.h"
#include "column_line.h"
#include "common/core/line_io.h"
#include "engine/assessments_file.h"
#include "engine/globals.h"
#include "engine/tables.h"

using namespace halvorine;

using namespace casefiles_test;

namespace {

const std::string Levels3 = "* OBRIX ASCII OUTPUT FILE. NQ=   3   QU=   5  50  95";

// The check names the line the reader stops at, in the same case, and changes nothing.
TEST_F(CaseFileTest, TheCheckFindsTheLineTheReaderStopsAt) {
    const auto good = AssessmentRow("1", "E9", "1", "X1", "UNI", {"1", "2", "3"});
    const auto noItem = ColumnLine({{2, 5, "1"}, {7, 14, "E9"}});
    struct Case {
        const char* what;
        bool intoCase;  // merged into the fixture case, else read into an empty one
        std::vector<std::string> lines;
        int failing;
    } cases[] = {
        {"sound merge", true, {Levels3, good}, 0},
        {"line without item", true, {Levels3, good, noItem, good}, 3},
        {"other levels", true, {"", "* OBRIX ASCII OUTPUT FILE. NQ=   3   QU=  10  50  90", good}, 2},
        {"no levels anywhere", false, {good}, 1},
        {"levels from the header", false, {Levels3, good}, 0},
        {"bad header", false, {"* OBRIX ASCII OUTPUT FILE. NQ=   3   QU=   5  50  45", good}, 1},
        {"a second header is no header", false, {Levels3, "* anything", good}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetGlobals();
        if (c.intoCase) {
            ASSERT_EQ(ReadAssessmentsFile(Fixture("case.dtt")), 0);
        }
        const std::string file = PutLines("check.dtt", c.lines);
        const auto before = CaseSnapshot();
        const std::string header = AssessmentHeader;
        EXPECT_EQ(FirstFailingAssessmentsLine(file), c.failing);
        EXPECT_EQ(CaseSnapshot(), before);
        EXPECT_EQ(AssessmentHeader, header);
        EXPECT_EQ(ReadAssessmentsFile(file), c.failing) << "the reader agrees";
    }
}

TEST_F(CaseFileTest, TheCheckOfAFileThatCannotBeReadRaises) {
    EXPECT_THROW(FirstFailingAssessmentsLine(PathOf("missing/none.dtt")), IoError);
}

TEST_F(CaseFileTest, AnUpdatedCaseIsWrittenWithTheQuantilesAsEntered) {
    testcase::SetLevels({5, 50, 95});
    AssessmentHeader = Levels3;
    testcase::AddItem("X1", "UNI", 2.0f);
    testcase::AddExpert("E1", {{1, 2, 3}});
    BuildItemIndexMap();
    ASSERT_TRUE(SaveRestoreQuantiles(true));
    ExpertTable[1]->Assessments[1]->Values[1] = 1.5f;  // moved by the update
    const std::string file = PathOf("updated.dtt");
    ASSERT_TRUE(WriteAssessmentsFile(file));
    const std::vector<std::string> lines = ReadTextLines(file);
    ASSERT_EQ(lines.size(), 2u);
    // Hand-written from the line layout: the entered 1, 2, 3, not 1.5.
    EXPECT_EQ(lines[1].substr(0, 84),
              "    1       E1    1             X1 UNI  1.00000E+0000  2.00000E+0000  3.00000E+0000 ");
    EXPECT_FLOAT_EQ(ExpertTable[1]->Assessments[1]->Values[1], 1.5f) << "the update stays in force";

    ASSERT_TRUE(SaveRestoreQuantiles(false));
    ExpertTable[1]->Assessments[1]->Values[3] = 4.0f;  // an edit after the update was undone
    ASSERT_TRUE(WriteAssessmentsFile(file));
    EXPECT_NE(ReadTextLines(file)[1].find("4.00000E+0000"), std::string::npos)
        << "without a backup the values as they are";
}

}  // namespace

// A save killed at any of its steps, values that must read back as saved, the temporaries killed
// saves leave, over-long lines, and the warnings of the assessments reader.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "case_builder.h"
#include "case_file_support.h"
#include "common/core/line_io.h"
#include "common/save_fault_points.h"
#include "engine/assessments_file.h"
#include "engine/calibration.h"
#include "engine/case_columns.h"
#include "engine/case_files.h"
#include "engine/globals.h"
#include "engine/items_file.h"
#include "engine/tables.h"
#include "platform/quiet_prompts.h"

using namespace halvorine;
using namespace casefiles_test;
namespace fs = std::filesystem;

namespace {

class SaveIntegrityTest : public CaseFileTest {
protected:
    std::vector<std::string> Temporaries() const { return test_support::TemporariesIn(root_); }
    std::vector<std::string> Pair(const CaseFilePaths& names) const {
        return {fs::exists(names.Dtt) ? ReadFile(names.Dtt) : "-", fs::exists(names.Rls) ? ReadFile(names.Rls) : "-"};
    }
};

void SmallCase(const std::string& marker) {
    testcase::SetLevels({5, 50, 95});
    testcase::AddItem("seed1", "UNI", 3.5f);
    testcase::AddItem("seed2", "LOG", 12.0f);
    testcase::AddExpert("anna", {{1, 2, 3}, {4, 5, 6}});
    testcase::AddExpert("bert", {{1.5f, 2.5f, 3.5f}, {4, 5, 7}});
    ExpertTable[1]->Name = marker;
    ItemTable[1]->Name = marker;
}

// Killed before each write, sync, close, link, record step and rename of the pair save, the
// next open of the case finds the old pair or the new pair whole, says so exactly when it had
// to finish the save, and the next save leaves no temporary behind. For a case saved before and
// for a case's first save (no old files).
TEST_F(SaveIntegrityTest, ASaveKilledAtAnyStepLeavesAWholePair) {
    for (const bool existed : {true, false}) {
        SCOPED_TRACE(existed ? "over an old pair" : "a first save");
        const std::string stem = existed ? "over" : "first";
        const CaseFilePaths names{PathOf(stem + ".rls"), PathOf(stem + ".dtt")};
        auto save = [&names] { WriteCaseFiles(names, true, true); };
        ResetGlobals();
        SmallCase("old");
        if (existed) save();
        const std::vector<std::string> old = Pair(names);
        ExpertTable[1]->Name = "new";
        ItemTable[1]->Realisation = 4.5f;
        const std::vector<std::string> steps = test_support::SaveSteps(save);
        const std::vector<std::string> fresh = Pair(names);
        ASSERT_NE(old, fresh);
        ASSERT_GT(std::count(steps.begin(), steps.end(), "rename"), 2);  // the record's and the pair's
        for (const char* step : {"write", "sync", "close", "record"})
            EXPECT_NE(std::find(steps.begin(), steps.end(), step), steps.end()) << step;
        if (existed) {
            EXPECT_NE(std::find(steps.begin(), steps.end(), "link"), steps.end());
        }

        for (std::size_t k = 1; k <= steps.size(); ++k) {
            SCOPED_TRACE("killed before step " + std::to_string(k) + ", " + steps[k - 1]);
            // Each kill starts from the old pair on disk.
            for (const std::string& t : Temporaries()) fs::remove(root_ / t);
            if (existed) {
                WriteFile(stem + ".dtt", old[0]);
                WriteFile(stem + ".rls", old[1]);
            } else {
                fs::remove(names.Dtt);
                fs::remove(names.Rls);
            }
            ASSERT_TRUE(test_support::SaveKilledAtStep(save, k));
            const std::vector<std::string> onDisk = Pair(names);

            // With the commit record there, the open must finish the renames still to do, and say so.
            bool record = false;
            for (const std::string& t : Temporaries()) record = record || t.find("commit") != std::string::npos;
            const bool finishing = record && onDisk != fresh;
            prompts_.Clear();
            if (finishing) prompts_.QueueAnswer(platform::Answer::Ok);
            const CaseFilePaths opened = CaseFileNames(names.Dtt);
            const std::vector<std::string> now = Pair(opened);
            EXPECT_TRUE(now == old || now == fresh);
            const std::vector<std::string> texts = prompts_.MessageTexts();
            ASSERT_EQ(texts.size(), finishing ? 1u : 0u);
            if (finishing) {
                EXPECT_EQ(texts[0], "The last save of " + names.Dtt + " and " + names.Rls +
                                        " was interrupted. It has been finished: both files are as saved.");
                EXPECT_EQ(now, fresh);
            } else {
                EXPECT_EQ(now, onDisk);
            }
            // The case reads whole, and a save then leaves nothing of the killed one.
            ResetGlobals();
            if (now[0] != "-") {
                ASSERT_EQ(ReadAssessmentsFile(opened.Dtt), 0);
                ASSERT_EQ(ReadItemsFile(opened.Rls), 0);
                EXPECT_EQ(ExpertTable[1]->Name.str(), now == fresh ? "new" : "old");
            }
            save();
            EXPECT_TRUE(Temporaries().empty()) << Temporaries().size() << " left";
            ResetGlobals();
            SmallCase("old");
            ExpertTable[1]->Name = "new";
            ItemTable[1]->Realisation = 4.5f;
        }
    }
}

// A commit whose temporary has gone can only be undone: the files renamed already go back.
TEST_F(SaveIntegrityTest, AnInterruptedSaveWhoseNewFileIsLostIsUndone) {
    const CaseFilePaths names{PathOf("c.rls"), PathOf("c.dtt")};
    SmallCase("old");
    WriteCaseFiles(names, true, true);
    const std::vector<std::string> old = Pair(names);
    ExpertTable[1]->Name = "new";
    ItemTable[1]->Realisation = 4.5f;
    const std::vector<std::string> steps = test_support::SaveSteps([&] { WriteCaseFiles(names, true, true); });
    const std::vector<std::string> fresh = Pair(names);
    WriteFile("c.dtt", old[0]);
    WriteFile("c.rls", old[1]);
    // The second pair rename is the last rename but one (the record's rename comes first).
    std::size_t second = 0, renames = 0;
    for (std::size_t k = 0; k < steps.size(); ++k)
        if (steps[k] == "rename" && ++renames == 3) second = k + 1;
    ASSERT_GT(second, 0u);
    ASSERT_TRUE(test_support::SaveKilledAtStep([&] { WriteCaseFiles(names, true, true); }, second));
    ASSERT_NE(Pair(names), old);  // mixed on disk: the new .dtt beside the old .rls
    // The new items file, not yet renamed, is lost.
    for (const std::string& t : Temporaries())
        if (ReadFile(root_ / t) == fresh[1]) fs::remove(root_ / t);
    prompts_.Clear();
    prompts_.QueueAnswer(platform::Answer::Ok);
    EXPECT_EQ(Pair(CaseFileNames(names.Rls)), old);
    ASSERT_EQ(prompts_.MessageTexts().size(), 1u);
    EXPECT_EQ(prompts_.MessageTexts()[0], "The last save of " + names.Dtt + " and " + names.Rls +
                                              " was interrupted. It has been undone: both files are as they were "
                                              "before it.");
    EXPECT_TRUE(Temporaries().empty());
}

// Temporaries of killed saves of a file are removed by its next save; one a running save holds,
// and those of other files, stay.
TEST_F(SaveIntegrityTest, ASaveRemovesOnlyTheStaleTemporariesOfItsOwnFile) {
    const CaseFilePaths names{PathOf("c.rls"), PathOf("c.dtt")};
    SmallCase("x");
    for (int kill = 0; kill < 5; ++kill)
        ASSERT_TRUE(test_support::SaveKilledAtStep([&] { WriteCaseFiles(names, true, true); }, 3));
    // Each save removed what the one killed before it left: only the last kill's two are there.
    ASSERT_EQ(Temporaries().size(), 2u);
    TextFileWriter running(PathOf("c.rls"));
    running.WriteLine("held");
    TextFileWriter other(PathOf("other.rls"));
    const std::size_t held = Temporaries().size();
    WriteCaseFiles(names, true, true);
    EXPECT_EQ(Temporaries().size(), 2u) << held;  // the two writers still open
    running.Commit();
    other.Commit();
    EXPECT_TRUE(Temporaries().empty());
}

struct ValueCase {
    const char* what;
    float value;
    const char* field;  // the 14 characters written; "" where only the read-back counts
};

// Each value as a quantile and as a realisation through save and reopen: the same 32-bit value
// comes back and keeps its class (seed item, missing quantile). Where the six-digit form reads
// back as the same value it is the form written (the files of today's cases keep their bytes).
TEST_F(SaveIntegrityTest, AValueReadsBackAsItWasSaved) {
    const float mark = MissingValue;
    const ValueCase cases[] = {
        {"typed 12.5", 12.5f, " 1.25000E+0001"},
        {"typed 0.1", 0.1f, " 1.00000E-0001"},
        {"typed 8.83349", 8.83349f, " 8.83349E+0000"},
        // float(8.833491) = 8.83349132...; six digits give 8.83349, another float.
        {"loaded 8.833491", 8.833491f, " 8.833491E+000"},
        {"loaded 123.4567", 123.4567f, " 1.234567E+002"},
        {"the missing mark", mark, "-9.99500E+0002"},
        // -999.5 +- one step (6.1e-5): six digits write both as -999.5 (a step above loses the seed).
        {"a step above the mark", std::nextafter(mark, 0.0f), "-9.9949994E+02"},
        {"a step below the mark", std::nextafter(mark, -2000.0f), "-9.9950006E+02"},
        {"no value", NoValue, "-9.99600E+0002"},
        // -999.39996 is not missing (0.10004 from the mark); six digits give -999.4, which is.
        {"just off the missing band", -999.39996f, "-9.9939996E+02"},
        {"in the band", -999.45f, "-9.99450E+0002"},
        // 12345678.9 is the float 12345679 (spacing 1 there).
        {"large", 12345678.9f, " 1.2345679E+07"},
        {"the largest float", 3.40282347e38f, " 3.4028235E+38"},
        {"small", 1.17549435e-38f, " 1.1754944E-38"},
        {"the smallest float", 1.4e-45f, ""},
        {"negative small", -2.5e-30f, "-2.50000E-0030"},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.what);
        ResetGlobals();
        testcase::SetLevels({5, 50, 95});
        testcase::AddItem("seed1", "UNI", c.value);
        testcase::AddExpert("anna", {{c.value, 20, 30}});
        if (*c.field) {
            EXPECT_EQ(CaseNumber(c.value), c.field);
        }
        const CaseFilePaths names{PathOf("v.rls"), PathOf("v.dtt")};
        WriteCaseFiles(names, true, true);
        const bool seed = ItemTable[1]->Realisation > MissingValue;
        const bool missing = IsMissing(c.value);
        ResetGlobals();
        ASSERT_EQ(ReadAssessmentsFile(names.Dtt), 0);
        ASSERT_EQ(ReadItemsFile(names.Rls), 0);
        EXPECT_EQ(Bits(ItemTable[1]->Realisation), Bits(c.value));
        EXPECT_EQ(Bits(ExpertTable[1]->Assessments[1]->Values[1]), Bits(c.value));
        EXPECT_EQ(ItemTable[1]->Realisation > MissingValue, seed);
        EXPECT_EQ(IsMissing(ExpertTable[1]->Assessments[1]->Values[1]), missing);
    }
}

// Opens the case of a .dtt as the open command does (its .rls when the .dtt reads whole and
// the .rls is there) and saves it as the pair saved.dtt, saved.rls below folder.
struct SavedPair {
    std::string Dtt, Rls;
};
SavedPair OpenAndSave(const std::string& dtt, const std::string& folder) {
    ResetGlobals();
    static platform::QuietPrompts quiet;
    Platform = &quiet;
    const std::string rls = dtt.substr(0, dtt.size() - 4) + ".rls";
    if (ReadAssessmentsFile(dtt) == 0 && fs::exists(rls)) (void)ReadItemsFile(rls);
    const CaseFilePaths names{folder + "/saved.rls", folder + "/saved.dtt"};
    WriteCaseFiles(names, true, true);
    return {ReadFileBytes(names.Dtt), ReadFileBytes(names.Rls)};
}

// Every example and fixture case: its save, opened and saved again, gives the same bytes; the
// files the program wrote (all of the example's and of case/case, some others') are written
// again byte for byte as they are.
TEST_F(SaveIntegrityTest, TodaysCasesAreWrittenAsTheyAre) {
    const std::string fixtures = FIXTURES_DIR;
    const struct {
        std::string dtt;
        bool dttWritten, rlsWritten;  // the file is as the program writes it
    } cases[] = {
        {fixtures + "/../../examples/STORM.dtt", true, true},  {fixtures + "/case/case.dtt", true, true},
        {fixtures + "/case/skipped.dtt", false, true},         {fixtures + "/rundialog/HAND.dtt", true, false},
        {fixtures + "/distribution/LEVELS.dtt", false, false}, {fixtures + "/mainwindow/BADITEMS.dtt", false, false},
        {fixtures + "/mainwindow/BROKEN.dtt", false, false},   {fixtures + "/mainwindow/MERGE.dtt", false, false},
        {fixtures + "/mainwindow/MERGEBAD.dtt", false, false}, {fixtures + "/mainwindow/MERGENEW.dtt", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dtt);
        ASSERT_TRUE(fs::exists(c.dtt));
        const SavedPair first = OpenAndSave(c.dtt, Folder("first").string());
        const SavedPair again = OpenAndSave(PathOf("first/saved.dtt"), Folder("again").string());
        EXPECT_EQ(again.Dtt, first.Dtt);
        EXPECT_EQ(again.Rls, first.Rls);
        if (c.dttWritten) {
            EXPECT_EQ(first.Dtt, ReadFile(c.dtt));
        }
        if (c.rlsWritten) {
            EXPECT_EQ(first.Rls, ReadFile(c.dtt.substr(0, c.dtt.size() - 4) + ".rls"));
        }
    }
}

// Number fields as today's files hold them, written by hand in the six-digit form: put into the
// example's files, each is written again as it stands, a realisation and a quantile alike.
TEST_F(SaveIntegrityTest, HandWrittenFieldsOfTodaysFormAreWrittenAsTheyStand) {
    const std::string realisations[] = {
        " 1.25000E+0001", " 1.00000E-0001", "-9.99500E+0002", "-9.99600E+0002", "-9.99450E+0002", "-9.99400E+0002",
        " 0.00000E+0000", " 1.23457E+0007", " 3.40282E+0038", " 1.17549E-0038", "-2.50000E-0030", " 9.99999E+0005",
    };
    // Three increasing quantiles a line.
    const std::string quantiles[][3] = {
        {" 1.00000E-0030", " 2.50000E-0030", " 1.00000E-0029"},
        {"-1.23457E+0007", "-9.99999E+0005", "-1.00000E-0001"},
        {" 1.00000E+0000", " 1.00001E+0000", " 9.99999E+0037"},
    };
    const std::string example = std::string(FIXTURES_DIR) + "/../../examples/STORM";
    // An items line: number, blank, id (14), blank, then the realisation's 14 characters.
    std::vector<std::string> rls = SplitTextLines(ReadFile(example + ".rls"));
    ASSERT_GE(rls.size(), std::size(realisations));
    for (std::size_t k = 0; k < std::size(realisations); ++k) rls[k].replace(21, 14, realisations[k]);
    // An assessment line: the scale ends at column 38; each quantile is 14 characters and a blank.
    std::vector<std::string> dtt = SplitTextLines(ReadFile(example + ".dtt"));
    ASSERT_GT(dtt.size(), std::size(quantiles));
    for (std::size_t k = 0; k < std::size(quantiles); ++k) {
        ASSERT_EQ(dtt[k + 1].substr(35, 4), "UNI ");
        for (int q = 0; q < 3; ++q) dtt[k + 1].replace(39 + 15 * q, 14, quantiles[k][q]);
    }
    const std::string dttPath = PutLines("typed/storm.dtt", dtt);
    const std::string rlsPath = PutLines("typed/storm.rls", rls);
    const SavedPair saved = OpenAndSave(dttPath, Folder("saved").string());
    EXPECT_EQ(saved.Rls, ReadFile(rlsPath));
    EXPECT_EQ(saved.Dtt, ReadFile(dttPath));
}

// A line longer than any line of its file is refused with its number, whatever its length.
TEST_F(SaveIntegrityTest, AnOverlongLineIsRefusedWithItsNumber) {
    const std::string header = "* OBRIX ASCII OUTPUT FILE. NQ=   3   QU=   5  50  95";
    const std::string line = "    1     anna    1          seed1 UNI  1.00000E+0000  2.00000E+0000  3.00000E+0000";
    for (const std::size_t length : {std::size_t{1025}, std::size_t{3} << 20}) {
        SCOPED_TRACE(length);
        ResetGlobals();
        const std::string dtt = PutLines("long.dtt", {header, line, line + std::string(length - line.size(), ' ')});
        EXPECT_EQ(ReadAssessmentsFile(dtt), 3);
        EXPECT_EQ(FirstFailingAssessmentsLine(dtt), 3);
        EXPECT_EQ(FirstFailingAssessmentsLine(ReadAssessmentsFileLines(dtt)), 3);
        ResetGlobals();
        const std::string rls = PutLines("long.rls",
                                         {"    1          seed1  1.00000E+0000 UNI", std::string(length, 'x')});
        EXPECT_EQ(ReadItemsFile(rls), 2);
    }
    // The longest line the program writes still reads.
    ResetGlobals();
    const std::string full = line + std::string(1024 - line.size(), ' ');
    EXPECT_EQ(ReadAssessmentsFile(PutLines("full.dtt", {header, full})), 0);
}

// A file whose 1001st item overflows says that the items table is full.
TEST_F(SaveIntegrityTest, TheOverflowWarningNamesTheFullTable) {
    std::vector<std::string> lines = {"* OBRIX ASCII OUTPUT FILE. NQ=   1   QU=  50"};
    for (int i = 1; i <= 1001; ++i)
        lines.push_back("    1     anna " + std::string(4 - std::to_string(i).size(), ' ') + std::to_string(i) + " " +
                        std::string(14 - std::to_string(i).size() - 1, ' ') + "i" + std::to_string(i) +
                        " UNI  1.00000E+0000");
    prompts_.QueueAnswer(platform::Answer::Ok);
    EXPECT_EQ(ReadAssessmentsFile(PutLines("many.dtt", lines)), 0);
    ASSERT_EQ(prompts_.MessageTexts().size(), 1u);
    EXPECT_EQ(prompts_.MessageTexts()[0], PathOf("many.dtt") +
                                              " contains more items than this version of the program can support "
                                              "(max 1000).\n\rThe extraneous items are discarded.");
}

// Equal levels open, and the run refuses them naming the levels; 0 % and 100 % stay refused,
// with a warning that says why.
TEST_F(SaveIntegrityTest, EqualLevelsOpenLevelsAtTheEndsAreRefusedWithTheReason) {
    const std::string line = "    1     anna    1          seed1 UNI  1.00000E+0000  1.00000E+0000  3.00000E+0000";
    EXPECT_EQ(
        ReadAssessmentsFile(PutLines("equal.dtt", {"* OBRIX ASCII OUTPUT FILE. NQ=   3   QU=  50  50  95", line})), 0);
    EXPECT_EQ(QuantileCount, 3);
    EXPECT_EQ(QuantileLevels[2], 0.5f);
    EXPECT_TRUE(prompts_.MessageTexts().empty());
    EXPECT_NE(CheckBinProbabilities(), 0);
    EXPECT_EQ(EmptyIntervalLevels(), "50% and 50%");

    const struct {
        const char* levels;
        const char* shown;
    } refused[] = {{"   0  50  95", "0"}, {"   5  50 100", "100"}, {"   5  50 120", "120"}};
    for (const auto& r : refused) {
        SCOPED_TRACE(r.levels);
        ResetGlobals();
        prompts_.Clear();
        const std::string dtt = PutLines("ends.dtt",
                                         {std::string("* OBRIX ASCII OUTPUT FILE. NQ=   3   QU=") + r.levels, line});
        prompts_.QueueAnswer(platform::Answer::Ok);
        EXPECT_EQ(ReadAssessmentsFile(dtt), 1);
        ASSERT_EQ(prompts_.MessageTexts().size(), 1u);
        EXPECT_EQ(prompts_.MessageTexts()[0], dtt + " gives the quantile level " + r.shown +
                                                  "% in its header.\n\rA level must lie above 0% and below 100%: the "
                                                  "file cannot be read.");
    }
}

}  // namespace

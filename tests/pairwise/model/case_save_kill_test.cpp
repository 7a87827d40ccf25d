// WTrindel's pair save killed at any of its steps, and values that must read back as saved.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/core/line_io.h"
#include "common/core/pascal_str.h"
#include "common/save_fault_points.h"
#include "model_test_support.h"
#include "pairwise/model/case_files.h"
#include "pairwise/model/expert_data_file.h"
#include "pairwise/model/items_file.h"
#include "platform/quiet_prompts.h"

using namespace trindel;
using namespace pairtest;
namespace fs = std::filesystem;

namespace {

class CaseSaveKillTest : public ModelTest {
protected:
    std::vector<std::string> Temporaries() const { return test_support::TemporariesIn(root_); }
    std::vector<std::string> Pair(const CaseFilePaths& p) const {
        return {fs::exists(p.ExpertDataFile) ? ReadFile(p.ExpertDataFile) : "-",
                fs::exists(p.ItemsFile) ? ReadFile(p.ItemsFile) : "-"};
    }
    void SmallCase(const std::string& marker, float realisation) {
        ResetGlobals();
        Platform = &prompts;
        RandomNumbers = &prompts;
        AddItems({"apples", "pears", "figs"});
        AddExpert("anna", {"<>", ">=", "<<"});
        AddExpert("bert", {"><", "=<", ">>"});
        ExpertTable[1]->Name = marker;
        ItemTable[1]->Realisation = realisation;
        ItemTable[1]->HasRealisation = true;
    }
};

// Killed before each write, sync, close, link, record step and rename of the pair save, the next
// open finds the old pair or the new pair whole, says so exactly when it had to finish the save,
// and the next save leaves no temporary.
TEST_F(CaseSaveKillTest, ASaveKilledAtAnyStepLeavesAWholePair) {
    for (const bool existed : {true, false}) {
        SCOPED_TRACE(existed ? "over an old pair" : "a first save");
        const std::string stem = existed ? "over" : "first";
        const CaseFilePaths names{PathOf(stem + ".iy"), PathOf(stem + ".ey")};
        auto save = [&names] { SaveCaseFiles(names, true); };
        SmallCase("old", 1.5f);
        if (existed) save();
        const std::vector<std::string> old = Pair(names);
        SmallCase("new", 2.5f);
        const std::vector<std::string> steps = test_support::SaveSteps(save);
        const std::vector<std::string> fresh = Pair(names);
        ASSERT_NE(old, fresh);
        ASSERT_GE(std::count(steps.begin(), steps.end(), "rename"), 3);
        for (std::size_t k = 1; k <= steps.size(); ++k) {
            SCOPED_TRACE("killed before step " + std::to_string(k) + ", " + steps[k - 1]);
            for (const std::string& t : Temporaries()) fs::remove(root_ / t);
            if (existed) {
                WriteFile(stem + ".ey", old[0]);
                WriteFile(stem + ".iy", old[1]);
            } else {
                fs::remove(names.ExpertDataFile);
                fs::remove(names.ItemsFile);
            }
            SmallCase("new", 2.5f);
            ASSERT_TRUE(test_support::SaveKilledAtStep(save, k));
            const std::vector<std::string> onDisk = Pair(names);
            // With the commit record there, the open must finish the renames still to do, and say so.
            bool record = false;
            for (const std::string& t : Temporaries()) record = record || t.find("commit") != std::string::npos;
            const bool finishing = record && onDisk != fresh;
            prompts.Clear();
            if (finishing) prompts.QueueAnswer(platform::Answer::Ok);
            const CaseFilePaths opened = CaseFileNames(names.ItemsFile);
            const std::vector<std::string> now = Pair(opened);
            EXPECT_TRUE(now == old || now == fresh);
            ASSERT_EQ(prompts.MessageTexts().size(), finishing ? 1u : 0u);
            if (finishing) {
                EXPECT_EQ(prompts.MessageTexts()[0], "The last save of " + names.ExpertDataFile + " and " +
                                                         names.ItemsFile +
                                                         " was interrupted. It has been finished: both files are as "
                                                         "saved.");
                EXPECT_EQ(now, fresh);
            } else {
                EXPECT_EQ(now, onDisk);
            }
            if (now == fresh || existed) {
                ResetGlobals();
                Platform = &prompts;
                RandomNumbers = &prompts;
                ASSERT_EQ(ReadItemsFile(opened.ItemsFile), 0);
                ASSERT_EQ(ReadExpertDataFile(opened.ExpertDataFile), 0);
                EXPECT_EQ(ExpertTable[1]->Name.str(), now == fresh ? "new" : "old");
            }
            SmallCase("new", 2.5f);
            save();
            EXPECT_TRUE(Temporaries().empty()) << Temporaries().size() << " left";
        }
    }
}

// The realisation's 12-character field: each value reads back as the same 32-bit value and keeps
// its class (a reference item has one above -999.5). Where four digits read back as the same
// value they are the form written.
TEST_F(CaseSaveKillTest, ARealisationReadsBackAsItWasSaved) {
    const float mark = MissingValue;
    const struct {
        const char* what;
        float value;
        const char* field;  // "" where only the read-back counts
    } cases[] = {
        {"typed 12.5", 12.5f, " 1.250E+0001"},
        {"no value", NoValue, "-9.996E+0002"},
        {"the missing mark", mark, "-9.995E+0002"},
        // -999.45 is a reference item; four digits wrote -9.995E+0002 (-999.5), which is not.
        {"in the missing band", -999.45f, "-9.9945E+002"},
        {"a step above the mark", std::nextafter(mark, 0.0f), "  -999.49994"},
        {"a step below the mark", std::nextafter(mark, -2000.0f), "  -999.50006"},
        {"loaded 8.83349", 8.83349f, " 8.83349E+00"},
        // 12345678.9 is the float 12345679; four digits gave 12350000.
        {"large", 12345678.9f, "    12345679"},
        // Eight digits fit only without the sign's blank; seven gave 2.393403e-24.
        {"small, eight digits", 2.3934026e-24f, "23934026E-31"},
        {"negative, seven digits", -2.393403e-24f, "-2393403E-30"},
        {"the largest float", 3.40282347e38f, ""},
        {"small", 1.17549435e-38f, ""},
        {"the smallest float", 1.4e-45f, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SmallCase("x", c.value);
        const std::string field = StrExactReal32(c.value, 12);
        ASSERT_EQ(field.size(), 12u);
        if (*c.field) {
            EXPECT_EQ(field, c.field);
        }
        const bool reference = c.value > MissingValue;
        const CaseFilePaths names{PathOf("v.iy"), PathOf("v.ey")};
        SaveCaseFiles(names, true);
        ResetGlobals();
        ASSERT_EQ(ReadItemsFile(names.ItemsFile), 0);
        ASSERT_EQ(ReadExpertDataFile(names.ExpertDataFile), 0);
        // The largest and smallest floats need more digits than the field holds: the nearest value
        // it can hold, of the same class.
        if (std::fabs(c.value) < 1e30f && std::fabs(c.value) > 1e-30f)
            EXPECT_EQ(ItemTable[1]->Realisation, c.value);
        else
            EXPECT_NEAR(ItemTable[1]->Realisation / c.value, 1.0, 1e-6);
        EXPECT_EQ(ItemTable[1]->Realisation > MissingValue, reference);
    }
}

// Opens the case of an items file as the program does (its expert data file when it is there)
// and saves it as saved.iy, saved.ey below folder; gives the two files' bytes.
std::vector<std::string> OpenAndSave(const std::string& iy, const std::string& folder) {
    ResetGlobals();
    static platform::QuietPrompts quiet;
    Platform = &quiet;
    const std::string ey = iy.substr(0, iy.size() - 3) + ".ey";
    (void)ReadItemsFile(iy);
    if (fs::exists(ey)) (void)ReadExpertDataFile(ey);
    const CaseFilePaths saved = CaseFileNames(folder + "/saved.iy");
    SaveCaseFiles(saved, true);
    return {ReadFileBytes(saved.ItemsFile), ReadFileBytes(saved.ExpertDataFile)};
}

// Every fixture case: its save, opened and saved again, gives the same bytes; case12, which the
// program wrote, is written again byte for byte as it is.
TEST_F(CaseSaveKillTest, TodaysCasesAreWrittenAsTheyAre) {
    const struct {
        const char* name;
        bool written;  // both files as the program writes them
    } cases[] = {{"case12.iy", true}, {"golden_case.iy", false}, {"bad_line5.iy", false}};
    std::vector<std::string> files;
    for (const auto& c : cases) files.push_back(Fixture(c.name));
    files.push_back(std::string(FIXTURES_DIR) + "/reference/binary_items.iy");
    for (std::size_t k = 0; k < files.size(); ++k) {
        SCOPED_TRACE(files[k]);
        ASSERT_TRUE(fs::exists(files[k]));
        fs::create_directories(root_ / "first");
        fs::create_directories(root_ / "again");
        const std::vector<std::string> first = OpenAndSave(files[k], PathOf("first"));
        EXPECT_EQ(OpenAndSave(PathOf("first/saved.iy"), PathOf("again")), first);
        if (k < std::size(cases) && cases[k].written) {
            EXPECT_EQ(first[0], ReadFile(files[k]));
            EXPECT_EQ(first[1], ReadFile(files[k].substr(0, files[k].size() - 3) + ".ey"));
        }
    }
}

// Realisation fields as today's files hold them, written by hand in the four-digit form: put
// into case12's items file, each is written again as it stands.
TEST_F(CaseSaveKillTest, HandWrittenRealisationsOfTodaysFormAreWrittenAsTheyStand) {
    const std::string fields[] = {
        " 1.250E+0001", " 1.000E-0001", "-9.995E+0002", "-9.996E+0002", "-9.994E+0002", " 0.000E+0000",
        " 1.235E+0007", " 3.402E+0038", " 1.175E-0038", "-2.500E-0030", " 9.999E+0005", " 1.000E+0006",
    };
    // An items line: blank, number (4), blank, id (14), blank, then the realisation's 12 characters.
    std::vector<std::string> lines = SplitTextLines(ReadFile(Fixture("case12.iy")));
    ASSERT_EQ(lines.size(), std::size(fields));
    for (std::size_t k = 0; k < lines.size(); ++k) lines[k].replace(21, 12, fields[k]);
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    fs::create_directories(root_ / "typed");
    fs::create_directories(root_ / "saved");
    std::ofstream(PathOf("typed/case12.iy"), std::ios::binary) << bytes;
    fs::copy_file(Fixture("case12.ey"), PathOf("typed/case12.ey"));
    EXPECT_EQ(OpenAndSave(PathOf("typed/case12.iy"), PathOf("saved"))[0], bytes);
}

}  // namespace

// Passing the cursor over every cell of every sheet stores nothing: the case files written
// afterwards are the files that were read.
#include "sheet_fixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/assessments_file.h"
#include "engine/items_file.h"

namespace {

std::string FileBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class RoundTripTest : public SheetTest, public ::testing::WithParamInterface<int> {
protected:
    void TabThrough(SheetGrid* grid) {
        GridSource* s = grid->Source();
        int cells = 0;
        for (int r = s->HeaderRows(); r < s->GridRows(); ++r)
            for (int c = 0; c < s->GridCols(); ++c)
                if (s->CanSelect(c, r)) ++cells;
        grid->setFocus();
        for (int i = 0; i <= cells; ++i) Key(Qt::Key_Tab);
    }
};

TEST_P(RoundTripTest, TabbingThroughEveryCellChangesNoFile) {
    FieldWidth = GetParam();
    WeightType = 4; // the user-weight column takes the cursor too
    const std::filesystem::path src = std::filesystem::path(FIXTURES_DIR) / "case";
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("sheets_round_trip_" + std::to_string(GetParam()));
    std::filesystem::create_directories(dir);
    ASSERT_EQ(ReadAssessmentsFile((src / "case.dtt").string()), 0);
    ASSERT_EQ(ReadItemsFile((src / "case.rls").string()), 0);
    ActiveExpert = ExpertTable[1].get();

    TExpertsSheet* experts = OpenExperts();
    TabThrough(experts->ExpertsGrid);
    TItemsSheet* items = OpenRealisations();
    TabThrough(items->ItemsGrid);
    area->setActiveSubWindow(experts);
    for (int row = 1; row <= 3; ++row) {
        experts->ExpertsGrid->SetCursor(1, row);
        experts->OpenExpertItemsSheet(0);
        TItemsSheet* assessments = ChildSheets[row];
        ASSERT_NE(assessments, nullptr);
        ASSERT_EQ(assessments->Core.Expert, ExpertTable[row].get());
        TabThrough(assessments->ItemsGrid);
        area->setActiveSubWindow(experts);
    }
    EXPECT_FALSE(CaseFile.FileKinds[1].Modified);
    EXPECT_FALSE(CaseFile.FileKinds[2].Modified);

    ASSERT_TRUE(WriteAssessmentsFile((dir / "out.dtt").string()));
    ASSERT_TRUE(WriteItemsFile((dir / "out.rls").string()));
    EXPECT_EQ(FileBytes(dir / "out.dtt"), FileBytes(src / "case.dtt"));
    EXPECT_EQ(FileBytes(dir / "out.rls"), FileBytes(src / "case.rls"));
    std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(FieldWidths, RoundTripTest, ::testing::Values(10, 5));

} // namespace

// Text typed into a cell and not yet left is what the user sees in the sheet: the speed buttons
// and menu commands that save, close or run (which take no focus, so the cell is never left)
// take it as typed, with the other sheets a user has open beside it.
#include "main_form_fixture.h"
#include "sheet_cells.h"

#include <QLineEdit>
#include <QToolBar>
#include <QToolButton>

#include <sstream>

using namespace halvorine;

namespace {

using namespace sheet_cells;

// The cell typed into (grid column and row as clicked), what is typed, and where it lands.
struct OpenCellCase {
    Sheet Target;
    int Col, Row;
    const char* Text;
};

void PrintTo(const OpenCellCase& c, std::ostream* os) {
    *os << (c.Target == E ? "experts" : c.Target == R ? "realisations" : "assessments");
}

std::string Stored(Sheet s) {
    switch (s) {
    case E: return ExpertTable[1] ? ExpertTable[1]->Name.str() : "(no expert)";
    case R: return ItemTable[3] ? ItemTable[3]->Name.str() : "(no item)";
    case A: {
        const TAssessment* a = ExpertTable[1] && ItemTable[2] ? FindAssessment(ExpertTable[1].get(), ItemTable[2].get())
                                                              : nullptr;
        if (!a) return "(no assessment)";
        std::ostringstream out;
        out << a->Values[1];
        return out.str();
    }
    }
    return {};
}

class OpenCellTest : public MainFormTest, public ::testing::WithParamInterface<OpenCellCase> {
protected:
    static void ClickAndType(SheetGrid* grid, int col, int row, const char* text) {
        ASSERT_NE(grid, nullptr);
        ClickCell(grid, col, row);
        for (const char* p = text; *p; ++p) {
            QWidget* w = QApplication::focusWidget();
            ASSERT_NE(w, nullptr);
            QTest::keyClick(w, *p);
        }
        QApplication::processEvents();
    }

    // The example case with its experts, realisations and first expert's assessments open, the
    // cell of the case clicked and the text typed into it; the cell is not left. With
    // `earlierEdit`, the fifth item's name was typed over first and left with Tab, so the case
    // is modified and Save enabled.
    void TypeWithoutLeaving(const std::string& path, bool earlierEdit) {
        OpenThrough(path);
        ASSERT_NE(ExpertsSheet, nullptr);
        Action("Items1")->trigger();
        QApplication::processEvents();
        Action("Assessments1")->trigger();
        QApplication::processEvents();
        if (earlierEdit) {
            ClickAndType(GridOf(R), 6, 5, "Wet");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QApplication::processEvents();
            ASSERT_EQ(ItemTable[5]->Name.str(), "Wet");
        }
        ClickAndType(GridOf(GetParam().Target), GetParam().Col, GetParam().Row, GetParam().Text);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr) << "the cell is still being edited";
        ASSERT_EQ(editor->text().toStdString(), GetParam().Text);
    }

    void ClickSpeedButton(QAction* action) {
        auto* button = qobject_cast<QToolButton*>(form->SpeedPanel->widgetForAction(action));
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
        QApplication::processEvents();
    }

    void Reopen(const std::string& path) {
        FreshProgram();
        OpenThrough(path);
    }
};

// Save is enabled by an earlier edit; what is still open in the cell is saved with it.
TEST_P(OpenCellTest, TheSaveButtonSavesTheTextStillOpenInACell) {
    const std::string path = CopyExample(".dtt");
    ASSERT_NO_FATAL_FAILURE(TypeWithoutLeaving(path, true));
    ASSERT_NO_FATAL_FAILURE(ClickSpeedButton(Action("SaveBtn")));
    EXPECT_EQ(Stored(GetParam().Target), GetParam().Text);
    Reopen(path);
    ASSERT_NE(ExpertsSheet, nullptr);
    EXPECT_EQ(ItemTable[5]->Name.str(), "Wet");
    EXPECT_EQ(Stored(GetParam().Target), GetParam().Text);
}

TEST_P(OpenCellTest, ClosingTheCaseAsksAboutTheTextStillOpenInACell) {
    const std::string path = CopyExample(".dtt");
    ASSERT_NO_FATAL_FAILURE(TypeWithoutLeaving(path, false));
    // Every save question is answered Yes: the case is saved as the sheets show it.
    for (int n = 0; n < 4; ++n) prompts.QueueAnswer(platform::Answer::Yes);
    Action("CloseAllWindows")->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(prompts.MessageTexts().empty()) << "no save question";
    EXPECT_EQ(ExpertsSheet, nullptr);
    Reopen(path);
    ASSERT_NE(ExpertsSheet, nullptr);
    EXPECT_EQ(Stored(GetParam().Target), GetParam().Text);
}

TEST_P(OpenCellTest, TheRunButtonChecksTheTextStillOpenInACell) {
    const std::string path = CopyExample(".dtt");
    ASSERT_NO_FATAL_FAILURE(TypeWithoutLeaving(path, false));
    ASSERT_NO_FATAL_FAILURE(ClickSpeedButton(Action("RunButton")));
    EXPECT_EQ(Stored(GetParam().Target), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(Sheets, OpenCellTest,
                         ::testing::Values(OpenCellCase{E, 3, 1, "Zed Alder"}, OpenCellCase{R, 6, 3, "Dry"},
                                           OpenCellCase{A, 3, 2, "7.5"}),
                         [](const ::testing::TestParamInfo<OpenCellCase>& info) {
                             std::ostringstream s;
                             PrintTo(info.param, &s);
                             return s.str();
                         });

}  // namespace

// What the user types lands in the cell of the sheet the user clicked, with the other sheets a
// user has open beside it, and in no other record; the edit survives save and reopen.
#include "main_form_fixture.h"
#include "sheet_cells.h"

#include <QHeaderView>
#include <QLineEdit>

#include <sstream>
#include <vector>

#include "common/core/text.h"
#include "workbench/window_state.h"

namespace {

using namespace sheet_cells;

const char* SheetName(Sheet s) {
    return s == E ? "experts" : s == R ? "realisations" : "assessments";
}

struct FocusCase {
    std::vector<Sheet> Open;  // opened in this order after the case (the experts sheet is first)
    Sheet Target;             // the sheet typed into
};

void PrintTo(const FocusCase& c, std::ostream* os) {
    for (Sheet s : c.Open) *os << SheetName(s) << "+";
    *os << "typing_in_" << SheetName(c.Target);
}

class SheetFocusTest : public MainFormTest, public ::testing::WithParamInterface<FocusCase> {
protected:
    void OpenSheet(Sheet s) {
        if (s == R) Action("Items1")->trigger();
        if (s == A) Action("Assessments1")->trigger();
        if (s == E) Action("Experts1")->trigger();
        QApplication::processEvents();
    }

    // Save, a fresh program, and the case of `path` opened again.
    void SaveAndReopen(const std::string& path) {
        form->FileSave(false);
        FreshProgram();
        OpenThrough(path);
    }

    static void Type(const QString& text) {
        for (QChar ch : text) {
            QWidget* w = QApplication::focusWidget();
            ASSERT_NE(w, nullptr);
            QTest::keyClick(w, ch.toLatin1());
            QApplication::processEvents();
        }
    }
};

// The cell each sheet is typed into, what is typed and the one record cell that must change.
struct Typing {
    int Col, Row;
    const char* Text;
    const char* Record;
    const char* Before;
    const char* After;
};

Typing TypingFor(Sheet s) {
    switch (s) {
    // Alder's row: the row whose assessments window is open, which a click refreshes.
    case E: return {3, 1, "0.6", "expert 1 Name", "A. Alder, hydrology", "0.6"};
    case R: return {6, 3, "Dry", "item 3 Name", "Wettest day rainfall at station C (mm)", "Dry"};
    case A: return {3, 2, "7.5", "expert 1 RIVER2 q1", "225", "7.5"};
    }
    return {};
}

TEST_P(SheetFocusTest, KeysEditTheClickedCellOfTheClickedSheetOnly) {
    const FocusCase& c = GetParam();
    const std::string dtt = CopyExample(".dtt");
    OpenThrough(dtt);
    ASSERT_NE(ExpertsSheet, nullptr);
    for (Sheet s : c.Open) OpenSheet(s);
    for (Sheet s : c.Open) ASSERT_NE(GridOf(s), nullptr) << SheetName(s) << " did not open";

    const auto before = CaseRecords();
    const Typing t = TypingFor(c.Target);
    SheetGrid* grid = GridOf(c.Target);
    ClickCell(grid, t.Col, t.Row);
    EXPECT_TRUE(grid->isAncestorOf(QApplication::focusWidget()) || QApplication::focusWidget() == grid)
        << "the click left the keyboard with "
        << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "nothing");
    // The editor a click opens holds the cell's text: the user selects it all and types over it.
    if (auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget())) edit->selectAll();
    Type(QString::fromLatin1(t.Text));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QApplication::processEvents();

    const auto after = CaseRecords();
    const std::vector<std::string> expected{std::string(t.Record) + ": " + t.Before + " -> " + t.After};
    EXPECT_EQ(Changes(before, after), expected);

    // Saved, closed, reopened: the one change and nothing else.
    SaveAndReopen(dtt);
    EXPECT_EQ(Changes(before, CaseRecords()), expected);
}

INSTANTIATE_TEST_SUITE_P(Sheets, SheetFocusTest,
                         ::testing::Values(FocusCase{{R}, E}, FocusCase{{R}, R}, FocusCase{{A}, E}, FocusCase{{A}, A},
                                           FocusCase{{R, A}, E}, FocusCase{{R, A}, R}, FocusCase{{R, A}, A},
                                           FocusCase{{A, R}, E}, FocusCase{{A, R}, R}, FocusCase{{A, R}, A}),
                         [](const ::testing::TestParamInfo<FocusCase>& info) {
                             std::ostringstream s;
                             PrintTo(info.param, &s);
                             std::string name = s.str();
                             for (char& ch : name)
                                 if (ch == '+') ch = '_';
                             return name;
                         });

}  // namespace

namespace {

class NewCaseFocusTest : public SheetFocusTest {
protected:
    static void TypeHere(const char* text, bool tab = true) {
        for (const char* p = text; *p; ++p) {
            QWidget* w = QApplication::focusWidget();
            ASSERT_NE(w, nullptr);
            QTest::keyClick(w, *p);
        }
        if (tab) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QApplication::processEvents();
    }
};

// A new case: the item's Id typed into the realisations sheet, then the experts window opened
// (with its levels prompt) and the first expert's Id typed where the new window put the cursor.
TEST_F(NewCaseFocusTest, TheNewExpertsSheetTakesTheKeysOfTheNewExpert) {
    form->MakeNewItemsForm();
    QApplication::processEvents();
    ASSERT_NE(ChildSheets[0], nullptr);
    ClickCell(ChildSheets[0]->ItemsGrid, 1, 1);
    // Typed and left as it is: the next window takes the keyboard, and the editor gives
    // what it holds to its cell.
    TypeHere("X1", false);
    AnswerLevelsDialog(true);
    Action("OpenExpertsWindow1")->trigger();
    // The levels dialog has gone: the window system gives the frame back its activation.
    QApplication::setActiveWindow(form.get());
    QApplication::processEvents();
    ASSERT_NE(ExpertsSheet, nullptr);
    ASSERT_EQ(ItemTable[1]->Id.str(), "X1");
    ClickCell(ExpertsSheet->ExpertsGrid, 1, 1);
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    EXPECT_TRUE(ExpertsSheet->isAncestorOf(focus)) << "the new experts sheet has the keyboard";
    TypeHere("EB");
    EXPECT_EQ(ItemTable[1]->Id.str(), "X1");
    ASSERT_NE(ExpertTable[1], nullptr);
    EXPECT_EQ(ExpertTable[1]->Id.str(), "EB");

    const std::string path = (root_ / "fresh.dtt").string();
    prompts.QueueSaveFile(path);
    SaveAndReopen(path);
    ASSERT_NE(ItemTable[1], nullptr);
    EXPECT_EQ(ItemTable[1]->Id.str(), "X1");
    ASSERT_NE(ExpertTable[1], nullptr);
    EXPECT_EQ(ExpertTable[1]->Id.str(), "EB");
}

}  // namespace

namespace {

// An assessments window just opened shows its cursor on the first quantile of the first item:
// what the user types next goes there, whichever way the window was opened and whatever else is
// open beside it.
class OpenedSheetFocusTest : public SheetFocusTest {
protected:
    // A double click on the expert's row as a user makes it: a click, then the double click.
    static void DoubleClickRow(SheetGrid* grid, int row) {
        const QPoint p = grid->visualRect(grid->model()->index(row - grid->Source()->HeaderRows(), 1)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, p);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, p);
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, Qt::NoModifier, p);
        QApplication::processEvents();
    }
};

TEST_F(OpenedSheetFocusTest, TheFirstKeysGoToTheCursorCellOfTheNewAssessmentsWindow) {
    struct Way {
        const char* name;
        bool realisations;  // the realisations sheet is open beside the experts sheet
        bool menu;          // Assessments menu on the expert's row instead of a double click
    };
    const Way ways[] = {{"double click", false, false},
                        {"double click, realisations open", true, false},
                        {"menu", false, true},
                        {"menu, realisations open", true, true}};
    const std::string dtt = CopyExample(".dtt");
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        CopyExample(".dtt");
        DropForm();
        ResetGlobals();
        ResetWindowState();
        MakeForm();
        OpenThrough(dtt);
        ASSERT_NE(ExpertsSheet, nullptr);
        if (way.realisations) OpenSheet(R);
        const auto before = CaseRecords();
        if (way.menu) {
            ClickCell(ExpertsSheet->ExpertsGrid, 1, 2);
            OpenSheet(A);
        } else {
            DoubleClickRow(ExpertsSheet->ExpertsGrid, 2);
        }
        ASSERT_NE(ChildSheets[2], nullptr);
        Type(QStringLiteral("300.5"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QApplication::processEvents();
        // 3.14640E+0002 in the file, to nine digits as a 32-bit real.
        const std::vector<std::string> expected{"expert 2 RIVER1 q1: 314.640015 -> 300.5"};
        EXPECT_EQ(Changes(before, CaseRecords()), expected);
        SaveAndReopen(dtt);
        EXPECT_EQ(Changes(before, CaseRecords()), expected);
    }
}

}  // namespace

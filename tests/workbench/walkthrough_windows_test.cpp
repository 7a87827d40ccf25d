// The README's walk-through on the example case, through the buttons and menus a user clicks,
// with the windows it leaves open: result views, the save question on exit, views after a
// robustness run and where the result windows open.
#include "main_form_fixture.h"

#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>

#include "common/ui/flpoint_dlg.h"

#include <sstream>

#include "engine/formatting.h"
#include "workbench/robustness_runs.h"
#include "workbench/run_dialog.h"
#include "workbench/services.h"
#include "workbench/window_state.h"

using namespace halvorine;

namespace {

class WalkthroughTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        WireServices();
    }
    void TearDown() override {
        WireServices();
        MainFormTest::TearDown();
    }

    void OpenStorm() {
        OpenThrough(CopyExample(".dtt"));
        ASSERT_NE(ExpertsSheet, nullptr);
    }

    TRunDlgFrm* Calculate() {
        Action("CalculateItem")->trigger();
        QApplication::processEvents();
        return OpenRunDialog();
    }

    static void Click(QPushButton* button) {
        ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
        QApplication::processEvents();
    }

    // The example case with the items and the first expert's assessments open as asked,
    // Calculate, RUN and the solution: the run dialog, null when it did not come up.
    TRunDlgFrm* RunToTheSolution(bool items, bool assessments) {
        OpenThrough(CopyExample(".dtt"));
        if (!ExpertsSheet) return nullptr;
        if (items) Action("Items1")->trigger();
        if (assessments) {
            ExpertsSheet->ExpertsGrid->SetCursor(1, 1);
            Action("Assessments1")->trigger();
        }
        QApplication::processEvents();
        TRunDlgFrm* d = Calculate();
        if (!d) return nullptr;
        Click(d->RunButton);
        Click(d->DSolutionButton);
        return d;
    }

    static TItemsSheet* ResultSheet() {
        for (int s = FirstResultSlot; s <= ChildSheetSlots; ++s)
            if (ChildSheets[s]) return ChildSheets[s];
        return nullptr;
    }

    // The texts the grid shows, row by row, as the view has them (its own row count).
    static std::vector<std::string> ShownRows(SheetGrid* grid) {
        std::vector<std::string> rows;
        const int n = grid->verticalHeader()->count();
        for (int r = 0; r < n; ++r) {
            std::string line;
            for (int c = 0; c < grid->model()->columnCount(); ++c)
                line += grid->model()->index(r, c).data().toString().toStdString() + "|";
            rows.push_back(line);
        }
        return rows;
    }
};

// ---------------------------------------------------------------- loss view

struct LossCase {
    bool Items, Assessments;
};

void PrintTo(const LossCase& c, std::ostream* os) {
    *os << (c.Items ? "Items" : "") << (c.Assessments ? "Assessments" : "")
        << (c.Items || c.Assessments ? "" : "Nothing") << "Open";
}

class LossViewTest : public WalkthroughTest, public ::testing::WithParamInterface<LossCase> {};

TEST_P(LossViewTest, BilinearLossShowsLossesWhateverElseIsOpen) {
    TRunDlgFrm* d = RunToTheSolution(GetParam().Items, GetParam().Assessments);
    ASSERT_NE(d, nullptr);
    if (GetParam().Items) Action("Items1")->trigger();  // back to the items, as the walk-through does
    QApplication::processEvents();
    Click(d->DBLossButton);

    TItemsSheet* sheet = ResultSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(ItemsSheetMode, ItemsLossView);
    EXPECT_EQ(sheet->windowTitle().toStdString(), "Bilinear losses of quantile estimates for the Expert: DMaker 1");
    // Eight seed items and the total row.
    ASSERT_EQ(sheet->ItemsGrid->verticalHeader()->count(), 9);
    const TExpert* dm = sheet->Core.Expert;
    ASSERT_NE(dm, nullptr);
    // RIVER1 is realised at 412 above the 5 % quantile q: the loss is (412 - q) x 6 x 0.05.
    const float q = FindAssessment(dm, ItemTable[1].get())->Values[1];
    ASSERT_LT(q, 412.0f);
    const QString shown = sheet->ItemsGrid->model()->index(0, 3).data().toString();
    EXPECT_EQ(shown.toStdString(), FormatNumber(static_cast<float>((412.0 - q) * 0.3)));
    EXPECT_EQ(sheet->ItemsGrid->model()->index(8, 1).data().toString().toStdString(), "---- Total ----");
    // The window the user looks at is the loss view, not the items.
    EXPECT_EQ(form->MdiArea->activeSubWindow(), sheet);
}

INSTANTIATE_TEST_SUITE_P(Windows, LossViewTest,
                         ::testing::Values(LossCase{false, false}, LossCase{true, false}, LossCase{false, true},
                                           LossCase{true, true}),
                         [](const ::testing::TestParamInfo<LossCase>& info) {
                             std::ostringstream s;
                             PrintTo(info.param, &s);
                             return s.str();
                         });

// ---------------------------------------------------------------- exit

TEST_F(WalkthroughTest, ExitThenCancelAtTheSaveQuestionLeavesEveryWindowOpen) {
    TRunDlgFrm* d = RunToTheSolution(true, true);
    ASSERT_NE(d, nullptr);
    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
    CaseFile.FileKinds[ItemsFileKind].Modified = true;
    std::vector<QPointer<QMdiSubWindow>> before;
    std::vector<std::string> titles;
    for (QMdiSubWindow* w : form->MdiArea->subWindowList()) {
        before.emplace_back(w);
        titles.push_back(w->windowTitle().toStdString());
    }
    ASSERT_EQ(before.size(), 5u);

    prompts.QueueAnswer(platform::Answer::Cancel);
    Action("FileExitItem")->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(form->isVisible());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_TRUE(before[i] && before[i]->isVisible()) << titles[i] << " closed";
    }
    EXPECT_EQ(prompts.MessageTexts().size(), 1u);
    EXPECT_TRUE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
    EXPECT_TRUE(CaseFile.FileKinds[ItemsFileKind].Modified);
    EXPECT_NE(RunDialog, nullptr);
}

// ---------------------------------------------------------------- views after a robustness run

TEST_F(WalkthroughTest, AfterARobustnessRunTheExpertsSheetListsOnlyTheExperts) {
    OpenStorm();
    TRunDlgFrm* d = Calculate();
    ASSERT_NE(d, nullptr);
    Click(d->RunButton);
    Click(d->RunButton);  // DMaker 1 and DMaker 2 in the scores view
    ASSERT_EQ(ShownRows(ExpertsSheet->ExpertsGrid).size(), 6u);
    Click(d->RobItButton);
    QApplication::processEvents();

    // The runs removed both decision makers; the experts sheet shows the four experts.
    const std::vector<std::string> rows = ShownRows(ExpertsSheet->ExpertsGrid);
    for (const std::string& r : rows) EXPECT_EQ(r.find("DMaker"), std::string::npos) << r;
    std::vector<std::string> ids;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        ids.push_back(ExpertsSheet->ExpertsGrid->model()->index(r, 1).data().toString().toStdString());
    EXPECT_EQ(ids, (std::vector<std::string>{"Alder", "Birch", "Cedar", "Dogwood"}));
}

// ---------------------------------------------------------------- placement

TEST_F(WalkthroughTest, ResultWindowsLeaveTheRunDialogsButtonsVisible) {
    OpenStorm();
    Action("Items1")->trigger();
    QApplication::processEvents();
    TRunDlgFrm* d = Calculate();
    ASSERT_NE(d, nullptr);
    Click(d->RunButton);
    Click(d->DSolutionButton);
    Click(d->DBLossButton);
    Click(d->DEScoresButton);
    for (QPushButton* b : d->findChildren<QPushButton*>()) {
        if (!b->isVisible()) continue;
        const QPoint centre = b->mapTo(form->MdiArea->viewport(), b->rect().center());
        for (QMdiSubWindow* w : form->MdiArea->subWindowList()) {
            if (w == d || !w->isVisible()) continue;
            EXPECT_FALSE(w->geometry().contains(centre))
                << w->windowTitle().toStdString() << " covers " << b->text().toStdString();
        }
    }
}

// ---------------------------------------------------------------- long work

// Records the caption of the run dialog each time it is painted, and whether the busy cursor
// was on then.
class CaptionPaints : public QObject {
public:
    CaptionPaints(QWidget* dialog, platform::ScriptedPrompts& prompts) : dialog_(dialog), prompts_(prompts) {
        dialog->installEventFilter(this);
    }
    std::vector<std::string> Captions;
    std::vector<int> BusyDepths;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o == dialog_ && e->type() == QEvent::Paint) {
            const std::string t = dialog_->windowTitle().toStdString();
            if (Captions.empty() || Captions.back() != t) {
                Captions.push_back(t);
                BusyDepths.push_back(prompts_.BusyDepth());
            }
        }
        return false;
    }

private:
    QWidget* dialog_;
    platform::ScriptedPrompts& prompts_;
};

TEST_F(WalkthroughTest, RobustnessRunsPaintTheCaptionOfEachRunAsItStartsUnderTheBusyCursor) {
    OpenStorm();
    TRunDlgFrm* d = Calculate();
    ASSERT_NE(d, nullptr);
    QApplication::processEvents();
    CaptionPaints paints(d, prompts);
    Click(d->RobItButton);
    std::vector<std::string> seeds;
    for (const char* id : {"RIVER1", "RIVER2", "RAIN1", "RAIN2", "TEMP1", "WIND1", "DAMAGE1", "LEVEE1"})
        seeds.push_back(std::string("Filtering Item: ") + id);
    std::vector<std::string> during;
    for (std::size_t i = 0; i < paints.Captions.size(); ++i)
        if (paints.Captions[i].rfind("Filtering", 0) == 0) {
            during.push_back(paints.Captions[i]);
            EXPECT_GT(paints.BusyDepths[i], 0) << paints.Captions[i];
        }
    EXPECT_EQ(during, seeds);
    EXPECT_EQ(d->windowTitle().toStdString(), "Run Parameters");

    paints.Captions.clear();
    Click(d->RobExButton);
    during.clear();
    for (const std::string& c : paints.Captions)
        if (c.rfind("Filtering", 0) == 0) during.push_back(c);
    EXPECT_EQ(during, (std::vector<std::string>{"Filtering Expert: Alder", "Filtering Expert: Birch",
                                                "Filtering Expert: Cedar", "Filtering Expert: Dogwood"}));
}

// ---------------------------------------------------------------- copy, format, merge, questions

class CopyTest : public WalkthroughTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CopyTest, CtrlCOnAFreshAssessmentsSheetCopiesIt) {
    OpenStorm();
    if (GetParam()) Action("Items1")->trigger();
    ExpertsSheet->ExpertsGrid->SetCursor(1, 1);
    Action("Assessments1")->trigger();
    QApplication::processEvents();
    TItemsSheet* sheet = ChildSheets[1];
    ASSERT_NE(sheet, nullptr);
    ASSERT_EQ(form->MdiArea->activeSubWindow(), sheet);
    prompts.SetClipboardText("");
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    ASSERT_TRUE(sheet->isAncestorOf(focus)) << "the new sheet has the keyboard";
    QTest::keyClick(focus, Qt::Key_C, Qt::ControlModifier);
    QApplication::processEvents();
    const std::string copied = prompts.ClipboardText();
    EXPECT_NE(copied.find("RIVER1"), std::string::npos) << copied;
    EXPECT_NE(copied.find("POP1"), std::string::npos);
}

TEST_F(WalkthroughTest, CtrlCOnAnAssessmentsSheetOpenedByDoubleClickCopiesIt) {
    OpenStorm();
    Action("Items1")->trigger();
    QApplication::processEvents();
    SheetGrid* experts = ExpertsSheet->ExpertsGrid;
    const QPoint p = experts->visualRect(experts->model()->index(1, 1)).center();
    QTest::mouseClick(experts->viewport(), Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseDClick(experts->viewport(), Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseRelease(experts->viewport(), Qt::LeftButton, Qt::NoModifier, p);
    QApplication::processEvents();
    TItemsSheet* sheet = ChildSheets[2];
    ASSERT_NE(sheet, nullptr);
    prompts.SetClipboardText("");
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, Qt::Key_C, Qt::ControlModifier);
    QApplication::processEvents();
    const std::string copied = prompts.ClipboardText();
    EXPECT_TRUE(sheet->isAncestorOf(focus)) << "the keyboard stayed with " << focus->objectName().toStdString();
    EXPECT_NE(copied.find("RIVER1"), std::string::npos) << copied;
    EXPECT_NE(copied.find("POP1"), std::string::npos);
}

// A double click on an expert's Id or full name as a user makes it: the first click puts the cell
// editor on the cell, so the second lands on the editor. It opens that expert's assessments, with
// the realisations sheet open beside them or not, and changes no cell.
TEST_F(WalkthroughTest, DoubleClickOnAnExpertsCellOpensItsAssessments) {
    struct Way {
        const char* name;
        int col;
        bool realisations;
    };
    const Way ways[] = {{"Id", 1, false}, {"full name", 3, false}, {"Id, realisations open", 1, true}};
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        DropForm();
        ResetGlobals();
        ResetWindowState();
        MakeForm();
        OpenStorm();
        if (way.realisations) Action("Items1")->trigger();
        QApplication::processEvents();
        SheetGrid* experts = ExpertsSheet->ExpertsGrid;
        const QPoint p = experts->visualRect(experts->model()->index(1, way.col)).center();
        QTest::mouseClick(experts->viewport(), Qt::LeftButton, Qt::NoModifier, p);
        QApplication::processEvents();
        QWidget* under = experts->viewport()->childAt(p);
        QWidget* target = under ? under : experts->viewport();
        QTest::mouseDClick(target, Qt::LeftButton, Qt::NoModifier, target->mapFrom(experts->viewport(), p));
        QApplication::processEvents();
        ASSERT_NE(ChildSheets[2], nullptr);
        EXPECT_EQ(ChildSheets[2]->Core.Expert, ExpertTable[2].get());
        EXPECT_EQ(form->MdiArea->activeSubWindow(), ChildSheets[2]);
        EXPECT_EQ(ExpertTable[2]->Id.str(), "Birch");
        EXPECT_EQ(ExpertTable[2]->Name.str(), "B. Birch, meteorology");
        EXPECT_FALSE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, CopyTest, ::testing::Bool(), [](const ::testing::TestParamInfo<bool>& info) {
    return std::string(info.param ? "WithItemsOpen" : "ExpertsOnly");
});

TEST_F(WalkthroughTest, FixedPointWithSixDecimalsShowsEveryNumberWhole) {
    OpenStorm();
    Action("Items1")->trigger();
    ExpertsSheet->ExpertsGrid->SetCursor(1, 1);
    Action("Assessments1")->trigger();
    QApplication::processEvents();
    Action("Changefloatingpointformat1")->trigger();
    QApplication::processEvents();
    auto* dlg = form->findChild<TFlpointDlg*>();
    ASSERT_NE(dlg, nullptr);
    QTest::mouseClick(dlg->FixedPointButton, Qt::LeftButton);
    dlg->DPEdit->setText(QStringLiteral("6"));
    emit dlg->DPEdit->editingFinished();
    QTest::mouseClick(dlg->OKButton, Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_EQ(FloatFormat, 'f');
    ASSERT_EQ(DecimalPlaces, 6);

    for (TItemsSheet* sheet : {ChildSheets[0], ChildSheets[1]}) {
        ASSERT_NE(sheet, nullptr);
        SheetGrid* grid = sheet->ItemsGrid;
        QFont bold = grid->Model()->DataFont;
        bold.setBold(true);
        const QFontMetrics fm(bold);
        int checked = 0;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            for (int c = 1; c < grid->model()->columnCount(); ++c) {
                const QString text = grid->model()->index(r, c).data().toString().trimmed();
                bool number = false;
                text.toDouble(&number);
                if (!number || grid->columnWidth(c) == 0) continue;
                ++checked;
                // The item delegate keeps three pixels free on either side.
                EXPECT_LE(fm.horizontalAdvance(text) + 6, grid->columnWidth(c))
                    << sheet->windowTitle().toStdString() << " row " << r + 1 << " col " << c << ": "
                    << text.toStdString();
            }
        EXPECT_GE(checked, 8);
    }
    // "15600.000000" is POP1's 95 % quantile for Alder: twelve characters in a field of ten.
    EXPECT_EQ(ChildSheets[1]->ItemsGrid->model()->index(11, 5).data().toString().toStdString(), "15600.000000");
}

TEST_F(WalkthroughTest, AfterAMergeTheRealisationsSheetShowsTheNewItems) {
    OpenStorm();
    Action("Items1")->trigger();
    QApplication::processEvents();
    TItemsSheet* items = ChildSheets[0];
    ASSERT_NE(items, nullptr);
    prompts.QueueOpenFile(Fixture("MERGENEW.dtt"));
    Action("MergeAssessmentsFile1")->trigger();
    QApplication::processEvents();
    ASSERT_EQ(ItemTable[15] ? ItemTable[15]->Id.str() : std::string(), "NEW3");
    SheetGrid* grid = items->ItemsGrid;
    ASSERT_EQ(grid->verticalHeader()->count(), 15);
    // The last row is in view whole, without scrolling.
    const QRect last = grid->visualRect(grid->model()->index(14, 1));
    EXPECT_GE(last.top(), 0);
    EXPECT_LE(last.bottom(), grid->viewport()->height());
    EXPECT_EQ(grid->model()->index(14, 1).data().toString().toStdString(), "NEW3");
}

TEST_F(WalkthroughTest, TheSaveQuestionNamesTheFileAsItIsSpelled) {
    const std::string dtt = CopyExample(".dtt", "storm");
    OpenThrough(dtt);
    ASSERT_NE(ExpertsSheet, nullptr);
    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
    prompts.QueueAnswer(platform::Answer::Cancel);
    Action("FileExitItem")->trigger();
    QApplication::processEvents();
    ASSERT_EQ(prompts.MessageTexts().size(), 1u);
    EXPECT_EQ(prompts.MessageTexts()[0], "Contents of the case file " + dtt + " has been changed. Save it?");
}

}  // namespace

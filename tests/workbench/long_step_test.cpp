// Clicks and keys that come in while a run holds the window: they are dropped, so nothing the
// user clicked while waiting runs once the run is over.
#include "main_form_fixture.h"

#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>

#include "common/ui/mdi_frame.h"
#include "workbench/robustness_runs.h"
#include "workbench/run_dialog.h"
#include "workbench/services.h"

using namespace halvorine;

namespace {

// When the input comes: while the run paints its progress (the caption of each left-out run),
// or while it paints nothing until it ends.
enum class Painting { Progress, None };

void PrintTo(Painting p, std::ostream* os) {
    *os << (p == Painting::Progress ? "while painting" : "unpainted");
}

class LongStepTest : public MainFormTest, public ::testing::WithParamInterface<Painting> {
protected:
    TRunDlgFrm* Calculate() {
        OpenThrough(CopyExample(".dtt"));
        EXPECT_NE(ExpertsSheet, nullptr);
        form->CalculateItemClick();
        QApplication::processEvents();
        return OpenRunDialog();
    }

    // A press and release of the left button at `pos` of `w`, as they come from the window
    // system: into the queue, to be delivered when the event loop next runs.
    static void QueueClick(QWidget* w, QPoint pos) {
        const QPointF local(pos), global(w->mapToGlobal(pos));
        QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonPress, local, global, Qt::LeftButton,
                                                       Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonRelease, local, global, Qt::LeftButton,
                                                       Qt::NoButton, Qt::NoModifier));
    }

    // The user clicks File in the menu bar and RUN in the run dialog while the run goes on.
    void ClickAroundDuringTheRun(TRunDlgFrm& dialog) {
        QMenuBar* bar = form->menuBar();
        QueueClick(bar, bar->actionGeometry(Menu("File1")->menuAction()).center());
        QueueClick(dialog.RunButton, dialog.RunButton->rect().center());
        if (GetParam() == Painting::Progress) {
            dialog.setWindowTitle(QStringLiteral("Filtering Item: WIND1"));
            PaintNow(dialog);
        }
    }

    // Nothing of the clicks happened, during the run or after it.
    void NothingRan(int runClicks) const {
        QApplication::processEvents();
        EXPECT_FALSE(Menu("File1")->isVisible()) << "the File menu opened";
        EXPECT_EQ(runClicks, 0) << "RUN was clicked";
    }
};

TEST_P(LongStepTest, ClicksDuringRobustnessRunsAreDropped) {
    TRunDlgFrm* dialog = Calculate();
    ASSERT_NE(dialog, nullptr);
    int runClicks = 0;
    QObject::connect(dialog->RunButton, &QPushButton::clicked, [&runClicks] { ++runClicks; });
    Services().CalcRob = [this](TRunDlgFrm& d) {
        ClickAroundDuringTheRun(d);
        return CalcRob(d);
    };
    dialog->RobItButton->click();
    EXPECT_TRUE(prompts.MessageTexts().empty());
    EXPECT_TRUE(dialog->DRobustnessButton->isEnabled()) << "the runs went through";
    NothingRan(runClicks);
    // Input is taken again once the run is over.
    QTest::mouseClick(dialog->RunButton, Qt::LeftButton);
    EXPECT_EQ(runClicks, 1);
}

TEST_P(LongStepTest, ClicksDuringARunAreDropped) {
    TRunDlgFrm* dialog = Calculate();
    ASSERT_NE(dialog, nullptr);
    int runClicks = 0;
    const auto run = Services().RunCalculation;
    Services().RunCalculation = [this, dialog, run](int& code) {
        ClickAroundDuringTheRun(*dialog);
        run(code);
    };
    QObject::connect(dialog->RunButton, &QPushButton::clicked, [&runClicks] { ++runClicks; });
    dialog->RunButton->click();
    --runClicks;  // the click that started the run
    EXPECT_TRUE(dialog->DSolutionButton->isEnabled()) << "the run went through";
    NothingRan(runClicks);
}

INSTANTIATE_TEST_SUITE_P(Input, LongStepTest, ::testing::Values(Painting::Progress, Painting::None),
                         [](const auto& info) {
                             return info.param == Painting::Progress ? "WhilePainting" : "Unpainted";
                         });

}  // namespace

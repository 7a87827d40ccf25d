#include "pairwise/ui/run_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

#include "common/core/calc_error.h"
#include "common/core/io_error.h"
#include "common/core/line_io.h"
#include "common/core/text.h"
#include "common/ui/input_hold.h"
#include "common/ui/mdi_frame.h"
#include "common/ui/report_view.h"
#include "common/ui/sheet_grid.h"
#include "pairwise/model/globals.h"
#include "pairwise/model/nel_model.h"
#include "pairwise/model/run_comparison.h"
#include "pairwise/model/run_tally.h"
#include "pairwise/model/tables.h"
#include "pairwise/model/workspace.h"
#include "pairwise/ui/main_form.h"
#include "pairwise/ui/pair_grid.h"
#include "pairwise/ui/window_state.h"
#include "platform/prompts.h"

namespace trindel {

namespace {

void Tell(const std::string& text, platform::MessageKind kind = platform::MessageKind::Information) {
    if (Platform) Platform->Message(kind, text, platform::Buttons::Ok);
}

int CalcErrorIndex(CalcErrorKind kind) {
    switch (kind) {
    case CalcErrorKind::ZeroDivide: return 1;
    case CalcErrorKind::Overflow: return 2;
    case CalcErrorKind::InvalidOperation: return 3;
    }
    return 3;
}

}  // namespace

// ---------------------------------------------------------------- run dialog

TRunDlgFrm::TRunDlgFrm(QMdiArea* area) : QMdiSubWindow(nullptr) {
    setObjectName(QStringLiteral("RunDlgFrm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Run Parameters"));
    setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint);

    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    ScaleTransformBox = new QCheckBox(QStringLiteral("Scale Transformation"), body);
    ScaleTransformBox->setObjectName(QStringLiteral("ScaleTransformBox"));
    ScaleTransformBox->setChecked(true);
    RadioGroup1 = new QGroupBox(body);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    auto* group = new QVBoxLayout(RadioGroup1);
    group->setContentsMargins(8, 4, 8, 4);
    RadioButton1 = new QRadioButton(QStringLiteral("RB1"), RadioGroup1);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton2 = new QRadioButton(QStringLiteral("RB2"), RadioGroup1);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    group->addWidget(RadioButton1);
    group->addWidget(RadioButton2);
    for (QWidget* w :
         {static_cast<QWidget*>(RadioGroup1), static_cast<QWidget*>(RadioButton1), static_cast<QWidget*>(RadioButton2)})
        w->setEnabled(false);
    ConfidenceIntervalsBox = new QCheckBox(QStringLiteral("Confidence Intervals"), body);
    ConfidenceIntervalsBox->setObjectName(QStringLiteral("ConfidenceIntervalsBox"));
    RunButton = new QPushButton(QStringLiteral("RUN"), body);
    RunButton->setObjectName(QStringLiteral("RunButton"));
    DSolutionButton = new QPushButton(QStringLiteral("Display"), body);
    DSolutionButton->setObjectName(QStringLiteral("DSolutionButton"));
    RangeItemsButton = new QPushButton(QStringLiteral("Range Graph (itemwise)"), body);
    RangeItemsButton->setObjectName(QStringLiteral("RangeItemsButton"));
    RangeExpertsButton = new QPushButton(QStringLiteral("Range Graph (expertswise)"), body);
    RangeExpertsButton->setObjectName(QStringLiteral("RangeExpertsButton"));
    for (QPushButton* b : {DSolutionButton, RangeItemsButton, RangeExpertsButton}) {
        b->setEnabled(false);
        b->setVisible(false);
    }
    layout->addWidget(ScaleTransformBox);
    layout->addWidget(RadioGroup1);
    layout->addWidget(ConfidenceIntervalsBox);
    layout->addWidget(RunButton);
    layout->addWidget(DSolutionButton);
    layout->addWidget(RangeItemsButton);
    layout->addWidget(RangeExpertsButton);
    layout->addStretch(1);
    setWidget(body);

    connect(ScaleTransformBox, &QCheckBox::toggled, this, &TRunDlgFrm::ScaleTransformBoxClick);
    connect(ConfidenceIntervalsBox, &QCheckBox::toggled, this, &TRunDlgFrm::ConfidenceIntervalsBoxClick);
    connect(RunButton, &QPushButton::clicked, this, &TRunDlgFrm::RunButtonClick);
    connect(DSolutionButton, &QPushButton::clicked, this, &TRunDlgFrm::DSolutionButtonClick);

    area->addSubWindow(this);
    // FormCreate: the box starts unticked, which runs its handler (silently, being unticked).
    ScaleTransformBox->setChecked(false);
    // The box shows the option the next run will use (a box unticked over an option still on would run
    // the simulation unasked).
    ConfidenceIntervalsBox->setChecked(ConfidenceIntervals);
    setEnabled(false);
    body->adjustSize();
    const QSize hint = sizeHint();
    resize(std::max(163 + 2 * 4, hint.width()), std::min(360, std::max(152 + 24, hint.height())));
    setMaximumHeight(360);
}

TRunDlgFrm::~TRunDlgFrm() {
    // The results windows belong to the dialog and go with it.
    for (const QPointer<QMdiSubWindow>& w : ownWindows_)
        if (w) delete w.data();
    if (RunDialog == this) RunDialog = nullptr;
}

bool TRunDlgFrm::CheckTransform(bool ask) {
    // Among the items the run takes: flagged items stay in the table but not in the run.
    AnswerColumnCount = CountItems();
    const std::vector<int> items = RunItemPositions();
    const RunReferenceItems refs = FindRunReferenceItems(items);
    if (refs.Count != 2) {
        RadioButton1->hide();
        RadioButton2->hide();
        RadioGroup1->hide();
        if (ScaleTransformBox->isChecked() && ask) Tell("Number of realizations is not equal to 2");
        return false;
    }
    auto idOf = [&](int runPosition) {
        return platform::QStringFromBytes(ItemTable[items[runPosition - 1]]->Id.str());
    };
    RadioButton1->setText(idOf(refs.First));
    RadioButton2->setText(idOf(refs.Second));
    if (!RadioButton2->isChecked()) RadioButton1->setChecked(true);
    const bool on = ScaleTransformBox->isChecked();
    RadioButton1->setEnabled(on);
    RadioButton2->setEnabled(on);
    RadioGroup1->setEnabled(on);
    RadioGroup1->show();
    RadioButton1->show();
    RadioButton2->show();
    return true;
}

void TRunDlgFrm::ScaleTransformBoxClick() {
    const bool ok = CheckTransform(true) && ScaleTransformBox->isChecked();
    if (ScaleTransformBox->isChecked() != ok) ScaleTransformBox->setChecked(ok);
    ScaleTransformation = ScaleTransformBox->isChecked();
}

void TRunDlgFrm::ConfidenceIntervalsBoxClick() {
    ConfidenceIntervals = ConfidenceIntervalsBox->isChecked();
}

void TRunDlgFrm::RunButtonClick() {
    // The run and the report's loading hold the window: what is clicked meanwhile is dropped,
    // and the frame's status bar tells the step (the dialog's caption is too narrow for it).
    const InputHold hold;
    QStatusBar* bar = MainForm ? MainForm->StatusBar : nullptr;
    RunProgress = [bar](const std::string& step) {
        if (!bar) return;
        bar->showMessage(QString::fromStdString(step));
        PaintNow(*bar);
    };
    struct Restore {
        QStatusBar* bar;
        ~Restore() {
            RunProgress = nullptr;
            if (bar) bar->clearMessage();
        }
    } restore{bar};
    if (!RunCheck()) return;
    ReportRunStep("Loading the report");
    CreateRangeGraph(ItemsWiseGraph);
}

bool TRunDlgFrm::RunCheck() {
    // The run leaves flagged items and experts out itself; the tables stay as they are, so
    // every answer stays under its own item.
    AnswerColumnCount = CountItems();
    if (CountRunExperts() < 2) {
        Tell("Number of experts must be at least 2");
        return false;
    }
    if (!Platform) return false;
    platform::BusyCursor busy(*Platform);
    try {
        ResultsFresh = RunComparison(RadioButton2->isChecked() ? 2 : 1);
        return ResultsFresh;
    } catch (const CalcError& e) {
        ShowCalcError(CalcErrorIndex(e.Kind()));
    } catch (const IoError&) {
        ShowCalcError(4);
    } catch (const UncomparedItemError& e) {
        Tell(e.what(), platform::MessageKind::Warning);
    }
    return false;
}

void TRunDlgFrm::ShowCalcError(int index) {
    if (index < 1 || index > 4) return;
    Tell(std::string(CalcErrorNames[index]) + " detected during calculations, quit the application recommended.",
         platform::MessageKind::Error);
}

void TRunDlgFrm::CreateRangeGraph(int kind) {
    RangeGraphKind = kind;
    if (ResultsFresh && ItemsRangeGraph) {
        delete ItemsRangeGraph.data();
        ItemsRangeGraph = nullptr;
    }
    QPointer<TRangeGraphWindow>& slot = kind == ItemsWiseGraph ? ItemsRangeGraph : ExpertsRangeGraph;
    if (slot) {
        slot->update();
        if (slot->isMinimized()) slot->showNormal();
        mdiArea()->setActiveSubWindow(slot);
    } else {
        auto* window = new TRangeGraphWindow(mdiArea());
        slot = window;
        ownWindows_.push_back(window);
        try {
            window->LoadReport();
        } catch (...) {
            delete window;
            ResultsFresh = false;
            throw;
        }
        window->show();
        KeepInsideArea(window);
        mdiArea()->setActiveSubWindow(window);
    }
    ResultsFresh = false;
}

void TRunDlgFrm::DSolutionButtonClick() {
    ItemsSheetMode = ItemsSolutionView;
}

void TRunDlgFrm::closeEvent(QCloseEvent* event) {
    ExpertsTextOutput = 0;
    ExpertsSheetMode = ExpertsDataView;
    if (RunDialog == this) RunDialog = nullptr;
    // The results windows belong to the dialog and go with it.
    for (const QPointer<QMdiSubWindow>& w : ownWindows_)
        if (w) w->close();
    QMdiSubWindow::closeEvent(event);
    if (MainForm) MainForm->update();
}

// ---------------------------------------------------------------- results window

TRangeGraphWindow::TRangeGraphWindow(QMdiArea* area) : QMdiSubWindow(nullptr) {
    setObjectName(QStringLiteral("RangeGraphWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Range Graph"));
    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    Memo1 = new ReportView(body);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The memo holds one empty line before anything is added.
    Memo1->AppendLine({});
    // Copied text goes where the program's other copies go.
    Memo1->SetCopyTarget([](const QString& text) {
        if (Platform) Platform->SetClipboardText(platform::BytesFromQString(text));
    });
    QFont font(QStringLiteral("Fixedsys"));
    font.setStyleHint(QFont::TypeWriter);
    if (!QFontInfo(font).fixedPitch()) font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    Memo1->setFont(font);
    layout->addWidget(Memo1, 1);
    setWidget(body);
    area->addSubWindow(this);
    // FormCreate
    setWindowTitle(QStringLiteral("Comparison Results "));
    Kind = RangeGraphKind;
    ReportWindow = this;
    // Wide enough for a whole report line where the area allows it.
    const int lineWidth = QFontMetrics(font).horizontalAdvance(QString(80, QLatin1Char('0'))) + 40;
    resize(std::max(668, std::min(lineWidth, area->width() - 20)), std::max(264, std::min(420, area->height() - 40)));
}

TRangeGraphWindow::~TRangeGraphWindow() {
    Forget();
}

void TRangeGraphWindow::Forget() {
    QPointer<TRangeGraphWindow>& slot = Kind == ItemsWiseGraph ? ItemsRangeGraph : ExpertsRangeGraph;
    if (slot == this) slot = nullptr;
    if (ReportWindow == this) ReportWindow = nullptr;
}

void TRangeGraphWindow::LoadReport() {
    // The report is read as it is shown: its lines stay in the file, which the window keeps
    // open, so a report of millions of lines opens at once and takes next to no memory.
    const std::string path = CaseFile.CaseName + ".ouc";
    if (Memo1->LineCount() == 1 && Memo1->LineBytes(0).empty()) {
        if (!Memo1->SetFile(path, 1)) throw IoError::FromErrno(path);
        return;
    }
    for (const std::string& line : ReadTextLines(path)) AppendReportLine(line);
}

// Every line is shown whole: a preference table of 100 or more experts is wider than 79
// characters, and a cut number reads as another number.
void TRangeGraphWindow::AppendReportLine(const std::string& line) {
    Memo1->AppendLine(line);
}

std::vector<std::string> TRangeGraphWindow::Lines() const {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(Memo1->LineCount()));
    for (int i = 0; i < Memo1->LineCount(); ++i) lines.emplace_back(Memo1->LineBytes(i));
    return lines;
}

void TRangeGraphWindow::closeEvent(QCloseEvent* event) {
    Forget();
    QMdiSubWindow::closeEvent(event);
}

}  // namespace trindel

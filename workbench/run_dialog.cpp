#include "workbench/run_dialog.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QSpacerItem>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "common/core/text.h"
#include "common/ui/input_hold.h"
#include "engine/run_codes.h"
#include "engine/scoring_run.h"
#include "engine/tables.h"
#include "platform/prompts.h"
#include "workbench/case_state.h"
#include "workbench/experts_sheet.h"
#include "workbench/items_sheet.h"
#include "workbench/main_form.h"
#include "workbench/range_graph.h"
#include "workbench/robustness_runs.h"
#include "workbench/services.h"
#include "workbench/sheet_windows.h"
#include "workbench/window_state.h"

namespace halvorine {

namespace {

const QColor Red(255, 0, 0);

QString Q(const char* text) {
    return QString::fromLatin1(text);
}

template <typename W>
W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text) {
    return Named(new QLabel(Q(text), parent), name);
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text) {
    auto* b = Named(new QPushButton(Q(text), parent), name);
    b->setAutoDefault(false);
    return b;
}

// A group of the two variants of a computation, the new one chosen; its buttons are named
// after the caption ("Chi2NewButton", "Chi2OldButton").
QGroupBox* MakeNewOldGroup(QWidget* parent, const char* name, const char* caption, QRadioButton*& newButton,
                           QRadioButton*& oldButton) {
    auto* group = Named(new QGroupBox(Q(caption), parent), name);
    auto* column = new QVBoxLayout(group);
    newButton = new QRadioButton(QStringLiteral("New"), group);
    newButton->setObjectName(Q(caption) + QStringLiteral("NewButton"));
    oldButton = new QRadioButton(QStringLiteral("Old"), group);
    oldButton->setObjectName(Q(caption) + QStringLiteral("OldButton"));
    column->addWidget(newButton);
    column->addWidget(oldButton);
    newButton->setChecked(true);
    return group;
}

TExpert* CurrentDecisionMaker() {
    const int slot = ExpertCount + 1;
    return slot >= 1 && slot <= ExpertSlotCount ? ExpertTable[slot].get() : nullptr;
}

void CloseRangeGraphs() {
    for (QPointer<QMdiSubWindow>* graph : {&ItemsRangeGraph, &ExpertsRangeGraph}) {
        if (*graph) (*graph)->close();
        *graph = nullptr;
    }
}

}  // namespace

TRunDlgFrm* OpenRunDialog() {
    return qobject_cast<TRunDlgFrm*>(RunDialog.data());
}

TRunDlgFrm::TRunDlgFrm(QMdiArea* area) : QMdiSubWindow(nullptr) {
    setObjectName(QStringLiteral("RunDlgFrm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Run Parameters"));
    BuildControls();
    connect(this, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates old, Qt::WindowStates now) {
        if (!(old & Qt::WindowActive) && (now & Qt::WindowActive)) FormActivate();
    });
    area->addSubWindow(this);
    RunDialog = this;
    FormCreate();
}

TRunDlgFrm::~TRunDlgFrm() {
    disconnect(this, &QMdiSubWindow::windowStateChanged, this, nullptr);
    if (RunDialog == this) RunDialog = nullptr;
}

// ---------------------------------------------------------------- controls

void TRunDlgFrm::BuildControls() {
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setSizeConstraint(QLayout::SetFixedSize);
    column->setContentsMargins(10, 8, 10, 8);
    column->setSpacing(6);

    Banner = MakeLabel(body, "Banner", "Set the desired parameters ");
    Label2 = MakeLabel(body, "Label2", "and click on CALCULATE/RUN");
    QFont bannerFont = Banner->font();
    bannerFont.setBold(true);
    Banner->setFont(bannerFont);
    Label2->setFont(bannerFont);
    column->addWidget(Banner);
    column->addWidget(Label2);

    auto* middle = new QHBoxLayout;
    middle->setSpacing(12);
    column->addLayout(middle);

    // Left: the weights and the switches.
    auto* left = new QVBoxLayout;
    WeightsGroup = Named(new QGroupBox(Q("Weights"), body), "WeightsGroup");
    auto* weights = new QVBoxLayout(WeightsGroup);
    GlButton = Named(new QRadioButton(Q("Global"), WeightsGroup), "GlButton");
    EqButton1 = Named(new QRadioButton(Q("Equal"), WeightsGroup), "EqButton1");
    ItButton = Named(new QRadioButton(Q("Item"), WeightsGroup), "ItButton");
    UsButton = Named(new QRadioButton(Q("User"), WeightsGroup), "UsButton");
    for (QRadioButton* b : {GlButton, EqButton1, ItButton, UsButton}) weights->addWidget(b);
    GlButton->setChecked(true);
    left->addWidget(WeightsGroup);
    DMOptBox = Named(new QCheckBox(Q("DM optimisation"), body), "DMOptBox");
    DMOptBox->setChecked(true);
    BayUpdBox = Named(new QCheckBox(Q("Bayesian Updates"), body), "BayUpdBox");
    DiscrBox = Named(new QCheckBox(Q("Discrepancy"), body), "DiscrBox");
    left->addWidget(DMOptBox);
    left->addWidget(BayUpdBox);
    left->addWidget(DiscrBox);
    auto* oldNew = new QHBoxLayout;
    Chi2Box = MakeNewOldGroup(body, "Chi2Box", "Chi2", Chi2NewButton, Chi2OldButton);
    InfGroupBox = MakeNewOldGroup(body, "InfGroupBox", "Inf", InfNewButton, InfOldButton);
    oldNew->addWidget(Chi2Box);
    oldNew->addWidget(InfGroupBox);
    left->addLayout(oldNew);
    left->addStretch(1);
    middle->addLayout(left);

    // Right: the numbers and the name, each with its bounds.
    auto* right = new QGridLayout;
    right->setHorizontalSpacing(4);
    right->setVerticalSpacing(4);
    int row = 0;
    auto field = [&](QLabel*& caption, const char* captionName, const char* captionText, QLabel*& min,
                     const char* minName, const char* minText, QLineEdit*& edit, const char* editName,
                     const char* editText, QLabel*& max, const char* maxName, const char* maxText) {
        caption = MakeLabel(body, captionName, captionText);
        right->addWidget(caption, row++, 0, 1, 3);
        min = MakeLabel(body, minName, minText);
        min->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        edit = Named(new QLineEdit(Q(editText), body), editName);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12);
        max = MakeLabel(body, maxName, maxText);
        right->addWidget(min, row, 0);
        right->addWidget(edit, row, 1);
        right->addWidget(max, row++, 2);
    };
    field(CalibrLabel, "CalibrLabel", "Calibration Power", Label1, "Label1", "0.1 <= ", CalPowerEdit, "CalPowerEdit",
          "   1.000", CaliPowerLabel, "CaliPowerLabel", " <= 1.0");
    field(IntRangeLabel, "IntRangeLabel", "Intrinsic Range", Label3, "Label3", "0.01 <= ", IntRangeEdit, "IntRangeEdit",
          "    0.10", IRangeLabel, "IRangeLabel", "<= 100.0");
    DMLabel = MakeLabel(body, "DMLabel", "Decision Maker name");
    right->addWidget(DMLabel, row++, 0, 1, 3);
    DMname = Named(new QLineEdit(Q("DMaker"), body), "DMname");
    DMname->setFixedWidth(CalPowerEdit->width());
    right->addWidget(DMname, row++, 1);
    field(SignLevelLabel, "SignLevelLabel", "Significance Level", SignLevelLabelMin, "SignLevelLabelMin",
          "0.0 <= ", SignLevelEdit, "SignLevelEdit", "", SignLevelLabelMax, "SignLevelLabelMax", "<= 1.0");
    // A bound of an earlier layout of the level's field, kept hidden.
    Label4 = MakeLabel(body, "Label4", "0.01 <= ");
    Label4->hide();
    for (QWidget* w :
         std::initializer_list<QWidget*>{SignLevelLabel, SignLevelLabelMin, SignLevelEdit, SignLevelLabelMax})
        w->hide();
    right->setRowStretch(row, 1);
    middle->addLayout(right);

    // The commands.
    auto* commands = new QGridLayout;
    commands->setHorizontalSpacing(6);
    StartLabel = MakeLabel(body, "StartLabel", "CALCULATE");
    StartLabel->setFont(bannerFont);
    RunButton = MakeButton(body, "RunButton", "RUN");
    RobItButton = MakeButton(body, "RobItButton", "Robustness (items) ");
    RobExButton = MakeButton(body, "RobExButton", "Robustness (experts)");
    CancelButton = MakeButton(body, "CancelButton", "CANCEL");
    ResetButton = MakeButton(body, "ResetButton", "RESET");
    commands->addWidget(StartLabel, 0, 0, Qt::AlignRight);
    commands->addWidget(RunButton, 0, 1);
    commands->addWidget(RobItButton, 0, 2);
    commands->addWidget(RobExButton, 0, 3);
    commands->addWidget(CancelButton, 1, 1);
    commands->addWidget(ResetButton, 1, 2);
    column->addLayout(commands);

    // The result views, shown after a run.
    DisplayPanel = Named(new QWidget(body), "DisplayPanel");
    auto* display = new QGridLayout(DisplayPanel);
    display->setContentsMargins(0, 4, 0, 0);
    display->setHorizontalSpacing(6);
    DisplayLabel = MakeLabel(DisplayPanel, "DisplayLabel", "DISPLAY");
    DisplayLabel->setFont(bannerFont);
    DSolutionButton = MakeButton(DisplayPanel, "DSolutionButton", "Solution");
    DEScoresButton = MakeButton(DisplayPanel, "DEScoresButton", "Expert Scores");
    DBLossButton = MakeButton(DisplayPanel, "DBLossButton", "Bilinear Loss");
    DRobustnessButton = MakeButton(DisplayPanel, "DRobustnessButton", "Robustness");
    RangeItemsButton = MakeButton(DisplayPanel, "RangeItemsButton", "Range Graph (itemwise)");
    RangeExpertsButton = MakeButton(DisplayPanel, "RangeExpertsButton", "Range Graph (expertswise)");
    display->addWidget(DisplayLabel, 0, 0, 2, 1, Qt::AlignRight | Qt::AlignVCenter);
    display->addWidget(DSolutionButton, 0, 1);
    display->addWidget(DEScoresButton, 0, 2);
    display->addWidget(DBLossButton, 0, 3);
    display->addWidget(DRobustnessButton, 1, 1);
    display->addWidget(RangeItemsButton, 1, 2);
    display->addWidget(RangeExpertsButton, 1, 3);
    for (QPushButton* b :
         {DSolutionButton, DEScoresButton, DBLossButton, DRobustnessButton, RangeItemsButton, RangeExpertsButton})
        b->setEnabled(false);
    // As wide from the start as with the DISPLAY buttons, so that showing them only adds height.
    column->addItem(new QSpacerItem(DisplayPanel->sizeHint().width(), 0, QSizePolicy::Fixed, QSizePolicy::Minimum));
    DisplayPanel->hide();
    column->addWidget(DisplayPanel);
    setWidget(body);

    // Setting a box or a radio button from code runs its handler as a click would.
    connect(GlButton, &QRadioButton::toggled, this, [this](bool on) {
        if (on) GlButtonClick();
    });
    connect(EqButton1, &QRadioButton::toggled, this, [this](bool on) {
        if (on) EqButton1Click();
    });
    connect(ItButton, &QRadioButton::toggled, this, [this](bool on) {
        if (on) ItButtonClick();
    });
    connect(UsButton, &QRadioButton::toggled, this, [this](bool on) {
        if (on) UsButtonClick();
    });
    connect(Chi2NewButton, &QRadioButton::toggled, this, [this](bool on) {
        if (on) Chi2NewButtonClick();
    });
    connect(Chi2OldButton, &QRadioButton::toggled, this, [this](bool on) {
        if (on) Chi2OldButtonClick();
    });
    connect(InfNewButton, &QRadioButton::toggled, this, [this](bool on) {
        if (on) InfNewButtonClick();
    });
    connect(InfOldButton, &QRadioButton::toggled, this, [this](bool on) {
        if (on) InfOldButtonClick();
    });
    connect(DMOptBox, &QCheckBox::toggled, this, &TRunDlgFrm::DMOptBoxClick);
    connect(BayUpdBox, &QCheckBox::toggled, this, &TRunDlgFrm::BayUpdBoxClick);
    connect(CalPowerEdit, &QLineEdit::editingFinished, this, &TRunDlgFrm::CalPowerEditExit);
    connect(IntRangeEdit, &QLineEdit::editingFinished, this, &TRunDlgFrm::IntRangeEditExit);
    connect(DMname, &QLineEdit::editingFinished, this, &TRunDlgFrm::DMnameExit);
    connect(SignLevelEdit, &QLineEdit::editingFinished, this, &TRunDlgFrm::SignLevelEditExit);
    connect(RunButton, &QPushButton::clicked, this, &TRunDlgFrm::RunButtonClick);
    connect(RobItButton, &QPushButton::clicked, this, &TRunDlgFrm::RobItButtonClick);
    connect(RobExButton, &QPushButton::clicked, this, &TRunDlgFrm::RobExButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TRunDlgFrm::CancelButtonClick);
    connect(ResetButton, &QPushButton::clicked, this, &TRunDlgFrm::ResetButtonClick);
    connect(DSolutionButton, &QPushButton::clicked, this, &TRunDlgFrm::DSolutionButtonClick);
    connect(DEScoresButton, &QPushButton::clicked, this, &TRunDlgFrm::DEScoresButtonClick);
    connect(DBLossButton, &QPushButton::clicked, this, &TRunDlgFrm::DBLossButtonClick);
    connect(DRobustnessButton, &QPushButton::clicked, this, &TRunDlgFrm::DRobustnessButtonClick);
    connect(RangeItemsButton, &QPushButton::clicked, this, &TRunDlgFrm::RangeItemsButtonClick);
    connect(RangeExpertsButton, &QPushButton::clicked, this, &TRunDlgFrm::RangeExpertsButtonClick);
}

void TRunDlgFrm::SetRed(QLineEdit* edit, bool red) {
    QPalette p = edit->palette();
    p.setColor(QPalette::Base, red ? Red : palette().color(QPalette::Base));
    edit->setPalette(p);
}

bool TRunDlgFrm::IsRed(const QLineEdit* edit) {
    return edit->palette().color(QPalette::Base) == Red;
}

void TRunDlgFrm::Message(const std::string& text) {
    if (Platform) Platform->Message(platform::MessageKind::Information, text, platform::Buttons::Ok);
}

void TRunDlgFrm::BringToFront(QMdiSubWindow* window) {
    if (!window) return;
    if (window->isMinimized()) window->showNormal();
    if (QMdiArea* a = mdiArea()) a->setActiveSubWindow(window);
    window->raise();
}

void TRunDlgFrm::RepaintSheets() {
    if (ExpertsSheet) ExpertsSheet->FormPaint();
    for (TItemsSheet* s : ChildSheets)
        if (s && !s->IsGone()) s->FormPaint();
}

// ---------------------------------------------------------------- life cycle

void TRunDlgFrm::FormCreate() {
    hide();
    DMOptBox->setChecked(OptimiseDM);
    BayUpdBox->setChecked(BayesianUpdates);
    DiscrBox->setChecked(DiscrepancyOn);
    switch (WeightType) {
    case EqualWeighting: EqButton1->setChecked(true); break;
    case ItemWeighting: ItButton->setChecked(true); break;
    case UserWeighting: UsButton->setChecked(true); break;
    default: GlButton->setChecked(true); break;
    }
    (ExactChiSquare ? Chi2NewButton : Chi2OldButton)->setChecked(true);
    (LogIntrinsicRange ? InfNewButton : InfOldButton)->setChecked(true);
    if (UserSignificanceLevel == -1.0f) {
        SignLevelEdit->clear();
        UserSignificanceLevel = 0;
    }
    SignLevelGroup();
    widget()->adjustSize();
    adjustSize();
    if (QMdiArea* a = mdiArea()) move(std::max(0, a->width() - width() - 20), 0);
    ResultsFresh = true;
}

void TRunDlgFrm::FormActivate() {
    ResetCaptions();
    // A run started without typing a name gets the automatic id.
    DMname->clear();
}

void TRunDlgFrm::closeEvent(QCloseEvent* event) {
    ExpertsTextOutput = false;
    ExpertsSheetMode = ExpertsDataView;
    if (ExpertsSheet) ExpertsSheet->FormPaint();
    if (RunDialog == this) RunDialog = nullptr;
    QMdiSubWindow::closeEvent(event);
    if (MainForm) MainForm->update();
}

void TRunDlgFrm::CancelButtonClick() {
    close();
}

void TRunDlgFrm::ResetButtonClick() {
    ResetRunDialog();
}

void TRunDlgFrm::ResetRunDialog() {
    ClearResultExperts(ExpertsSheet);
    // The entered quantiles come back before the options forget that they were updated.
    if (BayesianUpdates) EndBayesianUpdates();
    SetDefaultRunOptions();
    DMOptBox->setChecked(true);
    BayUpdBox->setChecked(false);
    DiscrBox->setChecked(false);
    WeightType = GlobalWeighting;
    GlButton->setChecked(true);
    (ExactChiSquare ? Chi2NewButton : Chi2OldButton)->setChecked(true);
    (LogIntrinsicRange ? InfNewButton : InfOldButton)->setChecked(true);
    SignLevelEdit->clear();
    SignLevelGroup();
    ExtendWithLabel(false);
    UpdateExperts(ExpertsDataView);
    CloseRangeGraphs();
}

// ---------------------------------------------------------------- options

void TRunDlgFrm::NewWeight(int kind) {
    const int old = WeightType;
    WeightType = static_cast<std::uint16_t>(kind);
    SignLevelGroup();
    if (old == UserWeighting || kind == UserWeighting) {
        // The data view shows the user weights only for user weights.
        ExpertsLayoutMode = NewLayout;
        ExpertsSheetMode = ExpertsDataView;
        DisplayExperts();
    }
}

void TRunDlgFrm::GlButtonClick() {
    NewWeight(GlobalWeighting);
}
void TRunDlgFrm::EqButton1Click() {
    NewWeight(EqualWeighting);
}
void TRunDlgFrm::ItButtonClick() {
    NewWeight(ItemWeighting);
}
void TRunDlgFrm::UsButtonClick() {
    NewWeight(UserWeighting);
}
void TRunDlgFrm::Chi2NewButtonClick() {
    ExactChiSquare = true;
}
void TRunDlgFrm::Chi2OldButtonClick() {
    ExactChiSquare = false;
}
void TRunDlgFrm::InfNewButtonClick() {
    LogIntrinsicRange = true;
}
void TRunDlgFrm::InfOldButtonClick() {
    LogIntrinsicRange = false;
}

void TRunDlgFrm::DMOptBoxClick() {
    OptimiseDM = DMOptBox->isChecked();
    SignLevelGroup();
}

void TRunDlgFrm::SignLevelGroup() {
    const bool shown = !OptimiseDM && (WeightType == GlobalWeighting || WeightType == ItemWeighting);
    if (shown) {
        if (Trim(SignLevelEdit->text().toStdString()).empty()) UserSignificanceLevel = 0;
        if (ExpertCount == 0) {
            CheckCaseData();
            BuildItemIndexMap();
        }
        // Without data experts there are no calibration levels to bound the level with.
        const bool ok = ExpertCount > 0 && CheckSignificanceLevel(true);
        SignLevelLabelMin->setText(QString::fromStdString(SignLevelMinText()));
        SignLevelLabelMax->setText(QString::fromStdString(SignLevelMaxText()));
        SetRed(SignLevelEdit, !ok);
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{SignLevelEdit, SignLevelLabel, SignLevelLabelMin, SignLevelLabelMax})
        w->setVisible(shown);
}

void TRunDlgFrm::BayUpdBoxClick() {
    if (BayUpdBox->isChecked()) {
        const bool updatedBefore = BayesianUpdates && !QuantileBackup.empty();
        if (!StartBayesianUpdates()) {
            QSignalBlocker quiet(BayUpdBox);
            BayUpdBox->setChecked(false);
        } else if (!updatedBefore) {
            OpenItemsForm();
        }
    } else {
        EndBayesianUpdates();
    }
    const WindowFlagSet flags = CurrentWindowFlags();
    if (flags[RealisationsOpen] || flags[ExpertItemsOpen]) RepaintSheets();
}

void TRunDlgFrm::OpenItemsForm() {
    ActiveExpert = nullptr;
    ItemsSheetMode = ItemsDataView;
    ItemsTextOutput = false;
    if (!CurrentWindowFlags()[RealisationsOpen]) {
        if (MainForm) {
            MainForm->CreateItemsSheet();
        } else if (QMdiArea* a = mdiArea()) {
            auto* sheet = new TItemsSheet(a, nullptr);
            sheet->show();
            a->setActiveSubWindow(sheet);
        }
    } else if (ChildSheets[0]) {
        BringToFront(ChildSheets[0]);
    }
}

bool TRunDlgFrm::CalPowerCheck() {
    return halvorine::CalPowerCheck(CalPowerEdit->text().toStdString());
}

bool TRunDlgFrm::IntRangeCheck() {
    return halvorine::IntRangeCheck(IntRangeEdit->text().toStdString());
}

bool TRunDlgFrm::SignLevelCheck() {
    return halvorine::SignLevelCheck(SignLevelEdit->text().toStdString());
}

void TRunDlgFrm::CalPowerEditExit() {
    SetRed(CalPowerEdit, !CalPowerCheck());
}
void TRunDlgFrm::IntRangeEditExit() {
    SetRed(IntRangeEdit, !IntRangeCheck());
}
void TRunDlgFrm::SignLevelEditExit() {
    SetRed(SignLevelEdit, !SignLevelCheck());
}

void TRunDlgFrm::DMnameExit() {
    DMName = CutTo(platform::BytesFromQString(DMname->text()), 8);
}

// ---------------------------------------------------------------- the run

void TRunDlgFrm::DisplayError(int code) {
    if (halvorine::DisplayError(code)) SetRed(SignLevelEdit, true);
}

void TRunDlgFrm::ShowFaultyExpert(int expert, int itemRow) {
    if (!ExpertsSheet) return;
    // The row and its assessments are the data view's.
    if (ExpertsSheetMode != ExpertsDataView) UpdateExperts(ExpertsDataView);
    BringToFront(ExpertsSheet);
    ExpertsSheet->SelectExpertRow(ExpertsSheet->Core.RowOfEntry(expert), itemRow);
}

bool TRunDlgFrm::RunCheck() {
    RunFields f;
    f.CalPower = CalPowerEdit->text().toStdString();
    f.IntRange = IntRangeEdit->text().toStdString();
    f.SignLevel = SignLevelEdit->text().toStdString();
    f.DMName = platform::BytesFromQString(DMname->text());
    f.SignLevelVisible = !SignLevelEdit->isHidden();
    f.Discrepancy = DiscrBox->isChecked();
    const std::pair<QRadioButton*, std::uint16_t> weights[] = {
        {GlButton, GlobalWeighting}, {EqButton1, EqualWeighting}, {ItButton, ItemWeighting}, {UsButton, UserWeighting}};
    for (const auto& [button, code] : weights)
        if (button->isChecked()) f.Options.WeightType = code;
    f.Options.OptimiseDM = DMOptBox->isChecked();
    f.Options.ExactChiSquare = Chi2NewButton->isChecked();
    f.Options.LogIntrinsicRange = InfNewButton->isChecked();
    RunHooks hooks;
    hooks.ShowFaultyExpert = [this](int e, int itemRow) { ShowFaultyExpert(e, itemRow); };
    const std::string nameBefore = f.DMName;
    const bool ok = halvorine::RunCheck(f, hooks);
    SetRed(CalPowerEdit, f.CalPowerBad);
    if (!f.CalPowerBad) SetRed(IntRangeEdit, f.IntRangeBad);
    if (f.SignLevelVisible) {
        SignLevelEdit->setText(QString::fromStdString(f.SignLevel));
        SetRed(SignLevelEdit, f.SignLevelBad);
    }
    if (f.DMName != nameBefore) DMname->setText(platform::QStringFromBytes(f.DMName));
    return ok;
}

void TRunDlgFrm::RunButtonClick() {
    const InputHold hold;
    if (RobustnessRun) ClearResultExperts(ExpertsSheet);
    RobustnessRun = false;
    RobustnessOnExperts = false;
    DBLossButton->setEnabled(false);
    UpdateLossCaption();
    UpdateRobCaption();
    const bool ok = RunCheck();
    for (QPushButton* b : {DEScoresButton, DSolutionButton, DBLossButton, RangeExpertsButton, RangeItemsButton})
        b->setEnabled(ok);
    DRobustnessButton->setEnabled(false);
    if (ok) {
        ItemsSheetMode = ItemsDataView;
        ExtendWithLabel(true);
        UpdateExperts(ExpertsScoresView);
    }
}

void TRunDlgFrm::RobItButtonClick() {
    if (WeightType == EqualWeighting) return Message("Can`t run robustness/items with equal weights");
    if (WeightType == UserWeighting) return Message("Can`t run robustness/items with user weights");
    RobButton(false);
}

void TRunDlgFrm::RobExButtonClick() {
    if (WeightType == UserWeighting) return Message("Can`t run robustness/experts with user weights");
    RobButton(true);
}

void TRunDlgFrm::RobButton(bool onExperts) {
    const InputHold hold;
    RobustnessOnExperts = onExperts;
    DRobustnessButton->setEnabled(false);
    const bool ok = Services().CalcRob(*this);
    DRobustnessButton->setEnabled(ok);
    DBLossButton->setEnabled(ok);
    DEScoresButton->setEnabled(false);
    DSolutionButton->setEnabled(false);
    ExtendWithLabel(true);
    // The runs removed and added result experts under every open view: each shows the
    // tables as they are now, whatever the outcome.
    if (ExpertsSheet) ExpertsSheet->FormPaint();
    InvalidateChildren();
    if (!ok) return;
    if (onExperts)
        UpdateExperts(ExpertsRobustnessView);
    else
        DRobustnessButtonClick();
}

// ---------------------------------------------------------------- result views

void TRunDlgFrm::UpdateLossCaption() {
    DBLossButton->setText(QStringLiteral("Bilinear Loss"));
}
void TRunDlgFrm::UpdateRobCaption() {
    DRobustnessButton->setText(QStringLiteral("Robustness"));
}
void TRunDlgFrm::UpdateDEScoresCaption() {
    DEScoresButton->setText(QStringLiteral("Expert Scores"));
}

void TRunDlgFrm::ResetCaptions() {
    UpdateLossCaption();
    UpdateRobCaption();
    UpdateDEScoresCaption();
}

void TRunDlgFrm::ExtendWithLabel(bool show) {
    if (show == displayShown_) return;
    displayShown_ = show;
    DisplayPanel->setVisible(show);
    widget()->adjustSize();
    adjustSize();
    // The grown dialog stays inside the area.
    if (QMdiArea* a = mdiArea()) {
        const int x = std::clamp(this->x(), 0, std::max(0, a->width() - width()));
        const int y = std::clamp(this->y(), 0, std::max(0, a->height() - height()));
        if (x != this->x() || y != this->y()) move(x, y);
    }
    KeepWindowsClearOfRunDialog();
}

void TRunDlgFrm::UpdateExperts(int mode) {
    if (!CurrentWindowFlags()[ExpertsOpen] || !ExpertsSheet) return;
    ExpertsLayoutMode = NewLayout;
    ExpertsSheetMode = mode;
    ResetCaptions();
    DisplayExperts();
}

void TRunDlgFrm::DisplayExperts() {
    LossShown = false;
    if (!ExpertsSheet) {
        if (QMdiArea* a = mdiArea()) {
            auto* sheet = new TExpertsSheet(a);
            sheet->show();
            a->setActiveSubWindow(sheet);
        }
        return;
    }
    if (!ActiveExpert) ActiveExpert = ExpertTable[1].get();
    if (ExpertsSheetMode == ExpertsScoresView) {
        if (TExpert* dm = CurrentDecisionMaker()) ActiveExpert = dm;
    }
    ExpertsSheet->FormPaint();
    if (!CurrentWindowFlags()[ExpertItemsActive]) BringToFront(ExpertsSheet);
}

void TRunDlgFrm::Display_solution() {
    TExpert* dm = CurrentDecisionMaker();
    if (!dm) return;
    ActiveExpert = dm;
    int slot = FindResultSheet(ExpertCount + 1);
    if (slot == 0) {
        slot = FindFreeResultSlot();
        QMdiArea* a = mdiArea();
        if (slot == 0 || !a) {
            Message("Too many result windows are open. Close one of them first.");
            return;
        }
        auto* sheet = new TItemsSheet(a, dm);
        ChildSheets[slot] = sheet;
        sheet->show();
        KeepClearOfRunDialog(sheet);
        a->setActiveSubWindow(sheet);
    } else {
        BringToFront(ChildSheets[slot]);
        ChildSheets[slot]->FormPaint();
    }
    // The decision maker's own row in the result views of the experts sheet.
    if (ExpertsSheet && ExpertsSheetMode != ExpertsDataView) {
        const int row = ExpertsSheet->Core.RowOfEntry(ExpertCount + 1);
        ExpertsSheet->ExpertsGrid->SetCursor(1, std::min(row, ExpertsSheet->Core.GridRows() - 1));
        ExpertsSheet->ExpertsGrid->Refresh();
    }
}

void TRunDlgFrm::DSolutionButtonClick() {
    LossShown = false;
    ItemsSheetMode = ItemsSolutionView;
    UpdateLossCaption();
    Display_solution();
}

void TRunDlgFrm::DEScoresButtonClick() {
    LossShown = false;
    ExpertsSheetMode = ExpertsScoresView;
    ResetCaptions();
    DisplayExperts();
}

void TRunDlgFrm::DBLossButtonClick() {
    LossShown = true;
    const bool solution = !ActiveExpert || ExpertsSheetMode == ExpertsScoresView ||
                          ActiveExpert == CurrentDecisionMaker();
    if (ExpertsSheetMode != ExpertsDataView && ItemsSheetMode != ItemsSolutionView) UpdateExperts(ExpertsDataView);
    const int previous = ItemsSheetMode;
    ItemsSheetMode = ItemsLossView;
    UpdateLossCaption();
    if (solution) Display_solution();
    ItemsLayoutMode = previous;
    RepaintSheets();
    if (!solution && previous != ItemsSolutionView && ExpertsSheet) ExpertsSheet->OpenExpertItemsSheet(0);
}

void TRunDlgFrm::DRobustnessButtonClick() {
    LossShown = false;
    if (!RobustnessRun) {
        DisplayExperts();
    } else if (RobustnessOnExperts) {
        UpdateExperts(ExpertsRobustnessView);
    } else {
        ExpertsSheetMode = ExpertsDataView;
        ItemsSheetMode = ItemsRobustnessView;
        ResetCaptions();
        Display_solution();
    }
}

void TRunDlgFrm::RangeItemsButtonClick() {
    CreateRangeGraph(ItemsWiseGraph);
}
void TRunDlgFrm::RangeExpertsButtonClick() {
    CreateRangeGraph(ExpertsWiseGraph);
}

void TRunDlgFrm::CreateRangeGraph(int kind) {
    RangeGraphKind = kind;
    // Graphs of earlier results would show what no longer holds.
    if (ResultsFresh) CloseRangeGraphs();
    QPointer<QMdiSubWindow>& graph = kind == ExpertsWiseGraph ? ExpertsRangeGraph : ItemsRangeGraph;
    if (graph && CurrentWindowFlags()[ExpertsOpen]) {
        graph->update();
        BringToFront(graph);
    } else if (mdiArea()) {
        graph = Services().CreateRangeGraph(mdiArea(), kind);
        if (graph) {
            graph->show();
            KeepClearOfRunDialog(graph);
            BringToFront(graph);
        }
    }
    ResultsFresh = false;
}

}  // namespace halvorine

#include "workbench/distribution_dialog.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "common/core/pascal_str.h"
#include "common/core/text.h"
#include "engine/distribution_quantiles.h"
#include "engine/formatting.h"
#include "engine/tables.h"
#include "platform/qt/qt_prompts.h"
#include "workbench/items_sheet.h"
#include "workbench/main_form.h"
#include "workbench/window_state.h"

namespace halvorine {

namespace {

// P1..P4 of a record by number.
double TDistribution::*SlotOf(int slot) {
    static constexpr double TDistribution::*members[4] = {&TDistribution::P1, &TDistribution::P2, &TDistribution::P3,
                                                          &TDistribution::P4};
    return members[std::clamp(slot, 1, 4) - 1];
}

struct ParamEntry {
    const char* Label;
    int Slot;
    double Default;
};

struct FamilyEntry {
    const char* Name;
    int Count;
    ParamEntry Params[4];
    const char* Rule;
};

// The parameters in the order the dialog asks for them, with their record slots and defaults.
const FamilyEntry Families[10] = {
    {"Constant", 1, {{"Constant", 1, 1}}, "             Constant > 0 "},
    {"Uniform", 2, {{"Lower Bound", 1, 0}, {"Upper Bound", 2, 1}}, "    Upper Bound > Lower Bound > 0 "},
    {"Log Uniform",
     2,
     {{"Log Lower Bound", 1, 0.0001}, {"Log Upper Bound", 2, 1}},
     " Log Upper Bound > Log Lower Bound > 0 "},
    {"Normal", 2, {{"Mean", 1, 0}, {"Deviation", 2, 1}}, "             Deviation > 0"},
    {"Log Normal", 2, {{"Median", 1, 1}, {"Error Factor", 2, 2}}, "     MEDIAN > 0, ERRORFACTOR > 1"},
    {"Exponential", 2, {{"Failure Rate", 1, 100}, {"Location", 4, 0}}, "    Failure Rate > 0, Location >= 0"},
    {"Gamma", 3, {{"Shape", 1, 10}, {"Scale", 2, 0.001}, {"Location", 4, 0}}, "  Shape > 0, Scale > 0, Location >= 0"},
    {"Weibull", 3, {{"Shape", 2, 1}, {"Scale", 3, 1}, {"Location", 4, 0}}, "  Shape > 0, Scale > 0, Location >= 0"},
    {"Beta",
     4,
     {{"alpha", 1, 2}, {"beta", 2, 2}, {"Lower Bound", 3, 0}, {"Upper Bound", 4, 1}},
     "  alpha > 0, beta > 0, Upper Bound > a"},
    {"Triangular", 3, {{"a", 3, 0}, {"m", 2, 0.5}, {"b", 4, 1}}, "        a <= m < b or a < m <= b "},
};

const FamilyEntry* FamilyOf(int family) {
    return family >= 0 && family <= 9 ? &Families[family] : nullptr;
}

// The levels the dialog works with: 0 when the case has none it could use.
int LevelCount() {
    return QuantileCount >= 1 && QuantileCount <= MaxQuantileCount ? QuantileCount : 0;
}

// An edit's text as a parameter: plain decimal notation with the point (or the separator the
// numbers are shown with, so that a shown parameter always reads back), held at the record's
// precision; false when it is no number the record can hold.
bool ParseParameter(const std::string& text, long double& out) {
    std::string t = Trim(text);
    if (DecimalSeparator != '.')
        for (char& c : t)
            if (c == DecimalSeparator) c = '.';
    long double v = 0;
    if (ValReal(t, v) != 0) return false;
    const double stored = static_cast<double>(v);
    if (!std::isfinite(stored)) return false;
    out = stored;
    return true;
}

// The text of the characters to_chars wrote, with the separator the numbers are shown with.
std::string Shown(const char* first, const char* last) {
    std::string t(first, last);
    for (char& c : t) {
        if (c == '.') c = DecimalSeparator;
        if (c == 'e') c = 'E';
    }
    return t;
}

// A stored quantile that the distribution gives back up to what the case files hold: they keep
// 6 significant digits, so quantiles read from a file are a family's own only to about 1e-5 of
// their size, and the fit reads only the first and the last of them.
bool WithinFitNoise(int family, long double computed, float stored, float first, float last) {
    const long double scale = family == FamilyLogUniform || family == FamilyLogNormal
                                  ? std::fabs(static_cast<long double>(stored))
                                  : std::max(std::fabs(static_cast<long double>(first)),
                                             std::fabs(static_cast<long double>(last)));
    return std::fabs(computed - stored) <= 1e-5L * scale;
}

// A parameter as a 32-bit real where it fits one.
long double SingleRounded(long double v) {
    if (std::isfinite(v) && std::fabs(v) <= static_cast<long double>(FLT_MAX)) return static_cast<float>(v);
    return v;
}

// The case check asked on behalf of the dialog: the counts and flags a run keeps from it stay
// as they were, so the experts sheet does not count an expert's seeds twice.
int CheckExpertDataOnly(int e) {
    TExpert* x = e >= 1 && e <= ExpertSlotCount ? ExpertTable[e].get() : nullptr;
    if (!x) return CheckExpertData(e);
    const int itemCount = ItemCount;
    const int seedAssessments = SeedAssessmentCount;
    const int assessed = x->AssessedCount;
    const int seeds = x->SeedCount;
    const bool invalid = x->HasInvalid;
    std::vector<bool> valid(MaxItemCount + 1, false);
    for (int s = 1; s <= MaxItemCount; ++s)
        if (x->Assessments[s]) valid[s] = x->Assessments[s]->Valid;
    const int result = CheckExpertData(e);
    ItemCount = itemCount;
    SeedAssessmentCount = seedAssessments;
    x->AssessedCount = assessed;
    x->SeedCount = seeds;
    x->HasInvalid = invalid;
    for (int s = 1; s <= MaxItemCount; ++s)
        if (x->Assessments[s]) x->Assessments[s]->Valid = valid[s];
    return result;
}

int ExpertIndexOf(const TExpert* expert) {
    if (!expert) return 0;
    for (int e = 1; e <= MaxExpertCount; ++e)
        if (ExpertTable[e].get() == expert) return e;
    return 0;
}

bool AllFinite(const TDistribution& D) {
    return std::isfinite(D.P1) && std::isfinite(D.P2) && std::isfinite(D.P3) && std::isfinite(D.P4);
}

}  // namespace

// ---------------------------------------------------------------- the families' tables

std::string ParameterText(double x) {
    if (!std::isfinite(x)) return "0";
    char buf[512];
    const double a = std::fabs(x);
    const bool fixed = a == 0 || (a >= 1e-6 && a < 1e15);
    std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, x,
                                           fixed ? std::chars_format::fixed : std::chars_format::scientific);
    std::string text = Shown(buf, r.ptr);
    long double back = 0;
    if (ParseParameter(text, back) && static_cast<double>(back) == x) return text;
    // Our reader rounds through 80 bits; where that lands beside x, all 17 digits do not.
    r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 17);
    return Shown(buf, r.ptr);
}

int DistributionParamCount(int family) {
    const FamilyEntry* f = FamilyOf(family);
    return f ? f->Count : 0;
}

std::string DistributionFamilyNameOf(int family) {
    const FamilyEntry* f = FamilyOf(family);
    return f ? f->Name : "";
}

std::string DistributionRuleText(int family) {
    const FamilyEntry* f = FamilyOf(family);
    return f ? f->Rule : "";
}

void SetDistributionDefaults(int family, TDistribution& D) {
    if (const FamilyEntry* f = FamilyOf(family))
        for (int k = 0; k < f->Count; ++k) D.*SlotOf(f->Params[k].Slot) = f->Params[k].Default;
    D.Family = static_cast<std::uint8_t>(family);
}

// ---------------------------------------------------------------- the core

int DistributionDialogCore::CheckDistributionParams() const {
    const long double e1 = DistributionValues[1], e2 = DistributionValues[2], e3 = DistributionValues[3],
                      e4 = DistributionValues[4];
    switch (DialogDistribution.Family) {
    case FamilyUniform: return e2 <= e1 ? 2 : 0;
    case FamilyLogUniform:
        if (e1 <= 0) return 1;
        return e2 <= e1 ? 2 : 0;
    case FamilyNormal: return e2 <= 0 ? 2 : 0;
    case FamilyLogNormal:
        if (e1 <= 0) return 1;
        return e2 <= 1 ? 2 : 0;
    case FamilyExponential:
        if (e1 <= 0) return 1;
        return e2 < 0 ? 2 : 0;
    case FamilyGamma:
    case FamilyWeibull:
        if (e1 <= 0) return 1;
        if (e2 <= 0) return 2;
        return e3 < 0 ? 3 : 0;
    case FamilyBeta:
        if (e1 <= 0) return 1;
        if (e2 <= 0) return 2;
        return e4 <= e3 ? 4 : 0;
    case FamilyTriangular: return (e1 <= e2 && e2 < e3) || (e1 < e2 && e2 <= e3) ? 0 : 2;
    default: return 0;
    }
}

bool DistributionDialogCore::EvaluateDistribution(const TDistribution& D, int mode) {
    const int q = LevelCount();
    if (mode == ParametersMode) {
        if (const FamilyEntry* f = FamilyOf(D.Family))
            for (int k = 0; k < f->Count; ++k) DistributionValues[k + 1] = D.*SlotOf(f->Params[k].Slot);
        if (D.Family == FamilyConstant)
            for (int k = 1; k <= q; ++k) DistributionValues[k] = D.P1;
        return true;
    }
    // The Constant's quantile is its value at every level.
    bool all = true;
    for (int k = 1; k <= q; ++k) {
        bool ok = true;
        DistributionValues[k] = DistributionQuantile(QuantileLevels[k], D, &ok);
        all = all && ok;
    }
    return all;
}

void DistributionDialogCore::ConvertDistributionParams(TDistribution& D, int mode) const {
    const FamilyEntry* f = FamilyOf(D.Family);
    if (!f) return;
    if (mode == ParametersMode || D.Family > FamilyLogNormal) {
        for (int k = 0; k < f->Count; ++k)
            D.*SlotOf(f->Params[k].Slot) = static_cast<double>(DistributionValues[k + 1]);
        return;
    }
    // The two-point fit through the first and the last quantile at the case's own levels, so
    // that quantiles which are a family's own give that family's parameters back.
    const int q = std::max(LevelCount(), 1);
    const long double x1 = DistributionValues[1], xn = DistributionValues[q];
    const long double q1 = QuantileLevels[1], qn = QuantileLevels[q];
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    // One level only, or levels out of order: no line through two points.
    const bool twoLevels = q > 1 && qn > q1;
    const auto store = [](long double v) { return static_cast<double>(v); };
    switch (D.Family) {
    case FamilyConstant: D.P1 = store(x1); break;
    case FamilyUniform:
    case FamilyLogUniform: {
        const bool logs = D.Family == FamilyLogUniform;
        const long double a = logs ? std::log(x1) : x1, b = logs ? std::log(xn) : xn;
        const long double slope = twoLevels ? (b - a) / (qn - q1) : nan;
        const long double lower = a - q1 * slope, upper = a + (1 - q1) * slope;
        D.P1 = store(logs ? std::exp(lower) : lower);
        D.P2 = store(logs ? std::exp(upper) : upper);
        break;
    }
    case FamilyNormal:
    case FamilyLogNormal: {
        const bool logs = D.Family == FamilyLogNormal;
        const long double z1 = NormalQuantile(q1), zn = NormalQuantile(qn);
        const long double a = logs ? std::log(x1) : x1, b = logs ? std::log(xn) : xn;
        const long double sigma = twoLevels && zn > z1 ? (b - a) / (zn - z1) : nan;
        const long double centre = a - z1 * sigma;
        if (logs) {
            // The error factor is the ratio of the 95 % quantile to the median.
            D.P1 = store(std::exp(centre));
            D.P2 = store(std::exp(sigma * NormalQuantile(0.95L)));
        } else {
            D.P1 = store(centre);
            D.P2 = store(sigma);
        }
        break;
    }
    default: break;
    }
}

void DistributionDialogCore::DistributionParamLabels(const TDistribution& D) {
    const FamilyEntry* f = FamilyOf(D.Family);
    DistributionFamilyName = f ? f->Name : "";
    for (int k = 1; k <= 4; ++k) {
        const bool shown = f && k <= f->Count;
        DistributionParamNames[k] = shown ? f->Params[k - 1].Label : "";
        DistributionParamTexts[k] = shown ? ParameterText(D.*SlotOf(f->Params[k - 1].Slot)) : "";
    }
}

void DistributionDialogCore::Open(TExpert* expert, int itemIndex, const TDistribution& saved) {
    Saved = saved;
    NoticeShown = false;
    Expert = expert;
    if (!expert) return;
    DialogItem = itemIndex >= 1 && itemIndex <= MaxItemCount ? ItemTable[itemIndex].get() : nullptr;
    DialogAssessment = FindAssessment(expert, DialogItem);
    if (DialogItem) Caption = expert->Id.str() + " / " + DialogItem->Id.str();
    for (int k = 1; k <= 4; ++k) DistributionParamNames[k].clear();
    if (!DialogAssessment) return;

    DialogDistribution = DialogAssessment->Distribution;
    const int q = LevelCount();
    // Any value that counts as missing, entered or never given, leaves nothing to fit.
    bool complete = q > 0;
    for (int k = 1; k <= q; ++k) {
        DistributionValues[k] = DialogAssessment->Values[k];
        if (IsMissing(DialogAssessment->Values[k])) complete = false;
    }
    if (complete && CheckExpertDataOnly(ExpertIndexOf(expert)) <= 0) {
        complete = false;
        NoticeShown = true;
        OutOfBoundsText = "Invalid Input Parameters!";
        ErrStringText = "          Resetting to defaults";
    }
    const bool fitted = DialogDistribution.Family < FamilyExponential;
    Fitted = false;
    if (complete && fitted) {
        TDistribution fit = DialogDistribution;
        ConvertDistributionParams(fit, QuantilesMode);
        // Quantiles the family cannot take (a logarithm of a value <= 0, one level only) give
        // no parameters: the defaults stand in.
        if (AllFinite(fit)) {
            DialogDistribution = fit;
            Fitted = true;
        } else {
            complete = false;
        }
    }
    if (!complete) SetDistributionDefaults(DialogDistribution.Family, DialogDistribution);
    Opened = DialogDistribution;

    DistributionParamLabels(DialogDistribution);
    Prompt = "Enter " + DistributionFamilyName + " parameters: ";
    // From here on the values are the parameters the edits show, so that the rule check of
    // the last edit compares parameters with parameters.
    EvaluateDistribution(DialogDistribution, ParametersMode);
}

bool DistributionDialogCore::ValidateParamEdit(int k, const std::string& text) {
    NoticeShown = false;
    const int n = DistributionParamCount(DialogDistribution.Family);
    if (!DialogAssessment || k < 1 || k > n) return true;
    EditRed[k] = false;
    const long double old = SingleRounded(DistributionValues[k]);
    long double value = 0;
    int bad = k;
    if (ParseParameter(text, value)) {
        DistributionValues[k] = value;
        if (k < n) return true;
        bad = CheckDistributionParams();
        if (bad == 0) return true;
    }
    DistributionValues[k] = old;
    EditRed[bad] = true;
    return false;
}

bool DistributionDialogCore::Accept(const std::string (&texts)[4]) {
    if (!DialogAssessment) return false;
    for (int k = 1; k <= 4; ++k) {
        if (!ValidateParamEdit(k, texts[k - 1])) {
            NoticeShown = true;
            OutOfBoundsText = "Invalid Parameter !  Make";
            ErrStringText = DistributionRuleText(DialogDistribution.Family);
            return false;
        }
    }
    // A record without a family has no quantiles to give.
    if (DistributionParamCount(DialogDistribution.Family) == 0) return false;
    // Parameters within the rules can still give quantiles no 32-bit value holds, or none at all.
    TDistribution trial = DialogDistribution;
    ConvertDistributionParams(trial, ParametersMode);
    long double kept[MaxQuantileCount + 1];
    std::copy(std::begin(DistributionValues), std::end(DistributionValues), kept);
    const bool computed = EvaluateDistribution(trial, QuantilesMode);
    std::copy(std::begin(kept), std::end(kept), DistributionValues);
    if (!computed) {
        NoticeShown = true;
        OutOfBoundsText = "Invalid Parameters !";
        ErrStringText = "  No quantiles for these values";
        return false;
    }
    return true;
}

void DistributionDialogCore::Close(bool accepted) {
    if (!DialogAssessment) return;
    if (!accepted) {
        DialogAssessment->Distribution = Saved;
        return;
    }
    ConvertDistributionParams(DialogDistribution, ParametersMode);
    EvaluateDistribution(DialogDistribution, QuantilesMode);
    DialogAssessment->Distribution = DialogDistribution;
    // OK on the fit as it opened: the quantiles it was fitted to stay as the expert gave them
    // wherever the distribution gives them back, so that OK alone changes no quantile of an
    // assessment that already is the family's.
    const int q = LevelCount();
    const TDistribution& D = DialogDistribution;
    const bool unchanged = Fitted && D.P1 == Opened.P1 && D.P2 == Opened.P2 && D.P3 == Opened.P3 && D.P4 == Opened.P4;
    float* values = DialogAssessment->Values;
    const float first = values[1], last = values[std::max(q, 1)];
    bool changed = false;
    for (int k = 1; k <= q; ++k) {
        if (unchanged && WithinFitNoise(D.Family, DistributionValues[k], values[k], first, last)) continue;
        const float v = static_cast<float>(DistributionValues[k]);
        if (std::memcmp(&v, &values[k], sizeof v) != 0) changed = true;
        values[k] = v;
    }
    // The quantiles are kept in the assessments file.
    if (changed) CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
}

// ---------------------------------------------------------------- the window

namespace {

// Keeps its place in the layout while hidden, so rows and notices do not move the others.
template <class W>
W* Placed(W* w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
    return w;
}

}  // namespace

TDistribDlg::TDistribDlg(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("DistribDlg"));
    setWindowTitle(QStringLiteral("Distribution Parameters"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    EnterParamLabel = new QLabel(QStringLiteral("Enter parameters: "), this);
    EnterParamLabel->setObjectName(QStringLiteral("EnterParamLabel"));
    QFont bold = EnterParamLabel->font();
    bold.setBold(true);
    EnterParamLabel->setFont(bold);

    auto* rows = new QGridLayout;
    rows->setHorizontalSpacing(8);
    rows->setVerticalSpacing(6);
    const char* editNames[4] = {"Param1Edit", "Param2Edit", "param3Edit", "param4Edit"};
    const char* labelNames[4] = {"Param1Label", "param2Label", "Param3Label", "param4Label"};
    QLineEdit** edits[4] = {&Param1Edit, &Param2Edit, &param3Edit, &param4Edit};
    QLabel** labels[4] = {&Param1Label, &param2Label, &Param3Label, &param4Label};
    for (int k = 0; k < 4; ++k) {
        auto* edit = Placed(new QLineEdit(QStringLiteral("0.0"), this));
        edit->setObjectName(QString::fromLatin1(editNames[k]));
        // Room for a parameter with all its digits, sign and exponent.
        edit->setFixedWidth(
            std::max(96, edit->fontMetrics().horizontalAdvance(QStringLiteral("-0.00000123456789012345678")) + 16));
        edit->setAutoFillBackground(true);
        edit->installEventFilter(this);
        auto* label = Placed(new QLabel(this));
        label->setObjectName(QString::fromLatin1(labelNames[k]));
        *edits[k] = edit;
        *labels[k] = label;
        rows->addWidget(edit, k, 0);
        rows->addWidget(label, k, 1);
    }
    rows->setColumnStretch(1, 1);

    OutOfBoundsLabel = Placed(new QLabel(QStringLiteral("Invalid Parameter !  Make"), this));
    OutOfBoundsLabel->setObjectName(QStringLiteral("OutOfBoundsLabel"));
    OutOfBoundsLabel->setFont(bold);
    ErrStringLabel = Placed(new QLabel(this));
    ErrStringLabel->setObjectName(QStringLiteral("ErrStringLabel"));
    // Room for the longest complaint any family makes, so that none is cut.
    int widest = 0;
    for (int f = 0; f <= 9; ++f)
        widest = std::max(widest, ErrStringLabel->fontMetrics().horizontalAdvance(
                                      QString::fromLatin1(DistributionRuleText(f).c_str())));
    for (const char* t : {"          Resetting to defaults", "  No quantiles for these values"})
        widest = std::max(widest, ErrStringLabel->fontMetrics().horizontalAdvance(QString::fromLatin1(t)));
    ErrStringLabel->setMinimumWidth(widest);
    int widestBold = 0;
    for (const char* t : {"Invalid Parameter !  Make", "Invalid Input Parameters!", "Invalid Parameters !"})
        widestBold = std::max(widestBold, OutOfBoundsLabel->fontMetrics().horizontalAdvance(QString::fromLatin1(t)));
    OutOfBoundsLabel->setMinimumWidth(widestBold);
    OutOfBoundsLabel->hide();
    ErrStringLabel->hide();

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 10);
    layout->setSpacing(6);
    layout->addWidget(EnterParamLabel);
    layout->addLayout(rows);
    layout->addSpacing(4);
    layout->addWidget(OutOfBoundsLabel);
    layout->addWidget(ErrStringLabel);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(OKButton, &QPushButton::clicked, this, &TDistribDlg::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TDistribDlg::CancelButtonClick);

    FormCreate();
    FitWindow();
}

TDistribDlg::~TDistribDlg() = default;

QLineEdit* TDistribDlg::Edit(int k) const {
    QLineEdit* const edits[4] = {Param1Edit, Param2Edit, param3Edit, param4Edit};
    return k >= 1 && k <= 4 ? edits[k - 1] : nullptr;
}

QLabel* TDistribDlg::Label(int k) const {
    QLabel* const labels[4] = {Param1Label, param2Label, Param3Label, param4Label};
    return k >= 1 && k <= 4 ? labels[k - 1] : nullptr;
}

void TDistribDlg::FormCreate() {
    DistribDlgAccepted = false;
    accepted_ = false;
    OutOfBoundsLabel->hide();
    Core.Open(ActiveExpert, CurrentItemIndex, SavedDistribution);
    if (!Core.HasAssessment()) {
        // Nothing to describe: the rows stay empty and OK changes nothing.
        EnterParamLabel->setText(QStringLiteral("No assessment to describe"));
        for (int k = 1; k <= 4; ++k) {
            Edit(k)->hide();
            Label(k)->hide();
        }
        setWindowTitle(platform::QStringFromBytes(Core.Caption));
        return;
    }
    EnterParamLabel->setText(platform::QStringFromBytes(Core.Prompt));
    for (int k = 1; k <= 4; ++k) {
        QLineEdit* edit = Edit(k);
        QLabel* label = Label(k);
        edit->hide();
        label->hide();
        label->clear();
        if (!Core.DistributionParamNames[k].empty()) {
            edit->setText(QString::fromStdString(Trim(Core.DistributionParamTexts[k])));
            label->setText(QString::fromLatin1(Core.DistributionParamNames[k].c_str()));
            edit->show();
            label->show();
        } else {
            edit->setText(QStringLiteral("0.0"));
        }
    }
    ShowCore();
    setWindowTitle(platform::QStringFromBytes(Core.Caption));
}

void TDistribDlg::ShowCore() {
    OutOfBoundsLabel->setText(QString::fromLatin1(Core.OutOfBoundsText.c_str()));
    ErrStringLabel->setText(QString::fromLatin1(Core.ErrStringText.c_str()));
    OutOfBoundsLabel->setVisible(Core.NoticeShown);
    ErrStringLabel->setVisible(Core.NoticeShown);
    ShowEditColours();
    update();
}

void TDistribDlg::ShowEditColours() {
    for (int k = 1; k <= 4; ++k) {
        QLineEdit* edit = Edit(k);
        QPalette p = edit->palette();
        p.setColor(QPalette::Base, Core.EditRed[k] ? QColor(Qt::red) : palette().color(QPalette::Base));
        edit->setPalette(p);
    }
}

void TDistribDlg::FitWindow() {
    // The window's starting size, grown where the fonts need more.
    adjustSize();
    const QSize hint = sizeHint();
    setFixedSize(std::max(207, hint.width()), std::max(206, hint.height()));
    const QWidget* centre = MainForm         ? static_cast<QWidget*>(MainForm)
                            : parentWidget() ? parentWidget()->window()
                                             : nullptr;
    if (centre) {
        const QRect g = centre->frameGeometry();
        move(g.center() - QPoint(width() / 2, height() / 2));
    }
}

void TDistribDlg::ParamEditExit(int k) {
    if (closed_) return;
    QLineEdit* edit = Edit(k);
    Core.ValidateParamEdit(k, platform::BytesFromQString(edit->text()));
    ShowCore();
}

void TDistribDlg::OKButtonClick() {
    if (closed_) return;
    if (!Core.HasAssessment()) {
        reject();
        return;
    }
    std::string texts[4];
    for (int k = 1; k <= 4; ++k) texts[k - 1] = platform::BytesFromQString(Edit(k)->text());
    const bool ok = Core.Accept(texts);
    ShowCore();
    if (!ok) {
        // A record without a family has nothing to accept: OK leaves it as Cancel does.
        if (DistributionParamCount(Core.Family()) == 0) reject();
        return;
    }
    accepted_ = true;
    DistribDlgAccepted = true;
    accept();
}

void TDistribDlg::CancelButtonClick() {
    reject();
}

void TDistribDlg::FormClose() {
    Core.Close(accepted_);
}

void TDistribDlg::done(int result) {
    if (!closed_) {
        closed_ = true;
        FormClose();
    }
    QDialog::done(result);
}

bool TDistribDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Leaving an edit for another control of the dialog, not the dialog losing activation.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            for (int k = 1; k <= 4; ++k)
                if (watched == Edit(k)) ParamEditExit(k);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void OpenDistributionDialog(QWidget* owner) {
    TDistribDlg dialog(owner);
    dialog.exec();
}

}  // namespace halvorine

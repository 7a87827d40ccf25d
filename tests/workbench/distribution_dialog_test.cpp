// The distribution dialog: the quantiles a family writes (against scipy, in
// tests/fixtures/reference/distribution_dialog.txt), the fit of families 0..4 on opening, the
// parameter rules and the edits they turn red, OK, Cancel and the opener on the items sheet.
#include "sheet_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cmath>

#include "common/core/pascal_str.h"
#include "common/core/text.h"
#include "common/reference_file.h"
#include "workbench/distribution_dialog.h"
#include "workbench/services.h"
#include "workbench/window_state.h"

using namespace halvorine;

namespace {

// One scenario of the reference file: the dialog opened on one assessment, texts shown or typed,
// OK, and the quantiles expected then.
struct Scenario {
    std::string Name;
    int Family = 0;
    bool Typed = false;
    std::vector<float> Percents;
    std::vector<std::string> Values;  // "-" missing
    std::vector<std::string> Texts;
    std::vector<long double> Reference, Tolerance;
};

long double Number(const std::string& word) {
    long double v = 0;
    EXPECT_EQ(ValReal(word, v), 0) << word;
    return v;
}

std::vector<Scenario> LoadScenarios() {
    std::vector<Scenario> out;
    for (const std::string& line : ReferenceLines("distribution_dialog.txt")) {
        if (line.empty() || line[0] == '#') continue;
        int pos = 1;
        auto word = [&] { return NextWord(line, pos); };
        const std::string tag = word();
        if (tag == "scenario") {
            Scenario s;
            s.Name = word();
            s.Family = static_cast<int>(Number(word()));
            s.Typed = word() == "typed";
            for (int n = static_cast<int>(Number(word())); n > 0; --n)
                s.Percents.push_back(static_cast<float>(Number(word())));
            for (int n = static_cast<int>(Number(word())); n > 0; --n) s.Values.push_back(word());
            for (int n = static_cast<int>(Number(word())); n > 0; --n) s.Texts.push_back(word());
            out.push_back(s);
        } else if (tag == "quantile") {
            const std::string name = word();
            EXPECT_FALSE(out.empty());
            EXPECT_EQ(out.back().Name, name);
            const int k = static_cast<int>(Number(word()));
            EXPECT_EQ(static_cast<std::size_t>(k), out.back().Reference.size() + 1);
            out.back().Reference.push_back(Number(word()));
            out.back().Tolerance.push_back(Number(word()));
        }
    }
    return out;
}

class DistributionDialogTest : public SheetTest {
protected:
    void SetUp() override {
        SheetTest::SetUp();
        WireServices();
    }
    void TearDown() override {
        WireServices();
        SheetTest::TearDown();
    }

    // One expert "E1" assessing the seed item "X" (and a second item "Y" with 1, 2, 3).
    TAssessment* OneAssessment(const std::vector<float>& values, const std::string& scale = "UNI") {
        testcase::AddItem("X", scale, 2.5f);
        testcase::AddItem("Y", "UNI");
        TExpert* x = testcase::AddExpert("E1", {values, {1, 2, 3}});
        return x->Assessments[1].get();
    }

    // What the popup does before the dialog opens: the record kept for Cancel, then the family.
    void Choose(TAssessment* a, int family, int itemIndex = 1) {
        ActiveExpert = ExpertTable[1].get();
        CurrentItemIndex = itemIndex;
        SavedDistribution = a->Distribution;
        a->Distribution.Family = static_cast<std::uint8_t>(family);
    }

    std::unique_ptr<TDistribDlg> Open() {
        auto dialog = std::make_unique<TDistribDlg>(frame.get());
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        QApplication::processEvents();
        return dialog;
    }

    static std::string Text(const QLineEdit* e) { return e->text().toStdString(); }
    static std::string Text(const QLabel* l) { return l->text().toStdString(); }
    static bool Red(const QLineEdit* e) { return e->palette().color(QPalette::Base) == QColor(Qt::red); }

    // Types over edit k and leaves it for the next control, as the Tab key does.
    static void TypeAndLeave(TDistribDlg& d, int k, const std::string& text) {
        QLineEdit* e = d.Edit(k);
        e->setFocus(Qt::TabFocusReason);
        e->selectAll();
        QTest::keyClicks(e, QString::fromStdString(text));
        d.CancelButton->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
};

// ---------------------------------------------------------------- numbers against scipy

TEST_F(DistributionDialogTest, OkWritesTheFamilysQuantilesAtTheCaseLevels) {
    const std::vector<Scenario> scenarios = LoadScenarios();
    ASSERT_EQ(scenarios.size(), 16u);
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.Name);
        ResetGlobals();
        ResetWindowState();
        Platform = &prompts;
        QuantileCount = 0;
        for (float p : s.Percents) QuantileLevels[++QuantileCount] = p / 100.0f;
        std::vector<float> values;
        for (const std::string& v : s.Values) values.push_back(v == "-" ? MissingValue : static_cast<float>(Number(v)));
        TAssessment* a = OneAssessment(values);
        a->Values[QuantileCount + 1] = 77.0f;
        Choose(a, s.Family);
        auto d = Open();
        const int n = DistributionParamCount(s.Family);
        ASSERT_EQ(static_cast<int>(s.Texts.size()), n);
        for (int k = 1; k <= 4; ++k) EXPECT_EQ(d->Edit(k)->isVisible(), k <= n) << k;
        for (int k = 1; k <= n; ++k) {
            if (s.Typed)
                TypeAndLeave(*d, k, s.Texts[static_cast<std::size_t>(k - 1)]);
            else
                EXPECT_EQ(Text(d->Edit(k)), s.Texts[static_cast<std::size_t>(k - 1)]) << "edit " << k;
        }
        QTest::mouseClick(d->OKButton, Qt::LeftButton);
        EXPECT_FALSE(d->isVisible());
        EXPECT_TRUE(DistribDlgAccepted);
        EXPECT_EQ(a->Distribution.Family, s.Family);
        for (int k = 1; k <= QuantileCount; ++k)
            EXPECT_NEAR(static_cast<long double>(a->Values[k]), s.Reference[static_cast<std::size_t>(k - 1)],
                        s.Tolerance[static_cast<std::size_t>(k - 1)])
                << "quantile " << k;
        EXPECT_EQ(a->Values[QuantileCount + 1], 77.0f) << "values past the levels stay";
        d.reset();
        DeleteSheetWindows(area);
        FreeCaseRecords();
    }
}

TEST_F(DistributionDialogTest, ParametersGoIntoTheirSlotsOfTheRecord) {
    testcase::SetLevels({5, 50, 95});
    TAssessment* a = OneAssessment({1, MissingValue, 3});
    struct Case {
        int Family;
        std::vector<std::string> Texts;
        double P1, P2, P3, P4;  // P slots not asked keep what the defaults left there (0)
    };
    const Case cases[] = {
        {FamilyExponential, {"2", "0.5"}, 2, 0, 0, 0.5},
        {FamilyWeibull, {"2", "3", "1"}, 0, 2, 3, 1},
        {FamilyTriangular, {"-1", "0.25", "4"}, 0, 0.25, -1, 4},
        {FamilyBeta, {"2", "5", "-1", "1"}, 2, 5, -1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Family);
        a->Distribution = TDistribution{};
        Choose(a, c.Family);
        auto d = Open();
        for (std::size_t k = 0; k < c.Texts.size(); ++k)
            d->Edit(static_cast<int>(k) + 1)->setText(QString::fromStdString(c.Texts[k]));
        d->OKButtonClick();
        ASSERT_TRUE(DistribDlgAccepted);
        EXPECT_EQ(a->Distribution.P1, c.P1);
        EXPECT_EQ(a->Distribution.P2, c.P2);
        EXPECT_EQ(a->Distribution.P3, c.P3);
        EXPECT_EQ(a->Distribution.P4, c.P4);
    }
}

// ---------------------------------------------------------------- opening

TEST_F(DistributionDialogTest, OpeningShowsTheFamilysPromptLabelsAndCaption) {
    testcase::SetLevels({5, 50, 95});
    TAssessment* a = OneAssessment({1, 2, 3});
    Choose(a, FamilyNormal);
    auto d = Open();
    EXPECT_EQ(d->windowTitle().toStdString(), "E1 / X");
    EXPECT_EQ(Text(d->EnterParamLabel), "Enter Normal parameters: ");
    EXPECT_TRUE(d->EnterParamLabel->font().bold());
    EXPECT_EQ(Text(d->Param1Label), "Mean");
    EXPECT_EQ(Text(d->param2Label), "Deviation");
    EXPECT_FALSE(d->param3Edit->isVisible());
    EXPECT_EQ(Text(d->param3Edit), "0.0");
    EXPECT_EQ(Text(d->Param3Label), "");
    EXPECT_FALSE(d->OutOfBoundsLabel->isVisible());
    EXPECT_FALSE(d->ErrStringLabel->isVisible());

    // Triangular labels in their edit order.
    d.reset();
    Choose(a, FamilyTriangular);
    d = Open();
    EXPECT_EQ(Text(d->Param1Label) + Text(d->param2Label) + Text(d->Param3Label), "amb");
    EXPECT_FALSE(d->param4Edit->isVisible());
}

TEST_F(DistributionDialogTest, AStoredFamilyOfFiveToNineShowsItsParametersNotAFit) {
    testcase::SetLevels({5, 50, 95});
    TAssessment* a = OneAssessment({1, 2, 3});
    a->Distribution = TDistribution{FamilyWeibull, 0, 2.5, 4, 0.75};
    Choose(a, FamilyWeibull);
    auto d = Open();
    EXPECT_EQ(Text(d->Param1Edit), "2.5");
    EXPECT_EQ(Text(d->Param2Edit), "4");
    EXPECT_EQ(Text(d->param3Edit), "0.75");

    // The popup's defaults for a family just chosen: 1, 1, 0.
    d.reset();
    a->Distribution = TDistribution{};
    Services().SetDistributionDefaults(a, FamilyWeibull);
    Choose(a, FamilyWeibull);
    d = Open();
    EXPECT_EQ(Text(d->Param1Edit) + "|" + Text(d->Param2Edit) + "|" + Text(d->param3Edit), "1|1|0");
}

// One scenario of distribution_fit.txt: an assessment, the parameters the dialog must open with
// and what OK with them leaves in the assessment.
struct FitScenario {
    std::string Name;
    int Family = 0;
    std::vector<float> Percents, Values;
    std::vector<long double> Params, ParamTolerance;
    std::vector<bool> Same;
    std::vector<long double> After, AfterTolerance;
};

std::vector<FitScenario> LoadFitScenarios() {
    std::vector<FitScenario> out;
    for (const std::string& line : ReferenceLines("distribution_fit.txt")) {
        if (line.empty() || line[0] == '#') continue;
        int pos = 1;
        auto word = [&] { return NextWord(line, pos); };
        const std::string tag = word();
        if (tag == "fit") {
            FitScenario s;
            s.Name = word();
            s.Family = static_cast<int>(Number(word()));
            const int n = static_cast<int>(Number(word()));
            for (int k = 0; k < n; ++k) s.Percents.push_back(static_cast<float>(Number(word())));
            for (int k = 0; k < n; ++k) s.Values.push_back(static_cast<float>(Number(word())));
            for (int m = static_cast<int>(Number(word())); m > 0; --m) {
                s.Params.push_back(Number(word()));
                s.ParamTolerance.push_back(Number(word()));
            }
            out.push_back(s);
        } else if (tag == "ok") {
            EXPECT_EQ(word(), out.back().Name);
            Number(word());
            const std::string ref = word();
            out.back().Same.push_back(ref == "same");
            out.back().After.push_back(ref == "same" ? 0 : Number(ref));
            out.back().AfterTolerance.push_back(Number(word()));
        }
    }
    return out;
}

TEST_F(DistributionDialogTest, TheOpeningFitUsesTheCasesLevels) {
    const std::vector<FitScenario> scenarios = LoadFitScenarios();
    ASSERT_EQ(scenarios.size(), 17u);
    for (const FitScenario& s : scenarios) {
        SCOPED_TRACE(s.Name);
        ResetGlobals();
        ResetWindowState();
        Platform = &prompts;
        QuantileCount = 0;
        for (float p : s.Percents) QuantileLevels[++QuantileCount] = p / 100.0f;
        TAssessment* a = OneAssessment(s.Values);
        Choose(a, s.Family);
        auto d = Open();
        for (std::size_t k = 0; k < s.Params.size(); ++k) {
            const std::string text = Text(d->Edit(static_cast<int>(k) + 1));
            const long double shown = Number(text);
            EXPECT_NEAR(shown, s.Params[k], s.ParamTolerance[k]) << "edit " << k + 1 << ": " << text;
        }
        QTest::mouseClick(d->OKButton, Qt::LeftButton);
        ASSERT_TRUE(DistribDlgAccepted);
        for (int k = 1; k <= QuantileCount; ++k) {
            const std::size_t j = static_cast<std::size_t>(k - 1);
            if (s.Same[j])
                EXPECT_EQ(a->Values[k], s.Values[j]) << "quantile " << k << " stays bit for bit";
            else
                EXPECT_NEAR(static_cast<long double>(a->Values[k]), s.After[j], s.AfterTolerance[j])
                    << "quantile " << k;
        }
        d.reset();
        DeleteSheetWindows(area);
        FreeCaseRecords();
    }
}

TEST_F(DistributionDialogTest, EditsShowAndReadParametersAtFullPrecisionWhateverTheNumberFormat) {
    testcase::SetLevels({5, 50, 95});
    TAssessment* a = OneAssessment({1, 2, 3});
    struct Case {
        char Format;
        int Places;
        char Separator;
        int Family;
        std::vector<std::string> Texts;  // as the edits must show them
    };
    // The Normal fit of 1, 2, 3 at the 32-bit levels 5/50/95 (distribution_fit.txt, part_normal):
    // mean 2.000000033, deviation 0.6079568546; both shown with all their digits.
    const Case cases[] = {
        {'f', 2, '.', FamilyLogUniform, {"0.0001", "1"}},
        {'f', 2, '.', FamilyGamma, {"10", "0.001", "0"}},
        {'e', 2, '.', FamilyExponential, {"100", "0"}},
        {'g', 4, '.', FamilyNormal, {}},
        {'f', 3, ',', FamilyNormal, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.Format) + " family " + std::to_string(c.Family));
        FloatFormat = c.Format;
        DecimalPlaces = c.Places;
        DecimalSeparator = c.Separator;
        a->Distribution = TDistribution{};
        // The Normal is fitted to 1, 2, 3; the others open with their defaults (a value missing).
        a->Values[1] = 1;
        a->Values[2] = c.Family == FamilyNormal ? 2 : MissingValue;
        a->Values[3] = 3;
        if (c.Family != FamilyNormal) SetDistributionDefaults(c.Family, a->Distribution);
        Choose(a, c.Family);
        auto d = Open();
        const int n = DistributionParamCount(c.Family);
        for (int k = 1; k <= n; ++k) {
            const std::string text = Text(d->Edit(k));
            if (!c.Texts.empty()) {
                EXPECT_EQ(text, c.Texts[static_cast<std::size_t>(k - 1)]);
            }
            EXPECT_GT(text.size(), c.Family == FamilyNormal ? 10u : 0u) << text;
            if (c.Separator != '.') {
                EXPECT_NE(text.find(','), std::string::npos) << text;
            }
        }
        const TDistribution opened = d->Core.DialogDistribution;
        QTest::mouseClick(d->OKButton, Qt::LeftButton);
        EXPECT_TRUE(DistribDlgAccepted) << "OK takes what the edits show";
        // What the edits showed reads back as exactly the parameters they were made from.
        EXPECT_EQ(a->Distribution.P1, opened.P1);
        EXPECT_EQ(a->Distribution.P2, opened.P2);
        EXPECT_EQ(a->Distribution.P4, opened.P4);
        if (c.Family == FamilyNormal) {
            EXPECT_NEAR(a->Distribution.P2, 0.6079568546075815, 1.2e-7);
            EXPECT_EQ(a->Values[1], 1.0f);
            EXPECT_EQ(a->Values[3], 3.0f);
            EXPECT_EQ(a->Values[2], 2.0f) << "OK on the fit keeps the median it gives back";
        }
    }
    DecimalSeparator = '.';
}

TEST(DistributionParameterText, IsTheShortestTextThatReadsBackExactly) {
    ResetGlobals();
    ResetWindowState();
    const struct {
        double X;
        const char* Text;
    } cases[] = {
        {0, "0"},
        {1, "1"},
        {-3.5, "-3.5"},
        {0.0001, "0.0001"},
        {0.001, "0.001"},
        {100, "100"},
        {0.1, "0.1"},
        {1.0 / 3, "0.3333333333333333"},
        {1e-7, "1E-07"},
        {2.5e300, "2.5E+300"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E+15"},
    };
    for (const auto& c : cases) {
        const std::string text = ParameterText(c.X);
        EXPECT_EQ(text, c.Text);
        long double back = 0;
        ASSERT_EQ(ValReal(text, back), 0) << text;
        EXPECT_EQ(static_cast<double>(back), c.X) << text;
    }
    // Every double of a sweep over many magnitudes reads back exactly.
    double x = 1.2345678901234567e-30;
    for (int n = 0; n < 2000; ++n, x *= -1.0371) {
        long double back = 0;
        const std::string text = ParameterText(x);
        ASSERT_EQ(ValReal(text, back), 0) << text;
        ASSERT_EQ(static_cast<double>(back), x) << text;
    }
}

TEST_F(DistributionDialogTest, InputThatCannotBeFittedOpensWithTheDefaults) {
    testcase::SetLevels({5, 50, 95});
    struct Case {
        const char* What;
        std::vector<float> Values;
        const char* Scale;
        int Family;
        bool Notice;
    };
    const Case cases[] = {
        {"a value cleared in the sheet", {1, MissingValue, 3}, "UNI", FamilyNormal, false},
        {"a value never given", {1, NoValue, 3}, "UNI", FamilyNormal, false},
        {"a value near the missing mark", {1, -999.45f, 3}, "UNI", FamilyLogNormal, false},
        {"values not increasing", {1, 3, 2}, "UNI", FamilyNormal, true},
        {"a value <= 0 on a LOG item", {-1, 2, 3}, "LOG", FamilyNormal, true},
        {"no logarithm of a negative value", {-4, 2, 3}, "UNI", FamilyLogUniform, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        FreeCaseRecords();
        ExpertCount = 0;
        TAssessment* a = OneAssessment(c.Values, c.Scale);
        ExpertCount = 1;
        TExpert* x = ExpertTable[1].get();
        x->SeedCount = 4;
        x->AssessedCount = 2;
        ItemCount = 9;
        const float before[3] = {a->Values[1], a->Values[2], a->Values[3]};
        Choose(a, c.Family);
        auto d = Open();
        const std::vector<std::string> defaults = c.Family == FamilyLogUniform ? std::vector<std::string>{"0.0001", "1"}
                                                  : c.Family == FamilyLogNormal ? std::vector<std::string>{"1", "2"}
                                                                                : std::vector<std::string>{"0", "1"};
        EXPECT_EQ(Text(d->Param1Edit), defaults[0]);
        EXPECT_EQ(Text(d->Param2Edit), defaults[1]);
        EXPECT_EQ(d->OutOfBoundsLabel->isVisible(), c.Notice);
        EXPECT_EQ(d->ErrStringLabel->isVisible(), c.Notice);
        if (c.Notice) {
            EXPECT_EQ(Text(d->OutOfBoundsLabel), "Invalid Input Parameters!");
            EXPECT_EQ(Text(d->ErrStringLabel), "          Resetting to defaults");
        }
        // Opening changes nothing yet; the check leaves the expert's counts for the sheets alone.
        for (int k = 1; k <= 3; ++k) EXPECT_EQ(a->Values[k], before[k - 1]);
        EXPECT_EQ(x->SeedCount, 4);
        EXPECT_EQ(x->AssessedCount, 2);
        EXPECT_EQ(ItemCount, 9);
        d->CancelButtonClick();
    }
}

TEST_F(DistributionDialogTest, WithoutAnAssessmentNothingIsReadOrWritten) {
    testcase::SetLevels({5, 50, 95});
    TAssessment* a = OneAssessment({1, 2, 3});
    a->Distribution = TDistribution{FamilyNormal, 5, 6, 0, 0};
    const TDistribution before = a->Distribution;
    for (int itemIndex : {0, 3, 1001}) {
        SCOPED_TRACE(itemIndex);
        Choose(a, FamilyNormal, itemIndex);
        a->Distribution = before;
        auto d = Open();
        EXPECT_FALSE(d->Core.HasAssessment());
        EXPECT_FALSE(d->Param1Edit->isVisible());
        d->OKButtonClick();
        EXPECT_FALSE(d->isVisible());
        EXPECT_FALSE(DistribDlgAccepted);
        EXPECT_EQ(a->Distribution.P1, 5.0);
        EXPECT_EQ(a->Values[1], 1.0f);
    }
    ActiveExpert = nullptr;
    auto d = Open();
    EXPECT_EQ(d->windowTitle().toStdString(), "Distribution Parameters");
    d->CancelButtonClick();
    EXPECT_EQ(a->Distribution.P1, 5.0);
}

// ---------------------------------------------------------------- the rules

TEST_F(DistributionDialogTest, EachFamilysRuleNamesTheFirstBadValue) {
    struct Case {
        int Family;
        long double E1, E2, E3, E4;
        int Bad;
    };
    const Case cases[] = {
        {FamilyConstant, -5, 0, 0, 0, 0},      {FamilyUniform, -2, -1, 0, 0, 0},  // a lower bound below 0 is allowed
        {FamilyUniform, 1, 1, 0, 0, 2},        {FamilyLogUniform, 0, 1, 0, 0, 1},
        {FamilyLogUniform, 0.5, 0.5, 0, 0, 2}, {FamilyNormal, -3, 0, 0, 0, 2},
        {FamilyNormal, -3, 0.1L, 0, 0, 0},     {FamilyLogNormal, 0, 0.5, 0, 0, 1},
        {FamilyLogNormal, 2, 1, 0, 0, 2},      {FamilyLogNormal, 2, 1.01L, 0, 0, 0},
        {FamilyExponential, 0, 1, 0, 0, 1},    {FamilyExponential, 1, -0.1L, 0, 0, 2},
        {FamilyExponential, 1, 0, 0, 0, 0},    {FamilyGamma, 0, 0, -1, 0, 1},
        {FamilyGamma, 1, 0, -1, 0, 2},         {FamilyGamma, 1, 1, -1, 0, 3},
        {FamilyWeibull, 1, 1, 0, 0, 0},        {FamilyWeibull, 1, -1, 0, 0, 2},
        {FamilyBeta, 1, 1, 1, 1, 4},           {FamilyBeta, 1, 0, 1, 0, 2},
        {FamilyBeta, 1, 1, 0, 1, 0},           {FamilyTriangular, 0, 0, 1, 0, 0},
        {FamilyTriangular, 0, 1, 1, 0, 0},     {FamilyTriangular, 1, 1, 1, 0, 2},
        {FamilyTriangular, 0, 2, 1, 0, 2},     {FamilyTriangular, 1, 0, 2, 0, 2},
    };
    for (const Case& c : cases) {
        DistributionDialogCore core;
        core.DialogDistribution.Family = static_cast<std::uint8_t>(c.Family);
        core.DistributionValues[1] = c.E1;
        core.DistributionValues[2] = c.E2;
        core.DistributionValues[3] = c.E3;
        core.DistributionValues[4] = c.E4;
        EXPECT_EQ(core.CheckDistributionParams(), c.Bad)
            << "family " << c.Family << ": " << static_cast<double>(c.E1) << ", " << static_cast<double>(c.E2) << ", "
            << static_cast<double>(c.E3) << ", " << static_cast<double>(c.E4);
    }
    // Rule texts as shown under the complaint.
    EXPECT_EQ(DistributionRuleText(FamilyLogUniform), " Log Upper Bound > Log Lower Bound > 0 ");
    EXPECT_EQ(DistributionRuleText(FamilyTriangular), "        a <= m < b or a < m <= b ");
    EXPECT_EQ(DistributionRuleText(11), "");
    EXPECT_EQ(DistributionParamCount(11), 0);
}

TEST_F(DistributionDialogTest, TextThatIsNoNumberTurnsItsEditRedAndKeepsThePreviousValue) {
    testcase::SetLevels({5, 50, 95});
    TAssessment* a = OneAssessment({1, 2, 3});
    Choose(a, FamilyNormal);
    auto d = Open();
    TypeAndLeave(*d, 1, "abc");
    EXPECT_TRUE(Red(d->Param1Edit));
    EXPECT_EQ(Text(d->Param1Edit), "abc");
    EXPECT_EQ(d->Core.DistributionValues[1], 2.0L);
    // The value the record could not hold is no number either.
    TypeAndLeave(*d, 1, "1e400");
    EXPECT_TRUE(Red(d->Param1Edit));
    EXPECT_EQ(d->Core.DistributionValues[1], 2.0L);
    // Reading the edit again with a number gives it its colour back.
    TypeAndLeave(*d, 1, " 7.5 ");
    EXPECT_FALSE(Red(d->Param1Edit));
    EXPECT_EQ(d->Core.DistributionValues[1], 7.5L);
    // The kept value is the previous one at single precision.
    TypeAndLeave(*d, 2, "0.1");
    TypeAndLeave(*d, 2, "x");
    EXPECT_EQ(d->Core.DistributionValues[2], static_cast<long double>(0.1f));
    // OK stays open with the rule.
    d->OKButtonClick();
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(d->OutOfBoundsLabel->isVisible());
    EXPECT_EQ(Text(d->OutOfBoundsLabel), "Invalid Parameter !  Make");
    EXPECT_EQ(Text(d->ErrStringLabel), "             Deviation > 0");
    EXPECT_FALSE(DistribDlgAccepted);
    // Leaving an edit hides the complaint again.
    TypeAndLeave(*d, 1, "1");
    EXPECT_FALSE(d->OutOfBoundsLabel->isVisible());
}

TEST_F(DistributionDialogTest, TheRuleIsCheckedWhenTheLastParameterIsRead) {
    testcase::SetLevels({5, 50, 95});
    TAssessment* a = OneAssessment({1, 2, 3});
    Choose(a, FamilyUniform);
    auto d = Open();
    // The fit of 1, 2, 3 gives 0.8889 .. 3.111; an upper bound above the lower one, though
    // below the first quantile, is valid: the rule compares parameters.
    TypeAndLeave(*d, 2, "0.9");
    EXPECT_FALSE(Red(d->Param2Edit));
    TypeAndLeave(*d, 1, "0.9");
    EXPECT_FALSE(Red(d->Param1Edit)) << "an earlier parameter is only parsed";
    TypeAndLeave(*d, 2, "0.9");
    EXPECT_TRUE(Red(d->Param2Edit));
    EXPECT_EQ(d->Core.DistributionValues[2], static_cast<long double>(0.9f));

    // Triangular: the "m" edit turns red when "b" is read; a = m or m = b is valid.
    d.reset();
    Choose(a, FamilyTriangular);
    d = Open();
    TypeAndLeave(*d, 1, "0");
    TypeAndLeave(*d, 2, "0");
    TypeAndLeave(*d, 3, "1");
    EXPECT_FALSE(Red(d->Param2Edit));
    TypeAndLeave(*d, 2, "1");
    TypeAndLeave(*d, 3, "1");
    EXPECT_FALSE(Red(d->Param2Edit));
    TypeAndLeave(*d, 1, "1");
    TypeAndLeave(*d, 3, "1");
    EXPECT_TRUE(Red(d->Param2Edit));
    EXPECT_FALSE(Red(d->param3Edit));
    d->OKButtonClick();
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(Text(d->ErrStringLabel), "        a <= m < b or a < m <= b ");
    // Reading "m" again takes its red away; OK with a valid triangle is accepted.
    TypeAndLeave(*d, 2, "1");
    EXPECT_FALSE(Red(d->Param2Edit));
    TypeAndLeave(*d, 3, "2");
    d->OKButtonClick();
    EXPECT_TRUE(DistribDlgAccepted);
    EXPECT_EQ(a->Distribution.P3, 1.0);
    EXPECT_EQ(a->Distribution.P2, 1.0);
    EXPECT_EQ(a->Distribution.P4, 2.0);
}

TEST_F(DistributionDialogTest, ParametersWithoutQuantilesAreRefused) {
    testcase::SetLevels({5, 50, 95});
    TAssessment* a = OneAssessment({1, 2, 3});
    const char* const cases[][2] = {
        {"3e38", "1e38"},  // the 95 % quantile is beyond a 32-bit real
        {"1", "1e300"},    // so is every quantile but the median
    };
    for (const auto& c : cases) {
        Choose(a, FamilyNormal);
        auto d = Open();
        d->Param1Edit->setText(QString::fromLatin1(c[0]));
        d->Param2Edit->setText(QString::fromLatin1(c[1]));
        d->OKButtonClick();
        EXPECT_TRUE(d->isVisible());
        EXPECT_FALSE(DistribDlgAccepted);
        EXPECT_EQ(Text(d->OutOfBoundsLabel), "Invalid Parameters !");
        EXPECT_EQ(Text(d->ErrStringLabel), "  No quantiles for these values");
        d->CancelButtonClick();
        EXPECT_EQ(a->Values[3], 3.0f);
    }
    // A Constant beyond a 32-bit real likewise.
    Choose(a, FamilyConstant);
    auto d = Open();
    d->Param1Edit->setText(QStringLiteral("1e39"));
    d->OKButtonClick();
    EXPECT_FALSE(DistribDlgAccepted);
    d->CancelButtonClick();
    EXPECT_EQ(a->Values[1], 1.0f);
}

// ---------------------------------------------------------------- closing

TEST_F(DistributionDialogTest, CancelAndTheCloseBoxPutThePreviousRecordBack) {
    testcase::SetLevels({5, 50, 95});
    TAssessment* a = OneAssessment({1, 2, 3});
    a->Distribution = TDistribution{FamilyBeta, 2, 3, 0, 10};
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        Choose(a, FamilyNormal);
        SetDistributionDefaults(FamilyNormal, a->Distribution);
        auto d = Open();
        TypeAndLeave(*d, 1, "5");
        if (way == 0)
            d->CancelButtonClick();
        else if (way == 1)
            d->close();
        else
            QTest::keyClick(d->Param2Edit, Qt::Key_Escape);
        EXPECT_FALSE(d->isVisible());
        EXPECT_FALSE(DistribDlgAccepted);
        EXPECT_EQ(a->Distribution.Family, FamilyBeta);
        EXPECT_EQ(a->Distribution.P2, 3.0);
        EXPECT_EQ(a->Distribution.P4, 10.0);
        EXPECT_EQ(a->Values[1], 1.0f);
        EXPECT_EQ(a->Values[3], 3.0f);
    }
}

TEST_F(DistributionDialogTest, ARecordWithoutAFamilyKeepsItsQuantilesOnOk) {
    testcase::SetLevels({5, 50, 95});
    TAssessment* a = OneAssessment({1, 2, 3});
    Choose(a, FamilyNone);
    auto d = Open();
    for (int k = 1; k <= 4; ++k) EXPECT_FALSE(d->Edit(k)->isVisible());
    d->OKButtonClick();
    EXPECT_FALSE(d->isVisible());
    EXPECT_FALSE(DistribDlgAccepted);
    EXPECT_EQ(a->Values[1], 1.0f);
    EXPECT_EQ(a->Values[2], 2.0f);
}

TEST_F(DistributionDialogTest, TheItemsSheetPopupOpensTheDialogAndShowsTheNewQuantiles) {
    testcase::SetLevels({5, 50, 95});
    TAssessment* a = OneAssessment({1, NoValue, 3});
    auto* sheet = new TItemsSheet(area, ExpertTable[1].get());
    sheet->show();
    area->setActiveSubWindow(sheet);
    QApplication::processEvents();
    sheet->ShowDistributionMenu(3, 1, QPoint(0, 0));
    sheet->DistributionMenu->hide();
    ASSERT_EQ(sheet->PickedAssessment, a);
    std::string shown[2];
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<TDistribDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr) << "no dialog came up";
        // The popup wrote the Normal defaults for the empty quantile.
        shown[0] = Text(d->Param1Edit);
        shown[1] = Text(d->Param2Edit);
        d->Param1Edit->setText(QStringLiteral("10"));
        d->OKButtonClick();
    });
    sheet->ChooseDistribution(FamilyNormal);
    EXPECT_EQ(shown[0], "0");
    EXPECT_EQ(shown[1], "1");
    EXPECT_TRUE(DistribDlgAccepted);
    EXPECT_EQ(a->Distribution.Family, FamilyNormal);
    EXPECT_EQ(a->Values[2], 10.0f);
    // 10 + 1 x z(0.95) with AS 70's z (1.6448536 to 1.5e-8), as a 32-bit real.
    EXPECT_NEAR(a->Values[3], 11.6448536, 2e-6);
    EXPECT_EQ(sheet->Core.CellText(5, 1), "     11.64");

    // Cancel leaves the quantiles; the family is the one from before the popup.
    sheet->ShowDistributionMenu(3, 1, QPoint(0, 0));
    sheet->DistributionMenu->hide();
    QTimer::singleShot(0, [] {
        if (auto* d = qobject_cast<TDistribDlg*>(QApplication::activeModalWidget())) d->CancelButtonClick();
    });
    sheet->ChooseDistribution(FamilyGamma);
    EXPECT_EQ(a->Distribution.Family, FamilyNormal);
    EXPECT_EQ(a->Values[2], 10.0f);
}

}  // namespace

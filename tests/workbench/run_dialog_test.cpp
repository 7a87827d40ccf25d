// The run dialog: its field checks, every refusal of a run with its text, the run itself with
// its decision maker, the result views it opens, RESET and the robustness buttons.
#include "run_dialog_fixture.h"

#include <stdexcept>

#include "engine/run_codes.h"
#include "workbench/record_links.h"
#include "workbench/services.h"
#include "workbench/window_state.h"

using namespace halvorine;

namespace {

using Texts = std::vector<std::string>;

TEST(RunDialogFields, CalibrationPower) {
    const struct {
        const char* text;
        bool ok;
    } cases[] = {{"0.1", true},   {"1", true}, {"   1.000", true}, {" 0.5 ", true}, {"0.05", false},
                 {"1.01", false}, {"", false}, {"x", false},       {"0,5", false},  {"-1", false}};
    for (const auto& c : cases) {
        CalibrationPower = 0.75f;
        EXPECT_EQ(CalPowerCheck(c.text), c.ok) << '"' << c.text << '"';
        if (!c.ok) {
            EXPECT_EQ(CalibrationPower, 0.75f) << "a refused value changes nothing: " << c.text;
        }
    }
    ASSERT_TRUE(CalPowerCheck("0.1"));
    EXPECT_EQ(CalibrationPower, 0.1f);
}

TEST(RunDialogFields, IntrinsicRange) {
    const struct {
        const char* text;
        bool ok;
    } cases[] = {{"0.01", true},   {"100", true},    {"    0.10", true}, {"0.009999", true},
                 {"0.009", false}, {"100.5", false}, {"", false},        {"1e3", false}};
    for (const auto& c : cases) {
        IntrinsicRangeOvershoot = 0.5f;
        EXPECT_EQ(IntRangeCheck(c.text), c.ok) << '"' << c.text << '"';
        if (!c.ok) {
            EXPECT_EQ(IntrinsicRangeOvershoot, 0.5f) << c.text;
        }
    }
    ASSERT_TRUE(IntRangeCheck("0.01"));
    EXPECT_EQ(IntrinsicRangeOvershoot, 0.01f);
}

TEST(RunDialogFields, BoundTexts) {
    // The runtime's Str(x:5): sign place, one digit, point, one digit, exponent of four digits.
    EXPECT_EQ(SignificanceBoundText(0), " 0.0E+0000");
    EXPECT_EQ(SignificanceBoundText(0.808027f), " 8.1E-0001");
    EXPECT_EQ(SignificanceBoundText(0.05f), " 5.0E-0002");
    EXPECT_EQ(SignificanceBoundText(1), " 1.0E+0000");
    MinSignificanceLevel = 0;
    MaxSignificanceLevel = 0.352f;
    EXPECT_EQ(SignLevelMinText(), "0.0 <=");
    EXPECT_EQ(SignLevelMaxText(), "<= 0.352");
}

TEST(RunDialogFields, EveryCodeHasItsText) {
    platform::ScriptedPrompts prompts;
    Platform = &prompts;
    ResetGlobals();
    ResetWindowState();
    Platform = &prompts;
    MinSignificanceLevel = 0;
    MaxSignificanceLevel = 0.808027f;
    const struct {
        int code;
        const char* text;
    } cases[] = {
        {-11, "Sum of the User Weights can`t exceed 1.0"},
        {-10, "User Weights outside of 0.0 .. 1.0: not allowed"},
        {-9, "No User Weights specified"},
        {-8, "User Weight with 1.0 value: not allowed"},
        {-7, " Check the Significance Level field value (must be non-empty and between  0.0E+0000 and  8.1E-0001)"},
        {-1, "All weights are zero. Calculations cancelled."},
        {3, " No experts with non-zero weight have assessed item 3. Calculations cancelled."},
        {-16, "Some interval between the quantile levels has no probability. Calculations cancelled."},
        {-17, "A score, weight or quantile is out of the range of real numbers. Calculations cancelled."},
        {-18, "No memory for the calculations. Calculations cancelled."},
    };
    for (const auto& c : cases) {
        prompts.QueueAnswer(platform::Answer::Ok);
        EXPECT_EQ(DisplayError(c.code), c.code == -7);
    }
    Texts expected;
    for (const auto& c : cases) expected.push_back(c.text);
    EXPECT_EQ(prompts.MessageTexts(), expected);
    // The item's number or the lower bound stays for whoever asks later.
    EXPECT_EQ(RunErrorText, "3");
    RunErrorMessage(-7);
    EXPECT_EQ(RunErrorText, " 0.0E+0000");
    // Codes without a message show nothing.
    for (int code : {0, -2, -3, -4, -5, -6}) EXPECT_FALSE(DisplayError(code));
    EXPECT_EQ(prompts.MessageTexts().size(), expected.size());
    Platform = nullptr;
}

TEST(RunDialogFields, EngineRefusalsNameTheirRecord) {
    ResetGlobals();
    ResetWindowState();
    testcase::SetLevels({5, 50, 95});
    testcase::AddItem("X1", "LOG", 2);
    testcase::AddExpert("E1", {{1, 2, 3}});
    CheckedExpert = 1;
    ItemCount = 1;
    EXPECT_EQ(RunErrorMessage(RunNoSeedAnswers),
              "Expert `E1` has no valid assessments of seed items. Calculations cancelled.");
    EXPECT_EQ(RunErrorMessage(RunLogBoundNotPositive),
              "The intrinsic range of the LOG item `X1` reaches zero or below. Calculations cancelled.");
    EXPECT_EQ(RunErrorMessage(RunBoundOutOfRange),
              "The intrinsic range of the item `X1` is out of the range of real numbers. Calculations cancelled.");
    EXPECT_EQ(RunErrorMessage(RunDegenerateBin),
              "Assessments of the item `X1` leave an interval of no width. Calculations cancelled.");
    ResetGlobals();
    ResetWindowState();
}

// ---------------------------------------------------------------- refusals of RUN

TEST_F(RunDialogTest, FieldRefusals) {
    TRunDlgFrm* d = OpenDialog();
    ExpectMessage();
    d->CalPowerEdit->setText(QStringLiteral("1.01"));
    d->RunButtonClick();
    EXPECT_TRUE(TRunDlgFrm::IsRed(d->CalPowerEdit));
    d->CalPowerEdit->setText(QStringLiteral("0.1"));
    ExpectMessage();
    d->IntRangeEdit->setText(QStringLiteral("100.5"));
    d->RunButtonClick();
    EXPECT_FALSE(TRunDlgFrm::IsRed(d->CalPowerEdit));
    EXPECT_TRUE(TRunDlgFrm::IsRed(d->IntRangeEdit));
    EXPECT_EQ(Messages(), (Texts{"Illegal Calibration Power parameter", "Illegal Intrinsic Range parameter"}));
    EXPECT_EQ(ResultExperts(), 0);
    EXPECT_FALSE(d->DisplayShown());

    // The edits turn red on leaving them, and back.
    Type(d->CalPowerEdit, "0.05");
    EXPECT_TRUE(TRunDlgFrm::IsRed(d->CalPowerEdit));
    Type(d->CalPowerEdit, "1");
    EXPECT_FALSE(TRunDlgFrm::IsRed(d->CalPowerEdit));
    EXPECT_EQ(CalibrationPower, 1.0f);
    Type(d->IntRangeEdit, "0.009");
    EXPECT_TRUE(TRunDlgFrm::IsRed(d->IntRangeEdit));
    Type(d->IntRangeEdit, "0.01");
    EXPECT_FALSE(TRunDlgFrm::IsRed(d->IntRangeEdit));
}

TEST_F(RunDialogTest, WeightRefusals) {
    TRunDlgFrm* d = OpenDialog();
    // Equal weights with the optimisation box ticked.
    d->EqButton1->setChecked(true);
    ExpectMessage();
    d->RunButtonClick();
    // User weights likewise.
    d->UsButton->setChecked(true);
    ExpectMessage();
    d->RunButtonClick();
    // Seed weights need a valid assessment of every expert.
    d->GlButton->setChecked(true);
    for (int i = 1; i <= 4; ++i) ExpertTable[2]->Assessments[i]->Values[2] = MissingValue;
    ExpectMessage();
    d->RunButtonClick();
    // With its only valid assessment on the item without realisation the engine refuses.
    ExpertTable[2]->Assessments[4]->Values[2] = 28;
    ExpectMessage();
    d->RunButtonClick();
    EXPECT_EQ(Messages(), (Texts{"DM optimization can be performed with the Global and Item Weights only",
                                 "DM optimization can be performed with the Global and Item Weights only",
                                 "Expert `B` has negative or non-increasing assessments or no realisations for them",
                                 "Expert `B` has no valid assessments of seed items. Calculations cancelled."}));
    EXPECT_EQ(ResultExperts(), 0);
}

TEST_F(RunDialogTest, SeedWeightsNeedRealisations) {
    for (int i = 1; i <= 3; ++i) ItemTable[i]->HasRealisation = false;
    CheckCaseData();
    TRunDlgFrm* d = OpenDialog();
    ExpectMessage();
    d->ItButton->setChecked(true);
    d->RunButtonClick();
    EXPECT_EQ(Messages(), (Texts{"Global and Item Weights require non-empty set of realisations"}));
    EXPECT_EQ(ResultExperts(), 0);
}

// The data may change while the dialog is open: the run is refused on every failing check, and
// no decision maker is added without data experts.
TEST_F(RunDialogTest, AFailingDataCheckRefusesTheRun) {
    TRunDlgFrm* d = OpenDialog();
    d->EqButton1->setChecked(true);
    d->DMOptBox->setChecked(false);
    std::vector<float> kept;
    struct Case {
        const char* what;
        std::function<void()> spoil, mend;
        const char* message;
    } cases[] = {
        {"non-increasing", [] { ExpertTable[1]->Assessments[4]->Values[2] = 60; },
         [] { ExpertTable[1]->Assessments[4]->Values[2] = 20; },
         "Non-increasing or empty quantiles found, expert `A`, item `L4`"},
        {"no expert id", [] { ExpertTable[2]->Id = ""; }, [] { ExpertTable[2]->Id = "B"; },
         "Some Expert IDs are not defined"},
        {"not positive on LOG", [] { ExpertTable[2]->Assessments[4]->Values[1] = -1; },
         [] { ExpertTable[2]->Assessments[4]->Values[1] = 25; },
         "Negative or zero quantiles are illegal for the LOG scale, expert `B`, item `L4`"},
        {"no valid value",
         [&kept] {
             for (int e : {1, 2})
                 for (int i = 1; i <= 4; ++i) {
                     kept.push_back(ExpertTable[e]->Assessments[i]->Values[1]);
                     ExpertTable[e]->Assessments[i]->Values[1] = MissingValue;
                 }
         },
         [&kept] {
             std::size_t n = 0;
             for (int e : {1, 2})
                 for (int i = 1; i <= 4; ++i) ExpertTable[e]->Assessments[i]->Values[1] = kept[n++];
         },
         "Empty ExpertsData list or no active experts found"},
    };
    for (const Case& c : cases) {
        prompts.Clear();
        c.spoil();
        ExpectMessage();
        d->RunButtonClick();
        EXPECT_EQ(Messages(), (Texts{c.message})) << c.what;
        EXPECT_EQ(ResultExperts(), 0) << c.what;
        EXPECT_FALSE(d->DisplayShown()) << c.what;
        for (int e = 1; e <= 2; ++e) EXPECT_FALSE(ExpertTable[e] && ExpertTable[e]->IsDecisionMaker) << c.what;
        c.mend();
    }
    // Once mended the run goes.
    d->RunButtonClick();
    EXPECT_EQ(ResultExperts(), 1);
    EXPECT_EQ(ExpertCount, 2);
    EXPECT_TRUE(ExpertTable[3]->IsDecisionMaker);
}

TEST_F(RunDialogTest, NoDecisionMakerWithoutDataExperts) {
    TRunDlgFrm* d = OpenDialog();
    d->EqButton1->setChecked(true);
    d->DMOptBox->setChecked(false);
    // One seed item left and every expert gone: the check passes with too few seeds.
    ItemTable[2]->HasRealisation = false;
    ItemTable[3]->HasRealisation = false;
    for (int e = 1; e <= 2; ++e) FreeExpertSlot(ExpertTable[e]);
    ExpertCount = 0;
    ExpectMessage();
    d->RunButtonClick();
    EXPECT_EQ(Messages(), (Texts{"Can`t run without experts data"}));
    for (const auto& x : ExpertTable) EXPECT_EQ(x, nullptr);
}

// The engine's refusals reach the user with their texts, and the decision maker goes.
TEST_F(RunDialogTest, EngineRefusalsThroughRun) {
    TRunDlgFrm* d = OpenDialog();
    d->DMOptBox->setChecked(false);
    d->UsButton->setChecked(true);
    const struct {
        float a, b;
        const char* message;
    } weights[] = {
        {1.0f, MissingValue, "User Weight with 1.0 value: not allowed"},
        {0.6f, 0.6f, "Sum of the User Weights can`t exceed 1.0"},
        {0.4f, 0.4f, "Sum of the User Weights can`t exceed 1.0"},
        {MissingValue, MissingValue, "No User Weights specified"},
        {-0.1f, 0.5f, "User Weights outside of 0.0 .. 1.0: not allowed"},
    };
    Texts expected;
    for (const auto& w : weights) {
        ExpertTable[1]->Weight = w.a;
        ExpertTable[2]->Weight = w.b;
        ExpectMessage();
        d->RunButtonClick();
        expected.push_back(w.message);
        EXPECT_EQ(ResultExperts(), 0) << w.message;
    }
    // Accepted: B gets what A leaves.
    ExpertTable[1]->Weight = 0.25f;
    ExpertTable[2]->Weight = MissingValue;
    d->RunButtonClick();
    EXPECT_EQ(ResultExperts(), 1);
    EXPECT_EQ(ExpertTable[2]->Weight, 0.75f);

    // Global weights at A's calibration cut B off; the item only B assessed has no weight left.
    d->GlButton->setChecked(true);
    for (int k = 1; k <= 3; ++k) ExpertTable[1]->Assessments[4]->Values[k] = MissingValue;
    d->SignLevelEdit->setText(QString::fromStdString(d->SignLevelLabelMax->text().toStdString().substr(3)));
    ExpectMessage();
    d->RunButtonClick();
    expected.push_back(" No experts with non-zero weight have assessed item 4. Calculations cancelled.");
    EXPECT_EQ(Messages(), expected);
    EXPECT_EQ(ResultExperts(), 1) << "only the refused run's decision maker goes";
    EXPECT_EQ(RunErrorText, "4");
}

TEST_F(RunDialogTest, AFaultyExpertIsShownInTheDataView) {
    TRunDlgFrm* d = OpenDialog();
    d->EqButton1->setChecked(true);
    d->DMOptBox->setChecked(false);
    ExpertsSheetMode = ExpertsScoresView;
    experts->FormPaint();
    ExpertTable[2]->Assessments[3]->Values[3] = 0.1f;
    ExpectMessage();
    d->RunButtonClick();
    EXPECT_EQ(Messages(), (Texts{"Non-increasing or empty quantiles found, expert `B`, item `X3`"}));
    EXPECT_EQ(ExpertsSheetMode, ExpertsDataView);
    EXPECT_EQ(experts->ExpertsGrid->Row(), 2);
    ASSERT_NE(ChildSheets[2], nullptr) << "the expert's assessments open at the item";
    EXPECT_EQ(ChildSheets[2]->Core.Expert, ExpertTable[2].get());
    EXPECT_EQ(ChildSheets[2]->ItemsGrid->Row(), 3);
}

TEST_F(RunDialogTest, TheSignificanceLevelIsReadAgainAtRun) {
    TRunDlgFrm* d = OpenDialog();
    d->DMOptBox->setChecked(false);
    ASSERT_FALSE(d->SignLevelEdit->isHidden());
    // The range is 0 .. the largest calibration score, A's 0.808.
    EXPECT_EQ(d->SignLevelLabelMin->text().toStdString(), "0.0 <=");
    EXPECT_EQ(d->SignLevelLabelMax->text().toStdString(), "<= 0.808");
    EXPECT_FALSE(TRunDlgFrm::IsRed(d->SignLevelEdit));
    Type(d->SignLevelEdit, "0.05");
    EXPECT_FALSE(TRunDlgFrm::IsRed(d->SignLevelEdit));
    EXPECT_EQ(UserSignificanceLevel, 0.05f);

    // Typed but never left: RUN reads it all the same.
    const char* const refused[] = {"abc", "0.9", "-0.1"};
    for (const char* text : refused) {
        d->SignLevelEdit->setText(QString::fromLatin1(text));
        ExpectMessage();
        d->RunButtonClick();
        EXPECT_TRUE(TRunDlgFrm::IsRed(d->SignLevelEdit)) << text;
        EXPECT_EQ(ResultExperts(), 0) << text;
    }
    EXPECT_EQ(Messages(), Texts(3, " Check the Significance Level field value (must be non-empty and between  "
                                   "0.0E+0000 and  8.1E-0001)"));
    EXPECT_NE(UserSignificanceLevel, 0.05f) << "0.9 was read";

    // An empty level runs at 0 and the field says so.
    d->SignLevelEdit->clear();
    d->RunButtonClick();
    EXPECT_EQ(d->SignLevelEdit->text().toStdString(), "0.0");
    EXPECT_FALSE(TRunDlgFrm::IsRed(d->SignLevelEdit));
    EXPECT_EQ(UserSignificanceLevel, 0.0f);
    EXPECT_EQ(ResultExperts(), 1);
    EXPECT_EQ(ExpertTable[3]->Settings.SignificanceLevel, 0.0f);
    EXPECT_FALSE(ExpertTable[3]->Settings.OptimiseDM);
}

// ---------------------------------------------------------------- the run

TEST_F(RunDialogTest, RunAddsTheDecisionMakerAndShowsTheScores) {
    TRunDlgFrm* d = OpenDialog();
    EXPECT_EQ(d->windowTitle().toStdString(), "Run Parameters");
    EXPECT_TRUE(d->DMname->text().isEmpty()) << "emptied on activation";
    ASSERT_TRUE(d->DiscrBox);
    d->DiscrBox->setChecked(true);
    d->RunButtonClick();
    EXPECT_TRUE(Messages().empty());
    ASSERT_EQ(ResultExperts(), 1);
    const TExpert& dm = *ExpertTable[3];
    EXPECT_EQ(dm.Id.str(), "DMaker 1");
    EXPECT_TRUE(dm.Settings.OptimiseDM);
    EXPECT_EQ(dm.Settings.WeightType, GlobalWeighting);
    EXPECT_TRUE(dm.Settings.DiscrepancyOn);
    EXPECT_EQ(dm.Settings.CalibrationPower, 1.0f);
    EXPECT_EQ(dm.Settings.IntrinsicRangeOvershoot, 0.1f);
    EXPECT_TRUE(DiscrepancyOn);
    EXPECT_TRUE(ResultsFresh);
    EXPECT_EQ(prompts.BusyCount(), 1);
    EXPECT_EQ(prompts.BusyDepth(), 0);

    EXPECT_TRUE(d->DisplayShown());
    EXPECT_FALSE(d->DisplayPanel->isHidden());
    for (QPushButton* b :
         {d->DSolutionButton, d->DEScoresButton, d->DBLossButton, d->RangeItemsButton, d->RangeExpertsButton})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_FALSE(d->DRobustnessButton->isEnabled());
    EXPECT_EQ(ExpertsSheetMode, ExpertsScoresView);
    EXPECT_EQ(ActiveExpert, ExpertTable[3].get());
    EXPECT_EQ(experts->windowTitle().toStdString(), "Expert scores: hand and Relative Inforamtion to DM");

    // A second run: the newest decision maker follows the experts, the older one moves up.
    d->DMname->setText(QStringLiteral("Tenletters"));
    d->RunButtonClick();
    ASSERT_EQ(ResultExperts(), 2);
    EXPECT_EQ(ExpertTable[3]->Id.str(), "Tenlette") << "read from the edit, cut to eight";
    EXPECT_EQ(ExpertTable[4]->Id.str(), "DMaker 1");
    EXPECT_EQ(RunDMName.str(), "Tenlette");
    EXPECT_TRUE(d->DMname->text().isEmpty());
    EXPECT_EQ(DMName.str(), "");
}

// The run is made with the options the dialog shows, clicked by the user, and the decision maker
// keeps them; a global changed behind the dialog's back does not decide the run.
TEST_F(RunDialogTest, TheRunIsMadeWithTheOptionsTheDialogShows) {
    TRunDlgFrm* d = OpenDialog();
    auto click = [](QAbstractButton* b) {
        QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(8, b->height() / 2));
        QApplication::processEvents();
    };
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{d->ItButton, d->Chi2OldButton, d->InfOldButton, d->DMOptBox})
        click(b);
    ASSERT_TRUE(d->ItButton->isChecked());
    ASSERT_FALSE(d->DMOptBox->isChecked());
    WeightType = EqualWeighting;
    ExactChiSquare = true;
    click(d->RunButton);
    EXPECT_TRUE(Messages().empty());
    ASSERT_EQ(ResultExperts(), 1);
    const TRunSettings& s = ExpertTable[3]->Settings;
    EXPECT_EQ(s.WeightType, ItemWeighting);
    EXPECT_FALSE(s.OptimiseDM);
    EXPECT_EQ(WeightType, ItemWeighting);
    EXPECT_FALSE(ExactChiSquare);
    EXPECT_FALSE(LogIntrinsicRange);

    click(d->GlButton);
    click(d->DMOptBox);
    click(d->RunButton);
    ASSERT_EQ(ResultExperts(), 2);
    EXPECT_EQ(ExpertTable[3]->Settings.WeightType, GlobalWeighting);
    EXPECT_TRUE(ExpertTable[3]->Settings.OptimiseDM);
    EXPECT_EQ(ExpertTable[4]->Settings.WeightType, ItemWeighting) << "the earlier one keeps its own";
}

TEST_F(RunDialogTest, TheAutomaticNumberStaysBelow33) {
    TRunDlgFrm* d = OpenDialog();
    d->RunButtonClick();
    DecisionMakerCount = 40;
    d->RunButtonClick();
    EXPECT_EQ(ExpertTable[3]->Id.str(), "DMaker32");
}

TEST_F(RunDialogTest, AFullTableHasNoRoomForADecisionMaker) {
    for (int e = 3; e <= MaxExpertCount; ++e)
        testcase::AddExpert("E" + std::to_string(e),
                            {{2.5f, 5.5f, 8.5f}, {8.5f, 12.5f, 16.5f}, {0.25f, 1.25f, 2.25f}, {10, 20, 50}});
    ASSERT_GT(CheckCaseData(), 0);
    BuildItemIndexMap();
    for (int n = 0; n < ExpertSlotCount - MaxExpertCount; ++n) ASSERT_TRUE(AddDecisionMaker(""));
    TRunDlgFrm* d = OpenDialog();
    ExpectMessage();
    d->RunButtonClick();
    EXPECT_EQ(Messages(), (Texts{"No memory to create Decision Maker"}));
    EXPECT_EQ(ExpertCount, MaxExpertCount);
}

TEST_F(RunDialogTest, AFailedRunRemovesItsDecisionMakerOnly) {
    TRunDlgFrm* d = OpenDialog();
    d->RunButtonClick();
    ASSERT_EQ(ResultExperts(), 1);
    Services().RunCalculation = [](int& code) { code = RunZeroWeights; };
    ExpectMessage();
    d->RunButtonClick();
    EXPECT_EQ(Messages(), (Texts{"All weights are zero. Calculations cancelled."}));
    EXPECT_EQ(ResultExperts(), 1) << "the earlier decision maker stays";
    EXPECT_EQ(ExpertTable[3]->Id.str(), "DMaker 1");
    EXPECT_EQ(DecisionMakerCount, 1);
    EXPECT_FALSE(d->DSolutionButton->isEnabled());
}

TEST_F(RunDialogTest, AnExceptionEndsTheRunWithWhatItReached) {
    TRunDlgFrm* d = OpenDialog();
    // Thrown with the run complete so far: the decision maker stays, the cursor comes back.
    Services().RunCalculation = [](int& code) {
        code = 0;
        throw std::runtime_error("numeric fault");
    };
    d->RunButtonClick();
    EXPECT_EQ(ResultExperts(), 1);
    EXPECT_TRUE(d->DSolutionButton->isEnabled());
    EXPECT_EQ(ExpertTable[3]->Settings.WeightType, GlobalWeighting) << "settings stored after the fault";
    EXPECT_EQ(prompts.BusyDepth(), 0);
    // Thrown after a step failed: that code's message, the decision maker goes.
    Services().RunCalculation = [](int& code) {
        code = 2;
        throw std::bad_alloc();
    };
    ExpectMessage();
    d->RunButtonClick();
    EXPECT_EQ(Messages(), (Texts{" No experts with non-zero weight have assessed item 2. Calculations cancelled."}));
    EXPECT_EQ(ResultExperts(), 1);
    EXPECT_EQ(prompts.BusyDepth(), 0);
    EXPECT_EQ(prompts.BusyCount(), 2);
}

// ---------------------------------------------------------------- options

TEST_F(RunDialogTest, ComponentsByNameAndCaption) {
    TRunDlgFrm* d = OpenDialog();
    const struct {
        const char* name;
        const char* text;
    } components[] = {
        {"Banner", "Set the desired parameters "},
        {"Label2", "and click on CALCULATE/RUN"},
        {"GlButton", "Global"},
        {"EqButton1", "Equal"},
        {"ItButton", "Item"},
        {"UsButton", "User"},
        {"DMOptBox", "DM optimisation"},
        {"BayUpdBox", "Bayesian Updates"},
        {"DiscrBox", "Discrepancy"},
        {"CalibrLabel", "Calibration Power"},
        {"Label1", "0.1 <= "},
        {"CalPowerEdit", "   1.000"},
        {"CaliPowerLabel", " <= 1.0"},
        {"IntRangeLabel", "Intrinsic Range"},
        {"Label3", "0.01 <= "},
        {"IntRangeEdit", "    0.10"},
        {"IRangeLabel", "<= 100.0"},
        {"DMLabel", "Decision Maker name"},
        {"SignLevelLabel", "Significance Level"},
        {"Label4", "0.01 <= "},
        {"Chi2NewButton", "New"},
        {"Chi2OldButton", "Old"},
        {"InfNewButton", "New"},
        {"InfOldButton", "Old"},
        {"StartLabel", "CALCULATE"},
        {"RunButton", "RUN"},
        {"RobItButton", "Robustness (items) "},
        {"RobExButton", "Robustness (experts)"},
        {"CancelButton", "CANCEL"},
        {"ResetButton", "RESET"},
        {"DisplayLabel", "DISPLAY"},
        {"DSolutionButton", "Solution"},
        {"DEScoresButton", "Expert Scores"},
        {"DBLossButton", "Bilinear Loss"},
        {"DRobustnessButton", "Robustness"},
        {"RangeItemsButton", "Range Graph (itemwise)"},
        {"RangeExpertsButton", "Range Graph (expertswise)"},
    };
    for (const auto& c : components) {
        QWidget* w = d->findChild<QWidget*>(QString::fromLatin1(c.name));
        ASSERT_NE(w, nullptr) << c.name;
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            text = b->text();
        else if (auto* l = qobject_cast<QLabel*>(w))
            text = l->text();
        else if (auto* e = qobject_cast<QLineEdit*>(w))
            text = e->text();
        EXPECT_EQ(text.toStdString(), c.text) << c.name;
    }
    for (const char* name : {"WeightsGroup", "Chi2Box", "InfGroupBox", "DMname", "SignLevelLabelMin", "SignLevelEdit",
                             "SignLevelLabelMax"})
        EXPECT_NE(d->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(d->WeightsGroup->title().toStdString(), "Weights");
    EXPECT_EQ(d->Chi2Box->title().toStdString(), "Chi2");
    EXPECT_EQ(d->InfGroupBox->title().toStdString(), "Inf");
    // Made from the globals: the name edit is emptied when the dialog becomes active.
    EXPECT_TRUE(d->DMname->text().isEmpty());
}

TEST_F(RunDialogTest, TheFormTakesTheOptionsInForce) {
    OptimiseDM = false;
    WeightType = ItemWeighting;
    ExactChiSquare = false;
    LogIntrinsicRange = false;
    DiscrepancyOn = true;
    TRunDlgFrm* d = OpenDialog();
    EXPECT_FALSE(d->DMOptBox->isChecked());
    EXPECT_TRUE(d->ItButton->isChecked());
    EXPECT_TRUE(d->Chi2OldButton->isChecked());
    EXPECT_TRUE(d->InfOldButton->isChecked());
    EXPECT_TRUE(d->DiscrBox->isChecked());
    EXPECT_FALSE(d->SignLevelEdit->isHidden()) << "item weights without the optimisation";
    EXPECT_EQ(UserSignificanceLevel, 0.0f) << "never set: 0";
    EXPECT_TRUE(d->Label4->isHidden());
    EXPECT_EQ(d->x(), area->width() - d->width() - 20);

    d->Chi2NewButton->setChecked(true);
    d->InfNewButton->setChecked(true);
    EXPECT_TRUE(ExactChiSquare);
    EXPECT_TRUE(LogIntrinsicRange);
    d->DMOptBox->setChecked(true);
    EXPECT_TRUE(OptimiseDM);
    EXPECT_TRUE(d->SignLevelEdit->isHidden());
    EXPECT_TRUE(d->SignLevelLabelMin->isHidden());
    d->EqButton1->setChecked(true);
    d->DMOptBox->setChecked(false);
    EXPECT_TRUE(d->SignLevelEdit->isHidden()) << "equal weights have no level";
}

TEST_F(RunDialogTest, UserWeightsShowTheirColumn) {
    TRunDlgFrm* d = OpenDialog();
    ExpertsSheetMode = ExpertsScoresView;
    experts->FormPaint();
    d->UsButton->setChecked(true);
    EXPECT_EQ(WeightType, UserWeighting);
    EXPECT_EQ(ExpertsSheetMode, ExpertsDataView);
    EXPECT_GT(experts->ExpertsGrid->columnWidth(2), 0);
    d->GlButton->setChecked(true);
    EXPECT_EQ(experts->ExpertsGrid->columnWidth(2), 0);
}

TEST_F(RunDialogTest, ResetRestoresTheDefaults) {
    TRunDlgFrm* d = OpenDialog();
    d->RunButtonClick();
    d->DMOptBox->setChecked(false);
    d->DiscrBox->setChecked(true);
    d->Chi2OldButton->setChecked(true);
    d->CalPowerEdit->setText(QStringLiteral("0.5"));
    d->SignLevelEdit->setText(QStringLiteral("0.2"));
    d->ItButton->setChecked(true);
    d->ResetButtonClick();
    EXPECT_EQ(ResultExperts(), 0);
    EXPECT_TRUE(d->DMOptBox->isChecked());
    EXPECT_TRUE(OptimiseDM);
    EXPECT_FALSE(d->DiscrBox->isChecked());
    EXPECT_TRUE(d->GlButton->isChecked());
    EXPECT_EQ(WeightType, GlobalWeighting);
    EXPECT_TRUE(d->Chi2NewButton->isChecked());
    EXPECT_TRUE(ExactChiSquare);
    EXPECT_TRUE(d->SignLevelEdit->text().isEmpty());
    EXPECT_TRUE(d->SignLevelEdit->isHidden());
    EXPECT_EQ(MinSignificanceLevel, 0.0f) << "the run's admissible range goes with its results";
    EXPECT_EQ(MaxSignificanceLevel, 1.0f);
    EXPECT_FALSE(d->DisplayShown());
    EXPECT_TRUE(d->DisplayPanel->isHidden());
    EXPECT_EQ(ExpertsSheetMode, ExpertsDataView);
    EXPECT_EQ(d->CalPowerEdit->text().toStdString(), "0.5") << "read again at the next run";
    EXPECT_EQ(CalibrationPower, 1.0f);
    d->RunButtonClick();
    EXPECT_EQ(ExpertTable[3]->Settings.CalibrationPower, 0.5f);
}

TEST_F(RunDialogTest, ClosingGoesBackToTheDataView) {
    TRunDlgFrm* d = OpenDialog();
    d->RunButtonClick();
    ASSERT_EQ(ExpertsSheetMode, ExpertsScoresView);
    d->CancelButton->click();
    QApplication::processEvents();
    EXPECT_EQ(RunDialog, nullptr);
    EXPECT_EQ(ExpertsSheetMode, ExpertsDataView);
    EXPECT_EQ(experts->windowTitle().toStdString(), "Experts data: hand");
}

TEST_F(RunDialogTest, ClosingTheCaseClosesTheDialogAndItsResultSheets) {
    TRunDlgFrm* d = OpenDialog();
    d->RunButtonClick();
    d->DSolutionButtonClick();
    ASSERT_NE(ChildSheets[FirstResultSlot], nullptr);
    prompts.QueueAnswer(platform::Answer::Yes);
    EXPECT_TRUE(experts->close());
    QApplication::processEvents();
    EXPECT_EQ(RunDialog, nullptr);
    EXPECT_EQ(ChildSheets[FirstResultSlot], nullptr);
    EXPECT_EQ(ExpertTable[1], nullptr);
}

// ---------------------------------------------------------------- result views

TEST_F(RunDialogTest, DisplayButtons) {
    TRunDlgFrm* d = OpenDialog();
    d->RunButtonClick();
    d->DSolutionButton->click();
    TItemsSheet* solution = ChildSheets[FirstResultSlot];
    ASSERT_NE(solution, nullptr);
    EXPECT_EQ(solution->Core.Expert, ExpertTable[3].get());
    EXPECT_EQ(ItemsSheetMode, ItemsSolutionView);
    EXPECT_EQ(solution->windowTitle().toStdString(), "Solution for : DMaker 1");
    EXPECT_EQ(experts->ExpertsGrid->Row(), experts->Core.RowOfEntry(3)) << "the decision maker's row";
    // Again: the same window comes to the front.
    d->DSolutionButton->click();
    EXPECT_EQ(ChildSheets[FirstResultSlot + 1], nullptr);
    EXPECT_EQ(area->activeSubWindow(), solution);

    d->DBLossButton->click();
    EXPECT_EQ(ItemsSheetMode, ItemsLossView);
    EXPECT_TRUE(LossShown);
    EXPECT_EQ(solution->Core.CurrentView(), ItemsSheetCore::View::Loss);
    EXPECT_EQ(solution->Core.GridRows(), 1 + 3 + 1) << "three seed items and the total";
    EXPECT_EQ(solution->Core.CellText(1, 4), "---- Total ----");

    d->DEScoresButton->click();
    EXPECT_FALSE(LossShown);
    EXPECT_EQ(ExpertsSheetMode, ExpertsScoresView);
    d->DRobustnessButtonClick();
    EXPECT_EQ(ExpertsSheetMode, ExpertsScoresView) << "no robustness results: the scores";
}

TEST_F(RunDialogTest, LossesOfADataExpert) {
    OpenLossesOfFirstExpert();
    ASSERT_NE(ChildSheets[1], nullptr) << "the current expert's sheet opens in the loss view";
    EXPECT_EQ(ChildSheets[1]->Core.Expert, ExpertTable[1].get());
    EXPECT_EQ(ChildSheets[1]->Core.CurrentView(), ItemsSheetCore::View::Loss);
    EXPECT_EQ(ChildSheets[1]->windowTitle().toStdString(), "Bilinear losses of quantile estimates for the Expert: A");
}

// A window the run dialog leaves behind names what it shows after the next run, active or not.
TEST_F(RunDialogTest, AnInactiveWindowsCaptionFollowsItsViewAfterARobustnessRun) {
    TRunDlgFrm* d = OpenLossesOfFirstExpert();
    TItemsSheet* sheet = ChildSheets[1];
    ASSERT_NE(sheet, nullptr);
    ASSERT_EQ(sheet->windowTitle().toStdString(), "Bilinear losses of quantile estimates for the Expert: A");
    d->RobItButton->click();
    QApplication::processEvents();
    ASSERT_EQ(ChildSheets[1], sheet);
    EXPECT_NE(area->activeSubWindow(), sheet);
    ASSERT_NE(sheet->Core.CurrentView(), ItemsSheetCore::View::Loss);
    EXPECT_EQ(sheet->windowTitle().toStdString(), "Assessments for the Expert: A");
}

TEST_F(RunDialogTest, RangeGraphsAreMadeAfreshForNewResults) {
    std::vector<int> made;
    Services().CreateRangeGraph = [&made](QMdiArea* a, int kind) -> QMdiSubWindow* {
        made.push_back(kind);
        auto* w = new QMdiSubWindow;
        w->setAttribute(Qt::WA_DeleteOnClose);
        a->addSubWindow(w);
        return w;
    };
    TRunDlgFrm* d = OpenDialog();
    d->RunButtonClick();
    d->RangeItemsButton->click();
    d->RangeExpertsButton->click();
    EXPECT_EQ(RangeGraphKind, 1);
    d->RangeItemsButton->click();
    EXPECT_EQ(made, (std::vector<int>{0, 1})) << "unchanged results: the open graph comes to the front";
    EXPECT_EQ(area->activeSubWindow(), ItemsRangeGraph.data());
    d->RunButtonClick();
    QPointer<QMdiSubWindow> old = ExpertsRangeGraph;
    d->RangeItemsButton->click();
    QApplication::processEvents();
    EXPECT_EQ(made, (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(ExpertsRangeGraph, nullptr) << "the graph of the earlier results is gone";
    EXPECT_FALSE(ResultsFresh);
}

// ---------------------------------------------------------------- robustness buttons

TEST_F(RunDialogTest, RobustnessRefusalsAndTheRun) {
    std::vector<bool> runs;
    Services().CalcRob = [&runs](TRunDlgFrm&) {
        runs.push_back(RobustnessOnExperts);
        RobustnessRun = true;
        return true;
    };
    TRunDlgFrm* d = OpenDialog();
    d->EqButton1->setChecked(true);
    ExpectMessage();
    d->RobItButton->click();
    d->UsButton->setChecked(true);
    ExpectMessage();
    d->RobItButton->click();
    ExpectMessage();
    d->RobExButton->click();
    EXPECT_EQ(Messages(),
              (Texts{"Can`t run robustness/items with equal weights", "Can`t run robustness/items with user weights",
                     "Can`t run robustness/experts with user weights"}));
    EXPECT_TRUE(runs.empty());

    d->EqButton1->setChecked(true);
    d->RobExButton->click();
    EXPECT_EQ(runs, (std::vector<bool>{true}));
    EXPECT_TRUE(d->DRobustnessButton->isEnabled());
    EXPECT_TRUE(d->DBLossButton->isEnabled());
    EXPECT_FALSE(d->DSolutionButton->isEnabled());
    EXPECT_FALSE(d->DEScoresButton->isEnabled());
    EXPECT_EQ(ExpertsSheetMode, ExpertsRobustnessView);

    // The next RUN starts without the robustness results.
    d->DMOptBox->setChecked(false);
    d->RunButtonClick();
    EXPECT_FALSE(RobustnessRun);
    EXPECT_FALSE(d->DRobustnessButton->isEnabled());
}

// Without the search for the best level a left-out run has no best score: its own score is kept,
// and the robustness view shows its calibration.
TEST_F(RunDialogTest, ALeftOutRunKeepsItsOwnScore) {
    TExpert dm;
    dm.Calibration = 0.25f;
    dm.MeanSeedInformation = 0.8f;
    dm.MeanInformation = 1.25f;
    BestDMScore = 0;
    OptimiseDM = false;
    StoreLeftOutResults(ItemTable[1]->Robustness, dm);
    EXPECT_EQ(ItemTable[1]->Robustness.DMScore, 0.2f);
    EXPECT_EQ(ItemTable[1]->Robustness.DMInformation, 1.25f);
    EXPECT_EQ(ItemTable[1]->Robustness.DMSeedInformation, 0.8f);
    OptimiseDM = true;
    BestDMScore = 0.3f;
    StoreLeftOutResults(ItemTable[2]->Robustness, dm);
    EXPECT_EQ(ItemTable[2]->Robustness.DMScore, 0.3f);

    OptimiseDM = false;
    BuildItemIndexMap();
    ASSERT_TRUE(AddDecisionMaker("None"));
    ExpertTable[3]->Settings.RobustnessRun = true;
    ItemsSheetMode = ItemsRobustnessView;
    ItemsSheetCore view(ExpertTable[3].get());
    EXPECT_EQ(view.CellText(4, 2), "      0.25");
}

}  // namespace

// The run dialog in a bare frame over the two-expert case computed by hand, with its experts
// sheet open as Calculate leaves it.
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <cstring>

#include "engine/scoring_steps.h"
#include "sheet_fixture.h"
#include "workbench/case_state.h"
#include "workbench/run_dialog.h"
#include "workbench/services.h"
#include "workbench/window_state.h"

using namespace halvorine;

class RunDialogTest : public SheetTest {
protected:
    void SetUp() override {
        SheetTest::SetUp();
        testcase::HandComputedCase();
        CaseFile.CaseName = "hand";
        experts = OpenExperts();
        ASSERT_GT(CheckCaseData(), 0);
    }

    void TearDown() override {
        WireServices();
        SheetTest::TearDown();
        RunDialog = nullptr;
        DMName = "";
        ResultsFresh = true;
    }

    TRunDlgFrm* OpenDialog() { return ShowChild(new TRunDlgFrm(area)); }

    // A run, then Bilinear Loss with the first expert current in the experts sheet's data view.
    TRunDlgFrm* OpenLossesOfFirstExpert() {
        TRunDlgFrm* d = OpenDialog();
        d->RunButtonClick();
        d->UpdateExperts(ExpertsDataView);
        ActiveExpert = ExpertTable[1].get();
        experts->ExpertsGrid->SetCursor(1, 1);
        d->DBLossButton->click();
        return d;
    }

    // The refusal (or any message) the next step shows, answered with OK.
    void ExpectMessage() { prompts.QueueAnswer(platform::Answer::Ok); }

    std::vector<std::string> Messages() const { return prompts.MessageTexts(); }

    static void Type(QLineEdit* edit, const char* text) {
        edit->setText(QString::fromLatin1(text));
        emit edit->editingFinished();
    }

    // The data experts' records, in the table or filtered out.
    static std::vector<const TExpert*> DataExpertRecords() {
        std::vector<const TExpert*> out;
        for (const ExpertTableType* table : {&ExpertTable, &FilteredExperts})
            for (const auto& x : *table)
                if (x && !x->IsDecisionMaker) out.push_back(x.get());
        return out;
    }

    // Their quantiles, every assessment slot, bit for bit.
    static std::vector<std::uint32_t> QuantileBits(const std::vector<const TExpert*>& records) {
        std::vector<std::uint32_t> bits;
        for (const TExpert* x : records)
            for (const auto& a : x->Assessments) {
                if (!a) continue;
                for (int k = 1; k <= QuantileCount; ++k) {
                    std::uint32_t b = 0;
                    std::memcpy(&b, &a->Values[k], sizeof b);
                    bits.push_back(b);
                }
            }
        return bits;
    }

    static int ResultExperts() {
        int n = 0;
        for (const auto& x : ExpertTable)
            if (x && x->IsDecisionMaker) ++n;
        return n;
    }

    TExpertsSheet* experts = nullptr;
};

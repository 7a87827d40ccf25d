// Bayesian updates from the run dialog: however the box is ticked and cleared, and whatever
// runs, resets or row operations come between, the quantiles come back exactly as entered.
#include "run_dialog_fixture.h"

namespace {

class BayesianModeTest : public RunDialogTest {
protected:
    void SetUp() override {
        RunDialogTest::SetUp();
        records = DataExpertRecords();
        entered = QuantileBits(records);
    }
    std::vector<std::uint32_t> Now() const { return QuantileBits(records); }

    std::vector<const TExpert*> records;
    std::vector<std::uint32_t> entered;
};

TEST_F(BayesianModeTest, TickRunAndClearWithAFlaggedItem) {
    ItemTable[2]->FilterFlag = true;
    TRunDlgFrm* d = OpenDialog();
    d->BayUpdBox->setChecked(true);
    ASSERT_TRUE(BayesianUpdates);
    ASSERT_NE(Now(), entered) << "the update moved some quantile";
    ASSERT_NE(ChildSheets[0], nullptr) << "the realisations sheet shows the bounds";
    EXPECT_EQ(ChildSheets[0]->windowTitle().toStdString(), "Realisations data: hand (Bayesian Updates mode)");

    d->RunButtonClick();
    ASSERT_EQ(ResultExperts(), 1);
    EXPECT_TRUE(ExpertTable[3]->Settings.BayesianUpdates);
    ASSERT_NE(FilteredItems[2], nullptr) << "the flagged item is out of the table for the run";

    d->BayUpdBox->setChecked(false);
    EXPECT_FALSE(BayesianUpdates);
    EXPECT_EQ(Now(), entered);
    EXPECT_TRUE(QuantileBackup.empty());
}

TEST_F(BayesianModeTest, ResetWhileTickedWithAFlaggedExpert) {
    ExpertTable[2]->FilterFlag = true;
    TRunDlgFrm* d = OpenDialog();
    d->BayUpdBox->setChecked(true);
    ASSERT_NE(Now(), entered);
    d->RunButtonClick();
    ASSERT_NE(FilteredExperts[2], nullptr) << "the flagged expert is out for the run";

    d->ResetButtonClick();
    EXPECT_FALSE(BayesianUpdates);
    EXPECT_FALSE(d->BayUpdBox->isChecked());
    EXPECT_TRUE(QuantileBackup.empty());
    EXPECT_EQ(Now(), entered);
    EXPECT_EQ(ResultExperts(), 0);
}

TEST_F(BayesianModeTest, ADialogMadeWhileTickedDoesNotUpdateAgain) {
    TRunDlgFrm* d = OpenDialog();
    d->BayUpdBox->setChecked(true);
    const std::vector<std::uint32_t> updated = Now();
    ASSERT_NE(updated, entered);
    d->close();
    QApplication::processEvents();
    ASSERT_TRUE(BayesianUpdates) << "the mode outlives the dialog";

    d = OpenDialog();
    EXPECT_TRUE(d->BayUpdBox->isChecked());
    EXPECT_EQ(Now(), updated);
    // Ticking what is ticked changes nothing either.
    EXPECT_TRUE(StartBayesianUpdates());
    EXPECT_EQ(Now(), updated);

    d->BayUpdBox->setChecked(false);
    EXPECT_EQ(Now(), entered);
    // Ticked again: updated from the entered values, as the first time.
    d->BayUpdBox->setChecked(true);
    EXPECT_EQ(Now(), updated);
    d->BayUpdBox->setChecked(false);
    EXPECT_EQ(Now(), entered);
}

TEST_F(BayesianModeTest, ARowOperationRestoresBeforeTheReset) {
    WireServices();
    TRunDlgFrm* d = OpenDialog();
    d->BayUpdBox->setChecked(true);
    ASSERT_NE(Now(), entered);
    // A new expert row in the experts sheet resets the open dialog.
    experts->Core.Cursor.Row = 2;
    experts->Core.Cursor.EditorOpen = false;
    experts->Core.PasteExpertRows(MakeSheetKey(vk::Insert));
    ASSERT_NE(ExpertTable[3], nullptr);
    ASSERT_EQ(ExpertTable[3]->Id.str(), "");
    EXPECT_FALSE(BayesianUpdates);
    EXPECT_FALSE(d->BayUpdBox->isChecked());
    EXPECT_EQ(Now(), entered);
    WireServices();
}

TEST_F(BayesianModeTest, ExpertsDeletedMeanwhileComeBackWithTheirOwnValues) {
    TRunDlgFrm* d = OpenDialog();
    d->BayUpdBox->setChecked(true);
    ASSERT_NE(Now(), entered);
    // Deleted with no dialog open to reset: the record waits for an undo.
    d->close();
    QApplication::processEvents();
    experts->Core.Cursor.SelFirst = experts->Core.Cursor.SelLast = experts->Core.Cursor.Row = 2;
    experts->Core.Cursor.EditorOpen = false;
    prompts.QueueAnswer(platform::Answer::Yes);
    experts->Core.DeleteExpertRows(MakeSheetKey(vk::Delete));
    ASSERT_NE(ExpertsUndo.Buffer[2], nullptr);

    d = OpenDialog();
    d->BayUpdBox->setChecked(false);
    experts->Core.UndoExperts();
    ASSERT_EQ(ExpertTable[2].get(), records[1]);
    EXPECT_EQ(Now(), entered);
}

}  // namespace

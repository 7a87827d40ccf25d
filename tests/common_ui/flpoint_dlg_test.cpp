#include <gtest/gtest.h>

#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "common/ui/flpoint_dlg.h"

namespace {

struct Format {
    int width = 10, places = 4;
    char format = 'g';
    int repaints = 0;
};

TEST(FlpointDlgTest, OkClampsWhatIsTyped) {
    struct Case {
        const char* typed;
        int width;
    } cases[] = {{"25", 20}, {"1", 5}, {"12", 12}};
    for (const auto& c : cases) {
        Format f;
        auto* dlg = new TFlpointDlg(nullptr, f.width, f.places, f.format, [&] { ++f.repaints; });
        dlg->FWEdit->setText(c.typed);
        dlg->SetFWidth(false);
        if (c.width != 12) {
            EXPECT_EQ(f.width, 10) << "out of range changes nothing until OK";
        }
        dlg->OKButtonClick();
        EXPECT_EQ(f.width, c.width) << c.typed;
    }
}

TEST(FlpointDlgTest, LettersRestoreTheEditAndTypingIsLive) {
    Format f;
    TFlpointDlg dlg(nullptr, f.width, f.places, f.format, [&] { ++f.repaints; });
    dlg.show();
    dlg.DPEdit->clear();
    QTest::keyClicks(dlg.DPEdit, "6");
    EXPECT_EQ(f.places, 6) << "each key release applies";
    EXPECT_EQ(f.repaints, 1);
    dlg.DPEdit->setText("ab");
    dlg.SetDPWidth(false);
    EXPECT_EQ(dlg.DPEdit->text(), "6");
    dlg.DPUpDown->Step(5);
    EXPECT_EQ(f.places, 8) << "the up-down stops at its maximum";
    QTest::mouseClick(dlg.ScientificButton, Qt::LeftButton);
    EXPECT_EQ(f.format, 'e');
}

TEST(FlpointDlgTest, ResetThenCancelRestoresTheValuesFromBefore) {
    Format f{12, 6, 'f'};
    TFlpointDlg dlg(nullptr, f.width, f.places, f.format, [&] { ++f.repaints; });
    EXPECT_TRUE(dlg.FixedPointButton->isChecked());
    dlg.ResetButtonClick();
    EXPECT_EQ(f.width, 10);
    EXPECT_EQ(f.places, 4);
    EXPECT_EQ(f.format, 'g');
    EXPECT_TRUE(dlg.MixedButton->isChecked());
    dlg.CancelButtonClick();
    EXPECT_EQ(f.width, 12);
    EXPECT_EQ(f.places, 6);
    EXPECT_EQ(f.format, 'f');
    EXPECT_EQ(f.repaints, 2);
}

}  // namespace

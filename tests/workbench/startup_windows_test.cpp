#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "engine/globals.h"
#include "workbench/about_form.h"
#include "workbench/jpeg_picture.h"
#include "workbench/logo_form.h"
#include "workbench/quantiles_form.h"

using namespace halvorine;

namespace {

TEST(SplashTest, PictureIsDecodedFromTheProgram) {
    QImage image = SplashImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 640);
    EXPECT_EQ(image.height(), 480);
    const unsigned char junk[] = {0xFF, 0xD8, 0x00, 0x01, 0x02};
    EXPECT_TRUE(DecodeJpeg(junk, sizeof junk).isNull());
}

TEST(SplashTest, ClosesAfterItsTimeOrWhenTheButtonIsReleased) {
    QMainWindow main;
    TLogoForm logo(&main);
    EXPECT_TRUE(logo.isVisible());
    EXPECT_EQ(logo.Timer1->interval(), 6000);
    EXPECT_TRUE(logo.Timer1->isActive());
    logo.Timer1Timer();  // what the timeout calls
    EXPECT_FALSE(logo.isVisible());

    TLogoForm held(&main);
    QTest::mousePress(held.LogoImage, Qt::LeftButton);
    EXPECT_EQ(held.Timer1->interval(), 26000) << "holding the button postpones the close";
    EXPECT_TRUE(held.isVisible());
    QTest::mouseRelease(held.LogoImage, Qt::LeftButton);
    EXPECT_FALSE(held.isVisible());
}

TEST(SplashTest, HoldingTheButtonRestartsTheTimerPastSixSeconds) {
    // The timers themselves are Qt's; what matters is which timeout is pending and what it does.
    QMainWindow main;
    TLogoForm untouched(&main);
    TLogoForm held(&main);
    EXPECT_EQ(untouched.Timer1->interval(), 6000);
    EXPECT_TRUE(untouched.Timer1->isActive());
    QTest::mousePress(held.LogoImage, Qt::LeftButton);
    EXPECT_EQ(held.Timer1->interval(), 26000);
    EXPECT_GT(held.Timer1->remainingTime(), 20000) << "the close moves to 26 s after the press";
    QMetaObject::invokeMethod(untouched.Timer1, "timeout");  // as when it runs out
    EXPECT_FALSE(untouched.isVisible());
    EXPECT_TRUE(held.isVisible());
    QTest::mouseRelease(held.LogoImage, Qt::LeftButton);
    EXPECT_FALSE(held.isVisible()) << "released: gone at once";
}

TEST(AboutTest, ShowsTitleAndLimits) {
    QMainWindow main;
    TAbout about(&main, "Halvorine v1.0");
    EXPECT_EQ(about.windowTitle(), "About Halvorine");
    EXPECT_EQ(about.Label1->text(), "Halvorine v1.0");
    EXPECT_EQ(about.Label2->text(), "(max 1000 experts / 1000 items supported)");
    auto lines = AboutTextLayout();
    ASSERT_EQ(lines.size(), 14u);
    const int ys[] = {46, 60, 74, 88, 116, 130, 144, 158, 186, 214, 228, 256, 284, 298};
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(lines[i].X, 10);
        EXPECT_EQ(lines[i].Y, ys[i]);
    }
    QTest::mouseClick(about.OKButton, Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
}

TEST(QuantilesDialogTest, HeaderLinesAndValidity) {
    QuantileChoice c;
    EXPECT_EQ(c.HeaderLine(), "* OBRIX ASCII OUTPUT FILE. NQ=   3   QU=   5  50  95 ");
    struct Case {
        std::vector<int> percents;
        int invalid;
    } cases[] = {
        {{5, 50, 95}, 0},  {{5, 50, 50}, 3}, {{0, 50, 95}, 1},  {{5, 50, 150}, 3},
        {{5, 50, 100}, 3}, {{1, 2, 99}, 0},  {{-5, 50, 95}, 1},
    };
    for (const auto& k : cases) {
        QuantileChoice q;
        for (int i = 0; i < 3; ++i) q.Percents[i + 1] = k.percents[i];
        EXPECT_EQ(q.FirstInvalid(), k.invalid) << k.percents[2];
    }
    QuantileChoice big;
    EXPECT_FALSE(big.SetCountText("2"));
    EXPECT_FALSE(big.SetCountText("26"));
    EXPECT_FALSE(big.SetCountText("x"));
    EXPECT_EQ(big.Count, 3);
    EXPECT_TRUE(big.SetCountText("25"));
    for (int i = 1; i <= 25; ++i) big.Percents[i] = 2 * i;
    EXPECT_EQ(big.HeaderLine().substr(0, 45), "* OBRIX ASCII OUTPUT FILE. NQ=  25   QU=   2 ");
}

TEST(QuantilesDialogTest, CountBoxAndGridDriveTheChoice) {
    AssessmentHeader = "* OBRIX ASCII OUTPUT FILE. NQ=   3   QU=   5  50  95";
    TQuantilesForm form;
    auto* box = form.findChild<QComboBox*>("NQuantBox");
    auto* grid = form.findChild<QTableWidget*>("QuantGrid");
    ASSERT_TRUE(box && grid);
    box->setEditText("10");
    EXPECT_EQ(QuantileCountDialog, 10);
    EXPECT_EQ(grid->columnCount(), 10);
    EXPECT_EQ(grid->item(0, 3)->text(), " 0");
    EXPECT_EQ(form.CellColourKind(3), 2) << "an unfilled level shows purple";
    form.OkButtonClick();
    EXPECT_EQ(form.windowTitle(), "Quantiles: must be positive and increasing!");
    EXPECT_EQ(AssessmentHeader, "* OBRIX ASCII OUTPUT FILE. NQ=   3   QU=   5  50  95") << "unchanged while invalid";

    box->setEditText("26");
    EXPECT_EQ(QuantileCountDialog, 10) << "ignored";
    form.NQuantBoxExit();
    EXPECT_EQ(box->currentText(), "10");

    box->setEditText("3");
    grid->item(0, 2)->setText("40");
    EXPECT_EQ(form.Choice.Percents[3], 40);
    EXPECT_EQ(form.CellColourKind(2), 1) << "not above its left neighbour shows red";
    grid->item(0, 2)->setText("abc");
    EXPECT_EQ(form.Choice.Percents[3], 40) << "text that is no number changes nothing";
    grid->item(0, 2)->setText(" 90 ");
    form.OkButtonClick();
    EXPECT_EQ(AssessmentHeader, "* OBRIX ASCII OUTPUT FILE. NQ=   3   QU=   5  50  90 ");
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST(QuantilesDialogTest, EnterInTheCountBoxActsAsOk) {
    AssessmentHeader.clear();
    TQuantilesForm form;
    form.show();
    auto* box = form.findChild<QComboBox*>("NQuantBox");
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(AssessmentHeader, "* OBRIX ASCII OUTPUT FILE. NQ=   3   QU=   5  50  95 ");
}

}  // namespace

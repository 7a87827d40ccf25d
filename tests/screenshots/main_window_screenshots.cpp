// Pictures of the main window with the example case open, the splash, the About box and the
// levels dialog, for a person to look at: written only when SHEETS_SCREENSHOT_DIR names a
// folder (run under a real display server, e.g. xvfb-run with QT_QPA_PLATFORM=xcb).
#include "main_form_fixture.h"

#include <QComboBox>
#include <QPixmap>

#include "workbench/about_form.h"
#include "workbench/logo_form.h"

namespace {

TEST_F(MainFormTest, ScreenshotsOfTheProgramWindows) {
    const QByteArray dir = qgetenv("SHEETS_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "SHEETS_SCREENSHOT_DIR not set";
    auto shoot = [&](QWidget* w, const char* name) {
        QApplication::processEvents();
        QTest::qWait(200);
        w->grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
    };

    shoot(form.get(), "main_empty");
    OpenThrough(CopyExample(".dtt"));
    form->OpenItemsWindow1Click();
    form->OpenExpertsWindow1Click();
    form->Assessments1Click();
    form->UpdateMenuItems();
    shoot(form.get(), "main_case");
    form->WindowTileItemClick();
    shoot(form.get(), "main_case_tiled");
    form->WindowCascadeItemClick();
    shoot(form.get(), "main_case_cascaded");

    TLogoForm logo(form.get());
    shoot(&logo, "splash");
    logo.close();

    TAbout about(form.get(), QStringLiteral("Halvorine v1.0"));
    shoot(&about, "about");
    about.close();

    TQuantilesForm levels(form.get());
    levels.show();
    shoot(&levels, "levels");
    levels.findChild<QComboBox*>(QStringLiteral("NQuantBox"))->setEditText(QStringLiteral("10"));
    shoot(&levels, "levels_ten");
    levels.OkButtonClick();
    shoot(&levels, "levels_invalid");
    levels.close();

    // The frame at its starting size, with the case as it opens.
    prompts.QueueAnswer(platform::Answer::Yes); // "Close the current case?"
    ASSERT_TRUE(form->CloseChildren());
    form->resize(621, 353);
    OpenThrough(CopyExample(".dtt"));
    shoot(form.get(), "main_start_size");
}

} // namespace

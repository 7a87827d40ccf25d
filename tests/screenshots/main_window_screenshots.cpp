// Pictures of the main window with the example case open, the splash, the About box and the
// levels dialog, for a person to look at: written only when SHEETS_SCREENSHOT_DIR names a
// folder (run under a real display server, e.g. xvfb-run with QT_QPA_PLATFORM=xcb).
#include "main_form_fixture.h"
#include "screenshot_support.h"

#include <QComboBox>

#include "workbench/about_form.h"
#include "workbench/logo_form.h"

using namespace halvorine;

namespace {

TEST_F(MainFormTest, ScreenshotsOfTheProgramWindows) {
    if (test_support::ScreenshotDir().isEmpty()) GTEST_SKIP() << "SHEETS_SCREENSHOT_DIR not set";
    using test_support::Shoot;

    Shoot(form.get(), "main_empty");
    OpenThrough(CopyExample(".dtt"));
    form->OpenItemsWindow1Click();
    form->OpenExpertsWindow1Click();
    form->Assessments1Click();
    form->UpdateMenuItems();
    Shoot(form.get(), "main_case");
    form->WindowTileItemClick();
    Shoot(form.get(), "main_case_tiled");
    form->WindowCascadeItemClick();
    Shoot(form.get(), "main_case_cascaded");

    TLogoForm logo(form.get());
    Shoot(&logo, "splash");
    logo.close();

    TAbout about(form.get(), QStringLiteral("Halvorine v1.0"));
    Shoot(&about, "about");
    about.close();

    TQuantilesForm levels(form.get());
    levels.show();
    Shoot(&levels, "levels");
    levels.findChild<QComboBox*>(QStringLiteral("NQuantBox"))->setEditText(QStringLiteral("10"));
    Shoot(&levels, "levels_ten");
    levels.OkButtonClick();
    Shoot(&levels, "levels_invalid");
    levels.close();

    // The frame at its starting size, with the case as it opens.
    prompts.QueueAnswer(platform::Answer::Yes);  // "Close the current case?"
    ASSERT_TRUE(form->CloseChildren());
    form->resize(621, 353);
    OpenThrough(CopyExample(".dtt"));
    Shoot(form.get(), "main_start_size");
}

}  // namespace

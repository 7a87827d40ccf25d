// An input/output failure inside a command ends the command with a message box of its
// text; the program goes on.
#include "main_form_fixture.h"

#include <QToolBar>
#include <QToolButton>

#include "common/core/io_error.h"

namespace {

TEST_F(MainFormTest, AFailedWriteIsShownAndTheProgramGoesOn) {
    form->MakeNewItemsForm();
    ItemTable[1]->Id = "Q1";
    CaseFile.FileKinds[ItemsFileKind].Modified = true;
    form->UpdateMenuItems();
    auto* button = qobject_cast<QToolButton*>(form->SpeedPanel->widgetForAction(Action("SaveBtn")));
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled());

    // A folder that is a file: nothing can be written below it.
    WriteFile("blocked", "a file, not a folder");
    const std::string target = (root_ / "blocked" / "study").string();
    prompts.QueueSaveFile(target);
    prompts.QueueAnswer(platform::Answer::Ok);
    QTest::mouseClick(button, Qt::LeftButton);
    QApplication::processEvents();

    ASSERT_EQ(prompts.MessageTexts().size(), 1u);
    EXPECT_EQ(prompts.MessageTexts()[0].rfind("I/O error on " + target + ".dtt", 0), 0u) << prompts.MessageTexts()[0];
    EXPECT_EQ(prompts.Recorded().back().MessageKind, platform::MessageKind::Error);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(CaseFile.FileKinds[ItemsFileKind].Modified) << "what was not written stays modified";
    EXPECT_EQ(form->windowTitle(), "NONAME: Halvorine v1.0")
        << "no caption of the saving left behind, and the case keeps its name";
    EXPECT_EQ(prompts.BusyDepth(), 0) << "the hourglass is gone";
    EXPECT_NE(ChildSheets[0], nullptr);

    // The same command then works once the place can be written.
    std::filesystem::remove(root_ / "blocked");
    std::filesystem::create_directory(root_ / "blocked");
    prompts.Clear();
    prompts.QueueSaveFile(target);
    Action("FileSaveAsItem")->trigger();
    EXPECT_TRUE(prompts.MessageTexts().empty());
    EXPECT_TRUE(std::filesystem::exists(target + ".rls"));
    EXPECT_FALSE(CaseFile.FileKinds[ItemsFileKind].Modified);
}

// An object whose events fail as a sheet's key handler would when its export cannot write.
class FailingReceiver : public QObject {
protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) throw IoError("/nowhere/out.txt", "No such file or directory");
        return QObject::event(e);
    }
};

TEST_F(MainFormTest, TheEventDispatchShowsWhatAHandlerLetThrough) {
    FailingReceiver receiver;
    prompts.QueueAnswer(platform::Answer::Ok);
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&receiver, QEvent::User);
    EXPECT_EQ(prompts.MessageTexts(),
              std::vector<std::string>{"I/O error on /nowhere/out.txt: No such file or directory"});
    // And the next event is handled as usual.
    bool later = false;
    QTimer::singleShot(0, [&later] { later = true; });
    for (int i = 0; i < 50 && !later; ++i) QTest::qWait(10);
    EXPECT_TRUE(later);
}

}  // namespace

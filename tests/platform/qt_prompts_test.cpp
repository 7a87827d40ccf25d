// The Qt services, as far as they can be checked without a dialog waiting for a user.
#include "platform/program_folder_testing.h"
#include "platform/qt/qt_prompts.h"
#include "temp_folder.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDialog>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

namespace platform_test {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::MessageKind;

TEST(QtNameFilters, ConvertsDescriptionPatternPairs) {
    const struct {
        std::string filter;
        QStringList expected;
    } cases[] = {
        // A description that names its patterns already names them once.
        {"Expert Assessment  Files (.dtt)|*.dtt|Item Realizations Files (.rls)|*.rls",
         {"Expert Assessment Files (*.dtt)", "Item Realizations Files (*.rls)"}},
        {"Output files (*.dis)|*.dis", {"Output files (*.dis)"}},
        {"RangeGraph files (*.rgi)|*.rgi", {"RangeGraph files (*.rgi)"}},
        {"Case files (.dtt, .rls)|*.dtt;*.rls", {"Case files (*.dtt *.rls)"}},
        {"(*.txt)|*.txt", {"*.txt (*.txt)"}},
        // Brackets that name something else stay part of the description.
        {"Old files (1998)|*.old", {"Old files (1998) (*.old)"}},
        {"Text (.txt)|*.dat", {"Text (.txt) (*.dat)"}},
        {"Case files|*.dtt;*.rls", {"Case files (*.dtt *.rls)"}},
        {"Case files|*.dtt; *.rls ;", {"Case files (*.dtt *.rls)"}},
        {"All files|*.*", {"All files (*)"}},
        {"Text|*.txt|All|*.*;*.bak", {"Text (*.txt)", "All (* *.bak)"}},
        {"Text|*.txt|Dangling", {"Text (*.txt)"}},
        {"Text|*.txt|Nothing|", {"Text (*.txt)"}},
        {"|*.txt", {"*.txt (*.txt)"}},
        {"  Spaced \t out |*.txt", {"Spaced out (*.txt)"}},
        {"Fichiers r\xE9sultat|*.ouc", {QString::fromUtf8("Fichiers r\u00e9sultat (*.ouc)")}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::QtNameFilters(c.filter), c.expected) << c.filter;
}

TEST(QtBytes, ShownAsUtf8WhenValidElseLatin1) {
    const struct {
        std::string bytes;
        QString text;
    } cases[] = {
        {"plain", "plain"},
        {"caf\xC3\xA9", QString::fromUtf8("caf\u00e9")},
        {"caf\xE9", QString::fromUtf8("caf\u00e9")},
        {"\xC3", QString::fromUtf8("\u00c3")},  // cut UTF-8 sequence
        {"\xC3\xA9\xE9", QString::fromUtf8("\u00c3\u00a9\u00e9")},
        {"\xEF\xBB\xBFx", QString(QChar(0xFEFF)) + "x"},  // byte-order mark kept
        {std::string("a\0b", 3), QString::fromUtf8("a\0b", 3)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::QStringFromBytes(c.bytes), c.text) << testing::PrintToString(c.bytes);
    EXPECT_EQ(platform::BytesFromQString(QString::fromUtf8("r\u00e9sultat")), "r\xC3\xA9sultat");
}

TEST(QtMessageBox, IconByKind) {
    const struct {
        MessageKind kind;
        QMessageBox::Icon icon;
    } cases[] = {
        {MessageKind::Warning, QMessageBox::Warning},
        {MessageKind::Error, QMessageBox::Critical},
        {MessageKind::Information, QMessageBox::Information},
        {MessageKind::Confirmation, QMessageBox::Question},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::MakeMessageBox(c.kind, "x", Buttons::Ok, nullptr)->icon(), c.icon);
}

TEST(QtMessageBox, ButtonsDefaultAndEscapeBySet) {
    const struct {
        Buttons buttons;
        QMessageBox::StandardButtons offered;
        QMessageBox::StandardButton defaultButton;
        QMessageBox::StandardButton escape;
    } cases[] = {
        {Buttons::Ok, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok},
        {Buttons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::Cancel},
        {Buttons::YesNo, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::No},
        {Buttons::YesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes,
         QMessageBox::Cancel},
    };
    for (const auto& c : cases) {
        const auto box = platform::MakeMessageBox(MessageKind::Confirmation, "x", c.buttons, nullptr);
        EXPECT_EQ(box->standardButtons(), c.offered);
        EXPECT_EQ(box->defaultButton(), box->button(c.defaultButton));
        EXPECT_EQ(box->escapeButton(), box->button(c.escape));
    }
}

TEST(QtMessageBox, TitleIsTheApplicationAndTheTextIsNeverMarkup) {
    QMainWindow window;
    const std::string text = "Item <b>X</b> in caf\xE9.dtt";
    const auto box = platform::MakeMessageBox(MessageKind::Error, text, Buttons::Ok, &window);
    EXPECT_EQ(box->windowTitle(), QApplication::applicationName());
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->text(), QString::fromUtf8("Item <b>X</b> in caf\u00e9.dtt"));
    EXPECT_EQ(box->parentWidget(), &window);
}

TEST(QtMessageBox, AnswerFromButton) {
    const struct {
        int button;
        Buttons buttons;
        Answer answer;
    } cases[] = {
        {QMessageBox::Ok, Buttons::OkCancel, Answer::Ok},
        {QMessageBox::Cancel, Buttons::OkCancel, Answer::Cancel},
        {QMessageBox::Yes, Buttons::YesNoCancel, Answer::Yes},
        {QMessageBox::No, Buttons::YesNoCancel, Answer::No},
        // Closed without a button:
        {-1, Buttons::Ok, Answer::Ok},
        {-1, Buttons::OkCancel, Answer::Cancel},
        {-1, Buttons::YesNo, Answer::No},
        {-1, Buttons::YesNoCancel, Answer::Cancel},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::AnswerFromButton(c.button, c.buttons), c.answer) << c.button;
}

class QtFileDialog : public ScratchTest {};

TEST_F(QtFileDialog, OpenStartsOnTheFilterAndFileGiven) {
    const fs::path cases = Folder("cases");
    platform::FileChoice choice;
    choice.Title = "Open Case";
    choice.Filter = "Expert Assessment  Files (.dtt)|*.dtt|Item Realizations Files (.rls)|*.rls";
    choice.FilterIndex = 2;
    choice.FileName = (cases / "last.dtt").string();
    choice.InitialDir = root_.string();

    QFileDialog dialog;
    platform::ConfigureFileDialog(dialog, choice, false);
    EXPECT_EQ(dialog.windowTitle(), "Open Case");
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog.nameFilters(), platform::QtNameFilters(choice.Filter));
    EXPECT_EQ(dialog.selectedNameFilter(), "Item Realizations Files (*.rls)");
    // The folder of the remembered case wins over the initial folder.
    EXPECT_EQ(dialog.directory().absolutePath(), QString::fromStdString(cases.string()));

    choice.FilterIndex = 1;  // its description has a double blank
    QFileDialog first;
    platform::ConfigureFileDialog(first, choice, false);
    EXPECT_EQ(first.selectedNameFilter(), "Expert Assessment Files (*.dtt)");
}

TEST_F(QtFileDialog, SaveTakesDefaultExtAndOverwritePrompt) {
    fs::current_path(Folder("here"));
    for (const bool prompt : {true, false}) {
        platform::FileChoice choice;
        choice.Filter = "Output files (*.dis)|*.dis";
        choice.FilterIndex = 5;  // out of range: the first
        choice.DefaultExt = "dis";
        choice.OverwritePrompt = prompt;

        QFileDialog dialog;
        platform::ConfigureFileDialog(dialog, choice, true);
        EXPECT_EQ(dialog.windowTitle(), "Save As");
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog.fileMode(), QFileDialog::AnyFile);
        EXPECT_EQ(dialog.defaultSuffix(), "dis");
        EXPECT_EQ(dialog.testOption(QFileDialog::DontConfirmOverwrite), !prompt);
        EXPECT_EQ(dialog.selectedNameFilter(), "Output files (*.dis)");
        EXPECT_EQ(dialog.directory().absolutePath(), QString::fromStdString((root_ / "here").string()));
    }
}

TEST(QtPromptsCaption, SetOnTheMainWindowAndReadBack) {
    QMainWindow window;
    window.show();
    platform::QtPrompts prompts(&window);
    prompts.SetCaption("Saving Experts file...");
    EXPECT_EQ(window.windowTitle(), "Saving Experts file...");
    EXPECT_EQ(prompts.Caption(), "Saving Experts file...");

    prompts.SetCaption("caf\xE9: Halvorine v1.0");
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("caf\u00e9: Halvorine v1.0"));
    window.setWindowTitle("Set elsewhere");
    EXPECT_EQ(prompts.Caption(), "Set elsewhere");
}

TEST(QtPromptsCaption, KeptWithoutAMainWindow) {
    platform::QtPrompts prompts(nullptr);
    prompts.SetCaption("Reading Items file...");
    EXPECT_EQ(prompts.Caption(), "Reading Items file...");
}

bool ShowsWaitCursor() {
    const QCursor* c = QApplication::overrideCursor();
    return c && c->shape() == Qt::WaitCursor;
}

TEST(QtPromptsBusy, NestedBusyRestoresOnlyTheLast) {
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    QApplication::setOverrideCursor(QCursor(Qt::CrossCursor));  // somebody else's
    {
        platform::QtPrompts prompts(nullptr);
        prompts.BeginBusy();
        prompts.BeginBusy();
        EXPECT_TRUE(ShowsWaitCursor());
        prompts.EndBusy();
        EXPECT_TRUE(ShowsWaitCursor());
        prompts.EndBusy();
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
        prompts.EndBusy();  // one too many must not take the other cursor away
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
        EXPECT_EQ(prompts.BusyDepth(), 0);

        prompts.BeginBusy();  // still up when the prompts go
    }
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QApplication::restoreOverrideCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(QtPromptsClipboard, RoundTripInUtf8) {
    platform::QtPrompts prompts(nullptr);
    const struct {
        std::string set;
        std::string get;
    } cases[] = {
        {"1\t2\r\n3\t4\r\n", "1\t2\r\n3\t4\r\n"},
        {"caf\xC3\xA9\r\n", "caf\xC3\xA9\r\n"},
        {"caf\xE9\r\n", "caf\xC3\xA9\r\n"},  // Latin-1 bytes come back as UTF-8
        {"", ""},
    };
    for (const auto& c : cases) {
        prompts.SetClipboardText(c.set);
        EXPECT_EQ(prompts.ClipboardText(), c.get) << testing::PrintToString(c.set);
    }
    prompts.SetClipboardText("r\xE9sultat");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("r\u00e9sultat"));
}

class QtPromptsHelp : public ScratchTest {};

TEST_F(QtPromptsHelp, ShowsAnHtmlFileInANonModalWindow) {
    platform::SetProgramFolderForTesting(Folder("prog").string());
    WriteFile("prog/HALVORINE.HLP", "<html><body><h1>Contents</h1><p>Opening a case</p></body></html>");
    QMainWindow window;
    platform::QtPrompts prompts(&window);

    ASSERT_TRUE(prompts.ShowHelp("Halvorine.hlp"));
    QDialog* help = prompts.HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal());
    EXPECT_TRUE(help->isWindow());
    EXPECT_EQ(help->parentWidget(), &window);
    const auto* browser = help->findChild<QTextBrowser*>("HelpBrowser");
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->toPlainText(), "Contents\nOpening a case");

    // Asked again: the same window, showing the file as it is now.
    WriteFile("prog/HALVORINE.HLP", "<html><body><p>Changed</p></body></html>");
    ASSERT_TRUE(prompts.ShowHelp("HALVORINE.HLP"));
    EXPECT_EQ(prompts.HelpWindow(), help);
    EXPECT_EQ(browser->toPlainText(), "Changed");
}

TEST_F(QtPromptsHelp, ShowsPlainTextAsItIs) {
    const fs::path file = WriteFile("help.txt", "Contents\n\n  1. Open a case\n  2. Run\n");
    platform::QtPrompts prompts(nullptr);  // the window is then the prompts' own
    ASSERT_TRUE(prompts.ShowHelp(file.string()));
    const auto* browser = prompts.HelpWindow()->findChild<QTextBrowser*>("HelpBrowser");
    EXPECT_EQ(browser->toPlainText(), "Contents\n\n  1. Open a case\n  2. Run\n");
}

TEST_F(QtPromptsHelp, FalseWithoutTheFile) {
    platform::SetProgramFolderForTesting(Folder("prog").string());
    fs::current_path(root_);
    platform::QtPrompts prompts(nullptr);
    EXPECT_FALSE(prompts.ShowHelp("Halvorine.hlp"));
    EXPECT_EQ(prompts.HelpWindow(), nullptr);
}

class QtPromptsStart : public ScratchTest {};

TEST_F(QtPromptsStart, StartsAProgramInTheCurrentDirectory) {
    // Each copy leaves its own mark in the directory it runs in.
    const fs::path byPath = WriteFile("prog/starter", "#!/bin/sh\ntouch started-by-path\n");
    const fs::path byName = WriteFile("case/starter", "#!/bin/sh\ntouch started-by-name\n");
    fs::permissions(byPath, fs::perms::owner_all);
    fs::permissions(byName, fs::perms::owner_all);
    fs::current_path(root_ / "case");

    platform::QtPrompts prompts(nullptr);
    ASSERT_TRUE(prompts.StartProgram(byPath.string()));
    ASSERT_TRUE(prompts.StartProgram("starter"));  // a bare name is the file here, not one on the PATH
    const fs::path marks[] = {root_ / "case" / "started-by-path", root_ / "case" / "started-by-name"};
    for (const fs::path& mark : marks) {
        for (int i = 0; i < 500 && !fs::exists(mark); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_TRUE(fs::exists(mark)) << mark;
    }
    EXPECT_FALSE(fs::exists(root_ / "prog" / "started-by-path"));
}

TEST_F(QtPromptsStart, FalseWhenTheProgramCannotStart) {
    fs::current_path(root_);
    WriteFile("not-executable", "data");
    platform::QtPrompts prompts(nullptr);
    EXPECT_FALSE(prompts.StartProgram((root_ / "WTrindel.exe").string()));
    EXPECT_FALSE(prompts.StartProgram("WTrindel.exe"));
    EXPECT_FALSE(prompts.StartProgram((root_ / "not-executable").string()));
}

}  // namespace
}  // namespace platform_test

// The results window as its user meets it after RUN: the report in a read-only memo that
// scrolls, selects by mouse and keys, and copies what is selected.
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

#include "common/core/line_io.h"
#include "common/core/text.h"
#include "common/ui/report_view.h"
#include "trindel_fixture.h"

namespace {

using Pos = ReportView::Position;

class ResultsWindowTest : public TrindelTest {
protected:
    // Opens the golden case, runs it from the run dialog and returns the memo of the results
    // window; `expected` gets the memo's lines read independently from the report file.
    ReportView* RunAndShow() {
        OpenThrough(CopyCase("golden_case", "golden_case"));
        Action("RunButton")->trigger();
        QApplication::processEvents();
        EXPECT_NE(RunDialog, nullptr);
        if (!RunDialog) return nullptr;
        QPushButton* run = RunDialog->RunButton;
        QTest::mouseClick(run, Qt::LeftButton, {}, QPoint(6, run->height() / 2));
        QApplication::processEvents();
        EXPECT_NE(ReportWindow, nullptr);
        if (!ReportWindow) return nullptr;
        expected = {""};
        for (const std::string& line : ReadTextLines("golden_case.ouc")) expected.push_back(line);
        return ReportWindow->Memo1;
    }

    // The memo's text from `from` to `to` (columns are bytes: the report is ASCII).
    std::string ExpectedBetween(Pos from, Pos to) const {
        std::string text;
        for (int i = from.Line; i <= to.Line; ++i) {
            const std::string& line = expected[static_cast<std::size_t>(i)];
            const std::size_t a = i == from.Line ? static_cast<std::size_t>(from.Column) : 0;
            const std::size_t b = i == to.Line ? static_cast<std::size_t>(to.Column) : line.size();
            text += line.substr(a, b - a);
            if (i < to.Line) text += '\n';
        }
        return text;
    }

    // A point in the left half of a character cell: a click there puts the caret before it.
    static QPoint Before(ReportView* memo, Pos at) {
        const QRect r = memo->CharRect(at);
        return QPoint(r.left() + 1, r.center().y());
    }

    // The first of `count` lines in a row that each hold at least 12 characters.
    int LongLines(int count) const {
        for (int i = 0; i + count <= static_cast<int>(expected.size()); ++i) {
            int k = 0;
            while (k < count && expected[static_cast<std::size_t>(i + k)].size() >= 12) ++k;
            if (k == count) return i;
        }
        ADD_FAILURE() << "no " << count << " long lines in a row";
        return 0;
    }

    std::vector<std::string> expected;
};

TEST_F(ResultsWindowTest, OpensWithTheFocusAtTheTopOfTheReport) {
    ReportView* memo = RunAndShow();
    ASSERT_NE(memo, nullptr);
    ASSERT_GT(expected.size(), 40u) << "the report must be longer than the window for the scrolling tests";
    EXPECT_EQ(QApplication::focusWidget(), memo);
    EXPECT_EQ(memo->objectName(), QStringLiteral("Memo1"));
    EXPECT_EQ(memo->FirstVisibleLine(), 0);
    EXPECT_EQ(memo->CursorPosition(), (Pos{0, 0}));
    EXPECT_LT(memo->PageLines(), static_cast<int>(expected.size()));
    EXPECT_EQ(memo->verticalScrollBar()->maximum(), static_cast<int>(expected.size()) - memo->PageLines());
    EXPECT_TRUE(memo->verticalScrollBar()->isVisible());
    EXPECT_TRUE(memo->horizontalScrollBar()->isVisible());
}

TEST_F(ResultsWindowTest, CtrlEndShowsTheLastLine) {
    ReportView* memo = RunAndShow();
    ASSERT_NE(memo, nullptr);
    const int last = static_cast<int>(expected.size()) - 1;
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(memo->CursorPosition(), (Pos{last, static_cast<int>(expected.back().size())}));
    EXPECT_TRUE(memo->viewport()->rect().contains(memo->CharRect({last, 0})));
    EXPECT_EQ(memo->FirstVisibleLine(), memo->verticalScrollBar()->maximum());
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(memo->CursorPosition(), (Pos{0, 0}));
    EXPECT_EQ(memo->FirstVisibleLine(), 0);
}

// Caret moves from the top of the report, each row one key after the previous row's.
TEST_F(ResultsWindowTest, KeysMoveTheCaretAndKeepItInView) {
    ReportView* memo = RunAndShow();
    ASSERT_NE(memo, nullptr);
    const int page = memo->PageLines();
    const int b = LongLines(2);  // two lines of text below the caret's start
    ASSERT_LT(b + 2, page);
    const int lenB = static_cast<int>(expected[b].size());
    const auto col1 = [&](int line) { return std::min(1, static_cast<int>(expected[line].size())); };
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        Pos caret;
    };
    std::vector<Step> steps;
    for (int i = 1; i <= b; ++i) steps.push_back({Qt::Key_Down, {}, {i, 0}});
    const Step more[] = {
        {Qt::Key_End, {}, {b, lenB}},
        {Qt::Key_Right, {}, {b + 1, 0}},  // past a line's end to the next line
        {Qt::Key_Left, {}, {b, lenB}},
        {Qt::Key_Home, {}, {b, 0}},
        {Qt::Key_Right, {}, {b, 1}},
        {Qt::Key_Down, {}, {b + 1, 1}},
        {Qt::Key_PageDown, {}, {b + 1 + page, col1(b + 1 + page)}},
        {Qt::Key_PageUp, {}, {b + 1, 1}},
        {Qt::Key_Up, {}, {b, 1}},
    };
    steps.insert(steps.end(), std::begin(more), std::end(more));
    for (const Step& s : steps) {
        Key(s.key, s.mods);
        EXPECT_EQ(memo->CursorPosition(), s.caret) << "after key " << s.key;
        const int line = memo->CursorPosition().Line;
        EXPECT_GE(line, memo->FirstVisibleLine());
        EXPECT_LT(line, memo->FirstVisibleLine() + page);
        EXPECT_FALSE(memo->HasSelection());
    }
}

TEST_F(ResultsWindowTest, WheelScrollsTheReport) {
    ReportView* memo = RunAndShow();
    ASSERT_NE(memo, nullptr);
    const QPoint at = memo->viewport()->rect().center();
    QWheelEvent down(at, memo->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(memo->viewport(), &down);
    EXPECT_EQ(memo->FirstVisibleLine(), QApplication::wheelScrollLines());
    EXPECT_EQ(memo->CursorPosition(), (Pos{0, 0})) << "the wheel scrolls, the caret stays";
}

TEST_F(ResultsWindowTest, MouseDragSelectsAndCtrlCCopiesExactlyThat) {
    ReportView* memo = RunAndShow();
    ASSERT_NE(memo, nullptr);
    const int b = LongLines(4);
    const Pos from{b, 2};
    const Pos to{b + 2, 10};
    QTest::mousePress(memo->viewport(), Qt::LeftButton, {}, Before(memo, from));
    QTest::mouseMove(memo->viewport(), Before(memo, {b + 1, 5}));
    QTest::mouseMove(memo->viewport(), Before(memo, to));
    QTest::mouseRelease(memo->viewport(), Qt::LeftButton, {}, Before(memo, to));
    QApplication::processEvents();
    EXPECT_EQ(memo->CursorPosition(), to);
    ASSERT_TRUE(memo->HasSelection());
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(prompts.ClipboardText(), ExpectedBetween(from, to));

    // Dragged backwards the same characters are selected; Shift+click moves the caret end only.
    QTest::mousePress(memo->viewport(), Qt::LeftButton, {}, Before(memo, to));
    QTest::mouseMove(memo->viewport(), Before(memo, from));
    QTest::mouseRelease(memo->viewport(), Qt::LeftButton, {}, Before(memo, from));
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(prompts.ClipboardText(), ExpectedBetween(from, to));
    QTest::mouseClick(memo->viewport(), Qt::LeftButton, Qt::ShiftModifier, Before(memo, {b + 3, 4}));
    Key(Qt::Key_C, Qt::ControlModifier);
    // The anchor stays where the backward drag began.
    EXPECT_EQ(prompts.ClipboardText(), ExpectedBetween(to, {b + 3, 4}));
}

TEST_F(ResultsWindowTest, ShiftKeysSelectAndCtrlCCopies) {
    ReportView* memo = RunAndShow();
    ASSERT_NE(memo, nullptr);
    const int b = LongLines(2);
    for (int i = 0; i < b; ++i) Key(Qt::Key_Down);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(memo->CursorPosition(), (Pos{b + 1, static_cast<int>(expected[b + 1].size())}));
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(prompts.ClipboardText(), ExpectedBetween({b, 0}, {b + 1, static_cast<int>(expected[b + 1].size())}));
    // An unshifted move drops the selection: nothing new is copied.
    Key(Qt::Key_Left);
    EXPECT_FALSE(memo->HasSelection());
    prompts.SetClipboardText("kept");
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(prompts.ClipboardText(), "kept");
}

TEST_F(ResultsWindowTest, CtrlACtrlCCopiesTheWholeShownText) {
    ReportView* memo = RunAndShow();
    ASSERT_NE(memo, nullptr);
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_C, Qt::ControlModifier);
    std::string whole;  // the memo's empty first line, then the report's lines
    for (std::size_t i = 1; i < expected.size(); ++i) whole += "\n" + expected[i];
    EXPECT_EQ(prompts.ClipboardText(), whole);
    EXPECT_EQ(memo->Text().toStdString(), whole);
}

TEST_F(ResultsWindowTest, TypingChangesNothing) {
    ReportView* memo = RunAndShow();
    ASSERT_NE(memo, nullptr);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    QTest::keyClicks(QApplication::focusWidget(), "xyz 123");
    for (Qt::Key k : {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return, Qt::Key_Tab, Qt::Key_Space}) Key(k);
    Key(Qt::Key_A, Qt::ControlModifier);
    prompts.SetClipboardText("pasted");
    Key(Qt::Key_V, Qt::ControlModifier);
    Key(Qt::Key_X, Qt::ControlModifier);
    Key(Qt::Key_Delete);
    EXPECT_EQ(ReportWindow->Lines(), expected);
    EXPECT_EQ(prompts.ClipboardText(), "pasted") << "Ctrl+X neither cuts nor copies in a read-only memo";
}

// Bytes are shown as UTF-8 where a line is valid UTF-8, else as Latin-1, and copied as shown.
TEST_F(ResultsWindowTest, LinesShowAsUtf8OrLatin1) {
    auto* window = new TRangeGraphWindow(form->MdiArea);
    window->show();
    window->AppendReportLine("Birke \xC3\xA4");  // UTF-8 a-umlaut
    window->AppendReportLine("Birke \xE4");      // Latin-1 a-umlaut
    ReportView* memo = window->Memo1;
    EXPECT_EQ(memo->LineText(1), QString::fromUtf8("Birke \xC3\xA4"));
    EXPECT_EQ(memo->LineText(2), QString::fromUtf8("Birke \xC3\xA4"));
    EXPECT_EQ(memo->LineBytes(2), "Birke \xE4");
    memo->setFocus();
    QApplication::processEvents();
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(prompts.ClipboardText(), "\nBirke \xC3\xA4\nBirke \xC3\xA4");
}

}  // namespace

namespace {

// A case whose long name ends in a letter of two bytes where the report's banner is cut (at
// 80 bytes in the file): the window shows the name's letters as the file has them, never the
// bytes of half a letter read as Latin-1.
TEST_F(ResultsWindowTest, BannerOfALongNonAsciiCaseNameShowsWholeLetters) {
    const std::string o = "\xC3\xB8";  // o with stroke
    struct Case {
        std::string name;
        std::string fileLine;  // the banner in the report file
        std::string shown;     // the banner in the window
    };
    const std::string x66(66, 'x'), x67(67, 'x');
    const std::vector<Case> cases = {
        {x67 + o + "z", "Case name: " + x67 + o, "Case name: " + x67 + o},
        {x66 + o + o, "Case name: " + x66 + o, "Case name: " + x66 + o},
        {"R" + o + "dovre_" + std::string(59, 'x') + o + "z", "Case name: R" + o + "dovre_" + std::string(59, 'x'),
         "Case name: R" + o + "dovre_" + std::string(59, 'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenThrough(CopyCase("golden_case", c.name));
        ASSERT_NE(ExpertsSheet, nullptr);
        Action("RunButton")->trigger();
        QApplication::processEvents();
        ASSERT_NE(RunDialog, nullptr);
        QPushButton* run = RunDialog->RunButton;
        QTest::mouseClick(run, Qt::LeftButton, {}, QPoint(6, run->height() / 2));
        QApplication::processEvents();
        ASSERT_NE(ReportWindow, nullptr);
        const std::vector<std::string> file = ReadTextLines(c.name + ".ouc");
        ASSERT_GE(file.size(), 2u);
        EXPECT_EQ(file[1], c.fileLine);
        ReportView* memo = ReportWindow->Memo1;
        ASSERT_GE(memo->LineCount(), 3);
        EXPECT_EQ(memo->LineBytes(2), c.shown);
        EXPECT_EQ(memo->LineText(2), QString::fromUtf8(c.shown.data(), static_cast<qsizetype>(c.shown.size())));
        ReportWindow->close();
        QApplication::processEvents();
        if (ExpertsSheet) ExpertsSheet->showMinimized();
        ASSERT_TRUE(form->CloseChildren());
    }
}

// The report read in one piece splits its lines as they were read one by one and shows each
// whole: CR LF and LF ends, a preference-table line of 85 characters (100 experts or more), an
// empty line, a last line without an end. Before, the window cut lines at 79: "63.0/144" showed
// as "63.0/14".
TEST_F(ResultsWindowTest, LoadReportShowsEveryLineWhole) {
    CaseFile.CaseName = "cut";
    const std::string longLine = "   Birch  " + std::string(57, ' ') + "63.0/144   136.0/145";
    ASSERT_EQ(longLine.size(), 87u);
    {
        std::FILE* f = std::fopen("cut.ouc", "wb");
        ASSERT_NE(f, nullptr);
        const std::string bytes = "first\r\n" + longLine + "\r\n\r\nlf only\n" + std::string(79, 'q') + "\r\nlast";
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    for (const bool appended : {false, true}) {
        SCOPED_TRACE(appended ? "line by line" : "in one piece");
        auto* window = new TRangeGraphWindow(form->MdiArea);
        window->LoadReport();
        window->Memo1->FinishIndexing();
        if (appended) window->LoadReport();  // the memo holds lines: the second load appends
        std::vector<std::string> want{"", "first", longLine, "", "lf only", std::string(79, 'q'), "last"};
        if (appended) {
            const std::vector<std::string> again(want.begin() + 1, want.end());
            want.insert(want.end(), again.begin(), again.end());
        }
        EXPECT_EQ(window->Lines(), want);
        delete window;
    }
}

// A long report opens at once: the window shows its first lines before it has read the rest,
// finds the rest while the event loop runs, and reads a line only when it is shown, from the
// file it opened (a later report written over it by name does not change it).
TEST_F(ResultsWindowTest, ALongReportIsReadAsItIsShown) {
    CaseFile.CaseName = "long";
    constexpr int lines = 400000;  // about 20 MB
    auto line = [](int i) {
        return "Expert " + std::to_string(i) + std::string(40, '.') + " " + std::to_string(7 * i);
    };
    {
        std::string bytes;
        for (int i = 0; i < lines; ++i) bytes += line(i) + "\r\n";
        std::FILE* f = std::fopen("long.ouc", "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    auto* window = new TRangeGraphWindow(form->MdiArea);
    window->show();
    window->LoadReport();
    ReportView* memo = window->Memo1;
    EXPECT_TRUE(memo->Indexing()) << "the whole report was read before the window showed";
    ASSERT_GT(memo->LineCount(), 100);
    EXPECT_EQ(memo->LineBytes(1), line(0));
    {
        std::FILE* f = std::fopen("long.ouc.new", "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("another report\r\n", f);
        std::fclose(f);
        ASSERT_EQ(std::rename("long.ouc.new", "long.ouc"), 0);
    }
    for (int spins = 0; memo->Indexing() && spins < 1000; ++spins) QApplication::processEvents();
    EXPECT_FALSE(memo->Indexing());
    ASSERT_EQ(memo->LineCount(), lines + 1);
    for (int i : {0, 255, 256, 257, 123456, lines - 1}) EXPECT_EQ(memo->LineBytes(i + 1), line(i)) << i;
    // Ctrl+End goes to the last line, as in any text view.
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(memo->CursorPosition().Line, lines);
    delete window;
}

}  // namespace

namespace {

// A double click selects the word under the pointer; the right-button menu copies the
// selection and selects everything.
TEST_F(ResultsWindowTest, DoubleClickAndTheContextMenuSelectAndCopy) {
    ReportView* memo = RunAndShow();
    ASSERT_NE(memo, nullptr);
    int line = 0;
    while (line < static_cast<int>(expected.size()) &&
           expected[static_cast<std::size_t>(line)].rfind("Case name", 0) != 0)
        ++line;
    ASSERT_LT(line, memo->PageLines());
    const int g = static_cast<int>(expected[static_cast<std::size_t>(line)].find("golden_case"));
    ASSERT_GT(g, 0);
    QTest::mouseDClick(memo->viewport(), Qt::LeftButton, {}, Before(memo, {line, g + 3}));
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(prompts.ClipboardText(), "golden_case");

    std::unique_ptr<QMenu> menu(memo->CreateContextMenu());
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_TRUE(actions[0]->isEnabled());
    actions[2]->trigger();  // Select All
    actions[0]->trigger();  // Copy
    std::string whole;
    for (std::size_t i = 1; i < expected.size(); ++i) whole += "\n" + expected[i];
    EXPECT_EQ(prompts.ClipboardText(), whole);
    Key(Qt::Key_Home, Qt::ControlModifier);
    menu.reset(memo->CreateContextMenu());
    EXPECT_FALSE(menu->actions()[0]->isEnabled()) << "nothing selected, nothing to copy";
}

}  // namespace

namespace {

// Held below the text, a drag goes on selecting while the report scrolls under it.
TEST_F(ResultsWindowTest, DragBelowTheTextScrollsAndExtendsTheSelection) {
    ReportView* memo = RunAndShow();
    ASSERT_NE(memo, nullptr);
    const Pos from{1, 0};
    QTest::mousePress(memo->viewport(), Qt::LeftButton, {}, Before(memo, from));
    const QPoint below(20, memo->viewport()->height() + 10);
    QTest::mouseMove(memo->viewport(), below);
    const int first = memo->FirstVisibleLine();
    QTest::qWait(400);
    EXPECT_GT(memo->FirstVisibleLine(), first);
    QTest::mouseRelease(memo->viewport(), Qt::LeftButton, {}, below);
    const Pos to = memo->CursorPosition();
    EXPECT_GE(to.Line, memo->FirstVisibleLine() + memo->PageLines() - 1);
    const int scrolled = memo->FirstVisibleLine();
    QTest::qWait(200);
    EXPECT_EQ(memo->FirstVisibleLine(), scrolled) << "released, the scrolling stops";
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(prompts.ClipboardText(), ExpectedBetween(from, to));
}

}  // namespace

// A user's way through WTrindel's sheets: typing from the state each sheet opens in, through
// real key events, and after every row operation a save, close, reopen and comparison.
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>

#include <functional>
#include <map>

#include "common/core/text.h"
#include "filter_rows_support.h"
#include "pairwise/model/case_files.h"
#include "pairwise/model/expert_data_file.h"
#include "pairwise/model/formatting.h"
#include "pairwise/model/items_file.h"
#include "trindel_fixture.h"

using namespace trindel;

namespace {

using Answer = platform::Answer;

class SheetTypingTest : public TrindelTest {
protected:
    std::string OpenGolden() {
        const std::string path = CopyCase("golden_case", "golden_case");
        OpenThrough(path);
        EXPECT_NE(ExpertsSheet, nullptr);
        return path;
    }
    static void Type(const char* text) {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        QTest::keyClicks(w, text);
        QApplication::processEvents();
    }
    static QLineEdit* Editor() { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); }
    // What a grid shows at (col, row).
    static std::string Shown(SheetGrid* grid, int col, int row) {
        return platform::BytesFromQString(grid->model()->index(row - 1, col).data().toString());
    }
    static void Activate(QMdiSubWindow* w) {
        w->mdiArea()->setActiveSubWindow(w);
        QApplication::processEvents();
    }
    TItemsSheet* Realisations() {
        Action("Items1")->trigger();
        QApplication::processEvents();
        return ChildSheets[0];
    }
    TItemsSheet* ComparisonsFromMenu() {
        Activate(ExpertsSheet);
        form->UpdateMenuItems();
        Action("Assessments1")->trigger();
        QApplication::processEvents();
        return ComparisonsSheet();
    }

    // Every id, name, realisation and answer of the case as the sheets show them: items by
    // position, answers by the ids of their two items.
    static std::string Snapshot() {
        std::string s;
        for (int k = 1; k <= MaxItemCount && ItemTable[k]; ++k) {
            const TPairItem& i = *ItemTable[k];
            s += "item " + i.Id.str() + "|" + i.Name.str() + "|";
            if (i.HasRealisation && i.Realisation > MissingValue) s += FormatNumber(i.Realisation);
            s += i.FilterFlag ? "|F\n" : "|\n";
        }
        for (int e = 1; e <= MaxExpertCount && ExpertTable[e]; ++e) {
            const TPairExpert& x = *ExpertTable[e];
            s += "expert " + x.Id.str() + "|" + x.Name.str() + (x.FilterFlag ? "|F" : "|") + "\n";
            for (int l = 1; l <= MaxItemCount && ItemTable[l]; ++l) {
                const TAnswerRow* row = x.AnswerRows[l].get();
                s += "  " + ItemTable[l]->Id.str() + ":";
                if (!row || row->Item != ItemTable[l].get()) s += " misaligned";
                for (int t = 1; t <= MaxItemCount && ItemTable[t]; ++t)
                    if (t != l && row && row->Answers[t] != ' ') s += " " + ItemTable[t]->Id.str() + row->Answers[t];
                s += "\n";
            }
        }
        return s;
    }

    // Save, close the case (the experts sheet minimises at the first request), reopen it.
    void SaveCloseReopen(const std::string& path, bool save = true) {
        if (save) {
            ASSERT_TRUE(Action("SaveBtn")->isEnabled());
            Action("SaveBtn")->trigger();
            QApplication::processEvents();
        }
        EXPECT_FALSE(CaseFile.FileKinds[ExpertsFileKind].Modified || CaseFile.FileKinds[ItemsFileKind].Modified);
        if (ExpertsSheet) ExpertsSheet->showMinimized();
        ASSERT_TRUE(form->CloseChildren());
        ASSERT_TRUE(form->OpenChildren().isEmpty());
        OpenThrough(path);
        ASSERT_NE(ExpertsSheet, nullptr);
    }

    // What the sheets show now is what save, close and reopen give; then the case is closed, for
    // the next case of a table.
    void ReopensAsSeenThenCloses(const std::string& path) {
        const std::string seen = Snapshot();
        SaveCloseReopen(path);
        EXPECT_EQ(Snapshot(), seen);
        if (ExpertsSheet) ExpertsSheet->showMinimized();
        ASSERT_TRUE(form->CloseChildren());
    }
};

// The experts sheet opens with the editor on the first Id. x, X and Delete are text there,
// F4 does not disturb what is being typed, and what was typed is what the files keep.
TEST_F(SheetTypingTest, TypingIdsAndNamesInTheExpertsSheet) {
    const std::string path = OpenGolden();
    SheetGrid* grid = ExpertsSheet->ExpertsGrid;
    ASSERT_TRUE(grid->EditorOpen());
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 1);
    Type("X1");
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(Editor()->text(), QStringLiteral("X1"));
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid->Col(), 2);
    Type("Ox");
    Key(Qt::Key_F4);
    Type("ford blue");
    Key(Qt::Key_Return);  // stores and moves to the next row's Id
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Col(), 1);
    Type("Bo");
    Key(Qt::Key_Delete);
    Type("xX");
    Key(Qt::Key_Tab);
    EXPECT_EQ(ExpertTable[1]->Id.str(), "X1");
    EXPECT_EQ(ExpertTable[1]->Name.str(), "Oxford blue");
    EXPECT_EQ(ExpertTable[2]->Id.str(), "BoxX");
    EXPECT_FALSE(ExpertTable[1]->FilterFlag);
    EXPECT_FALSE(ExpertTable[2]->FilterFlag);
    EXPECT_EQ(Shown(grid, 1, 1), "X1");
    EXPECT_EQ(Shown(grid, 2, 1), "Oxford blue");
    EXPECT_EQ(CountExperts(), 4);
    EXPECT_TRUE(prompts.MessageTexts().empty()) << prompts.MessageTexts()[0];
    const std::string seen = Snapshot();
    SaveCloseReopen(path);
    EXPECT_EQ(Snapshot(), seen);
}

// A change of letter case alone is kept: it marks the file, so closing asks.
TEST_F(SheetTypingTest, LetterCaseOfAnIdIsAChange) {
    const std::string path = OpenGolden();
    Type("EXPA");
    Key(Qt::Key_Tab);
    EXPECT_EQ(ExpertTable[1]->Id.str(), "EXPA");
    EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified);
    SaveCloseReopen(path);
    EXPECT_EQ(ExpertTable[1]->Id.str(), "EXPA");
}

// Realisations: typing into the cells the keys reach, x and Delete included.
TEST_F(SheetTypingTest, TypingInTheRealisationsSheet) {
    const std::string path = OpenGolden();
    TItemsSheet* sheet = Realisations();
    ASSERT_NE(sheet, nullptr);
    SheetGrid* grid = sheet->ItemsGrid;
    ASSERT_TRUE(grid->EditorOpen());
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 1);
    Type("Box");
    Key(Qt::Key_Tab);
    Type("7.5");
    Key(Qt::Key_Tab);
    Type("Oxford x");
    Key(Qt::Key_Delete);
    Key(Qt::Key_F4);
    Key(Qt::Key_Return);
    EXPECT_EQ(ItemTable[1]->Id.str(), "Box");
    EXPECT_EQ(ItemTable[1]->Realisation, 7.5f);
    EXPECT_EQ(ItemTable[1]->Name.str(), "Oxford x");
    EXPECT_FALSE(ItemTable[1]->FilterFlag);
    EXPECT_EQ(Shown(grid, 2, 1), "7.5");
    const std::string seen = Snapshot();
    SaveCloseReopen(path);
    EXPECT_EQ(Snapshot(), seen);
}

// The comparisons sheet opens at column 3 with its editor: the first key typed is the first
// answer; Tab steps over the diagonal; answers are kept mirrored; Home and End in an open
// cell stay in it; switching to another expert, the first key again goes into the cell.
TEST_F(SheetTypingTest, TypingAnswersIntoTheComparisonsSheet) {
    const std::string path = OpenGolden();
    TItemsSheet* sheet = ComparisonsFromMenu();
    ASSERT_NE(sheet, nullptr);
    SheetGrid* grid = sheet->ItemsGrid;
    ASSERT_TRUE(grid->EditorOpen());
    ASSERT_EQ(grid->Col(), 3);
    ASSERT_EQ(grid->Row(), 1);
    // ExpA as read: Alder > Birch, Alder < Cedar, Alder > Dogwood, Alder > Elm.
    Type("<");
    Key(Qt::Key_Tab);
    Type("=");
    Key(Qt::Key_Home);
    Key(Qt::Key_End);
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid->Col(), 5);
    Type("<");
    Key(Qt::Key_Tab);
    Key(Qt::Key_Tab);  // row 1 ends: on to row 2, column 2
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Col(), 2);
    Key(Qt::Key_Tab);  // over the diagonal (2, 2)
    EXPECT_EQ(grid->Col(), 4);
    Type(">");
    Key(Qt::Key_Tab);
    const TPairExpert* a = ExpertTable[1].get();
    EXPECT_EQ(a->AnswerRows[1]->Answers[2], '<');
    EXPECT_EQ(a->AnswerRows[2]->Answers[1], '>');
    EXPECT_EQ(a->AnswerRows[1]->Answers[3], '=');
    EXPECT_EQ(a->AnswerRows[3]->Answers[1], '=');
    EXPECT_EQ(a->AnswerRows[1]->Answers[4], '<');
    EXPECT_EQ(a->AnswerRows[4]->Answers[1], '>');
    EXPECT_EQ(a->AnswerRows[2]->Answers[3], '>');
    EXPECT_EQ(a->AnswerRows[3]->Answers[2], '<');
    EXPECT_EQ(Shown(grid, 3, 1), " <");
    EXPECT_EQ(Shown(grid, 2, 2), " >");
    // Keys with no meaning here change nothing: F3, F4, Delete, x, Ctrl-Z.
    Key(Qt::Key_F3);
    Key(Qt::Key_F4);
    Key(Qt::Key_Delete);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(CountItems(), 5);
    EXPECT_TRUE(prompts.MessageTexts().empty());

    // The next expert: Down on the experts sheet, then the menu; the window follows at row 1.
    Activate(ExpertsSheet);
    Key(Qt::Key_Down);
    EXPECT_EQ(ActiveExpert, ExpertTable[2].get());
    ASSERT_EQ(ComparisonsFromMenu(), sheet);
    EXPECT_EQ(sheet->windowTitle(), QStringLiteral("Comparisons for the Expert: ExpB \" Ben \" "));
    EXPECT_EQ(grid->Row(), 1);
    const int top = grid->Col() - 1;
    ASSERT_GE(top, 2);
    const char was = ExpertTable[2]->AnswerRows[1]->Answers[top];
    const char typed = was == '<' ? '>' : '<';
    Type(std::string(1, typed).c_str());
    Key(Qt::Key_Tab);
    EXPECT_EQ(ExpertTable[2]->AnswerRows[1]->Answers[top], typed);
    EXPECT_EQ(ExpertTable[2]->AnswerRows[top]->Answers[1], static_cast<char>(122 - typed));
    EXPECT_EQ(a->AnswerRows[1]->Answers[2], '<');  // ExpA's stay as typed
    const std::string seen = Snapshot();
    SaveCloseReopen(path);
    EXPECT_EQ(Snapshot(), seen);
}

// The diagonal's rules under the keys: F2 keeps the cursor off it; Down onto it goes one
// further (SkipDotV), Tab and Shift-Tab step over it (SkipDot).
TEST_F(SheetTypingTest, KeysStepOverTheDiagonal) {
    OpenGolden();
    TItemsSheet* sheet = ComparisonsFromMenu();
    ASSERT_NE(sheet, nullptr);
    SheetGrid* grid = sheet->ItemsGrid;
    Key(Qt::Key_F2);
    EXPECT_EQ(grid->Col(), 3);
    EXPECT_EQ(grid->Row(), 1);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);  // from the first cell: stays at column 3
    EXPECT_EQ(grid->Col(), 3);
    EXPECT_EQ(grid->Row(), 1);
    Key(Qt::Key_Down);  // (3, 2) is the diagonal: on to (3, 3)
    EXPECT_EQ(grid->Col(), 3);
    EXPECT_EQ(grid->Row(), 3);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(grid->Col(), 2);
    Key(Qt::Key_Up);
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Row(), 2);
    Key(Qt::Key_Tab);  // (3, 2) is the diagonal: on to (4, 2)
    EXPECT_EQ(grid->Col(), 4);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_FALSE(CaseFile.FileKinds[ExpertsFileKind].Modified);
}

// After each row operation, on experts and on items, through keys: save, close, reopen, and
// the case is what the sheets showed. Undo brings back what the operation took, with its
// comparisons; a deleted item stays deleted.
TEST_F(SheetTypingTest, EveryRowOperationSurvivesSaveAndReopen) {
    struct Op {
        const char* name;
        bool items;
        std::function<void(SheetTypingTest&)> run;
    };
    auto rowMode = [](int down) {
        Key(Qt::Key_F3);
        for (int i = 0; i < down; ++i) Key(Qt::Key_Down);
    };
    auto yes = [this](SheetTypingTest&) { prompts.QueueAnswer(Answer::Yes); };
    const std::vector<Op> ops = {
        {"experts: Enter on the last row, an Id typed", false,
         [](SheetTypingTest&) {
             for (int i = 0; i < 3; ++i) Key(Qt::Key_Return);
             Key(Qt::Key_Return);
             Type("ExpN");
             Key(Qt::Key_Tab);
         }},
        {"experts: Insert in row mode", false,
         [&](SheetTypingTest&) {
             rowMode(1);
             Key(Qt::Key_Insert);
             Type("ExpI");
             Key(Qt::Key_Tab);
         }},
        {"experts: Del", false,
         [&](SheetTypingTest& t) {
             rowMode(1);
             yes(t);
             Key(Qt::Key_Delete);
         }},
        {"experts: Cut, Paste", false,
         [&](SheetTypingTest& t) {
             rowMode(1);
             yes(t);
             Key(Qt::Key_X, Qt::ControlModifier);
             Key(Qt::Key_Down);
             Key(Qt::Key_V, Qt::ControlModifier);
         }},
        {"experts: Del, Undo", false,
         [&](SheetTypingTest& t) {
             rowMode(2);
             yes(t);
             Key(Qt::Key_Delete);
             Key(Qt::Key_Z, Qt::ControlModifier);
         }},
        {"items: Insert in row mode", true,
         [&](SheetTypingTest&) {
             rowMode(1);
             Key(Qt::Key_Insert);
             Key(Qt::Key_F3);
             Type("Fir");
             Key(Qt::Key_Tab);
         }},
        {"items: Enter on the last row", true,
         [](SheetTypingTest&) {
             for (int i = 0; i < 4; ++i) Key(Qt::Key_Down);
             Key(Qt::Key_Return);
             Type("Yew");
             Key(Qt::Key_Tab);
         }},
        {"items: Del", true,
         [&](SheetTypingTest& t) {
             rowMode(1);
             yes(t);
             Key(Qt::Key_Delete);
         }},
        {"items: Del, Undo", true,
         [&](SheetTypingTest& t) {
             rowMode(1);
             yes(t);
             Key(Qt::Key_Delete);
             Key(Qt::Key_Z, Qt::ControlModifier);
         }},
        {"items: Cut, Undo", true,
         [&](SheetTypingTest& t) {
             rowMode(0);
             yes(t);
             Key(Qt::Key_X, Qt::ControlModifier);
             Key(Qt::Key_Z, Qt::ControlModifier);
         }},
        {"items: Cut, Paste further down", true,
         [&](SheetTypingTest& t) {
             rowMode(1);
             yes(t);
             Key(Qt::Key_X, Qt::ControlModifier);
             Key(Qt::Key_Down);
             Key(Qt::Key_V, Qt::ControlModifier);
         }},
        {"items: Cut, Paste, Undo", true,
         [&](SheetTypingTest& t) {
             rowMode(1);
             yes(t);
             Key(Qt::Key_X, Qt::ControlModifier);
             Key(Qt::Key_V, Qt::ControlModifier);
             Key(Qt::Key_Z, Qt::ControlModifier);
         }},
    };
    for (const Op& op : ops) {
        SCOPED_TRACE(op.name);
        const std::string path = OpenGolden();
        const std::string opened = Snapshot();
        if (op.items) {
            ASSERT_NE(Realisations(), nullptr);
        }
        op.run(*this);
        const std::string seen = Snapshot();
        EXPECT_NE(seen.find("expert ExpA"), std::string::npos);
        const std::string name = op.name;
        if (name == "experts: Del, Undo" || name == "items: Del, Undo" || name == "items: Cut, Undo") {
            EXPECT_EQ(seen, opened);  // everything back, the comparisons too
        } else {
            EXPECT_NE(seen, opened);
        }
        if (name == "items: Del" || name == "items: Cut, Paste, Undo") {  // undo of a paste takes it out
            EXPECT_EQ(seen.find("item Birch"), std::string::npos);
            EXPECT_EQ(CountItems(), 4);
        }
        if (name == "items: Cut, Paste further down") {
            ASSERT_EQ(CountItems(), 5);
            EXPECT_EQ(ItemTable[4]->Id.str(), "Birch");
            EXPECT_EQ(ExpertTable[1]->AnswerRows[1]->Answers[4], '>');  // ExpA: Alder > Birch, moved along
            EXPECT_EQ(ExpertTable[1]->AnswerRows[4]->Answers[1], '<');
        }
        SaveCloseReopen(path);
        EXPECT_EQ(Snapshot(), seen);
        if (ExpertsSheet) ExpertsSheet->showMinimized();
        ASSERT_TRUE(form->CloseChildren());
    }
}

// Text typed into a cell and not yet stored stays when rows held by a Cut are pasted there by
// Insert (the Edit menu's row commands are off while the editor is open). Before, the new layout dropped the open
// editor with what it held. Ctrl+V in the open cell pastes the clipboard's text into the cell and nothing else.
TEST_F(SheetTypingTest, TextTypedBeforeAPasteOfRowsIsKept) {
    enum class How { InsertKey, CtrlV };
    struct Case {
        const char* name;
        bool items;
        How how;
        const char* kept;  // what the Id of the row typed in has gained, afterwards
    };
    const std::vector<Case> cases = {
        {"experts: Insert", false, How::InsertKey, "Q1"},
        {"experts: Ctrl+V", false, How::CtrlV, "Q1Z"},
        {"items: Insert", true, How::InsertKey, "Q1"},
        {"items: Ctrl+V", true, How::CtrlV, "Q1Z"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QGuiApplication::clipboard()->setText(QStringLiteral("Z"));
        const std::string path = OpenGolden();
        ASSERT_NE(ComparisonsFromMenu(), nullptr);  // the other sheets of the case are open
        if (c.items) {
            ASSERT_NE(Realisations(), nullptr);
        } else {
            Activate(ExpertsSheet);
        }
        const int rows = c.items ? CountItems() : CountExperts();
        // The last row is cut in row mode; the editor then opens on the row above it.
        Key(Qt::Key_F3);
        for (int i = 1; i < rows; ++i) Key(Qt::Key_Down);
        const std::string cutId = c.items ? ItemTable[rows]->Id.str() : ExpertTable[rows]->Id.str();
        prompts.QueueAnswer(Answer::Yes);
        Key(Qt::Key_X, Qt::ControlModifier);
        Key(Qt::Key_F3);
        ASSERT_NE(Editor(), nullptr);
        const std::string before = c.items ? ItemTable[rows - 1]->Id.str() : ExpertTable[rows - 1]->Id.str();
        Type("Q1");
        Key(c.how == How::CtrlV ? Qt::Key_V : Qt::Key_Insert,
            c.how == How::CtrlV ? Qt::ControlModifier : Qt::NoModifier);
        const int now = c.how == How::CtrlV ? rows - 1 : rows;
        if (c.how == How::CtrlV) {
            ASSERT_NE(Editor(), nullptr);
            EXPECT_EQ(platform::BytesFromQString(Editor()->text()), before + "Q1Z");
            Key(Qt::Key_Tab);  // the cell is left, and stores what it holds
        }
        if (c.items) {
            ASSERT_EQ(CountItems(), now);
            EXPECT_EQ(ItemTable[rows - 1]->Id.str(), before + c.kept);
            if (c.how != How::CtrlV) {
                EXPECT_EQ(ItemTable[rows]->Id.str(), cutId);
            }
        } else {
            ASSERT_EQ(CountExperts(), now);
            EXPECT_EQ(ExpertTable[rows - 1]->Id.str(), before + c.kept);
            if (c.how != How::CtrlV) {
                EXPECT_EQ(ExpertTable[rows]->Id.str(), cutId);
            }
        }
        ASSERT_NO_FATAL_FAILURE(ReopensAsSeenThenCloses(path));
    }
}

// A text typed longer than its field is cut at the field's bytes, but never inside a letter:
// a letter of two bytes that does not fit goes whole, so the cell and the file keep UTF-8
// (half a letter showed the whole cell as Latin-1 garbage).
TEST_F(SheetTypingTest, TextCutToItsFieldKeepsWholeLetters) {
    const std::string o = "\xC3\xB6";  // o-umlaut
    struct Case {
        const char* name;
        bool items;
        int col;
        std::string typed, kept;
    };
    const std::vector<Case> cases = {
        {"expert Id (8)", false, 1, "abcdefg" + o, "abcdefg"},
        {"expert Name (50)", false, 2, std::string(49, 'n') + o, std::string(49, 'n')},
        {"item Id (14)", true, 1, "J" + o + "rgen_" + std::string(5, 'a') + o, "J" + o + "rgen_" + std::string(5, 'a')},
        {"item Name (60)", true, 3, std::string(59, 'n') + o, std::string(59, 'n')},
        {"item Name that fits", true, 3, std::string(58, 'n') + o, std::string(58, 'n') + o},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = OpenGolden();
        SheetGrid* grid = ExpertsSheet->ExpertsGrid;
        if (c.items) {
            TItemsSheet* sheet = Realisations();
            ASSERT_NE(sheet, nullptr);
            grid = sheet->ItemsGrid;
        }
        for (int i = 1; i < c.col; ++i) Key(Qt::Key_Tab);
        ASSERT_NE(Editor(), nullptr);
        // Key by key; a letter above ASCII comes as its Latin-1 key with the letter as text,
        // as a keyboard with that letter sends it.
        for (QChar ch : QString::fromUtf8(c.typed.data(), static_cast<qsizetype>(c.typed.size()))) {
            QWidget* w = QApplication::focusWidget();
            ASSERT_NE(w, nullptr);
            if (ch.unicode() < 128) {
                QTest::keyClick(w, static_cast<char>(ch.unicode()));
            } else {
                const auto key = static_cast<Qt::Key>(ch.toUpper().unicode());
                QTest::sendKeyEvent(QTest::Press, w, key, QString(ch), Qt::NoModifier);
                QTest::sendKeyEvent(QTest::Release, w, key, QString(ch), Qt::NoModifier);
            }
        }
        QApplication::processEvents();
        ASSERT_NE(Editor(), nullptr);
        EXPECT_EQ(platform::BytesFromQString(Editor()->text()), c.typed);
        Key(Qt::Key_Tab);
        EXPECT_EQ(Shown(grid, c.col, 1), c.kept);
        const std::string stored = c.items ? (c.col == 1 ? ItemTable[1]->Id.str() : ItemTable[1]->Name.str())
                                           : (c.col == 1 ? ExpertTable[1]->Id.str() : ExpertTable[1]->Name.str());
        EXPECT_EQ(stored, c.kept);
        ASSERT_NO_FATAL_FAILURE(ReopensAsSeenThenCloses(path));
    }
}

// A case whose expert data file is empty opens on an experts sheet without experts. Enter
// there makes the first expert in the sheet's first row, where the user types it; before, it
// went to slot 2, which the sheet never showed (and a second Enter made one more unseen), yet
// the save wrote them under default ids.
TEST_F(SheetTypingTest, FirstExpertsOfAnEmptyExpertDataFileAreTheOnesTyped) {
    const std::string path = CopyCase("golden_case", "fresh", ".iy");
    {
        std::FILE* f = std::fopen((root_ / "fresh.ey").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    OpenThrough(path);
    ASSERT_NE(ExpertsSheet, nullptr);
    SheetGrid* grid = ExpertsSheet->ExpertsGrid;
    EXPECT_EQ(CountExperts(), 0);
    Key(Qt::Key_Return);
    ASSERT_EQ(CountExperts(), 1);
    ASSERT_NE(ExpertTable[1], nullptr);
    EXPECT_EQ(platform::BytesFromQString(grid->model()->headerData(1, Qt::Horizontal).toString()), " Id");
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(grid->Row(), 1);
    Type("E1");
    Key(Qt::Key_Tab);
    Type("Eve");
    Key(Qt::Key_Return);  // on the last row: one more expert, below
    ASSERT_EQ(CountExperts(), 2);
    EXPECT_EQ(grid->Row(), 2);
    Type("E2");
    Key(Qt::Key_Tab);
    EXPECT_EQ(Shown(grid, 1, 1), "E1");
    EXPECT_EQ(Shown(grid, 2, 1), "Eve");
    EXPECT_EQ(Shown(grid, 1, 2), "E2");
    const std::string seen = Snapshot();
    SaveCloseReopen((root_ / "fresh.ey").string());
    EXPECT_EQ(Snapshot(), seen);
    ASSERT_EQ(CountExperts(), 2);
    EXPECT_EQ(ExpertTable[1]->Id.str(), "E1");
    EXPECT_EQ(ExpertTable[1]->Name.str(), "Eve");
    EXPECT_EQ(ExpertTable[2]->Id.str(), "E2");
}

// The same for a case of an empty items file and no expert data file: the realisations sheet
// opens without items, and Enter makes the first item in its first row.
TEST_F(SheetTypingTest, FirstItemOfAnEmptyItemsFileIsTheOneTyped) {
    const std::string path = (root_ / "bare.iy").string();
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    OpenThrough(path);
    TItemsSheet* sheet = ChildSheets[0];
    ASSERT_NE(sheet, nullptr);
    SheetGrid* grid = sheet->ItemsGrid;
    EXPECT_EQ(CountItems(), 0);
    Key(Qt::Key_Return);
    ASSERT_EQ(CountItems(), 1);
    ASSERT_NE(ItemTable[1], nullptr);
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(grid->Row(), 1);
    Type("Oak");
    Key(Qt::Key_Tab);
    Type("2.5");
    Key(Qt::Key_Tab);
    EXPECT_EQ(Shown(grid, 1, 1), "Oak");
    EXPECT_EQ(CountItems(), 1);
    const std::string seen = Snapshot();
    ASSERT_TRUE(Action("SaveBtn")->isEnabled());
    Action("SaveBtn")->trigger();
    QApplication::processEvents();
    ASSERT_TRUE(form->CloseChildren());
    OpenThrough(path);
    EXPECT_EQ(Snapshot(), seen);
    ASSERT_EQ(CountItems(), 1);
    EXPECT_EQ(ItemTable[1]->Id.str(), "Oak");
    EXPECT_FLOAT_EQ(ItemTable[1]->Realisation, 2.5f);
}

// Text typed into a cell that is still open when the user clicks Save, New Case or Close (a
// tool button or menu takes no focus, so the cell is not left) is what the sheet shows and
// what is saved or asked about. Before, Save wrote the case without it and disabled itself,
// and New Case or Close let it go without the save question.
TEST_F(SheetTypingTest, TextStillOpenInACellIsSavedOrAskedAbout) {
    // Save: the name typed last is in the file.
    {
        const std::string path = OpenGolden();
        Type("ExpW");
        Key(Qt::Key_Tab);
        Type("Zed");
        ASSERT_TRUE(Action("SaveBtn")->isEnabled());
        Action("SaveBtn")->trigger();
        QApplication::processEvents();
        EXPECT_EQ(ExpertTable[1]->Name.str(), "Zed");
        const std::string seen = Snapshot();
        SaveCloseReopen(path, false);
        EXPECT_EQ(Snapshot(), seen);
        EXPECT_EQ(ExpertTable[1]->Id.str(), "ExpW");
        EXPECT_EQ(ExpertTable[1]->Name.str(), "Zed");
        ExpertsSheet->showMinimized();
        ASSERT_TRUE(form->CloseChildren());
    }
    // New Case twice: the Id typed into the first case's only item is asked about.
    {
        Action("NewFileButton")->trigger();
        QApplication::processEvents();
        ASSERT_NE(ChildSheets[0], nullptr);
        Type("A1");
        prompts.QueueAnswer(Answer::Cancel);
        Action("NewFileButton")->trigger();
        QApplication::processEvents();
        ASSERT_EQ(prompts.MessageTexts().size(), 1u);
        EXPECT_EQ(prompts.MessageTexts()[0], "Contents of the case file NONAME.iy has been changed. Save it?");
        ASSERT_NE(ChildSheets[0], nullptr);
        ASSERT_NE(ItemTable[1], nullptr);
        EXPECT_EQ(ItemTable[1]->Id.str(), "A1");
        prompts.QueueAnswer(Answer::No);
        ASSERT_TRUE(form->CloseChildren());
    }
    // Close of the realisations sheet: a realisation typed and not left is saved on Yes.
    {
        const std::string path = OpenGolden();
        ASSERT_NE(Realisations(), nullptr);
        Key(Qt::Key_Tab);
        Type("7");
        const std::size_t asked = prompts.MessageTexts().size();
        prompts.QueueAnswer(Answer::Yes);
        Action("FileCloseItem")->trigger();
        QApplication::processEvents();
        ASSERT_EQ(prompts.MessageTexts().size(), asked + 1);
        EXPECT_EQ(ChildSheets[0], nullptr);
        EXPECT_FLOAT_EQ(ItemTable[1]->Realisation, 7.0f);
        SaveCloseReopen(path, false);
        EXPECT_FLOAT_EQ(ItemTable[1]->Realisation, 7.0f);
    }
}

// A case begun with the Experts command has no name: Save asks for one and writes no
// "ey" or ".iy" beside the program.
TEST_F(SheetTypingTest, CaseBegunWithTheExpertsCommandIsSavedUnderAChosenName) {
    Action("Experts1")->trigger();
    QApplication::processEvents();
    ASSERT_NE(ExpertsSheet, nullptr);
    Type("E1");
    Key(Qt::Key_Tab);
    Type("Eve");
    Key(Qt::Key_Tab);
    const std::string chosen = (root_ / "mine.ey").string();
    prompts.QueueSaveFile(chosen);
    Action("SaveBtn")->trigger();
    QApplication::processEvents();
    ASSERT_EQ(prompts.Recorded().size(), 1u);
    EXPECT_EQ(prompts.Recorded()[0].Kind, "save");
    EXPECT_FALSE(std::filesystem::exists(root_ / "ey"));
    EXPECT_FALSE(std::filesystem::exists(root_ / ".iy"));
    EXPECT_FALSE(std::filesystem::exists(root_ / ".ey"));
    EXPECT_TRUE(std::filesystem::exists(root_ / "mine.ey"));
    EXPECT_TRUE(std::filesystem::exists(root_ / "mine.iy"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("mine: WTrindel"));
    const std::string seen = Snapshot();
    SaveCloseReopen(chosen, false);
    EXPECT_EQ(Snapshot(), seen);
}

// A double click on an expert's Id or Name (where the editor is open) opens its comparisons.
TEST_F(SheetTypingTest, DoubleClickOnAnExpertOpensItsComparisons) {
    OpenGolden();
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    QTest::mouseDClick(editor, Qt::LeftButton, {}, QPoint(5, editor->height() / 2));
    QApplication::processEvents();
    TItemsSheet* sheet = ComparisonsSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->Core.SheetExpert, ExpertTable[1].get());
    // Row 3's Name, not the current cell.
    Activate(ExpertsSheet);
    SheetGrid* grid = ExpertsSheet->ExpertsGrid;
    const QRect cell = grid->visualRect(grid->model()->index(2, 2));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QApplication::processEvents();
    EXPECT_EQ(sheet->Core.SheetExpert, ExpertTable[3].get());
    EXPECT_EQ(ChildSheets[3], sheet);
}

// Closing the experts sheet with changes: Yes saves, No drops them, Cancel keeps the case.
TEST_F(SheetTypingTest, ClosingTheExpertsSheetWithChanges) {
    for (const Answer answer : {Answer::Yes, Answer::No, Answer::Cancel}) {
        SCOPED_TRACE(static_cast<int>(answer));
        const std::string path = OpenGolden();
        const std::string opened = Snapshot();
        Type("Zed");
        Key(Qt::Key_Tab);
        const std::string typed = Snapshot();
        prompts.Clear();
        EXPECT_FALSE(ExpertsSheet->close());  // the first request minimises
        EXPECT_TRUE(ExpertsSheet->isMinimized());
        EXPECT_TRUE(prompts.Recorded().empty());
        prompts.QueueAnswer(answer);
        const bool closed = ExpertsSheet->close();
        QApplication::processEvents();
        EXPECT_EQ(prompts.MessageTexts(),
                  std::vector<std::string>{"Contents of the case file " + CaseFileNames(path).ExpertDataFile +
                                           " has been changed. Save it?"});
        if (answer == Answer::Cancel) {
            EXPECT_FALSE(closed);
            ASSERT_NE(ExpertsSheet, nullptr);
            EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified);
            EXPECT_EQ(Snapshot(), typed);
            CaseFile.FileKinds[ExpertsFileKind].Modified = false;
            ASSERT_TRUE(ExpertsSheet->close());
        } else {
            EXPECT_TRUE(closed);
            EXPECT_EQ(ExpertsSheet, nullptr);
        }
        OpenThrough(path);
        EXPECT_EQ(Snapshot(), answer == Answer::Yes ? typed : opened);
        ExpertsSheet->showMinimized();
        ASSERT_TRUE(form->CloseChildren());
    }
}

// Exit with changes, the experts sheet alone: Yes saves and exits, No exits without saving,
// Cancel keeps the program and the case; the sheet does not minimise itself first.
TEST_F(SheetTypingTest, ExitWithChanges) {
    for (const Answer answer : {Answer::Yes, Answer::No, Answer::Cancel}) {
        SCOPED_TRACE(static_cast<int>(answer));
        const std::string path = OpenGolden();
        const std::string opened = Snapshot();
        Type("Zed");
        Key(Qt::Key_Tab);
        const std::string typed = Snapshot();
        prompts.Clear();
        prompts.QueueAnswer(answer);
        Action("FileExitItem")->trigger();
        QApplication::processEvents();
        EXPECT_EQ(prompts.MessageTexts().size(), 1u);
        if (answer == Answer::Cancel) {
            EXPECT_TRUE(form->isVisible());
            ASSERT_NE(ExpertsSheet, nullptr);
            EXPECT_FALSE(ExpertsSheet->isMinimized());
            EXPECT_EQ(Snapshot(), typed);
            CaseFile.FileKinds[ExpertsFileKind].Modified = false;
        } else {
            EXPECT_FALSE(form->isVisible());
        }
        DropForm();
        ResetGlobals();
        MakeForm();
        OpenThrough(path);
        EXPECT_EQ(Snapshot(), answer == Answer::Yes ? typed : opened);
        ExpertsSheet->showMinimized();
        ASSERT_TRUE(form->CloseChildren());
    }
}

// The NEL reference buttons name the items the run will use after every edit of the
// realisations, without a click on the box.
TEST_F(SheetTypingTest, ReferenceButtonsFollowTheRealisations) {
    OpenGolden();
    Action("RunButton")->trigger();
    QApplication::processEvents();
    ASSERT_NE(RunDialog, nullptr);
    TRunDlgFrm* dialog = RunDialog;
    QTest::mouseClick(dialog->ScaleTransformBox, Qt::LeftButton, {},
                      QPoint(6, dialog->ScaleTransformBox->height() / 2));
    ASSERT_EQ(dialog->RadioButton1->text(), QStringLiteral("Alder"));
    TItemsSheet* sheet = Realisations();
    ASSERT_NE(sheet, nullptr);
    Key(Qt::Key_Tab);  // Alder's realisation
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Tab);
    Key(Qt::Key_Down);  // Birch's realisation, one row down
    Key(Qt::Key_Home);
    EXPECT_EQ(ItemTable[1]->Realisation, MissingValue);
    sheet->Core.SetEditText(2, 2, "4");
    EXPECT_EQ(dialog->RadioButton1->text(), QStringLiteral("Birch"));
    EXPECT_EQ(dialog->RadioButton2->text(), QStringLiteral("Dogwood"));
}

// A run dialog goes with its case, also one the frame's activation let go of.
TEST_F(SheetTypingTest, RunDialogClosesWithItsCase) {
    OpenGolden();
    Action("RunButton")->trigger();
    QApplication::processEvents();
    ASSERT_NE(RunDialog, nullptr);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(form.get(), &activate);
    EXPECT_EQ(RunDialog, nullptr);
    ASSERT_FALSE(ExpertsSheet->close());  // minimises
    ASSERT_TRUE(ExpertsSheet->close());   // ends the case
    QApplication::processEvents();
    EXPECT_EQ(ExpertsSheet, nullptr);
    for (QMdiSubWindow* w : form->MdiArea->subWindowList()) EXPECT_EQ(qobject_cast<TRunDlgFrm*>(w), nullptr);
}

// The comparisons caption fits on a small case, and a sheet grows with the rows added.
TEST_F(SheetTypingTest, CaptionsAreReadableAndSheetsGrow) {
    OpenGolden();
    Type("Theodora");
    Key(Qt::Key_Tab);
    Type("Theodora Longname-Smith");
    Key(Qt::Key_Down);
    Key(Qt::Key_Up);
    TItemsSheet* sheet = ComparisonsFromMenu();
    ASSERT_NE(sheet, nullptr);
    const QString title = sheet->windowTitle();
    EXPECT_EQ(title, QStringLiteral("Comparisons for the Expert: Theodora \" Theodora Longname-Smith \" "));
    EXPECT_GE(sheet->width(), QFontMetrics(sheet->font()).horizontalAdvance(title));

    Activate(ExpertsSheet);
    const int before = ExpertsSheet->height();
    for (int i = 0; i < 6; ++i) Key(Qt::Key_Return);  // down to row 4, then three new rows
    ASSERT_EQ(CountExperts(), 7);
    EXPECT_GT(ExpertsSheet->height(), before);
    // Every data row is in view.
    SheetGrid* grid = ExpertsSheet->ExpertsGrid;
    const QRect last = grid->visualRect(grid->model()->index(6, 1));
    EXPECT_LE(last.bottom(), grid->viewport()->height());
}

}  // namespace

// In an open cell the editing keys work on its text and on nothing else, with a Cut held and
// the other sheets open: a Cut row, back to editor mode, a click on another row's Full Name,
// End, Ctrl+V puts the clipboard's text at the end of that name and inserts no row; Ctrl+Z
// undoes the typing in the cell and leaves the row inserted before; Ctrl+C copies the text the
// user selected. Before, Ctrl+V also pasted the Cut rows and Ctrl+Z also took a row out.
class OpenCellKeysTest : public SheetTypingTest {
protected:
    static void ClickCell(SheetGrid* grid, int col, int row) {
        const QRect cell = grid->visualRect(grid->model()->index(row - 1, col));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QApplication::processEvents();
    }
    // The sheet of experts or of realisations, opened and active, with the comparisons open.
    SheetGrid* OpenSheets(bool items) {
        EXPECT_NE(ComparisonsFromMenu(), nullptr);
        if (items) {
            TItemsSheet* sheet = Realisations();
            return sheet ? sheet->ItemsGrid : nullptr;
        }
        Activate(ExpertsSheet);
        return ExpertsSheet->ExpertsGrid;
    }
    static int Rows(bool items) { return items ? CountItems() : CountExperts(); }
    static std::string NameAt(bool items, int row) {
        return items ? ItemTable[row]->Name.str() : ExpertTable[row]->Name.str();
    }
};

TEST_F(OpenCellKeysTest, CtrlVAfterACutPastesTextIntoTheClickedNameOnly) {
    for (const bool items : {true, false}) {
        SCOPED_TRACE(items ? "items" : "experts");
        QGuiApplication::clipboard()->setText(QStringLiteral(" pasted"));
        const std::string path = OpenGolden();
        SheetGrid* grid = OpenSheets(items);
        ASSERT_NE(grid, nullptr);
        const int rows = Rows(items);
        const int nameCol = items ? 3 : 2;
        // Row 2 is cut in row mode.
        Key(Qt::Key_F3);
        Key(Qt::Key_Down);
        prompts.QueueAnswer(Answer::Yes);
        Key(Qt::Key_X, Qt::ControlModifier);
        ASSERT_EQ(Rows(items), rows - 1);
        Key(Qt::Key_F3);
        ASSERT_TRUE(grid->EditorMode());
        // Row 3 now holds what was row 4.
        const std::string name = NameAt(items, 3);
        ClickCell(grid, nameCol, 3);
        ASSERT_EQ(grid->Row(), 3);
        ASSERT_EQ(grid->Col(), nameCol);
        ASSERT_NE(Editor(), nullptr);
        Key(Qt::Key_End);
        Key(Qt::Key_V, Qt::ControlModifier);
        ASSERT_NE(Editor(), nullptr);
        EXPECT_EQ(platform::BytesFromQString(Editor()->text()), name + " pasted");
        EXPECT_EQ(Rows(items), rows - 1);
        Key(Qt::Key_Tab);
        EXPECT_EQ(Rows(items), rows - 1);
        EXPECT_EQ(NameAt(items, 3), name + " pasted");
        ASSERT_NO_FATAL_FAILURE(ReopensAsSeenThenCloses(path));
    }
}

TEST_F(OpenCellKeysTest, CtrlZInAnOpenCellUndoesTheTypingOnly) {
    for (const bool items : {true, false}) {
        SCOPED_TRACE(items ? "items" : "experts");
        const std::string path = OpenGolden();
        SheetGrid* grid = OpenSheets(items);
        ASSERT_NE(grid, nullptr);
        const int rows = Rows(items);
        // A row is inserted below row 1 in row mode: an undo is held for it.
        Key(Qt::Key_F3);
        Key(Qt::Key_Insert);
        ASSERT_EQ(Rows(items), rows + 1);
        if (!grid->EditorMode()) Key(Qt::Key_F3);
        ASSERT_TRUE(grid->EditorMode());
        ASSERT_NE(Editor(), nullptr);
        const int row = grid->Row();
        Type("New1");
        Key(Qt::Key_Tab);
        Type("typed");
        Key(Qt::Key_Z, Qt::ControlModifier);
        ASSERT_NE(Editor(), nullptr);
        EXPECT_NE(platform::BytesFromQString(Editor()->text()), "typed");
        EXPECT_EQ(Rows(items), rows + 1);
        Key(Qt::Key_Tab);
        EXPECT_EQ(Rows(items), rows + 1);
        EXPECT_EQ(items ? ItemTable[row]->Id.str() : ExpertTable[row]->Id.str(), "New1");
        ASSERT_NO_FATAL_FAILURE(ReopensAsSeenThenCloses(path));
    }
}

TEST_F(OpenCellKeysTest, CtrlCCopiesTheTextTheUserSelected) {
    const std::string path = OpenGolden();
    SheetGrid* grid = OpenSheets(false);
    ASSERT_NE(grid, nullptr);
    Key(Qt::Key_Tab);  // ExpA's Full Name, opened with its whole text selected
    ASSERT_NE(Editor(), nullptr);
    // Nothing of the user's selected: the view is copied.
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(prompts.ClipboardText().rfind(" Case name : golden_case", 0), 0u) << prompts.ClipboardText();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    prompts.SetClipboardText("");
    // The whole text again, but selected by the user this time (Shift+Home).
    Type("Ann Oak");
    Key(Qt::Key_Home, Qt::ShiftModifier);
    ASSERT_EQ(Editor()->selectedText(), QStringLiteral("Ann Oak"));
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(platform::BytesFromQString(QGuiApplication::clipboard()->text()), "Ann Oak");
    EXPECT_EQ(prompts.ClipboardText(), "");  // no copy of the view as well
    // And the copy is text: Ctrl+V puts it back in, nothing else changes.
    Key(Qt::Key_End);
    Key(Qt::Key_V, Qt::ControlModifier);
    Key(Qt::Key_Tab);
    EXPECT_EQ(ExpertTable[1]->Name.str(), "Ann OakAnn Oak");
    EXPECT_EQ(CountExperts(), 4);
    ASSERT_NO_FATAL_FAILURE(ReopensAsSeenThenCloses(path));
}

// A click on another sheet edits the cell clicked, whether the sheet's activation (which puts
// the cursor on the active expert's row) comes before the mouse press, between press and
// release, or after both (a message box had the keyboard, and the frame comes back later).
// Before, the letter typed could land in the row edited earlier.
TEST_F(SheetTypingTest, AClickEditsTheCellClickedWhateverTheOrderOfActivation) {
    enum class Order { ActivationFirst, BetweenPressAndRelease, ActivationLast };
    for (const Order order : {Order::ActivationFirst, Order::BetweenPressAndRelease, Order::ActivationLast}) {
        SCOPED_TRACE(static_cast<int>(order));
        const std::string path = OpenGolden();
        SheetGrid* experts = ExpertsSheet->ExpertsGrid;
        TItemsSheet* realisations = Realisations();
        ASSERT_NE(realisations, nullptr);
        // Row 2's name typed over and given up.
        Activate(ExpertsSheet);
        Key(Qt::Key_Down);
        Key(Qt::Key_Tab);
        ASSERT_EQ(experts->Row(), 2);
        Type("zz");
        Key(Qt::Key_Escape);
        // A row of the realisations sheet deleted.
        Activate(realisations);
        Key(Qt::Key_F3);
        prompts.QueueAnswer(Answer::Yes);
        Key(Qt::Key_Delete);
        ASSERT_EQ(CountItems(), 4);
        const std::string row2 = ExpertTable[2]->Name.str();
        // Expert row 4's Full Name clicked.
        const QPoint at = experts->visualRect(experts->model()->index(3, 2)).center();
        QWidget box;  // where the keyboard is while the frame is not active (a message box)
        if (order != Order::ActivationFirst) {
            box.show();
            QApplication::setActiveWindow(&box);
            QApplication::processEvents();
        }
        auto comeBack = [&] {
            box.hide();
            QApplication::setActiveWindow(form.get());
            QApplication::processEvents();
        };
        QTest::mousePress(experts->viewport(), Qt::LeftButton, {}, at);
        QApplication::processEvents();
        if (order == Order::BetweenPressAndRelease) comeBack();
        QTest::mouseRelease(experts->viewport(), Qt::LeftButton, {}, at);
        QApplication::processEvents();
        if (order == Order::ActivationLast) comeBack();
        ASSERT_EQ(form->MdiArea->activeSubWindow(), ExpertsSheet);
        EXPECT_EQ(experts->Row(), 4);
        EXPECT_EQ(experts->Col(), 2);
        EXPECT_EQ(ActiveExpert, ExpertTable[4].get());
        Type("Q");
        Key(Qt::Key_Tab);
        EXPECT_EQ(ExpertTable[4]->Name.str(), "Q");
        EXPECT_EQ(ExpertTable[2]->Name.str(), row2);
        ASSERT_NO_FATAL_FAILURE(ReopensAsSeenThenCloses(path));
    }
}

// A key that turns editor mode on leaves the cell's text unselected, the caret at its end: the
// next letter is added, never typed over the whole text. Before, "v" (or F3, F2, Enter) in row
// mode opened the editor with the whole text selected and the next letter replaced an Id.
TEST_F(SheetTypingTest, AModeKeyLeavesNoTextSelected) {
    struct Case {
        const char* name;
        bool items;
        Qt::Key key;
        int row;  // where the editor is then
    };
    const std::vector<Case> cases = {
        {"experts F3", false, Qt::Key_F3, 2}, {"experts F2", false, Qt::Key_F2, 2},
        {"experts v", false, Qt::Key_V, 2},   {"experts Enter", false, Qt::Key_Return, 3},
        {"items F3", true, Qt::Key_F3, 2},    {"items F2", true, Qt::Key_F2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = OpenGolden();
        ASSERT_NE(ComparisonsFromMenu(), nullptr);
        SheetGrid* grid = ExpertsSheet->ExpertsGrid;
        if (c.items) {
            TItemsSheet* sheet = Realisations();
            ASSERT_NE(sheet, nullptr);
            grid = sheet->ItemsGrid;
        } else {
            Activate(ExpertsSheet);
        }
        Key(Qt::Key_F3);
        ASSERT_FALSE(grid->EditorMode());
        Key(Qt::Key_Down);
        Key(c.key);
        ASSERT_TRUE(grid->EditorMode());
        ASSERT_NE(Editor(), nullptr);
        ASSERT_EQ(grid->Row(), c.row);
        ASSERT_EQ(grid->Col(), 1);
        EXPECT_FALSE(Editor()->hasSelectedText());
        const std::string id = c.items ? ItemTable[c.row]->Id.str() : ExpertTable[c.row]->Id.str();
        Type("k");
        Key(Qt::Key_Tab);
        EXPECT_EQ(c.items ? ItemTable[c.row]->Id.str() : ExpertTable[c.row]->Id.str(), id + "k");
        ASSERT_NO_FATAL_FAILURE(ReopensAsSeenThenCloses(path));
    }
}

// Open Case, New Case, Close All and Exit with the case changed in both sheets and every sheet
// open: each runs to its end once the questions are answered Yes or No (the experts sheet does
// not stop it by minimising itself), and a Cancel stops it with every window as it was. Before,
// each of them first closed the other sheets, minimised the experts sheet and stopped.
TEST_F(SheetTypingTest, CaseCommandsRunToTheirEndOnceAnswered) {
    enum class Command { Open, New, CloseAll, Exit };
    for (const Command command : {Command::Open, Command::New, Command::CloseAll, Command::Exit}) {
        for (const Answer answer : {Answer::Yes, Answer::No, Answer::Cancel}) {
            SCOPED_TRACE(static_cast<int>(command) * 10 + static_cast<int>(answer));
            const std::string path = OpenGolden();
            const std::string opened = Snapshot();
            ASSERT_NE(ComparisonsFromMenu(), nullptr);
            Activate(ExpertsSheet);
            Key(Qt::Key_Tab);
            Type("Zed");
            Key(Qt::Key_Tab);
            TItemsSheet* realisations = Realisations();
            ASSERT_NE(realisations, nullptr);
            Type("Ash");
            Key(Qt::Key_Tab);
            const std::string typed = Snapshot();
            ASSERT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified && CaseFile.FileKinds[ItemsFileKind].Modified);
            const int windows = form->OpenChildren().size();
            prompts.Clear();
            prompts.QueueAnswer(answer);
            if (answer == Answer::No) prompts.QueueAnswer(answer);
            switch (command) {
            case Command::Open:
                prompts.QueueOpenFile(path);
                Action("OpenASCIIItemsfle1")->trigger();
                break;
            case Command::New: Action("NewFileButton")->trigger(); break;
            case Command::CloseAll: Action("CloseAllWindows")->trigger(); break;
            case Command::Exit: Action("FileExitItem")->trigger(); break;
            }
            QApplication::processEvents();
            // Yes saves both files at the first question; No is asked for each file.
            EXPECT_EQ(prompts.MessageTexts().size(), answer == Answer::No ? 2u : 1u);
            if (answer == Answer::Cancel) {
                EXPECT_EQ(form->OpenChildren().size(), windows);
                ASSERT_NE(ExpertsSheet, nullptr);
                EXPECT_FALSE(ExpertsSheet->isMinimized());
                EXPECT_EQ(ChildSheets[0], realisations);
                EXPECT_TRUE(form->isVisible());
                EXPECT_EQ(Snapshot(), typed);
                EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified);
                prompts.QueueAnswer(Answer::No);
                prompts.QueueAnswer(Answer::No);
                ASSERT_TRUE(form->CloseChildren());
                continue;
            }
            switch (command) {
            case Command::Open:
                ASSERT_NE(ExpertsSheet, nullptr);
                EXPECT_EQ(Snapshot(), answer == Answer::Yes ? typed : opened);
                break;
            case Command::New:
                EXPECT_EQ(ExpertsSheet, nullptr);
                EXPECT_NE(ChildSheets[0], nullptr);
                EXPECT_EQ(CaseFile.CaseName, "NONAME");
                break;
            case Command::CloseAll: EXPECT_TRUE(form->OpenChildren().isEmpty()); break;
            case Command::Exit:
                EXPECT_FALSE(form->isVisible());
                DropForm();
                ResetGlobals();
                MakeForm();
                break;
            }
            if (command != Command::Open) {
                ASSERT_TRUE(form->CloseChildren());
                OpenThrough(path);
                ASSERT_NE(ExpertsSheet, nullptr);
                EXPECT_EQ(Snapshot(), answer == Answer::Yes ? typed : opened);
            }
            ASSERT_TRUE(form->CloseChildren());
        }
    }
}

// A new case with items and experts typed: one Exit, answered No to each file (the last window
// first), exits. Before, the first Exit asked about the items file and stopped, and a second
// asked about the expert data file.
TEST_F(SheetTypingTest, ExitOfANewCaseAnsweredNoExitsAtOnce) {
    Action("NewFileButton")->trigger();
    QApplication::processEvents();
    ASSERT_NE(ChildSheets[0], nullptr);
    Type("A1");
    Key(Qt::Key_Tab);
    Action("Experts1")->trigger();
    QApplication::processEvents();
    ASSERT_NE(ExpertsSheet, nullptr);
    Type("E1");
    Key(Qt::Key_Tab);
    prompts.Clear();
    prompts.QueueAnswer(Answer::No);
    prompts.QueueAnswer(Answer::No);
    Action("FileExitItem")->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(prompts.MessageTexts(),
              (std::vector<std::string>{"Contents of the case file NONAME.ey has been changed. Save it?",
                                        "Contents of the case file NONAME.iy has been changed. Save it?"}));
}

// The frame goes (the program ends) with every sheet open, text typed and not stored in each
// sheet's cell and rows held by a Cut: nothing is written into a sheet that is already gone.
// Before, the experts grid's editor stored its text into the destroyed sheet's rules.
TEST_F(SheetTypingTest, TheFrameGoesWithTextOpenInEveryCellAndACutHeld) {
    OpenGolden();
    ASSERT_NE(ComparisonsFromMenu(), nullptr);
    TItemsSheet* realisations = Realisations();
    ASSERT_NE(realisations, nullptr);
    Key(Qt::Key_F3);
    prompts.QueueAnswer(Answer::Yes);
    Key(Qt::Key_X, Qt::ControlModifier);
    Key(Qt::Key_F3);
    Type("half");
    Activate(ExpertsSheet);
    Key(Qt::Key_F3);
    Key(Qt::Key_Down);
    prompts.QueueAnswer(Answer::Yes);
    Key(Qt::Key_X, Qt::ControlModifier);
    Key(Qt::Key_F3);
    Type("typed");
    ASSERT_NE(Editor(), nullptr);
    DropForm();
    EXPECT_EQ(ExpertsSheet, nullptr);
    EXPECT_EQ(ChildSheets[0], nullptr);
}

namespace {

// F4 on rows selected in row mode, with the other sheets open: each selected row's filter flag
// flips on its own (flagged rows come free, the others are flagged), rows outside the selection
// and the other table keep theirs, and save, close and reopen give the flags the sheet showed.
class FilterRowsTest : public SheetTypingTest {
protected:
    // The golden case flagged as the strings say ('F' flagged), through the program's own
    // writers, and a program started afresh.
    std::string FlaggedGolden(const std::string& experts, const std::string& items) {
        const std::string path = CopyCase("golden_case", "golden_case");
        DropForm();
        ResetGlobals();
        const CaseFilePaths names = CaseFileNames(path);
        EXPECT_EQ(ReadItemsFile(names.ItemsFile), 0);
        EXPECT_EQ(ReadExpertDataFile(names.ExpertDataFile), 0);
        for (std::size_t i = 0; i < experts.size(); ++i) ExpertTable[i + 1]->FilterFlag = experts[i] == 'F';
        for (std::size_t i = 0; i < items.size(); ++i) ItemTable[i + 1]->FilterFlag = items[i] == 'F';
        SaveCaseFiles(names, true);
        ResetGlobals();
        MakeForm();
        return path;
    }
    static std::string ExpertFlags() { return filter_rows::FlagLetters(ExpertTable); }
    static std::string ItemFlags() { return filter_rows::FlagLetters(ItemTable); }
};

TEST_F(FilterRowsTest, F4FlipsEachSelectedRowOnItsOwn) {
    using filter_rows::Select;
    // Every selection mixes flagged and unflagged rows, and no outcome is all flagged or all
    // clear within it, nor follows the first or the last row clicked. The golden case has 4
    // experts and 5 items.
    const std::vector<filter_rows::FilterCase> cases = {
        {"experts 1 to 4 by keys", false, 1, 4, Select::Keys, "F..F", "..F..", ".FF.", "..F.."},
        {"experts 3 up to 1 by mouse", false, 3, 1, Select::Mouse, ".F..", ".....", "F.F.", "....."},
        {"items 2 to 4 by keys", true, 2, 4, Select::Keys, ".F..", "..F..", ".F..", ".F.F."},
        {"items 5 up to 1 by mouse", true, 5, 1, Select::Mouse, "....", "FF.F.", "....", "..F.F"},
    };
    for (const filter_rows::FilterCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string path = FlaggedGolden(c.ExpertsBefore, c.ItemsBefore);
        OpenThrough(path);
        ASSERT_NE(ExpertsSheet, nullptr);
        ASSERT_EQ(ExpertFlags(), c.ExpertsBefore);
        ASSERT_EQ(ItemFlags(), c.ItemsBefore);
        ASSERT_NE(ComparisonsFromMenu(), nullptr);  // the other sheets of the case are open
        TItemsSheet* realisations = Realisations();
        ASSERT_NE(realisations, nullptr);
        SheetGrid* grid = c.Items ? realisations->ItemsGrid : ExpertsSheet->ExpertsGrid;

        ASSERT_NO_FATAL_FAILURE(filter_rows::PickRows(grid, c));

        Key(Qt::Key_F4);
        EXPECT_EQ(ExpertFlags(), c.ExpertsAfter);
        EXPECT_EQ(ItemFlags(), c.ItemsAfter);
        filter_rows::ExpectGreyedAsFlagged(grid, c.Items ? c.ItemsAfter : c.ExpertsAfter);

        const std::string seen = Snapshot();
        SaveCloseReopen(path);
        EXPECT_EQ(ExpertFlags(), c.ExpertsAfter);
        EXPECT_EQ(ItemFlags(), c.ItemsAfter);
        EXPECT_EQ(Snapshot(), seen);
        if (ExpertsSheet) ExpertsSheet->showMinimized();
        ASSERT_TRUE(form->CloseChildren());
    }
}

}  // namespace

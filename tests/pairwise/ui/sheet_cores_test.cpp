// The sheets' rules without any window: the key table, the cursor rules around the diagonal,
// the mirrored answers and the row operations with their undo, on a small hand-made case.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "pairwise/model/globals.h"
#include "pairwise/model/tables.h"
#include "pairwise/ui/experts_sheet_core.h"
#include "pairwise/ui/items_sheet_core.h"
#include "platform/testing/scripted_prompts.h"

using namespace trindel;

namespace {

using platform::Answer;

// Four items A..D, two experts; expert 1 prefers A to everything and B to C and D, C = D.
class SheetCoresTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        Platform = &prompts;
        RandomNumbers = &prompts;
        for (const char* id : {"A", "B", "C", "D"}) InsertItem(id, std::string("item ") + id, CountItems() + 1);
        InsertExpert("E1", "Eve", 1);
        InsertExpert("E2", "Fay", 2);
        AnswerColumnCount = CountItems();
        ItemsSheetCore sheet(ExpertTable[1].get());
        // Upper triangle typed, the lower one follows as the mirror.
        const char* upper[4][4] = {{"", ">", ">", ">"}, {"", "", ">", ">"}, {"", "", "", "="}, {"", "", "", ""}};
        for (int l = 1; l <= 4; ++l)
            for (int t = l + 1; t <= 4; ++t) sheet.SetEditText(t + 1, l, upper[l - 1][t - 1]);
        ItemsSheetCore second(ExpertTable[2].get());
        second.SetEditText(2 + 2, 1, "<");  // E2: B preferred to A
        CaseFile.FileKinds[ExpertsFileKind].Modified = CaseFile.FileKinds[ItemsFileKind].Modified = false;
    }
    void TearDown() override {
        FreeExpertsUndo();
        FreeItemsUndo();
        ResetGlobals();
        Platform = nullptr;
        RandomNumbers = nullptr;
    }

    // Every comparison of every expert by item ids: what the comparisons sheets show.
    static std::map<std::string, char> Comparisons() {
        std::map<std::string, char> all;
        for (int e = 1; e <= MaxExpertCount; ++e) {
            const TPairExpert* x = ExpertTable[e].get();
            if (!x) continue;
            for (int l = 1; l <= MaxItemCount && ItemTable[l]; ++l)
                for (int t = 1; t <= MaxItemCount && ItemTable[t]; ++t) {
                    if (l == t) continue;
                    const TAnswerRow* row = x->AnswerRows[l].get();
                    EXPECT_TRUE(row && row->Item == ItemTable[l].get()) << "row " << l << " of " << x->Id.str();
                    all[x->Id.str() + ":" + ItemTable[l]->Id.str() + ItemTable[t]->Id.str()] = row ? row->Answers[t]
                                                                                                   : '?';
                }
        }
        return all;
    }
    static std::string ItemIds() {
        std::string ids;
        for (int k = 1; k <= MaxItemCount && ItemTable[k]; ++k) ids += ItemTable[k]->Id.str();
        return ids;
    }

    platform::ScriptedPrompts prompts;
};

TEST_F(SheetCoresTest, AnswersAreStoredMirrored) {
    ItemsSheetCore sheet(ExpertTable[1].get());
    EXPECT_EQ(sheet.CellText(3, 1), " >");  // A against B
    EXPECT_EQ(sheet.CellText(2, 2), " <");  // its mirror
    EXPECT_EQ(sheet.CellText(5, 3), " =");
    EXPECT_EQ(sheet.CellText(4, 4), " =");
    EXPECT_EQ(sheet.CellText(2, 1), " .");
    sheet.SetEditText(4, 2, "<<");  // the first character counts
    EXPECT_EQ(sheet.CellText(4, 2), " <");
    EXPECT_EQ(sheet.CellText(3, 3), " >");
    EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified);
    EXPECT_FALSE(CaseFile.FileKinds[ItemsFileKind].Modified);
    CaseFile.FileKinds[ExpertsFileKind].Modified = false;
    for (const char* ignored : {"", " ", "x", "?<"}) sheet.SetEditText(4, 2, ignored);
    sheet.SetEditText(3, 2, ">");  // the diagonal
    EXPECT_EQ(sheet.CellText(4, 2), " <");
    EXPECT_FALSE(CaseFile.FileKinds[ExpertsFileKind].Modified);
}

// In an open cell x, X, Delete and F4 are text for the editor: no rule acts on them, nothing
// is drawn again (which would put the cell's old text back into the editor).
TEST_F(SheetCoresTest, TextKeysInEditorModeLeaveTheCase) {
    const std::vector<SheetKey> keys = {MakeSheetKey('X'), MakeSheetKey('X', true), MakeSheetKey(vk::Delete),
                                        MakeSheetKey(vk::Delete, true), MakeSheetKey(vk::F4)};
    for (const SheetKey& k : keys) {
        ExpertsSheetCore experts;
        experts.Cursor = GridCursor{1, 1, 1, 2, true, true};
        EXPECT_EQ(experts.KeyRelease(k) & ~unsigned(EffectEditMenu), 0u) << k.Code << " ctrl " << k.Ctrl;
        ItemsSheetCore items(nullptr);
        items.Cursor = GridCursor{1, 1, 1, 2, true, true};
        EXPECT_EQ(items.KeyRelease(k) & ~unsigned(EffectEditMenu), 0u) << k.Code << " ctrl " << k.Ctrl;
    }
    EXPECT_TRUE(prompts.Recorded().empty());
    EXPECT_EQ(CountExperts(), 2);
    EXPECT_EQ(ItemIds(), "ABCD");
    EXPECT_FALSE(ExpertTable[1]->FilterFlag);
    EXPECT_FALSE(CaseFile.FileKinds[ExpertsFileKind].Modified || CaseFile.FileKinds[ItemsFileKind].Modified);

    // In row mode the same keys are the row commands.
    ExpertsSheetCore experts;
    experts.Cursor = GridCursor{1, 1, 1, 1, false, false};
    prompts.QueueAnswer(Answer::No);
    experts.KeyRelease(MakeSheetKey('X', true));
    experts.KeyRelease(MakeSheetKey(vk::F4));
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{"Cut expert row ?"});
    EXPECT_TRUE(ExpertTable[1]->FilterFlag);
    EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified);  // the flag is written with the expert
}

// ConstrainCursor, SkipDot and SkipDotV keep the cursor off the diagonal (4 items: columns
// 2..5, rows 1..4, the diagonal at column row + 1).
TEST_F(SheetCoresTest, CursorRulesAroundTheDiagonal) {
    struct Case {
        const char* rule;
        int d, col, row, wantCol, wantRow;
    } cases[] = {
        {"constrain", 0, 0, 1, 3, 1}, {"constrain", 0, 2, 1, 3, 1}, {"constrain", 0, 5, 4, 4, 4},
        {"constrain", 0, 4, 3, 3, 3}, {"constrain", 0, 5, 2, 5, 2}, {"skip", 1, 3, 2, 4, 2},
        {"skip", 1, 5, 4, 4, 4},      {"skip", -1, 3, 2, 2, 2},     {"skip", -1, 2, 1, 3, 1},
        {"skip", 1, 4, 2, 4, 2},      {"skipv", 1, 3, 2, 3, 3},     {"skipv", 1, 5, 4, 5, 3},
        {"skipv", -1, 2, 1, 2, 2},    {"skipv", -1, 4, 3, 4, 2},    {"skipv", -1, 4, 2, 4, 2},
    };
    for (const Case& c : cases) {
        ItemsSheetCore sheet(ExpertTable[1].get());
        sheet.Cursor.Col = c.col;
        sheet.Cursor.Row = c.row;
        const std::string rule = c.rule;
        if (rule == "constrain")
            sheet.ConstrainCursor();
        else if (rule == "skip")
            sheet.SkipDot(c.d);
        else
            sheet.SkipDotV(c.d);
        EXPECT_EQ(sheet.Cursor.Col, c.wantCol) << c.rule << " " << c.d << " at " << c.col << "," << c.row;
        EXPECT_EQ(sheet.Cursor.Row, c.wantRow) << c.rule << " " << c.d << " at " << c.col << "," << c.row;
    }
    // The realisations view has no diagonal.
    ItemsSheetCore realisations(nullptr);
    realisations.Cursor.Col = 2;
    realisations.Cursor.Row = 1;
    EXPECT_EQ(realisations.ConstrainCursor(), 0u);
    EXPECT_EQ(realisations.Cursor.Col, 2);
}

// Keys of the comparisons view: Home, End, Tab and Shift-Tab land beside the diagonal.
TEST_F(SheetCoresTest, ComparisonsKeysStepOverTheDiagonal) {
    struct Case {
        SheetKey key;
        int col, row, wantCol, wantRow;
    } cases[] = {
        {MakeSheetKey(vk::Home), 4, 1, 3, 1},  // Home: column 2 is row 1's diagonal
        {MakeSheetKey(vk::Home), 4, 3, 2, 3},
        {MakeSheetKey(vk::End), 2, 4, 4, 4},  // End: column 5 is row 4's diagonal
        {MakeSheetKey(vk::End), 2, 2, 5, 2},
        {MakeSheetKey(vk::Tab), 3, 2, 4, 2},  // the view's Tab put the cursor on the diagonal
        {MakeSheetKey(vk::Tab), 5, 4, 4, 4},  // the last cell
        {SheetKey{vk::Tab, true, false, false}, 3, 2, 2, 2},
        {SheetKey{vk::Tab, true, false, false}, 2, 1, 3, 1},
        {MakeSheetKey(vk::Down), 4, 3, 4, 4},  // onto the diagonal from above: one further
        {MakeSheetKey(vk::Up), 2, 1, 2, 2},
    };
    for (const Case& c : cases) {
        ItemsSheetCore sheet(ExpertTable[1].get());
        sheet.Cursor = GridCursor{c.col, c.row, c.row, c.row, true, false};
        sheet.KeyRelease(c.key);
        EXPECT_EQ(sheet.Cursor.Col, c.wantCol) << "key " << c.key.Code << " at " << c.col << "," << c.row;
        EXPECT_EQ(sheet.Cursor.Row, c.wantRow) << "key " << c.key.Code << " at " << c.col << "," << c.row;
    }
    // No row operation exists in the comparisons view.
    ItemsSheetCore sheet(ExpertTable[1].get());
    sheet.Cursor = GridCursor{3, 1, 1, 1, false, false};
    for (SheetKey k : {MakeSheetKey(vk::Delete), MakeSheetKey('X', true), MakeSheetKey('Z', true),
                       MakeSheetKey(vk::Insert), MakeSheetKey(vk::F3), MakeSheetKey(vk::F4)})
        sheet.KeyRelease(k);
    EXPECT_EQ(ItemIds(), "ABCD");
    EXPECT_TRUE(prompts.Recorded().empty());
}

// Del, Cut, Undo and Paste of items keep every comparison with its two items: the held
// rows and columns come back wherever the items land. Every one of them changes the
// expert data file's columns, so both kinds are modified.
TEST_F(SheetCoresTest, ItemRowOperationsKeepTheComparisons) {
    const std::map<std::string, char> before = Comparisons();
    struct Step {
        const char* what;
        int first, last;  // selection (rows)
        SheetKey key;
        const char* ids;  // items afterwards
    };
    const std::vector<std::vector<Step>> runs = {
        {{"del", 2, 2, MakeSheetKey(vk::Delete), "ACD"}, {"undo", 1, 1, MakeSheetKey('Z', true), "ABCD"}},
        {{"cut", 2, 3, MakeSheetKey('X', true), "AD"}, {"undo", 1, 1, MakeSheetKey('Z', true), "ABCD"}},
        {{"cut", 1, 1, MakeSheetKey('X', true), "BCD"}, {"paste", 3, 3, MakeSheetKey('V', true), "BCDA"}},
        {{"cut", 2, 3, MakeSheetKey('X', true), "AD"},
         {"paste", 2, 2, MakeSheetKey('V', true), "ADBC"},
         {"undo of the paste", 1, 1, MakeSheetKey('Z', true), "AD"}},
    };
    for (const auto& run : runs) {
        SetUp();
        for (const Step& s : run) {
            ItemsSheetCore sheet(nullptr);
            sheet.Cursor = GridCursor{1, s.first, s.first, s.last, false, false};
            CaseFile.FileKinds[ExpertsFileKind].Modified = CaseFile.FileKinds[ItemsFileKind].Modified = false;
            prompts.QueueAnswer(Answer::Yes);
            sheet.KeyRelease(s.key);
            ASSERT_EQ(ItemIds(), s.ids) << s.what;
            EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified) << s.what;
            EXPECT_TRUE(CaseFile.FileKinds[ItemsFileKind].Modified) << s.what;
        }
        // Every pair of items still present has the answers it had.
        for (const auto& [pair, answer] : Comparisons()) {
            ASSERT_TRUE(before.count(pair)) << pair;
            EXPECT_EQ(answer, before.at(pair)) << pair << " after " << run.back().what;
        }
        TearDown();
    }
}

// An expert held by an experts Del while items are cut and put back comes back aligned.
TEST_F(SheetCoresTest, HeldExpertFollowsItemOperations) {
    const std::map<std::string, char> before = Comparisons();
    ExpertsSheetCore experts;
    experts.Cursor = GridCursor{1, 1, 1, 1, false, false};
    prompts.QueueAnswer(Answer::Yes);
    experts.KeyRelease(MakeSheetKey(vk::Delete));
    ASSERT_EQ(CountExperts(), 1);
    ItemsSheetCore items(nullptr);
    items.Cursor = GridCursor{1, 2, 2, 2, false, false};
    prompts.QueueAnswer(Answer::Yes);
    items.KeyRelease(MakeSheetKey(vk::Delete));  // B goes
    items.Cursor = GridCursor{1, 1, 1, 1, false, false};
    items.KeyRelease(MakeSheetKey('Z', true));  // and comes back
    ASSERT_EQ(ItemIds(), "ABCD");
    experts.KeyRelease(MakeSheetKey('Z', true));
    ASSERT_EQ(CountExperts(), 2);
    EXPECT_EQ(ExpertTable[1]->Id.str(), "E1");
    EXPECT_EQ(Comparisons(), before);
}

// A change of letter case alone is a change: the file must get it.
TEST_F(SheetCoresTest, LetterCaseChangesMarkTheFile) {
    ExpertsSheetCore experts;
    experts.SetEditText(1, 1, "e1");
    EXPECT_EQ(ExpertTable[1]->Id.str(), "e1");
    EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified);
    CaseFile.FileKinds[ExpertsFileKind].Modified = false;
    experts.SetEditText(2, 1, "EVE");
    EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified);
    CaseFile.FileKinds[ExpertsFileKind].Modified = false;
    experts.SetEditText(2, 1, "  EVE ");  // the same, trimmed
    EXPECT_FALSE(CaseFile.FileKinds[ExpertsFileKind].Modified);
    ItemsSheetCore items(nullptr);
    items.SetEditText(1, 1, "a");
    items.SetEditText(3, 2, "ITEM B");
    EXPECT_EQ(ItemTable[1]->Id.str(), "a");
    EXPECT_EQ(ItemTable[2]->Name.str(), "ITEM B");
    EXPECT_TRUE(CaseFile.FileKinds[ItemsFileKind].Modified);
}

// Enter on the last row creates; elsewhere it only moves on; Ctrl-V with nothing cut keeps
// the record and changes nothing.
TEST_F(SheetCoresTest, EnterInsertAndPasteOfExperts) {
    ExpertsSheetCore experts;
    experts.Cursor = GridCursor{2, 1, 1, 1, true, true};
    experts.KeyRelease(MakeSheetKey(vk::Enter));
    EXPECT_EQ(CountExperts(), 2);
    EXPECT_EQ(experts.Cursor.Row, 2);
    EXPECT_EQ(experts.Cursor.Col, 1);
    EXPECT_FALSE(CaseFile.FileKinds[ExpertsFileKind].Modified);
    experts.KeyRelease(MakeSheetKey(vk::Enter));
    EXPECT_EQ(CountExperts(), 3);
    EXPECT_EQ(experts.Cursor.Row, 3);
    EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified);
    // The new expert has a blank row per item.
    for (int k = 1; k <= 4; ++k) {
        ASSERT_NE(ExpertTable[3]->AnswerRows[k], nullptr);
        EXPECT_EQ(ExpertTable[3]->AnswerRows[k]->Item, ItemTable[k].get());
    }
    experts.KeyRelease(MakeSheetKey('V', true));
    EXPECT_EQ(CountExperts(), 3);
    EXPECT_EQ(ExpertsUndo.Record.Kind, UndoKind::Create);
    experts.KeyRelease(MakeSheetKey('Z', true));
    EXPECT_EQ(CountExperts(), 2);
}

}  // namespace

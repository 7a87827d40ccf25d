#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/core/text.h"
#include "model_test_support.h"
#include "pairwise/model/expert_data_file.h"
#include "pairwise/model/items_file.h"
#include "pairwise/model/tables.h"

using namespace trindel;

using namespace pairtest;

namespace {

std::string Right(const std::string& s, std::size_t w) {
    return s.size() >= w ? s : std::string(w - s.size(), ' ') + s;
}

// A data line laid out column by column: number, expert id, item number, item id, scale,
// then each answer and a blank, then the optional name fields and flag.
std::string DataLine(int number, const std::string& expert, int item, const std::string& itemId,
                     const std::string& answers, const std::string& itemName = "", const std::string& expertName = "",
                     bool flag = false, const std::string& scale = "LOG") {
    std::string line = " " + Right(std::to_string(number), 4) + " " + Right(expert, 8) + " " +
                       Right(std::to_string(item), 4) + " " + Right(itemId, 14) + " " + Right(scale, 3) + " ";
    for (char c : answers) line += std::string(1, c) + " ";
    if (!itemName.empty() || !expertName.empty() || flag) line += Right(itemName, 60) + " ";
    if (!expertName.empty() || flag) line += Right(expertName, 50);
    if (flag) line += " F";
    return line;
}

// An items line: position, Id, the 12-character realisation field, scale, name, flag.
std::string ItemLine(int pos, const std::string& id, const std::string& realisation, const std::string& scale = "LOG",
                     const std::string& name = "", const std::string& flag = "") {
    return " " + Right(std::to_string(pos), 4) + " " + Right(id, 14) + " " + realisation + " " + Right(scale, 3) + " " +
           Right(name, 60) + " " + flag;
}

std::string Lines(const std::vector<std::string>& lines, const char* end = "\r\n") {
    std::string s;
    for (const auto& l : lines) s += l + end;
    return s;
}

// The lines of a file, what the reader returns, and what the tables hold afterwards.
struct ReaderCase {
    const char* what;
    std::vector<std::string> lines;
    int result;
    std::function<void()> check;
};

const std::string Header3 = "* TRINDEL ASCII OUTPUT FILE. NQ=    3";

class CaseReadersTest : public ModelTest {
protected:
    int ReadExperts(const std::vector<std::string>& lines, const char* end = "\r\n") {
        WriteFile("case.ey", Lines(lines, end));
        return ReadExpertDataFile(PathOf("case.ey"));
    }
    int ReadItems(const std::vector<std::string>& lines) {
        WriteFile("case.iy", Lines(lines));
        return ReadItemsFile(PathOf("case.iy"));
    }
    static std::string Row(int e, int r) {
        const TAnswerRow* row = ExpertTable[e] ? ExpertTable[e]->AnswerRows[r].get() : nullptr;
        return row ? std::string(row->Answers.begin() + 1, row->Answers.begin() + 4) : "<none>";
    }
};

// Each case reads an expert data file over the items A, B, C (AnswerColumnCount 3).
TEST_F(CaseReadersTest, ExpertDataReaderCases) {
    const ReaderCase cases[] = {
        {"nq= with two blanks and 7",
         {"* TRINDEL ASCII OUTPUT FILE. nq=  7"},
         0,
         [] { EXPECT_EQ(AnswerColumnCount, 7); }},
        {"no NQ=", {"* TRINDEL ASCII OUTPUT FILE.", DataLine(1, "E1", 1, "A", " ><")}, 1, [] {}},
        {"count 7x", {"* TRINDEL ASCII OUTPUT FILE. NQ=  7x "}, 1, [] {}},
        {"count of 1000 items",
         {"* TRINDEL ASCII OUTPUT FILE. NQ=  1000"},
         0,
         [] { EXPECT_EQ(AnswerColumnCount, 1000); }},
        {"count 1001", {"* TRINDEL ASCII OUTPUT FILE. NQ=  1001"}, 1, [] {}},
        {"count missing", {"* TRINDEL ASCII OUTPUT FILE. NQ=   "}, 1, [] {}},
        {"blank and comment lines",
         {"   ", Header3, "* a later star line is a comment", DataLine(1, "E1", 2, "B", "< >")},
         0,
         [] {
             EXPECT_EQ(ExpertDataHeader, Header3);
             EXPECT_EQ(Row(1, 2), "< >");
         }},
        {"repeated line",
         {Header3, DataLine(1, "E1", 1, "A", " ><"), DataLine(1, "E1", 1, "A", "<<<", "Apple")},
         0,
         [] {
             EXPECT_EQ(Row(1, 1), " ><") << "the first line stays";
             EXPECT_EQ(ItemTable[1]->Name.str(), "") << "the repeat is not read past its scale";
         }},
        {"blank expert id",
         {Header3, DataLine(7, "", 1, "A", " > ")},
         0,
         [] { EXPECT_EQ(ExpertIds(), (std::vector<std::string>{"7"})); }},
        {"answer ?",
         {Header3, DataLine(1, "E1", 1, "a",
                            "?"
                            "?>")},
         0,
         [] {
             EXPECT_EQ(Row(1, 1), "  >") << "read as no answer";
             EXPECT_EQ(CountItems(), 3) << "item ids match in any case";
         }},
        {"short line", {Header3, DataLine(1, "E1", 2, "B", ">").substr(0, 41)}, 0, [] { EXPECT_EQ(Row(1, 2), ">  "); }},
        {"expert missing a middle row",
         {Header3, DataLine(1, "E1", 1, "A", " <>"), DataLine(1, "E1", 3, "C", "<> "),
          DataLine(2, "E2", 2, "B", "> <")},
         0,
         [] {
             EXPECT_EQ(Row(1, 1), " <>");
             EXPECT_EQ(Row(1, 2), "   ") << "a blank row for the item the file left out";
             EXPECT_EQ(Row(1, 3), "<> ") << "answers stay on their items";
             EXPECT_EQ(Row(2, 1), "   ");
             EXPECT_EQ(Row(2, 2), "> <");
             for (int e = 1; e <= 2; ++e)
                 for (int r = 1; r <= 3; ++r) EXPECT_EQ(ExpertTable[e]->AnswerRows[r]->Item, ItemTable[r].get());
         }},
        {"data before the header", {DataLine(1, "E1", 1, "A", " <>"), Header3}, 0, [] { EXPECT_EQ(Row(1, 1), " <>"); }},
        {"names and flag",
         {Header3, DataLine(1, "E1", 1, "A", " <>", "Apples", "Eva", true),
          DataLine(1, "E1", 2, "B", "> >", "Bananas")},
         0,
         [] {
             EXPECT_EQ(ItemTable[1]->Name.str(), "Apples");
             EXPECT_EQ(ItemTable[2]->Name.str(), "Bananas");
             EXPECT_EQ(ExpertTable[1]->Name.str(), "Eva");
             EXPECT_TRUE(ExpertTable[1]->FilterFlag);
             EXPECT_EQ(RowCount(ExpertTable[1].get()), 3);
         }},
        {"an item the items file lacks",
         {Header3, DataLine(1, "E1", 4, "D", "   ", "", "", false, "uni")},
         0,
         [] {
             EXPECT_EQ(ItemIds(), (std::vector<std::string>{"A", "B", "C", "D"}));
             EXPECT_EQ(ItemTable[4]->Scale.str(), "uni");
             EXPECT_EQ(RowCount(ExpertTable[1].get()), 4);
         }},
        {"unprintable expert id",
         {Header3, DataLine(1, "E\t1", 1, "A", " <>")},
         2,
         [] { EXPECT_EQ(CountExperts(), 0); }},
        {"a failing line keeps what came before",
         {Header3, DataLine(1, "E1", 1, "A", " <>"), DataLine(1, "E1", 2, "B", "< >").substr(0, 20)},
         3,
         [] { EXPECT_EQ(Row(1, 1), " <>"); }},
    };
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.what);
        ResetGlobals();
        AddItems({"A", "B", "C"});
        AnswerColumnCount = 3;
        EXPECT_EQ(ReadExperts(c.lines), c.result);
        c.check();
    }
}

TEST_F(CaseReadersTest, ExpertDataReaderLimitsAndStart) {
    EXPECT_EQ(ReadExpertDataFile(PathOf("missing.ey")), 1);

    // LF line ends read as well as CR LF.
    AddItems({"A", "B", "C"});
    EXPECT_EQ(ReadExperts({Header3, DataLine(1, "E1", 1, "A", " <>")}, "\n"), 0);
    EXPECT_EQ(Row(1, 1), " <>");

    // A new file starts from an empty expert table: no expert of the last file stays behind.
    EXPECT_EQ(ReadExperts({Header3, DataLine(1, "X1", 1, "A", " >>"), "garbage"}), 3);
    EXPECT_EQ(ExpertIds(), (std::vector<std::string>{"X1"}));

    // A 1001st expert fails its line.
    std::vector<std::string> lines{Header3};
    for (int e = 1; e <= 1001; ++e) lines.push_back(DataLine(e, "E" + std::to_string(e), 1, "A", "   "));
    EXPECT_EQ(ReadExperts(lines), 1002);
    EXPECT_EQ(CountExperts(), 1000);

    // After the line of item 1000 the position hint points past the table: it is ignored.
    ResetGlobals();
    for (int i = 1; i <= MaxItemCount; ++i) NewItem("I" + std::to_string(i), "", i);
    AnswerColumnCount = 2;
    EXPECT_EQ(ReadExperts({DataLine(1, "E1", 1000, "I1000", "<>"), DataLine(1, "E1", 1, "I1", " >")}), 0);
    EXPECT_EQ(CurrentItemIndex, 2);
    EXPECT_EQ(Row(1, 1), " > ");
}

TEST_F(CaseReadersTest, ItemsReaderCases) {
    const ReaderCase cases[] = {
        {"blank realisation",
         {ItemLine(1, "A", "            ")},
         0,
         [] {
             EXPECT_FALSE(ItemTable[1]->HasRealisation);
             EXPECT_EQ(ItemTable[1]->Realisation, NoValue);
         }},
        {"saved without realisation",
         {ItemLine(1, "A", "-9.996E+0002")},
         0,
         [] {
             EXPECT_TRUE(ItemTable[1]->HasRealisation);
             EXPECT_EQ(ItemTable[1]->Realisation, NoValue);
             EXPECT_FALSE(IsReferenceItem(ItemTable[1].get()));
         }},
        {"realisation with a trailing letter",
         {ItemLine(1, "A", " 1.500E+000x")},
         0,
         [] { EXPECT_FALSE(ItemTable[1]->HasRealisation); }},
        {"flag in column 100, either case",
         {ItemLine(1, "A", " 1.000E+0000", "UNI", "Apples", "F"), ItemLine(2, "B", " 2.000E+0000", "LOG", "", "f")},
         0,
         [] {
             EXPECT_EQ(ItemLine(1, "A", " 1.000E+0000", "UNI", "Apples", "F").find('F', 90), 99u);
             EXPECT_TRUE(ItemTable[1]->FilterFlag);
             EXPECT_TRUE(ItemTable[2]->FilterFlag);
             EXPECT_EQ(ItemTable[1]->Name.str(), "Apples");
             EXPECT_EQ(ItemTable[1]->Scale.str(), "UNI");
             EXPECT_EQ(ItemTable[1]->Realisation, 1.0f);
         }},
        {"unknown scale word",
         {ItemLine(1, "A", " 1.000E+0000", "lin")},
         0,
         [] { EXPECT_EQ(ItemTable[1]->Scale.str(), "LOG"); }},
        {"a second line of an item",
         {ItemLine(1, "A", " 1.000E+0000", "UNI", "first"), ItemLine(2, "a", " 2.000E+0000", "UNI", "second")},
         0,
         [] {
             EXPECT_EQ(CountItems(), 1);
             EXPECT_EQ(ItemTable[1]->Realisation, 1.0f);
             EXPECT_EQ(ItemTable[1]->Name.str(), "first");
         }},
        {"no id",
         {ItemLine(1, "A", " 1.000E+0000"), ItemLine(2, "", " 1.000E+0000")},
         2,
         [] { EXPECT_EQ(ItemIds(), (std::vector<std::string>{"A"})); }},
        {"control character in an id",
         {ItemLine(1, "A", " 1.000E+0000"), ItemLine(2,
                                                     "B\x01"
                                                     "C",
                                                     " 1.000E+0000")},
         2,
         [] {}},
        {"Latin-1 id",
         {ItemLine(1,
                   "B\xE9"
                   "C",
                   " 1.000E+0000")},
         0,
         [] {
             EXPECT_EQ(ItemIds(), (std::vector<std::string>{"B\xE9"
                                                            "C"}));
         }},
    };
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.what);
        ResetGlobals();
        EXPECT_EQ(ReadItems(c.lines), c.result);
        EXPECT_EQ(AnswerColumnCount, CountItems()) << "recounted whatever the outcome";
        c.check();
    }
}

TEST_F(CaseReadersTest, ItemsReaderStartsANewCase) {
    EXPECT_EQ(ReadItemsFile(PathOf("missing.iy")), 1);

    AddItems({"OLD1", "OLD2"});
    AddExpert("E", {"", ""});
    ActiveExpert = ExpertTable[1].get();
    FilteredItems[5] = std::make_unique<TPairItem>();
    EXPECT_EQ(ReadItems({ItemLine(1, "NEW", " 1.000E+0000"), "    2"}), 2);
    EXPECT_EQ(ItemIds(), (std::vector<std::string>{"NEW"})) << "no record of the earlier case stays";
    EXPECT_EQ(CountExperts(), 0);
    EXPECT_EQ(ActiveExpert, nullptr);
    EXPECT_EQ(FilteredItems[5], nullptr);

    std::vector<std::string> lines;
    for (int i = 1; i <= 1001; ++i) lines.push_back(ItemLine(i, "I" + std::to_string(i), " 1.000E+0000"));
    EXPECT_EQ(ReadItems(lines), 1001) << "a 1001st item fails its line";
    EXPECT_EQ(CountItems(), 1000);
}

}  // namespace

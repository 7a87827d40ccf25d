// Inputs a user can produce that a case-file round trip once lost: each reader's table reads
// the files, checks what was read, saves both files, reopens them and compares every field.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "case_snapshot.h"
#include "common/core/real48.h"
#include "model_test_support.h"
#include "pairwise/model/binary_items_file.h"
#include "pairwise/model/expert_data_file.h"
#include "pairwise/model/items_file.h"

using namespace trindel;

using namespace pairtest;

namespace {

std::string Right(const std::string& s, std::size_t w) {
    return s.size() >= w ? s : std::string(w - s.size(), ' ') + s;
}

// An items line: position, Id, the 12-character realisation field, scale, name, flag.
std::string ItemLine(int pos, const std::string& id, const std::string& realisation, const std::string& name = "",
                     const std::string& flag = "", const std::string& scale = "LOG") {
    return " " + Right(std::to_string(pos), 4) + " " + Right(id, 14) + " " + realisation + " " + Right(scale, 3) + " " +
           Right(name, 60) + " " + flag;
}

// An expert data line with the item name and the expert name.
std::string DataLine(int number, const std::string& expert, int item, const std::string& itemId,
                     const std::string& answers, const std::string& itemName = "", const std::string& expertName = "") {
    std::string line = " " + Right(std::to_string(number), 4) + " " + Right(expert, 8) + " " +
                       Right(std::to_string(item), 4) + " " + Right(itemId, 14) + " LOG ";
    for (char c : answers) line += std::string(1, c) + " ";
    if (!itemName.empty() || !expertName.empty()) line += Right(itemName, 60) + " ";
    if (!expertName.empty()) line += Right(expertName, 50);
    return line;
}

std::string Joined(const std::vector<std::string>& lines, const std::string& end) {
    std::string s;
    for (const std::string& l : lines) s += l + end;
    return s;
}

// One record of the binary items file (88 bytes): in-use word 0, short code, Id, name, value.
std::string BinaryRecord(const std::string& code, const std::string& id, const std::string& name, long double value) {
    std::string r(BinaryItemRecordSize, '\0');
    auto put = [&](int offset, int capacity, const std::string& text) {
        r[offset] = static_cast<char>(text.size());
        r.replace(offset + 1, text.size(), text);
        (void)capacity;
    };
    put(2, 3, code);
    put(6, 14, id);
    put(21, 60, name);
    const auto six = Real48(value).Encode();
    for (int k = 0; k < 6; ++k) r[82 + k] = static_cast<char>(six[k]);
    return r;
}

std::string BinaryItemsFile(const std::vector<std::string>& records) {
    std::string bytes = "WTRINDEL" + std::string(BinaryItemRecordSize - 8, '\0');
    for (const std::string& r : records) bytes += r;
    return bytes;
}

// What goes on disk as the case's items file and (when not empty) its expert data file.
struct FaultCase {
    const char* what;
    std::string items;
    std::string experts;
    std::function<void()> check;  // the tables after the first read
};

class CaseFileFaultsTest : public ModelTest {
protected:
    // Reads the case, checks it, saves it under a new name, reopens and compares.
    void RoundTrip(const FaultCase& c) {
        SCOPED_TRACE(c.what);
        ResetGlobals();
        WriteFile("in.iy", c.items);
        if (!c.experts.empty()) WriteFile("in.ey", c.experts);
        ASSERT_EQ(ReadItemsFile(PathOf("in.iy")), 0);
        if (!c.experts.empty()) {
            ASSERT_EQ(ReadExpertDataFile(PathOf("in.ey")), 0);
        }
        c.check();
        const CaseFields read = Snapshot();

        ASSERT_TRUE(WriteItemsFile(PathOf("out.iy")));
        ASSERT_TRUE(WriteExpertDataFile(PathOf("out.ey")));
        for (const char* file : {"out.iy", "out.ey"}) {
            const std::string bytes = ReadFile(PathOf(file));
            EXPECT_EQ(bytes.find_first_of("\r\n"), bytes.find("\r\n")) << file << ": a line end inside a line";
        }
        ResetGlobals();
        ASSERT_EQ(ReadItemsFile(PathOf("out.iy")), 0) << ReadFile(PathOf("out.iy"));
        ASSERT_EQ(ReadExpertDataFile(PathOf("out.ey")), 0) << ReadFile(PathOf("out.ey"));
        const CaseFields reopened = Snapshot();
        EXPECT_EQ(reopened, read) << "read:\n" << Describe(read) << "reopened:\n" << Describe(reopened);
    }
};

// "\xC4pfel" is Latin-1, "\xC3\x84pfel" UTF-8: both are the user's "Äpfel".
TEST_F(CaseFileFaultsTest, ItemsFileTextReader) {
    const std::string crItems = Joined({ItemLine(1, "A1", " 1.250E+0001", "Apples"), ItemLine(2, "B2", "-2.500E+0000"),
                                        ItemLine(3, "C3", " 3.000E+0000", "Cherries", "F")},
                                       "\r");
    const FaultCase cases[] = {
        {"Latin-1 id",
         Joined({ItemLine(1, "\xC4pfel", " 1.250E+0001", "Apples"), ItemLine(2, "B", " 2.000E+0000")}, "\r\n"), "",
         [] {
             EXPECT_EQ(ItemIds(), (std::vector<std::string>{"\xC4pfel", "B"}));
         }},
        {"UTF-8 id and name", Joined({ItemLine(1, "\xC3\x84pfel", " 1.250E+0001", "\xC3\x84pfel vom Baum")}, "\r\n"),
         "",
         [] {
             EXPECT_EQ(ItemIds(), (std::vector<std::string>{"\xC3\x84pfel"}));
             EXPECT_EQ(ItemTable[1]->Name.str(), "\xC3\x84pfel vom Baum");
         }},
        {"CR-only line ends", crItems, "",
         [] {
             EXPECT_EQ(ItemIds(), (std::vector<std::string>{"A1", "B2", "C3"}));
             EXPECT_EQ(ItemTable[2]->Realisation, -2.5f);
             EXPECT_TRUE(ItemTable[3]->FilterFlag);
         }},
        // Four digits of 3.4028e38 would be 3.403E+0038, beyond the largest float.
        {"realisation at the float limit",
         Joined({ItemLine(1, "A", " 3.40282E+38"), ItemLine(2, "B", " -3.4028E+38")}, "\r\n"), "",
         [] {
             EXPECT_EQ(ItemTable[1]->Realisation, 3.40282e38f);
             EXPECT_EQ(ItemTable[2]->Realisation, -3.4028e38f);
             // What the save keeps: the largest four-digit value that reads back.
             ItemTable[1]->Realisation = 3.402e38f;
             ItemTable[2]->Realisation = -3.402e38f;
         }},
        {"CR, LF and CR LF mixed",
         ItemLine(1, "A1", " 1.250E+0001") + "\r" + ItemLine(2, "B2", " 2.000E+0000") + "\n" +
             ItemLine(3, "C3", " 3.000E+0000") + "\r\n" + ItemLine(4, "D4", " 4.000E+0000"),
         "",
         [] {
             EXPECT_EQ(ItemIds(), (std::vector<std::string>{"A1", "B2", "C3", "D4"}));
         }},
    };
    for (const FaultCase& c : cases) RoundTrip(c);
}

TEST_F(CaseFileFaultsTest, ExpertDataFileReader) {
    const std::string items = Joined({ItemLine(1, "A", " 1.000E+0000"), ItemLine(2, "B", " 2.000E+0000")}, "\r\n");
    const std::string header = "* TRINDEL ASCII OUTPUT FILE. NQ=    2";
    const FaultCase cases[] = {
        {"Latin-1 item id of an item the items file lacks", items,
         Joined({"* TRINDEL ASCII OUTPUT FILE. NQ=    3", DataLine(1, "E1", 1, "A", " ><"),
                 DataLine(1, "E1", 2, "B", "< >"), DataLine(1, "E1", 3, "\xC4pfel", "<< ", "Apples")},
                "\r\n"),
         [] {
             EXPECT_EQ(ItemIds(), (std::vector<std::string>{"A", "B", "\xC4pfel"}));
             EXPECT_EQ(ItemTable[3]->Name.str(), "Apples");
         }},
        {"UTF-8 expert id and name", items,
         Joined({header, DataLine(1, "J\xC3\xBCrgen", 1, "A", " >", "", "J\xC3\xBCrgen M\xC3\xBCller"),
                 DataLine(1, "J\xC3\xBCrgen", 2, "B", "< ")},
                "\r\n"),
         [] {
             EXPECT_EQ(ExpertIds(), (std::vector<std::string>{"J\xC3\xBCrgen"}));
             EXPECT_EQ(ExpertTable[1]->Name.str(), "J\xC3\xBCrgen M\xC3\xBCller");
         }},
        {"CR-only line ends", items,
         Joined({header, DataLine(1, "E1", 1, "A", " >", "", "Eva"), DataLine(1, "E1", 2, "B", "< "),
                 DataLine(2, "E2", 1, "A", " <"), DataLine(2, "E2", 2, "B", "> ")},
                "\r"),
         [] {
             EXPECT_EQ(ExpertIds(), (std::vector<std::string>{"E1", "E2"}));
             EXPECT_EQ(ExpertTable[2]->AnswerRows[2]->Answers[1], '>');
         }},
    };
    for (const FaultCase& c : cases) RoundTrip(c);
}

// An id the items file cannot carry is refused where it is read, with the line's number.
TEST_F(CaseFileFaultsTest, ControlCharactersInAnExpertDataIdAreRefusedAtTheirLine) {
    WriteFile("c.iy", ItemLine(1, "A", " 1.000E+0000") + "\r\n");
    ASSERT_EQ(ReadItemsFile(PathOf("c.iy")), 0);
    const std::string header = "* TRINDEL ASCII OUTPUT FILE. NQ=    2";
    struct Case {
        const char* what;
        std::string line;
    } cases[] = {
        {"item id", DataLine(1, "E1", 2,
                             "B\x01"
                             "C",
                             "  ")},
        {"item number taken for a blank item id", DataLine(1, "E1", 2, "", "  ")
                                                      .replace(15, 4,
                                                               "2\x01"
                                                               "22")},
        {"expert id", DataLine(1, "E\t1", 1, "A", "  ")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile("c.ey", Joined({header, DataLine(1, "E0", 1, "A", " >"), c.line}, "\r\n"));
        EXPECT_EQ(ReadExpertDataFile(PathOf("c.ey")), 3);
        EXPECT_EQ(ItemIds(), (std::vector<std::string>{"A"}));
    }
}

TEST_F(CaseFileFaultsTest, BinaryItemsFileReader) {
    const FaultCase cases[] = {
        {"Latin-1 id",
         BinaryItemsFile({BinaryRecord("APF", "\xC4pfel", "\xC4pfel aus dem Garten", 12.5L),
                          BinaryRecord("BIR", "Birnen", "", 3.0L)}),
         "",
         [] {
             EXPECT_EQ(ItemIds(), (std::vector<std::string>{"\xC4pfel", "Birnen"}));
             EXPECT_EQ(ItemTable[1]->Name.str(), "\xC4pfel aus dem Garten");
             EXPECT_EQ(ItemTable[1]->Realisation, 12.5f);
         }},
        {"line feed and CR in a name",
         BinaryItemsFile(
             {BinaryRecord("AP1", "A1", "first\nsecond\rthird", 1.0L), BinaryRecord("BE2", "B2", "Beans", 2.0L)}),
         "",
         [] {
             EXPECT_EQ(ItemIds(), (std::vector<std::string>{"A1", "B2"}));
             EXPECT_EQ(ItemTable[1]->Name.str(), "first second third");
         }},
        {"control characters in an id",
         BinaryItemsFile({BinaryRecord("AP1",
                                       "A\x01"
                                       "1\n",
                                       "", 1.0L)}),
         "", [] { EXPECT_EQ(ItemIds(), (std::vector<std::string>{"A 1"})); }},
        // The stored pair the text items file could not take over: a binary items file and
        // an expert data file naming its Latin-1 item.
        {"Latin-1 item in both files",
         BinaryItemsFile({BinaryRecord("APF", "\xC4pfel", "", 12.5L), BinaryRecord("BIR", "Birnen", "", 3.0L)}),
         Joined({"* TRINDEL ASCII OUTPUT FILE. NQ=    2", DataLine(1, "E1", 1, "\xC4pfel", " >"),
                 DataLine(1, "E1", 2, "Birnen", "< ")},
                "\r\n"),
         [] {
             EXPECT_EQ(CountItems(), 2);
             EXPECT_EQ(ExpertTable[1]->AnswerRows[1]->Item, ItemTable[1].get());
             EXPECT_EQ(ExpertTable[1]->AnswerRows[1]->Answers[2], '>');
         }},
    };
    for (const FaultCase& c : cases) RoundTrip(c);
}

}  // namespace

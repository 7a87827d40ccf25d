#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "common/core/line_io.h"
#include "model_test_support.h"
#include "pairwise/model/binary_items_file.h"
#include "pairwise/model/items_file.h"

using namespace trindel;

using namespace pairtest;

namespace {

struct Expected {
    std::string id;
    std::string name;
    float realisation;
    bool given;
};

// Written by tests/fixtures/reference/binary_items.py together with the file itself.
std::vector<Expected> ExpectedImport() {
    std::vector<Expected> rows;
    for (const std::string& line : ReadTextLines(std::string(FIXTURES_DIR) + "/reference/binary_items.txt")) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t a = line.find('|', 1);
        const std::size_t b = line.find('|', a + 1);
        const std::string tail = line.substr(b + 1);
        rows.push_back({line.substr(1, a - 1), line.substr(a + 1, b - a - 1),
                        std::bit_cast<float>(static_cast<std::uint32_t>(std::stoul(tail.substr(0, 8), nullptr, 16))),
                        tail.substr(9) == "1"});
    }
    return rows;
}

class BinaryItemsTest : public ModelTest {
protected:
    std::string BinaryFile() const { return std::string(FIXTURES_DIR) + "/reference/binary_items.iy"; }

    void ExpectImported() {
        const std::vector<Expected> want = ExpectedImport();
        ASSERT_EQ(want.size(), 4u);
        ASSERT_EQ(CountItems(), 4);
        for (int i = 1; i <= 4; ++i) {
            SCOPED_TRACE(want[i - 1].id);
            const TPairItem& item = *ItemTable[i];
            EXPECT_EQ(item.Id.str(), want[i - 1].id);
            EXPECT_EQ(item.Name.str(), want[i - 1].name);
            EXPECT_EQ(item.Realisation, want[i - 1].realisation);
            EXPECT_EQ(item.HasRealisation, want[i - 1].given);
            EXPECT_EQ(item.Scale.str(), "LOG");
            EXPECT_FALSE(item.FilterFlag);
        }
    }
};

TEST_F(BinaryItemsTest, ImportsTheRecordsInUse) {
    BinaryRecordFile file;
    ASSERT_EQ(OpenBinaryItemsFile(file, BinaryFile(), BinaryItemRecordSize), IoResultOk);
    EXPECT_EQ(RecordCount(file), 7) << "header, six records; the partial tail is no record";
    std::uint8_t record[BinaryItemRecordSize];
    EXPECT_EQ(ReadBinaryRecord(file, 7, record), IoResultReadPastEnd);
    EXPECT_EQ(BinaryIOResult, IoResultReadPastEnd);
    ASSERT_EQ(ReadBinaryRecord(file, 3, record), IoResultOk);
    const BinaryItemRecord oversized = DecodeBinaryItemRecord(record);
    EXPECT_EQ(oversized.Code, "PEA") << "length bytes beyond their fields are cut to the fields";
    EXPECT_EQ(oversized.Id.size(), 14u);
    EXPECT_EQ(oversized.Name.size(), 60u);

    ASSERT_TRUE(ReadBinaryItemsFile(BinaryFile()));
    ExpectImported();
    EXPECT_EQ(ItemTable[1]->Realisation, 1234.5f);
    EXPECT_EQ(ItemTable[2]->Realisation, -2.5f);
}

// The items reader falls back to the binary form when the file is no text file.
TEST_F(BinaryItemsTest, ItemsReaderFallsBackToTheBinaryForm) {
    EXPECT_EQ(ReadItemsFile(BinaryFile()), 0);
    ExpectImported();
    EXPECT_EQ(AnswerColumnCount, 4);
}

TEST_F(BinaryItemsTest, TextFailuresAreReportedWhenTheFileIsNoBinaryFile) {
    // A bad fifth line of a text file: the text lines before it stay, line 5 is reported.
    EXPECT_EQ(ReadItemsFile(Fixture("bad_line5.iy")), 5);
    EXPECT_EQ(ItemIds(), (std::vector<std::string>{"A1", "B2", "C3"}));
    EXPECT_TRUE(ItemTable[3]->FilterFlag);

    // A first line that fails, in a file too short for a record or without a record in use.
    WriteFile("short.iy", "    1\r\n");
    EXPECT_EQ(ReadItemsFile(PathOf("short.iy")), 1);
    std::string deletedOnly(2 * BinaryItemRecordSize, '\0');
    deletedOnly.replace(BinaryItemRecordSize, 11,
                        std::string("\x01\x00\x03"
                                    "DEL"
                                    "\x04"
                                    "Gone",
                                    11));  // deleted
    WriteFile("deleted.iy", deletedOnly);
    EXPECT_FALSE(ReadBinaryItemsFile(PathOf("deleted.iy")));
    EXPECT_EQ(ReadItemsFile(PathOf("deleted.iy")), 1);
    EXPECT_EQ(CountItems(), 0);

    EXPECT_FALSE(ReadBinaryItemsFile(PathOf("missing.iy")));
    EXPECT_EQ(BinaryIOResult, IoResultCannotOpen);
}

}  // namespace

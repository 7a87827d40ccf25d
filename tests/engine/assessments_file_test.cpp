#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "case_builder.h"
#include "case_file_support.h"
#include "column_line.h"
#include "common/core/line_io.h"
#include "engine/assessments_file.h"
#include "engine/case_columns.h"
#include "engine/globals.h"
#include "engine/items_file.h"
#include "engine/tables.h"

using namespace halvorine;

using namespace casefiles_test;
using ::testing::ElementsAre;

namespace {

const std::string Banner = "* OBRIX ASCII OUTPUT FILE. ";
const std::string Levels3 = Banner + "NQ=   3   QU=   5  50  95";

std::string Levels(int count, int from, int step) {
    std::string h = Banner + "NQ=  " + (count < 10 ? " " : "") + std::to_string(count) + "   QU=";
    for (int k = 0; k < count; ++k) {
        std::string p = std::to_string(from + k * step);
        h += std::string(4 - p.size(), ' ') + p;
    }
    return h;
}

class AssessmentsFileTest : public CaseFileTest {
protected:
    // A case state a failed header must leave alone.
    void PriorLevels() {
        testcase::SetLevels({10, 90});
        AssessmentHeader = "prior header";
    }
    void ExpectPriorLevels() {
        EXPECT_EQ(QuantileCount, 2);
        EXPECT_FLOAT_EQ(QuantileLevels[1], 0.1f);
        EXPECT_FLOAT_EQ(QuantileLevels[2], 0.9f);
        EXPECT_FLOAT_EQ(BinProbabilities[1], 0.1f);
        EXPECT_FLOAT_EQ(BinProbabilities[2], 0.8f);
        EXPECT_FLOAT_EQ(BinProbabilities[3], 0.1f);
        EXPECT_EQ(AssessmentHeader, "prior header");
    }
    std::vector<float> ValuesOf(int e, int slot) const {
        std::vector<float> v;
        const TAssessment* a = ExpertTable[e]->Assessments[slot].get();
        for (int k = 1; k <= QuantileCount; ++k) v.push_back(a->Values[k]);
        return v;
    }
};

// ------------------------------------------------------------------------------- header

TEST_F(AssessmentsFileTest, HeaderCases) {
    const struct {
        const char* what;
        std::string header;
        std::vector<float> percents;  // empty: the header fails
    } cases[] = {
        {"valid", Levels3, {5, 50, 95}},
        {"lower-case keys", "* nq=   2   qu=  10  90", {10, 90}},
        {"a level with decimals", Banner + "NQ=   2   QU=12.5  50", {12.5f, 50}},
        {"25 levels", Levels(25, 3, 3), {3,  6,  9,  12, 15, 18, 21, 24, 27, 30, 33, 36, 39,
                                         42, 45, 48, 51, 54, 57, 60, 63, 66, 69, 72, 75}},
        {"50/5/95: falling", Banner + "NQ=   3   QU=  50   5  95", {}},
        {"5/50/150: above 100 %", Banner + "NQ=   3   QU=   5  50 150", {}},
        {"50/50/95: equal levels", Banner + "NQ=   3   QU=  50  50  95", {50, 50, 95}},
        {"a level of 0 %", Banner + "NQ=   3   QU=   0  50  95", {}},
        {"a level of 100 %", Banner + "NQ=   3   QU=   5  50 100", {}},
        {"too many levels: 30", Banner + "NQ=  30   QU=   5  50  95", {}},
        {"too many levels: 26 listed", Levels(26, 1, 3), {}},
        {"no levels: 0", Banner + "NQ=   0   QU=", {}},
        {"count written left-aligned", Banner + "NQ=3      QU=   5  50  95", {}},
        {"level written left-aligned", Banner + "NQ=   3   QU=5    50  95", {}},
        {"fewer levels than the count", Banner + "NQ=   3   QU=   5  50", {}},
        {"no QU=", Banner + "NQ=   3", {}},
        {"no NQ=", Banner + "QU=   5  50  95", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Directly, as the levels dialog's caller parses it.
        ResetGlobals();
        PriorLevels();
        EXPECT_EQ(ParseAssessmentHeader(c.header), !c.percents.empty());
        if (c.percents.empty()) ExpectPriorLevels();

        // And from a file, where the header is line 2 after a blank line.
        ResetGlobals();
        PriorLevels();
        const std::string file = PutLines("header.dtt", {"", c.header});
        // A level at 0 % or at 100 % and more is refused with a warning that says why.
        const bool outside = std::string(c.what).find(" %") != std::string::npos;
        if (outside) prompts_.QueueAnswer(platform::Answer::Ok);
        const int failed = ReadAssessmentsFile(file);
        EXPECT_EQ(prompts_.AllAnswersUsed(), true);
        if (c.percents.empty()) {
            EXPECT_EQ(failed, 2);
            ExpectPriorLevels();
            continue;
        }
        EXPECT_EQ(failed, 0);
        EXPECT_EQ(AssessmentHeader, c.header);
        ASSERT_EQ(QuantileCount, static_cast<int>(c.percents.size()));
        for (int k = 1; k <= QuantileCount; ++k) EXPECT_FLOAT_EQ(QuantileLevels[k], c.percents[k - 1] / 100) << k;
        EXPECT_FLOAT_EQ(BinProbabilities[QuantileCount + 1], 1 - c.percents.back() / 100);
    }
}

TEST_F(AssessmentsFileTest, MergeWithOtherLevelsFailsAtItsHeaderAndChangesNothing) {
    ASSERT_EQ(ReadAssessmentsFile(Fixture("case.dtt")), 0);
    const auto before = CaseSnapshot();
    const std::string header = AssessmentHeader;
    const auto row = AssessmentRow("1", "E9", "1", "X1", "UNI", {"1", "2", "3"});

    const std::string other = PutLines("other.dtt", {"", Banner + "NQ=   3   QU=  10  50  90", row});
    EXPECT_EQ(ReadAssessmentsFile(other), 2);
    EXPECT_EQ(CaseSnapshot(), before);
    EXPECT_EQ(AssessmentHeader, header);

    const std::string fewer = PutLines("fewer.dtt", {Banner + "NQ=   2   QU=   5  95", row});
    EXPECT_EQ(ReadAssessmentsFile(fewer), 1);
    EXPECT_EQ(CaseSnapshot(), before);

    // The same levels merge: the new expert follows the others and gets every item.
    ExpertCount = 3;
    const std::string same = PutLines("same.dtt", {"* merged NQ=   3   QU=   5  50  95", row});
    EXPECT_EQ(ReadAssessmentsFile(same), 0);
    EXPECT_EQ(ExpertCount, 4);
    ASSERT_TRUE(ExpertTable[4]);
    EXPECT_EQ(ExpertTable[4]->Id.str(), "E9");
    EXPECT_THAT(ValuesOf(4, 1), ElementsAre(1, 2, 3));
    EXPECT_THAT(ValuesOf(4, 2), ElementsAre(NoValue, NoValue, NoValue));
    EXPECT_EQ(ExpertTable[4]->Assessments[3]->Item, ItemTable[3].get());
    const auto after = CaseSnapshot();
    ASSERT_GT(after.size(), before.size());
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin())) << "the open case's records stay as they were";
}

TEST_F(AssessmentsFileTest, DataLineNeedsKnownLevels) {
    const auto row = AssessmentRow("1", "E1", "1", "X1", "UNI", {"1", "2", "3"});
    const std::string file = PutLines("nohead.dtt", {row});
    EXPECT_EQ(ReadAssessmentsFile(file), 1) << "no header and no levels in force";
    EXPECT_FALSE(ItemTable[1]);
    EXPECT_FALSE(ExpertTable[1]);

    testcase::SetLevels({5, 50, 95});
    EXPECT_EQ(ReadAssessmentsFile(file), 0) << "a file without a header keeps the levels in force";
    EXPECT_THAT(ValuesOf(1, 1), ElementsAre(1, 2, 3));
}

// ------------------------------------------------------------------------------- reader

TEST_F(AssessmentsFileTest, ReaderLineRules) {
    const std::string file = PutLines(
        "rules.dtt",
        {
            Levels3,
            "",
            "* a second header, ignored: NQ=   9   QU=",
            // No expert id: the number word stands in. A value that is no number is missing.
            AssessmentRow("12", "", "1", "X1", "uni", {"1", "2.5e0", "abc"}, "Item one", "Twelve", true),
            // The same expert and item again: only the scale counts.
            AssessmentRow("12", "", "1", "X1", "LOG", {"7", "8", "9"}, "Other name", "Other"),
            // Shorter than the name columns.
            AssessmentRow("2", "E2", "2", "X2", "UNI", {"10", " 2.00000E+0001", "3.0E1"}),
            ColumnLine({{2, 5, "3"}, {7, 14, "E3"}}),  // no item: fails
            AssessmentRow("4", "E4", "1", "X1", "UNI", {"1", "2", "3"}),
        },
        "\n");
    prompts_.QueueAnswer(platform::Answer::Ok);
    EXPECT_EQ(ReadAssessmentsFile(file), 7) << "the blank line counts";
    EXPECT_EQ(prompts_.MessageTexts(),
              std::vector<std::string>{file + " holds at line 4 a value that is not a number the program can store.\n\r"
                                              "Such values are read as missing."});

    ASSERT_TRUE(ExpertTable[1]);
    const TExpert& twelve = *ExpertTable[1];
    EXPECT_EQ(twelve.Id.str(), "12");
    EXPECT_EQ(twelve.Name.str(), "Twelve");
    EXPECT_TRUE(twelve.FilterFlag);
    EXPECT_THAT(ValuesOf(1, 1), ElementsAre(1, 2.5f, NoValue));
    EXPECT_EQ(ItemTable[1]->Name.str(), "Item one");
    EXPECT_EQ(ItemTable[1]->Scale.str(), "LOG");

    const TExpert& e2 = *ExpertTable[2];
    EXPECT_EQ(e2.Name.str(), "");
    EXPECT_FALSE(e2.FilterFlag);
    EXPECT_THAT(ValuesOf(2, 2), ElementsAre(10, 20, 30));
    EXPECT_EQ(ItemTable[2]->Name.str(), "");
    EXPECT_EQ(ItemTable[2]->Scale.str(), "UNI");
    EXPECT_FALSE(ExpertTable[3]) << "reading stopped at the failing line";
    EXPECT_EQ(ExpertCount, 0);
}

TEST_F(AssessmentsFileTest, SkippedItemKeepsItsSlotWithAndWithoutItemsFile) {
    for (const bool withItems : {false, true}) {
        SCOPED_TRACE(withItems ? "with the items file" : "assessments file only");
        ResetGlobals();
        ASSERT_EQ(ReadAssessmentsFile(Fixture("skipped.dtt")), 0);
        if (withItems) {
            ASSERT_EQ(ReadItemsFile(Fixture("skipped.rls")), 0);
            EXPECT_EQ(ItemTable[2]->Realisation, 5.0f);
        }
        ASSERT_EQ(testcase::ItemIds(), (std::vector<std::string>{"X1", "X2", "X3"}));

        const TAssessment* skipped = AssessmentAt(2, 2);
        ASSERT_TRUE(skipped);
        EXPECT_EQ(skipped->Item, ItemTable[2].get());
        EXPECT_THAT(std::vector<float>(skipped->Values + 1, skipped->Values + 4),
                    ElementsAre(NoValue, NoValue, NoValue));
        const TAssessment* third = AssessmentAt(2, 3);
        ASSERT_TRUE(third);
        EXPECT_EQ(third->Item, ItemTable[3].get());
        EXPECT_THAT(std::vector<float>(third->Values + 1, third->Values + 4), ElementsAre(7.5f, 8.5f, 9.5f));

        for (int e = 1; e <= 2; ++e) {
            for (int i = 1; i <= 3; ++i)
                EXPECT_EQ(ExpertTable[e]->Assessments[i]->Item, ItemTable[i].get()) << e << " " << i;
            EXPECT_FALSE(ExpertTable[e]->Assessments[4]) << "no extra slot";
        }
    }
}

TEST_F(AssessmentsFileTest, ExpertsBeyondTheTableAreDiscardedWithOneWarning) {
    std::vector<std::string> lines = {Levels3};
    for (int e = 1; e <= 1002; ++e)
        lines.push_back(AssessmentRow(std::to_string(e), "E" + std::to_string(e), "1", "X1", "UNI", {"1", "2", "3"}));
    const std::string file = PutLines("many.dtt", lines);
    prompts_.QueueAnswer(platform::Answer::Ok);
    EXPECT_EQ(ReadAssessmentsFile(file), 0);
    EXPECT_THAT(prompts_.MessageTexts(),
                ElementsAre(file + " contains more experts than this version of the program can support (max 1000)."
                                   "\n\rThe extraneous experts are discarded."));
    EXPECT_EQ(prompts_.Recorded()[0].MessageKind, platform::MessageKind::Warning);
    EXPECT_EQ(ExpertTable[1000]->Id.str(), "E1000");
    EXPECT_FALSE(ExpertTable[1001]);
}

// ------------------------------------------------------------------------------- reading in pieces

// The reader takes the file a piece at a time; whatever the pieces, the case read, the warnings
// and the line a read stops at are those of the file read whole.
class PieceReadingTest : public AssessmentsFileTest {
protected:
    struct Read {
        int failed;
        std::vector<std::string> snapshot;
        std::vector<std::string> messages;
        std::string header;
    };
    // lines split as the whole file's bytes are, read through the line-vector reader.
    Read WholeRead(const std::string& path, int warnings) {
        ResetGlobals();
        prompts_.Clear();
        for (int k = 0; k < warnings; ++k) prompts_.QueueAnswer(platform::Answer::Ok);
        const int failed = ReadAssessmentLines(path, SplitTextLines(ReadFile(path)));
        return {failed, CaseSnapshot(), prompts_.MessageTexts(), AssessmentHeader};
    }
    Read PieceRead(const std::string& path, std::size_t piece, int warnings) {
        ResetGlobals();
        prompts_.Clear();
        for (int k = 0; k < warnings; ++k) prompts_.QueueAnswer(platform::Answer::Ok);
        const int failed = ReadAssessmentsFile(path, piece, MaxAssessmentsFileBytes);
        return {failed, CaseSnapshot(), prompts_.MessageTexts(), AssessmentHeader};
    }
    static void ExpectSame(const Read& got, const Read& want) {
        EXPECT_EQ(got.failed, want.failed);
        EXPECT_EQ(got.snapshot, want.snapshot);
        EXPECT_EQ(got.messages, want.messages);
        EXPECT_EQ(got.header, want.header);
    }
};

// A line straddles a piece boundary at every offset: blank lines in front shift the file by
// one byte at a time against the pieces. The line ends are CR LF (a CR may end one piece and its
// LF start the next), LF and CR, and the last line has none.
TEST_F(PieceReadingTest, EveryPieceSizeReadsTheCaseOfTheWholeFile) {
    const std::string crlf = ReadFile(Fixture("case.dtt"));
    const auto withEnds = [&crlf](const std::string& eol) {
        std::string out;
        for (const std::string& line : SplitTextLines(crlf)) out += line + eol;
        return out;
    };
    const std::string lf = withEnds("\n");
    const struct {
        const char* what;
        std::string bytes;
        int warnings;
    } files[] = {
        {"CR LF", crlf, 0},
        {"LF", lf, 0},
        {"CR", withEnds("\r"), 0},
        {"no line end after the last line", crlf.substr(0, crlf.size() - 2), 0},
        {"a value that is no number, and a line that fails",
         Levels3 + "\r\n" + AssessmentRow("1", "E1", "1", "X1", "UNI", {"1", "1e39", "3"}, "Item one", "Ann", true) +
             "\r\n\r\n" + AssessmentRow("1", "E1", "2", "X2", "LOG", {"4", "5", "6"}) + "\r\n" +
             ColumnLine({{2, 5, "2"}, {7, 14, "E2"}}) + "\r\n" +
             AssessmentRow("3", "E3", "1", "X1", "UNI", {"1", "2", "3"}),
         1},
    };
    for (const auto& f : files) {
        for (int shift = 0; shift < 7; ++shift) {
            const std::string path =
                WriteFile("pieces.dtt", std::string(static_cast<std::size_t>(shift), '\n') + f.bytes).string();
            const Read whole = WholeRead(path, f.warnings);
            ASSERT_GT(whole.snapshot.size(), 3u) << f.what;
            ASSERT_EQ(whole.messages.size(), static_cast<std::size_t>(f.warnings)) << f.what;
            for (std::size_t piece : {1, 2, 3, 5, 7, 8, 64, 1 << 20}) {
                SCOPED_TRACE(std::string(f.what) + ", shifted " + std::to_string(shift) + ", piece " +
                             std::to_string(piece));
                ExpectSame(PieceRead(path, piece, f.warnings), whole);
            }
        }
    }
}

// Read in pieces of 7 bytes and written again: the bytes of the program's own file come back.
TEST_F(PieceReadingTest, ReadInSmallPiecesAndWrittenGivesTheFileBack) {
    ASSERT_EQ(ReadAssessmentsFile(Fixture("case.dtt"), 7, MaxAssessmentsFileBytes), 0);
    ASSERT_EQ(ReadItemsFile(Fixture("case.rls")), 0);
    ASSERT_TRUE(WriteAssessmentsFile(PathOf("again.dtt")));
    EXPECT_EQ(ReadFile(PathOf("again.dtt")), ReadFile(Fixture("case.dtt")));
}

// Bytes through a named pipe: a file still being written, whose size nobody knows before it is
// read. All of them are in the pipe before the reader can read the last one.
class PipeFeed {
public:
    PipeFeed(const std::string& path, std::string bytes) : path_(path) {
        EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
        writer_ = std::thread([this, bytes = std::move(bytes)] {
            const int fd = ::open(path_.c_str(), O_WRONLY);
            if (fd < 0) return;
            for (std::size_t done = 0; done < bytes.size();) {
                const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
                if (n <= 0) break;
                done += static_cast<std::size_t>(n);
            }
            ::close(fd);
        });
    }
    ~PipeFeed() {
        writer_.join();
        ::unlink(path_.c_str());
    }

private:
    std::string path_;
    std::thread writer_;
};

// A read that breaks off (here: a file that turns out larger than the reader takes, found on its
// last piece) leaves the open case exactly as it was: no new item or expert, no filled slot, no
// name, flag, scale or header of the file.
TEST_F(PieceReadingTest, AReadThatBreaksOffLeavesTheCaseAsItWas) {
    const std::string merged =
        "* merged NQ=   3   QU=   5  50  95\r\n" +
        // E1 assesses a new item: a new item record, a slot filled in an expert already there, a flag.
        AssessmentRow("1", "E1", "4", "X4", "LOG", {"1", "2", "3"}, "Fourth", "", true) + "\r\n" +
        // Expert02 (no name yet) is named; X2 gets another scale from a line otherwise ignored.
        AssessmentRow("2", "Expert02", "4", "X4", "LOG", {"4", "5", "6"}, "", "Bob") + "\r\n" +
        AssessmentRow("2", "Expert02", "2", "X2", "UNI", {"7", "8", "9"}) + "\r\n" +
        // A new expert, who names X2 (no name yet).
        AssessmentRow("9", "N9", "2", "X2", "UNI", {"4", "5", "6"}, "Named now", "Newcomer") + "\r\n";
    const struct {
        const char* what;
        bool open;  // a case is open: the file merges into it
    } cases[] = {{"merge", true}, {"fresh read", false}};
    for (const auto& c : cases) {
        for (std::size_t piece : {1, 7, 64, 1 << 20}) {
            SCOPED_TRACE(std::string(c.what) + ", piece " + std::to_string(piece));
            ResetGlobals();
            if (c.open) {
                ASSERT_EQ(ReadAssessmentsFile(Fixture("case.dtt")), 0);
                ASSERT_EQ(ReadItemsFile(Fixture("case.rls")), 0);
                ExpertCount = 3;
            } else {
                PriorLevels();
            }
            const auto before = CaseSnapshot();
            const std::string header = AssessmentHeader;
            const int items = ItemCount;
            const int experts = ExpertCount;

            const std::string path = PathOf("pipe.dtt");
            {
                PipeFeed feed(path, merged);
                EXPECT_THROW(ReadAssessmentsFile(path, piece, merged.size() - 1), IoError);
            }
            EXPECT_EQ(CaseSnapshot(), before);
            EXPECT_EQ(AssessmentHeader, header);
            EXPECT_EQ(ItemCount, items);
            EXPECT_EQ(ExpertCount, experts);
            if (!c.open) ExpectPriorLevels();

            // The same bytes within the limit do change all of that.
            {
                PipeFeed feed(path, merged);
                EXPECT_EQ(ReadAssessmentsFile(path, piece, merged.size()), 0);
            }
            EXPECT_NE(CaseSnapshot(), before);
            EXPECT_EQ(AssessmentHeader, "* merged NQ=   3   QU=   5  50  95");
            if (c.open) {
                EXPECT_TRUE(ExpertTable[1]->FilterFlag);
                EXPECT_EQ(ExpertTable[2]->Name.str(), "Bob");
                EXPECT_EQ(ItemTable[2]->Name.str(), "Named now");
                EXPECT_EQ(ItemTable[2]->Scale.str(), "UNI");
                EXPECT_EQ(ItemTable[4]->Id.str(), "X4");
                EXPECT_EQ(ExpertTable[4]->Id.str(), "N9");
                EXPECT_EQ(ExpertCount, 4);
            }
        }
    }
}

// ------------------------------------------------------------------------------- writer

class AssessmentsWriterTest : public AssessmentsFileTest {
protected:
    void SetUp() override {
        AssessmentsFileTest::SetUp();
        testcase::SetLevels({5, 50, 95});
        AssessmentHeader = Levels3 + " ";
    }
    std::vector<std::string> Written() {
        const std::string path = PathOf("out.dtt");
        EXPECT_TRUE(WriteAssessmentsFile(path));
        return ReadTextLines(path);
    }
};

// Six digits would change these: they are written with the digits they need.
TEST_F(AssessmentsWriterTest, ValuesComeBackAsTheyWereSaved) {
    testcase::AddItem("X1", "UNI");
    testcase::AddExpert("E1", {{123.4567f, -0.000123456789f, 98765432.0f}});
    Written();
    ResetGlobals();
    ASSERT_EQ(ReadAssessmentsFile(PathOf("out.dtt")), 0);
    EXPECT_THAT(ValuesOf(1, 1), ElementsAre(123.4567f, -0.000123456789f, 98765432.0f));
}

TEST_F(AssessmentsWriterTest, RecordsWithoutIdGetDefaultIdsInsteadOfBeingDropped) {
    testcase::AddItem("X1", "UNI");
    testcase::AddItem("", "UNI");
    testcase::AddExpert("E1", {{1, 2, 3}, {4, 5, 6}});
    testcase::AddExpert("", {{7, 8, 9}, {10, 11, 12}});
    Written();
    ResetGlobals();
    ASSERT_EQ(ReadAssessmentsFile(PathOf("out.dtt")), 0);
    EXPECT_EQ(testcase::ItemIds(), (std::vector<std::string>{"X1", "_item  2"}));
    EXPECT_EQ(testcase::ExpertIds(), (std::vector<std::string>{"E1", "_exp   2"}));
    EXPECT_THAT(ValuesOf(2, 2), ElementsAre(10, 11, 12));
}

// A flagged expert with a name: the flag stays in its column on every line that carries a name
// part, and the name field holds the name or blanks, never the flag.
TEST_F(AssessmentsWriterTest, FlagKeepsItsColumnAfterAnItemName) {
    testcase::AddItem("X1", "UNI");
    testcase::AddItem("X2", "LOG")->Name = "Second";
    TExpert* ann = testcase::AddExpert("E1", {{1, 2, 3}, {4, 5, 6}});
    ann->Name = "Ann";
    ann->FilterFlag = true;
    const std::vector<std::string> one = {" 1.00000E+0000", " 2.00000E+0000", " 3.00000E+0000"};
    const std::vector<std::string> two = {" 4.00000E+0000", " 5.00000E+0000", " 6.00000E+0000"};
    EXPECT_THAT(Written(), ElementsAre(Levels3, AssessmentRow("1", "E1", "1", "X1", "UNI", one, "", "Ann", true),
                                       AssessmentRow("1", "E1", "2", "X2", "LOG", two, "Second", "", true)));
}

TEST_F(AssessmentsWriterTest, ExpertNameGoesOnItsFirstLine) {
    testcase::AddItem("X1", "UNI");
    testcase::AddItem("X2", "UNI")->Name = "Second";
    testcase::AddExpert("E0", {{1, 2, 3}, {4, 5, 6}});
    TExpert* ann = testcase::AddExpert("E1", {{1, 2, 3}, {4, 5, 6}});
    ann->Name = "Ann";
    ann->FilterFlag = true;
    ann->Assessments[1].reset();  // Ann gave nothing for X1
    const std::vector<std::string> two = {" 4.00000E+0000", " 5.00000E+0000", " 6.00000E+0000"};
    const auto lines = Written();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3], AssessmentRow("2", "E1", "2", "X2", "UNI", two, "", "Ann", true));

    ResetGlobals();
    ASSERT_EQ(ReadAssessmentsFile(PathOf("out.dtt")), 0);
    EXPECT_EQ(ExpertTable[2]->Name.str(), "Ann");
    EXPECT_TRUE(ExpertTable[2]->FilterFlag);
}

TEST_F(AssessmentsWriterTest, HeaderAndWhoIsWritten) {
    AssessmentHeader.clear();  // a case whose levels were never given a header line
    testcase::AddItem("X1", "UNI");
    testcase::AddExpert("E1", {{1, 2, 3}});
    testcase::AddExpert("E2", {});  // no assessment at all: takes a number, writes no line
    ExpertTable[2]->Assessments[1].reset();
    testcase::AddExpert("E3", {{4, 5, 6}});
    ExpertCount = 3;
    NewExpert("DMaker 1", "", 4)->IsDecisionMaker = true;
    NewAssessment(ExpertTable[4].get(), 1)->Item = ItemTable[1].get();

    const auto lines = Written();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], Levels3);
    EXPECT_EQ(lines[1].substr(0, 14), "    1       E1");
    EXPECT_EQ(lines[2].substr(0, 14), "    3       E3");
}

}  // namespace

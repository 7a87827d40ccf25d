#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/core/line_io.h"
#include "file_size_limit.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace {

class LineIo : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(dir_.empty()); }

    std::string PathOf(const std::string& name) const { return dir_ + "/" + name; }
    void Put(const std::string& name, const std::string& bytes) const {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
    }
    std::string Get(const std::string& name) const {
        std::ifstream in(PathOf(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::size_t FileCount() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }

    test_support::ScratchFolder scratch_{"line_io_test"};
    std::string dir_ = scratch_.Path().string();
};

TEST_F(LineIo, ReadEndsLinesAtCrLfAndCrLf) {
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"\n", {""}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\r\r\n\r\n\nb\r", {"a", "", "", "", "b"}},
        {"\r", {""}},
        {"a\rb\rc", {"a", "b", "c"}},  // CR alone, as old Macs wrote
        {"a\r\rb\r\n\rc\n\r", {"a", "", "b", "", "c", ""}},
        {"a\n\rb", {"a", "", "b"}},  // LF CR is two line ends
        {std::string("x\0y\n\xE9\n", 6), {std::string("x\0y", 3), "\xE9"}},
    };
    for (const auto& c : cases) {
        Put("in.txt", c.bytes);
        EXPECT_EQ(ReadTextLines(PathOf("in.txt")), c.lines);
        // The cursor over the bytes gives the same lines one at a time.
        TextLineCursor cursor(c.bytes);
        std::vector<std::string> one;
        std::string line = "left over";
        while (cursor.Next(line)) one.push_back(line);
        EXPECT_EQ(one, c.lines);
        EXPECT_FALSE(cursor.Next(line));
    }
}

// Every piece size from one byte up puts a piece boundary at every offset of the short cases:
// inside a line, between a CR and its LF, right after a last line without a line end.
TEST_F(LineIo, ReaderInPiecesSplitsAsTheWholeFile) {
    std::vector<std::string> inputs = {
        "",
        "\n",
        "\r",
        "a",
        "a\r\nb\r\n",
        "a\nb",
        "a\r\r\n\r\n\nb\r",
        "a\rb\rc",
        "a\r\rb\r\n\rc\n\r",
        "a\n\rb",
        std::string("x\0y\n\xE9\n", 6),
    };
    // Lines of every length to 40 with the three line ends in turn, the last one without.
    std::string mixed;
    const char* const ends[] = {"\r\n", "\n", "\r"};
    for (int n = 0; n <= 40; ++n)
        mixed += std::string(static_cast<std::size_t>(n), static_cast<char>('a' + n % 26)) + ends[n % 3];
    inputs.push_back(mixed + "last");
    inputs.push_back(std::string(5000, 'L') + "\r\n" + std::string(3, 's'));  // one line of many pieces
    for (const std::string& bytes : inputs) {
        Put("in.txt", bytes);
        const std::vector<std::string> want = SplitTextLines(bytes);
        for (std::size_t piece : {1, 2, 3, 4, 5, 6, 7, 8, 9, 13, 64, 4096, 1 << 20}) {
            SCOPED_TRACE("piece " + std::to_string(piece) + ", " + std::to_string(bytes.size()) + " bytes");
            TextLineReader reader(PathOf("in.txt"), static_cast<std::size_t>(-1), piece);
            std::vector<std::string> got;
            std::string line = "left over";
            while (reader.Next(line)) got.push_back(line);
            EXPECT_EQ(got, want);
            EXPECT_FALSE(reader.Next(line));
        }
    }
}

// Lines the reader has not yet reached are read as the file is when it gets there; the limit
// counts what was read, so a file that outgrows it is refused when it does.
TEST_F(LineIo, ReaderFollowsAFileThatGrowsOrShrinksWhileRead) {
    Put("grow.txt", "one\r\ntwo\r\n");
    {
        TextLineReader reader(PathOf("grow.txt"), 30, 7);
        std::string line;
        ASSERT_TRUE(reader.Next(line));
        EXPECT_EQ(line, "one");
        std::ofstream(PathOf("grow.txt"), std::ios::binary | std::ios::app) << "three\r\nfour";
        std::vector<std::string> rest;
        while (reader.Next(line)) rest.push_back(line);
        EXPECT_EQ(rest, (std::vector<std::string>{"two", "three", "four"}));
    }
    {
        TextLineReader reader(PathOf("grow.txt"), 30, 7);
        std::string line;
        ASSERT_TRUE(reader.Next(line));
        std::ofstream(PathOf("grow.txt"), std::ios::binary | std::ios::app) << std::string(20, 'x');
        try {
            while (reader.Next(line)) {}
            FAIL() << "no exception";
        } catch (const IoError& e) {
            EXPECT_EQ(e.Path(), PathOf("grow.txt"));
            EXPECT_EQ(e.Reason().rfind("file is too large (", 0), 0u) << e.Reason();
            EXPECT_TRUE(e.Reason().ends_with(" bytes; at most 30 can be read)")) << e.Reason();
        }
    }
    {
        Put("shrink.txt", "alpha\r\nbeta\r\ngamma\r\n");
        TextLineReader reader(PathOf("shrink.txt"), 30, 7);
        std::string line;
        ASSERT_TRUE(reader.Next(line));
        EXPECT_EQ(line, "alpha");
        ASSERT_EQ(::truncate(PathOf("shrink.txt").c_str(), 9), 0);
        std::vector<std::string> rest;
        while (reader.Next(line)) rest.push_back(line);
        EXPECT_EQ(rest, std::vector<std::string>{"be"}) << "the bytes still there, the cut line kept";
    }
    // Refused before anything is read; a folder opens but fails at its first read.
    Put("big.txt", std::string(31, 'b'));
    try {
        TextLineReader reader(PathOf("big.txt"), 30, 7);
        FAIL() << "no exception";
    } catch (const IoError& e) {
        EXPECT_EQ(e.Reason(), "file is too large (31 bytes; at most 30 can be read)");
    }
    EXPECT_THROW(TextLineReader(PathOf("missing.txt")), IoError);
    TextLineReader folder(dir_);
    std::string line;
    EXPECT_THROW(folder.Next(line), IoError);
}

TEST_F(LineIo, ReadFailuresThrow) {
    try {
        ReadTextLines(PathOf("missing.dtt"));
        FAIL() << "no exception";
    } catch (const IoError& e) {
        EXPECT_EQ(e.Path(), PathOf("missing.dtt"));
        EXPECT_EQ(e.Reason(), "No such file or directory");
        EXPECT_EQ(std::string(e.what()), "I/O error on " + PathOf("missing.dtt") + ": No such file or directory");
    }
    EXPECT_THROW(ReadTextLines(dir_), IoError);  // a folder opens but cannot be read
    EXPECT_FALSE(FileExists(PathOf("missing.dtt")));
    EXPECT_FALSE(FileExists(dir_));
    Put("there.rls", "x");
    EXPECT_TRUE(FileExists(PathOf("there.rls")));
}

TEST_F(LineIo, WriterReplacesOnlyOnCommit) {
    Put("case.dtt", "old\r\n");
    {
        TextFileWriter w(PathOf("case.dtt"));
        w.WriteLine("* header");
        w.Write("a b");
        w.WriteLine("");
        EXPECT_EQ(Get("case.dtt"), "old\r\n");  // nothing visible before the commit
        w.Commit();
    }
    EXPECT_EQ(Get("case.dtt"), "* header\r\na b\r\n");
    EXPECT_EQ(FileCount(), 1u);  // no temporary left behind

    {
        TextFileWriter w(PathOf("case.dtt"));
        w.WriteLine("half a save");
    }  // abandoned, e.g. by an exception on the way
    EXPECT_EQ(Get("case.dtt"), "* header\r\na b\r\n");
    EXPECT_EQ(FileCount(), 1u);

    TextFileWriter fresh(PathOf("new.rls"));
    fresh.Commit();
    EXPECT_EQ(Get("new.rls"), "");
    EXPECT_THROW(fresh.WriteLine("after"), IoError);
}

TEST_F(LineIo, WriterKeepsTheTargetsPermissions) {
    Put("case.dtt", "old");
    ASSERT_EQ(chmod(PathOf("case.dtt").c_str(), 0640), 0);
    TextFileWriter w(PathOf("case.dtt"));
    w.Write("new");
    w.Commit();
    struct stat st;
    ASSERT_EQ(stat(PathOf("case.dtt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(LineIo, WriterFailuresThrowAndLeaveTheOldFile) {
    // Root ignores permissions, so the failures come from paths that cannot exist.
    EXPECT_THROW(TextFileWriter(PathOf("no/such/folder/case.dtt")), IoError);
    Put("plain", "not a folder");
    try {
        TextFileWriter w(PathOf("plain/case.dtt"));
        FAIL() << "no exception";
    } catch (const IoError& e) {
        EXPECT_EQ(e.Path(), PathOf("plain/case.dtt"));
        EXPECT_EQ(e.Reason(), "Not a directory");
    }

    // A target that cannot be replaced: the rename fails, the old contents stay and the
    // temporary goes.
    fs::create_directory(PathOf("case.dtt"));
    Put("case.dtt/keep", "old");
    {
        TextFileWriter w(PathOf("case.dtt"));
        w.WriteLine("new");
        EXPECT_THROW(w.Commit(), IoError);
    }
    EXPECT_EQ(Get("case.dtt/keep"), "old");
    EXPECT_EQ(FileCount(), 2u);  // plain and case.dtt only
}

TEST_F(LineIo, WriterRefusesAReadOnlyTargetAndKeepsIt) {
    Put("case.dtt", "old");
    ASSERT_EQ(chmod(PathOf("case.dtt").c_str(), 0444), 0);
    try {
        TextFileWriter w(PathOf("case.dtt"));
        FAIL() << "no exception";
    } catch (const IoError& e) {
        EXPECT_EQ(e.Path(), PathOf("case.dtt"));
        EXPECT_EQ(e.Reason(), "file is read-only");
    }
    EXPECT_EQ(Get("case.dtt"), "old");
    EXPECT_EQ(FileCount(), 1u);
}

TEST_F(LineIo, WriterWritesWhereALinkPoints) {
    fs::create_directory(PathOf("data"));
    Put("data/real.dtt", "old");
    ASSERT_EQ(chmod(PathOf("data/real.dtt").c_str(), 0640), 0);
    fs::create_symlink("data/real.dtt", PathOf("hop.dtt"));
    fs::create_symlink("hop.dtt", PathOf("case.dtt"));         // a link to a link, both relative
    fs::create_symlink("data/fresh.rls", PathOf("case.rls"));  // dangling: created where it points
    {
        TextFileWriter w(PathOf("case.dtt"));
        w.Write("new");
        w.Commit();
        TextFileWriter r(PathOf("case.rls"));
        r.Write("items");
        r.Commit();
    }
    EXPECT_TRUE(fs::is_symlink(PathOf("case.dtt")));
    EXPECT_TRUE(fs::is_symlink(PathOf("hop.dtt")));
    EXPECT_TRUE(fs::is_symlink(PathOf("case.rls")));
    EXPECT_EQ(Get("data/real.dtt"), "new");
    EXPECT_EQ(Get("data/fresh.rls"), "items");
    struct stat st;
    ASSERT_EQ(stat(PathOf("data/real.dtt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(FileCount(), 4u);
    EXPECT_EQ(std::distance(fs::directory_iterator(PathOf("data")), fs::directory_iterator()), 2);

    fs::create_symlink("loop.dtt", PathOf("loop.dtt"));
    EXPECT_THROW(TextFileWriter(PathOf("loop.dtt")), IoError);
}

TEST_F(LineIo, WriterSavesTheLongestFileName) {
    const std::string name = std::string(251, 'n') + ".dtt";  // 255 bytes, the most a name may have
    TextFileWriter w(PathOf(name));
    w.WriteLine("x");
    w.Commit();
    EXPECT_EQ(Get(name), "x\r\n");
    EXPECT_EQ(FileCount(), 1u);
}

TEST_F(LineIo, WriterOnAFullDiskThrowsAndKeepsTheOldFile) {
    Put("case.dtt", "old");
    {
        TextFileWriter w(PathOf("case.dtt"));
        FileSizeLimit full(100);
        EXPECT_THROW(
            {
                w.Write(std::string(5000, 'x'));
                w.Commit();
            },
            IoError);
    }
    EXPECT_EQ(Get("case.dtt"), "old");
    EXPECT_EQ(FileCount(), 1u);
}

// Both files of a pair are replaced, or neither: whichever file fails, and at whatever step.
TEST_F(LineIo, CommitTogetherReplacesBothOrNeither) {
    enum class Fault { None, FirstFull, SecondFull, SecondNotReplaceable };
    struct Case {
        const char* name;
        Fault fault;
    };
    const Case cases[] = {
        {"both written", Fault::None},
        {"first temporary fails", Fault::FirstFull},
        {"second temporary fails", Fault::SecondFull},
        {"second rename fails", Fault::SecondNotReplaceable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(PathOf("pair"));
        fs::create_directory(PathOf("pair"));
        Put("pair/case.dtt", "old dtt");
        if (c.fault == Fault::SecondNotReplaceable) {
            fs::create_directory(PathOf("pair/case.rls"));
        } else {
            Put("pair/case.rls", "old rls");
        }
        const std::string small = "new dtt";
        const std::string big(5000, 'r');
        bool threw = false;
        try {
            TextFileWriter dtt(PathOf("pair/case.dtt"));
            TextFileWriter rls(PathOf("pair/case.rls"));
            dtt.Write(c.fault == Fault::FirstFull ? big : small);
            rls.Write(c.fault == Fault::SecondFull ? big : std::string("new rls"));
            FileSizeLimit full(1000);
            CommitTogether({&dtt, &rls});
        } catch (const IoError&) {
            threw = true;
        }
        EXPECT_EQ(threw, c.fault != Fault::None);
        EXPECT_EQ(Get("pair/case.dtt"), c.fault == Fault::None ? "new dtt" : "old dtt");
        if (c.fault != Fault::SecondNotReplaceable) {
            EXPECT_EQ(Get("pair/case.rls"), c.fault == Fault::None ? "new rls" : "old rls");
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(PathOf("pair")), fs::directory_iterator()), 2)
            << "a temporary or kept old file was left behind";
    }
}

}  // namespace

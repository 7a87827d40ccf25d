#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/core/line_io.h"

namespace fs = std::filesystem;

namespace {

class LineIo : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/line_io_testXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

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

    std::string dir_;
};

TEST_F(LineIo, ReadSplitsOnLfAndDropsOneCr) {
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
        {"a\r\r\n\r\n\nb\r", {"a\r", "", "", "b"}},
        {std::string("x\0y\n\xE9\n", 6), {std::string("x\0y", 3), "\xE9"}},
    };
    for (const auto& c : cases) {
        Put("in.txt", c.bytes);
        EXPECT_EQ(ReadTextLines(PathOf("in.txt")), c.lines);
    }
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

}  // namespace

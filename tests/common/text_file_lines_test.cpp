#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "common/core/text_file_lines.h"
#include "scratch_folder.h"

namespace {

// The lines of `bytes` as the report window has always shown them: cut at every LF, one CR
// before it dropped, and a last piece without LF a line of its own when it is not empty.
std::vector<std::string> Expected(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t lf = bytes.find('\n', start);
        std::size_t end = lf == std::string::npos ? bytes.size() : lf;
        std::size_t stop = end;
        if (stop > start && bytes[stop - 1] == '\r') --stop;
        lines.push_back(bytes.substr(start, stop - start));
        start = lf == std::string::npos ? end : end + 1;
    }
    return lines;
}

class TextFileLinesTest : public ::testing::Test {
protected:
    std::string Put(const std::string& bytes, const std::string& name = "report.ouc") const {
        const std::string path = (scratch_.Path() / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // Every line as read back, the lines asked for back to front so that blocks are read again.
    static std::vector<std::string> All(const TextFileLines& f) {
        std::vector<std::string> lines(static_cast<std::size_t>(f.Count()));
        for (std::int64_t i = f.Count() - 1; i >= 0; --i) lines[static_cast<std::size_t>(i)] = f.Line(i);
        return lines;
    }
    test_support::ScratchFolder scratch_{"text_file_lines_test"};
};

// Line ends of every kind, read in chunks of every small size so that each line end (and a CR
// LF pair) falls on a chunk's edge somewhere, and in one chunk.
TEST_F(TextFileLinesTest, LinesAreTheFilesWhateverTheChunks) {
    std::string many;
    for (int i = 0; i < 3 * TextFileLines::BlockLines + 5; ++i) many += "line " + std::to_string(i) + "\r\n";
    const std::vector<std::string> files = {
        "",
        "\r\n",
        "one\r\ntwo\r\n",
        "one\r\ntwo",
        "a\n\nb\r\n\r\nc\n",
        "cr\ralone\r\n",       // a lone CR stays in its line
        "last ends in cr\r",   // at the end of the file, as before a line end
        "\xC3\xA4nd\xE4\r\n",  // bytes as they are
        many,
    };
    for (const std::string& bytes : files) {
        SCOPED_TRACE(testing::PrintToString(bytes.substr(0, 40)));
        const std::string path = Put(bytes);
        for (std::size_t chunk :
             {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}, std::size_t{1} << 20}) {
            SCOPED_TRACE(chunk);
            TextFileLines f;
            ASSERT_TRUE(f.Open(path));
            int scans = 0;
            while (!f.Scan(chunk)) ASSERT_LT(++scans, 1 << 20);
            EXPECT_TRUE(f.Done());
            EXPECT_EQ(All(f), Expected(bytes));
            std::size_t longest = 0;
            for (const std::string& l : Expected(bytes)) longest = std::max(longest, l.size());
            EXPECT_EQ(f.LongestLine(), longest);
        }
    }
}

// Lines can be read while the scan goes on: those found so far, the last block growing.
TEST_F(TextFileLinesTest, LinesFoundSoFarReadWhileTheScanGoesOn) {
    std::string bytes;
    for (int i = 0; i < 2 * TextFileLines::BlockLines; ++i) bytes += std::to_string(i) + "\r\n";
    TextFileLines f;
    ASSERT_TRUE(f.Open(Put(bytes)));
    const std::vector<std::string> expected = Expected(bytes);
    while (!f.Scan(5)) {
        ASSERT_LE(f.Count(), static_cast<std::int64_t>(expected.size()));
        if (f.Count() > 0) {
            EXPECT_EQ(f.Line(f.Count() - 1), expected[static_cast<std::size_t>(f.Count() - 1)]);
            EXPECT_EQ(f.Line(0), "0");
        }
        EXPECT_EQ(f.Line(f.Count()), "") << "no line beyond those found";
    }
    EXPECT_EQ(All(f), expected);
}

// A later save renames a new file over the one shown: what was opened still reads as it was.
// A file that cannot be opened has no lines.
TEST_F(TextFileLinesTest, TheOpenedFileIsKeptAndAMissingOneHasNoLines) {
    const std::string path = Put("old 1\r\nold 2\r\n");
    TextFileLines f;
    ASSERT_TRUE(f.Open(path));
    const std::string fresh = Put("new\r\n", "fresh.ouc");
    ASSERT_EQ(std::rename(fresh.c_str(), path.c_str()), 0);
    f.Scan(1 << 20);
    EXPECT_EQ(All(f), (std::vector<std::string>{"old 1", "old 2"}));

    TextFileLines missing;
    EXPECT_FALSE(missing.Open((scratch_.Path() / "none.ouc").string()));
    EXPECT_TRUE(missing.Scan(10));
    EXPECT_EQ(missing.Count(), 0);
    EXPECT_EQ(missing.Line(0), "");
}

}  // namespace

// Saving a case's two files: a failure of either leaves both old files whole and the case
// modified; links, read-only files, long names and oversized files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "common/core/io_error.h"
#include "common/core/line_io.h"
#include "file_size_limit.h"
#include "model_test_support.h"
#include "pairwise/model/case_files.h"
#include "pairwise/model/expert_data_file.h"
#include "pairwise/model/items_file.h"

using namespace trindel;

using namespace pairtest;
namespace fs = std::filesystem;

namespace {

class CaseSaveTest : public ModelTest {
protected:
    // The case of case12 saved as `stem` in the scratch folder, then changed in both kinds.
    void SavedCaseChanged(const std::string& stem) {
        ASSERT_EQ(ReadItemsFile(Fixture("case12.iy")), 0);
        ASSERT_EQ(ReadExpertDataFile(Fixture("case12.ey")), 0);
        SaveCaseFiles(CaseFileNames(PathOf(stem + ".iy")), true);
        oldItems = ReadFile(PathOf(stem + ".iy"));
        oldExperts = ReadFile(PathOf(stem + ".ey"));
        ItemTable[1]->Name = "Changed apples";
        ExpertTable[1]->Name = "Changed Anna";
        CaseFile.FileKinds[ExpertsFileKind].Modified = true;
        CaseFile.FileKinds[ItemsFileKind].Modified = true;
    }
    int FilesInScratch() const {
        int n = 0;
        for (const auto& entry : fs::directory_iterator(root_)) {
            (void)entry;
            ++n;
        }
        return n;
    }
    std::string oldItems, oldExperts;
};

// Each way the second file of the pair fails: the first is not replaced either.
TEST_F(CaseSaveTest, AFailingFileReplacesNeither) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
        rlim_t room;  // bytes a file may grow to while saving
        const char* reason;
    } cases[] = {
        {"the items file is read-only", [this] { chmod(PathOf("s.iy").c_str(), 0444); }, RLIM_INFINITY,
         "file is read-only"},
        {"the disk fills while the expert data file is written", [] {}, 1024, ""},
        {"the disk is full", [] {}, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetGlobals();
        fs::remove_all(root_);
        fs::create_directories(root_);
        SavedCaseChanged("s");
        c.arrange();
        const int files = FilesInScratch();
        try {
            FileSizeLimit limit(c.room);
            SaveCaseFiles(CaseFileNames(PathOf("s.iy")), true);
            ADD_FAILURE() << "the save succeeded";
        } catch (const IoError& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
        EXPECT_EQ(ReadFile(PathOf("s.iy")), oldItems);
        EXPECT_EQ(ReadFile(PathOf("s.ey")), oldExperts);
        EXPECT_EQ(FilesInScratch(), files) << "no temporary is left behind";
        EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified && CaseFile.FileKinds[ItemsFileKind].Modified);
        chmod(PathOf("s.iy").c_str(), 0644);
    }
}

// The items file is the larger one here, so the disk fills while the second file is written,
// after the first has been written whole.
TEST_F(CaseSaveTest, TheSecondFileFailingMidWriteLeavesTheFirstOld) {
    for (int i = 1; i <= 40; ++i) NewItem("I" + std::to_string(i), "Item number " + std::to_string(i), i);
    NewExpert("E1", "", 1);
    SaveCaseFiles(CaseFileNames(PathOf("m.iy")), true);
    oldItems = ReadFile(PathOf("m.iy"));
    oldExperts = ReadFile(PathOf("m.ey"));
    ASSERT_GT(oldItems.size(), 3000u);
    ASSERT_LT(oldExperts.size(), 200u);
    NewExpert("E2", "Eva", 2);
    ItemTable[40]->Name = "the last item, renamed";
    CaseFile.FileKinds[ExpertsFileKind].Modified = true;
    CaseFile.FileKinds[ItemsFileKind].Modified = true;
    {
        FileSizeLimit limit(1000);
        EXPECT_THROW(SaveCaseFiles(CaseFileNames(PathOf("m.iy")), true), IoError);
    }
    EXPECT_EQ(ReadFile(PathOf("m.ey")), oldExperts);
    EXPECT_EQ(ReadFile(PathOf("m.iy")), oldItems);
    EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified && CaseFile.FileKinds[ItemsFileKind].Modified);
}

// The item file's name is taken by a folder: its rename fails after the expert data file's,
// which is put back.
TEST_F(CaseSaveTest, ARenameFailingAfterTheFirstPutsTheFirstBack) {
    SavedCaseChanged("r");
    fs::remove(PathOf("r.iy"));
    fs::create_directories(PathOf("r.iy/inside"));
    EXPECT_THROW(SaveCaseFiles(CaseFileNames(PathOf("r.iy")), true), IoError);
    EXPECT_EQ(ReadFile(PathOf("r.ey")), oldExperts);
    EXPECT_TRUE(fs::is_directory(PathOf("r.iy/inside")));
    EXPECT_EQ(FilesInScratch(), 2);
    EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified && CaseFile.FileKinds[ItemsFileKind].Modified);
}

// A plain save writes the modified kinds, unless the save itself must mend ids, which
// changes both files.
TEST_F(CaseSaveTest, APlainSaveWritesTheModifiedKinds) {
    SavedCaseChanged("p");
    CaseFile.FileKinds[ExpertsFileKind].Modified = false;
    SaveCaseFiles(CaseFileNames(PathOf("p.iy")), false);
    EXPECT_EQ(ReadFile(PathOf("p.ey")), oldExperts);
    EXPECT_NE(ReadFile(PathOf("p.iy")), oldItems);
    EXPECT_FALSE(CaseFile.FileKinds[ExpertsFileKind].Modified || CaseFile.FileKinds[ItemsFileKind].Modified);

    ItemTable[2]->Id = "A1";  // a repeat of item 1's id: the save gives it the automatic id
    CaseFile.FileKinds[ItemsFileKind].Modified = true;
    SaveCaseFiles(CaseFileNames(PathOf("p.iy")), false);
    EXPECT_FALSE(CaseFile.FileKinds[ExpertsFileKind].Modified || CaseFile.FileKinds[ItemsFileKind].Modified);
    EXPECT_NE(ReadFile(PathOf("p.ey")).find("_item  2"), std::string::npos);
    ResetGlobals();
    ASSERT_EQ(ReadItemsFile(PathOf("p.iy")), 0);
    ASSERT_EQ(ReadExpertDataFile(PathOf("p.ey")), 0);
    EXPECT_EQ(ItemTable[2]->Id.str(), "_item  2");
    EXPECT_EQ(ExpertTable[1]->AnswerRows[2]->Item, ItemTable[2].get());
}

// Case files reached through symbolic links are written where the links point; a name of
// 255 bytes saves (its temporary must fit too).
TEST_F(CaseSaveTest, LinksAndLongNames) {
    ASSERT_EQ(ReadItemsFile(Fixture("case12.iy")), 0);
    ASSERT_EQ(ReadExpertDataFile(Fixture("case12.ey")), 0);
    fs::create_directories(PathOf("real"));
    SaveCaseFiles(CaseFileNames(PathOf("real/c.iy")), true);
    fs::create_symlink("real/c.iy", PathOf("c.iy"));
    fs::create_symlink(PathOf("real/c.ey"), PathOf("c.ey"));
    ItemTable[1]->Name = "Apples through a link";
    SaveCaseFiles(CaseFileNames(PathOf("c.iy")), true);
    EXPECT_TRUE(fs::is_symlink(PathOf("c.iy")) && fs::is_symlink(PathOf("c.ey")));
    EXPECT_NE(ReadFile(PathOf("real/c.iy")).find("Apples through a link"), std::string::npos);

    const std::string stem(252, 'n');
    SaveCaseFiles(CaseFileNames(PathOf(stem + ".iy")), true);
    ResetGlobals();
    ASSERT_EQ(ReadItemsFile(PathOf(stem + ".iy")), 0);
    ASSERT_EQ(ReadExpertDataFile(PathOf(stem + ".ey")), 0);
    EXPECT_EQ(ItemTable[1]->Name.str(), "Apples through a link");
    EXPECT_EQ(CountExperts(), 3);
}

// A file far beyond what the tables hold is refused before it is read (the files are sparse:
// nothing of them is on disk).
TEST_F(CaseSaveTest, OversizedFilesAreRefusedBeforeReading) {
    struct Case {
        const char* file;
        std::size_t size;
        std::function<void(const std::string&)> read;
    } cases[] = {
        {"big.iy", MaxItemsFileBytes + 1, [](const std::string& p) { ReadItemsFile(p); }},
        {"big.ey", MaxExpertDataFileBytes + 1, [](const std::string& p) { ReadExpertDataFile(p); }},
        // 2 GiB, more than a full table holds: before, it was read whole.
        {"2g.ey", std::size_t{2} << 30, [](const std::string& p) { ReadExpertDataFile(p); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = PathOf(c.file);
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, static_cast<off_t>(c.size)), 0);
        close(fd);
        try {
            c.read(path);
            ADD_FAILURE() << "read";
        } catch (const IoError& e) {
            EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
        }
        fs::remove(path);
    }
}

}  // namespace

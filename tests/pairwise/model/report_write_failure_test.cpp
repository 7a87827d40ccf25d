// A report that cannot be written whole leaves the last good report in place.
#include <gtest/gtest.h>

#include <string>

#include "common/core/io_error.h"
#include "common/core/line_io.h"
#include "file_size_limit.h"
#include "pairwise/model/expert_data_file.h"
#include "pairwise/model/items_file.h"
#include "pairwise/model/run_comparison.h"
#include "report_test_support.h"

using namespace trindel;

namespace {

using pairtest::FileSizeLimit;

class ReportWriteFailureTest : public reporttest::RunTest {
protected:
    void ReadGoldenCase() {
        const std::string dir = std::string(FIXTURES_DIR) + "/pairwise/";
        ASSERT_EQ(ReadItemsFile(dir + "golden_case.iy"), 0);
        ASSERT_EQ(ReadExpertDataFile(dir + "golden_case.ey"), 0);
        CaseFile.CaseName = "golden_case";
        ScaleTransformation = true;
        ConfidenceIntervals = true;
        prompts.Seed(20240524);
    }
};

// The golden report is about 3 KiB; with room for 1 KiB the write fails part-way.
TEST_F(ReportWriteFailureTest, AFailedWriteKeepsTheLastGoodReport) {
    ReadGoldenCase();
    ASSERT_TRUE(RunComparison(1));
    const std::string good = ReadFileBytes(ReportPath());
    ASSERT_GT(good.size(), 2048u);

    for (rlim_t room : {rlim_t{0}, rlim_t{1024}}) {
        SCOPED_TRACE(room);
        {
            FileSizeLimit limit(room);
            EXPECT_THROW(RunComparison(1), IoError);
        }
        EXPECT_FALSE(RunSucceeded);
        EXPECT_EQ(ReportFile, nullptr);
        EXPECT_EQ(ReadFileBytes(ReportPath()), good);
        int others = 0;
        for (const auto& entry : std::filesystem::directory_iterator(root_))
            if (entry.path().filename() != "golden_case.ouc") ++others;
        EXPECT_EQ(others, 0) << "no temporary is left behind";
    }

    // Once there is room again the run writes its report.
    prompts.Seed(20240524);
    ASSERT_TRUE(RunComparison(1));
    EXPECT_EQ(ReadFileBytes(ReportPath()), good);
}

}  // namespace

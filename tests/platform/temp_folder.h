// A scratch folder per test, and the process state the platform functions change
// (current directory, program folder, configuration environment) put back afterwards.
#pragma once

#include "platform/program_folder_testing.h"
#include "platform/prompts.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace platform_test {

namespace fs = std::filesystem;

class SavedEnv {
public:
    explicit SavedEnv(const char* name) : name_(name) {
        if (const char* v = std::getenv(name)) value_ = v;
    }
    ~SavedEnv() {
        if (value_)
            setenv(name_, value_->c_str(), 1);
        else
            unsetenv(name_);
    }
    SavedEnv(const SavedEnv&) = delete;
    SavedEnv& operator=(const SavedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> value_;
};

class ScratchTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = scratch_.Path();
        ASSERT_FALSE(root_.empty());
    }
    void TearDown() override {
        std::error_code ec;
        fs::current_path(cwd_, ec);
        platform::SetProgramFolderForTesting("");
        platform::SetProgramFolderReadOnlyForTesting(false);
    }

    // A folder below the scratch folder (created) as the program's own folder, where the settings
    // file lands; the path with its final '/'.
    std::string UseProgramFolder(const std::string& relative) const {
        const std::string folder = Folder(relative).string() + "/";
        platform::SetProgramFolderForTesting(folder);
        return folder;
    }

    // A folder (created) or a file (written) below the scratch folder.
    fs::path Folder(const std::string& relative) const {
        fs::create_directories(root_ / relative);
        return root_ / relative;
    }
    fs::path WriteFile(const std::string& relative, const std::string& bytes) const {
        const fs::path p = root_ / relative;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    static std::string ReadFile(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path root_;

private:
    fs::path cwd_ = fs::current_path();
    test_support::ScratchFolder scratch_{"platform-test"};
    SavedEnv xdg_{"XDG_CONFIG_HOME"};
    SavedEnv home_{"HOME"};
};

}  // namespace platform_test

// A scratch folder per test, and the process state the platform functions change
// (current directory, program folder, configuration environment) put back afterwards.
#pragma once

#include "platform/prompts.h"

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
    explicit SavedEnv(const char* name) : name_(name)
    {
        if (const char* v = std::getenv(name))
            value_ = v;
    }
    ~SavedEnv()
    {
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
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "platform-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = fs::canonical(pattern);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::current_path(cwd_, ec);
        platform::SetProgramFolderForTesting("");
        platform::SetProgramFolderReadOnlyForTesting(false);
        fs::remove_all(root_, ec);
    }

    // A folder (created) or a file (written) below the scratch folder.
    fs::path Folder(const std::string& relative) const
    {
        fs::create_directories(root_ / relative);
        return root_ / relative;
    }
    fs::path WriteFile(const std::string& relative, const std::string& bytes) const
    {
        const fs::path p = root_ / relative;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    static std::string ReadFile(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path root_;

private:
    fs::path cwd_ = fs::current_path();
    SavedEnv xdg_{"XDG_CONFIG_HOME"};
    SavedEnv home_{"HOME"};
};

} // namespace platform_test

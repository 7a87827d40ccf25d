// A fresh folder of the test's own under the system's temporary folder, removed with everything in
// it when the object goes, also when an assertion ends the test early. Enter() makes it the
// current directory (where the programs write files "in the current directory") until then.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace test_support {

class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& prefix = "halvorine-test") {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "no scratch folder " << pattern;
            return;
        }
        path_ = std::filesystem::canonical(pattern);
    }
    ~ScratchFolder() {
        std::error_code ec;
        if (!previous_.empty()) std::filesystem::current_path(previous_, ec);
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // A name below the folder, as a string for the programs' functions.
    std::string PathOf(const std::string& name) const { return (path_ / name).string(); }

    // The folder as the current directory; the one before comes back with the destructor.
    void Enter() {
        if (previous_.empty()) previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

}  // namespace test_support

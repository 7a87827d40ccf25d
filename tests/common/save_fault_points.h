// Stops a save at each of its steps as a kill would: the save runs in a child process that ends
// itself (no destructor, no cleanup) just before step k, for every k the whole save passes.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/core/line_io.h"

namespace test_support {

// The names of the temporaries and commit records (".~...") in a folder.
inline std::vector<std::string> TemporariesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().rfind(".~", 0) == 0) names.push_back(entry.path().filename());
    return names;
}

// The names of the steps save passes, in order (the save really runs, in this process).
inline std::vector<std::string> SaveSteps(const std::function<void()>& save) {
    std::vector<std::string> steps;
    SetSaveStepHook([&steps](const char* step) { steps.push_back(step); });
    save();
    SetSaveStepHook({});
    return steps;
}

// Runs save in a child that dies just before step k (1-based). True when it died there.
inline bool SaveKilledAtStep(const std::function<void()>& save, std::size_t k) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        std::size_t seen = 0;
        SetSaveStepHook([&seen, k](const char*) {
            if (++seen == k) ::_exit(42);
        });
        try {
            save();
        } catch (...) {}
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 42;
}

}  // namespace test_support

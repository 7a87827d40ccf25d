#include <gtest/gtest.h>

#include "engine/globals.h"
#include "platform/program_folder_testing.h"
#include "platform/prompts.h"
#include "platform/testing/scripted_prompts.h"
#include "ui_test_support.h"
#include "workbench/program_launch.h"
#include "workbench/window_state.h"

using namespace halvorine;

namespace {

class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        ResetWindowState();
        platform::SetProgramFolderForTesting("/opt/halvorine/");
        Platform = &prompts;
    }
    void TearDown() override {
        Platform = nullptr;
        platform::SetProgramFolderForTesting("");
    }
    platform::ScriptedPrompts prompts;
};

std::vector<std::string> Started(const platform::ScriptedPrompts& p) {
    std::vector<std::string> paths;
    for (const auto& r : p.Recorded())
        if (r.Kind == "start") paths.push_back(r.Text);
    return paths;
}

TEST_F(LaunchTest, TriesTheProgramFolderThenItsSubfolderThenTells) {
    prompts.QueueAnswer(platform::Answer::Ok);
    EXPECT_FALSE(RunApp(WTrindelFile, WTrindelFallbackFile));
    EXPECT_EQ(Started(prompts),
              (std::vector<std::string>{"/opt/halvorine/WTrindel", "/opt/halvorine/wtrindel/WTrindel"}));
    ASSERT_EQ(prompts.MessageTexts().size(), 1u);
    EXPECT_EQ(prompts.MessageTexts()[0], "WTrindel file was not found, can`t start the program");
    EXPECT_EQ(prompts.Recorded().back().MessageKind, platform::MessageKind::Error);
    EXPECT_EQ(prompts.Recorded().back().Buttons, platform::Buttons::Ok);
}

TEST_F(LaunchTest, StopsAtTheFirstProgramThatStarts) {
    prompts.AllowStart("/opt/halvorine/wtrindel/WTrindel");
    EXPECT_TRUE(RunApp(WTrindelFile, WTrindelFallbackFile));
    EXPECT_EQ(Started(prompts).size(), 2u);
    EXPECT_TRUE(prompts.MessageTexts().empty());

    prompts.Clear();
    prompts.AllowStart("/opt/halvorine/WTrindel");
    EXPECT_TRUE(RunApp(WTrindelFile, WTrindelFallbackFile));
    EXPECT_EQ(Started(prompts), (std::vector<std::string>{"/opt/halvorine/WTrindel"}));
}

TEST_F(LaunchTest, MissingHelpFileIsTold) {
    prompts.SetShowHelpResult(false);
    prompts.QueueAnswer(platform::Answer::Ok);
    EXPECT_FALSE(ShowHelpContents());
    ASSERT_EQ(prompts.MessageTexts().size(), 1u);
    EXPECT_EQ(prompts.MessageTexts()[0], "Help file Halvorine.hlp was not found beside the program");
    prompts.SetShowHelpResult(true);
    EXPECT_TRUE(ShowHelpContents());
}

}  // namespace

// ---------------------------------------------------------------- from the main window

#include <QApplication>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <set>
#include <thread>

#include "workbench/main_form.h"

namespace {

namespace fs = std::filesystem;

// Ids of the running processes whose program file is `path`.
std::set<int> ProcessesOf(const fs::path& path) {
    std::set<int> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code linkError;
        const fs::path exe = fs::read_symlink(entry.path() / "exe", linkError);
        if (!linkError && exe == path) found.insert(std::stoi(name));
    }
    return found;
}

TEST_F(LaunchTest, TheMenuItemTriesBothPlacesThenTells) {
    TMainForm form(&prompts);
    prompts.QueueAnswer(platform::Answer::Ok);
    test_support::FrameAction(&form, "RunWTrindel1")->trigger();
    EXPECT_EQ(Started(prompts),
              (std::vector<std::string>{"/opt/halvorine/WTrindel", "/opt/halvorine/wtrindel/WTrindel"}));
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{"WTrindel file was not found, can`t start the program"});
}

TEST_F(LaunchTest, TheHelpItemAsksForTheHelpFileByItsName) {
    TMainForm form(&prompts);
    prompts.SetShowHelpResult(true);
    test_support::FrameAction(&form, "WHALVORINHelp1")->trigger();
    ASSERT_FALSE(prompts.Recorded().empty());
    EXPECT_EQ(prompts.Recorded()[0].Kind, "help");
    EXPECT_EQ(prompts.Recorded()[0].Text, "Halvorine.hlp");
}

TEST(RealLaunchTest, TheMenuStartsWTrindelFromTheProgramFolder) {
    ResetGlobals();
    ResetWindowState();
    platform::SetProgramFolderForTesting("");
    const fs::path program = fs::canonical(fs::path(platform::ProgramFolder()) / "WTrindel");
    ASSERT_TRUE(fs::exists(program)) << "WTrindel is built beside the tests";
    const std::set<int> before = ProcessesOf(program);

    {
        TMainForm form;  // the real platform services
        test_support::FrameAction(&form, "RunWTrindel1")->trigger();
    }
    std::set<int> started;
    for (int tries = 0; tries < 100 && started.empty(); ++tries) {
        for (int pid : ProcessesOf(program))
            if (!before.count(pid)) started.insert(pid);
        if (started.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_EQ(started.size(), 1u) << "one WTrindel started";
    const int pid = *started.begin();
    EXPECT_EQ(kill(pid, SIGTERM), 0);
    bool gone = false;
    for (int tries = 0; tries < 100 && !gone; ++tries) {
        gone = !fs::exists("/proc/" + std::to_string(pid) + "/exe") || ProcessesOf(program).count(pid) == 0;
        if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(gone);
    Platform = nullptr;
    ResetGlobals();
    ResetWindowState();
}

}  // namespace

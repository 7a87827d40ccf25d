#include <gtest/gtest.h>

#include "engine/globals.h"
#include "platform/prompts.h"
#include "platform/testing/scripted_prompts.h"
#include "workbench/program_launch.h"

namespace {

class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
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
    EXPECT_EQ(Started(prompts), (std::vector<std::string>{"/opt/halvorine/WTrindel", "/opt/halvorine/wtrindel/WTrindel"}));
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

} // namespace

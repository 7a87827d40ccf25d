// The scripted prompts that every other test drives the programs with.
#include "platform/program_folder_testing.h"
#include "platform/testing/scripted_prompts.h"
#include "temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace platform_test {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::FileChoice;
using platform::MessageKind;
using platform::ScriptedPrompts;
using ::testing::ElementsAre;

TEST(ScriptedPromptsMessages, AnswersInOrderAndRecordsEachBoxExactly) {
    ScriptedPrompts p;
    p.QueueAnswer(Answer::Yes);
    p.QueueAnswer(Answer::Cancel);
    p.QueueAnswer(Answer::Ok);

    EXPECT_EQ(p.Message(MessageKind::Confirmation, "Save changes to CASE?", Buttons::YesNoCancel), Answer::Yes);
    EXPECT_EQ(p.Message(MessageKind::Warning, "Output file X.TXT already exists. Overwrite?", Buttons::OkCancel),
              Answer::Cancel);
    EXPECT_EQ(p.Message(MessageKind::Error, "File not found", Buttons::Ok), Answer::Ok);

    EXPECT_THAT(p.MessageTexts(),
                ElementsAre("Save changes to CASE?", "Output file X.TXT already exists. Overwrite?", "File not found"));
    ASSERT_EQ(p.Recorded().size(), 3u);
    const auto& second = p.Recorded()[1];
    EXPECT_EQ(second.Kind, "message");
    EXPECT_EQ(second.MessageKind, MessageKind::Warning);
    EXPECT_EQ(second.Buttons, Buttons::OkCancel);
    EXPECT_EQ(second.Answer, Answer::Cancel);
    EXPECT_EQ(p.Recorded()[0].MessageKind, MessageKind::Confirmation);
    EXPECT_EQ(p.Recorded()[2].Buttons, Buttons::Ok);
    EXPECT_TRUE(p.AllAnswersUsed());
}

TEST(ScriptedPromptsMessages, UnscriptedQuestionFailsTheTestAndIsCancelled) {
    ScriptedPrompts p;
    Answer answer = Answer::Yes;
    EXPECT_NONFATAL_FAILURE(answer = p.Message(MessageKind::Confirmation, "Close the current case?", Buttons::OkCancel),
                            "Close the current case?");
    EXPECT_EQ(answer, Answer::Cancel);
    ASSERT_EQ(p.Recorded().size(), 1u);
    EXPECT_FALSE(p.Recorded()[0].Scripted);
    EXPECT_THAT(p.MessageTexts(), ElementsAre("Close the current case?"));
}

TEST(ScriptedPromptsMessages, AnswerTheBoxDoesNotOfferFailsTheTest) {
    const struct {
        Buttons buttons;
        Answer answer;
    } impossible[] = {
        {Buttons::Ok, Answer::Cancel},    {Buttons::OkCancel, Answer::Yes},   {Buttons::YesNo, Answer::Ok},
        {Buttons::YesNo, Answer::Cancel}, {Buttons::YesNoCancel, Answer::Ok},
    };
    for (const auto& c : impossible) {
        ScriptedPrompts p;
        p.QueueAnswer(c.answer);
        EXPECT_NONFATAL_FAILURE(p.Message(MessageKind::Warning, "the box", c.buttons), "is not a button of");
    }
}

TEST(ScriptedPromptsMessages, EachKindOfPromptTakesFromItsOwnQueue) {
    ScriptedPrompts p;
    p.QueueOpenFile("");
    p.QueueSaveFile("");
    EXPECT_FALSE(p.AllAnswersUsed());
    EXPECT_NONFATAL_FAILURE(p.Message(MessageKind::Information, "Done", Buttons::Ok), "Done");
    EXPECT_FALSE(p.AllAnswersUsed());
}

TEST(ScriptedPromptsMessages, ClearForgetsTheRecordButKeepsTheQueue) {
    ScriptedPrompts p;
    p.QueueAnswer(Answer::Ok);
    p.QueueAnswer(Answer::No);
    p.Message(MessageKind::Information, "first", Buttons::Ok);
    p.SetCaption("c");
    p.BeginBusy();
    p.EndBusy();
    p.Clear();
    EXPECT_TRUE(p.Recorded().empty());
    EXPECT_TRUE(p.CaptionHistory().empty());
    EXPECT_EQ(p.BusyCount(), 0);
    EXPECT_EQ(p.Caption(), "c");
    EXPECT_EQ(p.Message(MessageKind::Confirmation, "second", Buttons::YesNo), Answer::No);
    EXPECT_THAT(p.MessageTexts(), ElementsAre("second"));
}

class ScriptedPromptsFiles : public ScratchTest {};

TEST_F(ScriptedPromptsFiles, ChosenFileBecomesAbsoluteGetsTheDefaultExtAndItsFolderIsCurrent) {
    const fs::path cases = Folder("cases");
    ScriptedPrompts p;
    p.QueueOpenFile((cases / "alpha").string());
    FileChoice choice;
    choice.Title = "Open Case";
    choice.Filter = "Expert Assessment  Files (.dtt)|*.dtt|Item Realizations Files (.rls)|*.rls";
    choice.FilterIndex = 2;
    choice.FileName = "/old/last.dtt";
    choice.DefaultExt = "dtt";

    ASSERT_TRUE(p.OpenFile(choice));
    EXPECT_EQ(choice.FileName, (cases / "alpha.dtt").string());
    EXPECT_EQ(fs::current_path(), cases);

    ASSERT_EQ(p.Recorded().size(), 1u);
    const auto& asked = p.Recorded()[0];
    EXPECT_EQ(asked.Kind, "open");
    EXPECT_EQ(asked.Text, "Open Case");
    EXPECT_EQ(asked.Choice.FileName, "/old/last.dtt");  // as the dialog was given it
    EXPECT_EQ(asked.Choice.Filter, choice.Filter);
    EXPECT_EQ(asked.Choice.FilterIndex, 2);
    EXPECT_TRUE(p.AllAnswersUsed());
}

TEST_F(ScriptedPromptsFiles, SavedRelativeNameIsTakenFromTheCurrentDirectory) {
    Folder("work/out");
    fs::current_path(root_ / "work");
    ScriptedPrompts p;
    p.QueueSaveFile("out/report.txt");
    FileChoice choice;
    choice.DefaultExt = "dis";  // the name has an extension already
    choice.OverwritePrompt = true;

    ASSERT_TRUE(p.SaveFile(choice));
    EXPECT_EQ(choice.FileName, (root_ / "work" / "out" / "report.txt").string());
    EXPECT_EQ(fs::current_path(), root_ / "work" / "out");
    EXPECT_EQ(p.Recorded()[0].Kind, "save");
    EXPECT_TRUE(p.Recorded()[0].Choice.OverwritePrompt);
}

TEST_F(ScriptedPromptsFiles, CancelledChoiceChangesNothing) {
    fs::current_path(root_);
    ScriptedPrompts p;
    p.QueueOpenFile("");
    p.QueueSaveFile("");
    FileChoice choice;
    choice.FileName = "keep.dtt";
    EXPECT_FALSE(p.OpenFile(choice));
    EXPECT_FALSE(p.SaveFile(choice));
    EXPECT_EQ(choice.FileName, "keep.dtt");
    EXPECT_EQ(fs::current_path(), root_);
    EXPECT_EQ(p.Recorded().size(), 2u);
}

TEST_F(ScriptedPromptsFiles, UnscriptedChoiceFailsTheTestAndIsCancelled) {
    fs::current_path(root_);
    ScriptedPrompts p;
    p.QueueOpenFile(Folder("elsewhere").string() + "/x.dtt");  // an open does not answer a save
    FileChoice choice;
    choice.Title = "Save Case As";
    choice.FileName = "keep.dtt";
    bool chosen = true;
    EXPECT_NONFATAL_FAILURE(chosen = p.SaveFile(choice), "Save Case As");
    EXPECT_FALSE(chosen);
    EXPECT_EQ(choice.FileName, "keep.dtt");
    EXPECT_EQ(fs::current_path(), root_);
    EXPECT_FALSE(p.AllAnswersUsed());
}

TEST(ScriptedPromptsWindow, CaptionKeepsEveryTextSetInOrder) {
    ScriptedPrompts p;
    p.SetCaption("CASE: Halvorine v1.0");
    const std::string kept = p.Caption();
    p.SetCaption("Saving Experts file...");
    p.SetCaption(kept);
    EXPECT_EQ(p.Caption(), "CASE: Halvorine v1.0");
    EXPECT_THAT(p.CaptionHistory(),
                ElementsAre("CASE: Halvorine v1.0", "Saving Experts file...", "CASE: Halvorine v1.0"));
}

TEST(ScriptedPromptsWindow, BusyDepthShowsTheCursorRestoredOnEveryPath) {
    ScriptedPrompts p;
    {
        platform::BusyCursor outer(p);
        EXPECT_THROW(
            {
                platform::BusyCursor inner(p);
                EXPECT_EQ(p.BusyDepth(), 2);
                throw std::runtime_error("write failed");
            },
            std::runtime_error);
        EXPECT_EQ(p.BusyDepth(), 1);
    }
    EXPECT_EQ(p.BusyDepth(), 0);
    EXPECT_EQ(p.BusyCount(), 2);
}

TEST(ScriptedPromptsWindow, EndBusyWithoutBeginFailsTheTest) {
    ScriptedPrompts p;
    EXPECT_NONFATAL_FAILURE(p.EndBusy(), "EndBusy without a BeginBusy");
    EXPECT_EQ(p.BusyDepth(), 0);
}

TEST(ScriptedPromptsWindow, ClipboardKeepsBytes) {
    ScriptedPrompts p;
    EXPECT_EQ(p.ClipboardText(), "");
    p.SetClipboardText(p.ClipboardText() + "caf\xE9\r\n");
    p.SetClipboardText(p.ClipboardText() + "1\t2\r\n");
    EXPECT_EQ(p.ClipboardText(), "caf\xE9\r\n1\t2\r\n");
}

class ScriptedPromptsServices : public ScratchTest {};

TEST_F(ScriptedPromptsServices, HelpIsShownWhenTheFileIsFoundUnlessScriptedOtherwise) {
    platform::SetProgramFolderForTesting(Folder("prog").string());
    fs::current_path(Folder("case"));
    ScriptedPrompts p;
    EXPECT_FALSE(p.ShowHelp("Halvorine.hlp"));
    WriteFile("prog/HALVORINE.HLP", "help");
    EXPECT_TRUE(p.ShowHelp("Halvorine.hlp"));
    p.SetShowHelpResult(false);
    EXPECT_FALSE(p.ShowHelp("Halvorine.hlp"));

    ASSERT_EQ(p.Recorded().size(), 3u);
    EXPECT_EQ(p.Recorded()[0].Kind, "help");
    EXPECT_EQ(p.Recorded()[0].Text, "Halvorine.hlp");
}

TEST(ScriptedPromptsStart, FailsUnlessThePathIsAllowed) {
    ScriptedPrompts p;
    p.AllowStart("/opt/h/wtrindel/WTrindel");
    EXPECT_FALSE(p.StartProgram("/opt/h/WTrindel"));
    EXPECT_TRUE(p.StartProgram("/opt/h/wtrindel/WTrindel"));
    p.SetStartProgramResult(true);
    EXPECT_TRUE(p.StartProgram("/anything"));

    ASSERT_EQ(p.Recorded().size(), 3u);
    EXPECT_EQ(p.Recorded()[0].Kind, "start");
    EXPECT_EQ(p.Recorded()[0].Text, "/opt/h/WTrindel");
    EXPECT_TRUE(p.MessageTexts().empty());
}

TEST(ScriptedPromptsDate, FixedUntilSet) {
    ScriptedPrompts p;
    EXPECT_EQ(p.ShortDate(), "10/12/2026");
    p.SetShortDate("31.01.2027");
    EXPECT_EQ(p.ShortDate(), "31.01.2027");
}

TEST(ScriptedPromptsRandom, RepeatsForASeedAndRandomizeLeavesItAlone) {
    ScriptedPrompts a;
    ScriptedPrompts b;
    a.Seed(42);
    b.Seed(42);
    b.Randomize();
    bool differsFromOtherSeed = false;
    ScriptedPrompts c;
    c.Seed(43);
    for (int i = 0; i < 1000; ++i) {
        const double x = a.Random();
        ASSERT_GE(x, 0.0);
        ASSERT_LT(x, 1.0);
        ASSERT_EQ(x, b.Random());
        differsFromOtherSeed |= x != c.Random();
    }
    EXPECT_TRUE(differsFromOtherSeed);
    EXPECT_EQ(b.RandomizeCount(), 1);
    EXPECT_EQ(a.RandomizeCount(), 0);
}

TEST(ScriptedPromptsRandom, QueuedValuesComeFirst) {
    ScriptedPrompts p;
    ScriptedPrompts reference;
    p.Seed(7);
    reference.Seed(7);
    p.QueueRandom(0.25);
    p.QueueRandom(0.999);
    EXPECT_EQ(p.Random(), 0.25);
    EXPECT_EQ(p.Random(), 0.999);
    EXPECT_EQ(p.Random(), reference.Random());
}

}  // namespace
}  // namespace platform_test

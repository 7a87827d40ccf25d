// Prompts for tests: every question is answered from a queue the test fills, every prompt is
// recorded with its exact text, and a question nobody scripted fails the test instead of
// waiting for a user.
#pragma once

#include "platform/prompts.h"
#include "platform/random_source.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace platform {

class ScriptedPrompts : public Prompts, public RandomSource {
public:
    struct Prompt {
        std::string Kind;  // "message", "open", "save", "help", "start"
        ::platform::MessageKind MessageKind = ::platform::MessageKind::Information;  // messages
        ::platform::Buttons Buttons = ::platform::Buttons::Ok;                       // messages
        std::string Text;               // message text, dialog title, help file or program path
        ::platform::FileChoice Choice;  // file choices: as asked, before the answer
        ::platform::Answer Answer = ::platform::Answer::Cancel;  // messages: what was answered
        bool Scripted = false;                                   // false: nothing was queued for it
    };

    ScriptedPrompts() = default;

    // The next answers, each queue taken in order.
    void QueueAnswer(Answer answer);
    void QueueOpenFile(std::string pathOrEmptyForCancel);
    void QueueSaveFile(std::string pathOrEmptyForCancel);
    // Values Random() returns before it goes on with its generator.
    void QueueRandom(double value);

    const std::vector<Prompt>& Recorded() const { return recorded_; }
    std::vector<std::string> MessageTexts() const;
    // Forgets what was recorded (prompts, captions, busy count); queued answers stay.
    void Clear();
    bool AllAnswersUsed() const;

    // Caption, as the main window would hold it; every SetCaption is kept in order.
    const std::vector<std::string>& CaptionHistory() const { return captions_; }

    int BusyDepth() const { return busyDepth_; }
    int BusyCount() const { return busyCount_; }

    // ShowHelp answers true when the help file is found, unless a result is set here.
    void SetShowHelpResult(std::optional<bool> result) { helpResult_ = result; }
    // StartProgram succeeds for the allowed paths, and for every path when the result is true.
    void SetStartProgramResult(bool result) { startResult_ = result; }
    void AllowStart(const std::string& path) { startable_.insert(path); }

    void SetShortDate(std::string date) { shortDate_ = std::move(date); }

    // Seeds the generator behind Random(); Randomize() leaves it alone.
    void Seed(std::uint64_t seed) { random_.seed(seed); }
    int RandomizeCount() const { return randomizeCount_; }

    Answer Message(MessageKind kind, const std::string& text, Buttons buttons) override;
    bool OpenFile(FileChoice& choice) override;
    bool SaveFile(FileChoice& choice) override;

    std::string Caption() override { return caption_; }
    void SetCaption(const std::string& caption) override;

    void BeginBusy() override;
    void EndBusy() override;

    std::string ClipboardText() override { return clipboard_; }
    void SetClipboardText(const std::string& text) override { clipboard_ = text; }

    bool ShowHelp(const std::string& helpFile) override;
    bool StartProgram(const std::string& path) override;
    std::string ShortDate() override { return shortDate_; }

    void Randomize() override { ++randomizeCount_; }
    double Random() override;

private:
    bool ChooseFile(const char* kind, std::deque<std::string>& queue, FileChoice& choice);

    std::deque<Answer> answers_;
    std::deque<std::string> opens_;
    std::deque<std::string> saves_;
    std::deque<double> randoms_;
    std::vector<Prompt> recorded_;

    std::string caption_;
    std::vector<std::string> captions_;
    int busyDepth_ = 0;
    int busyCount_ = 0;
    std::string clipboard_;
    std::optional<bool> helpResult_;
    bool startResult_ = false;
    std::set<std::string> startable_;
    std::string shortDate_ = "10/12/2026";
    std::mt19937_64 random_;
    int randomizeCount_ = 0;
};

}  // namespace platform

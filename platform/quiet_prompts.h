// Platform services for programs with no one to ask: the benchmarks, the fuzz harnesses and the
// save loop. Every box takes its first button, no file is ever chosen, the caption and the
// clipboard are kept in memory, the date is fixed and the random source is a fixed-seed stream
// that Randomize starts again, so that two runs give the same bytes.
#pragma once

#include <cstdio>
#include <random>
#include <string>

#include "platform/prompts.h"
#include "platform/random_source.h"

namespace platform {

class QuietPrompts : public Prompts, public RandomSource {
public:
    // echoMessages: every message text also goes to stderr (for helpers a script watches).
    explicit QuietPrompts(bool echoMessages = false) : echo_(echoMessages) {}

    Answer Message(MessageKind, const std::string& text, Buttons buttons) override {
        if (echo_) std::fprintf(stderr, "message: %s\n", text.c_str());
        return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
    }
    bool OpenFile(FileChoice&) override { return false; }
    bool SaveFile(FileChoice&) override { return false; }
    std::string Caption() override { return caption_; }
    void SetCaption(const std::string& caption) override { caption_ = caption; }
    void BeginBusy() override {}
    void EndBusy() override {}
    std::string ClipboardText() override { return clipboard_; }
    void SetClipboardText(const std::string& text) override { clipboard_ = text; }
    bool ShowHelp(const std::string&) override { return false; }
    bool StartProgram(const std::string&) override { return false; }
    std::string ShortDate() override { return "01/01/2026"; }
    void Randomize() override { generator_.seed(Seed); }
    double Random() override { return UnitFromBits(generator_()); }

private:
    static constexpr unsigned long long Seed = 12345;
    bool echo_;
    std::string caption_;
    std::string clipboard_;
    std::mt19937_64 generator_{Seed};
};

}  // namespace platform

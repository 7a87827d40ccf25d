// The percentile export of a large case to the clipboard: 1000 items by 10 experts, one row per percent
// point with a tab and a value for every (expert, item) pair, collected and handed to the clipboard once.
//
//   build-rel/bin/engine_export_bench
#include <benchmark/benchmark.h>

#include <string>

#include "engine/globals.h"
#include "engine/output_files.h"
#include "engine/tables.h"
#include "platform/prompts.h"

using namespace halvorine;

namespace {

// Keeps the clipboard text; nothing else is asked during an export.
class ClipboardOnly : public platform::Prompts {
public:
    std::size_t Size() const { return text_.size(); }
    platform::Answer Message(platform::MessageKind, const std::string&, platform::Buttons) override {
        return platform::Answer::Ok;
    }
    bool OpenFile(platform::FileChoice&) override { return false; }
    bool SaveFile(platform::FileChoice&) override { return false; }
    std::string Caption() override { return {}; }
    void SetCaption(const std::string&) override {}
    void BeginBusy() override {}
    void EndBusy() override {}
    std::string ClipboardText() override { return text_; }
    void SetClipboardText(const std::string& text) override { text_ = text; }
    bool ShowHelp(const std::string&) override { return false; }
    bool StartProgram(const std::string&) override { return false; }
    std::string ShortDate() override { return {}; }

private:
    std::string text_;
};

void BuildCase() {
    ResetGlobals();
    QuantileCount = 3;
    QuantileLevels[1] = 0.05f;
    QuantileLevels[2] = 0.5f;
    QuantileLevels[3] = 0.95f;
    ComputeBinProbabilities();
    for (int i = 1; i <= 1000; ++i) {
        TItem* item = NewItem("X" + std::to_string(i), "", i);
        item->Scale = i % 2 ? "UNI" : "LOG";
        item->IntrinsicLow = 0.5f;
        item->IntrinsicHigh = 100.0f + i;
    }
    for (int e = 1; e <= 10; ++e) {
        TExpert* x = NewExpert("E" + std::to_string(e), "", e);
        for (int i = 1; i <= 1000; ++i) {
            TAssessment* a = NewAssessment(x, i);
            a->Item = ItemTable[i].get();
            a->Values[1] = 1.0f + e;
            a->Values[2] = 10.0f + e;
            a->Values[3] = 50.0f + i / 10.0f;
        }
    }
    ExpertCount = 10;
}

void ClipboardExport(benchmark::State& state) {
    ClipboardOnly prompts;
    BuildCase();
    Platform = &prompts;
    for (auto _ : state) {
        std::vector<std::vector<float>> tables;
        tables.reserve(10000);
        for (int e = 1; e <= 10; ++e)
            for (int i = 1; i <= 1000; ++i) {
                BuildPercentileTable(e, i);
                tables.emplace_back(PercentileTable, PercentileTable + 101);
            }
        OpenClipboardOutput();
        OutputLineBreak = false;
        for (int k = 0; k <= 100; ++k) {
            WriteOutputLine(PercentileLabel(k), false);
            for (const auto& t : tables) {
                WriteOutputLine("\t", false);
                PercentileTable[k] = t[k];
                WriteOutputLine(PercentileText(k), false);
            }
            WriteOutputLine("\r\n", false);
        }
        CloseClipboardOutput();
        benchmark::DoNotOptimize(prompts.Size());
    }
    state.counters["bytes"] = static_cast<double>(prompts.Size());
    Platform = nullptr;
    ResetGlobals();
}

BENCHMARK(ClipboardExport)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

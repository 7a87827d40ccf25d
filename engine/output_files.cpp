#include "engine/output_files.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "common/core/line_io.h"
#include "common/core/pascal_str.h"
#include "common/core/text.h"
#include "engine/case_columns.h"
#include "engine/case_files.h"
#include "engine/formatting.h"
#include "engine/globals.h"
#include "platform/prompts.h"

namespace halvorine {

// ---------------------------------------------------------------- the output file

OutputFile::OutputFile() = default;

OutputFile::~OutputFile() {
    Abandon();
}

// A file still open here belongs to an export that failed before it closed it: what it wrote
// is not complete and replaces nothing.
void OutputFile::Create(const std::string& path) {
    Abandon();
    created_ = std::make_unique<TextFileWriter>(path);
    path_ = path;
}

void OutputFile::Append(const std::string& path) {
    // The old text is copied into the new file, which replaces the old one only once the export
    // is complete: a failed append leaves the old file as it was, not with a torn tail.
    Abandon();
    std::string old;
    if (FileExists(path)) old = ReadFileBytes(path);
    created_ = std::make_unique<TextFileWriter>(path);
    created_->Write(old);
    path_ = path;
}

void OutputFile::Write(const std::string& text) {
    if (!created_) throw IoError(path_, "no output file is open");
    created_->Write(text);
}

void OutputFile::Close() {
    if (created_) {
        std::unique_ptr<TextFileWriter> writer = std::move(created_);
        writer->Commit();
    }
}

void OutputFile::Abandon() noexcept {
    created_.reset();
}

bool OutputFile::IsOpen() const {
    return created_ != nullptr;
}

// ---------------------------------------------------------------- names and opening

char SafeFileNameChar(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    const bool kept = c == '$' || (c >= '0' && c <= '9') || (u >= 'A' && u <= 'z') || c == '~';
    return kept ? c : '_';
}

std::string SafeFileName(const std::string& text) {
    std::string safe = text;
    for (char& c : safe) c = SafeFileNameChar(c);
    return safe;
}

void OpenNamedOutputFile(OutputFile& file, const std::string& name, const std::string& ext, bool append) {
    // Beside the case: the folder part of its path, whatever the case is called.
    const std::string path = FolderOf(CaseFile.CaseFileName) + SafeFileName(name) + ext;
    if (append && FileExists(path))
        file.Append(path);
    else
        file.Create(path);
}

bool OpenOutputFile(const std::string& defaultExt, const std::string& filter, OutputFile& file, bool append) {
    platform::FileChoice choice;
    choice.FileName = CaseFile.CaseName;
    choice.Filter = filter;
    if (!Platform->SaveFile(choice)) return false;
    std::string name = choice.FileName;
    if (LacksExtension(name)) name += defaultExt;
    const bool exists = FileExists(name);
    if (exists && !append) {
        const std::string text = "Output file " + UpperCaseAscii(CaseNameFromFile(name) + defaultExt) +
                                 " already exists. Overwrite?";
        if (Platform->Message(platform::MessageKind::Warning, text, platform::Buttons::OkCancel) !=
            platform::Answer::Ok)
            return false;
    }
    if (append && exists)
        file.Append(name);
    else
        file.Create(name);
    return true;
}

// ---------------------------------------------------------------- writing

void OpenClipboardOutput() {
    ClipboardOutputOpen = true;
    ClipboardOutputText.clear();
}

void CloseClipboardOutput() {
    if (!ClipboardOutputOpen) return;
    ClipboardOutputOpen = false;
    std::string text;
    text.swap(ClipboardOutputText);
    Platform->SetClipboardText(text);
}

void WriteOutputLine(const std::string& text, bool toFile) {
    if (toFile) {
        OutFile.Write(text);
        if (OutputLineBreak) OutFile.Write("\r\n");
        return;
    }
    const std::string piece = OutputLineBreak ? text + "\r\n" : text;
    if (ClipboardOutputOpen)
        ClipboardOutputText += piece;
    else
        Platform->SetClipboardText(Platform->ClipboardText() + piece);
}

bool OutputNamesDistinct(const std::vector<std::string>& names, const std::string& ext) {
    // Compared without letter case: the case folder may live on a system that ignores it.
    std::unordered_map<std::string, std::size_t> seen;
    for (std::size_t n = 0; n < names.size(); ++n) {
        const std::string safe = SafeFileName(names[n]);
        const auto [it, fresh] = seen.emplace(UpperCaseAscii(safe), n);
        if (fresh) continue;
        Platform->Message(platform::MessageKind::Warning,
                          names[it->second] + " and " + names[n] + " would both be written to " + safe + ext +
                              ". Change one of the Ids and export again.",
                          platform::Buttons::Ok);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- the percentile table

std::string PercentileLabel(int k) {
    const long double point = k == 0 ? 0.25L : k == 100 ? 99.75L : static_cast<long double>(k);
    return StrFixed(point, 5, 2);
}

std::string PercentileText(int k) {
    if (!PercentileTableNote.empty()) return RightAligned(PercentileTableNote, FieldWidth);
    if (k < 0 || k > 100) return std::string(static_cast<std::size_t>(std::max(FieldWidth, 0)), ' ');
    return FormatNumber(PercentileTable[k]);
}

namespace {

bool NoTable(const char* why) {
    PercentileTableNote = why;
    for (float& v : PercentileTable) v = MissingValue;
    return false;
}

// Adds (end - start) / n to the previous stored entry n times, from entry `from` to entry `to`.
void FillSegment(int from, double start, int to, double end) {
    const int n = to - from;
    if (n <= 0) return;
    const double step = (end - start) / n;
    for (int j = from + 1; j <= to; ++j)
        PercentileTable[j] = static_cast<float>(static_cast<double>(PercentileTable[j - 1]) + step);
}

}  // namespace

bool BuildPercentileTable(int e, int slot) {
    PercentileTableNote.clear();
    const TExpert* x = e >= 1 && e <= ExpertSlotCount ? ExpertTable[e].get() : nullptr;
    const TAssessment* a = x && slot >= 1 && slot <= MaxItemCount ? x->Assessments[slot].get() : nullptr;
    if (!a || !a->Item) return NoTable("no assessment");
    const int q = QuantileCount;
    if (q < 1 || q > MaxQuantileCount) return NoTable("no levels");
    const TItem& item = *a->Item;
    const bool log = IsLogScale(item.Scale);

    double v[MaxQuantileCount + 1];
    for (int k = 1; k <= q; ++k) {
        if (IsMissing(a->Values[k])) return NoTable("missing values");
        if (k > 1 && !(a->Values[k] > a->Values[k - 1])) return NoTable("not increasing");
        v[k] = a->Values[k];
    }
    if (log && v[1] <= 0) return NoTable("LOG value <= 0");
    double low = item.IntrinsicLow;
    double high = item.IntrinsicHigh;
    // Bounds that are not set, do not enclose the values, or have no logarithm.
    if (IsMissing(item.IntrinsicLow) || IsMissing(item.IntrinsicHigh) || !std::isfinite(low) || !std::isfinite(high) ||
        !(low <= v[1]) || !(high >= v[q]) || (log && low <= 0))
        return NoTable("no range");

    // Whole percents, half to even; a level below 1 % or above 99 % sits on the outermost inner
    // entry, so no segment runs outside the table.
    int p[MaxQuantileCount + 1];
    for (int k = 1; k <= q; ++k) {
        const long double percent = std::nearbyint(100.0L * QuantileLevels[k]);
        p[k] = static_cast<int>(std::clamp(percent, 1.0L, 99.0L));
        if (k > 1 && p[k] <= p[k - 1]) return NoTable("levels too close");
    }

    double lowTail = v[1] - (v[1] - low) * (p[1] - 1) / ((p[1] - 1) + 0.75);
    double highTail = v[q] + (high - v[q]) * (99 - p[q]) / ((99 - p[q]) + 0.75);
    if (log) {
        for (int k = 1; k <= q; ++k) v[k] = std::log(v[k]);
        low = std::log(low);
        high = std::log(high);
        lowTail = std::log(lowTail);
        highTail = std::log(highTail);
    }

    PercentileTable[0] = static_cast<float>(low);
    PercentileTable[1] = static_cast<float>(lowTail);
    PercentileTable[100] = static_cast<float>(high);
    FillSegment(1, lowTail, p[1], v[1]);
    for (int k = 1; k < q; ++k) FillSegment(p[k], v[k], p[k + 1], v[k + 1]);
    FillSegment(p[q], v[q], 99, highTail);
    if (log)
        for (float& entry : PercentileTable) entry = static_cast<float>(std::exp(static_cast<double>(entry)));
    return true;
}

}  // namespace halvorine

#include "engine/case_columns.h"

#include <cmath>

#include "common/core/pascal_str.h"
#include "common/core/text.h"
#include "engine/case_number_text.h"
#include "engine/globals.h"
#include "engine/tables.h"
#include "platform/prompts.h"

namespace halvorine {

std::string RightAligned(const std::string& text, int width) {
    if (width <= 0 || text.size() >= static_cast<std::size_t>(width)) return text;
    return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

std::string ColumnText(const std::string& line, int pos, int count) {
    if (pos < 1 || count <= 0 || static_cast<std::size_t>(pos) > line.size()) return std::string();
    return Trim(line.substr(static_cast<std::size_t>(pos) - 1, static_cast<std::size_t>(count)));
}

std::string CaseNumber(float x) {
    // The readers take nan and infinities for missing values: they are written as one.
    if (!std::isfinite(x)) x = NoValue;
    // Well below the largest float every text StrExp writes reads back as it is.
    if (std::fabs(x) < 1e37f) {
        std::string text;
        AppendCaseNumber(text, x);
        // Six digits hold most values; one they would change is written with the digits it needs.
        float back = 0;
        const std::string_view number = std::string_view(text).substr(text[0] == ' ' ? 1 : 0);
        if (ParseCommonCaseNumber(number, back) && back == x) return text;
    }
    return StrExactReal32(x, 14);
}

void WarnRecordsDiscarded(const std::string& fileName, const std::string& records, int max) {
    Platform->Message(platform::MessageKind::Warning,
                      fileName + " contains more " + records + " than this version of the program can support (max " +
                          StrInt(max) + ").\n\rThe extraneous " + records + " are discarded.",
                      platform::Buttons::Ok);
}

void WarnValuesReadAsMissing(const std::string& fileName, int line) {
    Platform->Message(platform::MessageKind::Warning,
                      fileName + " holds at line " + StrInt(line) +
                          " a value that is not a number the program can store.\n\rSuch values are read as missing.",
                      platform::Buttons::Ok);
}

void WarnLevelOutside(const std::string& fileName, const std::string& level) {
    Platform->Message(platform::MessageKind::Warning,
                      fileName + " gives the quantile level " + level +
                          "% in its header.\n\rA level must lie above 0% and below 100%: the file cannot be read.",
                      platform::Buttons::Ok);
}

int LastItemIndex() {
    for (int i = MaxItemCount; i >= 1; --i)
        if (ItemTable[i]) return i;
    return 0;
}

namespace {

bool HasAnyValue(const TItem* item) {
    for (int e = 1; e <= MaxExpertCount; ++e) {
        const TExpert* x = ExpertTable[e].get();
        if (!x || x->IsDecisionMaker) continue;
        const TAssessment* a = FindAssessment(x, item);
        if (!a) continue;
        for (int k = 1; k <= QuantileCount; ++k)
            if (!IsMissing(a->Values[k])) return true;
    }
    return false;
}

}  // namespace

void AssignIdsForWriting() {
    DefaultItemNames();
    DefaultExpertNames();
    // The table routine leaves a first item without id, name or realisation alone; it still
    // must not take its values out of the file.
    TItem* first = ItemTable[1].get();
    if (first && first->Id.empty() && HasAnyValue(first)) first->Id = DefaultItemId(1);
}

}  // namespace halvorine

#include "engine/assessments_file.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "common/core/line_io.h"
#include "common/core/pascal_str.h"
#include "common/core/text.h"
#include "engine/case_columns.h"
#include "engine/case_number_text.h"
#include "engine/globals.h"
#include "engine/items_file.h"
#include "engine/tables.h"

namespace halvorine {

namespace {

// The reader's own view of the expert table: how far it is filled and the expert of the last line.
int readerExpertCount = 0;
int currentExpertIndex = 0;
// Set when a value word of the line just read was not a number a real can hold.
bool lineLostValue = false;

struct HeaderLevels {
    int count = 0;
    float levels[MaxQuantileCount + 1] = {};
};

// The header's count and levels, without committing anything.
bool ParseHeaderLevels(const std::string& line, HeaderLevels& out) {
    std::size_t nq = line.find("NQ=");
    if (nq == std::string::npos) nq = line.find("nq=");
    std::size_t qu = line.find("QU=");
    if (qu == std::string::npos) qu = line.find("qu=");
    if (nq == std::string::npos || qu == std::string::npos) return false;

    long long count = 0;
    if (ValInt(line.substr(nq + 3, 4), count) != 0 || count < 1 || count > MaxQuantileCount) return false;
    out.count = static_cast<int>(count);

    const std::size_t first = qu + 3;
    for (int k = 1; k <= out.count; ++k) {
        const std::size_t at = first + 4 * static_cast<std::size_t>(k - 1);
        const std::string field = at < line.size() ? line.substr(at, 4) : std::string();
        long double percent = 0;
        if (ValReal(field, percent) != 0) return false;
        // A level at 0 or 100 % leaves an empty outer bin, and one above 100 % a negative one.
        if (!(percent > 0 && percent < 100)) return false;
        const float level = static_cast<float>(percent / 100);
        // Equal levels would need equal quantiles, which no data check accepts.
        if (k > 1 && !(level > out.levels[k - 1])) return false;
        out.levels[k] = level;
    }
    return true;
}

void CommitHeader(const std::string& line, const HeaderLevels& h) {
    AssessmentHeader = line;
    QuantileCount = h.count;
    for (int k = 1; k <= h.count; ++k) QuantileLevels[k] = h.levels[k];
    ComputeBinProbabilities();
}

bool SameAsCaseLevels(const HeaderLevels& h) {
    if (h.count != QuantileCount) return false;
    for (int k = 1; k <= h.count; ++k)
        if (h.levels[k] != QuantileLevels[k]) return false;
    return true;
}

// The first header of a file; in a merge its levels must be those of the open case, whose
// experts' values were given at those levels.
bool ReadHeader(const std::string& line, bool merge) {
    HeaderLevels h;
    if (!ParseHeaderLevels(line, h)) return false;
    if (merge && !SameAsCaseLevels(h)) return false;
    CommitHeader(line, h);
    return true;
}

int LastPresentExpert() {
    for (int e = MaxExpertCount; e >= 1; --e)
        if (ExpertTable[e]) return e;
    return 0;
}

// Slot i of every data expert holds an assessment of item i: an empty one where the file had
// none, so that a skipped item never lets a later item's values move into its slot.
void FillMissingAssessments() {
    for (int e = 1; e <= MaxExpertCount; ++e) {
        TExpert* x = ExpertTable[e].get();
        if (!x || x->IsDecisionMaker) continue;
        for (int i = 1; i <= MaxItemCount; ++i) {
            TItem* item = ItemTable[i].get();
            if (!item || x->Assessments[i]) continue;
            if (TAssessment* a = NewAssessment(x, i)) a->Item = item;
        }
    }
}

// Values, names and flag of a data line from pos on, into the expert's slot of the current item.
void ReadAssessmentFields(const std::string& line, int pos, TItem* item, TExpert* expert) {
    const int slot = CurrentItemIndex;
    if (slot < 1 || slot > MaxItemCount) return;
    auto& held = expert->Assessments[slot];
    if (held && held->Item) return; // the first line for an expert and item wins
    if (!held && !NewAssessment(expert, slot)) return;
    TAssessment* a = held.get();
    a->Item = item;
    for (int k = 1; k <= QuantileCount; ++k) {
        const std::string word = NextWord(line, pos);
        ++pos;
        float v = NoValue;
        const bool read = ParseCommonCaseNumber(word, v) || ParseReal32(word, v);
        a->Values[k] = read ? v : NoValue;
        if (!read && !word.empty()) lineLostValue = true;
    }
    const std::string itemName = ColumnText(line, pos, 173);
    if (!itemName.empty() && item->Name.empty()) item->Name = itemName;
    pos += 174;
    const std::string expertName = ColumnText(line, pos, 50);
    if (expert->Name.empty()) expert->Name = expertName;
    pos += 51;
    if (pos >= 1 && static_cast<std::size_t>(pos) <= line.size() && (line[pos - 1] == 'F' || line[pos - 1] == 'f'))
        expert->FilterFlag = true;
}

std::string AssessmentLine(int number, const TExpert& x, int i, int itemNumber, TItem& item, const TAssessment& a,
                           bool firstLine) {
    std::string line;
    line.reserve(static_cast<std::size_t>(40 + 15 * QuantileCount + 230));
    line += ' ';
    line += StrInt(number, 4);
    line += ' ';
    line += RightAligned(x.Id, 8);
    line += ' ';
    line += StrInt(itemNumber, 4);
    line += ' ';
    line += RightAligned(item.Id, 14);
    line += ' ';
    // An empty scale would make the line unreadable; the reader takes unknown words for the default.
    line += RightAligned(item.Scale.empty() ? std::string(ScaleNames[DefaultScale]) : item.Scale.str(), 3);
    line += ' ';
    for (int k = 1; k <= QuantileCount; ++k) {
        line += CaseNumber(a.Values[k]);
        line += ' ';
    }
    if (!(firstLine || i == 1 || !item.NameDone)) return line;
    const bool itemName = !item.Name.empty() && (i == 1 || !item.NameDone);
    // The expert's name goes on its first line, whichever item that is; whatever follows the
    // item's name keeps its columns, so a flag never lands in the name field.
    const bool expertName = firstLine && !x.Name.empty();
    const bool more = expertName || x.FilterFlag;
    if (itemName) {
        line += RightAligned(item.Name, 173);
        line += ' ';
        item.NameDone = true;
    } else if (more) {
        line += std::string(174, ' ');
    }
    if (more) line += expertName ? RightAligned(x.Name, 50) : std::string(50, ' ');
    if (x.FilterFlag) line += " F";
    return line;
}

std::string HeaderFromLevels() {
    int percents[MaxQuantileCount + 1] = {};
    for (int k = 1; k <= QuantileCount; ++k)
        percents[k - 1] = static_cast<int>(std::lround(static_cast<long double>(QuantileLevels[k]) * 100));
    return MakeAssessmentHeader(QuantileCount, percents);
}

} // namespace

std::string MakeAssessmentHeader(int count, const int* percents) {
    std::string header = "* OBRIX ASCII OUTPUT FILE. NQ=  " + StrInt(count, 2) + "   QU=";
    for (int k = 0; k < count; ++k) header += StrInt(percents[k], 4);
    return header + " ";
}

bool ParseAssessmentHeader(const std::string& line) {
    HeaderLevels h;
    if (!ParseHeaderLevels(line, h)) return false;
    CommitHeader(line, h);
    return true;
}

TItem* FindOrCreateItem(const std::string& id) {
    const int known = std::min(ItemCount, MaxItemCount);
    if (CurrentItemIndex >= 1 && CurrentItemIndex <= known) {
        TItem* hint = ItemTable[CurrentItemIndex].get();
        if (hint && SameTextNoCase(hint->Id, id)) return hint;
    }
    for (int i = 1; i <= known; ++i) {
        TItem* item = ItemTable[i].get();
        if (item && SameTextNoCase(item->Id, id)) {
            CurrentItemIndex = i;
            return item;
        }
    }
    if (ItemCount < MaxItems && ItemCount < MaxItemCount) {
        TItem* item = NewItem(id, "", ItemCount + 1);
        if (!item) return nullptr;
        ++ItemCount;
        CurrentItemIndex = ItemCount;
        return item;
    }
    TooManyRecords = true;
    return nullptr;
}

TExpert* FindOrCreateExpert(const std::string& id) {
    if (currentExpertIndex >= 1 && currentExpertIndex <= MaxExpertCount) {
        TExpert* current = ExpertTable[currentExpertIndex].get();
        if (current && SameTextNoCase(current->Id, id)) return current;
    }
    for (int e = 1; e <= readerExpertCount; ++e) {
        TExpert* x = ExpertTable[e].get();
        if (x && SameTextNoCase(x->Id, id)) {
            currentExpertIndex = e;
            return x;
        }
    }
    if (readerExpertCount < MaxExpertCount) {
        TExpert* x = NewExpert(id, "", readerExpertCount + 1);
        if (!x) return nullptr;
        ++readerExpertCount;
        if (ExpertCount > 0) ++ExpertCount;
        currentExpertIndex = readerExpertCount;
        return x;
    }
    TooManyRecords = true;
    return nullptr;
}

namespace {

// The fields of a data line that every line must have; pos ends where the values start.
struct LineFields {
    std::string ExpertId;
    std::string ItemId;
    std::string Scale;
    int Pos = 1;
};

bool SplitAssessmentLine(const std::string& line, LineFields& f) {
    int pos = 1;
    const std::string expertWord = NextWord(line, pos);
    ++pos;
    // An id taken from the number word is trimmed as the column is, so that it reads back the
    // same from the column it is written to.
    f.ExpertId = ColumnText(line, pos, 8);
    if (f.ExpertId.empty()) f.ExpertId = Trim(CutTo(expertWord, 8));
    pos += 8;
    const std::string itemWord = NextWord(line, pos);
    ++pos;
    f.ItemId = ColumnText(line, pos, 14);
    if (f.ItemId.empty()) f.ItemId = Trim(CutTo(itemWord, 14));
    pos += 14;
    NormaliseScale(NextWord(line, pos), f.Scale);
    ++pos;
    f.Pos = pos;
    return !(expertWord.empty() || f.ExpertId.empty() || itemWord.empty() || f.ItemId.empty() || f.Scale.empty());
}

bool LevelsKnown(int count) {
    return count >= 1 && count <= MaxQuantileCount;
}

// Blank and control characters only: nothing that Trim would leave.
bool BlankLine(const std::string& line) {
    for (char c : line)
        if (static_cast<unsigned char>(c) > ' ') return false;
    return true;
}

// Passes the lines to the header and data-line readers as the reader meets them; the number
// of the first line one of them refuses, 0 when none does. next(line) gives the lines in turn.
// lineNumber, when given, follows the number of the line being read.
template <typename Next, typename Header, typename Data>
int FirstRefusedLineOf(Next next, Header header, Data data, int* current = nullptr) {
    bool headerSeen = false;
    int lineNumber = 0;
    std::string line;
    while (next(line)) {
        ++lineNumber;
        if (current) *current = lineNumber;
        if (BlankLine(line)) continue;
        bool accepted = true;
        if (line[0] == '*') {
            if (!headerSeen) {
                headerSeen = true;
                accepted = header(line);
            }
        } else {
            accepted = data(line);
        }
        if (!accepted) return lineNumber;
    }
    return 0;
}

template <typename Header, typename Data>
int FirstRefusedLine(const std::vector<std::string>& lines, Header header, Data data, int* current = nullptr) {
    std::size_t t = 0;
    return FirstRefusedLineOf(
        [&](std::string& line) {
            if (t == lines.size()) return false;
            line = lines[t++];
            return true;
        },
        header, data, current);
}

// The lines of a file's bytes as SplitTextLines splits them, one at a time.
template <typename Header, typename Data>
int FirstRefusedLine(const std::string& bytes, Header header, Data data, int* current = nullptr) {
    TextLineCursor cursor(bytes);
    return FirstRefusedLineOf([&](std::string& line) { return cursor.Next(line); }, header, data, current);
}

} // namespace

bool ParseAssessmentLine(const std::string& line) {
    // Values cannot be read without knowing how many there are.
    if (!LevelsKnown(QuantileCount)) return false;
    LineFields f;
    if (!SplitAssessmentLine(line, f)) return false;

    TItem* item = FindOrCreateItem(f.ItemId);
    if (item) item->Scale = f.Scale; // the last line of an item decides its scale
    TExpert* expert = FindOrCreateExpert(f.ExpertId);
    if (item && expert) ReadAssessmentFields(line, f.Pos, item, expert);
    ++CurrentItemIndex; // the next line tries the next item first
    return true;
}

std::vector<std::string> ReadAssessmentsFileLines(const std::string& fileName) {
    return SplitTextLines(ReadFileBytes(fileName, MaxAssessmentsFileBytes));
}

namespace {

template <typename Lines>
int ReadAssessmentsFrom(const std::string& fileName, const Lines& lines) {
    CurrentItemIndex = 0;
    ItemCount = LastItemIndex();
    readerExpertCount = LastPresentExpert();
    currentExpertIndex = 0;
    MaxItems = MaxItemCount;
    TooManyRecords = false;
    const bool merge = readerExpertCount > 0;

    int lineNumber = 0;
    int firstLostValueLine = 0;
    const int failed = FirstRefusedLine(
        lines, [merge](const std::string& line) { return ReadHeader(line, merge); },
        [&](const std::string& line) {
            lineLostValue = false;
            const bool accepted = ParseAssessmentLine(line);
            if (lineLostValue && firstLostValueLine == 0) firstLostValueLine = lineNumber;
            return accepted;
        },
        &lineNumber);

    if (TooManyRecords) WarnRecordsDiscarded(fileName, "experts", MaxExpertCount);
    if (firstLostValueLine != 0) WarnValuesReadAsMissing(fileName, firstLostValueLine);
    FillMissingAssessments();
    BuildItemIndexMap();
    return failed;
}

} // namespace

int ReadAssessmentsFile(const std::string& fileName) {
    // Read where the bytes are: a full-size file is never held twice.
    return ReadAssessmentsFrom(fileName, ReadFileBytes(fileName, MaxAssessmentsFileBytes));
}

int ReadAssessmentLines(const std::string& fileName, const std::vector<std::string>& lines) {
    return ReadAssessmentsFrom(fileName, lines);
}

int FirstFailingAssessmentsLine(const std::string& fileName) {
    return FirstFailingAssessmentsLine(ReadAssessmentsFileLines(fileName));
}

int FirstFailingAssessmentsLine(const std::vector<std::string>& lines) {
    const bool merge = LastPresentExpert() > 0;
    int count = QuantileCount;
    return FirstRefusedLine(
        lines,
        [merge, &count](const std::string& line) {
            HeaderLevels h;
            if (!ParseHeaderLevels(line, h) || (merge && !SameAsCaseLevels(h))) return false;
            count = h.count;
            return true;
        },
        [&count](const std::string& line) {
            LineFields f;
            return LevelsKnown(count) && SplitAssessmentLine(line, f);
        });
}

bool WriteAssessmentsFile(const std::string& fileName) {
    TextFileWriter out(fileName);
    WriteAssessmentsTo(out);
    out.Commit();
    return true;
}

void WriteAssessmentsTo(TextFileWriter& out) {
    AssignIdsForWriting();

    for (auto& item : ItemTable)
        if (item) item->NameDone = item->Name.empty();

    if (TrimRight(AssessmentHeader).empty() && QuantileCount >= 1 && QuantileCount <= MaxQuantileCount)
        AssessmentHeader = HeaderFromLevels();
    out.WriteLine(TrimRight(AssessmentHeader));

    std::vector<int> itemNumber(MaxItemCount + 1, 0);
    for (int i = 1; i <= MaxItemCount; ++i)
        if (ItemTable[i] && !ItemTable[i]->Id.empty()) itemNumber[i] = ItemNumberOfId(ItemTable[i]->Id);

    // The values as entered, where an update has moved them.
    std::unordered_map<const TAssessment*, const SavedQuantiles*> entered;
    for (const SavedQuantiles& saved : QuantileBackup) entered.emplace(saved.Assessment, &saved);

    // Where each item stands in the table; an assessment of an item that is not there is not written.
    std::unordered_map<const TItem*, int> tableIndex;
    for (int i = 1; i <= MaxItemCount; ++i)
        if (ItemTable[i]) tableIndex.emplace(ItemTable[i].get(), i);

    int number = 0;
    std::vector<const TAssessment*> held(MaxItemCount + 1);
    for (int e = 1; e <= MaxExpertCount; ++e) {
        if (ExpertCount > 0 && e > ExpertCount) break; // decision makers are not written
        const TExpert* x = ExpertTable[e].get();
        if (!x || x->Id.empty() || x->IsDecisionMaker) continue;
        ++number;
        // The expert's assessment of an item is the first slot that refers to it.
        std::fill(held.begin(), held.end(), nullptr);
        for (int s = 1; s <= MaxItemCount; ++s) {
            const TAssessment* a = x->Assessments[s].get();
            if (!a || !a->Item) continue;
            const auto at = tableIndex.find(a->Item);
            if (at != tableIndex.end() && !held[at->second]) held[at->second] = a;
        }
        bool firstLine = true;
        for (int i = 1; i <= MaxItemCount; ++i) {
            TItem* item = ItemTable[i].get();
            if (!item || item->Id.empty() || !held[i]) continue;
            TAssessment written = *held[i];
            if (const auto s = entered.find(held[i]); s != entered.end())
                for (int k = 1; k <= std::min(QuantileCount, MaxQuantileCount); ++k) written.Values[k] = s->second->Values[k];
            out.WriteLine(AssessmentLine(number, *x, i, itemNumber[i], *item, written, firstLine));
            firstLine = false;
        }
    }
}

} // namespace halvorine

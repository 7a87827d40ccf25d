#include "engine/assessments_file.h"

#include <algorithm>
#include <charconv>
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
// Set when a line's item, or its expert, found its table full.
bool itemsDiscarded = false;
bool expertsDiscarded = false;

// What a read changes in the case, so that a read that breaks off half-way (an I/O error, a
// file that grows too large while it is read) leaves the case as it was. Records the read creates
// are built in place and simply dropped; of the records that were there before, only what the
// reader may change is kept: the names and scales of items, the names and flags of experts, and
// each expert slot the reader fills (once, since the first line for a slot wins).
class ReadJournal {
public:
    ReadJournal() {
        header_ = AssessmentHeader;
        quantileCount_ = QuantileCount;
        std::copy(std::begin(QuantileLevels), std::end(QuantileLevels), std::begin(levels_));
        std::copy(std::begin(BinProbabilities), std::end(BinProbabilities), std::begin(bins_));
        currentItemIndex_ = CurrentItemIndex;
        itemCount_ = ItemCount;
        maxItems_ = MaxItems;
        expertCount_ = ExpertCount;
        tooManyRecords_ = TooManyRecords;
        for (int i = 1; i <= MaxItemCount; ++i)
            if (const TItem* item = ItemTable[i].get()) {
                items_.push_back({i, item->Name, item->Scale});
                firstNewItem_ = i + 1;
            }
        for (int e = 1; e <= MaxExpertCount; ++e)
            if (const TExpert* x = ExpertTable[e].get()) {
                experts_.push_back({e, x->Name, x->FilterFlag});
                firstNewExpert_ = e + 1;
            }
    }

    // Before the reader fills slot `slot` of the expert at index e.
    void NoteSlot(int e, int slot) {
        if (e >= firstNewExpert_) return;
        const auto& held = ExpertTable[e]->Assessments[slot];
        slots_.push_back({e, slot, held ? static_cast<int>(before_.size()) : -1});
        if (held) before_.push_back(*held);
    }

    void Undo() {
        for (auto s = slots_.rbegin(); s != slots_.rend(); ++s) {
            auto& held = ExpertTable[s->Expert]->Assessments[s->Slot];
            if (s->Before < 0)
                held.reset();
            else if (held)
                *held = before_[static_cast<std::size_t>(s->Before)];
        }
        for (int e = firstNewExpert_; e <= MaxExpertCount; ++e) ExpertTable[e].reset();
        for (int i = firstNewItem_; i <= MaxItemCount; ++i) ItemTable[i].reset();
        for (const ItemBefore& b : items_) {
            ItemTable[b.Index]->Name = b.Name;
            ItemTable[b.Index]->Scale = b.Scale;
        }
        for (const ExpertBefore& b : experts_) {
            ExpertTable[b.Index]->Name = b.Name;
            ExpertTable[b.Index]->FilterFlag = b.FilterFlag;
        }
        AssessmentHeader = header_;
        QuantileCount = quantileCount_;
        std::copy(std::begin(levels_), std::end(levels_), std::begin(QuantileLevels));
        std::copy(std::begin(bins_), std::end(bins_), std::begin(BinProbabilities));
        CurrentItemIndex = currentItemIndex_;
        ItemCount = itemCount_;
        MaxItems = maxItems_;
        ExpertCount = expertCount_;
        TooManyRecords = tooManyRecords_;
    }

private:
    struct ItemBefore {
        int Index;
        decltype(TItem::Name) Name;
        decltype(TItem::Scale) Scale;
    };
    struct ExpertBefore {
        int Index;
        decltype(TExpert::Name) Name;
        bool FilterFlag;
    };
    struct SlotBefore {
        int Expert;
        int Slot;
        int Before;  // index of the slot's record as it was in before_; -1: the slot was empty
    };

    std::string header_;
    int quantileCount_ = 0;
    float levels_[MaxQuantileCount + 1] = {};
    float bins_[MaxQuantileCount + 2] = {};
    int currentItemIndex_ = 0;
    int itemCount_ = 0;
    int maxItems_ = 0;
    int expertCount_ = 0;
    bool tooManyRecords_ = false;
    int firstNewItem_ = 1;
    int firstNewExpert_ = 1;
    std::vector<ItemBefore> items_;
    std::vector<ExpertBefore> experts_;
    std::vector<SlotBefore> slots_;
    std::vector<TAssessment> before_;
};

// The journal of the read in progress; none when a line is parsed on its own.
ReadJournal* journal = nullptr;

struct HeaderLevels {
    int count = 0;
    float levels[MaxQuantileCount + 1] = {};
};

// The header's count and levels, without committing anything. A level refused for lying outside
// (0, 100) percent goes to *outside as written.
bool ParseHeaderLevels(const std::string& line, HeaderLevels& out, std::string* outside = nullptr) {
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
        if (!(percent > 0 && percent < 100)) {
            if (outside) *outside = Trim(field);
            return false;
        }
        const float level = static_cast<float>(percent / 100);
        // Equal levels open (the run refuses to compute with them); falling ones do not.
        if (k > 1 && level < out.levels[k - 1]) return false;
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
bool ReadHeader(const std::string& fileName, const std::string& line, bool merge) {
    HeaderLevels h;
    std::string outside;
    if (!ParseHeaderLevels(line, h, &outside)) {
        if (!outside.empty()) WarnLevelOutside(fileName, outside);
        return false;
    }
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
    if (held && held->Item) return;  // the first line for an expert and item wins
    if (journal) journal->NoteSlot(currentExpertIndex, slot);
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

void AppendRightAligned(std::string& out, const std::string& text, std::size_t width) {
    if (text.size() < width) out.append(width - text.size(), ' ');
    out += text;
}

// n right-aligned in width, as StrInt(n, width) writes it.
void AppendInt(std::string& out, int n, std::size_t width) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    const auto size = static_cast<std::size_t>(end - digits);
    if (size < width) out.append(width - size, ' ');
    out.append(digits, size);
}

// One line of the file, without its line end, appended to out.
void AppendAssessmentLine(std::string& out, int number, const TExpert& x, int i, int itemNumber, TItem& item,
                          const float* values, bool firstLine) {
    out += ' ';
    AppendInt(out, number, 4);
    out += ' ';
    AppendRightAligned(out, x.Id, 8);
    out += ' ';
    AppendInt(out, itemNumber, 4);
    out += ' ';
    AppendRightAligned(out, item.Id, 14);
    out += ' ';
    // An empty scale would make the line unreadable; the reader takes unknown words for the default.
    AppendRightAligned(out, item.Scale.empty() ? std::string(ScaleNames[DefaultScale]) : item.Scale.str(), 3);
    out += ' ';
    for (int k = 1; k <= QuantileCount; ++k) {
        out += CaseNumber(values[k]);
        out += ' ';
    }
    if (!(firstLine || i == 1 || !item.NameDone)) return;
    const bool itemName = !item.Name.empty() && (i == 1 || !item.NameDone);
    // The expert's name goes on its first line, whichever item that is; whatever follows the
    // item's name keeps its columns, so a flag never lands in the name field.
    const bool expertName = firstLine && !x.Name.empty();
    const bool more = expertName || x.FilterFlag;
    if (itemName) {
        AppendRightAligned(out, item.Name, 173);
        out += ' ';
        item.NameDone = true;
    } else if (more) {
        out.append(174, ' ');
    }
    if (more) {
        if (expertName)
            AppendRightAligned(out, x.Name, 50);
        else
            out.append(50, ' ');
    }
    if (x.FilterFlag) out += " F";
}

std::string HeaderFromLevels() {
    int percents[MaxQuantileCount + 1] = {};
    for (int k = 1; k <= QuantileCount; ++k)
        percents[k - 1] = static_cast<int>(std::lround(static_cast<long double>(QuantileLevels[k]) * 100));
    return MakeAssessmentHeader(QuantileCount, percents);
}

}  // namespace

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
        if (line.size() > MaxCaseLineBytes) return lineNumber;
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

// The lines of a file as the reader gives them, one at a time.
template <typename Header, typename Data>
int FirstRefusedLine(TextLineReader& reader, Header header, Data data, int* current = nullptr) {
    return FirstRefusedLineOf([&](std::string& line) { return reader.Next(line); }, header, data, current);
}

}  // namespace

bool ParseAssessmentLine(const std::string& line) {
    // Values cannot be read without knowing how many there are.
    if (!LevelsKnown(QuantileCount)) return false;
    LineFields f;
    if (!SplitAssessmentLine(line, f)) return false;

    TItem* item = FindOrCreateItem(f.ItemId);
    if (item) item->Scale = f.Scale;  // the last line of an item decides its scale
    itemsDiscarded = itemsDiscarded || !item;
    TExpert* expert = FindOrCreateExpert(f.ExpertId);
    expertsDiscarded = expertsDiscarded || !expert;
    if (item && expert) ReadAssessmentFields(line, f.Pos, item, expert);
    ++CurrentItemIndex;  // the next line tries the next item first
    return true;
}

std::vector<std::string> ReadAssessmentsFileLines(const std::string& fileName) {
    int tooLong = 0;
    std::vector<std::string> lines = SplitTextLines(ReadFileBytes(fileName, MaxAssessmentsFileBytes), MaxCaseLineBytes,
                                                    tooLong);
    // The readers refuse a line by its length: a piece just too long stands for the rest of it.
    if (tooLong != 0) lines.emplace_back(MaxCaseLineBytes + 1, ' ');
    return lines;
}

namespace {

template <typename Lines>
int ReadAssessmentsFrom(const std::string& fileName, Lines& lines) {
    ReadJournal undo;
    CurrentItemIndex = 0;
    ItemCount = LastItemIndex();
    readerExpertCount = LastPresentExpert();
    currentExpertIndex = 0;
    MaxItems = MaxItemCount;
    TooManyRecords = false;
    const bool merge = readerExpertCount > 0;
    itemsDiscarded = false;
    expertsDiscarded = false;

    int lineNumber = 0;
    int firstLostValueLine = 0;
    int failed = 0;
    journal = &undo;
    try {
        failed = FirstRefusedLine(
            lines, [&fileName, merge](const std::string& line) { return ReadHeader(fileName, line, merge); },
            [&](const std::string& line) {
                lineLostValue = false;
                const bool accepted = ParseAssessmentLine(line);
                if (lineLostValue && firstLostValueLine == 0) firstLostValueLine = lineNumber;
                return accepted;
            },
            &lineNumber);
    } catch (...) {
        journal = nullptr;
        undo.Undo();
        throw;
    }
    journal = nullptr;

    // The warning names the table that is full.
    if (itemsDiscarded) WarnRecordsDiscarded(fileName, "items", MaxItemCount);
    if (expertsDiscarded || (TooManyRecords && !itemsDiscarded))
        WarnRecordsDiscarded(fileName, "experts", MaxExpertCount);
    if (firstLostValueLine != 0) WarnValuesReadAsMissing(fileName, firstLostValueLine);
    FillMissingAssessments();
    BuildItemIndexMap();
    return failed;
}

}  // namespace

int ReadAssessmentsFile(const std::string& fileName) {
    return ReadAssessmentsFile(fileName, TextLineReader::DefaultPieceBytes, MaxAssessmentsFileBytes);
}

int ReadAssessmentsFile(const std::string& fileName, std::size_t pieceBytes, std::size_t maxBytes) {
    // A piece at a time: a full-size file is never held whole beside the records made of it.
    TextLineReader reader(fileName, maxBytes, pieceBytes, MaxCaseLineBytes);
    return ReadAssessmentsFrom(fileName, reader);
}

int ReadAssessmentLines(const std::string& fileName, const std::vector<std::string>& lines) {
    return ReadAssessmentsFrom(fileName, lines);
}

namespace {

template <typename Lines>
int FirstFailingLineOf(const std::string& fileName, Lines& lines) {
    const bool merge = LastPresentExpert() > 0;
    int count = QuantileCount;
    return FirstRefusedLine(
        lines,
        [&fileName, merge, &count](const std::string& line) {
            HeaderLevels h;
            std::string outside;
            if (!ParseHeaderLevels(line, h, &outside)) {
                if (!outside.empty() && !fileName.empty()) WarnLevelOutside(fileName, outside);
                return false;
            }
            if (merge && !SameAsCaseLevels(h)) return false;
            count = h.count;
            return true;
        },
        [&count](const std::string& line) {
            LineFields f;
            return LevelsKnown(count) && SplitAssessmentLine(line, f);
        });
}

}  // namespace

int FirstFailingAssessmentsLine(const std::string& fileName) {
    TextLineReader reader(fileName, MaxAssessmentsFileBytes, TextLineReader::DefaultPieceBytes, MaxCaseLineBytes);
    return FirstFailingLineOf(fileName, reader);
}

int FirstFailingAssessmentsLine(const std::vector<std::string>& lines) {
    return FirstFailingLineOf(std::string(), lines);
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

    // The lines go out a chunk at a time, not one write per line.
    constexpr std::size_t ChunkBytes = std::size_t{1} << 20;
    std::string chunk;
    chunk.reserve(ChunkBytes + 4096);
    int number = 0;
    std::vector<const TAssessment*> held(MaxItemCount + 1);
    for (int e = 1; e <= MaxExpertCount; ++e) {
        if (ExpertCount > 0 && e > ExpertCount) break;  // decision makers are not written
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
            const float* values = held[i]->Values;
            if (!entered.empty() && QuantileCount <= MaxQuantileCount)
                if (const auto s = entered.find(held[i]); s != entered.end()) values = s->second->Values;
            AppendAssessmentLine(chunk, number, *x, i, itemNumber[i], *item, values, firstLine);
            chunk += "\r\n";
            firstLine = false;
            if (chunk.size() >= ChunkBytes) {
                out.Write(chunk);
                chunk.clear();
            }
        }
    }
    out.Write(chunk);
}

}  // namespace halvorine

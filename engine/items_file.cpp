#include "engine/items_file.h"

#include "common/core/line_io.h"
#include "common/core/pascal_str.h"
#include "common/core/text.h"
#include "engine/assessments_file.h"
#include "engine/case_columns.h"
#include "engine/globals.h"
#include "engine/tables.h"

namespace halvorine {

namespace {

// Set when the realisation word of the line just read was not a number a real can hold.
bool lineLostValue = false;

std::string ItemLine(int i, const TItem& item) {
    std::string line = " " + StrInt(i, 4) + " " + RightAligned(item.Id, 14) + " " + CaseNumber(item.Realisation) + " ";
    // An empty scale would make the line unreadable; the reader takes unknown words for the default.
    line += RightAligned(item.Scale.empty() ? std::string(ScaleNames[DefaultScale]) : item.Scale.str(), 3);
    line += " " + RightAligned(item.Name, 173) + " ";
    if (item.FilterFlag) line += 'F';
    return line;
}

}  // namespace

int ItemIndexOf(const TItem* item) {
    if (!item) return 0;
    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i)
        if (ItemTable[i].get() == item) return i;
    return 0;
}

int ItemNumberOfId(const std::string& id) {
    for (int i = 1; i <= MaxItemCount; ++i)
        if (ItemTable[i] && SameTextNoCase(ItemTable[i]->Id, id)) return i;
    return 0;
}

void AddItemToExperts(TItem* item, int index) {
    if (!item || index < 1 || index > MaxItemCount) return;
    for (int e = 1; e <= ExpertSlotCount && ExpertTable[e]; ++e) {
        TExpert* x = ExpertTable[e].get();
        if (x->Assessments[index]) continue;
        if (TAssessment* a = NewAssessment(x, index)) a->Item = item;
    }
}

bool ParseItemLine(const std::string& line) {
    int pos = 1;
    const std::string number = NextWord(line, pos);
    ++pos;
    const std::string id = ColumnText(line, pos, 14);
    pos += 14;
    if (number.empty() || id.empty()) return false;

    TItem* item = FindOrCreateItem(id);
    if (!item) return true;  // beyond the table: discarded
    const int index = ItemIndexOf(item);
    ++pos;
    const std::string realisation = NextWord(line, pos);
    ++pos;
    std::string scale;
    NormaliseScale(NextWord(line, pos), scale);

    if (!item->HasRealisation) {  // the first line with a realisation wins
        float v = NoValue;
        if (ParseReal32(realisation, v)) {
            item->Realisation = v;
            item->HasRealisation = true;
        } else {
            item->Realisation = NoValue;
            if (!realisation.empty()) lineLostValue = true;
        }
    }
    if (!scale.empty()) item->Scale = scale;  // the last line decides the scale
    ++pos;
    const std::string name = ColumnText(line, pos, 173);
    if (item->Name.empty()) item->Name = name;
    pos += 174;
    if (pos >= 1 && static_cast<std::size_t>(pos) <= line.size() && (line[pos - 1] == 'F' || line[pos - 1] == 'f'))
        item->FilterFlag = true;
    AddItemToExperts(item, index);
    return true;
}

int ReadItemsFile(const std::string& fileName) {
    // Read whole before anything changes (an items file is small), so that a failed read changes
    // nothing; its lines are taken one at a time from the bytes.
    const std::string bytes = ReadFileBytes(fileName, MaxItemsFileBytes);
    TextLineCursor lines(bytes);
    MaxItems = MaxItemCount;
    TooManyRecords = false;
    // New items go after the last present one, whatever an earlier case left in the counter.
    ItemCount = LastItemIndex();

    int failed = 0;
    int lineNumber = 0;
    int firstLostValueLine = 0;
    std::string line;
    while (lines.Next(line)) {
        ++lineNumber;
        if (line.size() > MaxCaseLineBytes) {
            failed = lineNumber;
            break;
        }
        if (Trim(line).empty()) continue;
        lineLostValue = false;
        const bool accepted = ParseItemLine(line);
        if (lineLostValue && firstLostValueLine == 0) firstLostValueLine = lineNumber;
        if (!accepted) {
            failed = lineNumber;
            break;
        }
    }
    if (TooManyRecords) WarnRecordsDiscarded(fileName, "items", MaxItems);
    if (firstLostValueLine != 0) WarnValuesReadAsMissing(fileName, firstLostValueLine);
    BuildItemIndexMap();
    return failed;
}

bool WriteItemsFile(const std::string& fileName) {
    TextFileWriter out(fileName);
    WriteItemsTo(out);
    out.Commit();
    return true;
}

void WriteItemsTo(TextFileWriter& out) {
    AssignIdsForWriting();
    for (int i = 1; i <= MaxItemCount; ++i) {
        const TItem* item = ItemTable[i].get();
        if (item && !item->Id.empty()) out.WriteLine(ItemLine(i, *item));
    }
}

}  // namespace halvorine

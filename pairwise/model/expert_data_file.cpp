#include "pairwise/model/expert_data_file.h"

#include "common/core/line_io.h"
#include "common/core/pascal_str.h"
#include "common/core/text.h"
#include "pairwise/model/file_fields.h"
#include "pairwise/model/globals.h"
#include "pairwise/model/record_lookup.h"
#include "pairwise/model/tables.h"

namespace trindel {

namespace {

const char* const HeaderText = "* TRINDEL ASCII OUTPUT FILE. NQ=  ";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsAnswer(char c) {
    return c == '<' || c == '=' || c == '>';
}

// A fresh expert table for the file; the items read before stay where they are.
void StartExpertTable() {
    ActiveExpert = nullptr;
    for (auto& e : ExpertTable) e.reset();
    for (auto& e : FilteredExperts) e.reset();
    RestoreFilteredItems(FilteredItems);
    CurrentItemIndex = 0;
    CurrentExpertIndex = 0;
    ExpertReadCount = 0;
    ItemCount = LastItemPosition();
}

// A missing row is a blank row of its item: answers stay on the items they belong to.
void GiveEveryExpertAllRows() {
    for (int e = 1; e <= MaxExpertCount; ++e) {
        TPairExpert* x = ExpertTable[e].get();
        if (!x) continue;
        for (int k = 1; k <= MaxItemCount; ++k) {
            if (!ItemTable[k] || x->AnswerRows[k]) continue;
            if (TAnswerRow* row = NewAnswerRow(x, k)) row->Item = ItemTable[k].get();
        }
    }
}

}  // namespace

std::string ExpertDataHeaderText(int count) {
    return TrimRight(HeaderText + StrInt(count, 3));
}

bool ParseExpertDataHeader(const std::string& line) {
    ExpertDataHeader = line;
    std::size_t at = line.find("NQ=");
    if (at == std::string::npos) at = line.find("nq=");
    if (at == std::string::npos) return false;
    std::size_t i = at + 3;
    while (i < line.size() && line[i] == ' ') ++i;
    const std::size_t digits = i;
    int count = 0;
    for (; i < line.size() && IsDigit(line[i]); ++i) {
        count = count * 10 + (line[i] - '0');
        if (count > MaxItemCount) return false;
    }
    if (i == digits) return false;
    if (i < line.size() && line[i] != ' ') return false;
    AnswerColumnCount = count;
    return true;
}

bool ParseExpertDataLine(const std::string& line) {
    int p = 1;
    const std::string expertNumber = NextWordAscii(line, p);
    if (!IsPrintableText(expertNumber)) return false;
    ++p;
    std::string expertId = Trim(CopyText(line, p, 8));
    if (!IsStorableId(expertId)) return false;
    if (expertId.empty()) expertId = CutTo(expertNumber, 8);
    p += 8;

    const std::string itemNumber = NextWordAscii(line, p);
    ++p;
    std::string itemId = Trim(CopyText(line, p, 14));
    // The item number stands in for a blank id column, trimmed as the column is; an id the
    // items file could not carry fails its line here rather than the saved case on reopening.
    if (itemId.empty()) itemId = Trim(CutTo(itemNumber, 14));
    if (!IsStorableId(itemId)) return false;
    p += 14;

    std::string scale;
    NormaliseScale(NextWordAscii(line, p), scale);
    ++p;

    if (expertNumber.empty() || expertId.empty() || itemNumber.empty() || itemId.empty() || scale.empty()) return false;

    TPairItem* item = FindOrCreateItem(itemId);
    if (!item) return false;  // a 1001st item
    item->Scale = scale;
    TPairExpert* expert = FindOrCreateExpert(expertId);
    if (!expert) return false;  // a 1001st expert

    TAnswerRow* row = expert->AnswerRows[CurrentItemIndex].get();
    if (row && row->Item) {
        // A second line for the same expert and item: taken, and ignored.
        ++CurrentItemIndex;
        return true;
    }
    if (!row) row = NewAnswerRow(expert, CurrentItemIndex);
    if (!row) return false;
    row->Item = item;
    const int size = static_cast<int>(line.size());
    for (int t = 1; t <= AnswerColumnCount; ++t, p += 2) {
        // A line that ends early has no answer for the rest.
        const char c = p <= size ? line[p - 1] : ' ';
        row->Answers[t] = IsAnswer(c) ? c : ' ';
    }

    const std::string itemName = Trim(CopyText(line, p, 60));
    if (!itemName.empty() && item->Name.empty()) item->Name = itemName;
    p += 61;
    const std::string expertName = Trim(CopyText(line, p, 50));
    if (expert->Name.empty()) expert->Name = expertName;
    p += 51;
    if (p <= size && (line[p - 1] == 'F' || line[p - 1] == 'f')) expert->FilterFlag = true;

    ++CurrentItemIndex;
    return true;
}

int ReadExpertDataFile(const std::string& path) {
    if (!FileExists(path)) return 1;
    int tooLong = 0;
    const std::vector<std::string> lines = SplitTextLines(ReadFileBytes(path, MaxExpertDataFileBytes),
                                                          MaxExpertDataLineBytes, tooLong);
    StartExpertTable();
    int result = 0;
    bool headerSeen = false;
    for (std::size_t n = 0; n < lines.size() && result == 0; ++n) {
        const std::string& line = lines[n];
        if (Trim(line).empty()) continue;
        bool ok = true;
        if (line[0] == '*') {
            // Only the first '*' line is the header; later ones are comments.
            if (!headerSeen) ok = ParseExpertDataHeader(line);
            headerSeen = true;
        } else {
            ok = ParseExpertDataLine(line);
        }
        if (!ok) result = static_cast<int>(n) + 1;
    }
    if (result == 0 && tooLong != 0) result = tooLong;
    GiveEveryExpertAllRows();
    return result;
}

bool WriteExpertDataFile(const std::string& path) {
    TextFileWriter out(path);
    WriteExpertDataTo(out);
    out.Commit();
    return true;
}

void WriteExpertDataTo(TextFileWriter& out) {
    MakeFieldsStorable();
    PrepareCaseForSaving();
    AnswerColumnCount = CountItems();

    for (auto& item : ItemTable)
        if (item) item->NameDone = item->Name.empty();
    for (auto& x : ExpertTable)
        if (x) x->NameDone = x->Name.empty();

    ExpertDataHeader = ExpertDataHeaderText(AnswerColumnCount);
    out.WriteLine(ExpertDataHeader);

    int number = 0;
    for (int e = 1; e <= MaxExpertCount; ++e) {
        TPairExpert* x = ExpertTable[e].get();
        if (!x || x->Id.empty()) continue;
        ++number;
        bool firstRow = true;
        for (int j = 1; j <= MaxItemCount; ++j) {
            const TAnswerRow* row = x->AnswerRows[j].get();
            if (!row || !row->Item || row->Item->Id.empty()) continue;
            const int c = ItemNumberOfId(row->Item->Id);
            if (c == 0) continue;  // an item held outside the table has no number
            TPairItem& item = *ItemTable[c];

            std::string line = " " + StrInt(number, 4) + " " + PadLeft(x->Id, 8) + " " + StrInt(c, 4) + " " +
                               PadLeft(item.Id, 14) + " " + PadLeft(WrittenScale(item.Scale), 3) + " ";
            for (int t = 1; t <= AnswerColumnCount; ++t) {
                line += row->Answers[t];
                line += ' ';
            }
            // Each item's name once, on the first line of that item; the expert's name and
            // flag on the expert's first line.
            if (firstRow || !item.NameDone) {
                if (!item.Name.empty()) {
                    line += PadLeft(item.Name, 60) + " ";
                    item.NameDone = true;
                } else if (!x->Name.empty() || x->FilterFlag) {
                    line += std::string(61, ' ');
                }
                if (!x->Name.empty()) {
                    if (firstRow || !x->NameDone) {
                        line += PadLeft(x->Name, 50);
                        x->NameDone = true;
                    }
                } else if (x->FilterFlag) {
                    line += std::string(50, ' ');
                }
                if (x->FilterFlag) line += " F";
            }
            out.WriteLine(line);
            firstRow = false;
        }
    }
}

}  // namespace trindel

#include "pairwise/model/items_file.h"

#include <vector>

#include "common/core/line_io.h"
#include "common/core/pascal_str.h"
#include "common/core/text.h"
#include "pairwise/model/binary_items_file.h"
#include "pairwise/model/file_fields.h"
#include "pairwise/model/globals.h"
#include "pairwise/model/record_lookup.h"
#include "pairwise/model/tables.h"

namespace trindel {

bool ParseItemLine(const std::string& line) {
    int p = 1;
    const std::string number = NextWordAscii(line, p);
    if (!IsPrintableText(number)) return false;
    ++p;
    const std::string id = Trim(CopyText(line, p, 14));
    if (!IsStorableId(id) || id.empty() || number.empty()) return false;
    p += 14;

    TPairItem* item = FindOrCreateItem(id);
    if (!item) return false;  // a 1001st item

    const std::string realisation = CopyText(line, p + 1, 12);
    p += 13;
    if (!item->HasRealisation) {
        float value = 0;
        if (ParseReal32(realisation, value)) {
            item->Realisation = value;
            item->HasRealisation = true;
        } else {
            item->Realisation = NoValue;
        }
    }

    std::string scale;
    NormaliseScale(NextWordAscii(line, p), scale);
    if (!scale.empty()) item->Scale = scale;

    const std::string name = Trim(CopyText(line, p + 1, 60));
    if (item->Name.empty()) item->Name = name;
    p += 61;

    // The flag stands after the blank that ends the name field (column 100 of a written line).
    ++p;
    if (p <= static_cast<int>(line.size()) && (line[p - 1] == 'F' || line[p - 1] == 'f')) item->FilterFlag = true;
    return true;
}

int ReadItemsFile(const std::string& path) {
    FreeCase();
    int result = 0;
    if (!FileExists(path)) {
        result = 1;
    } else {
        const std::string bytes = ReadFileBytes(path, MaxItemsFileBytes);
        int tooLong = 0;
        const std::vector<std::string> lines = SplitTextLines(bytes, MaxItemLineBytes, tooLong);
        bool anyTaken = false;
        for (std::size_t n = 0; n < lines.size() && result == 0; ++n) {
            if (Trim(lines[n]).empty()) continue;
            if (ParseItemLine(lines[n]))
                anyTaken = true;
            else
                result = static_cast<int>(n) + 1;
        }
        if (result == 0 && tooLong != 0) result = tooLong;
        // Only a file that is no text file is tried as the binary form, and only a file with
        // items in it counts as one; otherwise the failing text line is reported.
        const bool binaryLooking = !anyTaken || bytes.find('\0') != std::string::npos;
        if (result != 0 && binaryLooking && ReadBinaryItemsFile(path)) result = 0;
    }
    AnswerColumnCount = CountItems();
    return result;
}

bool WriteItemsFile(const std::string& path) {
    TextFileWriter out(path);
    WriteItemsTo(out);
    out.Commit();
    return true;
}

void WriteItemsTo(TextFileWriter& out) {
    MakeFieldsStorable();
    PrepareCaseForSaving();
    for (int i = 1; i <= MaxItemCount; ++i) {
        const TPairItem* item = ItemTable[i].get();
        if (!item || item->Id.empty()) continue;
        std::string line = " " + StrInt(i, 4) + " " + PadLeft(item->Id, 14) + " " +
                           StrExactReal32(item->Realisation, 12) + " " + PadLeft(WrittenScale(item->Scale), 3) + " " +
                           PadLeft(item->Name, 60) + " ";
        if (item->FilterFlag) line += "F";
        out.WriteLine(line);
    }
}

}  // namespace trindel

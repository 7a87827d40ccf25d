#include "pairwise/model/binary_items_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/core/line_io.h"
#include "common/core/text.h"
#include "pairwise/model/file_fields.h"
#include "pairwise/model/globals.h"
#include "pairwise/model/items_file.h"
#include "pairwise/model/record_lookup.h"

namespace trindel {

namespace {

constexpr int StatusOffset = 0;
constexpr int CodeOffset = 2;
constexpr int CodeSize = 3;
constexpr int IdOffset = 6;
constexpr int IdSize = 14;
constexpr int NameOffset = 21;
constexpr int NameSize = 60;
constexpr int ValueOffset = 82;

std::string ShortStringAt(const std::uint8_t* record, int offset, int capacity) {
    const int length = std::min<int>(record[offset], capacity);
    return std::string(reinterpret_cast<const char*>(record + offset + 1), static_cast<std::size_t>(length));
}

}  // namespace

int OpenBinaryItemsFile(BinaryRecordFile& file, const std::string& path, int recordSize) {
    file = BinaryRecordFile{};
    file.RecordSize = recordSize;
    if (!FileExists(path)) return BinaryIOResult = IoResultCannotOpen;
    try {
        file.Bytes = ReadFileBytes(path, MaxItemsFileBytes);
    } catch (const IoError&) {
        return BinaryIOResult = IoResultCannotOpen;
    }
    return BinaryIOResult = IoResultOk;
}

int RecordCount(const BinaryRecordFile& file) {
    if (file.RecordSize <= 0) return 0;
    return static_cast<int>(file.Bytes.size() / static_cast<std::size_t>(file.RecordSize));
}

int ReadBinaryRecord(const BinaryRecordFile& file, int n, std::uint8_t* buffer) {
    if (n < 0 || n >= RecordCount(file)) return BinaryIOResult = IoResultReadPastEnd;
    const std::size_t size = static_cast<std::size_t>(file.RecordSize);
    std::memcpy(buffer, file.Bytes.data() + static_cast<std::size_t>(n) * size, size);
    return BinaryIOResult = IoResultOk;
}

BinaryItemRecord DecodeBinaryItemRecord(const std::uint8_t* record) {
    BinaryItemRecord r;
    r.Status = static_cast<std::uint16_t>(record[StatusOffset] | (record[StatusOffset + 1] << 8));
    r.Code = ShortStringAt(record, CodeOffset, CodeSize);
    r.Id = ShortStringAt(record, IdOffset, IdSize);
    r.Name = ShortStringAt(record, NameOffset, NameSize);
    r.Value = Real48::Decode(record + ValueOffset);
    return r;
}

bool ReadBinaryItemsFile(const std::string& path) {
    BinaryRecordFile file;
    if (OpenBinaryItemsFile(file, path, BinaryItemRecordSize) != IoResultOk) return false;
    std::uint8_t buffer[BinaryItemRecordSize];
    if (ReadBinaryRecord(file, 0, buffer) != IoResultOk) return false;
    std::copy(buffer, buffer + file.Header.size(), file.Header.begin());

    struct Entry {
        std::string Id;
        BinaryItemRecord Record;
    };
    std::vector<Entry> entries;
    const int count = RecordCount(file);
    for (int n = 1; n < count; ++n) {
        if (ReadBinaryRecord(file, n, buffer) != IoResultOk) return false;
        BinaryItemRecord r = DecodeBinaryItemRecord(buffer);
        if (r.Status != 0 || r.Code.empty()) continue;
        // A record may hold any byte: control characters (a line feed in a name) become
        // blanks, so that what is imported can be saved as text and read back.
        std::string id = Trim(WithoutControlCharacters(r.Id));
        if (id.empty()) id = Trim(WithoutControlCharacters(r.Code));
        if (id.empty()) continue;  // nothing to name the item by
        entries.push_back({id, std::move(r)});
    }
    // A file without a single item is no items file: the caller reports its text failure.
    if (entries.empty()) return false;

    FreeCase();
    for (const Entry& entry : entries) {
        TPairItem* item = FindOrCreateItem(entry.Id);
        if (!item) return false;  // a 1001st item
        if (!item->HasRealisation) {
            const long double value = entry.Record.Value;
            item->Realisation = static_cast<float>(value);
            item->HasRealisation = value > -999.5L;
        }
        item->Scale = "LOG";
        if (item->Name.empty()) item->Name = CutTo(Trim(WithoutControlCharacters(entry.Record.Name)), 60);
        item->FilterFlag = false;
    }
    return true;
}

}  // namespace trindel

// The older binary form of the items file: records of BinaryItemRecordSize bytes, record 0 a
// header, then one record per item (in-use word, short code, Id, name, six-byte realisation).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "common/core/real48.h"

namespace trindel {

// Input/output results of the record file (BinaryIOResult keeps the last one).
constexpr int IoResultOk = 0;
constexpr int IoResultCannotOpen = 2;
constexpr int IoResultReadPastEnd = 100;

// A file of fixed-size records, held in memory once opened.
struct BinaryRecordFile {
    std::string Bytes;
    int RecordSize = 0;
    std::array<std::uint8_t, 8> Header{};  // the first bytes of record 0: kept, not used
};

int OpenBinaryItemsFile(BinaryRecordFile& file, const std::string& path, int recordSize);
// Copies record n (from 0) into buffer, which holds RecordSize bytes.
int ReadBinaryRecord(const BinaryRecordFile& file, int n, std::uint8_t* buffer);
// The file size divided by the record size; a partial last record does not count.
int RecordCount(const BinaryRecordFile& file);

// One item record as stored. A length byte beyond its field is taken as the field's size.
struct BinaryItemRecord {
    std::uint16_t Status = 0;  // 0 = in use, else deleted
    std::string Code;          // short code, up to 3
    std::string Id;            // up to 14
    std::string Name;          // up to 60
    Real48 Value;
};
BinaryItemRecord DecodeBinaryItemRecord(const std::uint8_t* record);

// Imports the items of a binary items file into a new case: the records in use with a short
// code, each under its Id (or its code when the Id is blank), scale "LOG", not flagged; a
// realisation above -999.5 counts as given. False on an input/output error or when no record
// could be imported (the tables are then untouched), and on a 1001st item.
bool ReadBinaryItemsFile(const std::string& path);

}  // namespace trindel

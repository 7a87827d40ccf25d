// The items file (".rls"): one fixed-column line per item (id, realisation, scale, name, flag),
// no header.
#pragma once

#include <string>

class TextFileWriter;

namespace halvorine {

struct TItem;

// Reads an items file into the case: 0 on success, else the 1-based number of the first line that
// failed. Every expert gets an empty assessment of each item it has none of, in that item's slot.
// Throws IoError when the file cannot be read.
// A realisation that is not a number a real can hold is read as missing, with a warning that
// names the first line that held one. A file far larger than the table can hold is refused with
// IoError before it is read.
int ReadItemsFile(const std::string& fileName);

// One item line; false when its number or id is empty.
bool ParseItemLine(const std::string& line);

// Writes the whole file (replacing the old one only once it is complete); true when written.
// Throws IoError.
bool WriteItemsFile(const std::string& fileName);

// The same lines into a writer the caller commits (the two files of a case go together).
void WriteItemsTo(TextFileWriter& out);

// Index of the item in ItemTable (the scan stops at the first empty slot); 0 when absent.
int ItemIndexOf(const TItem* item);

// Index of the first item whose id equals id, letter case aside; 0 when none.
int ItemNumberOfId(const std::string& id);

// Every expert from slot 1 up to the first empty slot gets an assessment of item in slot index
// when that slot is empty.
void AddItemToExperts(TItem* item, int index);

}  // namespace halvorine

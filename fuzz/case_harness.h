// What the case-file harnesses share: a scratch folder, prompts that answer every box with its
// first button, and a text picture of the case to compare a read with the read of its save.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzzcase {

// A private folder for this process (in /dev/shm when there is one: the writers sync).
const std::string& ScratchFolder();
std::string ScratchPath(const std::string& name);

// Writes bytes to a file of the scratch folder; returns its path.
std::string PutFile(const std::string& name, const std::string& bytes);

// Fresh engine state with the quiet prompts in place.
void FreshCase();

// Every stored field the case files keep, values to the bit as loaded: items in table order
// (id, name, scale, realisation, flag), quantile levels, the header, data experts (id, name,
// flag) and each expert's assessments by item. An assessment with every value missing counts as
// none (the files cannot tell them apart); nan and infinities, which are written as -999.6, as that.
std::vector<std::string> Snapshot();

// The picture of the case as a save writes it: the automatic ids ("_item", "_exp ") renumbered
// to their places first, as every save does.
std::vector<std::string> SavedSnapshot();

// Aborts with both pictures when they differ.
void ExpectSame(const std::vector<std::string>& before, const std::vector<std::string>& after, const char* what);

// Aborts with the message.
[[noreturn]] void Fault(const std::string& message);

// Saves the case in the scratch folder (both files, as one pair), reads it back into a fresh
// state and checks that it reads whole and gives the same picture; then saves the reopened case
// again, which must write the same bytes (what the program writes is a fixed point). Ends with a
// fresh state, so that the input leaves nothing allocated.
void RoundTrip(const std::vector<std::string>& read);

}  // namespace fuzzcase

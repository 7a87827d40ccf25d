// The lines of a text file, read as they are asked for. The line ends are found a chunk at a
// time (Scan), and only every BlockLines-th line's start is kept; a line asked for is read back
// with the lines of its block, and the last few blocks stay at hand. What is held stays small
// whatever the file's length. The file is kept open from Open on, so a file written over by
// name meanwhile (a save renames its new file over the old) still reads as it was.
// Lines end at LF; a CR before the LF is not part of the line; a last line without LF counts
// once the scan reaches the end of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TextFileLines {
public:
    static constexpr std::int64_t BlockLines = 256;

    TextFileLines() = default;
    ~TextFileLines();
    TextFileLines(const TextFileLines&) = delete;
    TextFileLines& operator=(const TextFileLines&) = delete;

    // False when the file cannot be opened; the lines are then none.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    // Finds the line ends in about `bytes` more of the file (a read error ends the file there);
    // true once the whole file is indexed.
    bool Scan(std::size_t bytes);
    bool Done() const { return done_; }
    std::int64_t Count() const { return count_; }
    // The longest line found so far, in bytes (at least its length in UTF-16 units as shown).
    std::size_t LongestLine() const { return longest_; }
    // Line i (0-based, i < Count()) without its line end; empty when out of range.
    std::string Line(std::int64_t i) const;

private:
    struct Block {
        std::int64_t Number = -1;
        std::string Bytes;
        std::vector<std::size_t> Starts;  // each line's start in Bytes, then Bytes' end
    };
    const Block& BlockOf(std::int64_t number) const;

    int fd_ = -1;
    bool done_ = true;
    std::int64_t count_ = 0;
    std::uint64_t scanned_ = 0;    // bytes looked at
    std::uint64_t lineStart_ = 0;  // where the line being scanned starts
    std::size_t longest_ = 0;
    bool lastCr_ = false;                     // the last byte looked at was a CR
    std::vector<std::uint64_t> blockStarts_;  // the start of lines 0, BlockLines, 2 BlockLines, ...
    mutable std::vector<Block> cache_;
    mutable std::size_t nextSlot_ = 0;
};

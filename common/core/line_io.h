#pragma once

#include <cstddef>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "common/core/io_error.h"

// The lines of a text file: CR, LF and CR LF each end a line; a last line
// without a line end is kept, an empty piece after the last line end is not a
// line. Bytes are kept as they are. Throws IoError when the file cannot be
// opened or read.
std::vector<std::string> ReadTextLines(const std::string& path);

// The same split of bytes already read.
std::vector<std::string> SplitTextLines(const std::string& bytes);

// The same split one line at a time, without copying all of them: each Next puts the next line
// into line (reusing its storage) and is false when there is none left. bytes must outlive it.
class TextLineCursor {
public:
    explicit TextLineCursor(const std::string& bytes) : bytes_(bytes) {}
    bool Next(std::string& line);

private:
    const std::string& bytes_;
    std::size_t start_ = 0;
};

// The same split read from a file a piece at a time, so that a large file is never held whole: a
// line that straddles two pieces is joined, a CR at the end of one piece and an LF at the start of
// the next are one line end. Each Next puts the next line into line (reusing its storage) and is
// false when there is none left. The file is opened at once; a regular file larger than maxBytes
// is refused ("file is too large ...") before any of it is read, and so is, when it gets there,
// one that grows beyond maxBytes while it is read. Whatever fails throws IoError naming the path.
class TextLineReader {
public:
    static constexpr std::size_t DefaultPieceBytes = std::size_t{1} << 20;

    explicit TextLineReader(const std::string& path, std::size_t maxBytes = static_cast<std::size_t>(-1),
                            std::size_t pieceBytes = DefaultPieceBytes);
    ~TextLineReader();
    TextLineReader(const TextLineReader&) = delete;
    TextLineReader& operator=(const TextLineReader&) = delete;

    bool Next(std::string& line);

private:
    void ReadPiece();  // moves the unread bytes to the front, then reads what fits behind them

    std::string path_;
    std::size_t maxBytes_;
    int fd_ = -1;
    std::vector<char> buffer_;  // a piece; longer while one line is longer than a piece
    std::size_t begin_ = 0;     // the unread bytes are buffer_[begin_, end_)
    std::size_t end_ = 0;
    std::size_t scanned_ = 0;  // how many unread bytes are known to hold no line end
    unsigned long long total_ = 0;
    bool atEnd_ = false;
    bool skipLf_ = false;  // the last line ended at a CR that was the last byte read so far
};

// Every byte of a file, as it is. Throws IoError when the file cannot be opened or read.
std::string ReadFileBytes(const std::string& path);

// The same, for a file that may hold at most maxBytes: a larger one is refused ("file is too
// large ...") before any of it is read.
std::string ReadFileBytes(const std::string& path, std::size_t maxBytes);

// True when path names an existing regular file.
bool FileExists(const std::string& path);

// Writes a text file so that a failed save leaves the old file intact: the
// bytes go to a temporary file with a short unique name in the target's
// folder, which replaces the target only on Commit. A target reached through
// symbolic links is written where the links point (the links stay). An
// existing target without write permission is refused as "file is
// read-only", as a direct write would be. Every failure throws IoError
// naming the target.
class TextFileWriter {
public:
    explicit TextFileWriter(const std::string& path);
    ~TextFileWriter();  // discards the temporary file when not committed

    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    void WriteLine(const std::string& line);  // line + CR LF
    void Write(const std::string& bytes);
    void Commit();  // Finish, then rename over the target

    // Flushes, syncs and closes the temporary; what Commit does before the rename.
    void Finish();

    const std::string& Path() const { return path_; }

private:
    friend void CommitTogether(std::initializer_list<TextFileWriter*> writers);
    void Replace();  // renames the finished temporary over the target
    void Discard() noexcept;

    std::string path_;    // as given: the name every message shows
    std::string target_;  // path_ with its symbolic links followed
    std::string tempPath_;
    std::FILE* file_ = nullptr;
    bool finished_ = false;
    bool committed_ = false;
};

// Commits files that belong together (the two files of a case) as one: every
// temporary is finished (flushed, synced, closed) before any target is
// replaced, so a failure while writing or finishing any of them replaces none;
// should a rename fail after others were done, those are put back as they
// were. Null entries are skipped. A writer that throws here is left uncommitted and discards its
// temporary when destroyed.
void CommitTogether(std::initializer_list<TextFileWriter*> writers);

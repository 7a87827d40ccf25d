#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <memory>
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
// A line longer than maxLineBytes is not gathered: Next gives its first maxLineBytes + 1 bytes
// and TooLong() turns true (the caller refuses that line; nothing more is read).
class TextLineReader {
public:
    static constexpr std::size_t DefaultPieceBytes = std::size_t{1} << 20;
    static constexpr std::size_t AnyLineLength = static_cast<std::size_t>(-1);

    explicit TextLineReader(const std::string& path, std::size_t maxBytes = static_cast<std::size_t>(-1),
                            std::size_t pieceBytes = DefaultPieceBytes, std::size_t maxLineBytes = AnyLineLength);
    ~TextLineReader();
    TextLineReader(const TextLineReader&) = delete;
    TextLineReader& operator=(const TextLineReader&) = delete;

    bool Next(std::string& line);
    bool TooLong() const { return tooLong_; }

private:
    void ReadPiece();  // moves the unread bytes to the front, then reads what fits behind them

    std::string path_;
    std::size_t maxBytes_;
    std::size_t maxLineBytes_;
    int fd_ = -1;
    // A piece, left uninitialised (a small file's reader must not clear a whole piece); longer
    // while one line is longer than a piece.
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t begin_ = 0;  // the unread bytes are buffer_[begin_, end_)
    std::size_t end_ = 0;
    std::size_t scanned_ = 0;  // how many unread bytes are known to hold no line end
    unsigned long long total_ = 0;
    bool atEnd_ = false;
    bool skipLf_ = false;  // the last line ended at a CR that was the last byte read so far
    bool tooLong_ = false;
};

// The lines of bytes as SplitTextLines gives them, or, when one is longer than maxLineBytes,
// the lines before it; tooLongLine is then its 1-based number, else 0.
std::vector<std::string> SplitTextLines(const std::string& bytes, std::size_t maxLineBytes, int& tooLongLine);

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
// Temporaries are named ".~" + six hex digits of the target's name + six of
// this writer's own, and are locked while a writer holds them; a new writer
// first removes its target's temporaries that no writer holds and no commit
// record (below) still needs: those of saves that were killed.
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
    int lockFd_ = -1;  // holds the temporary's lock until it is renamed or removed
    bool finished_ = false;
    bool committed_ = false;
};

// Commits files that belong together (the two files of a case) as one: every
// temporary is finished (flushed, synced, closed) before any target is
// replaced, so a failure while writing or finishing any of them replaces none;
// should a rename fail after others were done, those are put back as they
// were. Null entries are skipped. A writer that throws here is left uncommitted and discards its
// temporary when destroyed.
// With more than one file, a commit record beside the first file (".~" + six hex digits of the
// files' names + "commit") names every temporary, target and kept old file before the first
// rename and is removed after the last one: a process killed in between leaves it, and
// RecoverInterruptedCommit of the same names, in the same order, finishes the renames.
void CommitTogether(std::initializer_list<TextFileWriter*> writers);

// What RecoverInterruptedCommit found and did.
enum class CommitRecovery {
    None,      // no interrupted commit of these files: they are as the last save left them
    Finished,  // the renames a killed save had not done are done: every file is the new one
    Undone,    // the new files could not all be put in place; every file is the old one again
    Failed,    // neither could be done; the files are left as they were found
};

// Completes or rolls back an interrupted CommitTogether of the files at these paths (as the
// commit was given them, in the same order). Throws nothing; a record it cannot read is left.
CommitRecovery RecoverInterruptedCommit(std::initializer_list<std::string> paths);

// What the open of the pair first, second says of an outcome ("" for None); the Failed one is a
// warning, the others information.
std::string CommitRecoveryText(CommitRecovery outcome, const std::string& first, const std::string& second);

// For tests of a save killed at any instant: called with the step's name ("write", "sync",
// "close", "link", "record", "rename", "remove") before each step of a save that a kill could
// fall between. The hook may throw, or end the process. Empty: none.
void SetSaveStepHook(std::function<void(const char* step)> hook);

// For tests and fuzz harnesses only, which save thousands of times into scratch folders: true
// makes saves skip their fsync calls (files and folders), everything else, every step included,
// stays as it is. No program calls it: a save of the programs always syncs. A scratch file
// lost in a power cut costs nothing.
void SkipSyncsForTests(bool skip);

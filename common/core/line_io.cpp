#include "common/core/line_io.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <set>

IoError IoError::FromErrno(const std::string& path) {
    const int err = errno;
    return IoError(path, std::strerror(err));
}

namespace {

IoError TooLargeError(const std::string& path, unsigned long long size, std::size_t maxBytes) {
    return IoError(path, "file is too large (" + std::to_string(size) + " bytes; at most " + std::to_string(maxBytes) +
                             " can be read)");
}

}  // namespace

std::string ReadFileBytes(const std::string& path) {
    return ReadFileBytes(path, static_cast<std::size_t>(-1));
}

std::string ReadFileBytes(const std::string& path, std::size_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw IoError::FromErrno(path);
    auto tooLarge = [&path, maxBytes, fd](unsigned long long size) {
        ::close(fd);
        return TooLargeError(path, size, maxBytes);
    };
    std::string bytes;
    // Sized once: grown by doubling, a large file would briefly take three times its size.
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        if (static_cast<unsigned long long>(st.st_size) > maxBytes)
            throw tooLarge(static_cast<unsigned long long>(st.st_size));
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            IoError error = IoError::FromErrno(path);
            ::close(fd);
            throw error;
        }
        if (got == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(got));
        // A file that grows while it is read, or one that is no regular file.
        if (bytes.size() > maxBytes) throw tooLarge(bytes.size());
    }
    ::close(fd);
    return bytes;
}

std::vector<std::string> ReadTextLines(const std::string& path) {
    return SplitTextLines(ReadFileBytes(path));
}

std::vector<std::string> SplitTextLines(const std::string& bytes) {
    // CR, LF and CR LF each end a line: files saved on old Macs use CR alone.
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.emplace_back(bytes, start, bytes.size() - start);
            break;
        }
        lines.emplace_back(bytes, start, end - start);
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
    }
    return lines;
}

std::vector<std::string> SplitTextLines(const std::string& bytes, std::size_t maxLineBytes, int& tooLongLine) {
    tooLongLine = 0;
    std::vector<std::string> lines;
    std::size_t start = 0;
    // The length is looked at before a line is copied: a huge line is never copied whole.
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos) end = bytes.size();
        if (end - start > maxLineBytes) {
            tooLongLine = static_cast<int>(lines.size()) + 1;
            return lines;
        }
        lines.emplace_back(bytes, start, end - start);
        start = end + 1;
        if (end < bytes.size() && bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
    }
    return lines;
}

bool TextLineCursor::Next(std::string& line) {
    if (start_ >= bytes_.size()) return false;
    const char* const data = bytes_.data();
    const std::size_t size = bytes_.size();
    std::size_t end = start_;
    while (end < size && data[end] != '\r' && data[end] != '\n') ++end;
    line.assign(data + start_, end - start_);
    start_ = end + 1;
    if (end < size && data[end] == '\r' && start_ < size && data[start_] == '\n') ++start_;
    return true;
}

TextLineReader::TextLineReader(const std::string& path, std::size_t maxBytes, std::size_t pieceBytes,
                               std::size_t maxLineBytes)
    : path_(path), maxBytes_(maxBytes), maxLineBytes_(maxLineBytes) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw IoError::FromErrno(path);
    struct stat st;
    std::size_t piece = pieceBytes > 0 ? pieceBytes : 1;
    if (::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) {
        const auto size = static_cast<unsigned long long>(st.st_size);
        if (size > maxBytes) {
            ::close(fd_);
            throw TooLargeError(path, size, maxBytes);
        }
        // A small file needs no whole piece; one byte more than it holds meets its end at once.
        if (size + 1 < piece) piece = static_cast<std::size_t>(size) + 1;
    }
    buffer_.reset(new char[piece]);
    capacity_ = piece;
}

TextLineReader::~TextLineReader() {
    ::close(fd_);
}

void TextLineReader::ReadPiece() {
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == capacity_) {  // one line longer than a piece
        std::unique_ptr<char[]> larger(new char[capacity_ * 2]);
        std::memcpy(larger.get(), buffer_.get(), end_);
        buffer_ = std::move(larger);
        capacity_ *= 2;
    }
    ssize_t got;
    do got = ::read(fd_, buffer_.get() + end_, capacity_ - end_);
    while (got < 0 && errno == EINTR);
    if (got < 0) throw IoError::FromErrno(path_);
    if (got == 0) {
        atEnd_ = true;
        return;
    }
    end_ += static_cast<std::size_t>(got);
    total_ += static_cast<unsigned long long>(got);
    if (total_ > maxBytes_) throw TooLargeError(path_, total_, maxBytes_);
}

bool TextLineReader::Next(std::string& line) {
    for (;;) {
        if (skipLf_) {
            if (begin_ == end_ && !atEnd_) {
                ReadPiece();
                continue;
            }
            if (begin_ < end_ && buffer_[begin_] == '\n') ++begin_;
            skipLf_ = false;
        }
        const char* const data = buffer_.get();
        std::size_t end = begin_ + scanned_;
        while (end < end_ && data[end] != '\r' && data[end] != '\n') ++end;
        if (end - begin_ > maxLineBytes_) {
            // Refused as it stands: the rest of it is never gathered.
            line.assign(data + begin_, maxLineBytes_ + 1);
            tooLong_ = true;
            atEnd_ = true;
            begin_ = end_ = scanned_ = 0;
            return true;
        }
        if (end < end_) {
            line.assign(data + begin_, end - begin_);
            begin_ = end + 1;
            scanned_ = 0;
            if (data[end] == '\r') {
                if (begin_ < end_) {
                    if (data[begin_] == '\n') ++begin_;
                } else {
                    skipLf_ = true;
                }
            }
            return true;
        }
        if (atEnd_) {
            if (begin_ == end_ || tooLong_) return false;
            line.assign(data + begin_, end_ - begin_);
            begin_ = end_;
            scanned_ = 0;
            return true;
        }
        scanned_ = end_ - begin_;
        ReadPiece();
    }
}

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

namespace {

std::atomic<unsigned> tempCounter{0};
std::function<void(const char*)> saveStepHook;
std::atomic<bool> skipSyncs{false};

// fsync, unless tests have turned syncing off.
int Sync(int fd) {
    return skipSyncs.load(std::memory_order_relaxed) ? 0 : ::fsync(fd);
}

void Step(const char* step) {
    if (saveStepHook) saveStepHook(step);
}

std::string FolderPart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NamePart(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

const char* const Hex = "0123456789abcdef";

void AppendHex(std::string& out, unsigned long long tag, int digits) {
    for (int k = 0; k < digits; ++k, tag >>= 4) out += Hex[tag & 15];
}

// Six hex digits from a file name (FNV-1a): which target a temporary belongs to.
std::string NameTag(const std::string& name) {
    unsigned long long h = 14695981039346656037ull;
    for (unsigned char c : name) h = (h ^ c) * 1099511628211ull;
    std::string tag;
    AppendHex(tag, h ^ (h >> 24) ^ (h >> 48), 6);
    return tag;
}

// ".~" + the tag of the target's name + six digits of this writer: as short as before, so that it
// fits wherever the target's own name fits, whatever that name's length.
std::string TempNameBeside(const std::string& path) {
    const unsigned long long tag = (static_cast<unsigned long long>(::getpid()) << 8) ^ tempCounter++;
    std::string name = ".~" + NameTag(NamePart(path));
    AppendHex(name, tag, 6);
    return FolderPart(path) + name;
}

bool IsHexDigits(const std::string& s, std::size_t from, std::size_t count) {
    if (s.size() != from + count) return false;
    for (std::size_t k = from; k < s.size(); ++k)
        if (!std::strchr(Hex, s[k]) || s[k] == '\0') return false;
    return true;
}

std::string RecordName(const std::vector<std::string>& paths) {
    std::string names;
    for (const std::string& p : paths) names += NamePart(p) + '\n';
    return FolderPart(paths.front()) + ".~" + NameTag(names) + "commit";
}

// The file the links of path lead to; path itself when it is no link. A dangling link leads
// to the name it holds, which the writer then creates.
std::string FollowLinks(const std::string& path) {
    std::string at = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        std::string link(st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 4096, '\0');
        const ssize_t got = ::readlink(at.c_str(), link.data(), link.size());
        if (got < 0) throw IoError::FromErrno(path);
        link.resize(static_cast<std::size_t>(got));
        at = !link.empty() && link[0] == '/' ? link : FolderPart(at) + link;
    }
    throw IoError(path, std::strerror(ELOOP));
}

std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char here[4096];
    if (!::getcwd(here, sizeof here)) return path;
    return std::string(here) + "/" + path;
}

// Makes a rename durable; a folder that cannot be synced loses nothing already written.
void SyncFolderOf(const std::string& path) {
    const std::string folder = FolderPart(path);
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    Step("sync");
    Sync(fd);
    ::close(fd);
}

// Opens and locks the file at name for as long as the descriptor stays open: -1 when it is gone,
// or when another process holds it and wait is false. A name that came to stand for another file
// in the meantime (removed by a cleaner and made anew) counts as gone.
int LockName(const std::string& name, bool wait) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return -1;
    int r;
    do r = ::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB));
    while (r != 0 && errno == EINTR);
    struct stat held, named;
    if (r != 0 || ::fstat(fd, &held) != 0 || ::lstat(name.c_str(), &named) != 0 || held.st_ino != named.st_ino ||
        held.st_dev != named.st_dev) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// One file of an interrupted pair commit, as its record names it.
struct RecordEntry {
    std::string Target;
    std::string Temp;
    std::string Keep;  // "" when the old file could not be kept, or there was none
    bool Existed = false;
    unsigned long long Inode = 0;  // of the temporary, which the target has once it is renamed
};

std::string Field(const std::string& text) {
    return std::to_string(text.size()) + ":" + text + "\n";
}

bool ReadField(const std::string& bytes, std::size_t& at, std::string& out) {
    const std::size_t colon = bytes.find(':', at);
    if (colon == std::string::npos || colon == at || colon - at > 9) return false;
    std::size_t size = 0;
    for (std::size_t k = at; k < colon; ++k) {
        if (bytes[k] < '0' || bytes[k] > '9') return false;
        size = size * 10 + static_cast<std::size_t>(bytes[k] - '0');
    }
    if (colon + 1 + size >= bytes.size() || bytes[colon + 1 + size] != '\n') return false;
    out = bytes.substr(colon + 1, size);
    at = colon + 2 + size;
    return true;
}

const char* const RecordHeader = "pair commit 1\n";

std::string RecordText(const std::vector<RecordEntry>& entries) {
    std::string text = RecordHeader;
    for (const RecordEntry& e : entries)
        text += Field(e.Target) + Field(e.Temp) + Field(e.Keep) + Field(e.Existed ? "1" : "0") +
                Field(std::to_string(e.Inode));
    return text;
}

bool ParseRecord(const std::string& bytes, std::vector<RecordEntry>& entries) {
    if (bytes.compare(0, std::strlen(RecordHeader), RecordHeader) != 0) return false;
    std::size_t at = std::strlen(RecordHeader);
    while (at < bytes.size()) {
        RecordEntry e;
        std::string existed, inode;
        if (!ReadField(bytes, at, e.Target) || !ReadField(bytes, at, e.Temp) || !ReadField(bytes, at, e.Keep) ||
            !ReadField(bytes, at, existed) || !ReadField(bytes, at, inode) || inode.empty())
            return false;
        e.Existed = existed == "1";
        e.Inode = std::stoull(inode);
        entries.push_back(e);
    }
    return !entries.empty();
}

// Every name the pending commit records of a folder still need.
std::set<std::string> NamesInRecords(const std::string& folder) {
    std::set<std::string> names;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() != 14 || name.compare(0, 2, ".~") != 0 || name.compare(8, 6, "commit") != 0) continue;
        std::vector<RecordEntry> entries;
        try {
            if (!ParseRecord(ReadFileBytes(folder + name, 1 << 20), entries)) continue;
        } catch (const IoError&) {
            continue;
        }
        for (const RecordEntry& e : entries) {
            names.insert(NamePart(e.Temp));
            if (!e.Keep.empty()) names.insert(NamePart(e.Keep));
        }
    }
    ::closedir(dir);
    return names;
}

// Removes the temporaries of target that a killed save left: those no writer holds locked and
// no pending commit record names.
void RemoveStaleTemporaries(const std::string& target) {
    const std::string folder = FolderPart(target);
    const std::string prefix = ".~" + NameTag(NamePart(target));
    std::vector<std::string> candidates;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) == 0 && IsHexDigits(name, prefix.size(), 6))
            candidates.push_back(name);
    }
    ::closedir(dir);
    if (candidates.empty()) return;
    const std::set<std::string> needed = NamesInRecords(folder);
    for (const std::string& name : candidates) {
        if (needed.count(name)) continue;
        const std::string path = folder + name;
        const int fd = LockName(path, false);
        if (fd < 0) continue;
        ::unlink(path.c_str());
        ::close(fd);
    }
}

}  // namespace

void SetSaveStepHook(std::function<void(const char* step)> hook) {
    saveStepHook = std::move(hook);
}

void SkipSyncsForTests(bool skip) {
    skipSyncs.store(skip, std::memory_order_relaxed);
}

TextFileWriter::TextFileWriter(const std::string& path) : path_(path), target_(FollowLinks(path)) {
    struct stat st;
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    // Root may write anything, so the permission bits decide as well as access().
    if (exists && S_ISREG(st.st_mode) && ((st.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0))
        throw IoError(path_, "file is read-only");
    RemoveStaleTemporaries(target_);
    // Created with 0666 so the umask decides, as for a file opened directly; an existing
    // target's permission bits are carried over below.
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tempPath_ = TempNameBeside(target_);
        fd = ::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
        if (fd < 0) continue;
        // Locked before anything is written, so that no other save takes it for a killed one's; a
        // cleaner that opened it first and removed it leaves the name to another file, or none.
        lockFd_ = LockName(tempPath_, true);
        if (lockFd_ < 0) {
            ::close(fd);
            fd = -1;
            errno = EEXIST;
        }
    }
    if (fd < 0) {
        IoError error = IoError::FromErrno(path_);
        tempPath_.clear();
        throw error;
    }
    if (exists && S_ISREG(st.st_mode)) ::fchmod(fd, st.st_mode & 07777);
    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) {
        IoError error = IoError::FromErrno(path_);
        ::close(fd);
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
        throw error;
    }
}

TextFileWriter::~TextFileWriter() {
    if (!committed_) Discard();
    if (lockFd_ >= 0) ::close(lockFd_);
}

void TextFileWriter::Discard() noexcept {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}

void TextFileWriter::Write(const std::string& bytes) {
    if (file_ == nullptr) throw IoError(path_, "file is not open for writing");
    if (bytes.empty()) return;
    Step("write");
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) throw IoError::FromErrno(path_);
}

void TextFileWriter::WriteLine(const std::string& line) {
    Write(line + "\r\n");
}

void TextFileWriter::Finish() {
    if (finished_) return;
    if (file_ == nullptr) throw IoError(path_, "file is not open for writing");
    Step("sync");
    if (std::fflush(file_) != 0 || Sync(::fileno(file_)) != 0) throw IoError::FromErrno(path_);
    std::FILE* f = file_;
    file_ = nullptr;
    Step("close");
    if (std::fclose(f) != 0) throw IoError::FromErrno(path_);
    finished_ = true;
}

void TextFileWriter::Replace() {
    if (!finished_ || tempPath_.empty()) throw IoError(path_, "file is not open for writing");
    Step("rename");
    if (::rename(tempPath_.c_str(), target_.c_str()) != 0) throw IoError::FromErrno(path_);
    tempPath_.clear();
    committed_ = true;
    // The lock now stands on the target: released, so that a later save may keep the old file.
    ::close(lockFd_);
    lockFd_ = -1;
    SyncFolderOf(target_);
}

void TextFileWriter::Commit() {
    Finish();
    Replace();
}

void CommitTogether(std::initializer_list<TextFileWriter*> writers) {
    for (TextFileWriter* w : writers)
        if (w) w->Finish();

    // The old targets stay reachable under a second name until every rename has been done.
    struct Old {
        TextFileWriter* writer;
        bool existed;
        std::string keep;  // hard link to the old file; "" when none could be made
        int lock;          // holds the kept file while the commit runs
    };
    std::vector<Old> olds;
    struct Unlock {
        std::vector<Old>& olds;
        ~Unlock() {
            for (const Old& old : olds)
                if (old.lock >= 0) ::close(old.lock);
        }
    } unlock{olds};
    for (TextFileWriter* w : writers) {
        if (!w) continue;
        Old old{w, false, std::string(), -1};
        struct stat st;
        if (::lstat(w->target_.c_str(), &st) == 0) {
            old.existed = true;
            for (int attempt = 0; attempt < 100; ++attempt) {
                std::string name = TempNameBeside(w->target_);
                Step("link");
                if (::link(w->target_.c_str(), name.c_str()) == 0) {
                    old.keep = name;
                    old.lock = LockName(name, true);
                    break;
                }
                if (errno != EEXIST) break;
            }
        }
        olds.push_back(old);
    }
    auto dropKept = [&olds](std::size_t from) {
        for (std::size_t k = from; k < olds.size(); ++k)
            if (!olds[k].keep.empty()) {
                Step("remove");
                ::unlink(olds[k].keep.c_str());
            }
    };

    // Between the first rename and the last the files do not belong together: a record of the
    // commit lets the next open of the files finish it, should this process die meanwhile.
    std::string record;
    if (olds.size() > 1) {
        std::vector<RecordEntry> entries;
        std::vector<std::string> given;
        for (const Old& old : olds) {
            struct stat st;
            if (::stat(old.writer->tempPath_.c_str(), &st) != 0) {
                dropKept(0);
                throw IoError::FromErrno(old.writer->path_);
            }
            entries.push_back({Absolute(old.writer->target_), Absolute(old.writer->tempPath_),
                               old.keep.empty() ? std::string() : Absolute(old.keep), old.existed,
                               static_cast<unsigned long long>(st.st_ino)});
            given.push_back(old.writer->path_);
        }
        record = RecordName(given);
        try {
            Step("record");
            TextFileWriter out(record);
            out.Write(RecordText(entries));
            out.Commit();
        } catch (...) {
            dropKept(0);
            throw;
        }
    }

    std::size_t done = 0;
    try {
        for (; done < olds.size(); ++done) olds[done].writer->Replace();
    } catch (...) {
        for (std::size_t k = 0; k < done; ++k) {
            const Old& old = olds[k];
            if (!old.keep.empty())
                ::rename(old.keep.c_str(), old.writer->target_.c_str());
            else if (!old.existed)
                ::unlink(old.writer->target_.c_str());
        }
        dropKept(done);
        if (!record.empty()) ::unlink(record.c_str());
        throw;
    }
    if (!record.empty()) {
        Step("remove");
        ::unlink(record.c_str());
        SyncFolderOf(record);
    }
    dropKept(0);
}

CommitRecovery RecoverInterruptedCommit(std::initializer_list<std::string> paths) {
    if (paths.size() < 2) return CommitRecovery::None;
    const std::string record = RecordName(std::vector<std::string>(paths));
    struct stat st;
    if (::lstat(record.c_str(), &st) != 0) return CommitRecovery::None;
    std::vector<RecordEntry> entries;
    try {
        if (!ParseRecord(ReadFileBytes(record, 1 << 20), entries)) return CommitRecovery::Failed;
    } catch (const IoError&) {
        return CommitRecovery::Failed;
    }
    // A file whose temporary is gone was renamed, if it now is that temporary; else the
    // temporary was lost, and the commit can only be undone.
    std::vector<bool> renamed(entries.size());
    bool canFinish = true;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const RecordEntry& e = entries[k];
        struct stat t;
        if (::lstat(e.Temp.c_str(), &t) == 0 && static_cast<unsigned long long>(t.st_ino) == e.Inode) continue;
        renamed[k] = ::stat(e.Target.c_str(), &t) == 0 && static_cast<unsigned long long>(t.st_ino) == e.Inode;
        if (!renamed[k]) canFinish = false;
    }
    CommitRecovery outcome = CommitRecovery::None;
    if (canFinish) {
        for (std::size_t k = 0; k < entries.size(); ++k) {
            if (renamed[k]) continue;
            if (::rename(entries[k].Temp.c_str(), entries[k].Target.c_str()) != 0) return CommitRecovery::Failed;
            SyncFolderOf(entries[k].Target);
            outcome = CommitRecovery::Finished;
        }
    } else {
        for (std::size_t k = 0; k < entries.size(); ++k)
            if (renamed[k] && entries[k].Existed &&
                (entries[k].Keep.empty() || ::lstat(entries[k].Keep.c_str(), &st) != 0))
                return CommitRecovery::Failed;
        for (std::size_t k = 0; k < entries.size(); ++k) {
            const RecordEntry& e = entries[k];
            if (renamed[k]) {
                if (e.Existed ? ::rename(e.Keep.c_str(), e.Target.c_str()) != 0 : ::unlink(e.Target.c_str()) != 0)
                    return CommitRecovery::Failed;
                SyncFolderOf(e.Target);
            }
            ::unlink(e.Temp.c_str());
        }
        outcome = CommitRecovery::Undone;
    }
    for (const RecordEntry& e : entries)
        if (!e.Keep.empty()) ::unlink(e.Keep.c_str());
    ::unlink(record.c_str());
    SyncFolderOf(record);
    return outcome;
}

std::string CommitRecoveryText(CommitRecovery outcome, const std::string& first, const std::string& second) {
    const std::string files = "The last save of " + first + " and " + second + " was interrupted";
    switch (outcome) {
    case CommitRecovery::None: break;
    case CommitRecovery::Finished: return files + ". It has been finished: both files are as saved.";
    case CommitRecovery::Undone: return files + ". It has been undone: both files are as they were before it.";
    case CommitRecovery::Failed:
        return files + " and could be neither finished nor undone. The two files may not belong together.";
    }
    return {};
}

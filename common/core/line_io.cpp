#include "common/core/line_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

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

TextLineReader::TextLineReader(const std::string& path, std::size_t maxBytes, std::size_t pieceBytes)
    : path_(path), maxBytes_(maxBytes) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw IoError::FromErrno(path);
    struct stat st;
    if (::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) && static_cast<unsigned long long>(st.st_size) > maxBytes) {
        ::close(fd_);
        throw TooLargeError(path, static_cast<unsigned long long>(st.st_size), maxBytes);
    }
    buffer_.resize(pieceBytes > 0 ? pieceBytes : 1);
}

TextLineReader::~TextLineReader() {
    ::close(fd_);
}

void TextLineReader::ReadPiece() {
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);  // one line longer than a piece
    ssize_t got;
    do got = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
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
        const char* const data = buffer_.data();
        std::size_t end = begin_ + scanned_;
        while (end < end_ && data[end] != '\r' && data[end] != '\n') ++end;
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
            if (begin_ == end_) return false;
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

std::string FolderPart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A short name, unique for this process, in the folder of path: it must fit wherever the
// target's own name fits, whatever that name's length.
std::string TempNameBeside(const std::string& path) {
    static const char* const hex = "0123456789abcdef";
    unsigned long long tag = (static_cast<unsigned long long>(::getpid()) << 20) ^ tempCounter++;
    std::string name = ".~";
    for (int k = 0; k < 12; ++k, tag >>= 4) name += hex[tag & 15];
    return FolderPart(path) + name;
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

// Makes a rename durable; a folder that cannot be synced loses nothing already written.
void SyncFolderOf(const std::string& path) {
    const std::string folder = FolderPart(path);
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

TextFileWriter::TextFileWriter(const std::string& path) : path_(path), target_(FollowLinks(path)) {
    struct stat st;
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    // Root may write anything, so the permission bits decide as well as access().
    if (exists && S_ISREG(st.st_mode) && ((st.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0))
        throw IoError(path_, "file is read-only");
    // Created with 0666 so the umask decides, as for a file opened directly; an existing
    // target's permission bits are carried over below.
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tempPath_ = TempNameBeside(target_);
        fd = ::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
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
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) throw IoError::FromErrno(path_);
}

void TextFileWriter::WriteLine(const std::string& line) {
    Write(line);
    Write("\r\n");
}

void TextFileWriter::Finish() {
    if (finished_) return;
    if (file_ == nullptr) throw IoError(path_, "file is not open for writing");
    if (std::fflush(file_) != 0 || ::fsync(::fileno(file_)) != 0) throw IoError::FromErrno(path_);
    std::FILE* f = file_;
    file_ = nullptr;
    if (std::fclose(f) != 0) throw IoError::FromErrno(path_);
    finished_ = true;
}

void TextFileWriter::Replace() {
    if (!finished_ || tempPath_.empty()) throw IoError(path_, "file is not open for writing");
    if (::rename(tempPath_.c_str(), target_.c_str()) != 0) throw IoError::FromErrno(path_);
    tempPath_.clear();
    committed_ = true;
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
    };
    std::vector<Old> olds;
    for (TextFileWriter* w : writers) {
        if (!w) continue;
        Old old{w, false, std::string()};
        struct stat st;
        if (::lstat(w->target_.c_str(), &st) == 0) {
            old.existed = true;
            for (int attempt = 0; attempt < 100; ++attempt) {
                std::string name = TempNameBeside(w->target_);
                if (::link(w->target_.c_str(), name.c_str()) == 0) {
                    old.keep = name;
                    break;
                }
                if (errno != EEXIST) break;
            }
        }
        olds.push_back(old);
    }
    auto dropKept = [&olds](std::size_t from) {
        for (std::size_t k = from; k < olds.size(); ++k)
            if (!olds[k].keep.empty()) ::unlink(olds[k].keep.c_str());
    };

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
        throw;
    }
    dropKept(0);
}

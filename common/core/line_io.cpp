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

std::string ReadFileBytes(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw IoError::FromErrno(path);
    std::string bytes;
    // Sized once: grown by doubling, a large file would briefly take three times its size.
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
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
    }
    ::close(fd);
    return bytes;
}

std::vector<std::string> ReadTextLines(const std::string& path) { return SplitTextLines(ReadFileBytes(path)); }

std::vector<std::string> SplitTextLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const bool hasLf = end != std::string::npos;
        if (!hasLf) end = bytes.size();
        std::size_t stop = end;
        if (stop > start && bytes[stop - 1] == '\r') --stop;
        lines.emplace_back(bytes, start, stop - start);
        start = hasLf ? end + 1 : end;
    }
    return lines;
}

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

namespace {

std::atomic<unsigned> tempCounter{0};

}  // namespace

TextFileWriter::TextFileWriter(const std::string& path) : path_(path) {
    // Created with 0666 so the umask decides, as for a file opened directly; an existing
    // target's permission bits are carried over below.
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tempPath_ = path + ".tmp~" + std::to_string(::getpid()) + "-" + std::to_string(tempCounter++);
        fd = ::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) throw IoError::FromErrno(path_);
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::fchmod(fd, st.st_mode & 07777);
    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) {
        IoError error = IoError::FromErrno(path_);
        ::close(fd);
        ::unlink(tempPath_.c_str());
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

void TextFileWriter::Commit() {
    if (file_ == nullptr) throw IoError(path_, "file is not open for writing");
    if (std::fflush(file_) != 0 || ::fsync(::fileno(file_)) != 0) throw IoError::FromErrno(path_);
    std::FILE* f = file_;
    file_ = nullptr;
    if (std::fclose(f) != 0) throw IoError::FromErrno(path_);
    if (::rename(tempPath_.c_str(), path_.c_str()) != 0) throw IoError::FromErrno(path_);
    tempPath_.clear();
    committed_ = true;
}

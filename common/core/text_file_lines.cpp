#include "common/core/text_file_lines.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr std::size_t CachedBlocks = 8;

// Reads up to `size` bytes at `offset`; fewer at the end of the file or on a read error.
std::size_t ReadAt(int fd, char* into, std::size_t size, std::uint64_t offset) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, into + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

}  // namespace

TextFileLines::~TextFileLines() {
    Close();
}

void TextFileLines::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    done_ = true;
    count_ = 0;
    scanned_ = lineStart_ = 0;
    longest_ = 0;
    lastCr_ = false;
    blockStarts_.clear();
    cache_.clear();
    nextSlot_ = 0;
}

bool TextFileLines::Open(const std::string& path) {
    Close();
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    fd_ = fd;
    done_ = false;
    blockStarts_.push_back(0);
    return true;
}

bool TextFileLines::Scan(std::size_t bytes) {
    if (done_) return true;
    std::vector<char> buffer(std::clamp<std::size_t>(bytes, 1, std::size_t{1} << 22));
    std::size_t budget = std::max<std::size_t>(bytes, 1);
    while (budget > 0) {
        const std::size_t want = std::min(budget, buffer.size());
        const std::size_t got = ReadAt(fd_, buffer.data(), want, scanned_);
        if (got == 0) {
            // The end: a last line without its line end is a line too.
            if (scanned_ > lineStart_) {
                const std::uint64_t length = scanned_ - lineStart_ - (lastCr_ ? 1 : 0);
                longest_ = std::max<std::size_t>(longest_, static_cast<std::size_t>(length));
                ++count_;
            }
            lineStart_ = scanned_;
            done_ = true;
            return true;
        }
        const char* p = buffer.data();
        const char* end = p + got;
        while (const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) {
            const std::uint64_t at = scanned_ + static_cast<std::uint64_t>(lf - buffer.data());
            std::uint64_t length = at - lineStart_;
            // A CR before the LF is no part of the line; it may have come at the end of the last chunk.
            const bool cr = lf > buffer.data() ? lf[-1] == '\r' : lastCr_;
            if (cr && length > 0) --length;
            longest_ = std::max<std::size_t>(longest_, static_cast<std::size_t>(length));
            lineStart_ = at + 1;
            if (++count_ % BlockLines == 0) blockStarts_.push_back(lineStart_);
            p = lf + 1;
        }
        scanned_ += got;
        lastCr_ = buffer[got - 1] == '\r';
        budget -= got;
    }
    return false;
}

const TextFileLines::Block& TextFileLines::BlockOf(std::int64_t number) const {
    for (const Block& b : cache_)
        if (b.Number == number) return b;
    if (cache_.size() < CachedBlocks) cache_.emplace_back();
    Block& b = cache_[nextSlot_ % cache_.size()];
    ++nextSlot_;
    b.Number = number;
    const auto k = static_cast<std::size_t>(number);
    const std::uint64_t from = blockStarts_[k];
    // The block ends where the next one starts or, for the last one, where the scan has
    // looked so far (including a last line without its line end once the scan is done).
    const std::uint64_t to = k + 1 < blockStarts_.size() ? blockStarts_[k + 1] : done_ ? scanned_ : lineStart_;
    b.Bytes.resize(static_cast<std::size_t>(to - from));
    b.Bytes.resize(ReadAt(fd_, b.Bytes.data(), b.Bytes.size(), from));
    b.Starts.clear();
    std::size_t start = 0;
    while (start < b.Bytes.size()) {
        b.Starts.push_back(start);
        const std::size_t lf = b.Bytes.find('\n', start);
        start = lf == std::string::npos ? b.Bytes.size() : lf + 1;
    }
    b.Starts.push_back(b.Bytes.size());
    return b;
}

std::string TextFileLines::Line(std::int64_t i) const {
    if (i < 0 || i >= count_ || fd_ < 0) return {};
    const std::int64_t number = i / BlockLines;
    // The last block grows while the scan goes on: read it again when it holds too few lines.
    for (Block& b : cache_)
        if (b.Number == number && static_cast<std::int64_t>(b.Starts.size()) - 1 <= i % BlockLines) b.Number = -1;
    const Block& b = BlockOf(number);
    const auto j = static_cast<std::size_t>(i % BlockLines);
    if (j + 1 >= b.Starts.size()) return {};
    std::size_t from = b.Starts[j], to = b.Starts[j + 1];
    if (to > from && b.Bytes[to - 1] == '\n') --to;
    if (to > from && b.Bytes[to - 1] == '\r') --to;
    return b.Bytes.substr(from, to - from);
}

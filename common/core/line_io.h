#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "common/core/io_error.h"

// The lines of a text file: split on LF, one trailing CR removed per line;
// a last line without LF is kept, an empty piece after the last LF is not a
// line. Bytes are kept as they are. Throws IoError when the file cannot be
// opened or read.
std::vector<std::string> ReadTextLines(const std::string& path);

// The same split of bytes already read.
std::vector<std::string> SplitTextLines(const std::string& bytes);

// Every byte of a file, as it is. Throws IoError when the file cannot be opened or read.
std::string ReadFileBytes(const std::string& path);

// True when path names an existing regular file.
bool FileExists(const std::string& path);

// Writes a text file so that a failed save leaves the old file intact: the
// bytes go to a temporary file in the target's folder, which replaces the
// target only on Commit. Every failure throws IoError naming the target.
class TextFileWriter {
public:
    explicit TextFileWriter(const std::string& path);
    ~TextFileWriter();  // discards the temporary file when not committed

    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    void WriteLine(const std::string& line);  // line + CR LF
    void Write(const std::string& bytes);
    void Commit();  // flush, close, rename over the target

    const std::string& Path() const { return path_; }

private:
    void Discard() noexcept;

    std::string path_;
    std::string tempPath_;
    std::FILE* file_ = nullptr;
    bool committed_ = false;
};

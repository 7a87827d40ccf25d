#pragma once

#include <stdexcept>
#include <string>

// The one input/output exception of both programs: a file could not be
// opened, read, written, closed or replaced. The command that started the
// operation shows what() to the user.
class IoError : public std::runtime_error {
public:
    IoError(const std::string& path, const std::string& reason)
        : std::runtime_error("I/O error on " + path + ": " + reason), path_(path), reason_(reason) {}

    // Builds the reason from the current errno.
    static IoError FromErrno(const std::string& path);

    const std::string& Path() const { return path_; }
    const std::string& Reason() const { return reason_; }

private:
    std::string path_;
    std::string reason_;
};

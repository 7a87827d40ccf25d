// Simulating a full disk in a test: a limit on the size any file of the process may reach.
#pragma once

#include <csignal>
#include <sys/resource.h>

namespace pairtest {

// While it lives, no file of this process grows beyond `bytes`: a write past it fails with
// EFBIG, as a full disk fails with ENOSPC (the signal that would end the process is ignored).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = SIG_DFL;
};

}  // namespace pairtest

#pragma once

#include <csignal>

#include <sys/resource.h>

// While it lives, no file this process writes can grow past `bytes`: the
// write fails as on a full disk, for root too (a read-only file is not
// read-only to root).
class DiskFull {
public:
    explicit DiskFull(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &before_);
        rlimit limit = before_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~DiskFull() { ::setrlimit(RLIMIT_FSIZE, &before_); }
    DiskFull(const DiskFull&) = delete;
    DiskFull& operator=(const DiskFull&) = delete;

private:
    rlimit before_{};
};

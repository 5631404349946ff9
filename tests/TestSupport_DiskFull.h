// A file system that runs out of space, for tests of writers: while it lives no file of this
// process may grow past `bytes`, and writes beyond that fail (EFBIG) instead of raising SIGXFSZ.
#pragma once

#include <csignal>
#include <sys/resource.h>

namespace testsupport {

class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_Saved);
        m_SavedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_Saved;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_Saved);
        std::signal(SIGXFSZ, m_SavedHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit m_Saved{};
    void (*m_SavedHandler)(int) = nullptr;
};

} // namespace testsupport

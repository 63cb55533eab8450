#include "support/FileSizeLimit.h"

#include <csignal>

#ifndef _WIN32
#include <sys/resource.h>

CFileSizeLimit::CFileSizeLimit(unsigned long bytes)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    m_savedLimit = limit.rlim_cur;
    // Without this the process would be killed instead of the write failing.
    m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = bytes;
    m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

CFileSizeLimit::~CFileSizeLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = m_savedLimit;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, m_savedHandler);
}
#else
CFileSizeLimit::CFileSizeLimit(unsigned long) {}
CFileSizeLimit::~CFileSizeLimit() {}
#endif

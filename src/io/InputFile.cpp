#include "io/InputFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#define TW_OPEN _open
#define TW_READ _read
#define TW_CLOSE _close
#define TW_LSEEK _lseeki64
#define TW_FSTAT _fstat64
using tw_stat_t = struct _stat64;
#ifndef O_BINARY
#define O_BINARY _O_BINARY
#endif
#define O_NONBLOCK 0
#else
#include <unistd.h>
#define TW_OPEN open
#define TW_READ read
#define TW_CLOSE close
#define TW_LSEEK lseek
#define TW_FSTAT fstat
using tw_stat_t = struct stat;
#define O_BINARY 0
#endif

namespace
{
std::string SystemMessage(int error)
{
    return std::generic_category().message(error);
}

// Largest single read we ask of the system; keeps the count within what
// every platform's read() accepts.
constexpr std::size_t kMaxReadChunk = 1u << 30;
} // namespace

CInputFile::~CInputFile()
{
    Close();
}

bool CInputFile::Open(const std::string& path, std::string& error)
{
    Close();
    // Non-blocking, so that opening a pipe with no writer cannot hang; it is
    // refused below anyway.
    int fd = TW_OPEN(path.c_str(), O_RDONLY | O_BINARY | O_NONBLOCK);
    if (fd < 0)
    {
        error = "cannot open the file: " + SystemMessage(errno);
        return false;
    }
    tw_stat_t info{};
    if (TW_FSTAT(fd, &info) != 0)
    {
        error = "cannot read the file's size: " + SystemMessage(errno);
        TW_CLOSE(fd);
        return false;
    }
    if (!S_ISREG(info.st_mode))
    {
        error = S_ISDIR(info.st_mode) ? "it is a folder, not a file" : "it is not a regular file";
        TW_CLOSE(fd);
        return false;
    }
#ifndef _WIN32
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
#endif
#if defined(POSIX_FADV_SEQUENTIAL) && !defined(_WIN32)
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    m_fd = fd;
    m_size = static_cast<std::uint64_t>(info.st_size);
    m_lastError = 0;
    return true;
}

void CInputFile::Close()
{
    if (m_fd >= 0)
    {
        TW_CLOSE(m_fd);
        m_fd = -1;
    }
    m_size = 0;
}

std::int64_t CInputFile::Read(std::uint8_t* dest, std::size_t count)
{
    if (count > kMaxReadChunk)
        count = kMaxReadChunk;
    for (;;)
    {
        auto got = TW_READ(m_fd, dest, static_cast<unsigned>(count));
        if (got >= 0)
            return static_cast<std::int64_t>(got);
        if (errno != EINTR)
        {
            m_lastError = errno;
            return -1;
        }
    }
}

bool CInputFile::Skip(std::uint64_t count)
{
    if (count > static_cast<std::uint64_t>(INT64_MAX))
        count = static_cast<std::uint64_t>(INT64_MAX);
    if (TW_LSEEK(m_fd, static_cast<std::int64_t>(count), SEEK_CUR) < 0)
    {
        m_lastError = errno;
        return false;
    }
    return true;
}

std::string CInputFile::ErrorText() const
{
    return SystemMessage(m_lastError);
}

#include "io/DiskFile.h"

#include "io/ByteSource.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>

#ifdef _WIN32
#include "io/Paths.h"

#include <io.h>
#ifndef S_ISREG
#define S_ISREG(mode) (((mode)&_S_IFMT) == _S_IFREG)
#define S_ISDIR(mode) (((mode)&_S_IFMT) == _S_IFDIR)
#endif
#define TW_OPEN _open
#define TW_READ _read
#define TW_WRITE _write
#define TW_CLOSE _close
#define TW_LSEEK _lseeki64
#define TW_FSTAT _fstat64
using tw_stat_t = struct _stat64;
constexpr int kBinary = _O_BINARY;
constexpr int kNonBlocking = 0;
#else
#include <unistd.h>
#define TW_OPEN open
#define TW_READ read
#define TW_WRITE write
#define TW_CLOSE close
#define TW_LSEEK lseek
#define TW_FSTAT fstat
using tw_stat_t = struct stat;
constexpr int kBinary = 0;
constexpr int kNonBlocking = O_NONBLOCK;
#endif

namespace
{
// Largest single transfer asked of the system; every platform accepts it.
constexpr std::size_t kMaxChunk = 1u << 30;

int OpenFlags(CDiskFile::Mode mode)
{
    switch (mode)
    {
    case CDiskFile::Mode::Read:
        return O_RDONLY;
    case CDiskFile::Mode::ReadWrite:
        return O_RDWR;
    case CDiskFile::Mode::Create:
        return O_RDWR | O_CREAT | O_TRUNC;
    }
    return O_RDONLY;
}
} // namespace

CDiskFile::~CDiskFile()
{
    Close();
}

bool CDiskFile::Fail(const std::string& what)
{
    m_error = what + std::generic_category().message(errno);
    return false;
}

bool CDiskFile::Open(const std::string& path, Mode mode)
{
    Close();
    // Non-blocking, so that opening a pipe with no writer cannot hang; such
    // files are refused below anyway.
#ifdef _WIN32
    // The C library would read a narrow path in the ANSI code page, not UTF-8.
    const int fd =
        _wopen(PathFromUtf8(path).c_str(), OpenFlags(mode) | kBinary, _S_IREAD | _S_IWRITE);
#else
    const int fd = TW_OPEN(path.c_str(), OpenFlags(mode) | kBinary | kNonBlocking, 0666);
#endif
    if (fd < 0)
        return Fail(mode == Mode::Create ? "cannot create the file: " : "cannot open the file: ");
    tw_stat_t info{};
    if (TW_FSTAT(fd, &info) != 0)
    {
        Fail("cannot read the file's attributes: ");
        TW_CLOSE(fd);
        return false;
    }
    if (!S_ISREG(info.st_mode))
    {
        m_error = S_ISDIR(info.st_mode) ? "it is a folder, not a file" : "it is not a regular file";
        TW_CLOSE(fd);
        return false;
    }
#ifndef _WIN32
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
#endif
    m_fd = fd;
    m_error.clear();
    return true;
}

void CDiskFile::Close()
{
    if (m_fd >= 0)
    {
        TW_CLOSE(m_fd);
        m_fd = -1;
    }
}

bool CDiskFile::Sync()
{
#ifdef _WIN32
    if (_commit(m_fd) != 0)
#else
    if (fsync(m_fd) != 0)
#endif
        return Fail("write error: ");
    return true;
}

void CDiskFile::AdviseSequential()
{
#if defined(POSIX_FADV_SEQUENTIAL) && !defined(_WIN32)
    posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
}

std::int64_t CDiskFile::Read(void* dest, std::size_t count)
{
    if (count > kMaxChunk)
        count = kMaxChunk;
    for (;;)
    {
        const auto got = TW_READ(m_fd, dest, static_cast<unsigned>(count));
        if (got >= 0)
            return static_cast<std::int64_t>(got);
        if (errno != EINTR)
        {
            Fail("read error: ");
            return -1;
        }
    }
}

std::int64_t CDiskFile::ReadFully(void* dest, std::size_t count)
{
    return ReadUntilFull([this](std::uint8_t* at, std::size_t n) { return Read(at, n); },
                         static_cast<std::uint8_t*>(dest), count);
}

bool CDiskFile::Write(const void* data, std::size_t count)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (count > 0)
    {
        const std::size_t piece = count < kMaxChunk ? count : kMaxChunk;
        const auto put = TW_WRITE(m_fd, bytes, static_cast<unsigned>(piece));
        if (put < 0)
        {
            if (errno == EINTR)
                continue;
            return Fail("write error: ");
        }
        if (put == 0)
        {
            errno = ENOSPC;
            return Fail("write error: ");
        }
        bytes += put;
        count -= static_cast<std::size_t>(put);
    }
    return true;
}

bool CDiskFile::Seek(std::uint64_t offset)
{
    if (offset > static_cast<std::uint64_t>(INT64_MAX) ||
        TW_LSEEK(m_fd, static_cast<std::int64_t>(offset), SEEK_SET) < 0)
        return Fail("seek error: ");
    return true;
}

bool CDiskFile::SeekBy(std::int64_t delta)
{
    if (TW_LSEEK(m_fd, delta, SEEK_CUR) < 0)
        return Fail("seek error: ");
    return true;
}

bool CDiskFile::Tell(std::uint64_t& offset)
{
    const auto at = TW_LSEEK(m_fd, 0, SEEK_CUR);
    if (at < 0)
        return Fail("seek error: ");
    offset = static_cast<std::uint64_t>(at);
    return true;
}

bool CDiskFile::Size(std::uint64_t& size)
{
    tw_stat_t info{};
    if (TW_FSTAT(m_fd, &info) != 0)
        return Fail("cannot read the file's size: ");
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

std::int64_t ReadUntilFull(const std::function<std::int64_t(std::uint8_t*, std::size_t)>& read,
                           std::uint8_t* dest, std::size_t count)
{
    std::size_t done = 0;
    while (done < count)
    {
        const std::int64_t got = read(dest + done, count - done);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<std::int64_t>(done);
}

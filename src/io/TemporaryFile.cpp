#include "io/TemporaryFile.h"

#include "io/Paths.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <signal.h>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace
{
// Opens `path` only if no file of that name exists; true when created.
bool CreateExclusive(const fs::path& path, int& error)
{
#ifdef _WIN32
    const int fd = _wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, 0666);
    if (fd < 0)
    {
        error = errno;
        return false;
    }
    _close(fd);
#else
    const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0666);
    if (fd < 0)
    {
        error = errno;
        return false;
    }
    close(fd);
#endif
    return true;
}

long CurrentProcessId()
{
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<long>(getpid());
#endif
}

bool IsProcessAlive(long pid)
{
#ifdef _WIN32
    (void)pid;
    return true; // never sweeps there: no cheap, safe test
#else
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#endif
}

// The process id in a temporary file name ".tw-<pid>-<number>" (or the
// older ".<name>.tw-<pid>-<number>"), or -1 when the name is not one of ours.
long OwnerOfTemporaryName(const std::string& name)
{
    if (name.size() < 2 || name.front() != '.')
        return -1;
    const std::size_t tag = name.rfind(".tw-");
    if (tag == std::string::npos)
        return -1;
    const std::size_t dash = name.find('-', tag + 4);
    if (dash == std::string::npos || dash == tag + 4 || dash + 1 == name.size())
        return -1;
    long pid = 0;
    for (std::size_t i = tag + 4; i < dash; ++i)
    {
        if (name[i] < '0' || name[i] > '9' || pid > 100000000)
            return -1;
        pid = pid * 10 + (name[i] - '0');
    }
    for (std::size_t i = dash + 1; i < name.size(); ++i)
    {
        if (name[i] < '0' || name[i] > '9')
            return -1;
    }
    return pid;
}
} // namespace

void SweepAbandonedTemporaryFiles(const std::string& folder)
{
    const long self = CurrentProcessId();
    std::error_code error;
    fs::directory_iterator it(PathFromUtf8(folder), error);
    for (; !error && it != fs::directory_iterator(); it.increment(error))
    {
        const long owner = OwnerOfTemporaryName(Utf8FromPath(it->path().filename()));
        if (owner <= 0 || owner == self || IsProcessAlive(owner))
            continue;
        // Only plain files: a link or folder of that name is somebody else's.
        std::error_code ignored;
        if (it->symlink_status(ignored).type() == fs::file_type::regular)
            fs::remove(it->path(), ignored);
    }
}

CTemporaryFile::~CTemporaryFile()
{
    Discard();
}

Status CTemporaryFile::Create(const std::string& target)
{
    Discard();
    const fs::path targetPath = PathFromUtf8(target);
    fs::path folder = targetPath.parent_path();
    if (folder.empty())
        folder = ".";
    // Whatever a killed run of ours left here goes now.
    SweepAbandonedTemporaryFiles(Utf8FromPath(folder));
    std::random_device seed;
    std::mt19937 random(seed());
    int lastError = 0;
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        // Hidden and plainly temporary, so that a file manager showing the
        // folder meanwhile does not offer it as a track; short, so that it
        // fits wherever the target's name does.
        const fs::path candidate =
            folder / PathFromUtf8(".tw-" + std::to_string(CurrentProcessId()) + "-" +
                                  std::to_string(random() % 1000000));
        if (CreateExclusive(candidate, lastError))
        {
            m_path = Utf8FromPath(candidate);
            m_target = target;
            return {};
        }
        if (lastError != EEXIST)
            break;
    }
    return Status::Failure("cannot create a file in " + Utf8FromPath(folder) + ": " +
                               std::generic_category().message(lastError),
                           StatusCode::NotWritten);
}

Status CTemporaryFile::CreateCopy(const std::string& target, const std::string& source)
{
    if (Status created = Create(target); !created)
        return created;
    std::error_code failure;
    fs::copy_file(PathFromUtf8(source), PathFromUtf8(m_path), fs::copy_options::overwrite_existing,
                  failure);
    if (!failure)
        fs::permissions(PathFromUtf8(m_path), fs::status(PathFromUtf8(source)).permissions(),
                        failure);
    if (failure)
    {
        Discard();
        return Status::Failure("cannot copy the file: " + failure.message(),
                               StatusCode::NotWritten);
    }
    return {};
}

Status CTemporaryFile::Commit()
{
#ifndef _WIN32
    struct stat target;
    if (lstat(PathFromUtf8(m_target).c_str(), &target) == 0 && S_ISREG(target.st_mode))
    {
        // The file keeps its owner and group where this process may give
        // them (root, or a group the user belongs to); elsewhere it cannot.
        if (chown(PathFromUtf8(m_path).c_str(), target.st_uid, target.st_gid) != 0)
            (void)chown(PathFromUtf8(m_path).c_str(), static_cast<uid_t>(-1), target.st_gid);
        if (target.st_nlink > 1)
            return CommitInPlace();
    }
#endif
    std::error_code renamed;
    fs::rename(PathFromUtf8(m_path), PathFromUtf8(m_target), renamed);
    if (renamed)
        return Status::Failure(renamed.message(), StatusCode::NotWritten);
    m_path.clear();
    return {};
}

// A file with other hard links must stay the same file, so the complete copy
// is written into it. The copy is first renamed out of the sweep's reach:
// should the process die while the file is being written, the new content
// is still there beside it.
Status CTemporaryFile::CommitInPlace()
{
    const fs::path kept = PathFromUtf8(m_path + ".kept");
    std::error_code failure;
    fs::rename(PathFromUtf8(m_path), kept, failure);
    if (!failure)
    {
        m_path = Utf8FromPath(kept);
        fs::copy_file(kept, PathFromUtf8(m_target), fs::copy_options::overwrite_existing, failure);
    }
    if (failure)
        return Status::Failure("cannot rewrite " + m_target + ": " + failure.message(),
                               StatusCode::NotWritten);
    Discard();
    return {};
}

void CTemporaryFile::Discard()
{
    if (m_path.empty())
        return;
    std::error_code ignored;
    fs::remove(PathFromUtf8(m_path), ignored);
    m_path.clear();
}

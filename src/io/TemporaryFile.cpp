#include "io/TemporaryFile.h"

#include "io/Paths.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
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
} // namespace

CTemporaryFile::~CTemporaryFile()
{
    Discard();
}

bool CTemporaryFile::Create(const std::string& target, std::string& error)
{
    Discard();
    const fs::path targetPath = PathFromUtf8(target);
    fs::path folder = targetPath.parent_path();
    if (folder.empty())
        folder = ".";
    std::random_device seed;
    std::mt19937 random(seed());
    int lastError = 0;
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        // Hidden and plainly temporary, so that a file manager showing the
        // folder meanwhile does not offer it as a track.
        const fs::path candidate =
            folder / PathFromUtf8("." + Utf8FromPath(targetPath.filename()) + ".tw-" +
                                  std::to_string(random() % 1000000));
        if (CreateExclusive(candidate, lastError))
        {
            m_path = Utf8FromPath(candidate);
            m_target = target;
            return true;
        }
        if (lastError != EEXIST)
            break;
    }
    error = "cannot create a file in " + Utf8FromPath(folder) + ": " +
            std::generic_category().message(lastError);
    return false;
}

bool CTemporaryFile::CreateCopy(const std::string& target, const std::string& source,
                                std::string& error)
{
    if (!Create(target, error))
        return false;
    std::error_code failure;
    fs::copy_file(PathFromUtf8(source), PathFromUtf8(m_path), fs::copy_options::overwrite_existing,
                  failure);
    if (!failure)
        fs::permissions(PathFromUtf8(m_path), fs::status(PathFromUtf8(source)).permissions(),
                        failure);
    if (failure)
    {
        error = "cannot copy the file: " + failure.message();
        Discard();
        return false;
    }
    return true;
}

bool CTemporaryFile::Commit(std::string& error)
{
    std::error_code renamed;
    fs::rename(PathFromUtf8(m_path), PathFromUtf8(m_target), renamed);
    if (renamed)
    {
        error = renamed.message();
        return false;
    }
    m_path.clear();
    return true;
}

void CTemporaryFile::Discard()
{
    if (m_path.empty())
        return;
    std::error_code ignored;
    fs::remove(PathFromUtf8(m_path), ignored);
    m_path.clear();
}

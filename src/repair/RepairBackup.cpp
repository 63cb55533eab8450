#include "repair/RepairBackup.h"

#include "io/Paths.h"
#include "io/Printable.h"
#include "io/TemporaryFile.h"

#include <cerrno>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace
{
constexpr int kMostNames = 10000;

fs::path NumberedName(const fs::path& name, int number)
{
    if (number == 1)
        return name;
    return PathFromUtf8(Utf8FromPath(name.stem()) + " (" + std::to_string(number) + ")" +
                        Utf8FromPath(name.extension()));
}

// Gives `copy` the access and modification times of `original`.
bool CopyTimes(const std::string& original, const std::string& copy)
{
#ifndef _WIN32
    struct stat status;
    if (stat(PathFromUtf8(original).c_str(), &status) != 0)
        return false;
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    return utimensat(AT_FDCWD, PathFromUtf8(copy).c_str(), times, 0) == 0;
#else
    std::error_code error;
    fs::last_write_time(PathFromUtf8(copy), fs::last_write_time(PathFromUtf8(original), error),
                        error);
    return !error;
#endif
}

// Links `from` under the first free numbered name beside `name`: a link
// fails rather than replace a file of that name, so two repairs cannot
// take the same one.
Status LinkUnderFreeName(const fs::path& from, const fs::path& folder, const fs::path& name,
                         fs::path& taken)
{
    for (int number = 1; number < kMostNames; ++number)
    {
        const fs::path candidate = folder / NumberedName(name, number);
        std::error_code failure;
        fs::create_hard_link(from, candidate, failure);
        if (!failure)
        {
            taken = candidate;
            return {};
        }
        if (failure == std::errc::file_exists)
            continue;
        // A file system without hard links: a rename, after a look.
        if (!fs::exists(candidate, failure))
        {
            fs::rename(from, candidate, failure);
            if (!failure)
            {
                taken = candidate;
                return {};
            }
        }
        return Status::Failure("cannot name the copy in the backup folder: " + failure.message());
    }
    return Status::Failure("no free name left in the backup folder");
}
} // namespace

std::string DefaultBackupFolder(const std::string& file)
{
    fs::path folder = PathFromUtf8(file).parent_path();
    if (folder.empty())
        folder = ".";
    return Utf8FromPath(folder / kBackupFolderName);
}

Status BackUpOriginal(const std::string& original, const std::string& folder,
                      std::string& backupPath)
{
    const fs::path folderPath = PathFromUtf8(folder);
    std::error_code failure;
    fs::create_directories(folderPath, failure);
    if (failure)
        return Status::Failure("cannot make the backup folder " + Printable(folder) + ": " +
                               failure.message());
    const fs::path name = PathFromUtf8(original).filename();
    CTemporaryFile copy;
    if (Status copied = copy.CreateCopy(Utf8FromPath(folderPath / name), original); !copied)
        return Status::Failure("cannot copy the original into the backup folder: " +
                               copied.Reason());
    if (!CopyTimes(original, copy.Path()))
        return Status::Failure("cannot give the backup copy the original's times");
    fs::path taken;
    if (Status linked = LinkUnderFreeName(PathFromUtf8(copy.Path()), folderPath, name, taken);
        !linked)
        return linked;
    backupPath = Utf8FromPath(taken);
    return {}; // the temporary name goes with `copy`
}

bool AppendRepairLog(const std::string& folder, const std::string& path, const std::string& text)
{
    std::error_code failure;
    fs::create_directories(PathFromUtf8(folder), failure);
    std::ofstream log(PathFromUtf8(folder) / kRepairLogName, std::ios::app | std::ios::binary);
    if (!log)
        return false;
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &now);
#else
    gmtime_r(&now, &utc);
#endif
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
    log << stamp << '\t' << Printable(path) << '\t' << Printable(text) << '\n';
    log.flush();
    return static_cast<bool>(log);
}

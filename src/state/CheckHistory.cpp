#include "state/CheckHistory.h"

#include "io/Paths.h"
#include "state/StateDatabase.h"

#include <bit>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace
{
// A run of writes commits after this many files, so that a killed run
// keeps most of what it learnt and other processes are not kept waiting.
constexpr int kWritesPerCommit = 500;

const char* const kColumns = "path, device, inode, size, modified, sound, errors, note, summary, "
                             "checked, has_hash, audio_hash, intact, decoded";

std::int64_t Signed(std::uint64_t value)
{
    return std::bit_cast<std::int64_t>(value);
}

std::uint64_t Unsigned(std::int64_t value)
{
    return std::bit_cast<std::uint64_t>(value);
}

RememberedCheck ReadRow(const CStateDatabase::CStatement& row)
{
    RememberedCheck check;
    check.path = row.Text(0);
    check.stamp = {Unsigned(row.Integer(1)), Unsigned(row.Integer(2)), Unsigned(row.Integer(3)),
                   row.Integer(4)};
    check.sound = row.Integer(5) != 0;
    check.errors = Unsigned(row.Integer(6));
    check.note = row.Text(7);
    check.summary = row.Text(8);
    check.checkedAt = row.Integer(9);
    check.hasAudioHash = row.Integer(10) != 0;
    check.audioHash = Unsigned(row.Integer(11));
    check.intactAt = row.Integer(12);
    check.decoded = row.Integer(13) != 0;
    return check;
}

// The range of keys under `folder`: after "folder/" and before "folder0",
// since '0' follows '/'.
std::pair<std::string, std::string> KeysUnder(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (folder == "/")
        return {"/", "0"};
    return {folder + "/", folder + "0"};
}
} // namespace

std::string StateKey(const std::string& path)
{
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(PathFromUtf8(path), error);
    return error ? path : Utf8FromPath(canonical);
}

#ifndef _WIN32
namespace
{
FileStamp StampOf(const struct stat& info)
{
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::uint64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 +
                static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
}
} // namespace
#endif

bool ReadOwnStampAt(int folder, const std::string& name, FileStamp& stamp)
{
#ifndef _WIN32
    struct stat info
    {
    };
    if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || S_ISLNK(info.st_mode))
        return false;
    stamp = StampOf(info);
    return true;
#else
    (void)folder;
    (void)name;
    (void)stamp;
    return false;
#endif
}

Status ReadFileStamp(const std::string& path, FileStamp& stamp)
{
#ifndef _WIN32
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return Status::Failure(std::system_category().message(errno));
    stamp = StampOf(info);
    return {};
#else
    std::error_code failure;
    const fs::path file = PathFromUtf8(path);
    stamp = {};
    stamp.size = fs::file_size(file, failure);
    if (!failure)
        stamp.modifiedNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                               fs::last_write_time(file, failure).time_since_epoch())
                               .count();
    if (failure)
        return Status::Failure(failure.message());
    return {};
#endif
}

CCheckHistory::~CCheckHistory()
{
    (void)Flush();
}

std::optional<RememberedCheck> CCheckHistory::Find(const std::string& path)
{
    if (!m_find)
        m_find = m_database.PrepareKept(
            (std::string("SELECT ") + kColumns + " FROM checks WHERE path = ?").c_str());
    m_find->Reset();
    m_find->Bind(path);
    if (!m_find->Step())
        return std::nullopt;
    return ReadRow(*m_find);
}

Status CCheckHistory::Remember(const RememberedCheck& check)
{
    if (Status failed = BeginWrites(); !failed)
        return failed;
    auto insert = m_database.Prepare((std::string("INSERT OR REPLACE INTO checks (") + kColumns +
                                      ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                                         .c_str());
    insert.Bind(check.path)
        .Bind(Signed(check.stamp.device))
        .Bind(Signed(check.stamp.inode))
        .Bind(Signed(check.stamp.size))
        .Bind(check.stamp.modifiedNs)
        .Bind(check.sound ? 1 : 0)
        .Bind(Signed(check.errors))
        .Bind(check.note)
        .Bind(check.summary)
        .Bind(check.checkedAt)
        .Bind(check.hasAudioHash ? 1 : 0)
        .Bind(Signed(check.audioHash))
        .Bind(check.intactAt)
        .Bind(check.decoded ? 1 : 0);
    if (!insert.Run())
        return Status::Failure(m_database.LastError());
    if (++m_pendingWrites < kWritesPerCommit)
        return {};
    return Flush();
}

void CCheckHistory::FollowTagEdit(const std::string& path, const FileStamp& before)
{
    FileStamp now;
    const std::string key = StateKey(path);
    const std::optional<RememberedCheck> known = Find(key);
    if (!known || !known->stamp.SameContentAs(before) || !ReadFileStamp(key, now) || !BeginWrites())
        return;
    m_database
        .Prepare("UPDATE checks SET device = ?, inode = ?, size = ?, modified = ? "
                 "WHERE path = ?")
        .Bind(Signed(now.device))
        .Bind(Signed(now.inode))
        .Bind(Signed(now.size))
        .Bind(now.modifiedNs)
        .Bind(key)
        .Run();
    (void)Flush();
}

std::size_t CCheckHistory::Forget(const std::string& path)
{
    const std::string key = StateKey(path);
    const auto [from, to] = KeysUnder(key);
    if (!BeginWrites() ||
        !m_database.Prepare("DELETE FROM checks WHERE path = ? OR (path > ? AND path < ?)")
             .Bind(key)
             .Bind(from)
             .Bind(to)
             .Run())
        return 0;
    const std::size_t forgotten = static_cast<std::size_t>(m_database.Changes());
    (void)Flush();
    return forgotten;
}

void CCheckHistory::ForEach(const std::function<void(const RememberedCheck&)>& visit)
{
    auto rows = m_database.Prepare(
        (std::string("SELECT ") + kColumns + " FROM checks ORDER BY path").c_str());
    while (rows.Step())
        visit(ReadRow(rows));
}

Status CCheckHistory::Flush()
{
    m_pendingWrites = 0;
    if (!m_inTransaction)
        return {};
    m_inTransaction = false;
    return m_database.Execute("COMMIT");
}

Status CCheckHistory::BeginWrites()
{
    // Inside a transaction another user of the connection began, the writes
    // go with it. Taking the write lock at once lets a busy database make us
    // wait rather than fail half-way.
    if (m_inTransaction || m_database.InTransaction())
        return {};
    Status begun = m_database.Execute("BEGIN IMMEDIATE");
    m_inTransaction = begun.Ok();
    return begun;
}

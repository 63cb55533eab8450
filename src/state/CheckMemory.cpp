#include "state/CheckMemory.h"

#include "check/MP3Check.h"
#include "check/MP3Damage.h"
#include "io/Paths.h"
#include "state/SpanHash.h"

#include <chrono>
#include <filesystem>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

std::optional<RememberedCheck> RecallUnchanged(CCheckHistory& history, const std::string& key,
                                               const FileStamp& stamp)
{
    std::optional<RememberedCheck> known = history.Find(key);
    if (known && !known->stamp.SameContentAs(stamp))
        known.reset();
    return known;
}

bool DescribeCheck(const std::string& key, const FileStamp& stamp, const MP3CheckResult& result,
                   const std::string& summary, std::int64_t now, RememberedCheck& check)
{
    if (!result.readable)
        return false;
    check = {};
    check.path = key;
    check.stamp = stamp;
    check.sound = result.IsSound();
    check.errors = result.errors;
    check.note = VerdictNote(result);
    check.summary = summary;
    check.checkedAt = now;
    check.intactAt = now;
    check.decoded = result.decode.done && result.decode.failure.empty();
    if (result.audioEnd > result.audioStart)
        check.hasAudioHash =
            HashFileSpan(key, result.audioStart, result.audioEnd, check.audioHash).Ok();
    return true;
}

Status Reconcile(CCheckHistory& history, const RememberedCheck& fresh, AudioChange& change)
{
    change = {};
    const std::optional<RememberedCheck> known = history.Find(fresh.path);
    // Audio that is gone altogether has changed as much as audio that differs.
    if (known && known->stamp.SameContentAs(fresh.stamp) && known->hasAudioHash &&
        (!fresh.hasAudioHash || known->audioHash != fresh.audioHash))
    {
        change = {true, known->intactAt};
        return {};
    }
    return history.Remember(fresh);
}

std::int64_t SecondsNow()
{
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

Status CCheckMemory::Open(std::unique_ptr<CCheckMemory>& memory)
{
    std::unique_ptr<CStateDatabase> database;
    if (Status opened = CStateDatabase::Open(CStateDatabase::DefaultPath(), database); !opened)
        return opened;
    memory = std::make_unique<CCheckMemory>(std::move(database));
    return {};
}

CCheckMemory::CCheckMemory(std::unique_ptr<CStateDatabase> database)
    : m_database(std::move(database)), m_history(*m_database)
{
}

bool CCheckMemory::Stamp(const std::string& path, std::string& key, FileStamp& stamp)
{
    // The common case costs one look at the file: not a link, its folder known.
    const std::filesystem::path file = PathFromUtf8(path);
    if (file.has_filename() && ReadOwnStampAt(OpenFolder(Utf8FromPath(file.parent_path())),
                                              Utf8FromPath(file.filename()), stamp))
    {
        key = KeyInFolder(file);
        return true;
    }
    key = StateKey(path);
    // The check says why, if it matters.
    return ReadFileStamp(key, stamp).Ok();
}

// Files come folder by folder, so the last folder is kept open.
int CCheckMemory::OpenFolder(const std::string& folder)
{
#ifndef _WIN32
    std::lock_guard lock(m_mutex);
    if (m_openFolder.path != folder || m_openFolder.fd < 0)
    {
        m_openFolder.Close();
        m_openFolder.path = folder;
        m_openFolder.fd =
            ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    return m_openFolder.fd >= 0 ? m_openFolder.fd : AT_FDCWD;
#else
    (void)folder;
    return -1;
#endif
}

void CCheckMemory::FolderHandle::Close()
{
#ifndef _WIN32
    if (fd >= 0)
        ::close(fd);
#endif
    fd = -1;
}

std::string CCheckMemory::KeyInFolder(const std::filesystem::path& file)
{
    const std::string folder = Utf8FromPath(file.parent_path());
    std::lock_guard lock(m_mutex);
    auto known = m_realFolders.find(folder);
    if (known == m_realFolders.end())
        known = m_realFolders.emplace(folder, StateKey(folder.empty() ? "." : folder)).first;
    return Utf8FromPath(PathFromUtf8(known->second) / file.filename());
}

std::optional<RememberedCheck> CCheckMemory::Recall(const std::string& key, const FileStamp& stamp,
                                                    bool decoding)
{
    // Look-ups share one read transaction, a thousand at a time: taking the
    // database's read lock for each would cost more than the look-up.
    constexpr int kReadsPerTransaction = 1000;
    std::lock_guard lock(m_mutex);
    if (m_reading && ++m_reads >= kReadsPerTransaction)
        EndReads();
    if (!m_database->InTransaction() && m_database->Execute("BEGIN"))
    {
        m_reading = true;
        m_reads = 0;
    }
    std::optional<RememberedCheck> known = RecallUnchanged(m_history, key, stamp);
    if (known && decoding && !known->decoded)
        known.reset();
    return known;
}

void CCheckMemory::EndReads()
{
    if (!m_reading)
        return;
    (void)m_database->Execute("COMMIT");
    m_reading = false;
}

Status CCheckMemory::Learn(const std::string& key, const FileStamp& stamp,
                           const MP3CheckResult& result, AudioChange& change)
{
    change = {};
    const std::string summary =
        result.IsSound() ? std::string() : DescribeSummary(SummariseDamage(result));
    RememberedCheck fresh;
    if (!DescribeCheck(key, stamp, result, summary, SecondsNow(), fresh))
        return {};
    std::lock_guard lock(m_mutex);
    // Writing takes the write lock at once, never by way of a read.
    EndReads();
    return Reconcile(m_history, fresh, change);
}

Status CCheckMemory::Flush()
{
    std::lock_guard lock(m_mutex);
    EndReads();
    return m_history.Flush();
}

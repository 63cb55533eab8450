#pragma once

#include "io/Status.h"
#include "state/ICheckMemory.h"
#include "state/StateDatabase.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The one name the state keeps for a file, whichever link or relative path
// leads to it.
std::string StateKey(const std::string& path);

// The stamp of the file `path` names (a link: of its target). Fails when
// there is no such file.
Status ReadFileStamp(const std::string& path, FileStamp& stamp);
// The stamp of `name` in the open folder `folder` (a descriptor), a link or
// not; false when it is a link. Spares the system a walk down the whole path
// for each file of a folder.
bool ReadOwnStampAt(int folder, const std::string& name, FileStamp& stamp);

// The history of checks, so that unchanged files need not be read again and
// audio that changed under an unchanged date can be noticed. Keyed by path.
class CCheckHistory
{
public:
    explicit CCheckHistory(CStateDatabase& database) : m_database(database) {}
    ~CCheckHistory();
    CCheckHistory(const CCheckHistory&) = delete;
    CCheckHistory& operator=(const CCheckHistory&) = delete;

    std::optional<RememberedCheck> Find(const std::string& path);
    // Stores `check` in place of what was known of its path. Writes are
    // gathered into one transaction that commits every so often and when
    // the history goes, so that a large run does not wait on the disk per
    // file; a run that is killed keeps what was committed.
    Status Remember(const RememberedCheck& check);
    // The program rewrote the tags of `path`, which leaves its audio as it
    // was: the remembered check follows the file's new size and time, if it
    // was of the file as it was just `before` the edit.
    void FollowTagEdit(const std::string& path, const FileStamp& before);
    // Forgets `path`, or everything under it when it is a folder. Returns how
    // many files were forgotten.
    std::size_t Forget(const std::string& path);
    // Every remembered check, in path order.
    void ForEach(const std::function<void(const RememberedCheck&)>& visit);
    // Commits what is gathered.
    Status Flush();

private:
    Status BeginWrites();

    CStateDatabase& m_database;
    std::unique_ptr<CStateDatabase::CStatement> m_find;
    bool m_inTransaction = false;
    int m_pendingWrites = 0;
};

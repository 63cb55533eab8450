#pragma once

#include "io/Status.h"
#include "state/CheckHistory.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

struct MP3CheckResult;

// The remembered check of the file `key` when its size and time are those
// of `stamp`: the answer for an unchanged file, without reading it.
std::optional<RememberedCheck> RecallUnchanged(CCheckHistory& history, const std::string& key,
                                               const FileStamp& stamp);

// What to remember of a finished check of `key`, whose stamp was `stamp`
// before the check began. Reads the file's audio again for its hash; a
// file that could not be read has nothing to remember (false).
bool DescribeCheck(const std::string& key, const FileStamp& stamp, const MP3CheckResult& result,
                   const std::string& summary, std::int64_t now, RememberedCheck& check);

// Stores `fresh` unless its audio changed while size and time did not: then
// what was known stays, so the change is told again until the file is
// edited for real or forgotten.
Status Reconcile(CCheckHistory& history, const RememberedCheck& fresh, AudioChange& change);

// Seconds since 1970, for the history's times.
std::int64_t SecondsNow();

// The history of checks in the user's state database.
class CCheckMemory final : public ICheckMemory
{
public:
    // Opens the history in the user's state folder.
    static Status Open(std::unique_ptr<CCheckMemory>& memory);
    explicit CCheckMemory(std::unique_ptr<CStateDatabase> database);
    ~CCheckMemory() override { EndReads(); }
    CCheckMemory(const CCheckMemory&) = delete;
    CCheckMemory& operator=(const CCheckMemory&) = delete;

    bool Stamp(const std::string& path, std::string& key, FileStamp& stamp) override;
    std::optional<RememberedCheck> Recall(const std::string& key, const FileStamp& stamp,
                                          bool decoding) override;
    Status Learn(const std::string& key, const FileStamp& stamp, const MP3CheckResult& result,
                 AudioChange& change) override;
    Status Flush() override;

private:
    // The key of `file`, not a link: its folder's real path, looked up once
    // per folder, and its name.
    std::string KeyInFolder(const std::filesystem::path& file);
    // A descriptor of `folder`, for looking at its files by name.
    int OpenFolder(const std::string& folder);

    struct FolderHandle
    {
        FolderHandle() = default;
        FolderHandle(const FolderHandle&) = delete;
        FolderHandle& operator=(const FolderHandle&) = delete;
        ~FolderHandle() { Close(); }
        void Close();
        std::string path;
        int fd = -1;
    };
    void EndReads();

    std::unique_ptr<CStateDatabase> m_database;
    CCheckHistory m_history;
    std::mutex m_mutex; // one statement at a time; guards what follows
    std::unordered_map<std::string, std::string> m_realFolders;
    FolderHandle m_openFolder;
    bool m_reading = false; // a read transaction of ours is open
    int m_reads = 0;
};

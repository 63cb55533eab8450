#pragma once

#include "state/CheckHistory.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

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

// How a fresh check compares with the history.
struct AudioChange
{
    bool changed = false;        // the audio differs, its size and time do not
    std::int64_t lastIntact = 0; // when it was last seen as remembered
};

// Stores `fresh` unless its audio changed while size and time did not: then
// what was known stays, so the change is told again until the file is
// edited for real or forgotten.
AudioChange Reconcile(CCheckHistory& history, const RememberedCheck& fresh, std::string& error);

// Seconds since 1970, for the history's times.
std::int64_t SecondsNow();
// `seconds` since 1970 as local "YYYY-MM-DD HH:MM".
std::string LocalTimeText(std::int64_t seconds);

// The history as a run of checks uses it, from several workers at once:
// answers for unchanged files, and what each check learnt.
class CCheckMemory
{
public:
    // Opens the history in the user's state folder; null with `error`.
    static std::unique_ptr<CCheckMemory> Open(std::string& error);
    explicit CCheckMemory(std::unique_ptr<CStateDatabase> database);

    // The name `path` is kept by and its stamp now; false when it has none.
    static bool Stamp(const std::string& path, std::string& key, FileStamp& stamp);
    // The remembered check of `key` when the file has not changed since.
    std::optional<RememberedCheck> Recall(const std::string& key, const FileStamp& stamp);
    // Hashes the audio the check walked and compares it with the history.
    AudioChange Learn(const std::string& key, const FileStamp& stamp, const MP3CheckResult& result,
                      std::string& error);
    // Commits what was learnt.
    bool Flush(std::string& error);

private:
    std::unique_ptr<CStateDatabase> m_database;
    CCheckHistory m_history;
    std::mutex m_mutex; // one statement at a time
};

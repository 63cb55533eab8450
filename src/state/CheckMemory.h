#pragma once

#include "state/CheckHistory.h"

#include <cstdint>
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

#pragma once

#include "io/Status.h"

#include <cstdint>
#include <optional>
#include <string>

struct MP3CheckResult;

// What tells one version of a file from another without reading it.
struct FileStamp
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0; // nanoseconds since 1970

    // The file is taken as unchanged when its size and time are.
    bool SameContentAs(const FileStamp& other) const
    {
        return size == other.size && modifiedNs == other.modifiedNs;
    }
};

// One file's last check as remembered.
struct RememberedCheck
{
    std::string path; // absolute
    FileStamp stamp;
    bool sound = false;
    std::uint64_t errors = 0;
    std::string note;           // why it is not sound, when no damage event says it
    std::string summary;        // the damage in a line, for corrupt files
    std::int64_t checkedAt = 0; // seconds since 1970
    bool hasAudioHash = false;
    std::uint64_t audioHash = 0;
    // When the audio last had this hash for sure: the first check that saw
    // it, moved on by each check that found it again.
    std::int64_t intactAt = 0;
    bool decoded = false; // every frame was decoded too
};

// How a fresh check compares with the history.
struct AudioChange
{
    bool changed = false;        // the audio differs, its size and time do not
    std::int64_t lastIntact = 0; // when it was last seen as remembered
};

// The history of checks as a run of checks uses it, from several workers at
// once: answers for unchanged files, and what each check learnt.
class ICheckMemory
{
public:
    virtual ~ICheckMemory() = default;

    // The name `path` is kept by and its stamp now; false when it has none.
    virtual bool Stamp(const std::string& path, std::string& key, FileStamp& stamp) = 0;
    // The remembered check of `key` when the file has not changed since and
    // the check was as deep as the one asked for: one without the decode
    // does not answer for one `decoding` every frame.
    virtual std::optional<RememberedCheck> Recall(const std::string& key, const FileStamp& stamp,
                                                  bool decoding) = 0;
    // Hashes the audio the check walked and compares it with the history.
    // `change` tells whether the audio changed while size and time did not.
    virtual Status Learn(const std::string& key, const FileStamp& stamp,
                         const MP3CheckResult& result, AudioChange& change) = 0;
    // Commits what was learnt.
    virtual Status Flush() = 0;
};

#pragma once

#include "io/Status.h"

#include <cstdint>
#include <string>

class CAudioFile;
class CStateDatabase;
struct FileStamp;

// A file's title, artist and album.
struct TrackTexts
{
    std::string title;
    std::string artist;
    std::string album;

    bool operator==(const TrackTexts&) const = default;
};

// The history of tag edits, so that the last edit of each file can be put
// back. An edit is recorded before the file changes and marked done with
// the file's size and time once it has; an undo refuses a file that has
// changed since in any other way.
class CTagHistory
{
public:
    explicit CTagHistory(CStateDatabase& database) : m_database(database) {}

    // Records that `path` is about to change from `before` to `after`: the
    // fields that differ, with both texts. `edit` is the edit's id; 0 when no
    // field changes or the record failed.
    Status Begin(const std::string& path, const TrackTexts& before, const TrackTexts& after,
                 std::int64_t& edit);
    // The edit is in the file now.
    void Complete(std::int64_t edit, const std::string& path);
    // The edit did not happen.
    void Drop(std::int64_t edit);
    // The tags of `path`, as they were `before`, were rewritten: the history
    // of checks keeps knowing the file, whose audio is as it was.
    void FollowTagEdit(const std::string& path, const FileStamp& before);
    // Puts back the fields of the last edit of `path` and forgets that edit.
    // Fails when there is none, when the file has changed since, or when the
    // tags cannot be written; the file then is as it was.
    Status Undo(const std::string& path);

private:
    CStateDatabase& m_database;
};

// Writes the tags set in `file` (see WriteTagsVerified), recording the edit
// from `before` in `history` when one is given. A history that cannot
// record does not stop the edit: `warning` then says so.
Status WriteTagsRecorded(CAudioFile& file, const TrackTexts& before, CTagHistory* history,
                         std::string& warning);

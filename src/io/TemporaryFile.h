#pragma once

#include "io/Status.h"

#include <string>

// A new, empty file beside a target path, under a name nobody else uses,
// that becomes the target in one step (Commit) or disappears (on
// destruction without Commit). Whoever writes the target through it never
// truncates what is there, never writes through a link at the target's
// name, and never leaves a partial file under that name.
class CTemporaryFile
{
public:
    CTemporaryFile() = default;
    ~CTemporaryFile();
    CTemporaryFile(const CTemporaryFile&) = delete;
    CTemporaryFile& operator=(const CTemporaryFile&) = delete;

    // Creates the file in the target's folder.
    Status Create(const std::string& target);
    // Creates the file beside `target` as a copy of `source`, content and
    // permissions.
    Status CreateCopy(const std::string& target, const std::string& source);
    const std::string& Path() const { return m_path; }
    // Renames the file over the target (replacing it, or a link there),
    // giving it the target's owner and group where allowed. A target with
    // other hard links is written over in place instead, so that every
    // link sees the new content.
    Status Commit();
    // Removes the file now, if it was not committed.
    void Discard();

private:
    Status CommitInPlace();

    std::string m_path;
    std::string m_target;
};

// Removes the temporary files in `folder` that runs of this program left
// when they were killed: those whose process is gone. Create does this for
// its target's folder.
void SweepAbandonedTemporaryFiles(const std::string& folder);

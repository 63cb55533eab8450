#pragma once

#include "check/MP3Check.h"

#include <string>

class IProgressSink;

// Checks one file at a time for a batch run, with the run's progress sink
// showing the progress within the current file. One task serves a whole run;
// the path is replaced before each file.
class CMP3CheckTask
{
public:
    virtual ~CMP3CheckTask() = default;

    void SetPath(const std::string& path) { m_Path = path; }

    // Checks the file at the stored path; true when it is sound. Progress
    // starts at 0 and is back at 0 when it returns. `dialog` may be null.
    virtual bool Run(IProgressSink* dialog);

    // Details of the last Run: damage found, or why the file could not be read.
    const MP3CheckResult& GetResult() const { return m_Result; }

private:
    std::string m_Path;
    IProgressSink* m_pDialog = nullptr; // not owned; set for the length of Run
    MP3CheckResult m_Result;
};

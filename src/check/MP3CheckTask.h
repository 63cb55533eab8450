#pragma once

#include "check/MP3Check.h"

#include <string>

class IProgressSink;

// A second, slower look at a file after the walk: inside its frames. Kept
// behind this interface so that the plain check never needs the decoder.
class IMP3DeepCheck
{
public:
    virtual ~IMP3DeepCheck() = default;

    // Fills `result.decode` for the file at `path`, whose walk gave the rest
    // of `result`. `progress` (may be null) gets the share of the file done.
    virtual void Check(const std::string& path, MP3CheckResult& result,
                       IProgressSink* progress) = 0;
};

// Checks one file at a time for a batch run, with the run's progress sink
// showing the progress within the current file. One task serves a whole run;
// the path is replaced before each file.
class CMP3CheckTask
{
public:
    virtual ~CMP3CheckTask() = default;

    void SetPath(const std::string& path) { m_Path = path; }
    // Also decode every file that has audio; null (the default) for the walk
    // alone. Not owned. With it, progress is that of the decoding.
    void SetDeepCheck(IMP3DeepCheck* deep) { m_pDeep = deep; }

    // Checks the file at the stored path; true when it is sound. Progress
    // starts at 0 and is back at 0 when it returns. `dialog` may be null.
    virtual bool Run(IProgressSink* dialog);

    // Details of the last Run: damage found, or why the file could not be read.
    const MP3CheckResult& GetResult() const { return m_Result; }
    MP3CheckResult TakeResult() { return std::move(m_Result); }

private:
    std::string m_Path;
    IProgressSink* m_pDialog = nullptr; // not owned; set for the length of Run
    IMP3DeepCheck* m_pDeep = nullptr;
    MP3CheckResult m_Result;
};

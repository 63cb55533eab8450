#pragma once

#include "tracks/Document.h"

#include <functional>

class CCheckMemory;
class IRunHost;
struct FileStamp;

// Checks the MP3 tracks of a list that have no verdict yet and writes the
// verdict into each: one result line with the path and one with the
// verdict, black when sound, red when corrupt; under a corrupt file, why
// (no audio, unreadable) and where and how much it is damaged. A cancel
// takes effect before the next MP3 file; the file in hand is checked to its
// end.
class CAnalysisRun
{
public:
    explicit CAnalysisRun(TrackRefs tracks) : m_pTracks(std::move(tracks)) {}

    // Asked before each file, on the run's thread: true to decode it too
    // (the deep check). Unset, files are only walked.
    void SetDeepCheck(std::function<bool()> wanted) { m_deepWanted = std::move(wanted); }
    // Gives files unchanged since their last check their remembered verdict
    // without reading them, and remembers what the others are found to be.
    void RememberChecks(bool on) { m_remember = on; }

    void Run(IRunHost& host);

private:
    // Shows the remembered verdict of an unchanged file; false to check it.
    bool Recall(CCheckMemory& memory, const std::string& key, const FileStamp& stamp, bool decode,
                TrackInfo& track, IRunHost& host);

    TrackRefs m_pTracks;
    std::function<bool()> m_deepWanted;
    bool m_remember = false;
};

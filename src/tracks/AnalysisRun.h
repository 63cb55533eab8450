#pragma once

#include "tracks/Document.h"

class IRunHost;

// Checks the MP3 tracks of a list that have no verdict yet and writes the
// verdict into each: one result line with the path and one with the
// verdict, black when sound, red when corrupt. A cancel takes effect before
// the next MP3 file; the file in hand is checked to its end.
class CAnalysisRun
{
public:
    explicit CAnalysisRun(TrackRefs tracks) : m_pTracks(std::move(tracks)) {}

    void Run(IRunHost& host);

private:
    TrackRefs m_pTracks;
};

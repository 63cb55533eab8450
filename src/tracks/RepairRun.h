#pragma once

#include "repair/MP3Repair.h"
#include "tracks/Document.h"

class IRunHost;

// Repairs the MP3 tracks of a list whose check status is Corrupt, then
// checks each again so that its status says what the file is now. Per file
// one result line with the path and one saying what the repair did: black
// when the file is sound after it, red otherwise. A cancel takes effect
// before the next file; the file in hand is finished.
class CRepairRun
{
public:
    CRepairRun(TrackRefs tracks, RepairOptions options)
        : m_pTracks(std::move(tracks)), m_options(std::move(options))
    {
    }

    void Run(IRunHost& host);

private:
    void RepairTrack(TrackInfo& track, IRunHost& host);

    TrackRefs m_pTracks;
    RepairOptions m_options;
};

#include "tracks/RepairRun.h"

#include "check/MP3CheckTask.h"
#include "io/AudioKind.h"
#include "tracks/IRunHost.h"
#include "tracks/Strings.h"

namespace
{
bool IsCorruptMP3(const TrackInfo& track)
{
    return track.checkStatus == kCheckCorrupt && AudioKindOf(track.path) == AudioKind::Mp3;
}
} // namespace

void CRepairRun::Run(IRunHost& host)
{
    std::size_t total = 0;
    for (const TrackInfo* track : m_pTracks)
        total += IsCorruptMP3(*track) ? 1 : 0;
    std::size_t done = 0;
    for (TrackInfo* track : m_pTracks)
    {
        if (!IsCorruptMP3(*track))
            continue;
        host.SetCurrentFile(track->path);
        if (host.IsCancelled())
        {
            host.AddResultLine(strings::kAborted, kLineRed);
            break;
        }
        host.SetCaption(strings::kRepairing);
        host.SetProgress(static_cast<int>(done * 100 / total));
        RepairTrack(*track, host);
        ++done;
    }
    host.SetCurrentFile("");
    host.SetProgress(0);
}

void CRepairRun::RepairTrack(TrackInfo& track, IRunHost& host)
{
    const RepairResult result = RepairMP3File(track.path, m_options);
    // The file is looked at afresh: the track shows what it is now, whatever
    // the repair managed.
    CMP3CheckTask check;
    check.SetPath(track.path);
    const bool sound = check.Run(nullptr);
    track.checkStatus = sound ? kCheckSound : kCheckCorrupt;
    track.checkNote = VerdictNote(check.GetResult());
    const std::uint32_t colour = sound ? kLineBlack : kLineRed;
    host.AddResultLine(track.path, colour);
    host.AddResultLine("        " + DescribeRepair(result), colour);
    if (result.outcome == RepairOutcome::Failed || result.outcome == RepairOutcome::NotRepairable)
        host.ReportFailure(track.path, DescribeRepair(result));
    else if (!result.logWarning.empty())
        host.AddResultLine("        " + result.logWarning, kLineRed);
}

#include "tracks/AnalysisRun.h"

#include "check/MP3CheckTask.h"
#include "io/Paths.h"
#include "tracks/IRunHost.h"
#include "tracks/Strings.h"

void CAnalysisRun::Run(IRunHost& host)
{
    CMP3CheckTask task;
    for (TrackInfo* track : m_pTracks)
    {
        if (track->checkStatus != kCheckNone)
            continue;
        if (UpperCaseExtension(PathFromUtf8(track->path)) != ".MP3")
            continue;
        host.SetCurrentFile(track->path);
        if (host.IsCancelled())
        {
            host.AddResultLine(strings::kAborted, kLineRed);
            break;
        }
        host.SetCaption(strings::kAnalyzing);
        task.SetPath(track->path);
        const bool sound = task.Run(&host);
        track->checkStatus = sound ? kCheckSound : kCheckCorrupt;
        track->checkNote = VerdictNote(task.GetResult());
        const std::uint32_t colour = sound ? kLineBlack : kLineRed;
        host.AddResultLine(track->path, colour);
        host.AddResultLine(strings::Fill(sound ? strings::kFileOk : strings::kFileCorrupt, ""),
                           colour);
        // A file that could not be read, or holds no audio, says so where the
        // verdict is seen.
        if (!track->checkNote.empty())
            host.AddResultLine("        " + track->checkNote, colour);
    }
    host.SetCurrentFile("");
    host.SetProgress(0);
}

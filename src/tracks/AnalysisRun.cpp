#include "tracks/AnalysisRun.h"

#include "check/MP3CheckTask.h"
#include "check/MP3DecodeCheck.h"
#include "io/Paths.h"
#include "tracks/IRunHost.h"
#include "tracks/Strings.h"

namespace
{
// Damage events shown under a corrupt file; the rest are counted.
constexpr std::size_t kEventsShown = 3;
constexpr const char* kIndent = "        ";
} // namespace

void CAnalysisRun::Run(IRunHost& host)
{
    CMP3CheckTask task;
    CMP3DecodeCheck deep;
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
        task.SetDeepCheck(m_deepWanted && m_deepWanted() ? &deep : nullptr);
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
            host.AddResultLine(kIndent + track->checkNote, colour);
        for (const std::string& line : DescribeCheckDetails(task.GetResult(), kEventsShown))
            if (line != track->checkNote)
                host.AddResultLine(kIndent + line, colour);
    }
    host.SetCurrentFile("");
    host.SetProgress(0);
}

#include "tracks/AnalysisRun.h"

#include "check/MP3CheckTask.h"
#include "check/MP3DecodeCheck.h"
#include "io/AudioKind.h"
#include "io/Text.h"
#include "state/CheckMemory.h"
#include "tracks/IRunHost.h"
#include "tracks/Strings.h"

namespace
{
// Damage events shown under a corrupt file; the rest are counted.
constexpr std::size_t kEventsShown = 3;
constexpr const char* kIndent = "        ";

void ShowVerdict(IRunHost& host, const TrackInfo& track)
{
    const bool sound = track.checkStatus == kCheckSound;
    const std::uint32_t colour = sound ? kLineBlack : kLineRed;
    host.AddResultLine(track.path, colour);
    host.AddResultLine(strings::Fill(sound ? strings::kFileOk : strings::kFileCorrupt, ""), colour);
    // A file that could not be read, or holds no audio, says so where the
    // verdict is seen.
    if (!track.checkNote.empty())
        host.AddResultLine(kIndent + track.checkNote, colour);
}

// The history, when asked for and to be had; a line says why not.
std::unique_ptr<CCheckMemory> OpenMemory(bool wanted, IRunHost& host)
{
    if (!wanted)
        return nullptr;
    std::unique_ptr<CCheckMemory> memory;
    if (Status opened = CCheckMemory::Open(memory); !opened)
        host.AddResultLine("Every file is read: " + opened.Reason(), kLineRed);
    return memory;
}
} // namespace

void CAnalysisRun::Run(IRunHost& host)
{
    CMP3CheckTask task;
    CMP3DecodeCheck deep;
    const std::unique_ptr<CCheckMemory> memory = OpenMemory(m_remember, host);
    for (TrackInfo* track : m_pTracks)
    {
        if (track->checkStatus != kCheckNone)
            continue;
        if (AudioKindOf(track->path) != AudioKind::Mp3)
            continue;
        host.SetCurrentFile(track->path);
        if (host.IsCancelled())
        {
            host.AddResultLine(strings::kAborted, kLineRed);
            break;
        }
        host.SetCaption(strings::kAnalyzing);
        const bool decode = m_deepWanted && m_deepWanted();
        std::string key;
        FileStamp stamp;
        const bool stamped = memory && memory->Stamp(track->path, key, stamp);
        if (stamped && Recall(*memory, key, stamp, decode, *track, host))
            continue;
        task.SetPath(track->path);
        task.SetDeepCheck(decode ? &deep : nullptr);
        const bool sound = task.Run(&host);
        track->checkStatus = sound ? kCheckSound : kCheckCorrupt;
        track->checkNote = VerdictNote(task.GetResult());
        AudioChange ignored;
        // A history that cannot be written costs only the next check's time.
        if (stamped)
            (void)memory->Learn(key, stamp, task.GetResult(), ignored);
        ShowVerdict(host, *track);
        const std::uint32_t colour = sound ? kLineBlack : kLineRed;
        for (const std::string& line : DescribeCheckDetails(task.GetResult(), kEventsShown))
            if (line != track->checkNote)
                host.AddResultLine(kIndent + line, colour);
    }
    host.SetCurrentFile("");
    host.SetProgress(0);
}

bool CAnalysisRun::Recall(CCheckMemory& memory, const std::string& key, const FileStamp& stamp,
                          bool decode, TrackInfo& track, IRunHost& host)
{
    const std::optional<RememberedCheck> remembered = memory.Recall(key, stamp, decode);
    if (!remembered)
        return false;
    track.checkStatus = remembered->sound ? kCheckSound : kCheckCorrupt;
    track.checkNote = remembered->note;
    ShowVerdict(host, track);
    const std::uint32_t colour = remembered->sound ? kLineBlack : kLineRed;
    host.AddResultLine(
        kIndent + std::string("as checked on ") + LocalTimeText(remembered->checkedAt), colour);
    if (!remembered->summary.empty())
        host.AddResultLine(kIndent + remembered->summary, colour);
    return true;
}

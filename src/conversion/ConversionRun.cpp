#include "conversion/ConversionRun.h"

#include "check/MP3CheckTask.h"
#include "conversion/Pipelines.h"
#include "conversion/WaveNormalizer.h"
#include "io/AudioKind.h"
#include "io/FileException.h"
#include "io/Paths.h"
#include "tracks/IRunHost.h"
#include "tracks/OrderedWork.h"
#include "tracks/Strings.h"
#include "tracks/TrackInfo.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>

namespace fs = std::filesystem;

namespace
{
const std::string kIndent = "        ===> ";
const char* const kReplacesSource = "not converted: the output would replace a source file";
const char* const kEarlierOutput =
    "not converted: an earlier file of this run has that output name";

std::string WithoutTrailingSeparator(std::string folder)
{
#ifdef _WIN32
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
#else
    if (!folder.empty() && folder.back() == '/')
#endif
        folder.pop_back();
    return folder;
}

const char* Extension(ConversionTarget target)
{
    switch (target)
    {
    case ConversionTarget::Ogg:
        return ".ogg";
    case ConversionTarget::Wav:
        return ".wav";
    default:
        return ".mp3";
    }
}

// The one name of a file, through any links, or of where it would be.
std::string Identity(const std::string& path)
{
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(PathFromUtf8(path), error);
    return error ? path : Utf8FromPath(resolved);
}

// The folder a file lies in; "." for a bare file name.
fs::path FolderOf(const std::string& path)
{
    const fs::path parent = PathFromUtf8(path).parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

bool IsSameFolder(const fs::path& a, const fs::path& b)
{
    std::error_code error;
    return fs::equivalent(a, b, error);
}

// "m:ss.t", to the tenth of a second.
std::string TimeWithTenths(std::int64_t milliseconds)
{
    const std::int64_t tenths = std::max<std::int64_t>(milliseconds, 0) / 100;
    return PlayingTimeText(tenths * 100) + "." + std::to_string(tenths % 10);
}

// Said when a damaged source held more or less audio than it claimed.
std::string RecoveryNote(const CConversionPipeline& pipeline)
{
    constexpr std::int64_t kNoticeableMs = 1000;
    if (std::abs(pipeline.DecodedMs() - pipeline.DeclaredMs()) <= kNoticeableMs)
        return {};
    return "recovered " + TimeWithTenths(pipeline.DecodedMs()) + " of " +
           PlayingTimeText(pipeline.DeclaredMs()) + " declared";
}
} // namespace

ConversionSettings ConversionSettings::Read(const CSettingsStore& store)
{
    ConversionSettings settings;
    settings.trackDir = WithoutTrailingSeparator(store.GetTrackDir());
    settings.mp3 = store.GetEncoderProperties();
    settings.ogg = store.GetOggProperties();
    settings.compressedWav = store.GetWAVFormat() != 0;
    settings.normalize = store.GetNormalize();
    settings.convertCorruptFiles = store.GetConvertCorruptFiles();
    return settings;
}

CConversionRun::CConversionRun(ConversionTarget target, TrackRefs tracks,
                               ConversionSettings settings, int sourceFilter)
    : m_target(target), m_pTracks(std::move(tracks)), m_settings(std::move(settings)),
      m_nSourceFilter(sourceFilter)
{
    m_settings.trackDir = WithoutTrailingSeparator(m_settings.trackDir);
}

std::string CConversionRun::OutputPath(const std::string& folder, const std::string& source,
                                       ConversionTarget target)
{
    std::string name = Utf8FromPath(PathFromUtf8(source).filename());
    const auto dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    // Writers store files under a valid name; the checks must see the same one.
    return MakeValidFileName(WithoutTrailingSeparator(folder) + "/" + name + Extension(target),
                             true);
}

int CConversionRun::FileKind(const std::string& path)
{
    const std::optional<AudioKind> kind = AudioKindOf(path);
    if (!kind)
        return kFilterAll;
    switch (*kind)
    {
    case AudioKind::Wav:
        return kFilterWav;
    case AudioKind::Mp3:
        return kFilterMp3;
    case AudioKind::Ogg:
        return kFilterOgg;
    }
    return kFilterAll;
}

bool CConversionRun::IsWanted(const std::string& path) const
{
    if (m_target == ConversionTarget::Mp3ToMp3)
        return FileKind(path) == kFilterMp3;
    return m_nSourceFilter == kFilterAll || FileKind(path) == m_nSourceFilter;
}

bool CConversionRun::CanStart(IRunHost& host) const
{
    const fs::path folder = PathFromUtf8(m_settings.trackDir.empty() ? "/" : m_settings.trackDir);
    std::error_code error;
    if (!fs::is_directory(folder, error))
    {
        host.ShowMessage("The output folder " + m_settings.trackDir +
                             " does not exist. Please choose another one in the settings.",
                         MessageIcon::Exclamation);
        return false;
    }
    if (m_target == ConversionTarget::Mp3)
        return true;
    for (const TrackInfo* track : m_pTracks)
    {
        if (m_target == ConversionTarget::Mp3ToMp3 && FileKind(track->path) != kFilterMp3)
            continue;
        if (IsSameFolder(FolderOf(track->path), folder))
        {
            host.ShowMessage(strings::kSameFolder, MessageIcon::Exclamation);
            return false;
        }
    }
    return true;
}

bool CConversionRun::HasEnoughDiskSpace(const TrackInfo& track) const
{
    std::error_code error;
    const fs::space_info space =
        fs::space(PathFromUtf8(m_settings.trackDir.empty() ? "/" : m_settings.trackDir), error);
    const std::uintmax_t size = fs::file_size(PathFromUtf8(track.path), error);
    if (error)
        return true; // the conversion itself will tell what is wrong
    const bool compressing = m_target == ConversionTarget::Mp3 || m_target == ConversionTarget::Ogg;
    const double needed =
        static_cast<double>(size) / (compressing && FileKind(track.path) == kFilterWav ? 10 : 1);
    return needed < static_cast<double>(space.available);
}

void CConversionRun::Run(IRunHost& host, unsigned jobs)
{
    // No output may replace a source of this run, nor one written earlier
    // in it: either would destroy a file the user still has only once.
    std::set<std::string> sources;
    for (const TrackInfo* track : m_pTracks)
        sources.insert(Identity(track->path));
    if (jobs > 1)
    {
        RunSideBySide(host, jobs, sources);
    }
    else
    {
        std::set<std::string> written;
        for (TrackInfo* track : m_pTracks)
        {
            if (!IsWanted(track->path))
                continue;
            host.SetCurrentFile(track->path);
            const std::string identity =
                Identity(OutputPath(m_settings.trackDir, track->path, m_target));
            if (sources.count(identity) != 0)
                Refuse(*track, host, kReplacesSource);
            else if (!ConvertInTurn(*track, identity, host, written))
                break;
        }
    }
    host.SetCurrentFile("");
    host.SetProgress(0);
}

// The steps of one file after the checks against the sources: its output
// name must still be free, an existing file may be replaced only when the
// user says so, and a cancel ends the run before it starts.
bool CConversionRun::ConvertInTurn(TrackInfo& track, const std::string& identity, IRunHost& host,
                                   std::set<std::string>& written) const
{
    if (written.count(identity) != 0)
    {
        Refuse(track, host, kEarlierOutput);
        return true;
    }
    const std::string output = OutputPath(m_settings.trackDir, track.path, m_target);
    std::error_code error;
    if (fs::exists(PathFromUtf8(output), error) &&
        host.Ask(strings::Fill(strings::kOverwriteQuestion, output)) != HostAnswer::Yes)
        return true;
    if (host.IsCancelled())
    {
        host.AddResultLine(strings::kAborted,
                           m_target == ConversionTarget::Wav ? kLineRed : kLineBlack);
        return false;
    }
    const bool goOn = ConvertAny(track, host);
    if (track.convertStatus > kConvertFailed)
        written.insert(identity);
    return goOn;
}

void CConversionRun::Refuse(TrackInfo& track, IRunHost& host, const char* reason) const
{
    track.convertStatus = kConvertFailed;
    AddLines(host, track.path, kIndent + reason, kLineRed);
    host.ReportFailure(track.path, reason);
}

bool CConversionRun::ConvertAny(TrackInfo& track, IRunHost& host) const
{
    return m_target == ConversionTarget::Wav ? ConvertTrackToWave(track, host)
                                             : ConvertTrack(track, host);
}

namespace
{
// What one file's conversion told its host, kept until the files before it
// have been shown, then played back to the real host in order.
class CBufferedHost final : public IRunHost
{
public:
    explicit CBufferedHost(const IRunHost& real) : m_real(real) {}

    bool IsCancelled() const override { return m_real.IsCancelled(); }
    void SetProgress(int) override {}
    void SetCurrentFile(const std::string&) override {}
    void SetCaption(const std::string&) override {}
    void AddResultLine(const std::string& text, std::uint32_t colour) override
    {
        m_events.push_back({Kind::Line, text, {}, colour, MessageIcon::Information});
    }
    HostAnswer Ask(const std::string&) override { return HostAnswer::No; }
    void ShowMessage(const std::string& text, MessageIcon icon) override
    {
        m_events.push_back({Kind::Message, text, {}, 0, icon});
    }
    void ReportFailure(const std::string& path, const std::string& reason) override
    {
        m_events.push_back({Kind::Failure, path, reason, 0, MessageIcon::Information});
    }

    void PlayBack(IRunHost& host) const
    {
        for (const Event& event : m_events)
        {
            switch (event.kind)
            {
            case Kind::Line:
                host.AddResultLine(event.text, event.colour);
                break;
            case Kind::Message:
                host.ShowMessage(event.text, event.icon);
                break;
            case Kind::Failure:
                host.ReportFailure(event.text, event.reason);
                break;
            }
        }
    }

private:
    enum class Kind
    {
        Line,
        Message,
        Failure,
    };
    struct Event
    {
        Kind kind;
        std::string text;
        std::string reason;
        std::uint32_t colour;
        MessageIcon icon;
    };

    const IRunHost& m_real;
    std::vector<Event> m_events;
};
} // namespace

// Converts the wanted tracks with `jobs` threads. Each file reports to a
// buffer of its own; the buffers reach `host` in list order as the files
// finish, so that lines, output names and refusals come out exactly as one
// job would give them. A file whose output name an earlier file of the run
// also has waits for that file's turn: whether the name is still free
// depends on how the earlier file ended. After a file that ends the run no
// further file is started.
void CConversionRun::RunSideBySide(IRunHost& host, unsigned jobs,
                                   const std::set<std::string>& sources) const
{
    struct Planned
    {
        TrackInfo* track;
        std::string identity;
        bool replacesSource = false;
        bool inTurn = false; // converted when shown, after the files before it
        std::unique_ptr<CBufferedHost> host;
        bool goOn = true;
    };
    std::vector<Planned> planned;
    std::set<std::string> named;
    for (TrackInfo* track : m_pTracks)
    {
        if (!IsWanted(track->path))
            continue;
        host.SetCurrentFile(track->path);
        const std::string output = OutputPath(m_settings.trackDir, track->path, m_target);
        std::string identity = Identity(output);
        if (sources.count(identity) != 0)
        {
            planned.push_back({track, std::move(identity), true, false, nullptr});
            continue;
        }
        const bool inTurn = named.count(identity) != 0;
        std::error_code error;
        if (!inTurn && fs::exists(PathFromUtf8(output), error) &&
            host.Ask(strings::Fill(strings::kOverwriteQuestion, output)) != HostAnswer::Yes)
            continue;
        if (host.IsCancelled())
        {
            host.AddResultLine(strings::kAborted,
                               m_target == ConversionTarget::Wav ? kLineRed : kLineBlack);
            break;
        }
        named.insert(identity);
        planned.push_back({track, std::move(identity), false, inTurn, nullptr});
    }

    std::set<std::string> written;
    RunInOrder(
        planned.size(), jobs,
        [&](std::size_t index)
        {
            Planned& file = planned[index];
            if (file.replacesSource || file.inTurn)
                return;
            file.host = std::make_unique<CBufferedHost>(host);
            file.goOn = ConvertAny(*file.track, *file.host);
        },
        [&](std::size_t index)
        {
            Planned& file = planned[index];
            host.SetCurrentFile(file.track->path);
            if (file.replacesSource)
            {
                Refuse(*file.track, host, kReplacesSource);
                return true;
            }
            if (file.inTurn)
                return ConvertInTurn(*file.track, file.identity, host, written);
            file.host->PlayBack(host);
            if (file.track->convertStatus > kConvertFailed)
                written.insert(file.identity);
            return file.goOn;
        });
}

bool CConversionRun::ConvertTrack(TrackInfo& track, IRunHost& host) const
{
    if (!HasEnoughDiskSpace(track))
    {
        host.ShowMessage(strings::kNotEnoughSpace, MessageIcon::Error);
        return false;
    }
    const Step step = ConvertOne(track, host);
    switch (step.outcome)
    {
    case Outcome::Converted:
        track.convertStatus = ConvertedStatus(track.path);
        track.checkStatus = kCheckSound;
        host.AddResultLine(strings::Fill(strings::kFileOk, ""), kLineBlack);
        AddNotes(host, step, kLineBlack);
        return true;
    case Outcome::Failed:
        track.convertStatus = kConvertFailed;
        host.AddResultLine(kIndent + step.failure, kLineRed);
        host.ReportFailure(track.path, step.failure);
        return true;
    case Outcome::Cancelled:
    case Outcome::Stopped:
        // A cancel says nothing about the source: it keeps its check status.
        track.convertStatus = kConvertFailed;
        host.AddResultLine(strings::kAborted, kLineRed);
        return false;
    }
    return false;
}

CConversionRun::Step CConversionRun::ConvertOne(TrackInfo& track, IRunHost& host) const
{
    const std::string output = OutputPath(m_settings.trackDir, track.path, m_target);
    host.AddResultLine(output, kLineBlack);
    const EncoderProperties& mp3 = m_settings.mp3;
    if (m_target == ConversionTarget::Ogg)
    {
        CConvertToOGG pipeline;
        OggEncodeContext context;
        context.constantFlag = m_settings.ogg.useCbr;
        context.managedFlag = m_settings.ogg.useBbr;
        context.qualityFlag = m_settings.ogg.useVbr;
        context.constantIndex = m_settings.ogg.cbrIndex;
        context.minimumIndex = m_settings.ogg.bbrMin;
        context.nominalIndex = m_settings.ogg.bbrNom;
        context.maximumIndex = m_settings.ogg.bbrMax;
        context.qualityIndex = m_settings.ogg.vbrPosition;
        return RunPipeline(
            pipeline, [&] { pipeline.Open(track.path, output, context); }, host, track.path);
    }
    if (m_target == ConversionTarget::Mp3ToMp3)
    {
        CConvertMP3ToMP3 pipeline;
        return RunPipeline(
            pipeline,
            [&] { pipeline.Open(track.path, output, mp3.bitRateIndex, mp3.qualityIndex, mp3.vbr); },
            host, track.path);
    }
    CConvertToMP3 pipeline;
    return RunPipeline(
        pipeline,
        [&] { pipeline.Open(track.path, output, mp3.bitRateIndex, mp3.qualityIndex, mp3.vbr); },
        host, track.path);
}

// Opens, converts and closes; whatever goes wrong, no partial output stays.
CConversionRun::Step CConversionRun::RunPipeline(CConversionPipeline& pipeline,
                                                 const std::function<void()>& open, IRunHost& host,
                                                 const std::string& source) const
{
    try
    {
        open();
        if (pipeline.Convert(host))
        {
            pipeline.Abandon();
            return {Outcome::Cancelled, {}, {}};
        }
        pipeline.Close();
        Step done{Outcome::Converted, {}, {}};
        if (std::string note = RecoveryNote(pipeline); !note.empty())
            done.notes.push_back(std::move(note));
        return done;
    }
    catch (const CFileException& error)
    {
        pipeline.Abandon();
        // A writer names the temporary file it fills; the user knows the output.
        const bool aboutSource = error.Path() == source;
        return {Outcome::Failed,
                "cannot convert: " + (aboutSource ? error.Path() : pipeline.OutputPath()) + ": " +
                    error.Reason(),
                {}};
    }
    catch (const std::exception& error)
    {
        pipeline.Abandon();
        return {Outcome::Failed, "cannot convert: " + source + ": " + error.what(), {}};
    }
}

bool CConversionRun::ConvertTrackToWave(TrackInfo& track, IRunHost& host) const
{
    const bool isMp3 = FileKind(track.path) == kFilterMp3;
    bool sound = true;
    if (isMp3)
    {
        host.SetCaption(strings::kAnalyzing);
        CMP3CheckTask check;
        check.SetPath(track.path);
        sound = check.Run(&host);
        track.checkStatus = sound ? kCheckSound : kCheckCorrupt;
        track.checkNote = VerdictNote(check.GetResult());
    }
    if (!HasEnoughDiskSpace(track))
    {
        host.ShowMessage(strings::kNotEnoughSpace, MessageIcon::Error);
        return false;
    }
    const std::uint32_t colour = sound ? kLineBlack : kLineRed;
    const std::string verdict = strings::Fill(sound ? strings::kFileOk : strings::kFileCorrupt, "");
    if (!sound && !m_settings.convertCorruptFiles)
    {
        AddLines(host, track.path, verdict, colour);
        return true;
    }
    const Step step = ConvertToWave(track, host);
    switch (step.outcome)
    {
    case Outcome::Converted:
        if (!isMp3)
            track.checkStatus = kCheckSound;
        AddLines(host, track.path, verdict, colour);
        AddNotes(host, step, colour);
        return true;
    case Outcome::Failed:
        AddLines(host, track.path, kIndent + step.failure, kLineRed);
        host.ReportFailure(track.path, step.failure);
        return true;
    case Outcome::Stopped:
        if (!isMp3)
            track.checkStatus = kCheckSound;
        return false;
    case Outcome::Cancelled:
        return false;
    }
    return false;
}

CConversionRun::Step CConversionRun::ConvertToWave(TrackInfo& track, IRunHost& host) const
{
    host.SetCaption(strings::kConverting);
    const std::string output = OutputPath(m_settings.trackDir, track.path, m_target);
    CConvertToWAV pipeline;
    Step step = RunPipeline(
        pipeline, [&] { pipeline.Open(track.path, output, m_settings.compressedWav ? 1 : 0); },
        host, track.path);
    host.SetCaption("");
    if (step.outcome != Outcome::Converted)
    {
        track.convertStatus = kConvertFailed;
        if (step.outcome == Outcome::Cancelled)
            host.AddResultLine(strings::kAborted, kLineRed);
        return step;
    }
    track.convertStatus = ConvertedStatus(track.path);
    if (host.IsCancelled())
    {
        host.AddResultLine(strings::kAborted, kLineRed);
        return {Outcome::Stopped, {}, {}};
    }
    std::string quiet;
    if (m_settings.normalize && !NormalizeWaveFile(output, Utf8FromPath(FolderOf(output)),
                                                   m_settings.compressedWav, host, &quiet))
    {
        AddLines(host, track.path, kIndent + "converted, but not normalised", kLineRed);
        host.ReportFailure(track.path, "converted, but not normalised");
        return {Outcome::Stopped, {}, {}};
    }
    if (!quiet.empty())
        step.notes.push_back(std::move(quiet));
    return step;
}

std::int32_t CConversionRun::ConvertedStatus(const std::string& path) const
{
    static const std::int32_t kByTarget[4][4] = {
        // other, WAV, MP3, OGG sources
        {kConvertNone, kConvertWavToMp3, kConvertMp3ToMp3, kConvertOggToMp3},
        {kConvertNone, kConvertWavToOgg, kConvertMp3ToOgg, kConvertOggToOgg},
        {kConvertNone, kConvertWavToWav, kConvertMp3ToWav, kConvertOggToWav},
        {kConvertNone, kConvertNone, kConvertMp3ToMp3, kConvertNone},
    };
    return kByTarget[static_cast<int>(m_target)][FileKind(path)];
}

void CConversionRun::AddLines(IRunHost& host, const std::string& path, const std::string& verdict,
                              std::uint32_t colour) const
{
    host.AddResultLine(path, colour);
    host.AddResultLine(verdict, colour);
}

void CConversionRun::AddNotes(IRunHost& host, const Step& step, std::uint32_t colour) const
{
    for (const std::string& note : step.notes)
        host.AddResultLine(kIndent + note, colour);
}

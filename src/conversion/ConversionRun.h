#pragma once

#include "settings/SettingsStore.h"
#include "tracks/Document.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

class IRunHost;
class CConversionPipeline;

enum class ConversionTarget
{
    Mp3,
    Ogg,
    Wav,
    Mp3ToMp3,
};

// Which sources a run takes: all, or only one kind.
enum SourceFilter
{
    kFilterAll = 0,
    kFilterWav = 1,
    kFilterMp3 = 2,
    kFilterOgg = 3,
};

// The settings a run reads when it starts.
struct ConversionSettings
{
    std::string trackDir; // output folder, without a trailing separator
    EncoderProperties mp3;
    OggProperties ogg;
    bool compressedWav = false;
    bool normalize = true;
    bool convertCorruptFiles = true;

    static ConversionSettings Read(const CSettingsStore& store);
};

// Converts the tracks of a list into files of one target format, one after
// another, writing the result into each track and result lines to the
// host. A failure of one file is reported and the run goes on; a cancel
// ends the run, removing what the file in hand had written.
class CConversionRun
{
public:
    CConversionRun(ConversionTarget target, TrackRefs tracks, ConversionSettings settings,
                   int sourceFilter = kFilterAll);

    // The checks before a start: the output folder exists and, but for
    // conversions to MP3, holds none of the sources. Tells `host` why not.
    bool CanStart(IRunHost& host) const;
    // The work loop. With `jobs` above 1, files are converted that many at a
    // time, their result lines reaching `host` in the list's order.
    void Run(IRunHost& host, unsigned jobs = 1);
    // Whether the run takes a source at `path`.
    bool IsWanted(const std::string& path) const;

    // Output folder + the source's name up to its last dot + the target's extension.
    static std::string OutputPath(const std::string& folder, const std::string& source,
                                  ConversionTarget target);
    // 1 WAV, 2 MP3, 3 OGG, 0 anything else, by the upper-cased extension.
    static int FileKind(const std::string& path);

private:
    enum class Outcome
    {
        Converted,
        Failed,    // reported; the run goes on
        Cancelled, // partial output removed; the run ends
        Stopped,   // the run ends, the output stays
    };

    // What became of one file, why when it failed, and what the user
    // should know of a converted one (shown after its verdict).
    struct Step
    {
        Outcome outcome;
        std::string failure;
        std::vector<std::string> notes;
    };

    bool HasEnoughDiskSpace(const TrackInfo& track) const;
    // The work of one file; true when the run may go on. Touches nothing
    // but `track` and `host`, so that files can be converted side by side.
    bool ConvertAny(TrackInfo& track, IRunHost& host) const;
    bool ConvertTrack(TrackInfo& track, IRunHost& host) const;
    Step ConvertOne(TrackInfo& track, IRunHost& host) const;
    bool ConvertTrackToWave(TrackInfo& track, IRunHost& host) const;
    Step ConvertToWave(TrackInfo& track, IRunHost& host) const;
    Step RunPipeline(CConversionPipeline& pipeline, const std::function<void()>& open,
                     IRunHost& host, const std::string& source) const;
    void RunSideBySide(IRunHost& host, unsigned jobs, const std::set<std::string>& sources) const;
    bool ConvertInTurn(TrackInfo& track, const std::string& identity, IRunHost& host,
                       std::set<std::string>& written) const;
    void Refuse(TrackInfo& track, IRunHost& host, const char* reason) const;
    std::int32_t ConvertedStatus(const std::string& path) const;
    void AddLines(IRunHost& host, const std::string& path, const std::string& verdict,
                  std::uint32_t colour) const;
    void AddNotes(IRunHost& host, const Step& step, std::uint32_t colour) const;

    ConversionTarget m_target;
    TrackRefs m_pTracks;
    ConversionSettings m_settings;
    int m_nSourceFilter;
};

#pragma once

#include "tracks/TrackInfo.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CSettingsStore;
class IRunHost;

// How the working list counts a track, by its path's extension.
enum CountKind
{
    kCountWav,
    kCountMp3,
    kCountOgg,
};

// A list of tracks a run works on; the records belong to the document.
using TrackRefs = std::vector<TrackInfo*>;

// Which views a change concerns.
enum class ViewScope
{
    AllButFolderList,  // the working list changed
    AllButWorkingList, // the current folder changed
};

class IDocumentObserver
{
public:
    virtual ~IDocumentObserver() = default;
    virtual void OnDocumentChanged(ViewScope scope) = 0;
};

// The working list of tracks and the folder the folder list shows. Owns the
// track records; the runs write their statuses into them. No two records
// have the same path (compared exactly, as the file system does on Linux).
// Used from the user-interface thread, except that a run's work loop may
// touch the list while the run's modal dialog keeps everything else out.
class CTunewright20Doc
{
public:
    explicit CTunewright20Doc(const CSettingsStore& settings) : m_settings(settings) {}

    void SetCurrentFolder(const std::string& folder);
    std::string GetCurrentFolder() const { return m_CurrentFolder; }

    // Adds the files at `paths` that are not in the list yet and can be read,
    // reporting to `host`; a cancel keeps what was added. Then recounts and
    // updates the views. Runs the work on the calling thread (and `jobs`
    // threads that read the files).
    void AddTracks(const std::vector<std::string>& paths, IRunHost& host, unsigned jobs = 1);
    // The work loop of AddTracks alone, for a worker thread; the caller
    // recounts and updates the views afterwards (FinishChange). Reads up to
    // `jobs` files at a time; the tracks enter the list in the order of
    // `paths` all the same, and a cancel takes effect at the next file.
    void AddTracksWork(const std::vector<std::string>& paths, IRunHost& host, unsigned jobs = 1);
    // Removes the records at `positions` (ascending, as the list was before).
    void RemoveTracks(const std::vector<std::size_t>& positions);
    bool ContainsTrack(const std::string& path) const;
    // Puts the records in the order of `paths`; unknown paths are ignored.
    void ReorderTracks(const std::vector<std::string>& paths);
    // The same by the records themselves, as a sorted view holds them.
    void ReorderTracks(const TrackRefs& order);
    // Recounts and tells the views that the working list changed.
    void FinishChange();

    int GetTrackCount() const { return static_cast<int>(m_Tracks.size()); }
    int GetMp3Count() const { return m_Mp3Count; }
    int GetWavCount() const { return m_WavCount; }
    int GetOggCount() const { return m_OggCount; }
    bool HasCorruptTracks() const;
    // ".OGG" and ".MP3" count as such; anything else counts as WAV.
    static CountKind KindForCount(const std::string& path);

    // Every record, in list order; or those at `positions`, in list order.
    TrackRefs GetTracks() const;
    TrackRefs GetTracksAt(const std::vector<std::size_t>& positions) const;

    // Whether the document's commands are available.
    bool CanAnalyze() const { return m_Mp3Count != 0; }
    bool CanSaveAnalysisResults() const { return !m_Tracks.empty(); }
    bool CanMoveCorruptFiles() const { return HasCorruptTracks(); }
    bool CanConvert() const { return m_Mp3Count + m_WavCount + m_OggCount != 0; }
    bool CanConvertMp3ToMp3() const { return m_Mp3Count != 0; }

    void AddObserver(IDocumentObserver* observer);
    void RemoveObserver(IDocumentObserver* observer);
    void UpdateViews(ViewScope scope);

    // What stops playback before a run or an addition; set by the window.
    void SetStopPlayback(std::function<void()> stop) { m_stopPlayback = std::move(stop); }
    void StopPlayback();

private:
    void Recount();
    static std::unique_ptr<TrackInfo> ReadTrack(const std::string& path, bool readTags);

    const CSettingsStore& m_settings;
    std::vector<std::unique_ptr<TrackInfo>> m_Tracks;
    std::string m_CurrentFolder;
    int m_WavCount = 0;
    int m_Mp3Count = 0;
    int m_OggCount = 0;
    std::vector<IDocumentObserver*> m_observers;
    std::function<void()> m_stopPlayback;
};

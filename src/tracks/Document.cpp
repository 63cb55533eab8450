#include "tracks/Document.h"

#include "io/AudioKind.h"
#include "settings/SettingsStore.h"
#include "tracks/AudioTrack.h"
#include "tracks/IRunHost.h"
#include "tracks/OrderedWork.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

void CTunewright20Doc::SetCurrentFolder(const std::string& folder)
{
    m_CurrentFolder = folder;
    UpdateViews(ViewScope::AllButWorkingList);
}

void CTunewright20Doc::AddTracks(const std::vector<std::string>& paths, IRunHost& host,
                                 unsigned jobs)
{
    StopPlayback();
    AddTracksWork(paths, host, jobs);
    FinishChange();
}

void CTunewright20Doc::AddTracksWork(const std::vector<std::string>& paths, IRunHost& host,
                                     unsigned jobs)
{
    // Looked up once per path: a large folder must not cost a scan of the
    // whole list for each of its files.
    std::unordered_set<std::string> known;
    known.reserve(m_Tracks.size() + paths.size());
    for (const auto& track : m_Tracks)
        known.insert(track->path);
    // Each path is read once, and only when it is not in the list already.
    const std::size_t count = paths.size();
    std::vector<char> toRead(count, 0);
    {
        std::unordered_set<std::string_view> seen;
        for (std::size_t i = 0; i < count; ++i)
            toRead[i] = known.count(paths[i]) == 0 && seen.insert(paths[i]).second;
    }
    const bool readTags = m_settings.GetID3Check();
    std::vector<std::unique_ptr<TrackInfo>> read(count);
    bool cancelled = false;
    RunInOrder(
        count, jobs,
        [&](std::size_t i)
        {
            if (toRead[i])
                read[i] = ReadTrack(paths[i], readTags);
        },
        [&](std::size_t i)
        {
            if (cancelled)
                return false;
            if (known.count(paths[i]) != 0)
                return true;
            host.SetCurrentFile(paths[i]);
            if (host.IsCancelled())
            {
                cancelled = true;
                return false;
            }
            if (i % 10 == 0)
                host.SetProgress(static_cast<int>(i * 100 / count));
            // A repeated path that could not be read the first time is
            // passed over like the first.
            if (read[i])
            {
                known.insert(paths[i]);
                m_Tracks.push_back(std::move(read[i]));
            }
            return true;
        },
        [&] { return host.IsCancelled(); });
}

// The record for the file at `path`, or none when it cannot be read or
// holds no audio. Safe to call on several threads at once.
std::unique_ptr<TrackInfo> CTunewright20Doc::ReadTrack(const std::string& path, bool readTags)
{
    CAudioTrack audio(path);
    if (!audio.GetAudioFile() || audio.GetLength() == 0)
        return nullptr;
    auto track = std::make_unique<TrackInfo>();
    if (readTags)
    {
        const CAudioFile& file = *audio.GetAudioFile();
        track->SetTags(file.GetTitle(), file.GetArtist(), file.GetAlbum());
    }
    track->path = path;
    track->SetLength(audio.GetLength());
    return track;
}

void CTunewright20Doc::RemoveTracks(const std::vector<std::size_t>& positions)
{
    std::vector<bool> doomed(m_Tracks.size(), false);
    for (std::size_t position : positions)
        if (position < doomed.size())
            doomed[position] = true;
    std::size_t index = 0;
    std::erase_if(m_Tracks, [&](const std::unique_ptr<TrackInfo>&) { return doomed[index++]; });
    FinishChange();
}

bool CTunewright20Doc::ContainsTrack(const std::string& path) const
{
    return std::any_of(m_Tracks.begin(), m_Tracks.end(),
                       [&](const std::unique_ptr<TrackInfo>& track)
                       { return track->path == path; });
}

void CTunewright20Doc::ReorderTracks(const std::vector<std::string>& paths)
{
    std::unordered_map<std::string, TrackInfo*> byPath;
    for (const std::unique_ptr<TrackInfo>& track : m_Tracks)
        byPath.emplace(track->path, track.get());
    TrackRefs order;
    for (const std::string& path : paths)
        if (const auto found = byPath.find(path); found != byPath.end())
            order.push_back(found->second);
    ReorderTracks(order);
}

void CTunewright20Doc::ReorderTracks(const TrackRefs& order)
{
    std::unordered_map<const TrackInfo*, std::unique_ptr<TrackInfo>*> byRecord;
    byRecord.reserve(m_Tracks.size());
    for (std::unique_ptr<TrackInfo>& track : m_Tracks)
        byRecord.emplace(track.get(), &track);
    std::vector<std::unique_ptr<TrackInfo>> reordered;
    reordered.reserve(m_Tracks.size());
    for (const TrackInfo* record : order)
    {
        const auto found = byRecord.find(record);
        if (found != byRecord.end() && *found->second)
            reordered.push_back(std::move(*found->second));
    }
    // Records the caller did not name keep their relative order at the end,
    // so that none is ever lost.
    for (std::unique_ptr<TrackInfo>& track : m_Tracks)
        if (track)
            reordered.push_back(std::move(track));
    m_Tracks = std::move(reordered);
}

void CTunewright20Doc::FinishChange()
{
    Recount();
    UpdateViews(ViewScope::AllButFolderList);
}

void CTunewright20Doc::Recount()
{
    m_WavCount = m_Mp3Count = m_OggCount = 0;
    for (const std::unique_ptr<TrackInfo>& track : m_Tracks)
    {
        switch (KindForCount(track->path))
        {
        case kCountOgg:
            ++m_OggCount;
            break;
        case kCountMp3:
            ++m_Mp3Count;
            break;
        case kCountWav:
            ++m_WavCount;
            break;
        }
    }
}

CountKind CTunewright20Doc::KindForCount(const std::string& path)
{
    // What is neither MP3 nor Ogg counts with the WAV files.
    const std::optional<AudioKind> kind = AudioKindOf(path);
    if (kind == AudioKind::Ogg)
        return kCountOgg;
    if (kind == AudioKind::Mp3)
        return kCountMp3;
    return kCountWav;
}

bool CTunewright20Doc::HasCorruptTracks() const
{
    return std::any_of(m_Tracks.begin(), m_Tracks.end(),
                       [](const std::unique_ptr<TrackInfo>& track)
                       { return track->checkStatus == kCheckCorrupt; });
}

TrackRefs CTunewright20Doc::GetTracks() const
{
    TrackRefs tracks;
    tracks.reserve(m_Tracks.size());
    for (const std::unique_ptr<TrackInfo>& track : m_Tracks)
        tracks.push_back(track.get());
    return tracks;
}

TrackRefs CTunewright20Doc::GetTracksAt(const std::vector<std::size_t>& positions) const
{
    std::vector<std::size_t> sorted = positions;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    TrackRefs tracks;
    for (std::size_t position : sorted)
        if (position < m_Tracks.size())
            tracks.push_back(m_Tracks[position].get());
    return tracks;
}

void CTunewright20Doc::AddObserver(IDocumentObserver* observer)
{
    m_observers.push_back(observer);
}

void CTunewright20Doc::RemoveObserver(IDocumentObserver* observer)
{
    std::erase(m_observers, observer);
}

void CTunewright20Doc::UpdateViews(ViewScope scope)
{
    for (IDocumentObserver* observer : m_observers)
        observer->OnDocumentChanged(scope);
}

void CTunewright20Doc::StopPlayback()
{
    if (m_stopPlayback)
        m_stopPlayback();
}

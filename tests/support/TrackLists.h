#pragma once

#include "support/MP3StreamBuilder.h"
#include "tracks/Document.h"

#include <memory>
#include <string>
#include <vector>

// The verdict lines a run shows under each checked MP3.
inline const std::string kOkLine = "        ===> File OK! ";
inline const std::string kCorruptLine = "        ===> FILE CORRUPT!!!  Please convert.";

// An MP3 of `frames` frames; a damaged one goes on after three bytes of junk
// with five more. Returns `path`.
inline std::string WriteFramesMp3(const std::string& path, bool sound, std::size_t frames = 20)
{
    CMP3StreamBuilder stream;
    stream.Frames(mp3words::kMpeg1L3, mp3words::kMpeg1L3Length, frames);
    if (!sound)
        stream.Zeros(3).Frames(mp3words::kMpeg1L3, mp3words::kMpeg1L3Length, 5);
    stream.WriteTo(path);
    return path;
}

// Tracks a test owns and hands to a run, as the document would.
class CTrackList
{
public:
    TrackInfo& Add(const std::string& path)
    {
        m_records.push_back(std::make_unique<TrackInfo>());
        m_records.back()->path = path;
        return *m_records.back();
    }
    TrackRefs Refs() const
    {
        TrackRefs refs;
        for (const auto& record : m_records)
            refs.push_back(record.get());
        return refs;
    }
    TrackInfo& operator[](std::size_t i) const { return *m_records[i]; }
    std::size_t Size() const { return m_records.size(); }
    void Clear() { m_records.clear(); }

private:
    std::vector<std::unique_ptr<TrackInfo>> m_records;
};

// The paths of `tracks`, in list order.
inline std::vector<std::string> TrackPaths(const TrackRefs& tracks)
{
    std::vector<std::string> paths;
    for (const TrackInfo* track : tracks)
        paths.push_back(track->path);
    return paths;
}

// Notes every change the document tells its views of.
class CRecordingObserver final : public IDocumentObserver
{
public:
    void OnDocumentChanged(ViewScope scope) override { scopes.push_back(scope); }
    std::vector<ViewScope> scopes;
};

#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum CheckStatus : std::int32_t
{
    kCheckNone = 0,
    kCheckSound = 1,
    kCheckCorrupt = 2,
};

// convertStatus: 0 not converted, 1 failed, else the direction converted.
enum ConvertStatus : std::int32_t
{
    kConvertNone = 0,
    kConvertFailed = 1,
    kConvertMp3ToMp3 = 2,
    kConvertWavToMp3 = 3,
    kConvertOggToMp3 = 4,
    kConvertMp3ToWav = 5,
    kConvertWavToWav = 6,
    kConvertOggToWav = 7,
    kConvertWavToOgg = 8,
    kConvertMp3ToOgg = 9,
    kConvertOggToOgg = 10,
};

// A playing time as "%d:%02d" minutes and seconds; negative times read as 0.
std::string PlayingTimeText(std::int64_t milliseconds);

// One track of the working list: the texts its columns show, its path (its
// identity in the list, never cut), its playing time, and what the runs
// found. Owned by the document; the runs write the two statuses.
struct TrackInfo
{
    static constexpr std::size_t kMaxTagBytes = 127;

    std::string title; // tags: at most kMaxTagBytes, cut on a character boundary
    std::string artist;
    std::string album;
    std::string lengthText; // "%d:%02d"
    std::string path;
    std::int32_t lengthSeconds = 0;
    std::int32_t checkStatus = kCheckNone;
    std::int32_t convertStatus = kConvertNone;
    // Why the check found the track corrupt when no damage says it (no audio,
    // unreadable); empty otherwise.
    std::string checkNote;
    // Where and how much a corrupt track is damaged, a line each
    // (DescribeCheckDetails); empty unless a run was asked to keep them.
    std::vector<std::string> checkDetails;

    // Sets the three tags, each cut to kMaxTagBytes.
    void SetTags(const std::string& newTitle, const std::string& newArtist,
                 const std::string& newAlbum);
    // Sets lengthSeconds and lengthText from a length in milliseconds.
    void SetLength(std::int64_t milliseconds);
};

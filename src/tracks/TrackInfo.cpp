#include "tracks/TrackInfo.h"

#include "io/Text.h"

#include <cstdio>

void TrackInfo::SetTags(const std::string& newTitle, const std::string& newArtist,
                        const std::string& newAlbum)
{
    title = CutUtf8(newTitle, kMaxTagBytes);
    artist = CutUtf8(newArtist, kMaxTagBytes);
    album = CutUtf8(newAlbum, kMaxTagBytes);
}

std::string PlayingTimeText(std::int64_t milliseconds)
{
    const std::int64_t seconds = milliseconds > 0 ? milliseconds / 1000 : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

void TrackInfo::SetLength(std::int64_t milliseconds)
{
    lengthSeconds = static_cast<std::int32_t>(milliseconds > 0 ? milliseconds / 1000 : 0);
    lengthText = PlayingTimeText(milliseconds);
}

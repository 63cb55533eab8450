#pragma once

#include "io/Status.h"

#include <string>

class CRiffReader;
struct CarriedTags;

// Title, artist and album of a WAV file, UTF-8.
struct WaveTexts
{
    std::string title;
    std::string artist;
    std::string album;
};

// Reads each text from the first of our own chunks (TITL, INTR, ALBU);
// where that is missing, from the LIST/INFO fields (INAM, IART, IPRD) that
// other programs write, and then from an ID3v2 tag in an "id3 " chunk.
WaveTexts ReadWaveTexts(CRiffReader& riff);

// Stores the fields `tags` names in every place other programs look: title,
// artist and album in our own chunks, those and the comment, genre, date
// and track number in a LIST/INFO list (its other fields kept), and every
// field in an ID3v2.4 tag in an "id3 " chunk (its other frames kept), so
// that no reader finds an older text. An empty text removes its field.
// These chunks go after every other chunk; older ones at the end are
// replaced, older ones elsewhere become padding. The file (a link is
// followed) is rewritten through a copy beside it that replaces it only once
// complete. On failure the file stays as it was.
Status WriteWaveTags(const std::string& path, const CarriedTags& tags);

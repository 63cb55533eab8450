#pragma once

#include "io/Status.h"

#include <string>

// The three texts the program edits, as UTF-8.
struct TrackTags
{
    std::string title;
    std::string artist;
    std::string album;
};

// Reads the texts of an MP3 file's tags. Each comes from the ID3v2 tag when
// it has it (the artist from the lead artist, else the band, else the
// conductor, else the composer), else from the ID3v1 tag, else from an APE
// tag; a text found nowhere is empty. Fails when the file cannot be read.
Status ReadMpegTags(const std::string& path, TrackTags& tags);

// Stores the texts in the file's ID3v1 tag, creating it when missing, and in
// its ID3v2 tag when it has one; an empty text clears the field. No ID3v2
// tag is added and the audio is not touched.
Status WriteMpegTags(const std::string& path, const TrackTags& tags);

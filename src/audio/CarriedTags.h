#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

// A picture taken along into a converted file.
struct CarriedPicture
{
    std::string mimeType;
    std::string description;
    std::vector<std::uint8_t> data;
};

// The tags a conversion carries from its source into its output, in one
// form for every format: text fields by their common names (TITLE, ARTIST,
// ALBUM, ALBUMARTIST, TRACKNUMBER, TRACKTOTAL, DISCNUMBER, DISCTOTAL, DATE,
// GENRE, COMMENT, COMPOSER; texts in UTF-8, "3/12" track and disc numbers
// split into number and total) and the front cover (the largest front
// cover, else the first picture).
struct CarriedTags
{
    std::map<std::string, std::vector<std::string>> fields;
    CarriedPicture cover; // no data when there is none

    // Sets a field to one text, or removes it for an empty one.
    void Set(const std::string& name, const std::string& text);
    // The first text of a field; empty when it has none.
    std::string First(const std::string& name) const;
};

// The tags of the MP3, Ogg Vorbis or WAV file at `path`, chosen by its
// extension; none when it cannot be read.
CarriedTags ReadCarriedTags(const std::string& path);

// The tags of an ID3v2 tag in memory (an "id3 " chunk's data).
CarriedTags CarriedTagsOfId3v2(const std::vector<std::uint8_t>& tag);

// Vorbis comments for the tags, the cover as METADATA_BLOCK_PICTURE.
std::vector<std::pair<std::string, std::string>> VorbisCommentsFor(const CarriedTags& tags);
// An ID3v2.4 tag holding the tags and the cover; empty when there is nothing.
std::vector<std::uint8_t> Id3v2TagFor(const CarriedTags& tags);
// The tags set into an ID3v2 tag in memory (an "id3 " chunk's data, or none),
// its other frames kept, without the cover; as ID3v2.4, empty when nothing
// is left.
std::vector<std::uint8_t> Id3v2TagUpdatedWith(const std::vector<std::uint8_t>& tag,
                                              const CarriedTags& tags);

#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The ID3v2 tag that many programs keep in a WAV file's "id3 " chunk.
// Title, artist and album as UTF-8; empty when the tag has none.
struct WaveId3Texts
{
    std::string title;
    std::string artist;
    std::string album;
};

// Reads the texts of the tag in `chunkData` (a whole "id3 " chunk's data).
WaveId3Texts ReadWaveId3Texts(const std::vector<std::uint8_t>& chunkData);
// The data of an "id3 " chunk: the tag of `chunkData` (empty for none) with
// the three texts set and every other frame kept, as ID3v2.4. Empty when
// the resulting tag holds nothing.
std::vector<std::uint8_t> RenderWaveId3Chunk(const std::vector<std::uint8_t>& chunkData,
                                             const WaveId3Texts& texts);

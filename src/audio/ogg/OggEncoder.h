#pragma once

#include "audio/ogg/OggHandles.h"
#include "io/DiskFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Bit rates in kbit/s that the encoder settings index.
inline constexpr int kOggBitrates[5] = {128, 160, 192, 256, 350};
// Approximate nominal bit rate in kbit/s of each quality index, as shown to
// the user beside the quality setting.
inline constexpr int kOggQualityBitrates[21] = {58,  73,  81,  85,  90,  95,  104,
                                                114, 127, 141, 155, 169, 183, 196,
                                                210, 225, 245, 274, 317, 382, 477};

// What a conversion hands to BeginEncoding: the encoder settings as the
// settings store keeps them (key and default beside each) and the texts of
// the new file's comments.
struct OggEncodeContext
{
    std::int32_t constantFlag = 1;  // "USECBR"; also taken when the other two are 0
    std::int32_t managedFlag = 0;   // "USEBBR": minimum, nominal, maximum
    std::int32_t qualityFlag = 0;   // "USEVBR": wins over the other two
    std::int32_t constantIndex = 1; // "CBR", into kOggBitrates
    std::int32_t minimumIndex = 0;  // "BBRMIN"
    std::int32_t nominalIndex = 1;  // "BBRNOM"
    std::int32_t maximumIndex = 2;  // "BBRMAX"
    std::int32_t qualityIndex = 0;  // "VBR": 0 to 20, quality 0.05 each
    // UTF-8; each is cut to 255 bytes.
    std::string title;
    std::string artist;
    std::string album;
    // Further comments, written after those as given (a cover picture may
    // be large): name, value.
    std::vector<std::pair<std::string, std::string>> moreComments;
};

// Writes one Ogg Vorbis file from 44.1 kHz stereo PCM: the encoder, its
// stream and the output file, all owned.
class COggVorbisEncoder
{
public:
    // Sets the encoder up from `context`, creates the file at `path` (UTF-8,
    // as given) and writes the three headers. Raises CFileException when the
    // settings are refused or the file cannot be written; no file is left
    // behind then.
    static std::unique_ptr<COggVorbisEncoder> Create(const std::string& path,
                                                     const OggEncodeContext& context);
    COggVorbisEncoder(const COggVorbisEncoder&) = delete;
    COggVorbisEncoder& operator=(const COggVorbisEncoder&) = delete;

    // Encodes interleaved little-endian 16-bit stereo, in pieces of any
    // length; a partial frame at the very end is dropped. `bytes` 0 ends the stream. Raises
    // CFileException when the file cannot be written.
    void Encode(const std::uint8_t* pcm, std::size_t bytes);
    // Ends the stream if that was not done, writes what is held and closes
    // the file. Raises CFileException.
    void Finish();

private:
    COggVorbisEncoder() = default;
    void Setup(const OggEncodeContext& context);
    void EncodeFrames(const std::uint8_t* pcm, std::size_t frames);
    void Drain();
    void Put(const ogg_page& page);
    void WriteHeld();

    // Declared in the order they depend on each other; freed in reverse.
    CVorbisInfo m_info;
    CVorbisComment m_comment;
    std::unique_ptr<CVorbisAnalysis> m_analysis;
    std::unique_ptr<COggStream> m_stream;
    CDiskFile m_file;
    std::string m_path;
    std::vector<std::uint8_t> m_held; // pages waiting to be written in one go
    std::uint8_t m_partial[4] = {};   // start of a frame split between calls
    std::size_t m_partialBytes = 0;
    bool m_ended = false;       // the end of the audio was given
    bool m_lastPageOut = false; // the end-of-stream page was written
};

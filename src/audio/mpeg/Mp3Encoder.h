#pragma once

#include "io/DiskFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct lame_global_struct;

// What a conversion hands the MP3 encoder: the texts for the ID3v1 tag and
// the encoder settings.
struct EncodeTags
{
    std::string title;
    std::string artist;
    std::string album;
    std::int32_t bitrate = 128; // kbit/s
    std::int32_t quality = 5;   // 0 best to 9 fastest
    bool vbr = false;
};

// Encodes 44100 Hz stereo 16-bit PCM into a new MP3 file in 1152-sample
// frames: joint stereo, no bit reservoir, variable bitrate from the chosen
// bitrate up to 1.3 times it when asked (constant above 256 kbit/s), and an
// ID3v1 tag when any text is set.
// Every file opens with an information frame that gives the exact length,
// the encoder delay and the padding, so that decoders return exactly the
// samples encoded.
// Every failure raises CFileException with the path; a file left unfinished
// (a failure, or the object dropped before End) is removed.
class CMp3Encoder
{
public:
    static constexpr std::size_t kFrameSamples = 1152;

    CMp3Encoder() = default;
    ~CMp3Encoder();
    CMp3Encoder(const CMp3Encoder&) = delete;
    CMp3Encoder& operator=(const CMp3Encoder&) = delete;

    // Refuses a bitrate MPEG-1 Layer III lacks at 44100 Hz before anything
    // is written. `samples` is the expected length in samples per channel,
    // a hint only: the information frame counts what was really encoded.
    // `id3v2`, a whole ID3v2 tag, goes before the audio when not empty.
    void Begin(const std::string& path, const EncodeTags& tags, std::uint64_t samples,
               const std::vector<std::uint8_t>& id3v2 = {});
    // Interleaved left/right pairs; an odd last byte is ignored.
    void Encode(const void* pcm, std::size_t bytes);
    void End();

    std::size_t HeldValues() const { return m_held.size(); }

private:
    void Configure(const EncodeTags& tags, std::uint64_t samples);
    void EncodeFrames(const std::int16_t* values, std::size_t pairs);
    void WriteOut(int bytes);
    void WriteId3v1();
    [[noreturn]] void Fail(const std::string& reason);
    void Abandon();

    lame_global_struct* m_lame = nullptr;
    CDiskFile m_file;
    std::string m_path;
    std::vector<std::int16_t> m_held;
    std::vector<std::uint8_t> m_mp3;
    std::uint64_t m_audioStart = 0; // where the first frame goes, after any ID3v2 tag
    std::string m_id3Texts[3];      // title, artist, album in Latin-1, at most 30 bytes
};

#pragma once

#include "audio/AudioFile.h"
#include "audio/ogg/OggDecoder.h"
#include "audio/ogg/OggEncoder.h"

#include <memory>
#include <vector>

// An Ogg Vorbis file: its rate, channels, length and TITLE/ARTIST/ALBUM
// comments, its audio as 16-bit PCM (more than two channels mixed down to
// stereo), the rewriting of its comments, and the encoding of new files
// from 44.1 kHz stereo.
class CAudioOggFile final : public CAudioFile
{
public:
    CAudioOggFile() : CAudioFile(kAudioFormatOgg) {}

    std::uint16_t GetBitsPerSample() const override { return 16; }
    std::uint32_t GetSampleRate() const override { return m_rate; }
    // Channels of the delivered PCM: 1 or 2.
    std::uint16_t GetChannels() const override { return m_channels; }
    std::uint16_t GetFileChannels() const override { return m_fileChannels; }
    std::int32_t GetLength() const override { return m_length; }
    std::int32_t GetPosition() const override;
    std::int32_t Read(std::size_t size, std::size_t count, void* buffer,
                      std::size_t capacity) override;
    void EndDecoding() override;
    Status BeginDecoding() override { return Open(kOpenDecode); }
    // Sets TITLE, ARTIST and ALBUM in the comment header, keeping the rest.
    Status WriteTags() override;
    // Checks the file once per path and closes it again, keeping what it read.
    Status Validate() override;
    // Moves to (rate / 1000, whole) × milliseconds samples.
    void Seek(std::int32_t milliseconds) override;
    // Opens the stream afresh (any access) and reads info and comments.
    Status Open(std::uint32_t access) override;

    // Creates the file at `path` as given and writes its headers. Raises
    // CFileException for settings the encoder refuses or a file that cannot
    // be written, and leaves no file behind.
    void BeginEncoding(const std::string& path, const OggEncodeContext& context);
    // Takes interleaved 16-bit stereo at 44100 Hz; `bytes` 0 ends the audio.
    // Raises CFileException when the file cannot be written.
    void EncodeData(const void* pcm, std::size_t bytes);
    // Ends the audio if that was not done and closes the file. Raises
    // CFileException; the encoder is released either way.
    void EndEncoding();

private:
    std::unique_ptr<COggVorbisDecoder> m_decoder;
    std::vector<std::uint8_t> m_block; // one decoded piece
    std::size_t m_heldAt = 0;          // start of the piece not yet delivered
    std::size_t m_heldEnd = 0;
    std::int32_t m_length = 0;
    std::uint16_t m_channels = 0;
    std::uint16_t m_fileChannels = 0;
    std::uint32_t m_rate = 0;

    std::unique_ptr<COggVorbisEncoder> m_encoder;
};

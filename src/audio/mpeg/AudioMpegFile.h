#pragma once

#include "audio/AudioFile.h"
#include "audio/mpeg/Mp3Encoder.h"
#include "audio/mpeg/MpegDecoder.h"

#include <memory>
#include <vector>

// An MP3 file: decoded in 16384-byte blocks with the part of a block that a
// Read did not take held for the next; tags read from ID3v2, ID3v1 and APE
// and written as ID3v1 (and ID3v2 where the file has one); new files encoded
// from 44100 Hz stereo PCM.
class CAudioMpegFile final : public CAudioFile
{
public:
    static constexpr std::size_t kBlockSize = 16384;

    CAudioMpegFile() : CAudioFile(kAudioFormatMpeg) {}

    std::uint16_t GetBitsPerSample() const override { return 16; }
    std::uint32_t GetSampleRate() const override { return m_outputFormat.sampleRate; }
    std::uint16_t GetChannels() const override { return m_outputFormat.stereo ? 2 : 1; }
    std::int32_t GetLength() const override { return m_length; }
    std::int32_t GetPosition() const override;
    std::int32_t Read(std::size_t size, std::size_t count, void* buffer,
                      std::size_t capacity) override;
    void EndDecoding() override;
    Status BeginDecoding() override { return Open(kOpenDecode); }
    Status WriteTags() override;
    void Seek(std::int32_t milliseconds) override;
    Status Open(std::uint32_t access) override;

    // Encoding a new file; see CMp3Encoder. The output goes to
    // MakeValidFileName(path, true). Each raises CFileException on failure.
    void BeginEncoding(const std::string& path, const EncodeTags& tags, std::uint64_t samples,
                       const std::vector<std::uint8_t>& id3v2 = {});
    void EncodeData(const void* pcm, std::size_t bytes);
    void EndEncoding();

    std::size_t HeldBytes() const { return m_held.size(); }

private:
    std::unique_ptr<CMpegDecoder> m_decoder;
    MpegOutputFormat m_outputFormat;
    std::int32_t m_length = 0;
    std::vector<std::uint8_t> m_block;
    std::vector<std::uint8_t> m_held; // decoded, not yet delivered
    std::unique_ptr<CMp3Encoder> m_encoder;
};

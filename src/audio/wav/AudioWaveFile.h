#pragma once

#include "audio/AudioFile.h"
#include "audio/CarriedTags.h"
#include "audio/wav/ImaAdpcm.h"
#include "audio/wav/Riff.h"
#include "audio/wav/WaveFormat.h"
#include "audio/wav/WaveSampleDecoder.h"
#include "io/DiskFile.h"

#include <memory>
#include <vector>

// A RIFF WAVE file: its format, length and tags (see WaveTags.h), its
// audio as 16-bit PCM (decoded when stored otherwise), and the writing of new
// files, plain PCM or IMA ADPCM.
class CAudioWaveFile final : public CAudioFile
{
public:
    CAudioWaveFile() : CAudioFile(kAudioFormatWave) {}
    ~CAudioWaveFile() override;

    // The file's own depth, even when samples are delivered as 16-bit.
    std::uint16_t GetBitsPerSample() const override;
    std::uint32_t GetSampleRate() const override;
    // Channels of the delivered PCM: files of more than two are mixed down.
    std::uint16_t GetChannels() const override;
    std::uint16_t GetFileChannels() const override;
    std::int32_t GetLength() const override { return m_length; }
    std::int32_t GetPosition() const override;
    std::int32_t Read(std::size_t size, std::size_t count, void* buffer,
                      std::size_t capacity) override;
    void EndDecoding() override;
    Status BeginDecoding() override;
    Status WriteTags() override;
    Status Validate() override;
    // Moves to the start of the second that holds `milliseconds`.
    void Seek(std::int32_t milliseconds) override;
    bool HasFormat() const override { return !m_formatBlock.IsEmpty(); }
    Status Open(std::uint32_t access) override;

    // Creates the file at MakeValidFileName(path, true) for the given format:
    // 16-bit PCM as given, or IMA ADPCM. Raises CFileException on failure.
    void CreateForWriting(const std::string& path, const CWaveFormat& format);
    // Appends interleaved 16-bit PCM of the format's channels.
    void WriteData(const void* data, std::size_t count);
    // Writes what is held and settles the sizes. Raises CFileException.
    void CloseWriting();

    const CWaveFormat& GetFormatBlock() const { return m_formatBlock; }
    // Further fields (see CarriedTags) that WriteTags stores beside title,
    // artist and album.
    void CarryTags(const CarriedTags& tags);

private:
    Status ParseOpened();
    void ReadTags(CRiffReader& riff);
    std::int32_t ReadStored(std::size_t wanted, std::uint8_t* out);
    std::int32_t ReadDecoded(std::size_t wanted, std::uint8_t* out);
    bool RefillDecoded();
    // Sample frames in the first `bytes` of the data.
    std::uint64_t FramesIn(std::uint64_t bytes) const;
    std::uint64_t DataLeft() const;
    void EncodeHeldFrames(bool final);

    CWaveFormat m_formatBlock;
    CDiskFile m_file;
    std::uint64_t m_dataOffset = 0;
    std::uint64_t m_dataSize = 0; // what the file really holds, whole units only
    std::uint64_t m_dataRead = 0; // data bytes consumed by decoding
    std::int32_t m_length = 0;
    std::uint64_t m_framesDelivered = 0; // since the start of the audio
    std::size_t m_frameBytesHeld = 0;    // of a frame split between two reads
    std::size_t m_readBlock = 4;
    std::string m_undecodable; // why the audio cannot be decoded, if so
    CarriedTags m_carried;

    // Decoding of stored formats other than plain 16-bit PCM.
    std::unique_ptr<IWaveSampleDecoder> m_decoder;
    std::vector<std::uint8_t> m_source;
    std::vector<std::int16_t> m_decoded;
    std::size_t m_decodedBytes = 0;
    std::size_t m_delivered = 0;

    // Writing.
    std::unique_ptr<CRiffWaveWriter> m_writer;
    std::unique_ptr<CImaAdpcmEncoder> m_encoder;
    std::vector<std::uint8_t> m_held; // PCM waiting for a whole ADPCM block
    std::vector<std::uint8_t> m_encoded;
};

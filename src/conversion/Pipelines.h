#pragma once

#include "audio/AudioFile.h"
#include "audio/mpeg/AudioMpegFile.h"
#include "audio/ogg/AudioOggFile.h"
#include "audio/wav/AudioWaveFile.h"
#include "conversion/PcmConverter.h"
#include "io/TemporaryFile.h"

#include <memory>
#include <string>
#include <vector>

class IProgressSink;

// Converts one source file into one output file: decodes the source to
// 16-bit PCM, brings it to 44100 Hz stereo and hands it to the writer of the
// target format. Used for one file: Open, Convert, then Close (or Abandon).
// Failures of the audio classes are raised as CFileException.
class CConversionPipeline
{
public:
    virtual ~CConversionPipeline() = default;

    // Converts the whole file; true when it stopped because `sink` asked to cancel.
    bool Convert(IProgressSink& sink);
    // Finishes the output and puts it in place under its name, replacing
    // what was there only now that it is complete.
    void Close();
    // Drops the output unfinished; a file that was there under its name stays.
    void Abandon();
    // The path written to: the output's name made valid.
    const std::string& OutputPath() const { return m_outputPath; }
    // How long the source said it lasts, and how long the audio really
    // decoded from it lasts, in milliseconds.
    std::int64_t DeclaredMs() const { return m_declaredMs; }
    std::int64_t DecodedMs() const;

protected:
    explicit CConversionPipeline(std::size_t inputBytes) : m_input(inputBytes) {}

    // Takes `reader` as the source and opens it for decoding; raises
    // CFileException when it cannot.
    void BeginReading(std::unique_ptr<CAudioFile> reader, const std::string& source);
    virtual void Write(const std::uint8_t* pcm, std::size_t bytes) = 0;
    // Whether a block of `bytes` ends the stream.
    virtual bool IsLastBlock(std::size_t bytes) const = 0;
    virtual void FinishWriter() = 0;
    virtual void ReleaseWriter() = 0;
    // Sets the output path and reserves the temporary file the writer
    // fills; returns its path. Raises CFileException.
    std::string ReserveOutput(const std::string& output);
    // How far the output's length may stray from the decoded source's.
    virtual std::int64_t LengthSlackMs() const { return kExactLengthSlackMs; }

    // Milliseconds lost to rounding when a length is counted in whole ones.
    static constexpr std::int64_t kExactLengthSlackMs = 2;

    const std::string& SourcePath() const { return m_sourcePath; }

    std::unique_ptr<CAudioFile> m_reader;
    std::vector<std::uint8_t> m_input;
    std::string m_outputPath;

private:
    void CountDecoded(std::size_t bytes);
    void WriteConverted(std::size_t bytes);
    void FlushConverter();
    void VerifyOutput();

    CTemporaryFile m_temporary;
    std::string m_sourcePath;
    std::int64_t m_declaredMs = 0;
    double m_decodedSeconds = 0; // of the audio really taken from the source

    CPcmConverter m_converter;
    std::vector<std::int16_t> m_converted;
};

// Any kind to MP3; the MP3-to-MP3 pipeline always decodes its source as MP3.
class CConvertToMP3 : public CConversionPipeline
{
public:
    CConvertToMP3() : CConversionPipeline(32768) {}

    virtual void Open(const std::string& source, const std::string& output, int bitRateIndex,
                      int qualityIndex, bool vbr);

protected:
    void OpenWriter(const std::string& output, int bitRateIndex, int qualityIndex, bool vbr);
    void Write(const std::uint8_t* pcm, std::size_t bytes) override;
    bool IsLastBlock(std::size_t bytes) const override { return bytes < m_input.size(); }
    void FinishWriter() override { m_writer->EndEncoding(); }
    void ReleaseWriter() override { m_writer.reset(); }

    std::unique_ptr<CAudioMpegFile> m_writer;
};

class CConvertMP3ToMP3 final : public CConvertToMP3
{
public:
    void Open(const std::string& source, const std::string& output, int bitRateIndex,
              int qualityIndex, bool vbr) override;
};

class CConvertToOGG final : public CConversionPipeline
{
public:
    CConvertToOGG() : CConversionPipeline(32812) {}

    void Open(const std::string& source, const std::string& output, OggEncodeContext context);

private:
    void Write(const std::uint8_t* pcm, std::size_t bytes) override;
    bool IsLastBlock(std::size_t bytes) const override { return bytes == 0; }
    void FinishWriter() override { m_writer->EndEncoding(); }
    void ReleaseWriter() override { m_writer.reset(); }

    std::unique_ptr<CAudioOggFile> m_writer;
};

class CConvertToWAV final : public CConversionPipeline
{
public:
    CConvertToWAV() : CConversionPipeline(32768) {}

    // `format` 1 writes IMA ADPCM, anything else 16-bit PCM.
    void Open(const std::string& source, const std::string& output, int format);

private:
    void Write(const std::uint8_t* pcm, std::size_t bytes) override;
    bool IsLastBlock(std::size_t bytes) const override { return bytes == 0; }
    // Closing the data, then the tags after it.
    void FinishWriter() override;
    void ReleaseWriter() override { m_writer.reset(); }
    // A compressed file's last block is filled up to its full length.
    std::int64_t LengthSlackMs() const override
    {
        return m_compressed ? kCompressedSlackMs : kExactLengthSlackMs;
    }

    static constexpr std::int64_t kCompressedSlackMs = 2041 * 1000 / 44100 + kExactLengthSlackMs;
    std::unique_ptr<CAudioWaveFile> m_writer;
    bool m_compressed = false;
};

// The MP3 bit rates in kbit/s by index; the settings offer the first seven.
inline constexpr int kMp3Bitrates[9] = {64, 96, 128, 160, 192, 256, 320, 384, 448};
inline constexpr int kMp3BitratesOffered = 7;

// kbit/s for a bit-rate index (64 to 448), and the encoder quality for a
// quality index (5 normal, 9 low, 2 high); out-of-range indexes take the defaults.
int Mp3BitrateForIndex(int index);
int Mp3QualityForIndex(int index);

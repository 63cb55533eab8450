#include "audio/ogg/OggEncoder.h"

#include "io/FileException.h"
#include "io/Paths.h"
#include "io/Text.h"

#include <algorithm>
#include <filesystem>
#include <random>
#include <vorbis/vorbisenc.h>

namespace
{
constexpr long kRate = 44100;
constexpr int kChannels = 2;
constexpr std::size_t kFrameBytes = 4;
constexpr std::size_t kFramesPerBuffer = 1024;
constexpr std::size_t kWriteBufferSize = 1 << 16;
constexpr std::size_t kMaxCommentBytes = 255;
constexpr int kBitrateCount = static_cast<int>(std::size(kOggBitrates));
constexpr int kMaxQualityIndex = static_cast<int>(std::size(kOggQualityBitrates)) - 1;

bool BitrateIndexOk(std::int32_t index, const char* which, std::string& error)
{
    if (index >= 0 && index < kBitrateCount)
        return true;
    error = std::string("the ") + which + " bit-rate setting " + std::to_string(index) +
            " is outside 0 to " + std::to_string(kBitrateCount - 1);
    return false;
}

long BitsPerSecond(std::int32_t index)
{
    return kOggBitrates[index] * 1000L;
}

int InitQuality(vorbis_info* info, std::int32_t index, std::string& error)
{
    if (index < 0 || index > kMaxQualityIndex)
    {
        error = "the quality setting " + std::to_string(index) + " is outside 0 to " +
                std::to_string(kMaxQualityIndex);
        return -1;
    }
    return vorbis_encode_init_vbr(info, kChannels, kRate, 0.05f * static_cast<float>(index));
}

int InitManaged(vorbis_info* info, const OggEncodeContext& context, std::string& error)
{
    if (!BitrateIndexOk(context.minimumIndex, "minimum", error) ||
        !BitrateIndexOk(context.nominalIndex, "nominal", error) ||
        !BitrateIndexOk(context.maximumIndex, "maximum", error))
        return -1;
    const long minimum = BitsPerSecond(context.minimumIndex);
    const long nominal = BitsPerSecond(context.nominalIndex);
    const long maximum = BitsPerSecond(context.maximumIndex);
    // The library takes such a range without complaint and then cannot keep it.
    if (minimum > nominal || nominal > maximum)
    {
        error = "the bit-rate range " + std::to_string(minimum / 1000) + " / " +
                std::to_string(nominal / 1000) + " / " + std::to_string(maximum / 1000) +
                " kbit/s is not minimum <= nominal <= maximum";
        return -1;
    }
    return vorbis_encode_init(info, kChannels, kRate, maximum, nominal, minimum);
}

int InitConstant(vorbis_info* info, std::int32_t index, std::string& error)
{
    if (!BitrateIndexOk(index, "constant", error))
        return -1;
    const long rate = BitsPerSecond(index);
    return vorbis_encode_init(info, kChannels, kRate, rate, rate, rate);
}

int NewSerial()
{
    std::random_device source;
    return static_cast<int>(source() & 0x7FFFFFFF);
}
} // namespace

std::unique_ptr<COggVorbisEncoder> COggVorbisEncoder::Create(const std::string& path,
                                                             const OggEncodeContext& context,
                                                             std::string& error)
{
    std::unique_ptr<COggVorbisEncoder> encoder(new COggVorbisEncoder);
    if (!encoder->Setup(context, error))
        return nullptr;
    encoder->m_path = path;
    if (!encoder->m_file.Open(path, CDiskFile::Mode::Create))
    {
        error = encoder->m_file.ErrorText();
        return nullptr;
    }
    ogg_packet headers[3];
    vorbis_analysis_headerout(encoder->m_analysis->Dsp(), encoder->m_comment.Get(), &headers[0],
                              &headers[1], &headers[2]);
    for (ogg_packet& header : headers)
        ogg_stream_packetin(encoder->m_stream->Get(), &header);
    // The audio starts on a page of its own.
    ogg_page page;
    while (ogg_stream_flush(encoder->m_stream->Get(), &page))
        encoder->Put(page);
    if (!encoder->m_file.Write(encoder->m_held.data(), encoder->m_held.size()))
    {
        error = encoder->m_file.ErrorText();
        encoder->m_file.Close();
        std::error_code ignored;
        std::filesystem::remove(PathFromUtf8(path), ignored);
        return nullptr;
    }
    encoder->m_held.clear();
    return encoder;
}

bool COggVorbisEncoder::Setup(const OggEncodeContext& context, std::string& error)
{
    int result;
    if (context.qualityFlag)
        result = InitQuality(m_info.Get(), context.qualityIndex, error);
    else if (context.managedFlag)
        result = InitManaged(m_info.Get(), context, error);
    else
        result = InitConstant(m_info.Get(), context.constantIndex, error);
    if (result != 0)
    {
        if (error.empty())
            error = "the Vorbis encoder refuses these settings";
        return false;
    }
    m_comment.Add("ENCODER", "Brelvind Tunewright");
    m_comment.Add("TITLE", CutUtf8(context.title, kMaxCommentBytes));
    m_comment.Add("ARTIST", CutUtf8(context.artist, kMaxCommentBytes));
    m_comment.Add("ALBUM", CutUtf8(context.album, kMaxCommentBytes));
    for (const auto& [name, value] : context.moreComments)
        m_comment.Add(name, value);
    m_analysis = std::make_unique<CVorbisAnalysis>(m_info.Get());
    m_stream = std::make_unique<COggStream>(NewSerial());
    m_held.reserve(kWriteBufferSize);
    return true;
}

void COggVorbisEncoder::Encode(const std::uint8_t* pcm, std::size_t bytes)
{
    if (m_ended)
        return;
    if (bytes == 0)
    {
        m_ended = true;
        vorbis_analysis_wrote(m_analysis->Dsp(), 0);
        Drain();
        return;
    }
    // A frame split between two calls is put together again.
    if (m_partialBytes > 0)
    {
        const std::size_t piece = std::min(kFrameBytes - m_partialBytes, bytes);
        std::copy(pcm, pcm + piece, m_partial + m_partialBytes);
        m_partialBytes += piece;
        pcm += piece;
        bytes -= piece;
        if (m_partialBytes < kFrameBytes)
            return;
        m_partialBytes = 0;
        EncodeFrames(m_partial, 1);
    }
    EncodeFrames(pcm, bytes / kFrameBytes);
    m_partialBytes = bytes % kFrameBytes;
    std::copy(pcm + bytes - m_partialBytes, pcm + bytes, m_partial);
}

void COggVorbisEncoder::EncodeFrames(const std::uint8_t* pcm, std::size_t frames)
{
    while (frames > 0)
    {
        const std::size_t piece = std::min(frames, kFramesPerBuffer);
        float** buffer = vorbis_analysis_buffer(m_analysis->Dsp(), static_cast<int>(piece));
        for (std::size_t i = 0; i < piece; ++i, pcm += kFrameBytes)
        {
            buffer[0][i] = static_cast<std::int16_t>(pcm[0] | pcm[1] << 8) / 32768.0f;
            buffer[1][i] = static_cast<std::int16_t>(pcm[2] | pcm[3] << 8) / 32768.0f;
        }
        vorbis_analysis_wrote(m_analysis->Dsp(), static_cast<int>(piece));
        Drain();
        frames -= piece;
    }
}

// Encodes every block the analysis has ready and writes the full pages.
void COggVorbisEncoder::Drain()
{
    vorbis_dsp_state* dsp = m_analysis->Dsp();
    vorbis_block* block = m_analysis->Block();
    while (vorbis_analysis_blockout(dsp, block) == 1)
    {
        vorbis_analysis(block, nullptr);
        vorbis_bitrate_addblock(block);
        ogg_packet packet;
        while (vorbis_bitrate_flushpacket(dsp, &packet) == 1)
        {
            ogg_stream_packetin(m_stream->Get(), &packet);
            ogg_page page;
            while (!m_lastPageOut && ogg_stream_pageout(m_stream->Get(), &page))
            {
                Put(page);
                m_lastPageOut = ogg_page_eos(&page) != 0;
            }
        }
    }
}

void COggVorbisEncoder::Put(const ogg_page& page)
{
    if (m_held.size() + static_cast<std::size_t>(page.header_len + page.body_len) >
        kWriteBufferSize)
        WriteHeld();
    m_held.insert(m_held.end(), page.header, page.header + page.header_len);
    m_held.insert(m_held.end(), page.body, page.body + page.body_len);
}

void COggVorbisEncoder::WriteHeld()
{
    const bool written = m_file.Write(m_held.data(), m_held.size());
    m_held.clear();
    if (!written)
        throw CFileException(CFileException::kDiskFull, m_file.ErrorText(), m_path);
}

void COggVorbisEncoder::Finish()
{
    if (!m_file.IsOpen())
        return;
    Encode(nullptr, 0);
    WriteHeld();
    m_file.Close();
}

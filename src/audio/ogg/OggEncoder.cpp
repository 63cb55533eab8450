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

// Why the encoder must not start with these settings, or empty.
std::string RefusedIndex(std::int32_t index, const char* which)
{
    if (index >= 0 && index < kBitrateCount)
        return {};
    return std::string("the ") + which + " bit-rate setting " + std::to_string(index) +
           " is outside 0 to " + std::to_string(kBitrateCount - 1);
}

long BitsPerSecond(std::int32_t index)
{
    return kOggBitrates[index] * 1000L;
}

std::string RefusedSettings(const OggEncodeContext& context)
{
    if (context.qualityFlag)
    {
        if (context.qualityIndex < 0 || context.qualityIndex > kMaxQualityIndex)
            return "the quality setting " + std::to_string(context.qualityIndex) +
                   " is outside 0 to " + std::to_string(kMaxQualityIndex);
        return {};
    }
    if (!context.managedFlag)
        return RefusedIndex(context.constantIndex, "constant");
    for (const auto& [index, which] :
         {std::pair{context.minimumIndex, "minimum"}, std::pair{context.nominalIndex, "nominal"},
          std::pair{context.maximumIndex, "maximum"}})
        if (std::string refused = RefusedIndex(index, which); !refused.empty())
            return refused;
    const long minimum = BitsPerSecond(context.minimumIndex);
    const long nominal = BitsPerSecond(context.nominalIndex);
    const long maximum = BitsPerSecond(context.maximumIndex);
    // The library takes such a range without complaint and then cannot keep it.
    if (minimum > nominal || nominal > maximum)
        return "the bit-rate range " + std::to_string(minimum / 1000) + " / " +
               std::to_string(nominal / 1000) + " / " + std::to_string(maximum / 1000) +
               " kbit/s is not minimum <= nominal <= maximum";
    return {};
}

// Settings RefusedSettings accepted.
int InitEncoder(vorbis_info* info, const OggEncodeContext& context)
{
    if (context.qualityFlag)
        return vorbis_encode_init_vbr(info, kChannels, kRate,
                                      0.05f * static_cast<float>(context.qualityIndex));
    const std::int32_t maximum = context.managedFlag ? context.maximumIndex : context.constantIndex;
    const std::int32_t nominal = context.managedFlag ? context.nominalIndex : context.constantIndex;
    const std::int32_t minimum = context.managedFlag ? context.minimumIndex : context.constantIndex;
    return vorbis_encode_init(info, kChannels, kRate, BitsPerSecond(maximum),
                              BitsPerSecond(nominal), BitsPerSecond(minimum));
}

int NewSerial()
{
    std::random_device source;
    return static_cast<int>(source() & 0x7FFFFFFF);
}
} // namespace

std::unique_ptr<COggVorbisEncoder> COggVorbisEncoder::Create(const std::string& path,
                                                             const OggEncodeContext& context)
{
    std::unique_ptr<COggVorbisEncoder> encoder(new COggVorbisEncoder);
    encoder->m_path = path;
    encoder->Setup(context);
    if (!encoder->m_file.Open(path, CDiskFile::Mode::Create))
        throw CFileException(CFileException::kGeneric, encoder->m_file.ErrorText(), path);
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
        const std::string reason = encoder->m_file.ErrorText();
        encoder->m_file.Close();
        std::error_code ignored;
        std::filesystem::remove(PathFromUtf8(path), ignored);
        throw CFileException(CFileException::kDiskFull, reason, path);
    }
    encoder->m_held.clear();
    return encoder;
}

void COggVorbisEncoder::Setup(const OggEncodeContext& context)
{
    if (std::string refused = RefusedSettings(context); !refused.empty())
        throw CFileException(CFileException::kGeneric, refused, m_path);
    if (InitEncoder(m_info.Get(), context) != 0)
        throw CFileException(CFileException::kGeneric, "the Vorbis encoder refuses these settings",
                             m_path);
    m_comment.Add("ENCODER", "Brelvind Tunewright");
    m_comment.Add("TITLE", CutUtf8(context.title, kMaxCommentBytes));
    m_comment.Add("ARTIST", CutUtf8(context.artist, kMaxCommentBytes));
    m_comment.Add("ALBUM", CutUtf8(context.album, kMaxCommentBytes));
    for (const auto& [name, value] : context.moreComments)
        m_comment.Add(name, value);
    m_analysis = std::make_unique<CVorbisAnalysis>(m_info.Get());
    m_stream = std::make_unique<COggStream>(NewSerial());
    m_held.reserve(kWriteBufferSize);
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

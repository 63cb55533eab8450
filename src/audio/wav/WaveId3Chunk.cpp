#include "audio/wav/WaveId3Chunk.h"

#include <memory>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>

namespace
{
// The chunk's tag, parsed by the tag library from memory; nothing else of
// the bytes is looked at.
class CParsedId3
{
public:
    explicit CParsedId3(const std::vector<std::uint8_t>& data)
        : m_bytes(reinterpret_cast<const char*>(data.data()), static_cast<unsigned>(data.size())),
          m_stream(m_bytes), m_file(&m_stream, TagLib::ID3v2::FrameFactory::instance(), false)
    {
    }

    // The tag; a new empty one when the data held none.
    TagLib::ID3v2::Tag& Tag() { return *m_file.ID3v2Tag(true); }

private:
    TagLib::ByteVector m_bytes;
    TagLib::ByteVectorStream m_stream;
    TagLib::MPEG::File m_file;
};

std::string Utf8(const TagLib::String& text)
{
    return text.to8Bit(true);
}

TagLib::String FromUtf8(const std::string& text)
{
    return TagLib::String(text, TagLib::String::UTF8);
}
} // namespace

WaveId3Texts ReadWaveId3Texts(const std::vector<std::uint8_t>& chunkData)
{
    CParsedId3 parsed(chunkData);
    TagLib::ID3v2::Tag& tag = parsed.Tag();
    return {Utf8(tag.title()), Utf8(tag.artist()), Utf8(tag.album())};
}

std::vector<std::uint8_t> RenderWaveId3Chunk(const std::vector<std::uint8_t>& chunkData,
                                             const WaveId3Texts& texts)
{
    CParsedId3 parsed(chunkData);
    TagLib::ID3v2::Tag& tag = parsed.Tag();
    tag.setTitle(FromUtf8(texts.title));
    tag.setArtist(FromUtf8(texts.artist));
    tag.setAlbum(FromUtf8(texts.album));
    if (tag.isEmpty() && tag.frameList().isEmpty())
        return {};
    const TagLib::ByteVector rendered = tag.render(TagLib::ID3v2::v4);
    return {rendered.begin(), rendered.end()};
}

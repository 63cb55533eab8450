#include "audio/CarriedTags.h"

#include "io/AudioKind.h"
#include "io/Paths.h"

#include <algorithm>
#include <memory>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>

namespace
{
const char* const kCarried[] = {"TITLE",       "ARTIST",     "ALBUM",      "ALBUMARTIST",
                                "TRACKNUMBER", "TRACKTOTAL", "DISCNUMBER", "DISCTOTAL",
                                "DATE",        "GENRE",      "COMMENT",    "COMPOSER"};
// Pictures larger than this are not carried: no real cover is, and the
// whole of it would be held in memory.
constexpr unsigned kMaxCoverBytes = 16u << 20;

std::string Utf8(const TagLib::String& text)
{
    return text.to8Bit(true);
}

TagLib::String FromUtf8(const std::string& text)
{
    return TagLib::String(text, TagLib::String::UTF8);
}

bool IsCarried(const std::string& name)
{
    return std::find(std::begin(kCarried), std::end(kCarried), name) != std::end(kCarried);
}

// "3/12" becomes number 3 and total 12, unless a total is given apart.
void SplitCount(CarriedTags& tags, const char* number, const char* total)
{
    const std::string text = tags.First(number);
    const auto slash = text.find('/');
    if (slash == std::string::npos)
        return;
    if (tags.First(total).empty() && slash + 1 < text.size())
        tags.Set(total, text.substr(slash + 1));
    tags.Set(number, text.substr(0, slash));
}

void TakeProperties(const TagLib::PropertyMap& properties, CarriedTags& tags)
{
    for (const auto& [key, values] : properties)
    {
        std::string name = Utf8(key.upper());
        if (name == "TOTALTRACKS")
            name = "TRACKTOTAL";
        else if (name == "TOTALDISCS")
            name = "DISCTOTAL";
        if (!IsCarried(name) || !tags.fields[name].empty())
            continue;
        for (const TagLib::String& value : values)
            if (!value.isEmpty())
                tags.fields[name].push_back(Utf8(value));
        if (tags.fields[name].empty())
            tags.fields.erase(name);
    }
    SplitCount(tags, "TRACKNUMBER", "TRACKTOTAL");
    SplitCount(tags, "DISCNUMBER", "DISCTOTAL");
}

// Keeps `candidate` when it is a better cover than what `tags` holds: a
// front cover before any other picture, then the larger.
void OfferCover(CarriedTags& tags, bool front, const std::string& mime,
                const std::string& description, const TagLib::ByteVector& data, bool& haveFront)
{
    if (data.isEmpty() || data.size() > kMaxCoverBytes)
        return;
    const bool better = tags.cover.data.empty() || (front && !haveFront) ||
                        (front == haveFront && data.size() > tags.cover.data.size());
    if (!better)
        return;
    tags.cover = {mime, description, {data.begin(), data.end()}};
    haveFront = haveFront || front;
}

void TakeId3Pictures(TagLib::ID3v2::Tag* tag, CarriedTags& tags)
{
    if (!tag)
        return;
    bool haveFront = false;
    for (TagLib::ID3v2::Frame* frame : tag->frameListMap()["APIC"])
    {
        const auto* picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(frame);
        if (picture)
            OfferCover(tags, picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover,
                       Utf8(picture->mimeType()), Utf8(picture->description()), picture->picture(),
                       haveFront);
    }
}

CarriedTags ReadMp3(const std::string& path)
{
    CarriedTags tags;
    TagLib::MPEG::File file(PathFromUtf8(path).c_str(), false);
    if (!file.isValid())
        return tags;
    TakeProperties(file.properties(), tags);
    TakeId3Pictures(file.ID3v2Tag(), tags);
    return tags;
}

CarriedTags ReadOgg(const std::string& path)
{
    CarriedTags tags;
    TagLib::Ogg::Vorbis::File file(PathFromUtf8(path).c_str(), false);
    if (!file.isValid() || !file.tag())
        return tags;
    TakeProperties(file.properties(), tags);
    bool haveFront = false;
    for (TagLib::FLAC::Picture* picture : file.tag()->pictureList())
        OfferCover(tags, picture->type() == TagLib::FLAC::Picture::FrontCover,
                   Utf8(picture->mimeType()), Utf8(picture->description()), picture->data(),
                   haveFront);
    return tags;
}

CarriedTags ReadWave(const std::string& path)
{
    CarriedTags tags;
    TagLib::RIFF::WAV::File file(PathFromUtf8(path).c_str(), false);
    if (!file.isValid())
        return tags;
    TakeProperties(file.properties(), tags);
    if (file.hasID3v2Tag())
        TakeId3Pictures(file.ID3v2Tag(), tags);
    return tags;
}

// "3/12" for ID3v2, which keeps number and total in one frame.
std::string Counted(const CarriedTags& tags, const char* number, const char* total)
{
    const std::string n = tags.First(number), t = tags.First(total);
    return t.empty() ? n : n + "/" + t;
}

// The fields `tags` names, set into `properties` in ID3v2's terms; an
// empty text removes its field.
void PutProperties(const CarriedTags& tags, TagLib::PropertyMap& properties)
{
    for (const auto& [name, values] : tags.fields)
    {
        if (name == "TRACKTOTAL" || name == "DISCTOTAL")
            continue;
        std::vector<std::string> texts = values;
        if (name == "TRACKNUMBER")
            texts = {Counted(tags, "TRACKNUMBER", "TRACKTOTAL")};
        else if (name == "DISCNUMBER")
            texts = {Counted(tags, "DISCNUMBER", "DISCTOTAL")};
        TagLib::StringList list;
        for (const std::string& text : texts)
            if (!text.empty())
                list.append(FromUtf8(text));
        if (list.isEmpty())
            properties.erase(FromUtf8(name));
        else
            properties.replace(FromUtf8(name), list);
    }
}

// An ID3v2 tag parsed from memory; nothing but the tag is looked at.
class CId3InMemory
{
public:
    explicit CId3InMemory(const std::vector<std::uint8_t>& data)
        : m_bytes(reinterpret_cast<const char*>(data.data()), static_cast<unsigned>(data.size())),
          m_stream(m_bytes), m_file(&m_stream, TagLib::ID3v2::FrameFactory::instance(), false)
    {
    }

    TagLib::ID3v2::Tag& Tag() { return *m_file.ID3v2Tag(true); }

private:
    TagLib::ByteVector m_bytes;
    TagLib::ByteVectorStream m_stream;
    TagLib::MPEG::File m_file;
};

std::vector<std::uint8_t> Rendered(TagLib::ID3v2::Tag& tag)
{
    if (tag.frameList().isEmpty())
        return {};
    const TagLib::ByteVector bytes = tag.render(TagLib::ID3v2::v4);
    return {bytes.begin(), bytes.end()};
}
} // namespace

void CarriedTags::Set(const std::string& name, const std::string& text)
{
    fields[name] = {text};
}

std::string CarriedTags::First(const std::string& name) const
{
    const auto field = fields.find(name);
    return field == fields.end() || field->second.empty() ? std::string() : field->second.front();
}

CarriedTags ReadCarriedTags(const std::string& path)
{
    const std::optional<AudioKind> kind = AudioKindOf(path);
    if (kind == AudioKind::Mp3)
        return ReadMp3(path);
    if (kind == AudioKind::Ogg)
        return ReadOgg(path);
    if (kind == AudioKind::Wav)
        return ReadWave(path);
    return {};
}

CarriedTags CarriedTagsOfId3v2(const std::vector<std::uint8_t>& data)
{
    CarriedTags tags;
    CId3InMemory parsed(data);
    TakeProperties(parsed.Tag().properties(), tags);
    TakeId3Pictures(&parsed.Tag(), tags);
    return tags;
}

std::vector<std::pair<std::string, std::string>> VorbisCommentsFor(const CarriedTags& tags)
{
    std::vector<std::pair<std::string, std::string>> comments;
    for (const auto& [name, values] : tags.fields)
        for (const std::string& value : values)
            comments.emplace_back(name, value);
    if (!tags.cover.data.empty())
    {
        TagLib::FLAC::Picture picture;
        picture.setType(TagLib::FLAC::Picture::FrontCover);
        picture.setMimeType(FromUtf8(tags.cover.mimeType));
        picture.setDescription(FromUtf8(tags.cover.description));
        picture.setData(TagLib::ByteVector(reinterpret_cast<const char*>(tags.cover.data.data()),
                                           static_cast<unsigned>(tags.cover.data.size())));
        const TagLib::ByteVector block = picture.render().toBase64();
        comments.emplace_back("METADATA_BLOCK_PICTURE", std::string(block.data(), block.size()));
    }
    return comments;
}

std::vector<std::uint8_t> Id3v2TagFor(const CarriedTags& tags)
{
    TagLib::ID3v2::Tag tag;
    TagLib::PropertyMap properties;
    PutProperties(tags, properties);
    tag.setProperties(properties);
    if (!tags.cover.data.empty())
    {
        auto* picture = new TagLib::ID3v2::AttachedPictureFrame;
        picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        picture->setMimeType(FromUtf8(tags.cover.mimeType));
        picture->setDescription(FromUtf8(tags.cover.description));
        picture->setPicture(
            TagLib::ByteVector(reinterpret_cast<const char*>(tags.cover.data.data()),
                               static_cast<unsigned>(tags.cover.data.size())));
        tag.addFrame(picture); // the tag owns its frames
    }
    return Rendered(tag);
}

std::vector<std::uint8_t> Id3v2TagUpdatedWith(const std::vector<std::uint8_t>& data,
                                              const CarriedTags& tags)
{
    CId3InMemory parsed(data);
    TagLib::ID3v2::Tag& tag = parsed.Tag();
    TagLib::PropertyMap properties = tag.properties();
    PutProperties(tags, properties);
    tag.setProperties(properties);
    return Rendered(tag);
}

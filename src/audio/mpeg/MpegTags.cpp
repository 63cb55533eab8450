#include "audio/mpeg/MpegTags.h"

#include "check/MP3StreamStart.h"
#include "io/DiskFile.h"
#include "io/InputFile.h"
#include "io/Paths.h"
#include "io/TemporaryFile.h"
#include "io/Text.h"

#include <apetag.h>
#include <id3v1tag.h>
#include <id3v2frame.h>
#include <id3v2header.h>
#include <id3v2tag.h>
#include <memory>
#include <mpegfile.h>
#include <tbytevectorstream.h>

namespace
{
const char kNoAudioFrames[] = "the file holds no MPEG audio frames; its tags were not changed";

std::string Utf8(const TagLib::String& text)
{
    return text.to8Bit(true);
}

// The text of the first of `frameIds` that the tag holds and is not empty.
std::string FirstFrameText(TagLib::ID3v2::Tag& tag, std::initializer_list<const char*> frameIds)
{
    const TagLib::ID3v2::FrameListMap& frames = tag.frameListMap();
    for (const char* id : frameIds)
    {
        const auto found = frames.find(id);
        if (found == frames.end())
            continue;
        for (const TagLib::ID3v2::Frame* frame : found->second)
        {
            const std::string text = Utf8(frame->toString());
            if (!text.empty())
                return text;
        }
    }
    return {};
}

void FillFromId3v2(TagLib::ID3v2::Tag& tag, TrackTags& tags)
{
    tags.title = FirstFrameText(tag, {"TIT2"});
    tags.artist = FirstFrameText(tag, {"TPE1", "TPE2", "TPE3", "TCOM"});
    tags.album = FirstFrameText(tag, {"TALB"});
}

// Fills only the texts still empty.
void FillGaps(const TagLib::Tag& tag, TrackTags& tags)
{
    if (tags.title.empty())
        tags.title = Utf8(tag.title());
    if (tags.artist.empty())
        tags.artist = Utf8(tag.artist());
    if (tags.album.empty())
        tags.album = Utf8(tag.album());
}

// ID3v1 holds Latin-1 in 30-byte fields.
TagLib::String Id3v1Text(const std::string& utf8)
{
    return TagLib::String(Latin1FromUtf8(utf8).substr(0, 30), TagLib::String::Latin1);
}

TagLib::String Utf8String(const std::string& utf8)
{
    return TagLib::String(utf8, TagLib::String::UTF8);
}
} // namespace

namespace
{
// TagLib opens paths with the C library, which would wait forever on a pipe:
// only regular files reach it.
Status IsRegularFile(const std::string& path)
{
    CDiskFile probe;
    if (!probe.Open(path, CDiskFile::Mode::Read))
        return Status::Failure(probe.ErrorText());
    return {};
}

// Where the audio of the file at `path` starts, if within its first MiB.
Status FindAudio(const std::string& path, MP3StreamStart& start)
{
    CInputFile file;
    if (Status opened = file.Open(path); !opened)
        return opened;
    return FindMP3StreamStart(file, start);
}

// How much of each end of a file without audio is handed to TagLib: where
// its tags can be.
constexpr std::uint64_t kEndBytes = 1 << 20;

// The first and the last kEndBytes of the file, one after the other (the
// whole file when it is no larger).
Status ReadEnds(const std::string& path, TagLib::ByteVector& ends)
{
    CDiskFile file;
    std::uint64_t size = 0;
    if (!file.Open(path, CDiskFile::Mode::Read) || !file.Size(size))
        return Status::Failure(file.ErrorText());
    const std::uint64_t head = std::min(size, kEndBytes);
    const std::uint64_t tail = std::min(size - head, kEndBytes);
    ends.resize(static_cast<unsigned int>(head + tail));
    const bool read = file.ReadFully(ends.data(), head) == static_cast<std::int64_t>(head) &&
                      file.Seek(size - tail) &&
                      file.ReadFully(ends.data() + head, tail) == static_cast<std::int64_t>(tail);
    if (!read)
        return Status::Failure(file.ErrorText().empty() ? "the file changed while it was read"
                                                        : file.ErrorText());
    return {};
}

// From the first audio frame to the last: tags may move the audio, but
// never change this span.
long AudioSpanOf(TagLib::MPEG::File& file)
{
    const long first = file.firstFrameOffset();
    const long last = file.lastFrameOffset();
    return first >= 0 && last >= first ? last - first : -1;
}

// Sets the texts in the tags `file` has (ID3v1 always) and saves it.
bool SaveTags(TagLib::MPEG::File& file, const TrackTags& tags)
{
    TagLib::ID3v1::Tag* v1 = file.ID3v1Tag(true);
    v1->setTitle(Id3v1Text(tags.title));
    v1->setArtist(Id3v1Text(tags.artist));
    v1->setAlbum(Id3v1Text(tags.album));
    int which = TagLib::MPEG::File::ID3v1;

    // Keep the ID3v2 version the file has, so that older players still read it.
    auto version = TagLib::ID3v2::v4;
    if (file.hasID3v2Tag())
    {
        TagLib::ID3v2::Tag* v2 = file.ID3v2Tag();
        // Frames are made afresh: TagLib sets the text of a frame it has in
        // place, and one stored compressed or encrypted then keeps its old bytes.
        for (const char* id : {"TIT2", "TPE1", "TALB"})
            v2->removeFrames(id);
        v2->setTitle(Utf8String(tags.title));
        v2->setArtist(Utf8String(tags.artist));
        v2->setAlbum(Utf8String(tags.album));
        if (v2->header()->majorVersion() < 4)
            version = TagLib::ID3v2::v3;
        which |= TagLib::MPEG::File::ID3v2;
    }
    // An APE tag the file has is kept in step, as readers fall back on it.
    if (file.hasAPETag())
    {
        TagLib::APE::Tag* ape = file.APETag();
        ape->setTitle(Utf8String(tags.title));
        ape->setArtist(Utf8String(tags.artist));
        ape->setAlbum(Utf8String(tags.album));
        which |= TagLib::MPEG::File::APE;
    }
    return file.save(which, TagLib::File::StripNone, version, TagLib::File::DoNotDuplicate);
}
} // namespace

Status ReadMpegTags(const std::string& path, TrackTags& tags)
{
    tags = TrackTags{};
    MP3StreamStart start;
    if (Status failed = IsRegularFile(path); !failed)
        return failed;
    if (Status failed = FindAudio(path, start); !failed)
        return failed;
    // TagLib looks for an ID3v2 tag up to the first audio frame, through the
    // whole of a file without audio, and follows tags one after another as
    // far as they go. Such a file is handed over as a copy of its two ends,
    // where its tags can be.
    TagLib::ByteVector ends;
    std::unique_ptr<TagLib::ByteVectorStream> endsStream;
    if (!start.found)
    {
        if (Status failed = ReadEnds(path, ends); !failed)
            return failed;
        endsStream = std::make_unique<TagLib::ByteVectorStream>(ends);
    }
    std::unique_ptr<TagLib::MPEG::File> opened =
        endsStream ? std::make_unique<TagLib::MPEG::File>(
                         endsStream.get(), TagLib::ID3v2::FrameFactory::instance(), false)
                   : std::make_unique<TagLib::MPEG::File>(path.c_str(), false);
    TagLib::MPEG::File& file = *opened;
    if (!file.isOpen())
        return Status::Failure("cannot open the file");
    if (file.hasID3v2Tag())
        FillFromId3v2(*file.ID3v2Tag(), tags);
    if (file.hasID3v1Tag())
        FillGaps(*file.ID3v1Tag(), tags);
    if (file.hasAPETag())
        FillGaps(*file.APETag(), tags);
    return {};
}

// The tags are written into a copy beside the file, which replaces it only
// once it is complete and its audio is where it was: a full disk or a crash
// while a grown tag shifts the audio can then never cut the file short.
Status WriteMpegTags(const std::string& path, const TrackTags& tags)
{
    // Without audio frames the check below proves nothing, and the tags of
    // such a file may overlap (an APE tag inside the room an ID3v2 tag
    // claims), which TagLib then writes over each other. Our own search
    // tells quickly where TagLib's would read the whole file.
    MP3StreamStart start;
    if (Status failed = IsRegularFile(path); !failed)
        return failed;
    if (Status failed = FindAudio(path, start); !failed)
        return failed;
    if (!start.found)
        return Status::Failure(kNoAudioFrames);
    CDiskFile writable;
    if (!writable.Open(path, CDiskFile::Mode::ReadWrite))
        return Status::Failure("the file cannot be written: " + writable.ErrorText());
    writable.Close();

    long before = -1;
    {
        TagLib::MPEG::File original(path.c_str(), false);
        if (!original.isOpen() || !original.isValid())
            return Status::Failure("cannot open the file");
        before = AudioSpanOf(original);
    }
    if (before < 0)
        return Status::Failure(kNoAudioFrames);
    CTemporaryFile copy;
    if (Status failed = copy.CreateCopy(FollowLinks(path), path); !failed)
        return failed;
    {
        TagLib::MPEG::File file(copy.Path().c_str(), false);
        if (!file.isOpen() || !SaveTags(file, tags))
            return Status::Failure("cannot write the tags into the file");
    }
    {
        TagLib::MPEG::File written(copy.Path().c_str(), false);
        if (!written.isValid() || AudioSpanOf(written) != before)
            return Status::Failure("the tags could not be written whole (is the disk full?)");
    }
    return copy.Commit();
}

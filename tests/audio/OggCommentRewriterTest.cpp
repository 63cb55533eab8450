#include "audio/ogg/OggCommentRewriter.h"

#include "support/AudioFiles.h"
#include "support/StatusChecks.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <taglib/vorbisfile.h>
#include <unistd.h>
#include <vorbis/codec.h>

namespace fs = std::filesystem;

namespace
{
using Bytes = std::vector<std::uint8_t>;

struct Packet
{
    Bytes bytes;
    std::int64_t granule;
};

// Every packet of every logical stream and the granule position of every
// page, in file order.
struct Parsed
{
    std::map<int, std::vector<Packet>> streams;
    std::vector<std::int64_t> pageGranules;
};

Parsed Parse(const Bytes& file)
{
    Parsed parsed;
    COggSync sync;
    std::map<int, std::unique_ptr<COggStream>> streams;
    char* buffer = ogg_sync_buffer(sync.Get(), static_cast<long>(file.size()));
    std::memcpy(buffer, file.data(), file.size());
    ogg_sync_wrote(sync.Get(), static_cast<long>(file.size()));
    ogg_page page;
    while (ogg_sync_pageout(sync.Get(), &page) != 0)
    {
        const int serial = ogg_page_serialno(&page);
        auto& stream = streams[serial];
        if (!stream)
            stream = std::make_unique<COggStream>(serial);
        ogg_stream_pagein(stream->Get(), &page);
        parsed.pageGranules.push_back(ogg_page_granulepos(&page));
        ogg_packet packet;
        while (ogg_stream_packetout(stream->Get(), &packet) == 1)
            parsed.streams[serial].push_back(
                {Bytes(packet.packet, packet.packet + packet.bytes), packet.granulepos});
    }
    return parsed;
}

// Raw bytes of one page with a correct checksum.
Bytes MakePage(std::uint8_t version, std::uint8_t flags, int serial, const Bytes& lacing,
               const Bytes& body)
{
    Bytes header(27, 0);
    std::memcpy(header.data(), "OggS", 4);
    header[4] = version;
    header[5] = flags;
    for (int i = 0; i < 4; ++i)
        header[14 + i] = static_cast<std::uint8_t>(serial >> (8 * i));
    header[26] = static_cast<std::uint8_t>(lacing.size());
    header.insert(header.end(), lacing.begin(), lacing.end());
    Bytes copy = body;
    ogg_page page{header.data(), static_cast<long>(header.size()), copy.data(),
                  static_cast<long>(copy.size())};
    ogg_page_checksum_set(&page);
    header.insert(header.end(), body.begin(), body.end());
    return header;
}

// The packets framed as a logical stream, one page per packet; with
// `granules`, the audio packets carry them and share pages of up to 16000
// bytes.
Bytes Frame(const std::vector<Bytes>& packets, int serial,
            const std::vector<std::int64_t>& granules = {})
{
    COggStream stream(serial);
    Bytes out;
    for (std::size_t i = 0; i < packets.size(); ++i)
    {
        Bytes copy = packets[i];
        ogg_packet packet{copy.data(),
                          static_cast<long>(copy.size()),
                          i == 0 ? 1 : 0,
                          i + 1 == packets.size() ? 1 : 0,
                          granules.empty() ? 0 : granules[i],
                          static_cast<ogg_int64_t>(i)};
        ogg_stream_packetin(stream.Get(), &packet);
        const bool flush = granules.empty() || i < 3 || i + 1 == packets.size();
        ogg_page page;
        while (flush ? ogg_stream_flush(stream.Get(), &page)
                     : ogg_stream_pageout_fill(stream.Get(), &page, 16000))
        {
            out.insert(out.end(), page.header, page.header + page.header_len);
            out.insert(out.end(), page.body, page.body + page.body_len);
        }
    }
    return out;
}

Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A file from our own encoder, made once per title.
const Bytes& Encoded(const std::string& title, double seconds = 3)
{
    static std::map<std::string, Bytes> files;
    Bytes& bytes = files[title];
    if (bytes.empty())
    {
        CTempDir dir;
        bytes = ReadFileBytes(WriteTestOgg(dir.File("x.ogg"), seconds, title));
    }
    return bytes;
}

std::vector<Packet> Packets(const Bytes& file)
{
    return Parse(file).streams.begin()->second;
}

const VorbisCommentList kNewTags = {{"TITLE", "New"}, {"ARTIST", ""}, {"ALBUM", "Disc"}};

class OggRewrite : public testing::Test
{
protected:
    std::string Put(const std::string& name, const Bytes& bytes)
    {
        WriteFileBytes(m_dir.File(name), bytes);
        return m_dir.File(name);
    }

    static Status Rewrite(const std::string& path, const VorbisCommentList& tags = kNewTags)
    {
        return RewriteVorbisComments(path, tags);
    }

    // Nothing but the file is in its folder.
    static void ExpectNoCopyBeside(const std::string& path)
    {
        for (const auto& entry : fs::directory_iterator(fs::path(path).parent_path()))
            EXPECT_EQ(entry.path().filename().string().rfind(".tw-", 0), std::string::npos)
                << entry.path();
    }

    // A failed rewrite leaves the file as it was and no copy behind.
    static void ExpectUntouched(const std::string& path, const Bytes& before)
    {
        EXPECT_EQ(ReadFileBytes(path), before);
        ExpectNoCopyBeside(path);
    }

    CTempDir m_dir;
};
} // namespace

// Only the comment packet changes; audio, granules, permissions and the
// decoded sound stay, and a second rewrite changes nothing more.
TEST_F(OggRewrite, ReplacesTheCommentsAndKeepsEverythingElse)
{
    const std::string path = Put("song.ogg", Encoded("Old"));
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(path, perms);
    const std::vector<std::uint8_t> pcmBefore = DecodeAll(path);
    ASSERT_TRUE(Succeeded(Rewrite(path)));
    ExpectNoCopyBeside(path);
    EXPECT_EQ(fs::status(path).permissions(), perms);
    const Bytes once = ReadFileBytes(path);

    const Parsed after = Parse(once);
    ASSERT_EQ(after.streams.size(), 1u);
    const std::vector<Packet> in = Packets(Encoded("Old"));
    const std::vector<Packet>& out = after.streams.begin()->second;
    ASSERT_EQ(in.size(), out.size());
    // The file's own vendor, then its comments with the fields set in place
    // and the emptied one gone.
    const std::uint32_t vendorLength = in[1].bytes[7] | in[1].bytes[8] << 8;
    Bytes comment(in[1].bytes.begin(), in[1].bytes.begin() + 11 + vendorLength);
    comment.insert(comment.end(), {3, 0, 0, 0});
    for (const std::string text : {"ENCODER=Brelvind Tunewright", "TITLE=New", "ALBUM=Disc"})
    {
        comment.insert(comment.end(), {static_cast<std::uint8_t>(text.size()), 0, 0, 0});
        comment.insert(comment.end(), text.begin(), text.end());
    }
    comment.push_back(1);
    EXPECT_EQ(out[1].bytes, comment);
    for (std::size_t i = 0; i < in.size(); ++i)
    {
        if (i != 1)
        {
            EXPECT_EQ(in[i].bytes, out[i].bytes) << "packet " << i;
        }
        if (i >= 3 && in[i].granule != -1 && out[i].granule != -1)
        {
            EXPECT_EQ(in[i].granule, out[i].granule) << "packet " << i;
        }
    }
    EXPECT_EQ(in.back().granule, out.back().granule) << "the end trim";
    EXPECT_TRUE(std::is_sorted(after.pageGranules.begin(), after.pageGranules.end()));
    EXPECT_EQ(DecodeAll(path), pcmBefore);

    ASSERT_TRUE(Succeeded(Rewrite(path)));
    EXPECT_EQ(ReadFileBytes(path), once);
}

TEST(VorbisFields, SetInPlaceDropRepeatsAndAddTheMissing)
{
    std::vector<std::string> comments = {"title=Old",   "TRACKNUMBER=7", "Artist=A",
                                         "TITLE=Again", "DATE=2001",     "ARTIST=B",
                                         "TITLES=x",    "=odd",          "no separator"};
    SetVorbisFields(comments, {{"TITLE", "New"}, {"ARTIST", ""}, {"ALBUM", "Disc"}});
    EXPECT_EQ(comments,
              (std::vector<std::string>{"TITLE=New", "TRACKNUMBER=7", "DATE=2001", "TITLES=x",
                                        "=odd", "no separator", "ALBUM=Disc"}));
}

// Cover art and every other comment survive a tag edit byte for byte, as
// another program reads them.
TEST_F(OggRewrite, KeepsEveryOtherCommentAndThePicture)
{
    const std::string path = Put("art.ogg", Encoded("Old"));
    TagLib::FLAC::Picture cover;
    cover.setType(TagLib::FLAC::Picture::FrontCover);
    cover.setMimeType("image/png");
    TagLib::ByteVector image(80000, 'x');
    for (unsigned i = 0; i < image.size(); ++i)
        image[i] = static_cast<char>(i * 7 % 251);
    cover.setData(image);
    const TagLib::ByteVector block = cover.render().toBase64();
    ASSERT_TRUE(Succeeded(
        Rewrite(path, {{"TRACKNUMBER", "7"},
                       {"REPLAYGAIN_TRACK_GAIN", "-6.5 dB"},
                       {"METADATA_BLOCK_PICTURE", std::string(block.data(), block.size())}})));
    ASSERT_TRUE(Succeeded(Rewrite(path)));

    TagLib::Ogg::Vorbis::File file(path.c_str());
    ASSERT_TRUE(file.isValid());
    const TagLib::Ogg::FieldListMap fields = file.tag()->fieldListMap();
    std::string seen;
    for (const char* name :
         {"TITLE", "ARTIST", "ALBUM", "TRACKNUMBER", "REPLAYGAIN_TRACK_GAIN", "ENCODER"})
        seen += (fields.contains(name) ? fields[name].front().to8Bit(true) : "(none)") + "|";
    EXPECT_EQ(seen, "New|(none)|Disc|7|-6.5 dB|Brelvind Tunewright|");
    const auto pictures = file.tag()->pictureList();
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures.front()->type(), TagLib::FLAC::Picture::FrontCover);
    EXPECT_TRUE(pictures.front()->data() == image) << "the cover art changed";
}

TEST_F(OggRewrite, AChainedSecondStreamIsKeptByteForByte)
{
    const Bytes& second = Encoded("Second", 1);
    const std::string path = Put("chain.ogg", Concat(Encoded("Old"), second));
    ASSERT_TRUE(Succeeded(Rewrite(path)));
    const Bytes after = ReadFileBytes(path);
    ASSERT_GT(after.size(), second.size());
    EXPECT_TRUE(std::equal(second.begin(), second.end(), after.end() - second.size()));
    EXPECT_EQ(DecodeAll(path).size(), (44100u * 3 + 44100) * 4);
}

// A stream that starts later than zero counts on from its own positions as
// soon as its first audio page has told them, also where its pages were laid
// out otherwise than ours; the positions never run backwards.
TEST_F(OggRewrite, AStreamThatStartsLaterKeepsRisingGranules)
{
    const std::vector<Packet> packets = Packets(Encoded("Old"));
    CVorbisInfo info;
    CVorbisComment comment;
    std::vector<Bytes> bytes;
    std::vector<std::int64_t> expected;
    std::int64_t granule = 1000000;
    long previous = 0;
    for (std::size_t i = 0; i < packets.size(); ++i)
    {
        bytes.push_back(packets[i].bytes);
        ogg_packet packet{bytes[i].data(),
                          static_cast<long>(bytes[i].size()),
                          i == 0 ? 1 : 0,
                          0,
                          0,
                          static_cast<ogg_int64_t>(i)};
        if (i < 3)
        {
            ASSERT_EQ(vorbis_synthesis_headerin(info.Get(), comment.Get(), &packet), 0);
            expected.push_back(0);
            continue;
        }
        const long size = vorbis_packet_blocksize(info.Get(), &packet);
        granule += previous ? (size + previous) / 4 : 0;
        previous = size;
        expected.push_back(granule);
    }
    const Bytes shifted = Frame(bytes, 42, expected);

    const std::string path = Put("late.ogg", shifted);
    ASSERT_TRUE(Succeeded(Rewrite(path)));
    const Parsed after = Parse(ReadFileBytes(path));
    EXPECT_TRUE(std::is_sorted(after.pageGranules.begin(), after.pageGranules.end()));
    const std::vector<Packet>& out = after.streams.begin()->second;
    ASSERT_EQ(out.size(), packets.size());
    const std::vector<Packet> in = Packets(shifted);
    std::size_t told = 3;
    while (in[told].granule == -1)
        ++told;
    for (std::size_t i = told; i < out.size(); ++i)
        if (out[i].granule != -1)
        {
            EXPECT_EQ(out[i].granule, expected[i]) << "packet " << i;
        }
}

struct FailureCase
{
    const char* name;
    std::function<Bytes()> make;
    const char* message;
};

class OggRewriteFailures : public OggRewrite, public testing::WithParamInterface<FailureCase>
{
};

TEST_P(OggRewriteFailures, ReportTheReasonAndLeaveTheFileAsItWas)
{
    const Bytes bytes = GetParam().make();
    const std::string path = Put("bad.ogg", bytes);
    EXPECT_EQ(Rewrite(path).Reason(), GetParam().message);
    ExpectUntouched(path, bytes);
}

namespace
{
std::vector<Bytes> Headers()
{
    const std::vector<Packet> packets = Packets(Encoded("Old"));
    return {packets[0].bytes, packets[1].bytes, packets[2].bytes};
}

Bytes Garbage(std::size_t size)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
}
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Table, OggRewriteFailures,
    testing::Values(
        FailureCase{"Empty", [] { return Bytes(); }, "Input truncated or empty."},
        FailureCase{"ShortGarbage", [] { return Garbage(4095); }, "Input truncated or empty."},
        FailureCase{"LongGarbage", [] { return Garbage(9000); }, "Input is not an Ogg bitstream."},
        FailureCase{"UnknownPageVersion",
                    [] {
                        return MakePage(1, 2, 5, {3}, {1, 2, 3});
                    },
                    "Error reading first page of Ogg bitstream."},
        FailureCase{"FirstPacketUnfinished", [] { return MakePage(0, 2, 5, {255}, Garbage(255)); },
                    "Error reading initial header packet."},
        FailureCase{"NotVorbis",
                    [] {
                        return Frame({{'O', 'p', 'u', 's', 'H', 'e', 'a', 'd', 1, 2}}, 9);
                    },
                    "Ogg bitstream does not contain vorbis data."},
        FailureCase{"DamagedCommentHeader",
                    []
                    {
                        std::vector<Bytes> headers = Headers();
                        headers[1][0] = 5;
                        return Frame(headers, 9);
                    },
                    "Corrupt secondary header."},
        FailureCase{"AnotherStreamAmongTheHeaders",
                    []
                    {
                        const std::vector<Bytes> headers = Headers();
                        return Concat(Concat(Frame({headers[0]}, 9), Frame({headers[0]}, 10)),
                                      Frame({headers[1], headers[2]}, 9));
                    },
                    "Corrupt secondary header."},
        // Found by fuzzing: with the only audio page of the first stream
        // damaged, players show the second stream's comments, so new ones in
        // the first would never be seen.
        FailureCase{"FirstStreamWithoutAudio",
                    [] { return Concat(Frame(Headers(), 7), Encoded("Second", 1)); },
                    "The Vorbis stream holds no audio."},
        FailureCase{"EndsAfterTheFirstPage", [] { return Frame({Headers()[0]}, 9); },
                    "EOF before end of vorbis headers."},
        FailureCase{
            "AnotherStreamInTheAudio",
            []
            {
                // A page of a second stream amid the first one's pages.
                const Bytes& file = Encoded("Old");
                const char* capture = "OggS";
                const auto at =
                    std::search(file.begin() + file.size() / 2, file.end(), capture, capture + 4);
                Bytes out = Concat(Bytes(file.begin(), at), MakePage(0, 0, 77, {3}, {1, 2, 3}));
                return Concat(out, Bytes(at, file.end()));
            },
            "Error writing stream to output. Output stream may be corrupted or "
            "truncated."}),
    [](const testing::TestParamInfo<FailureCase>& failure) { return failure.param.name; });

TEST_F(OggRewrite, FilesThatCannotBeOpenedCreatedOrRenamedAreReported)
{
    EXPECT_EQ(Rewrite(m_dir.File("missing.ogg")).Reason(),
              "Error opening input file '" + m_dir.File("missing.ogg") + "'.");

    const std::string path = Put("song.ogg", Encoded("Old"));
    fs::permissions(m_dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    if (access(m_dir.Path().c_str(), W_OK) != 0) // root may write anyway
    {
        const std::string reason = Rewrite(path).Reason();
        EXPECT_NE(reason.find("cannot create a file in"), std::string::npos) << reason;
    }
    fs::permissions(m_dir.Path(), fs::perms::owner_all);
    EXPECT_EQ(ReadFileBytes(path), Encoded("Old"));

    // Comment files and the final rename report their failures too.
    for (const TagWriteMode mode : {TagWriteMode::Write, TagWriteMode::List})
    {
        TagWriteJob job;
        job.mode = mode;
        job.inputName = path;
        job.outputName = m_dir.File("out.ogg");
        job.commentFileName = m_dir.File("no/comments.txt");
        EXPECT_FALSE(OpenFiles(job));
        EXPECT_EQ(job.error, "Error opening comment file '" + job.commentFileName + "'" +
                                 (mode == TagWriteMode::Write ? "." : ""));
    }

    TagWriteJob missingCopy;
    missingCopy.tempOutput = true;
    missingCopy.inputName = path;
    missingCopy.outputName = m_dir.File("gone.vctemp");
    EXPECT_FALSE(CloseFiles(missingCopy));
    EXPECT_EQ(missingCopy.error, "Error renaming " + missingCopy.outputName + " to " + path);
    EXPECT_TRUE(fs::exists(path)) << "the original stays when there is no copy";

    TagWriteJob ontoFolder;
    ontoFolder.tempOutput = true;
    ontoFolder.inputName = m_dir.File("folder");
    ontoFolder.outputName = path;
    fs::create_directories(m_dir.File("folder/inside"));
    EXPECT_FALSE(CloseFiles(ontoFolder));
    EXPECT_EQ(ontoFolder.error, "Error removing old file " + ontoFolder.inputName);
}

// The state operations on their own, with the input in memory.
class OggRewriteState : public testing::Test
{
protected:
    int Open(const Bytes& input)
    {
        m_input = input;
        m_at = 0;
        return OpenStream(m_state,
                          [this](std::uint8_t* dest, std::size_t count)
                          {
                              const std::size_t piece = std::min(count, m_input.size() - m_at);
                              std::memcpy(dest, m_input.data() + m_at, piece);
                              m_at += piece;
                              return static_cast<std::int64_t>(piece);
                          });
    }

    // Writes into m_output until `limit` bytes, then refuses.
    int Write(std::size_t limit = SIZE_MAX)
    {
        return WriteStream(m_state,
                           [this, limit](const std::uint8_t* data, std::size_t count)
                           {
                               if (m_output.size() + count > limit)
                                   return false;
                               m_output.insert(m_output.end(), data, data + count);
                               return true;
                           });
    }

    CommentEditState m_state;
    Bytes m_input;
    std::size_t m_at = 0;
    Bytes m_output;
};

TEST_F(OggRewriteState, DamageBetweenStreamsIsSkippedAndNoted)
{
    const Bytes& second = Encoded("Second", 1);
    ASSERT_EQ(Open(Concat(Concat(Encoded("Old"), Garbage(500)), second)), 0);
    EXPECT_EQ(GetComments(m_state)[1], "TITLE=Old");
    EXPECT_EQ(Write(), 0);
    EXPECT_EQ(GetLastError(m_state), "Corrupt or missing data, continuing...");
    EXPECT_TRUE(std::equal(second.begin(), second.end(), m_output.end() - second.size()));
}

class OggRewriteShortWrites : public OggRewriteState, public testing::WithParamInterface<double>
{
};

TEST_P(OggRewriteShortWrites, FailWithTheWriteMessage)
{
    const Bytes input = Concat(Encoded("Old"), Encoded("Second", 1));
    ASSERT_EQ(Open(input), 0);
    EXPECT_EQ(Write(static_cast<std::size_t>(GetParam() * static_cast<double>(input.size()))), -1);
    EXPECT_EQ(GetLastError(m_state),
              "Error writing stream to output. Output stream may be corrupted or truncated.");
}

// In the headers, in the audio, in the chained stream.
INSTANTIATE_TEST_SUITE_P(Points, OggRewriteShortWrites, testing::Values(0.001, 0.4, 0.95));

TEST_F(OggRewrite, DamagedFilesAreRewrittenOrRefusedUntouched)
{
    std::mt19937 random(11);
    for (int round = 0; round < 40; ++round)
    {
        Bytes bad = Encoded("Old");
        if (round < 10)
            bad.resize(bad.size() * round / 10 + 100);
        else
            for (int i = 0; i < round / 5; ++i)
                bad[random() % bad.size()] = static_cast<std::uint8_t>(random());
        const std::string path = Put("fuzz.ogg", bad);
        if (!Rewrite(path))
            ExpectUntouched(path, bad);
        ExpectNoCopyBeside(path);
    }
}

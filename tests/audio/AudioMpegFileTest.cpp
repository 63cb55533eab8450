#include "audio/mpeg/AudioMpegFile.h"

#include "audio/mpeg/MpegTags.h"
#include "check/MP3Check.h"
#include "io/FileException.h"
#include "support/AudioFiles.h"
#include "support/FileSizeLimit.h"
#include "support/MP3StreamBuilder.h"
#include "support/StatusChecks.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <apetag.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <id3v2tag.h>
#include <mpegfile.h>
#include <random>
#include <set>
#include <sys/stat.h>
#include <textidentificationframe.h>

namespace
{
class MpegFile : public testing::Test
{
protected:
    // Encodes `seconds` of the test signal; returns the path.
    std::string Encode(const std::string& name, EncodeTags tags, double seconds = 3.0)
    {
        const auto samples = static_cast<std::size_t>(44100 * seconds);
        return EncodePcm(name, tags, TestSignal(samples, 2), samples);
    }

    // Encodes stereo `pcm`, telling the encoder to expect `hint` sample pairs.
    std::string EncodePcm(const std::string& name, EncodeTags tags,
                          const std::vector<std::int16_t>& pcm, std::uint64_t hint)
    {
        CAudioMpegFile file;
        file.BeginEncoding(m_dir.File(name), tags, hint);
        const std::vector<std::uint8_t> bytes = AsBytes(pcm);
        for (std::size_t at = 0; at < bytes.size(); at += 32768)
            file.EncodeData(bytes.data() + at, std::min<std::size_t>(32768, bytes.size() - at));
        file.EndEncoding();
        return m_dir.File(name);
    }

    // The bitrate of every audio frame, the information frame left out.
    static std::vector<int> FrameBitrates(const std::string& path)
    {
        const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
        std::vector<int> bitrates;
        for (std::size_t at = 0; at + 4 <= bytes.size();)
        {
            MP3FrameInfo frame;
            const std::uint32_t word = static_cast<std::uint32_t>(bytes[at]) << 24 |
                                       bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
            if (!CMP3Check::DecodeHeader(word, frame))
                break;
            if (!HasInformationFrame(bytes, at))
                bitrates.push_back(frame.bitrate);
            at += static_cast<std::size_t>(frame.frameLength);
        }
        return bitrates;
    }

    static bool HasInformationFrame(const std::vector<std::uint8_t>& bytes, std::size_t at = 0)
    {
        const std::string head(bytes.begin() + static_cast<long>(at),
                               bytes.begin() + static_cast<long>(std::min(at + 64, bytes.size())));
        return head.find("Xing") != std::string::npos || head.find("Info") != std::string::npos;
    }

    CTempDir m_dir;
};
} // namespace

// The information frame carries the encoder delay and padding, so decoding
// gives back exactly the samples encoded, whatever length was announced.
TEST_F(MpegFile, DecodingGivesExactlyTheEncodedSamples)
{
    struct Case
    {
        std::size_t samples;
        std::uint64_t hint;
        bool vbr;
    };
    for (const Case& c : {Case{1, 1, false}, Case{1151, 1151, false}, Case{1152, 0, false},
                          Case{44100 * 3 + 17, 44100 * 3 + 17, false},
                          Case{44100 * 3 + 17, 1000, true}, Case{44100 + 5, 44100 * 9, false}})
    {
        const std::string name = "exact" + std::to_string(c.samples) + "-" +
                                 std::to_string(c.hint) + (c.vbr ? "v" : "c") + ".mp3";
        const std::string path =
            EncodePcm(name, {"", "", "", 128, 5, c.vbr}, TestSignal(c.samples, 2), c.hint);
        EXPECT_EQ(DecodeAll(path).size(), c.samples * 4) << name;
        CAudioMpegFile file;
        file.SetPath(path);
        ASSERT_TRUE(file.IsValid()) << name;
        EXPECT_EQ(file.GetLength(), static_cast<std::int32_t>(c.samples * 1000 / 44100)) << name;
    }
}

// Noise, then silence: the average must not sink below the chosen rate in
// the quiet half nor climb past 1.3 times it in the noisy one.
TEST_F(MpegFile, VariableBitrateStaysBetweenTheRateAndItsCeiling)
{
    std::vector<std::int16_t> pcm(2 * 44100 * 3, 0);
    std::uint32_t noise = 1;
    for (std::size_t i = 0; i < pcm.size() / 2; ++i)
    {
        noise = noise * 1664525u + 1013904223u;
        pcm[i] = static_cast<std::int16_t>((static_cast<std::int32_t>(noise >> 16) - 32768) / 3);
    }
    for (const auto& [bitrate, ceiling] : {std::pair{128, 160}, std::pair{64, 80}})
    {
        const std::string path = EncodePcm("vbr" + std::to_string(bitrate) + ".mp3",
                                           {"", "", "", bitrate, 5, true}, pcm, 0);
        const std::vector<int> rates = FrameBitrates(path);
        ASSERT_FALSE(rates.empty());
        EXPECT_GE(*std::min_element(rates.begin(), rates.end()), bitrate);
        EXPECT_LE(*std::max_element(rates.begin(), rates.end()), ceiling);
        const double kbps = static_cast<double>(std::filesystem::file_size(path)) * 8 / 3 / 1000;
        EXPECT_GE(kbps, bitrate);
        EXPECT_EQ(DecodeAll(path).size(), pcm.size() * 2) << bitrate;
    }
    // Constant, and at 320 kbit/s variable with no room above: one bitrate.
    for (const auto& [bitrate, vbr] : {std::pair{128, false}, std::pair{320, true}})
    {
        const std::string path = Encode("one-rate.mp3", {"", "", "", bitrate, 5, vbr});
        const std::vector<int> rates = FrameBitrates(path);
        EXPECT_EQ(std::set<int>(rates.begin(), rates.end()), std::set<int>{bitrate});
        EXPECT_TRUE(HasInformationFrame(ReadFileBytes(path)));
    }
}

// Counts in the information frame that need more bytes than the file has are
// not believed: the length comes from the frames there are.
TEST_F(MpegFile, ALengthTheFileCannotHoldIsNotBelieved)
{
    struct Case
    {
        const char* name;
        bool vbr;
        std::size_t keep;    // bytes left of the file, 0 for all
        bool patchFrames;    // the frame count set to 0xFFFFFFFF
        std::int32_t length; // ms
    };
    for (const Case& c :
         {Case{"cut-cbr", false, 16000, false, 1000}, Case{"cut-vbr", true, 20000, false, 1000},
          Case{"huge-count", false, 0, true, 5000}})
    {
        std::vector<std::uint8_t> bytes =
            ReadFileBytes(Encode(std::string(c.name) + ".mp3", {"", "", "", 128, 5, c.vbr}, 5.0));
        if (c.keep > 0)
            bytes.resize(c.keep);
        if (c.patchFrames)
        {
            const std::string head(bytes.begin(), bytes.begin() + 64);
            const std::size_t at = head.find("Info") + 8; // after the flags
            std::fill_n(bytes.begin() + static_cast<long>(at), 4, std::uint8_t{0xFF});
        }
        const std::string path = m_dir.File(std::string(c.name) + "-damaged.mp3");
        WriteFileBytes(path, bytes);
        CAudioMpegFile file;
        file.SetPath(path);
        ASSERT_TRUE(file.IsValid()) << c.name;
        EXPECT_NEAR(file.GetLength(), c.length, 60) << c.name;
        const double decodedMs = static_cast<double>(DecodeAll(path).size()) / 4 / 44.1;
        EXPECT_NEAR(decodedMs, file.GetLength(), 30) << c.name;
    }
}

TEST_F(MpegFile, TheId3v1TagOfANewFile)
{
    const std::string path =
        Encode("tagged.mp3", {std::string(40, 'T'), "Artist", "Caf\xC3\xA9", 128, 9, false}, 0.5);
    const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    ASSERT_GT(bytes.size(), 128u);
    const std::string tag(bytes.end() - 128, bytes.end());
    const std::string expected = "TAG" + std::string(30, 'T') + "Artist" + std::string(24, ' ') +
                                 "Caf\xE9" + std::string(26, ' ') + std::string(34, ' ') + "\xFF";
    EXPECT_EQ(tag, expected);

    const std::vector<std::uint8_t> plain = ReadFileBytes(Encode("plain.mp3", {}, 0.5));
    EXPECT_NE(std::string(plain.end() - 128, plain.end() - 125), "TAG");
}

TEST_F(MpegFile, ReadHoldsWhatTheCallerDidNotTake)
{
    CAudioMpegFile file;
    file.SetPath(Encode("held.mp3", {}));
    ASSERT_TRUE(file.BeginDecoding());
    std::vector<std::uint8_t> buffer(32768);
    EXPECT_EQ(file.Read(32768, 1, buffer.data(), buffer.size()), 32768);
    EXPECT_EQ(file.HeldBytes(), 0u);
    EXPECT_EQ(file.Read(20000, 1, buffer.data(), buffer.size()), 20000);
    EXPECT_EQ(file.HeldBytes(), 12768u);
    file.Seek(1000);
    EXPECT_EQ(file.HeldBytes(), 0u) << "held audio is from before the seek";
    EXPECT_NEAR(file.GetPosition(), 1000, 30);
    file.EndDecoding();
}

// Bitrates MP3 lacks are refused before anything is written; a failed write
// raises a file exception and leaves no file.
TEST_F(MpegFile, RefusedRatesAndFailedWritesLeaveNoFile)
{
    for (int bitrate : {384, 448, 100})
    {
        CAudioMpegFile file;
        EXPECT_THROW(
            file.BeginEncoding(m_dir.File("refused.mp3"), {"", "", "", bitrate, 5, false}, 0),
            CFileException)
            << bitrate;
        EXPECT_FALSE(std::filesystem::exists(m_dir.File("refused.mp3")));
    }
    const std::string path = m_dir.File("full.mp3");
    CFileSizeLimit limit(20000);
    if (!limit.Active())
        GTEST_SKIP() << "no file size limits here";
    try
    {
        Encode("full.mp3", {}, 3.0);
        FAIL() << "wrote past the limit";
    }
    catch (const CFileException& error)
    {
        EXPECT_EQ(error.Path(), path);
        EXPECT_NE(error.Reason().find("write error"), std::string::npos) << error.Reason();
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(Mp3Encoder, ValuesWaitForMoreThanAWholeFrame)
{
    CTempDir dir;
    CMp3Encoder encoder;
    encoder.Begin(dir.File("hold.mp3"), {}, 0);
    const std::vector<std::int16_t> values(4000, 0);
    encoder.Encode(values.data(), 2000); // 1000 values
    EXPECT_EQ(encoder.HeldValues(), 1000u);
    encoder.Encode(values.data(), 1001); // 500 values, odd byte ignored
    EXPECT_EQ(encoder.HeldValues(), 1500u);
    encoder.Encode(values.data(), 2 * 804); // exactly 2304: still held
    EXPECT_EQ(encoder.HeldValues(), 2304u);
    encoder.Encode(values.data(), 2);
    EXPECT_EQ(encoder.HeldValues(), 1u);
    encoder.End();
    EXPECT_GT(std::filesystem::file_size(dir.File("hold.mp3")), 0u);
}

namespace
{
// Adds ID3v2 text frames to a file that has none.
void AddId3v2(const std::string& path,
              const std::vector<std::pair<const char*, const char*>>& frames)
{
    TagLib::MPEG::File file(path.c_str(), false);
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    for (const auto& [id, text] : frames)
    {
        auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::UTF8);
        frame->setText(TagLib::String(text, TagLib::String::UTF8));
        tag->addFrame(frame);
    }
    ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3,
                          TagLib::File::DoNotDuplicate));
}

// "title|artist|album" as read back.
std::string Tags(const std::string& path)
{
    CAudioMpegFile file;
    file.SetPath(path);
    file.IsValid();
    return file.GetTitle() + "|" + file.GetArtist() + "|" + file.GetAlbum();
}
} // namespace

TEST_F(MpegFile, Id3v2WinsFieldByFieldTheArtistFallsBackAndApeIsKeptInStep)
{
    const std::string path =
        Encode("v2.mp3", {"v1 title", "v1 artist", "v1 album", 128, 9, false}, 0.3);
    AddId3v2(path, {{"TIT2", "v2 title"}, {"TPE3", "Conductor"}, {"TCOM", "Composer"}});
    EXPECT_EQ(Tags(path), "v2 title|Conductor|v1 album");

    const std::string band = Encode("band.mp3", {}, 0.3);
    AddId3v2(band, {{"TCOM", "Composer"}, {"TPE2", "Band"}, {"TALB", "\xC3\x89t\xC3\xA9"}});
    EXPECT_EQ(Tags(band), "|Band|\xC3\x89t\xC3\xA9");

    // An APE tag is read, and kept in step when the tags are written.
    const std::string ape = Encode("ape.mp3", {}, 0.3);
    {
        TagLib::MPEG::File file(ape.c_str(), false);
        file.APETag(true)->setTitle("APE title");
        ASSERT_TRUE(file.save(TagLib::MPEG::File::APE, TagLib::File::StripNone));
    }
    EXPECT_EQ(Tags(ape), "APE title||");
    CAudioMpegFile file;
    file.SetPath(ape);
    ASSERT_TRUE(file.IsValid());
    file.SetTitle("");
    file.SetAlbum("Album");
    ASSERT_TRUE(Succeeded(file.WriteTags()));
    file.EndDecoding();
    EXPECT_EQ(Tags(ape), "||Album") << "clearing the title clears it everywhere it is read from";
}

TEST_F(MpegFile, WriteTagsUpdatesTheTagsThereAreWithoutTouchingTheAudio)
{
    struct Case
    {
        const char* name;
        bool v1, v2;
    };
    for (const Case& c : {Case{"none", false, false}, Case{"v1", true, false},
                          Case{"v2", false, true}, Case{"both", true, true}})
    {
        const std::string path =
            Encode(std::string(c.name) + ".mp3",
                   {c.v1 ? "Old" : "", c.v1 ? "Old" : "", "", 128, 9, false}, 0.3);
        if (c.v2)
            AddId3v2(path, {{"TIT2", "Old v2"}, {"TPE1", "Old v2"}});
        const std::vector<std::uint8_t> pcm = DecodeAll(path);

        CAudioMpegFile file;
        file.SetPath(path);
        ASSERT_TRUE(file.IsValid());
        file.SetTitle("Nouveau titre \xE2\x80\x94 long enough to be cut in ID3v1");
        file.SetArtist("");
        file.SetAlbum("Album");
        ASSERT_TRUE(Succeeded(file.WriteTags())) << c.name;
        file.EndDecoding();

        const std::string title = c.v2 ? "Nouveau titre \xE2\x80\x94 long enough to be cut in ID3v1"
                                       : "Nouveau titre ? long enough to";
        EXPECT_EQ(Tags(path), title + "||Album") << c.name;
        TagLib::MPEG::File check(path.c_str(), false);
        EXPECT_TRUE(check.hasID3v1Tag()) << c.name;
        EXPECT_EQ(check.hasID3v2Tag(), c.v2) << c.name << ": no ID3v2 tag is added";
        EXPECT_EQ(DecodeAll(path), pcm) << c.name;
    }
}

// Found by fuzzing: TagLib cannot set the text of a frame stored encrypted,
// so the old title was written back and read again after a save.
TEST_F(MpegFile, AnEncryptedTitleFrameIsReplacedNotKept)
{
    // An ID3v2.4 tag whose TIT2 is flagged encrypted with a data length, and
    // holds "Old" once the flags are gone.
    std::vector<std::uint8_t> tag = {'I', 'D', '3', 4, 0, 0,    0, 0, 0, 82, 'T', 'I', 'T', '2',
                                     0,   0,   0,   8, 0, 0x05, 0, 0, 0, 4,  0,   'O', 'l', 'd'};
    tag.resize(10 + 82, 0);
    const std::string path = m_dir.File("encrypted-frame.mp3");
    CMP3StreamBuilder()
        .Bytes(tag)
        .Frames(mp3words::kMpeg1L3, mp3words::kMpeg1L3Length, 4)
        .WriteTo(path);

    ASSERT_TRUE(Succeeded(WriteMpegTags(path, {"New", "Artist", "Album"})));
    TrackTags tags;
    ASSERT_TRUE(Succeeded(ReadMpegTags(path, tags)));
    EXPECT_EQ(tags.title, "New");
}

// Found by fuzzing: an APE tag inside the room an ID3v2 tag claims, and no
// audio to check against, had the save write one tag over the other.
TEST_F(MpegFile, TagsOfAFileWithoutAudioAreLeftAlone)
{
    // An ID3v2.4 header claiming 132 bytes, then an empty APE tag's footer
    // (version 2000, 32 bytes, no items) within them.
    std::vector<std::uint8_t> bytes = {'I', 'D', '3', 4, 0, 0, 0, 0, 1, 4};
    bytes.resize(20, 0);
    const std::vector<std::uint8_t> footer = {'A',  'P', 'E', 'T', 'A', 'G', 'E', 'X',
                                              0xD0, 7,   0,   0,   32,  0,   0,   0};
    bytes.insert(bytes.end(), footer.begin(), footer.end());
    bytes.resize(52, 0);
    const std::string path = m_dir.File("overlapping-tags.mp3");
    WriteFileBytes(path, bytes);

    const Status written = WriteMpegTags(path, {"New", "Artist", "Album"});
    EXPECT_NE(written.Reason().find("no MPEG audio"), std::string::npos) << written.Reason();
    EXPECT_EQ(ReadFileBytes(path), bytes);
}

TEST_F(MpegFile, OtherProgramsDecodeOurFiles)
{
    if (std::system("command -v lame >/dev/null 2>&1") != 0)
    {
        ASSERT_EQ(std::getenv("CI"), nullptr) << "lame is missing";
        GTEST_SKIP() << "lame is needed (scripts/setup installs it)";
    }
    for (bool vbr : {false, true})
    {
        const std::string path =
            Encode(vbr ? "x-vbr.mp3" : "x-cbr.mp3", {"T", "A", "L", 128, 5, vbr});
        const std::string wav = m_dir.File("x.wav");
        ASSERT_EQ(std::system(("lame --quiet --decode '" + path + "' '" + wav + "'").c_str()), 0);
        EXPECT_EQ(std::filesystem::file_size(wav) - 44, 44100u * 3 * 4) << vbr;
    }
}

TEST_F(MpegFile, WhatIsNotMpegAudioIsRefusedButItsTagsAreReadAndPipesAreNotWaitedOn)
{
    const std::string path = m_dir.File("text.mp3");
    std::string content = "This is not audio at all.\n";
    std::string tag = "TAGOnly a tag";
    tag.resize(125, '\0');
    tag += std::string("\0\0\xFF", 3);
    std::ofstream(path, std::ios::binary) << content << tag;
    CAudioMpegFile file;
    file.SetPath(path);
    EXPECT_FALSE(file.Validate().Reason().empty());
    EXPECT_EQ(file.GetTitle(), "Only a tag");
    EXPECT_EQ(file.GetLength(), 0);

    // A pipe named like an MP3 file is refused, not waited on.
    const std::string pipe = m_dir.File("pipe.mp3");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    file.SetPath(pipe);
    EXPECT_EQ(file.Validate().Reason(), "it is not a regular file");
    file.SetTitle("x");
    EXPECT_FALSE(file.WriteTags());
}

// The audio must start within the first MiB after the ID3v2 tags; a tag
// claiming more than the file holds is not believed.
TEST_F(MpegFile, TheAudioIsLookedForOnlyNearTheStart)
{
    const std::vector<std::uint8_t> audio = ReadFileBytes(Encode("audio.mp3", {}, 1.0));
    std::vector<std::uint8_t> junk(900000);
    std::mt19937 random(7);
    std::generate(junk.begin(), junk.end(), [&] { return static_cast<std::uint8_t>(random()); });
    const std::vector<std::uint8_t> liar = {'I', 'D', '3', 4, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F};
    struct Case
    {
        const char* name;
        CMP3StreamBuilder before;
        bool opens;
    };
    Case cases[] = {
        {"junk", CMP3StreamBuilder().Bytes(junk), true},
        {"big-tag", CMP3StreamBuilder().Id3v2(1500000).Bytes(junk), true},
        {"lying-tag", CMP3StreamBuilder().Bytes(liar), true},
        {"too-much-junk", CMP3StreamBuilder().Bytes(junk).Bytes(junk), false},
    };
    for (Case& c : cases)
    {
        const std::string path = m_dir.File(std::string(c.name) + ".mp3");
        c.before.Bytes(audio).WriteTo(path);
        CAudioMpegFile file;
        file.SetPath(path);
        EXPECT_EQ(file.IsValid(), c.opens) << c.name << ": " << file.Validate().Reason();
        EXPECT_EQ(DecodeAll(path).size(), c.opens ? 44100u * 4 : 0u) << c.name;
    }
    // Nothing but zeros, far more than is looked at.
    const std::string zeros = m_dir.File("zeros.mp3");
    std::ofstream(zeros, std::ios::binary).close();
    std::filesystem::resize_file(zeros, 20 << 20);
    CAudioMpegFile file;
    file.SetPath(zeros);
    EXPECT_EQ(file.Validate().Reason(), "no MPEG audio found in the file");
}

TEST_F(MpegFile, TagWritingNeverDamagesTheFileItFailsOn)
{
    const std::string path = Encode("safe.mp3", {"Old", "", "", 128, 9, false}, 0.5);
    AddId3v2(path, {{"TIT2", "Old"}});
    const std::vector<std::uint8_t> tagged = ReadFileBytes(path);
    {
        // A tag that grows by far more than the limit allows to be written.
        CFileSizeLimit limit(tagged.size() + 1000);
        if (!limit.Active())
            GTEST_SKIP() << "no file size limits here";
        CAudioMpegFile file;
        file.SetPath(path);
        ASSERT_TRUE(file.IsValid());
        file.SetTitle(std::string(20000, 'x'));
        EXPECT_FALSE(file.WriteTags().Reason().empty());
    }
    EXPECT_EQ(ReadFileBytes(path), tagged) << "the file is as it was";
    EXPECT_EQ(EntryCount(m_dir.Path()), 1u) << "no copy is left behind";
}

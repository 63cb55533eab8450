#include "audio/wav/AudioWaveFile.h"

#include "audio/wav/Riff.h"
#include "io/FileException.h"
#include "support/AudioFiles.h"
#include "support/FileSizeLimit.h"
#include "support/StatusChecks.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/wavfile.h>

namespace
{
std::uint32_t LE32(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return GetLE32(bytes.data() + at);
}

class WaveFile : public testing::Test
{
protected:
    // Writes `samples` of 44100 Hz stereo through the class; returns the path.
    std::string Write(const std::string& name, const std::vector<std::int16_t>& samples,
                      const CWaveFormat& format = CWaveFormat::Pcm44100Stereo())
    {
        return WriteWaveSamples(m_dir.File(name), samples, format);
    }

    static std::vector<std::int16_t> ReadAll(CAudioWaveFile& file)
    {
        return AsSamples(DecodeAll(file));
    }

    CTempDir m_dir;
};
} // namespace

TEST_F(WaveFile, PcmRoundTripKeepsTheLayoutAndEverySampleSeeksAndPads)
{
    const std::vector<std::int16_t> samples = TestSignal(44100 * 5 / 2, 2); // 2.5 s
    const std::string path = Write("pcm.wav", samples);
    const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 46 + samples.size() * 2);
    EXPECT_EQ(LE32(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(LE32(bytes, 16), 18u) << "an 18-byte format block";
    EXPECT_EQ(std::memcmp(&bytes[38], "data", 4), 0);
    EXPECT_EQ(LE32(bytes, 42), samples.size() * 2);

    CAudioWaveFile file;
    file.SetPath(path);
    ASSERT_TRUE(Succeeded(file.Validate()));
    EXPECT_EQ(file.GetLength(), 2500);
    EXPECT_EQ(file.GetSampleRate(), 44100u);
    EXPECT_EQ(file.GetChannels(), 2);
    EXPECT_EQ(file.GetBitsPerSample(), 16);
    EXPECT_EQ(ReadAll(file), samples);

    // A seek goes to the start of its second; past the end nothing is left.
    ASSERT_TRUE(file.BeginDecoding());
    file.Seek(1999);
    EXPECT_EQ(file.GetPosition(), 1000);
    std::int16_t first[2];
    ASSERT_EQ(file.Read(4, 1, first, sizeof first), 4);
    EXPECT_EQ(first[0], samples[44100 * 2]);
    file.Seek(60000);
    EXPECT_LE(file.Read(4, 1, first, sizeof first), 0);
    file.EndDecoding();

    // An odd data chunk gets a pad byte.
    CAudioWaveFile odd;
    odd.CreateForWriting(m_dir.File("odd.wav"), CWaveFormat::Pcm44100Stereo());
    odd.WriteData("abc", 3);
    odd.CloseWriting();
    const std::vector<std::uint8_t> oddBytes = ReadFileBytes(m_dir.File("odd.wav"));
    ASSERT_EQ(oddBytes.size(), 46u + 4);
    EXPECT_EQ(LE32(oddBytes, 42), 3u);
    EXPECT_EQ(oddBytes.back(), 0);
    EXPECT_EQ(LE32(oddBytes, 4), oddBytes.size() - 8);
}

TEST_F(WaveFile, TagsAreAppendedOnceThenOverwrittenAndNeverReadAsAudio)
{
    const std::vector<std::int16_t> samples = TestSignal(4410, 2);
    const std::string path = Write("tags.wav", samples);
    const std::size_t plainSize = ReadFileBytes(path).size();
    CAudioWaveFile file;
    file.SetPath(path);
    file.SetTitle(std::string(70, 't'));
    file.SetArtist("Artist");
    file.SetAlbum("Caf\xC3\xA9 " + std::string(61, 'x') + "\xC3\xA9"); // é across byte 63
    ASSERT_TRUE(Succeeded(file.WriteTags()));
    std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    EXPECT_EQ(LE32(bytes, 4), bytes.size() - 8);
    ASSERT_TRUE(file.WriteTags());
    EXPECT_EQ(ReadFileBytes(path), bytes) << "one set of tag chunks, replaced";
    EXPECT_GT(bytes.size(), plainSize + 216);

    file.SetTitle("Second");
    ASSERT_TRUE(file.WriteTags());

    CAudioWaveFile reread;
    reread.SetPath(path);
    ASSERT_TRUE(reread.IsValid());
    EXPECT_EQ(reread.GetTitle(), "Second");
    EXPECT_EQ(reread.GetArtist(), "Artist");
    EXPECT_EQ(reread.GetAlbum(), "Caf\xC3\xA9 " + std::string(57, 'x')) << "cut before the é";
    EXPECT_EQ(ReadAll(reread), samples);

    CAudioWaveFile longTitle;
    longTitle.SetPath(path);
    longTitle.SetTitle(std::string(70, 't'));
    ASSERT_TRUE(longTitle.WriteTags());
    longTitle.SetPath(path);
    ASSERT_TRUE(longTitle.IsValid());
    EXPECT_EQ(longTitle.GetTitle(), std::string(63, 't'));
}

// Length and position are exact to the millisecond, however the audio is
// read: in odd-sized pieces, plain or compressed.
TEST_F(WaveFile, LengthAndPositionAreExact)
{
    for (const CWaveFormat& format :
         {CWaveFormat::Pcm44100Stereo(), CWaveFormat::ImaAdpcm44100Stereo()})
    {
        const std::vector<std::int16_t> samples = TestSignal(44100 * 5 + 4410, 2);
        CAudioWaveFile file;
        file.SetPath(Write("exact.wav", samples, format));
        ASSERT_TRUE(Succeeded(file.BeginDecoding()));
        // A compressed file's last block is filled up to its full length.
        const bool compressed = format.SampleTag() != kWaveFormatPcm;
        EXPECT_GE(file.GetLength(), 5100);
        EXPECT_LE(file.GetLength(), compressed ? 5147 : 5100);
        std::vector<std::uint8_t> piece(8191);
        std::size_t bytes = 0;
        for (std::int32_t got; (got = file.Read(1, piece.size(), piece.data(), piece.size())) > 0;)
            bytes += static_cast<std::size_t>(got);
        EXPECT_GE(bytes, samples.size() * 2);
        EXPECT_EQ(file.GetPosition(), static_cast<std::int32_t>(bytes / 4 * 1000 / 44100));
        file.EndDecoding();
    }
}

TEST_F(WaveFile, ImaAdpcmRoundTripKeepsTheLayoutAndTheSound)
{
    const std::vector<std::int16_t> samples = TestSignal(44100 * 3 + 123, 2);
    const std::string path = Write("adpcm.wav", samples, CWaveFormat::ImaAdpcm44100Stereo());
    const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    EXPECT_EQ(LE32(bytes, 16), 20u);
    EXPECT_EQ(LE32(bytes, 28), 44251u);
    EXPECT_EQ(std::memcmp(&bytes[40], "data", 4), 0) << "data at offset 48";
    const std::size_t blocks = (samples.size() / 2 + 2040) / 2041;
    EXPECT_EQ(LE32(bytes, 44), blocks * 2048) << "the last block is padded whole";

    CAudioWaveFile file;
    file.SetPath(path);
    ASSERT_TRUE(Succeeded(file.Validate()));
    EXPECT_EQ(file.GetBitsPerSample(), 4);
    EXPECT_EQ(file.GetChannels(), 2);
    const std::vector<std::int16_t> decoded = ReadAll(file);
    ASSERT_GE(decoded.size(), samples.size());
    const double snr = SnrDb(samples, decoded);
    std::cout << "IMA ADPCM round trip SNR: " << snr << " dB\n";
    EXPECT_GT(snr, 20.0);
}

TEST_F(WaveFile, OtherSampleFormatsAreDeliveredAs16Bit)
{
    struct Case
    {
        const char* name;
        CWaveBuilder builder;
        std::vector<std::uint8_t> data;
        std::vector<std::int16_t> expected;
        std::uint16_t bits;
    };
    const float floats[2] = {0.5f, -1.5f};
    const double doubles[2] = {-0.25, 1.0};
    std::vector<std::uint8_t> floatBytes(8), doubleBytes(16);
    std::memcpy(floatBytes.data(), floats, 8);
    std::memcpy(doubleBytes.data(), doubles, 16);
    Case cases[] = {
        {"8-bit", CWaveBuilder().Format(1, 2, 8000, 8, 2), {0x80, 0xFF}, {0, 127 * 256}, 8},
        {"24-bit", CWaveBuilder().Format(1, 1, 8000, 24, 3), {0x11, 0x34, 0x12}, {0x1234}, 24},
        {"32-bit", CWaveBuilder().Format(1, 1, 8000, 32, 4), {1, 2, 0xFE, 0xFF}, {-2}, 32},
        {"float", CWaveBuilder().Format(3, 2, 8000, 32, 8), floatBytes, {16384, -32768}, 32},
        {"double", CWaveBuilder().Format(3, 2, 8000, 64, 16), doubleBytes, {-8192, 32767}, 64},
        {"extensible 24",
         CWaveBuilder().ExtensibleFormat(1, 2, 8000, 24),
         {0, 0, 0x80, 0xFF, 0xFF, 0x7F},
         {-32768, 32767},
         24},
        {"extensible float",
         CWaveBuilder().ExtensibleFormat(3, 1, 8000, 32),
         floatBytes,
         {16384, -32768},
         32},
        {"A-law", CWaveBuilder().Format(6, 1, 8000, 8, 1), {0xD5, 0x2A}, {8, -32256}, 8},
        {"mu-law", CWaveBuilder().Format(7, 1, 8000, 8, 1), {0xFF, 0x00}, {0, -32124}, 8},
    };
    for (Case& c : cases)
    {
        const std::string path = m_dir.File(std::string(c.name) + ".wav");
        c.builder.Chunk("data", c.data).WriteTo(path);
        CAudioWaveFile file;
        file.SetPath(path);
        ASSERT_TRUE(Succeeded(file.Validate())) << c.name;
        EXPECT_EQ(file.GetBitsPerSample(), c.bits) << c.name;
        EXPECT_EQ(ReadAll(file), c.expected) << c.name;
    }
}

TEST_F(WaveFile, MoreThanTwoChannelsAreMixedDownToStereo)
{
    // 5.1: front left, front right, centre, low frequency, back left, back right.
    const std::vector<std::int16_t> frame = {10000, -10000, 7071, 32767, 0, 0};
    CWaveBuilder()
        .Format(1, 6, 48000, 16, 12)
        .Chunk("data", AsBytes(frame))
        .WriteTo(m_dir.File("surround.wav"));
    CAudioWaveFile file;
    file.SetPath(m_dir.File("surround.wav"));
    ASSERT_TRUE(file.IsValid());
    EXPECT_EQ(file.GetChannels(), 2);
    const std::vector<std::int16_t> stereo = ReadAll(file);
    ASSERT_EQ(stereo.size(), 2u);
    EXPECT_NEAR(stereo[0], (10000 + 0.7071 * 7071) / (1 + 0.7071 + 0.7071), 1);
    EXPECT_NEAR(stereo[1], (-10000 + 0.7071 * 7071) / (1 + 0.7071 + 0.7071), 1);
}

TEST_F(WaveFile, HostileHeadersAreRefusedOrClamped)
{
    const std::vector<std::uint8_t> audio = AsBytes(TestSignal(1000, 2));
    struct Case
    {
        const char* name;
        CWaveBuilder builder;
        bool valid;
    };
    Case cases[] = {
        {"not RIFF", CWaveBuilder(), false},
        {"no format", CWaveBuilder().Chunk("data", audio), false},
        {"huge format", CWaveBuilder().ChunkClaiming("fmt ", 0x7FFFFFF0u, {1, 0, 2, 0}), false},
        {"no data", CWaveBuilder().Format(1, 2, 44100, 16, 4), false},
        {"zero rate", CWaveBuilder().Format(1, 2, 0, 16, 4).Chunk("data", audio), false},
        {"no channels", CWaveBuilder().Format(1, 0, 44100, 16, 4).Chunk("data", audio), false},
        {"streamed sizes",
         CWaveBuilder()
             .Format(1, 2, 44100, 16, 4)
             .ChunkClaiming("data", 0xFFFFFFFFu, audio)
             .RiffSize(0xFFFFFFFFu),
         true},
        {"cut short",
         CWaveBuilder().Format(1, 2, 44100, 16, 4).ChunkClaiming("data", 1u << 20, audio), true},
        {"other chunk before the data",
         CWaveBuilder()
             .Format(1, 2, 44100, 16, 4)
             .Chunk("LIST", std::vector<std::uint8_t>(37, 'i'))
             .Chunk("data", audio),
         true},
        {"riff size zero",
         CWaveBuilder().Format(1, 2, 44100, 16, 4).Chunk("data", audio).RiffSize(0), true},
    };
    for (Case& c : cases)
    {
        const std::string path = m_dir.File("hostile.wav");
        WriteFileBytes(path, std::string(c.name) == "not RIFF"
                                 ? std::vector<std::uint8_t>{'R', 'I', 'F', 'X', 0, 0, 0, 0}
                                 : c.builder.Bytes());
        CAudioWaveFile file;
        file.SetPath(path);
        ASSERT_EQ(file.IsValid(), c.valid) << c.name << ": " << file.Validate().Reason();
        if (c.valid)
            EXPECT_EQ(ReadAll(file), AsSamples(audio)) << c.name;
        else
            EXPECT_FALSE(file.Validate().Reason().empty()) << c.name;
    }
}

// MP3 or MS ADPCM inside a WAV: its tags are read and written all the same,
// and only its audio is refused, with the reason.
TEST_F(WaveFile, UndecodableFormatsKeepTheirTags)
{
    const std::string path = m_dir.File("mp3inside.wav");
    CWaveBuilder()
        .Format(0x55, 2, 44100, 0, 1)
        .Chunk("data", std::vector<std::uint8_t>(16000, 0xAB))
        .Chunk("TITL", {'o', 'l', 'd', 0})
        .WriteTo(path);
    CAudioWaveFile file;
    file.SetPath(path);
    ASSERT_TRUE(Succeeded(file.Validate()));
    EXPECT_EQ(file.GetTitle(), "old");
    const Status decoding = file.BeginDecoding();
    EXPECT_EQ(decoding.Reason().rfind("cannot decode this WAV format", 0), 0u) << decoding.Reason();
    file.SetTitle("new");
    ASSERT_TRUE(Succeeded(file.WriteTags()));
    CAudioWaveFile reread;
    reread.SetPath(path);
    ASSERT_TRUE(reread.IsValid());
    EXPECT_EQ(reread.GetTitle(), "new");
}

TEST_F(WaveFile, WriteFailuresRaiseAFileExceptionAndLeaveNoFile)
{
    CAudioWaveFile file;
    const std::string missingFolder = m_dir.File("no/such/folder/out.wav");
    try
    {
        file.CreateForWriting(missingFolder, CWaveFormat::Pcm44100Stereo());
        FAIL() << "created a file in a missing folder";
    }
    catch (const CFileException& error)
    {
        EXPECT_EQ(error.Path(), missingFolder);
        EXPECT_EQ(error.GetCause(), CFileException::kDiskFull);
    }

    // A file size limit stands in for a full disk.
    const std::string path = m_dir.File("full.wav");
    bool thrown = false;
    {
        CFileSizeLimit limit(100000);
        if (!limit.Active())
            GTEST_SKIP() << "no file size limits here";
        try
        {
            file.CreateForWriting(path, CWaveFormat::Pcm44100Stereo());
            const std::vector<std::uint8_t> second = AsBytes(TestSignal(44100, 2));
            file.WriteData(second.data(), second.size());
            file.CloseWriting();
        }
        catch (const CFileException& error)
        {
            thrown = true;
            EXPECT_EQ(error.Path(), path);
            EXPECT_NE(error.Reason().find("write error"), std::string::npos) << error.Reason();
        }
    }
    EXPECT_TRUE(thrown);
    EXPECT_FALSE(std::filesystem::exists(path)) << "no half-written file is left";
}

// Tags never hide or overwrite another program's trailer, and never go
// where the chunk walk does not look (found by fuzzing: behind a stray byte,
// inside a last chunk that claims more than the file holds, or into a set
// whose artist chunk was not the first of its name); a streamed file's tags
// are not taken for audio.
TEST_F(WaveFile, NewTagsAlwaysReadBackOrTheFileIsLeftAlone)
{
    const std::vector<std::uint8_t> audio = AsBytes(TestSignal(100, 2));
    const std::vector<std::uint8_t> field(64, 'x');
    const auto plain = [&]
    { return CWaveBuilder().Format(1, 2, 44100, 16, 4).Chunk("data", audio); };
    struct Case
    {
        const char* name;
        std::vector<std::uint8_t> bytes;
        bool written;
        std::vector<std::uint8_t> kept = {}; // another program's chunk body
        const char* error = "";
    };
    const std::vector<std::uint8_t> list = {'I', 'N', 'F', 'O', 'k', 'e', 'e', 'p'};
    std::vector<std::uint8_t> strayByte = plain().Bytes();
    strayByte.push_back(0x55);
    std::vector<std::uint8_t> strayInList = plain().Bytes();
    strayInList.insert(strayInList.end(), {1, 2, 3});
    const auto riffSize = static_cast<std::uint32_t>(strayInList.size() - 8);
    for (int i = 0; i < 4; ++i)
        strayInList[4 + i] = static_cast<std::uint8_t>(riffSize >> (8 * i));
    std::vector<std::uint8_t> trailer = plain().Bytes();
    std::string tag = "TAGsomebody else's tag";
    tag.resize(128, ' ');
    trailer.insert(trailer.end(), tag.begin(), tag.end());
    const Case cases[] = {
        {"another program's trailer", trailer, false, {}, "other data after its chunks"},
        {"stray byte after the list", strayByte, false},
        {"short chunk header in the list", strayInList, false},
        {"last chunk claims more",
         plain().ChunkClaiming("LIST", 1000, {'I', 'N', 'F', 'O'}).Bytes(), true},
        {"short title, then another program's chunk",
         plain().Chunk("TITL", {'o', 'l', 'd', 0}).Chunk("LIST", list).Bytes(), true, list},
        {"streamed sizes",
         CWaveBuilder()
             .Format(1, 2, 44100, 16, 4)
             .ChunkClaiming("data", 0xFFFFFFFFu, audio)
             .RiffSize(0xFFFFFFFFu)
             .Bytes(),
         true},
        {"second artist chunk",
         plain()
             .Chunk("INTR", field)
             .Chunk("TITL", field)
             .Chunk("INTR", field)
             .Chunk("ALBU", field)
             .Bytes(),
         true},
    };
    for (const Case& c : cases)
    {
        const std::string path = m_dir.File("tags.wav");
        WriteFileBytes(path, c.bytes);
        CAudioWaveFile file;
        file.SetPath(path);
        file.SetTitle("New");
        file.SetArtist("Someone");
        const Status written = file.WriteTags();
        ASSERT_EQ(written.Ok(), c.written) << c.name << ": " << written.Reason();
        if (!c.written)
        {
            EXPECT_EQ(ReadFileBytes(path), c.bytes) << c.name;
            EXPECT_NE(written.Reason().find(c.error), std::string::npos) << written.Reason();
            continue;
        }
        const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
        EXPECT_EQ(LE32(bytes, 4), bytes.size() - 8) << c.name;
        EXPECT_NE(std::search(bytes.begin(), bytes.end(), c.kept.begin(), c.kept.end()),
                  bytes.end())
            << c.name;
        file.SetPath(path);
        ASSERT_TRUE(file.IsValid()) << c.name;
        EXPECT_EQ(file.GetTitle(), "New") << c.name;
        EXPECT_EQ(file.GetArtist(), "Someone") << c.name;
        EXPECT_EQ(ReadAll(file), AsSamples(audio)) << c.name;
    }
}

// Tags written by other programs are read where ours are missing, and an
// edit reaches every place they look, their other fields kept.
TEST_F(WaveFile, TagsAreSharedWithOtherPrograms)
{
    const std::string path = Write("shared.wav", TestSignal(4410, 2));
    {
        TagLib::RIFF::WAV::File other(path.c_str());
        other.InfoTag()->setTitle("Info title");
        other.InfoTag()->setFieldText("ICMT", "kept comment");
        other.ID3v2Tag()->setArtist("Id3 artist");
        other.ID3v2Tag()->setAlbum("Id3 album");
        other.ID3v2Tag()->setTrack(7);
        other.InfoTag()->setAlbum("Info album");
        ASSERT_TRUE(other.save());
    }
    CAudioWaveFile file;
    file.SetPath(path);
    ASSERT_TRUE(Succeeded(file.Validate()));
    EXPECT_EQ(file.GetTitle(), "Info title");
    EXPECT_EQ(file.GetArtist(), "Id3 artist");
    EXPECT_EQ(file.GetAlbum(), "Info album") << "the INFO list comes before the ID3 tag";

    file.SetTitle("\xE6\x9B\xB2 New");
    file.SetArtist("");
    ASSERT_TRUE(Succeeded(file.WriteTags()));
    TagLib::RIFF::WAV::File other(path.c_str());
    ASSERT_TRUE(other.isValid());
    EXPECT_EQ(other.ID3v2Tag()->title().to8Bit(true), "\xE6\x9B\xB2 New");
    EXPECT_EQ(other.ID3v2Tag()->artist().to8Bit(true), "");
    EXPECT_EQ(other.ID3v2Tag()->album().to8Bit(true), "Info album");
    EXPECT_EQ(other.ID3v2Tag()->track(), 7u);
    EXPECT_EQ(other.InfoTag()->fieldText("ICMT").to8Bit(true), "kept comment");
    EXPECT_EQ(other.InfoTag()->artist().to8Bit(true), "");
    EXPECT_EQ(other.InfoTag()->album().to8Bit(true), "Info album");
    EXPECT_EQ(ReadAll(file), TestSignal(4410, 2));
}

#include "check/MP3Check.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace
{
// Header word from its fields, in the order they stand in the header.
std::uint32_t Word(unsigned version, unsigned layer, unsigned protection, unsigned bitrateIndex,
                   unsigned rateIndex, unsigned padding, unsigned mode)
{
    return 0xFFE00000u | version << 19 | layer << 17 | protection << 16 | bitrateIndex << 12 |
           rateIndex << 10 | padding << 9 | mode << 6;
}

// Field values as they stand in the header bits.
constexpr unsigned kMpeg25 = 0, kVersionReserved = 1, kMpeg2 = 2, kMpeg1 = 3;
constexpr unsigned kLayerReserved = 0, kLayer3 = 1, kLayer2 = 2, kLayer1 = 3;
constexpr unsigned kStereo = 0, kJoint = 1, kDual = 2, kMono = 3;

// The names of the flags that are set, in field order, so that one
// comparison shows both what is set and that nothing else is.
std::string Flags(const MP3FrameInfo& f)
{
    const std::pair<const char*, std::int16_t MP3FrameInfo::*> kFlags[] = {
        {"mpeg1", &MP3FrameInfo::isMpeg1},
        {"mpeg2", &MP3FrameInfo::isMpeg2},
        {"mpeg25", &MP3FrameInfo::isMpeg25},
        {"version?", &MP3FrameInfo::isVersionReserved},
        {"L1", &MP3FrameInfo::isLayer1},
        {"L2", &MP3FrameInfo::isLayer2},
        {"L3", &MP3FrameInfo::isLayer3},
        {"layer?", &MP3FrameInfo::isLayerReserved},
        {"crc", &MP3FrameInfo::isProtected},
        {"pad", &MP3FrameInfo::isPadded},
        {"private", &MP3FrameInfo::isPrivate},
        {"stereo", &MP3FrameInfo::isStereo},
        {"joint", &MP3FrameInfo::isJointStereo},
        {"dual", &MP3FrameInfo::isDualChannel},
        {"mono", &MP3FrameInfo::isSingleChannel},
        {"modext", &MP3FrameInfo::hasModeExtension},
        {"(c)", &MP3FrameInfo::isCopyright},
        {"orig", &MP3FrameInfo::isOriginal},
        {"emph-", &MP3FrameInfo::emphasisNone},
        {"emph50/15", &MP3FrameInfo::emphasis5015},
        {"emph?", &MP3FrameInfo::emphasisReserved},
        {"emphCCITT", &MP3FrameInfo::emphasisCCITT},
        {"valid", &MP3FrameInfo::valid}};
    std::string names;
    for (const auto& [name, member] : kFlags)
        if (f.*member)
            names += names.empty() ? name : std::string(" ") + name;
    return names;
}

MP3FrameInfo Decode(std::uint32_t word)
{
    MP3FrameInfo frame;
    CMP3Check::DecodeHeader(word, frame);
    return frame;
}
} // namespace

TEST(MP3HeaderDecode, CommonMpeg1Layer3HeaderDecodesEveryField)
{
    MP3FrameInfo f;
    EXPECT_EQ(CMP3Check::DecodeHeader(0xFFFB9064u, f), 1);
    EXPECT_EQ(Flags(f), "mpeg1 L3 joint modext orig emph- valid");
    EXPECT_EQ(f.bitrate, 128);
    EXPECT_EQ(f.sampleRate, 44100);
    EXPECT_EQ(f.frameLength, 417);
    EXPECT_STREQ(f.bitText, "11111111111110111001000001100100");
    EXPECT_EQ(f.headerWord, 0xFFFB9064u);

    EXPECT_EQ(Decode(0xFFFB9264u).frameLength, 418);
}

TEST(MP3HeaderDecode, FlagsOfEveryModeEmphasisAndSingleBit)
{
    EXPECT_EQ(Flags(Decode(0xFFFA9064u | 1u << 8 | 1u << 3 | 0x3u)),
              "mpeg1 L3 crc private joint modext (c) orig emphCCITT valid");
    EXPECT_EQ(Flags(Decode(Word(kMpeg1, kLayer3, 1, 9, 0, 1, kStereo) | 0x1u)),
              "mpeg1 L3 pad stereo emph50/15 valid");
    EXPECT_EQ(Flags(Decode(Word(kMpeg2, kLayer2, 1, 9, 0, 0, kDual))), "mpeg2 L2 dual emph- valid");
    // A reserved emphasis is recorded but does not make the header unusable.
    EXPECT_EQ(Flags(Decode(Word(kMpeg25, kLayer1, 1, 9, 0, 0, kMono) | 0x2u)),
              "mpeg25 L1 mono emph? valid");
}

struct LengthCase
{
    const char* name;
    std::uint32_t word;
    int bitrate;
    int sampleRate;
    int frameLength;
};

class MP3FrameLength : public testing::TestWithParam<LengthCase>
{
};

TEST_P(MP3FrameLength, FollowsTheFormulaOfItsLayerAndVersion)
{
    const LengthCase& c = GetParam();
    MP3FrameInfo f = Decode(c.word);
    EXPECT_EQ(f.bitrate, c.bitrate);
    EXPECT_EQ(f.sampleRate, c.sampleRate);
    EXPECT_EQ(f.frameLength, c.frameLength);
    EXPECT_EQ(f.valid, 1);
}

using L = LengthCase;
INSTANTIATE_TEST_SUITE_P(
    AllLayers, MP3FrameLength,
    testing::Values(
        L{"Mpeg2Layer3", Word(kMpeg2, kLayer3, 1, 8, 0, 0, kJoint), 64, 22050, 208},
        L{"Mpeg25Layer3", Word(kMpeg25, kLayer3, 1, 1, 2, 0, kJoint), 8, 8000, 72},
        L{"Mpeg1Layer1", Word(kMpeg1, kLayer1, 1, 1, 1, 0, kStereo), 32, 48000, 32},
        L{"Mpeg1Layer1Padded", Word(kMpeg1, kLayer1, 1, 12, 0, 1, kStereo), 384, 44100, 420},
        L{"Mpeg1Layer2", Word(kMpeg1, kLayer2, 1, 13, 1, 0, kStereo), 320, 48000, 960},
        L{"Mpeg2Layer2", Word(kMpeg2, kLayer2, 1, 14, 1, 0, kStereo), 160, 24000, 960},
        L{"Mpeg2Layer1", Word(kMpeg2, kLayer1, 1, 1, 1, 0, kStereo), 32, 24000, 64},
        L{"Mpeg1Layer3At32k", Word(kMpeg1, kLayer3, 1, 14, 2, 1, kStereo), 320, 32000, 1441},
        // The remaining sampling rates, and the first step of each table.
        L{"Mpeg2Layer3At16k", Word(kMpeg2, kLayer3, 1, 2, 2, 0, kMono), 16, 16000, 72},
        L{"Mpeg25Layer3At11k", Word(kMpeg25, kLayer3, 1, 14, 0, 0, kMono), 160, 11025, 1044},
        L{"Mpeg25Layer2At12k", Word(kMpeg25, kLayer2, 1, 1, 1, 0, kMono), 8, 12000, 96},
        L{"Mpeg1Layer3First", Word(kMpeg1, kLayer3, 1, 1, 0, 0, kMono), 32, 44100, 104},
        L{"Mpeg1Layer2Last", Word(kMpeg1, kLayer2, 1, 14, 0, 0, kStereo), 384, 44100, 1253}),
    [](const testing::TestParamInfo<LengthCase>& param) { return param.param.name; });

TEST(MP3HeaderDecode, AllOnesHasSyncButNoBitrateOrRate)
{
    MP3FrameInfo f = Decode(0xFFFFFFFFu);
    EXPECT_EQ(Flags(f), "mpeg1 L1 pad private mono (c) orig emphCCITT");
    EXPECT_EQ(f.bitrate, 0);
    EXPECT_EQ(f.sampleRate, 0);
    EXPECT_EQ(f.frameLength, 0);
    EXPECT_EQ(f.valid, 0);
}

TEST(MP3HeaderDecode, WithoutSyncOnlyBitTextAndWordAreFilled)
{
    for (std::uint32_t word : {0x00000000u, 0xFFDFFFFFu, 0x7FFFFFFFu, 0xFFC00000u})
    {
        MP3FrameInfo f;
        EXPECT_EQ(CMP3Check::DecodeHeader(word, f), 0);
        EXPECT_EQ(Flags(f), "") << std::hex << word;
        EXPECT_EQ(f.frameLength + f.bitrate + f.sampleRate, 0);
        EXPECT_EQ(f.headerWord, word);
        EXPECT_EQ(f.bitText[0], word >> 31 ? '1' : '0');
    }
}

// Bitrate 1 stands for the free format; a field left unknown reads as 0. The
// free format's length is computed regardless of validity.
TEST(MP3HeaderDecode, EachReservedOrForbiddenFieldMakesTheHeaderUnusable)
{
    const struct
    {
        std::uint32_t word;
        const char* flags;
        int bitrate, sampleRate;
        bool hasLength;
    } cases[] = {
        {Word(kMpeg1, kLayer3, 1, 0, 0, 0, kJoint), "mpeg1 L3 joint modext emph-", 1, 44100, true},
        {Word(kMpeg1, kLayer3, 1, 15, 0, 0, kJoint), "mpeg1 L3 joint modext emph-", 0, 44100,
         false},
        {Word(kMpeg1, kLayer3, 1, 9, 3, 0, kJoint), "mpeg1 L3 joint modext emph-", 128, 0, false},
        {Word(kVersionReserved, kLayer3, 1, 9, 0, 0, kJoint), "version? L3 joint modext emph-", 0,
         0, false},
        {Word(kMpeg1, kLayerReserved, 1, 9, 0, 0, kJoint), "mpeg1 layer? joint modext emph-", 0,
         44100, false},
    };
    for (const auto& c : cases)
    {
        const MP3FrameInfo f = Decode(c.word);
        EXPECT_EQ(Flags(f), c.flags) << std::hex << c.word;
        EXPECT_EQ(f.bitrate, c.bitrate) << std::hex << c.word;
        EXPECT_EQ(f.sampleRate, c.sampleRate) << std::hex << c.word;
        EXPECT_EQ(f.frameLength != 0, c.hasLength) << std::hex << c.word;
    }
}

TEST(MP3HeaderDecode, Mpeg1Layer2BitrateMustSuitTheChannelMode)
{
    // Index 1 is 32 kbit/s, index 11 is 224 kbit/s in MPEG-1 Layer II.
    EXPECT_EQ(Decode(Word(kMpeg1, kLayer2, 1, 1, 0, 0, kMono)).valid, 1);
    EXPECT_EQ(Decode(Word(kMpeg1, kLayer2, 1, 1, 0, 0, kStereo)).valid, 0);
    for (unsigned index : {1u, 2u, 3u, 5u})
        EXPECT_EQ(Decode(Word(kMpeg1, kLayer2, 1, index, 0, 0, kJoint)).valid, 0) << index;
    for (unsigned mode : {kStereo, kJoint, kDual})
        EXPECT_EQ(Decode(Word(kMpeg1, kLayer2, 1, 11, 0, 0, mode)).valid, 1) << mode;
    for (unsigned index : {11u, 12u, 13u, 14u})
        EXPECT_EQ(Decode(Word(kMpeg1, kLayer2, 1, index, 0, 0, kMono)).valid, 0) << index;
    // The restriction is MPEG-1's only.
    EXPECT_EQ(Decode(Word(kMpeg2, kLayer2, 1, 4, 0, 0, kStereo)).valid, 1);
    EXPECT_EQ(Decode(Word(kMpeg1, kLayer3, 1, 1, 0, 0, kStereo)).valid, 1);
}

TEST(MP3HeaderDecode, MatchBitsComparesAtTheBitPosition)
{
    const char* bits = "11111111111110111001000001100100";
    EXPECT_TRUE(CMP3Check::MatchBits(bits, "11111111111", 31));
    EXPECT_TRUE(CMP3Check::MatchBits(bits, "11", 20));
    EXPECT_TRUE(CMP3Check::MatchBits(bits, "01", 18));
    EXPECT_FALSE(CMP3Check::MatchBits(bits, "11", 18));
    EXPECT_TRUE(CMP3Check::MatchBits(bits, "00", 1));
    EXPECT_TRUE(CMP3Check::MatchBits(bits, "", 5));
    // A pattern that would run past the last bit never matches.
    EXPECT_FALSE(CMP3Check::MatchBits(bits, "00", 0));
    EXPECT_FALSE(CMP3Check::MatchBits(bits, "1", 32));
}

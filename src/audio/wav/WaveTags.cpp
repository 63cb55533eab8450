#include "audio/wav/WaveTags.h"

#include "audio/CarriedTags.h"
#include "audio/wav/Riff.h"
#include "audio/wav/RiffInfo.h"
#include "io/Paths.h"
#include "io/TemporaryFile.h"
#include "io/Text.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

namespace
{
constexpr std::size_t kTagTextBytes = 63; // a 64-byte field keeps its closing zero
constexpr std::uint32_t kTagChunkSize = 64;
const char* const kTagIds[3] = {"TITL", "INTR", "ALBU"};
const char* const kInfoIds[3] = {"INAM", "IART", "IPRD"};
// The INFO list's fields for the common tag names.
const std::pair<const char*, const char*> kInfoFields[] = {
    {"INAM", "TITLE"}, {"IART", "ARTIST"}, {"IPRD", "ALBUM"},      {"ICMT", "COMMENT"},
    {"IGNR", "GENRE"}, {"ICRD", "DATE"},   {"ITRK", "TRACKNUMBER"}};
// Real INFO lists hold a few short texts and ID3 tags a cover at most;
// anything larger is damage and is not read into memory.
constexpr std::size_t kMaxInfoList = 1 << 20;
constexpr std::size_t kMaxId3Chunk = 16 << 20;

bool IsOwnTagChunk(const RiffChunk& chunk)
{
    return chunk.Is(kTagIds[0]) || chunk.Is(kTagIds[1]) || chunk.Is(kTagIds[2]);
}

bool IsId3Chunk(const RiffChunk& chunk)
{
    return chunk.Is("id3 ") || chunk.Is("ID3 ");
}

bool IsInfoList(CRiffReader& riff, const RiffChunk& chunk)
{
    std::vector<std::uint8_t> form;
    return chunk.Is("LIST") && riff.ReadData(chunk, form, 4) && form.size() == 4 &&
           std::memcmp(form.data(), "INFO", 4) == 0;
}

std::vector<std::uint8_t> TagField(const std::string& text)
{
    const std::string cut = CutUtf8(text, kTagTextBytes);
    std::vector<std::uint8_t> field(kTagChunkSize, 0);
    std::memcpy(field.data(), cut.data(), cut.size());
    return field;
}

void PutChunk(std::vector<std::uint8_t>& out, const char* id, const std::vector<std::uint8_t>& data)
{
    std::uint8_t header[8];
    std::memcpy(header, id, 4);
    PutLE32(header + 4, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), header, header + 8);
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() & 1u)
        out.push_back(0);
}

// What the chunk walk of a file found: its chunks, where the walk ends,
// and the tags in the places other programs use.
struct ChunkWalk
{
    std::vector<RiffChunk> chunks;
    std::uint64_t end = CRiffReader::kFirstChunk;
    std::vector<RiffInfoField> info; // of every INFO list, in order
    std::vector<std::uint8_t> id3;   // the first ID3 chunk's data
    std::vector<bool> replaced;      // per chunk: one of ours, INFO or ID3
};

ChunkWalk Walk(CRiffReader& riff)
{
    ChunkWalk walk;
    bool haveId3 = false;
    RiffChunk chunk;
    for (; riff.ChunkAt(walk.end, chunk); walk.end = chunk.End())
    {
        walk.chunks.push_back(chunk);
        bool replaced = IsOwnTagChunk(chunk);
        std::vector<std::uint8_t> data;
        if (IsInfoList(riff, chunk) && chunk.size <= kMaxInfoList &&
            riff.ReadData(chunk, data, chunk.size))
        {
            // A list that does not parse whole is left to its program.
            std::vector<RiffInfoField> fields;
            replaced = ParseRiffInfo(data, fields) && data.size() == chunk.size;
            if (replaced)
                walk.info.insert(walk.info.end(), fields.begin(), fields.end());
        }
        else if (IsId3Chunk(chunk))
        {
            replaced = true;
            if (!haveId3 && chunk.size <= kMaxId3Chunk && riff.ReadData(chunk, data, chunk.size))
            {
                walk.id3 = std::move(data);
                haveId3 = true;
            }
        }
        walk.replaced.push_back(replaced);
    }
    return walk;
}
} // namespace

WaveTexts ReadWaveTexts(CRiffReader& riff)
{
    std::string texts[3];
    bool found[3] = {false, false, false};
    RiffChunk chunk;
    for (std::uint64_t at = CRiffReader::kFirstChunk; riff.ChunkAt(at, chunk); at = chunk.End())
    {
        for (int i = 0; i < 3; ++i)
        {
            std::vector<std::uint8_t> bytes;
            if (found[i] || !chunk.Is(kTagIds[i]) || !riff.ReadData(chunk, bytes, kTagChunkSize))
                continue;
            const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
            texts[i] = Utf8FromLegacy(std::string(bytes.begin(), end));
            found[i] = true;
        }
    }
    if (!(found[0] && found[1] && found[2]))
    {
        const ChunkWalk walk = Walk(riff);
        const CarriedTags id3 = walk.id3.empty() ? CarriedTags{} : CarriedTagsOfId3v2(walk.id3);
        const std::string fromId3[3] = {id3.First("TITLE"), id3.First("ARTIST"),
                                        id3.First("ALBUM")};
        for (int i = 0; i < 3; ++i)
        {
            if (found[i])
                continue;
            texts[i] = Utf8FromLegacy(RiffInfoText(walk.info, kInfoIds[i]));
            if (texts[i].empty())
                texts[i] = fromId3[i];
        }
    }
    return {texts[0], texts[1], texts[2]};
}

namespace
{
// The chunks that go after every other one, in this order: ours, the INFO
// list, the ID3 tag.
std::vector<std::uint8_t> TagChunks(const CarriedTags& tags, ChunkWalk& walk)
{
    std::vector<std::uint8_t> tail;
    PutChunk(tail, kTagIds[0], TagField(tags.First("TITLE")));
    PutChunk(tail, kTagIds[1], TagField(tags.First("ARTIST")));
    PutChunk(tail, kTagIds[2], TagField(tags.First("ALBUM")));
    std::vector<std::pair<std::string, std::string>> info;
    for (const auto& [id, name] : kInfoFields)
        if (tags.fields.count(name) != 0)
            info.emplace_back(id, tags.First(name));
    SetRiffInfoFields(walk.info, info);
    if (!walk.info.empty())
        PutChunk(tail, "LIST", RenderRiffInfo(walk.info));
    const std::vector<std::uint8_t> id3 = Id3v2TagUpdatedWith(walk.id3, tags);
    if (!id3.empty())
        PutChunk(tail, "id3 ", id3);
    return tail;
}

} // namespace

Status WriteWaveTags(const std::string& path, const CarriedTags& tags)
{
    CDiskFile file;
    if (!file.Open(path, CDiskFile::Mode::Read))
        return Status::Failure(file.ErrorText());
    CRiffReader riff(file);
    if (Status failed = riff.ReadWaveHeader(); !failed)
        return failed;
    ChunkWalk walk = Walk(riff);
    const std::uint64_t fileSize = riff.FileSize();

    // The tag chunks at the very end are cut off and written anew, so that
    // edits do not make the file grow; those elsewhere become padding.
    std::size_t keep = walk.chunks.size();
    while (keep > 0 && (walk.replaced[keep - 1] || walk.chunks[keep - 1].Is("JUNK")))
        --keep;
    std::uint64_t base = keep < walk.chunks.size() ? walk.chunks[keep].HeaderOffset() : walk.end;
    // A last chunk that claims more than the file holds (a streamed data
    // chunk) is settled to what is there, or it would swallow the tags.
    bool settle = false;
    std::uint32_t held = 0;
    if (keep == walk.chunks.size() && keep > 0)
    {
        const RiffChunk& last = walk.chunks.back();
        held = riff.Available(last);
        if (held < last.size)
        {
            settle = true;
            base = last.dataOffset + held + (held & 1u);
        }
    }
    // Bytes the walk does not cover belong to some other program (an
    // appended tag, say): they can be neither kept behind new chunks, where
    // no one would find them, nor overwritten.
    if (walk.end < fileSize)
        return Status::Failure("the file has other data after its chunks; no tags were added");
    // The last chunk's pad byte, when the file lacks it, comes first.
    std::vector<std::uint8_t> tail(base > fileSize ? base - fileSize : 0, 0);
    const std::vector<std::uint8_t> chunks = TagChunks(tags, walk);
    tail.insert(tail.end(), chunks.begin(), chunks.end());
    const std::uint64_t start = std::min(base, fileSize);
    const std::uint64_t end = start + tail.size();
    if (end - 8 > 0xFFFFFFFFull)
        return Status::Failure("the file is too large for more chunks");
    file.Close();

    CTemporaryFile temporary;
    if (Status failed = temporary.CreateCopy(FollowLinks(path), path); !failed)
        return failed;
    std::error_code cut;
    std::filesystem::resize_file(PathFromUtf8(temporary.Path()), start, cut);
    if (cut)
        return Status::Failure(cut.message());
    CDiskFile copy;
    if (!copy.Open(temporary.Path(), CDiskFile::Mode::ReadWrite))
        return Status::Failure(copy.ErrorText());
    for (std::size_t i = 0; i < keep; ++i)
        if (walk.replaced[i] &&
            (!copy.Seek(walk.chunks[i].HeaderOffset()) || !copy.Write("JUNK", 4)))
            return Status::Failure(copy.ErrorText());
    if (settle)
    {
        std::uint8_t size[4];
        PutLE32(size, held);
        if (!copy.Seek(walk.chunks.back().dataOffset - 4) || !copy.Write(size, 4))
            return Status::Failure(copy.ErrorText());
    }
    std::uint8_t riffSize[4];
    PutLE32(riffSize, static_cast<std::uint32_t>(end - 8));
    if (!copy.Seek(start) || !copy.Write(tail.data(), tail.size()) || !copy.Seek(4) ||
        !copy.Write(riffSize, 4))
        return Status::Failure(copy.ErrorText());
    copy.Close();
    return temporary.Commit();
}

#include "audio/ogg/OggCommentRewriter.h"

#include "audio/FieldEdits.h"
#include "io/Paths.h"
#include "io/TemporaryFile.h"

#include <algorithm>
#include <filesystem>
#include <limits>

namespace fs = std::filesystem;

namespace
{
constexpr std::size_t kChunkSize = 4096;
// Real header and audio packets are far smaller; a packet that grows past
// this is damage, and would otherwise be held in memory whole.
constexpr long kMaxPendingBytes = 64L << 20;
constexpr std::size_t kWriteBufferSize = 1 << 16;

const char* const kWriteError =
    "Error writing stream to output. Output stream may be corrupted or truncated.";
const char* const kNoAudioError = "The Vorbis stream holds no audio.";

int Failed(CommentEditState& state, const char* message)
{
    state.lastError = message;
    ClearState(state);
    return -1;
}

// Reads one chunk into the sync state: the bytes read, 0 at the end or on
// an error (which marks the input broken).
std::int64_t ReadChunk(CommentEditState& state)
{
    char* buffer = ogg_sync_buffer(state.sync->Get(), static_cast<long>(kChunkSize));
    if (!buffer)
    {
        state.inputBroken = true;
        return 0;
    }
    const std::int64_t got = state.read(reinterpret_cast<std::uint8_t*>(buffer), kChunkSize);
    if (got < 0)
    {
        state.inputBroken = true;
        return 0;
    }
    ogg_sync_wrote(state.sync->Get(), static_cast<long>(got));
    return got;
}

// The next complete page already in the sync state, skipping damage.
bool PageInSync(CommentEditState& state, ogg_page& page)
{
    int result;
    while ((result = ogg_sync_pageout(state.sync->Get(), &page)) < 0)
    {
    }
    return result == 1;
}

// The next complete page, reading as needed; false when the input ends.
bool ReadPage(CommentEditState& state, ogg_page& page)
{
    while (!PageInSync(state, page))
        if (ReadChunk(state) == 0)
            return false;
    return true;
}

std::vector<std::uint8_t> CopyPacket(const ogg_packet& packet)
{
    return std::vector<std::uint8_t>(packet.packet, packet.packet + packet.bytes);
}

// Takes the comment and setup headers that follow the identification header.
int ReadSecondaryHeaders(CommentEditState& state)
{
    int taken = 0;
    ogg_page page;
    ogg_packet packet;
    while (taken < 2)
    {
        if (!PageInSync(state, page))
        {
            if (ReadChunk(state) == 0)
                return Failed(state, "EOF before end of vorbis headers.");
            continue;
        }
        // Another stream before the headers are complete is multiplexed with
        // this one; its pages could not be kept in their places.
        if (ogg_page_serialno(&page) != state.serial ||
            ogg_stream_pagein(state.stream->Get(), &page) < 0 ||
            state.stream->Pending() > kMaxPendingBytes)
            return Failed(state, "Corrupt secondary header.");
        while (taken < 2)
        {
            const int result = ogg_stream_packetout(state.stream->Get(), &packet);
            if (result == 0)
                break;
            if (result < 0 ||
                vorbis_synthesis_headerin(state.info->Get(), state.comment->Get(), &packet) < 0)
                return Failed(state, "Corrupt secondary header.");
            if (taken == 1)
                state.bookHeader = CopyPacket(packet);
            ++taken;
        }
    }
    return 0;
}

void PutLE32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutText(std::vector<std::uint8_t>& out, const char* text, std::size_t length)
{
    PutLE32(out, static_cast<std::uint32_t>(length));
    out.insert(out.end(), text, text + length);
}

// The comment header in its published layout, with the file's own vendor.
bool BuildCommentPacket(const CommentEditState& state, std::vector<std::uint8_t>& out)
{
    constexpr std::size_t kMax = std::numeric_limits<std::uint32_t>::max();
    if (state.vendor.size() > kMax || state.comments.size() > kMax)
        return false;
    out = {3, 'v', 'o', 'r', 'b', 'i', 's'};
    PutText(out, state.vendor.data(), state.vendor.size());
    PutLE32(out, static_cast<std::uint32_t>(state.comments.size()));
    for (const std::string& comment : state.comments)
    {
        if (comment.size() > kMax)
            return false;
        PutText(out, comment.data(), comment.size());
    }
    out.push_back(1);
    return true;
}

ogg_packet HeaderPacket(std::vector<std::uint8_t>& bytes, long number)
{
    ogg_packet packet{};
    packet.packet = bytes.data();
    packet.bytes = static_cast<long>(bytes.size());
    packet.b_o_s = number == 0 ? 1 : 0;
    packet.granulepos = 0;
    packet.packetno = number;
    return packet;
}

bool WritePage(CommentEditState& state, const ogg_page& page)
{
    return state.write(page.header, static_cast<std::size_t>(page.header_len)) &&
           state.write(page.body, static_cast<std::size_t>(page.body_len));
}

// Writes the pages the output stream gives: complete ones only, or with
// `flush` also the last partial one.
bool WritePages(CommentEditState& state, COggStream& out, bool flush)
{
    ogg_page page;
    while (flush ? ogg_stream_flush(out.Get(), &page) : ogg_stream_pageout(out.Get(), &page))
        if (!WritePage(state, page))
            return false;
    return true;
}

bool WriteHeaders(CommentEditState& state, COggStream& out)
{
    std::vector<std::uint8_t> commentPacket;
    if (!BuildCommentPacket(state, commentPacket))
        return false;
    ogg_packet packets[3] = {HeaderPacket(state.mainHeader, 0), HeaderPacket(commentPacket, 1),
                             HeaderPacket(state.bookHeader, 2)};
    for (ogg_packet& packet : packets)
        ogg_stream_packetin(out.Get(), &packet);
    // Audio starts on a page of its own.
    return WritePages(state, out, true);
}

// Re-pages the audio packets. Packets that carried a granule position keep
// it; the others get the running count of samples. Where the file's own
// count is smaller (samples trimmed at the start or end) the page is ended
// at that packet, as the trim is only understood at the end of a page.
bool WriteAudio(CommentEditState& state, COggStream& out)
{
    ogg_int64_t granule = 0;
    bool flushPending = false;
    bool pageOutPending = false;
    bool anyAudio = false;
    ogg_packet packet;
    while (FetchPacket(state, packet))
    {
        anyAudio = true;
        granule += BlockSize(state, packet);
        if ((flushPending || pageOutPending) && !WritePages(state, out, flushPending))
            return false;
        flushPending = pageOutPending = false;
        if (packet.granulepos == -1)
        {
            packet.granulepos = granule;
        }
        else if (granule > packet.granulepos)
        {
            granule = packet.granulepos;
            flushPending = true;
        }
        else
        {
            // A stream that starts later than zero counts on from its own
            // position, so the positions never run backwards.
            granule = packet.granulepos;
            pageOutPending = true;
        }
        ogg_stream_packetin(out.Get(), &packet);
    }
    if (state.inputBroken)
        return false;
    // Players pass over a stream without audio and show the comments of the
    // next one: new comments here would never be seen.
    if (!anyAudio)
    {
        state.lastError = kNoAudioError;
        return false;
    }
    out.Get()->e_o_s = 1;
    return WritePages(state, out, true);
}

// Copies every remaining page of the input as it stands.
bool CopyRest(CommentEditState& state)
{
    ogg_page page;
    for (;;)
    {
        const int result = ogg_sync_pageout(state.sync->Get(), &page);
        if (result < 0)
        {
            state.lastError = "Corrupt or missing data, continuing...";
        }
        else if (result > 0)
        {
            if (!WritePage(state, page))
                return false;
        }
        else if (ReadChunk(state) == 0)
        {
            state.eosIn = true;
            return !state.inputBroken;
        }
    }
}

bool WriteAll(CommentEditState& state)
{
    COggStream out(state.serial);
    if (!WriteHeaders(state, out) || !WriteAudio(state, out))
        return false;
    if (state.extraPage && !state.write(state.otherPage.data(), state.otherPage.size()))
        return false;
    return CopyRest(state);
}

// Collects the output in large blocks, so that each small page does not
// cost a call into the system.
class CBufferedOutput
{
public:
    explicit CBufferedOutput(CDiskFile& file) : m_file(file) { m_buffer.reserve(kWriteBufferSize); }

    bool Write(const std::uint8_t* data, std::size_t count)
    {
        if (m_buffer.size() + count > kWriteBufferSize && !Flush())
            return false;
        if (count >= kWriteBufferSize)
            return m_file.Write(data, count);
        m_buffer.insert(m_buffer.end(), data, data + count);
        return true;
    }
    bool Flush()
    {
        const bool ok = m_file.Write(m_buffer.data(), m_buffer.size());
        m_buffer.clear();
        return ok;
    }

private:
    CDiskFile& m_file;
    std::vector<std::uint8_t> m_buffer;
};

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return a == b || fs::equivalent(PathFromUtf8(a), PathFromUtf8(b), error);
}

bool OpenCommentFile(TagWriteJob& job)
{
    if (job.commentFileName == "-")
        return true;
    if (job.mode == TagWriteMode::List)
    {
        if (job.commentFile.Open(job.commentFileName, CDiskFile::Mode::Create))
            return true;
        job.error = "Error opening comment file '" + job.commentFileName + "'";
        return false;
    }
    if (job.commentFile.Open(job.commentFileName, CDiskFile::Mode::Read))
        return true;
    job.error = "Error opening comment file '" + job.commentFileName + "'.";
    return false;
}

bool CreateOutput(TagWriteJob& job)
{
    if (SameFile(job.inputName, job.outputName))
    {
        job.error = "Input filename may not be the same as output filename";
        return false;
    }
    const fs::path output = PathFromUtf8(job.outputName);
    std::error_code error;
    // A stale copy goes first, so that a link left in its place is not followed.
    if (job.tempOutput)
        fs::remove(output, error);
    if (!job.output.Open(job.outputName, CDiskFile::Mode::Create))
    {
        job.error = "Error opening output file '" + job.outputName + "'.";
        return false;
    }
    const fs::file_status status = fs::status(PathFromUtf8(job.inputName), error);
    if (!error)
        fs::permissions(output, status.permissions(), error);
    return true;
}
} // namespace

bool OpenFiles(TagWriteJob& job)
{
    if (!job.input.Open(job.inputName, CDiskFile::Mode::Read))
    {
        job.error = "Error opening input file '" + job.inputName + "'.";
        return false;
    }
    job.input.AdviseSequential();
    const bool writing = job.mode != TagWriteMode::List;
    if ((writing && !CreateOutput(job)) || !OpenCommentFile(job))
    {
        const std::string error = job.error;
        DiscardFiles(job);
        job.error = error;
        return false;
    }
    return true;
}

bool CloseFiles(TagWriteJob& job)
{
    job.input.Close();
    job.output.Close();
    job.commentFile.Close();
    if (!job.tempOutput)
        return true;
    const fs::path input = PathFromUtf8(job.inputName);
    const fs::path output = PathFromUtf8(job.outputName);
    std::error_code error;
    fs::rename(output, input, error);
    if (!error)
        return true;
    // Some systems will not rename onto an existing name. Without a copy to
    // put in its place the original is never removed.
    if (!fs::exists(output, error))
    {
        job.error = "Error renaming " + job.outputName + " to " + job.inputName;
        return false;
    }
    if (!fs::remove(input, error))
    {
        job.error = "Error removing old file " + job.inputName;
        return false;
    }
    fs::rename(output, input, error);
    if (error)
    {
        job.error = "Error renaming " + job.outputName + " to " + job.inputName;
        return false;
    }
    return true;
}

void DiscardFiles(TagWriteJob& job)
{
    const bool created = job.output.IsOpen();
    job.input.Close();
    job.output.Close();
    job.commentFile.Close();
    std::error_code error;
    if (created && job.tempOutput)
        fs::remove(PathFromUtf8(job.outputName), error);
}

int OpenStream(CommentEditState& state, OggReadFunction read)
{
    ClearState(state);
    state.read = std::move(read);
    state.sync = std::make_unique<COggSync>();
    const std::int64_t got = ReadChunk(state);
    ogg_page page;
    if (!PageInSync(state, page))
        return Failed(state, got < static_cast<std::int64_t>(kChunkSize)
                                 ? "Input truncated or empty."
                                 : "Input is not an Ogg bitstream.");

    state.serial = ogg_page_serialno(&page);
    state.stream = std::make_unique<COggStream>(state.serial);
    state.info = std::make_unique<CVorbisInfo>();
    state.comment = std::make_unique<CVorbisComment>();

    if (ogg_stream_pagein(state.stream->Get(), &page) < 0)
        return Failed(state, "Error reading first page of Ogg bitstream.");
    ogg_packet packet;
    if (ogg_stream_packetout(state.stream->Get(), &packet) != 1)
        return Failed(state, "Error reading initial header packet.");
    if (vorbis_synthesis_headerin(state.info->Get(), state.comment->Get(), &packet) < 0)
        return Failed(state, "Ogg bitstream does not contain vorbis data.");
    state.mainHeader = CopyPacket(packet);

    if (ReadSecondaryHeaders(state) < 0)
        return -1;
    const vorbis_comment& parsed = *state.comment->Get();
    state.vendor = parsed.vendor ? parsed.vendor : "";
    for (int i = 0; i < parsed.comments; ++i)
        if (parsed.user_comments[i] && parsed.comment_lengths[i] >= 0)
            state.comments.emplace_back(parsed.user_comments[i],
                                        static_cast<std::size_t>(parsed.comment_lengths[i]));
    return 0;
}

std::vector<std::string>& GetComments(CommentEditState& state)
{
    return state.comments;
}

void SetVorbisFields(std::vector<std::string>& comments, const VorbisCommentList& fields)
{
    // A comment without '=' has no name, and so never matches a field.
    std::vector<std::string> names;
    for (const std::string& comment : comments)
    {
        const auto separator = comment.find('=');
        names.push_back(separator == std::string::npos ? std::string(1, '\0')
                                                       : comment.substr(0, separator));
    }
    std::vector<std::string> result;
    for (const FieldListEntry& entry : SetFields(names, fields, true))
        result.push_back(entry.kept ? std::move(comments[entry.index])
                                    : fields[entry.index].first + "=" + fields[entry.index].second);
    comments = std::move(result);
}

int WriteStream(CommentEditState& state, OggWriteFunction write)
{
    if (!state.info || !state.sync || !state.stream)
    {
        state.lastError = kWriteError;
        return -1;
    }
    state.write = std::move(write);
    state.eosIn = false;
    state.extraPage = false;
    state.previousBlockSize = 0;
    const bool ok = WriteAll(state);
    state.mainHeader = {};
    state.bookHeader = {};
    state.otherPage = {};
    if (!ok || !state.eosIn)
    {
        if (state.lastError != kNoAudioError)
            state.lastError = kWriteError;
        return -1;
    }
    return 0;
}

bool FetchPacket(CommentEditState& state, ogg_packet& packet)
{
    for (;;)
    {
        const int result = ogg_stream_packetout(state.stream->Get(), &packet);
        if (result > 0)
            return true;
        if (result < 0)
            continue; // a gap in the data: the next packet follows it
        if (state.eosIn)
            return false;
        ogg_page page;
        if (!ReadPage(state, page))
            return false;
        if (ogg_page_eos(&page))
            state.eosIn = true;
        if (ogg_page_serialno(&page) != state.serial)
        {
            // Only a new stream chained after this one may follow; pages of
            // a stream multiplexed with it would be torn from their places.
            state.inputBroken = !ogg_page_bos(&page);
            state.eosIn = true;
            state.extraPage = true;
            state.otherPage.assign(page.header, page.header + page.header_len);
            state.otherPage.insert(state.otherPage.end(), page.body, page.body + page.body_len);
            return false;
        }
        ogg_stream_pagein(state.stream->Get(), &page);
        if (state.stream->Pending() > kMaxPendingBytes)
        {
            state.inputBroken = true;
            return false;
        }
    }
}

long BlockSize(CommentEditState& state, const ogg_packet& packet)
{
    const long size = vorbis_packet_blocksize(state.info->Get(), const_cast<ogg_packet*>(&packet));
    // A packet that is not audio adds nothing and leaves the overlap as it was.
    if (size <= 0)
        return 0;
    const long samples = state.previousBlockSize ? (size + state.previousBlockSize) / 4 : 0;
    state.previousBlockSize = size;
    return samples;
}

void ClearState(CommentEditState& state)
{
    std::string lastError = std::move(state.lastError);
    state = CommentEditState{};
    state.lastError = std::move(lastError);
}

const std::string& GetLastError(const CommentEditState& state)
{
    return state.lastError;
}

Status RewriteVorbisComments(const std::string& path, const VorbisCommentList& fields)
{
    CTemporaryFile temporary;
    if (Status failed = temporary.Create(path); !failed)
        return failed;
    TagWriteJob job;
    job.mode = TagWriteMode::Write;
    job.raw = true;
    job.inputName = path;
    job.outputName = temporary.Path();
    if (!OpenFiles(job))
        return Status::Failure(job.error);

    CommentEditState state;
    CBufferedOutput output(job.output);
    bool ok = OpenStream(state, [&job](std::uint8_t* dest, std::size_t count)
                         { return job.input.Read(dest, count); }) == 0;
    if (ok)
    {
        SetVorbisFields(GetComments(state), fields);
        ok = WriteStream(state, [&output](const std::uint8_t* data, std::size_t count)
                         { return output.Write(data, count); }) == 0;
        if (ok && !output.Flush())
        {
            state.lastError = kWriteError;
            ok = false;
        }
    }
    ClearState(state);
    if (!ok)
    {
        Status failed = Status::Failure(GetLastError(state));
        DiscardFiles(job);
        return failed;
    }
    if (!CloseFiles(job))
        return Status::Failure(job.error);
    return temporary.Commit();
}

#include "audio/ogg/OggLinkLength.h"

#include "audio/ogg/OggHandles.h"

#include <algorithm>

namespace
{
// Bytes taken from the end of a link in search of its last pages; doubled
// until two pages with granule positions are in.
constexpr std::uint64_t kTailBytes = 16384;
constexpr std::uint64_t kChunkBytes = 65536;
// A packet held open longer than this is damage, and would otherwise be held
// in memory whole.
constexpr long kMaxPendingBytes = 64L << 20;

// The file layer reads on from where it left the file.
class CPositionKeeper
{
public:
    explicit CPositionKeeper(CDiskFile& file) : m_file(file) { m_valid = file.Tell(m_at); }
    ~CPositionKeeper()
    {
        if (m_valid)
            m_file.Seek(m_at);
    }
    CPositionKeeper(const CPositionKeeper&) = delete;
    CPositionKeeper& operator=(const CPositionKeeper&) = delete;

    bool Valid() const { return m_valid; }

private:
    CDiskFile& m_file;
    std::uint64_t m_at = 0;
    bool m_valid = false;
};

// Hands each whole page in [from, to) of the file, with its offset, to
// `onPage` until that returns false. Damage between pages is skipped.
template <class OnPage>
bool ForEachPage(CDiskFile& file, std::uint64_t from, std::uint64_t to, OnPage&& onPage)
{
    if (!file.Seek(from))
        return false;
    COggSync sync;
    std::uint64_t at = from, fed = from;
    ogg_page page;
    for (;;)
    {
        const long taken = ogg_sync_pageseek(sync.Get(), &page);
        if (taken > 0 && !onPage(page, at))
            return true;
        if (taken != 0)
        {
            at += static_cast<std::uint64_t>(taken > 0 ? taken : -taken);
            continue;
        }
        if (fed >= to)
            return true;
        const std::size_t want = static_cast<std::size_t>(std::min(kChunkBytes, to - fed));
        char* buffer = ogg_sync_buffer(sync.Get(), static_cast<long>(want));
        const std::int64_t got = buffer ? file.ReadFully(buffer, want) : -1;
        if (got <= 0)
            return got == 0;
        ogg_sync_wrote(sync.Get(), static_cast<long>(got));
        fed += static_cast<std::uint64_t>(got);
    }
}

struct GranulePage
{
    bool seen = false;
    std::uint64_t at = 0;
    std::int64_t granule = 0;
    int packets = 0; // packets that end on the page
};

// The link's last two pages that carry a granule position.
bool LastGranulePages(CDiskFile& file, const OggLinkExtent& link, GranulePage& last,
                      GranulePage& before)
{
    for (std::uint64_t span = kTailBytes;; span *= 2)
    {
        const std::uint64_t from = link.end - std::min(span, link.end - link.begin);
        last = before = {};
        const bool read =
            ForEachPage(file, from, link.end,
                        [&](ogg_page& page, std::uint64_t at)
                        {
                            const std::int64_t granule = ogg_page_granulepos(&page);
                            if (ogg_page_serialno(&page) == link.serial && granule != -1)
                            {
                                before = last;
                                last = {true, at, granule, ogg_page_packets(&page)};
                            }
                            return true;
                        });
        if (!read)
            return false;
        if (before.seen || from == link.begin)
            return true;
    }
}

// Whether the declared length fits what the link can hold. A packet yields
// at most half a long block and takes two bytes at least (one of them in
// the page's lacing), so the size bounds any length. The last granule page
// adds at most that much per packet ending on it to the page before, and at
// least half a short block for each but its last (the decoder cuts no more
// than the last packet's share at the end).
bool Plausible(vorbis_info& info, const OggLinkExtent& link, const GranulePage& last,
               const GranulePage& before)
{
    const std::int64_t perPacket = vorbis_info_blocksize(&info, 1) / 2;
    const std::int64_t leastPerPacket = vorbis_info_blocksize(&info, 0) / 2;
    if (perPacket < 2 || !last.seen || link.declared < 0 ||
        static_cast<std::uint64_t>(link.declared / (perPacket / 2)) > link.end - link.begin)
        return false;
    if (last.at < link.audio)
        return link.declared == 0; // no audio page at all
    std::int64_t earlier = 0;
    if (before.seen && before.at >= link.audio)
    {
        if (before.granule < link.startGranule)
            return false;
        earlier = before.granule - link.startGranule;
    }
    return link.declared >= earlier && link.declared - earlier <= last.packets * perPacket &&
           link.declared - earlier >= (last.packets - 1) * leastPerPacket;
}

// Frames the decoder makes of the link's audio packets: from the second
// packet on, a quarter of the previous block and a quarter of its own.
std::int64_t CountFrames(CDiskFile& file, vorbis_info& info, const OggLinkExtent& link)
{
    COggStream stream(link.serial);
    std::int64_t frames = 0, latest = 0; // all and the last packet's
    long previous = 0;
    bool first = true;
    ogg_packet packet;
    const bool read =
        ForEachPage(file, link.audio, link.end,
                    [&](ogg_page& page, std::uint64_t)
                    {
                        if (ogg_stream_pagein(stream.Get(), &page) != 0)
                            return true; // another stream's page
                        for (int got; (got = ogg_stream_packetout(stream.Get(), &packet)) != 0;)
                        {
                            const long size = got > 0 ? vorbis_packet_blocksize(&info, &packet) : 0;
                            if (size <= 0)
                                continue; // a gap or no audio packet
                            latest = previous > 0 ? previous / 4 + size / 4 : 0;
                            frames += latest;
                            previous = size;
                        }
                        // A stream may start late: the first page's position
                        // then cuts its audio at the front. The last page's
                        // cuts the end, by the last packet's share at most.
                        const std::int64_t granule = ogg_page_granulepos(&page);
                        const std::int64_t at = granule - link.startGranule;
                        const bool last = ogg_page_eos(&page) != 0;
                        if (granule >= 0 && at >= 0 && at < frames && (first || last))
                            frames -= last ? std::min(frames - at, latest) : frames - at;
                        first = first && granule == -1;
                        return stream.Pending() <= kMaxPendingBytes;
                    });
    return read ? frames : -1;
}
} // namespace

std::int64_t CheckedLinkFrames(CDiskFile& file, vorbis_info& info, const OggLinkExtent& link)
{
    CPositionKeeper keeper(file);
    if (!keeper.Valid() || link.begin > link.audio || link.audio > link.end)
        return -1;
    GranulePage last, before;
    if (!LastGranulePages(file, link, last, before))
        return -1;
    if (Plausible(info, link, last, before))
        return link.declared;
    return CountFrames(file, info, link);
}

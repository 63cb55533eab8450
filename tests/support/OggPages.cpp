#include "support/OggPages.h"

#include "audio/ogg/OggHandles.h"

#include <algorithm>
#include <stdexcept>

std::vector<std::size_t> OggPageOffsets(const std::vector<std::uint8_t>& bytes)
{
    COggSync sync;
    char* buffer = ogg_sync_buffer(sync.Get(), static_cast<long>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), buffer);
    ogg_sync_wrote(sync.Get(), static_cast<long>(bytes.size()));
    std::vector<std::size_t> offsets;
    std::size_t at = 0;
    ogg_page page;
    for (long taken; (taken = ogg_sync_pageseek(sync.Get(), &page)) != 0;)
    {
        if (taken > 0)
            offsets.push_back(at);
        at += static_cast<std::size_t>(taken > 0 ? taken : -taken);
    }
    return offsets;
}

void SetOggGranule(std::vector<std::uint8_t>& bytes, std::size_t offset, std::int64_t granule)
{
    if (offset + 27 > bytes.size())
        throw std::out_of_range("no page header there");
    ogg_page page{};
    page.header = bytes.data() + offset;
    page.header_len = 27 + bytes[offset + 26];
    page.body = page.header + page.header_len;
    for (long i = 0; i < bytes[offset + 26]; ++i)
        page.body_len += page.header[27 + i];
    if (offset + static_cast<std::size_t>(page.header_len + page.body_len) > bytes.size())
        throw std::out_of_range("the page is cut short");
    for (int i = 0; i < 8; ++i)
        page.header[6 + i] =
            static_cast<std::uint8_t>(static_cast<std::uint64_t>(granule) >> (8 * i));
    ogg_page_checksum_set(&page);
}

#pragma once

#include "check/MP3FrameInfo.h"

#include <array>
#include <cstdint>

// Remembers decoded headers so that a walk decodes each distinct header word
// once. Within one stream only the bitrate, padding and mode-extension bits
// change from frame to frame, so those pick the slot.
class CMP3HeaderCache
{
public:
    // The decoded record of `headerWord`; valid until the next call.
    const MP3FrameInfo& Decode(std::uint32_t headerWord)
    {
        Slot& slot = m_slots[SlotOf(headerWord)];
        if (slot.filled && slot.frame.headerWord == headerWord)
            return slot.frame;
        return Fill(slot, headerWord);
    }

private:
    struct Slot
    {
        bool filled = false;
        MP3FrameInfo frame;
    };

    static std::size_t SlotOf(std::uint32_t headerWord)
    {
        return (headerWord >> 4 & 0x3u) | (headerWord >> 9 & 0x1u) << 2 |
               (headerWord >> 12 & 0xFu) << 3;
    }

    static const MP3FrameInfo& Fill(Slot& slot, std::uint32_t headerWord);

    std::array<Slot, 128> m_slots{};
};

#pragma once

#include "audio/play/WavePlayer.h"

// A player's owner as the windows are: counts the notices and hands each
// back to the player, when there is one.
class CPlayerOwner final : public IWaveOutListener
{
public:
    void OnWaveOutBlockDone() override
    {
        ++notices;
        if (player)
            DeliverBlockDone(*player);
    }
    CWavePlayer* player = nullptr;
    int notices = 0;
};

#pragma once

#include "check/IProgressSink.h"

#include <algorithm>
#include <vector>

// Records the progress a check reports: every value, or (for very long
// walks) only the highest and the last.
class CRecordingSink final : public IProgressSink
{
public:
    bool IsCancelled() const override { return false; }
    void SetProgress(int percent) override
    {
        if (keepAll)
            values.push_back(percent);
        maximum = std::max(maximum, percent);
        last = percent;
    }

    bool keepAll = true;
    std::vector<int> values;
    int maximum = 0;
    int last = 0;
};

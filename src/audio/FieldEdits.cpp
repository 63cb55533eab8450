#include "audio/FieldEdits.h"

#include <algorithm>

namespace
{
bool SameName(const std::string& a, const std::string& b, bool ignoreCase)
{
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [&](char x, char y) { return ignoreCase ? upper(x) == upper(y) : x == y; });
}
} // namespace

std::vector<FieldListEntry>
SetFields(const std::vector<std::string>& names,
          const std::vector<std::pair<std::string, std::string>>& fields, bool ignoreCase)
{
    std::vector<FieldListEntry> entries;
    std::vector<bool> placed(fields.size(), false);
    const auto put = [&](std::size_t i)
    {
        if (!placed[i] && !fields[i].second.empty())
            entries.push_back({false, i});
        placed[i] = true;
    };
    for (std::size_t item = 0; item < names.size(); ++item)
    {
        const auto field =
            std::find_if(fields.begin(), fields.end(),
                         [&](const auto& f) { return SameName(names[item], f.first, ignoreCase); });
        if (field == fields.end())
            entries.push_back({true, item});
        else
            put(static_cast<std::size_t>(field - fields.begin()));
    }
    for (std::size_t i = 0; i < fields.size(); ++i)
        put(i);
    return entries;
}

#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// One entry of a field list after an edit: an item kept as it was, or a
// field set anew.
struct FieldListEntry
{
    bool kept; // true: items[index]; false: fields[index]
    std::size_t index;
};

// The order of a list of tag fields (Vorbis comments, RIFF INFO texts) whose
// items are named `names` after setting `fields` (name, text) in it: the
// first item of each set name takes the new text where it stands, later
// items of that name go, names not there yet are added at the end, and an
// empty text removes its field. Other items stay, in order. Names compare
// ignoring ASCII letter case when `ignoreCase`.
std::vector<FieldListEntry>
SetFields(const std::vector<std::string>& names,
          const std::vector<std::pair<std::string, std::string>>& fields, bool ignoreCase);

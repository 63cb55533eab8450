#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One text of a RIFF "LIST" chunk of form "INFO": a four-character id
// ("INAM" title, "IART" artist, "IPRD" album, ...) and its text as stored,
// without the closing zero.
struct RiffInfoField
{
    std::string id;
    std::string text;
};

// Reads the fields of a LIST chunk's data, which starts with "INFO", into
// `fields`. Sizes are not trusted: a field that runs past the end ends the
// list. True only when the data is an INFO list and every byte of it
// belongs to a field, so that rewriting the list loses nothing.
bool ParseRiffInfo(const std::vector<std::uint8_t>& data, std::vector<RiffInfoField>& fields);
// The data of a LIST chunk holding `fields`: "INFO", then each field with
// its text zero-terminated and padded to an even size.
std::vector<std::uint8_t> RenderRiffInfo(const std::vector<RiffInfoField>& fields);
// The text of the first field `id`; empty when there is none.
std::string RiffInfoText(const std::vector<RiffInfoField>& fields, const char* id);
// Sets each named field: the first of its id takes the new text where it
// stands, later ones of that id go, missing ones are added at the end, and
// an empty text removes the field. Other fields stay, in order.
void SetRiffInfoFields(std::vector<RiffInfoField>& fields,
                       const std::vector<std::pair<std::string, std::string>>& texts);

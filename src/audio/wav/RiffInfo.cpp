#include "audio/wav/RiffInfo.h"

#include "audio/FieldEdits.h"
#include "audio/wav/Riff.h"

#include <algorithm>
#include <cstring>

bool ParseRiffInfo(const std::vector<std::uint8_t>& data, std::vector<RiffInfoField>& fields)
{
    if (data.size() < 4 || std::memcmp(data.data(), "INFO", 4) != 0)
        return false;
    std::size_t at = 4;
    while (data.size() - at >= 8)
    {
        const std::uint32_t size = GetLE32(&data[at + 4]);
        if (size > data.size() - at - 8)
            return false;
        const auto* text = reinterpret_cast<const char*>(&data[at + 8]);
        fields.push_back({std::string(reinterpret_cast<const char*>(&data[at]), 4),
                          std::string(text, strnlen(text, size))});
        // The pad byte of the last field may be missing.
        at = std::min(data.size(), at + 8 + std::size_t{size} + (size & 1u));
    }
    return at == data.size();
}

std::vector<std::uint8_t> RenderRiffInfo(const std::vector<RiffInfoField>& fields)
{
    std::vector<std::uint8_t> data = {'I', 'N', 'F', 'O'};
    for (const RiffInfoField& field : fields)
    {
        const auto size = static_cast<std::uint32_t>(field.text.size() + 1);
        std::uint8_t header[8];
        std::memcpy(header, field.id.data(), std::min<std::size_t>(field.id.size(), 4));
        PutLE32(header + 4, size);
        data.insert(data.end(), header, header + 8);
        data.insert(data.end(), field.text.begin(), field.text.end());
        data.push_back(0);
        if (size & 1u)
            data.push_back(0);
    }
    return data;
}

std::string RiffInfoText(const std::vector<RiffInfoField>& fields, const char* id)
{
    const auto field = std::find_if(fields.begin(), fields.end(),
                                    [&](const RiffInfoField& f) { return f.id == id; });
    return field == fields.end() ? std::string() : field->text;
}

void SetRiffInfoFields(std::vector<RiffInfoField>& fields,
                       const std::vector<std::pair<std::string, std::string>>& texts)
{
    std::vector<std::string> ids;
    for (const RiffInfoField& field : fields)
        ids.push_back(field.id);
    std::vector<RiffInfoField> result;
    for (const FieldListEntry& entry : SetFields(ids, texts, false))
        result.push_back(entry.kept
                             ? std::move(fields[entry.index])
                             : RiffInfoField{texts[entry.index].first, texts[entry.index].second});
    fields = std::move(result);
}

#include "tracks/Strings.h"

#include "audio/AudioFile.h"

namespace strings
{
const char* CheckStatusText(std::int32_t status)
{
    switch (status)
    {
    case 1:
        return "OK";
    case 2:
        return "Corrupt";
    default:
        return "no";
    }
}

const char* FormatName(std::int32_t format)
{
    switch (format)
    {
    case kAudioFormatWave:
        return "Wave";
    case kAudioFormatMpeg:
        return "MPEG-1 Layer III";
    case kAudioFormatOgg:
        return "OGG Vorbis";
    default:
        return "";
    }
}

const char* ConvertStatusText(std::int32_t status)
{
    static const char* const kTexts[] = {"no",         "can't convert", "MP3 -> MP3", "WAV -> MP3",
                                         "OGG -> MP3", "MP3 -> WAV",    "WAV -> WAV", "OGG -> WAV",
                                         "WAV -> OGG", "MP3 -> OGG",    "OGG -> OGG"};
    if (status < 0 || status >= static_cast<std::int32_t>(std::size(kTexts)))
        return kTexts[0];
    return kTexts[status];
}

std::vector<std::string> ColumnNames()
{
    std::vector<std::string> names;
    std::string name;
    for (const char* c = kColumnNames; *c; ++c)
    {
        if (*c == ';' || *c == '\n')
        {
            names.push_back(name);
            name.clear();
        }
        else
            name += *c;
    }
    if (!name.empty())
        names.push_back(name);
    return names;
}

std::string Fill(const char* format, const std::string& value)
{
    std::string text = format;
    const auto at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, value);
    return text;
}
} // namespace strings

#include "ui/properties/PropertyTexts.h"

#include "audio/AudioFile.h"
#include "ui/common/UiText.h"

#include <algorithm>

QString LengthText(std::int32_t milliseconds)
{
    const std::int32_t seconds = std::max(milliseconds, 0) / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString PositionText(std::int32_t milliseconds)
{
    return LengthText(milliseconds) + QLatin1Char(' ');
}

QString SampleRateText(std::uint32_t hertz)
{
    return Tr("%1 Hz").arg(hertz);
}

QString FormatText(std::int32_t format)
{
    switch (format)
    {
    case kAudioFormatWave:
        return Tr("Wave");
    case kAudioFormatMpeg:
        return Tr("MPEG-1 Layer III");
    case kAudioFormatOgg:
        return Tr("OGG Vorbis");
    default:
        return {};
    }
}

QString SheetCaption(const std::string& title, const std::string& path)
{
    return Tr("Properties of: %1").arg(ToQString(title.empty() ? path : title));
}

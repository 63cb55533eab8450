#include "ui/properties/PropertyTexts.h"

#include "tracks/Strings.h"
#include "tracks/TrackInfo.h"
#include "ui/common/UiText.h"

QString LengthText(std::int32_t milliseconds)
{
    return ToQString(PlayingTimeText(milliseconds));
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
    const char* name = strings::FormatName(format);
    return *name ? Tr(name) : QString();
}

QString SheetCaption(const std::string& title, const std::string& path)
{
    return Tr("Properties of: %1").arg(ToQString(title.empty() ? path : title));
}

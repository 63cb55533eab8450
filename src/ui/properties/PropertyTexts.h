#pragma once

#include <QString>
#include <cstdint>
#include <string>

// The texts the track properties show, from what the audio file says.

// "m:ss" of the whole seconds in `milliseconds` (nothing below 0).
QString LengthText(std::int32_t milliseconds);
// The play position: as LengthText, with a trailing blank.
QString PositionText(std::int32_t milliseconds);
QString SampleRateText(std::uint32_t hertz);
// "Wave", "MPEG-1 Layer III" or "OGG Vorbis" for an AudioFormatKind; empty
// for anything else.
QString FormatText(std::int32_t format);
// "Properties of: " and the title, or the path when the title is empty.
QString SheetCaption(const std::string& title, const std::string& path);

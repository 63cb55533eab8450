#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The user-facing texts of the tracks layer, in one place so that a
// translation can replace them.
namespace strings
{
inline constexpr const char* kColumnNames = "File;Check;Convert;Title;Artist;Album;Length;Path;";
inline constexpr const char* kAnalysisResults = "Analysis Results";
inline constexpr const char* kAnalyzing = "Analyzing";
inline constexpr const char* kAborted = "Aborted at user request!";
inline constexpr const char* kFileOk = "        ===> File OK! %s";
inline constexpr const char* kFileCorrupt = "        ===> FILE CORRUPT!!! %s Please convert.";
inline constexpr const char* kOverwriteQuestion =
    "The file \n%s\nalready exists, should it overwrite ?";
inline constexpr const char* kConverting = "Converting";
inline constexpr const char* kNormalizing = "Normalizing";
inline constexpr const char* kNotEnoughSpace = "Not enough disk free space";
inline constexpr const char* kSameFolder =
    "ATTENTION: The track directory for your original files AND\nthe directory for your output "
    "files are the same. If you\nproceed the original file(s) will be overwritten.\nPlease "
    "change the track directory in the register \"General\".\nClick on \"Settings\" to open the "
    "configuration dialog.";
inline constexpr const char* kReadFilesInformation = "Read Files Information";
inline constexpr const char* kAnalyzeTitle = "Analyze MP3 Files";
inline constexpr const char* kRepairTitle = "Repair Corrupt Files";
inline constexpr const char* kRepairing = "Repairing";

// "no", "OK", "Corrupt" for a check status; "no" for anything else.
const char* CheckStatusText(std::int32_t status);
// "Wave", "MPEG-1 Layer III", "OGG Vorbis" for an audio format; "" for none.
const char* FormatName(std::int32_t format);
// "no", "can't convert", "MP3 -> MP3", ... for a convert status.
const char* ConvertStatusText(std::int32_t status);
// The names of kColumnNames, split at ';' and line feeds.
std::vector<std::string> ColumnNames();
// `format` with its one "%s" replaced by `value`.
std::string Fill(const char* format, const std::string& value);
} // namespace strings

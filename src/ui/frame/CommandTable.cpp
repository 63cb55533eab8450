#include "ui/frame/CommandTable.h"

#include "ui/common/Commands.h"

const std::vector<CommandInfo>& CommandTable()
{
    static const std::vector<CommandInfo> kTable = {
        {kCmdSaveAnalysisResults, "&Save Analysis Results...", "Ctrl+S", "",
         "Save analyzing results", "Save Analysis Results"},
        {kCmdMoveCorruptFiles, "&Move && Save Corrupt Files...", "Ctrl+L", "",
         "Move & save corrupt files", "Move & Save Corrupt Files"},
        {kCmdExit, "E&xit", "", "", "Quit the application", ""},
        {kCmdAnalyze, "&Analyze...", "Ctrl+O", "", "Analyze MP3 files", "Analyze"},
        {kCmdRepairCorrupt, "&Repair Corrupt Files...", "", "",
         "Repair the corrupt MP3 files, keeping the originals aside", ""},
        {kCmdConvertToWav, "&Convert to WAV...", "Ctrl+W", "", "Convert to WAV", "Convert"},
        {kCmdConvertToMp3, "C&onvert to MP3...", "Ctrl+M", "", "Convert to MP3", "Convert"},
        {kCmdConvertToOgg, "Convert to OGG...", "", "Ctrl+G", "Convert to OGG", "Convert"},
        {kCmdConvertMp3ToMp3, "", "Ctrl+P", "", "Convert MP3 -> MP3", ""},
        {kCmdEditTags, "&Edit ID3-Tags", "Alt+I", "", "Edit ID3-Tags.", "Edit ID3-Tags"},
        {kCmdAddTracks, "Add &Tracks", "Alt+T", "", "Add audio track to list.", "Add Audio Track"},
        {kCmdRemoveTracks, "&Remove Tracks", "", "Del", "Remove audio track from list.",
         "Remove Audio Track"},
        {kCmdPlayTrack, "&Play Track", "Alt+P", "", "Play Track", "Play Track"},
        {kCmdStopPlaying, "&Stop Playing", "Alt+S", "", "Stop Playing", "Stop Playing"},
        {kCmdSettings, "&Settings", "", "", "Configure program options.", ""},
        {kCmdViewToolbar, "&Toolbar", "", "", "Show or hide the toolbar", ""},
        {kCmdViewStatusBar, "&Status Bar", "", "", "Show or hide the status bar", ""},
        {kCmdHelpContents, "&Contents", "", "", "", ""},
        {kCmdAbout, "&About...", "", "",
         "Display program information, version number and copyright", ""},
        {kCmdAnalyzeSelected, "Only selected...", "", "", "Analyze only selected MP3 files", ""},
        {kCmdConvertSelectedToWav, "Only selected...", "", "", "Convert MP3 -> WAV", ""},
        {kCmdConvertSelectedToMp3, "Only selected...", "", "", "Convert WAV -> MP3", ""},
        {kCmdConvertSelectedToOgg, "Only selected...", "", "", "", ""},
        {kCmdRepairSelected, "Only selected...", "", "", "Repair the selected corrupt MP3 files",
         ""},
    };
    return kTable;
}

const std::vector<int>& ToolbarLayout()
{
    static const std::vector<int> kLayout = {
        kCmdSaveAnalysisResults, kCmdMoveCorruptFiles, 0, kCmdAnalyze,   kCmdConvertToWav,
        kCmdConvertToMp3,        kCmdConvertToOgg,     0, kCmdEditTags,  0,
        kCmdAddTracks,           kCmdRemoveTracks,     0, kCmdPlayTrack, kCmdStopPlaying};
    return kLayout;
}

const std::vector<MenuLayout>& MenuBarLayout()
{
    static const std::vector<MenuLayout> kMenus = {
        {"&File", {kCmdSaveAnalysisResults, kCmdMoveCorruptFiles, 0, kCmdExit}},
        {"Check&Convert",
         {kCmdAnalyze, kCmdRepairCorrupt, 0, kCmdConvertToWav, kCmdConvertToMp3, kCmdConvertToOgg}},
        {"&Edit",
         {kCmdEditTags, 0, kCmdAddTracks, kCmdRemoveTracks, 0, kCmdPlayTrack, kCmdStopPlaying}},
        {"&Options", {kCmdSettings}},
        {"&View", {kCmdViewToolbar, kCmdViewStatusBar}},
        {"&Help", {kCmdHelpContents, 0, kCmdAbout}},
    };
    return kMenus;
}

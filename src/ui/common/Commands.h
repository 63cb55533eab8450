#pragma once

// The command ids of the menus, the toolbar, the keys and the context menus.
enum CommandId : int
{
    kCmdAnalyze = 1000,
    kCmdRemoveTracks = 32769,
    kCmdConvertToMp3 = 32770,
    kCmdSettings = 32771,
    kCmdMoveCorruptFiles = 32773,
    kCmdEditTags = 32777,
    kCmdConvertToWav = 32782,
    kCmdConvertMp3ToMp3 = 32785,
    kCmdAddTracks = 32790,
    kCmdAnalyzeSelected = 32798,
    kCmdConvertSelectedToWav = 32799,
    kCmdConvertSelectedToMp3 = 32800,
    kCmdConvertToOgg = 32802,
    kCmdStopPlaying = 32820,
    kCmdPlayTrack = 32821,
    kCmdConvertSelectedToOgg = 32822,
    kCmdRepairCorrupt = 32830,
    kCmdRepairSelected = 32831,
    kCmdSaveAnalysisResults = 57603,
    kCmdAbout = 57664,
    kCmdExit = 57665,
    kCmdHelpContents = 57667,
    kCmdViewToolbar = 59392,
    kCmdViewStatusBar = 59393,
};

// Something a command can be routed to. A target that does not handle a
// command leaves it to the next one in the route.
class ICommandTarget
{
public:
    virtual ~ICommandTarget() = default;
    // Whether this target handles `id`; if so, `enabled` says whether it can
    // be carried out now.
    virtual bool QueryCommand(int id, bool& enabled) const = 0;
    virtual void RunCommand(int id) = 0;
};

#pragma once

#include "conversion/ConversionRun.h"
#include "tracks/Document.h"
#include "ui/runs/MessagePresenter.h"

#include <QString>
#include <functional>
#include <string>
#include <vector>

class CHelpContext;
class CSettingsStore;
class QWidget;

// The document's commands that open dialogs: each run first releases
// playback, runs its modal dialog on `parent` and then updates every view
// but the folder list. Called on the user-interface thread.
class CDocumentCommands
{
public:
    CDocumentCommands(CTunewright20Doc& doc, CSettingsStore& settings, CHelpContext& help,
                      std::function<void()> openSettings, QWidget* parent);

    // "Read Files Information" over `paths`, then a recount.
    void AddTracks(const std::vector<std::string>& paths);
    // The whole list (GetTracks) or the selected records (GetTracksAt).
    void Analyze(const TrackRefs& tracks);
    // Repairs those of `tracks` whose check status is Corrupt.
    void Repair(const TrackRefs& tracks);
    void Convert(ConversionTarget target, const TrackRefs& tracks);
    // Asks for a file name and writes the analysis report of the whole list.
    void SaveAnalysisResults();
    // Asks for a folder and moves every corrupt track's file into it.
    void MoveCorruptFiles();

    // The pickers return an empty text when the user cancelled. File dialogs
    // by default; replaceable, as are the message boxes, so that tests never
    // wait for a user.
    std::function<QString(QWidget* parent)> chooseReportFile;
    std::function<QString(QWidget* parent, const QString& start)> chooseMoveFolder;
    CMessagePresenter presenter = CMessagePresenter::MessageBoxes();

private:
    void RunFinished();

    CTunewright20Doc& m_doc;
    CSettingsStore& m_settings;
    CHelpContext& m_help;
    std::function<void()> m_openSettings;
    QWidget* m_parent;
};

#pragma once

#include "conversion/ConversionRun.h"
#include "ui/common/HelpContext.h"
#include "ui/runs/ProgressDlg.h"

#include <functional>
#include <memory>

class CSettingsStore;
class QBoxLayout;
class QComboBox;
class QPushButton;

// What a conversion dialog needs from the window.
struct ConvertingSetup
{
    const CSettingsStore& settings; // read at every Start
    CHelpContext& help;
    std::function<void()> openSettings; // the settings sheet, first page
    CMessagePresenter presenter = CMessagePresenter::MessageBoxes();
};

// What sets the four conversion dialogs apart.
struct ConvertingKind
{
    ConversionTarget target;
    const char* title;
    const char* filterLabel; // null: no source filter (MP3 sources only)
    int helpContext;
};

// A conversion of a list of tracks into one target format. Idle until
// Start, which reads the settings, makes the checks before a run and starts
// the worker; Start and Settings stay disabled while it runs, and the
// dialog closes when the run ends. Cancel and Esc close an idle dialog and
// stop a running one before the next file or block; so does the close box.
class CConvertingDlg : public CProgressDlg
{
    Q_OBJECT

public:
    void OnStart();
    void OnSettings();

protected:
    CConvertingDlg(const ConvertingKind& kind, TrackRefs tracks, ConvertingSetup setup,
                   QWidget* parent);

    void WorkEnded() override;

private:
    QComboBox* AddSourceFilter(QBoxLayout& layout);
    void AddButtons(QBoxLayout& layout);

    const ConvertingKind& m_kind;
    TrackRefs m_pTracks;
    const CSettingsStore& m_settings;
    std::function<void()> m_openSettings;
    CHelpContextScope m_helpScope;
    QComboBox* m_SourceFilter = nullptr;
    QPushButton* m_Start = nullptr;
    QPushButton* m_Settings = nullptr;
};

class CDlgToMP3Converting final : public CConvertingDlg
{
    Q_OBJECT

public:
    CDlgToMP3Converting(TrackRefs tracks, ConvertingSetup setup, QWidget* parent = nullptr);
};

class CDlgToOGGConverting final : public CConvertingDlg
{
    Q_OBJECT

public:
    CDlgToOGGConverting(TrackRefs tracks, ConvertingSetup setup, QWidget* parent = nullptr);
};

class CDlgToWAVConverting final : public CConvertingDlg
{
    Q_OBJECT

public:
    CDlgToWAVConverting(TrackRefs tracks, ConvertingSetup setup, QWidget* parent = nullptr);
};

class CDlgMP3TOMP3Converting final : public CConvertingDlg
{
    Q_OBJECT

public:
    CDlgMP3TOMP3Converting(TrackRefs tracks, ConvertingSetup setup, QWidget* parent = nullptr);
};

// The dialog for `target`.
std::unique_ptr<CConvertingDlg> MakeConvertingDlg(ConversionTarget target, TrackRefs tracks,
                                                  ConvertingSetup setup, QWidget* parent);

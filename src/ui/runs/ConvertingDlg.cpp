#include "ui/runs/ConvertingDlg.h"

#include "ui/common/UiText.h"
#include "ui/runs/RunLayout.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{
constexpr int kWidth = 560;

const ConvertingKind kToMp3{ConversionTarget::Mp3, "Convert to MP3",
                            "Con&vert to MP3:", CHelpContext::kConvertToMp3OrOgg};
const ConvertingKind kToOgg{ConversionTarget::Ogg, "Convert to OGG",
                            "Con&vert to OGG Vorbis:", CHelpContext::kConvertToMp3OrOgg};
const ConvertingKind kToWav{ConversionTarget::Wav, "Convert to WAV",
                            "Con&vert to WAV:", CHelpContext::kConvertToWav};
const ConvertingKind kMp3ToMp3{ConversionTarget::Mp3ToMp3, "Convert MP3 -> MP3", nullptr,
                               CHelpContext::kConvertMp3ToMp3};

// In the order of the SourceFilter values.
const char* const kFilterNames[] = {"All formats", "Only WAV files", "Only MP3 files",
                                    "Only OGG Vorbis files"};
} // namespace

CConvertingDlg::CConvertingDlg(const ConvertingKind& kind, TrackRefs tracks, ConvertingSetup setup,
                               QWidget* parent)
    : CProgressDlg(std::move(setup.presenter), parent), m_kind(kind), m_pTracks(std::move(tracks)),
      m_settings(setup.settings), m_openSettings(std::move(setup.openSettings)),
      m_helpScope(setup.help, kind.helpContext)
{
    setWindowTitle(Tr(kind.title));
    auto* layout = new QVBoxLayout(this);
    if (kind.filterLabel)
        m_SourceFilter = AddSourceFilter(*layout);
    Controls controls;
    controls.results = AddResultsList(*layout, *this);
    controls.currentFile = AddCurrentFile(*layout, *this);
    controls.caption = AddCaptionedProgress(*layout, *this, controls.progress);
    AddButtons(*layout);
    SetControls(controls);
    setMinimumWidth(kWidth);
}

QComboBox* CConvertingDlg::AddSourceFilter(QBoxLayout& layout)
{
    auto* label = new QLabel(Tr(m_kind.filterLabel), this);
    auto* filter = new QComboBox(this);
    filter->setObjectName(QStringLiteral("filter"));
    for (const char* name : kFilterNames)
        filter->addItem(Tr(name));
    filter->setCurrentIndex(kFilterAll);
    label->setBuddy(filter);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(filter);
    row->addStretch(1);
    layout.addLayout(row);
    return filter;
}

void CConvertingDlg::AddButtons(QBoxLayout& layout)
{
    m_Start = new QPushButton(Tr("&Start"), this);
    m_Start->setObjectName(QStringLiteral("start"));
    m_Start->setDefault(true);
    m_Settings = new QPushButton(Tr("S&ettings..."), this);
    m_Settings->setObjectName(QStringLiteral("settings"));
    auto* cancel = new QPushButton(Tr("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setAutoDefault(false);
    connect(m_Start, &QPushButton::clicked, this, &CConvertingDlg::OnStart);
    connect(m_Settings, &QPushButton::clicked, this, &CConvertingDlg::OnSettings);
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(m_Start);
    row->addWidget(m_Settings);
    row->addWidget(cancel);
    layout.addLayout(row);
}

void CConvertingDlg::OnStart()
{
    if (IsRunning())
        return;
    const int filter = m_SourceFilter ? m_SourceFilter->currentIndex() : kFilterAll;
    CConversionRun run(m_kind.target, m_pTracks, ConversionSettings::Read(m_settings), filter);
    // Refusals are told to the user here, on this thread; the buttons stay.
    if (!run.CanStart(*this))
        return;
    m_Start->setEnabled(false);
    m_Settings->setEnabled(false);
    StartWork([run = std::move(run)](IRunHost& host) mutable { run.Run(host); });
}

void CConvertingDlg::OnSettings()
{
    if (m_openSettings)
        m_openSettings();
}

void CConvertingDlg::WorkEnded()
{
    m_Start->setEnabled(true);
    m_Settings->setEnabled(true);
    // The dialog closes now, and its red lines with it: the reasons must
    // not go unread.
    ShowFailures(Tr("%1 file(s) could not be converted:"));
    OnCancel();
}

CDlgToMP3Converting::CDlgToMP3Converting(TrackRefs tracks, ConvertingSetup setup, QWidget* parent)
    : CConvertingDlg(kToMp3, std::move(tracks), std::move(setup), parent)
{
}

CDlgToOGGConverting::CDlgToOGGConverting(TrackRefs tracks, ConvertingSetup setup, QWidget* parent)
    : CConvertingDlg(kToOgg, std::move(tracks), std::move(setup), parent)
{
}

CDlgToWAVConverting::CDlgToWAVConverting(TrackRefs tracks, ConvertingSetup setup, QWidget* parent)
    : CConvertingDlg(kToWav, std::move(tracks), std::move(setup), parent)
{
}

CDlgMP3TOMP3Converting::CDlgMP3TOMP3Converting(TrackRefs tracks, ConvertingSetup setup,
                                               QWidget* parent)
    : CConvertingDlg(kMp3ToMp3, std::move(tracks), std::move(setup), parent)
{
}

std::unique_ptr<CConvertingDlg> MakeConvertingDlg(ConversionTarget target, TrackRefs tracks,
                                                  ConvertingSetup setup, QWidget* parent)
{
    switch (target)
    {
    case ConversionTarget::Mp3:
        return std::make_unique<CDlgToMP3Converting>(std::move(tracks), std::move(setup), parent);
    case ConversionTarget::Ogg:
        return std::make_unique<CDlgToOGGConverting>(std::move(tracks), std::move(setup), parent);
    case ConversionTarget::Wav:
        return std::make_unique<CDlgToWAVConverting>(std::move(tracks), std::move(setup), parent);
    case ConversionTarget::Mp3ToMp3:
        break;
    }
    return std::make_unique<CDlgMP3TOMP3Converting>(std::move(tracks), std::move(setup), parent);
}

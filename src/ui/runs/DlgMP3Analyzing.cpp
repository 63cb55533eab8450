#include "ui/runs/DlgMP3Analyzing.h"

#include "settings/SettingsStore.h"
#include "tracks/AnalysisRun.h"
#include "tracks/Strings.h"
#include "ui/common/UiText.h"
#include "ui/runs/RunLayout.h"

#include <QCheckBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{
constexpr int kWidth = 560;
} // namespace

CDlgMP3Analyzing::CDlgMP3Analyzing(TrackRefs tracks, CHelpContext& help, QWidget* parent,
                                   CSettingsStore* settings)
    : CProgressDlg(CMessagePresenter::MessageBoxes(), parent),
      m_helpScope(help, CHelpContext::kAnalyzing)
{
    setWindowTitle(Tr(strings::kAnalyzeTitle));
    auto* layout = new QVBoxLayout(this);
    Controls controls;
    controls.results = AddResultsList(*layout, *this);
    controls.currentFile = AddCurrentFile(*layout, *this);
    controls.caption = AddCaptionedProgress(*layout, *this, controls.progress);
    auto* decode =
        new QCheckBox(Tr("Decode every frame (slower; also finds damage inside frames)"), this);
    decode->setObjectName(QStringLiteral("decodeCheck"));
    m_decode = settings && settings->GetDecodeCheck();
    decode->setChecked(m_decode);
    connect(decode, &QCheckBox::toggled, this,
            [this, settings](bool on)
            {
                m_decode = on;
                if (settings)
                    settings->SetDecodeCheck(on);
            });
    layout->addWidget(decode);
    connect(AddCancelButton(*layout, *this), &QPushButton::clicked, this, [this] { OnCancel(); });
    SetControls(controls);
    setMinimumWidth(kWidth);

    CAnalysisRun run(std::move(tracks));
    run.SetDeepCheck([this] { return m_decode.load(); });
    run.RememberChecks(settings && settings->GetRememberChecks());
    StartWhenShown([run = std::move(run)](IRunHost& host) mutable { run.Run(host); });
}

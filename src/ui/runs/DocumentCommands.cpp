#include "ui/runs/DocumentCommands.h"

#include "tracks/AnalysisReport.h"
#include "tracks/Strings.h"
#include "ui/common/FreedMemory.h"
#include "ui/common/UiText.h"
#include "ui/runs/ConvertingDlg.h"
#include "ui/runs/DlgAddTracks.h"
#include "ui/runs/DlgMP3Analyzing.h"

#include <QFileDialog>

namespace
{
QString AskReportFile(QWidget* parent)
{
    QFileDialog dialog(parent, Tr(strings::kAnalysisResults));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(Tr("Plain text file (*.txt)"));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.selectFile(Tr(strings::kAnalysisResults));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString AskMoveFolder(QWidget* parent, const QString& start)
{
    return QFileDialog::getExistingDirectory(parent, Tr("Move All Corrupt Files"), start);
}
} // namespace

CDocumentCommands::CDocumentCommands(CTunewright20Doc& doc, CSettingsStore& settings,
                                     CHelpContext& help, std::function<void()> openSettings,
                                     QWidget* parent)
    : chooseReportFile(AskReportFile), chooseMoveFolder(AskMoveFolder), m_doc(doc),
      m_settings(settings), m_help(help), m_openSettings(std::move(openSettings)), m_parent(parent)
{
}

void CDocumentCommands::AddTracks(const std::vector<std::string>& paths)
{
    m_doc.StopPlayback();
    {
        CDlgAddTracks dialog(m_doc, paths, m_parent, presenter);
        dialog.exec();
    }
    m_doc.FinishChange();
    ReturnFreedMemory();
}

void CDocumentCommands::Analyze(const TrackRefs& tracks)
{
    m_doc.StopPlayback();
    {
        CDlgMP3Analyzing dialog(tracks, m_help, m_parent, &m_settings);
        dialog.exec();
    }
    RunFinished();
}

void CDocumentCommands::Convert(ConversionTarget target, const TrackRefs& tracks)
{
    m_doc.StopPlayback();
    {
        const std::unique_ptr<CConvertingDlg> dialog = MakeConvertingDlg(
            target, tracks, {m_settings, m_help, m_openSettings, presenter}, m_parent);
        dialog->exec();
    }
    RunFinished();
}

void CDocumentCommands::SaveAnalysisResults()
{
    m_doc.StopPlayback();
    const QString path = chooseReportFile ? chooseReportFile(m_parent) : QString();
    if (path.isEmpty())
        return;
    CDirectRunHost host(presenter, m_parent);
    ::SaveAnalysisResults(ToUtf8(path), m_doc.GetTracks(), host);
}

void CDocumentCommands::MoveCorruptFiles()
{
    m_doc.StopPlayback();
    const QString folder = chooseMoveFolder
                               ? chooseMoveFolder(m_parent, ToQString(m_doc.GetCurrentFolder()))
                               : QString();
    if (!folder.isEmpty())
    {
        CDirectRunHost host(presenter, m_parent);
        ::MoveCorruptFiles(m_doc, ToUtf8(folder), host);
    }
    RunFinished();
}

// The dialog has gone and its worker with it: the views may read the
// statuses the run wrote.
void CDocumentCommands::RunFinished()
{
    m_doc.UpdateViews(ViewScope::AllButFolderList);
    // The dialog's lines have gone with it.
    ReturnFreedMemory();
}

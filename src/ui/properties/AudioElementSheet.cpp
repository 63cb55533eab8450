#include "ui/properties/AudioElementSheet.h"

#include "audio/AudioFile.h"
#include "audio/play/WavePlayer.h"
#include "state/StateDatabase.h"
#include "tracks/AudioTrack.h"
#include "tracks/TagHistory.h"
#include "ui/common/UiText.h"
#include "ui/play/QtWaveOutDevice.h"
#include "ui/properties/AudioElementPage1.h"
#include "ui/properties/AudioElementPage2.h"
#include "ui/properties/PropertyTexts.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <utility>

namespace
{
// Writes `tags` into `file` after reading it afresh, so that a file that
// changed or went away since it was opened is not written blindly. Empty
// when written, else why not.
QString WriteTrackTags(CAudioFile& file, const TagTexts& tags, CTagHistory* history)
{
    const std::string path = file.GetPath();
    file.SetPath(path);
    if (Status valid = file.Validate(); !valid)
        return Tr("the file cannot be read: %1").arg(CoreText(valid.Reason()));
    const TrackTexts before{file.GetTitle(), file.GetArtist(), file.GetAlbum()};
    file.SetTitle(ToUtf8(tags.title));
    file.SetArtist(ToUtf8(tags.artist));
    file.SetAlbum(ToUtf8(tags.album));
    // A history that cannot record does not stop the user's edit.
    std::string warning;
    if (Status written = WriteTagsRecorded(file, before, history, warning); !written)
        return CoreText(written.Reason());
    return {};
}
} // namespace

CAudioElementSheet::CAudioElementSheet(TrackRefs tracks, CHelpContext& help,
                                       AudioElementSheetServices services, QWidget* parent)
    : QDialog(parent), m_helpScope(help, CHelpContext::kEditTags), m_tracks(std::move(tracks)),
      m_services(std::move(services)), m_tabs(new QTabWidget(this)),
      m_page1(new CAudioElementPage1),
      m_page2(new CAudioElementPage2([this] { return m_player ? m_player->GetPosition() : 0; })),
      m_buttons(new QDialogButtonBox(
          QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this)),
      m_undo(m_buttons->addButton(Tr("&Undo Last Change"), QDialogButtonBox::ResetRole))
{
    if (!m_services.createDevice)
        m_services.createDevice = CreateWaveOutDevice;
    if (!m_services.presenter.show)
        m_services.presenter = CMessagePresenter::MessageBoxes();

    setWindowTitle(Tr("Properties"));
    m_tabs->addTab(m_page1, Tr("File"));
    m_tabs->addTab(m_page2, Tr("Properties"));
    m_tabs->setCurrentIndex(0);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_buttons);

    connect(m_buttons, &QDialogButtonBox::clicked, this, &CAudioElementSheet::OnButton);
    connect(m_undo, &QPushButton::clicked, this, &CAudioElementSheet::UndoLastChange);
    connect(m_page1, &CAudioElementPage1::Changed, this, [this] { SetModified(true); });
    connect(m_page1, &CAudioElementPage1::NextRequested, this, [this] { ChangeAndMove(1); });
    connect(m_page1, &CAudioElementPage1::PreviousRequested, this, [this] { ChangeAndMove(-1); });
    connect(m_page2, &CAudioElementPage2::PlayClicked, this, &CAudioElementSheet::Play);
    connect(m_page2, &CAudioElementPage2::StopClicked, this, &CAudioElementSheet::Stop);

    if (!m_tracks.empty())
        SelectTrack(0);
    // A little wider than the pages need, so that paths fit better.
    resize(sizeHint().width() + 100, sizeHint().height());
}

CAudioElementSheet::~CAudioElementSheet()
{
    ReleasePlayer();
    m_audioTrack.reset();
}

void CAudioElementSheet::done(int result)
{
    // Nothing plays on behind a closed sheet.
    ReleasePlayer();
    QDialog::done(result);
}

void CAudioElementSheet::OnWaveOutBlockDone()
{
    if (m_player)
        DeliverBlockDone(*m_player);
}

void CAudioElementSheet::SelectTrack(std::size_t index)
{
    m_index = index;
    ReleasePlayer();
    m_audioTrack.reset();
    m_audioTrack = std::make_unique<CAudioTrack>(m_tracks[m_index]->path);
    LoadTrack();
}

void CAudioElementSheet::LoadTrack()
{
    const CAudioFile* file = m_audioTrack->GetAudioFile();
    const std::string& path = m_audioTrack->GetPathText();
    if (file)
    {
        m_page1->Load(ToQString(path),
                      {ToQString(file->GetTitle()), ToQString(file->GetArtist()),
                       ToQString(file->GetAlbum())},
                      file->IsReadOnly(), IsSeveral());
        m_page2->Load(m_audioTrack->GetLength(), file->GetSampleRate(), file->GetFormat());
        setWindowTitle(SheetCaption(file->GetTitle(), path));
    }
    else
    {
        // Not a kind of file the program reads: nothing to show or write.
        m_page1->Load(ToQString(path), {}, true, IsSeveral());
        m_page2->Load(0, 0, -1);
        setWindowTitle(SheetCaption({}, path));
    }
    SetModified(false);
    OpenPlayer();
}

void CAudioElementSheet::OpenPlayer()
{
    ReleasePlayer();
    CAudioFile* file = m_audioTrack ? m_audioTrack->GetAudioFile() : nullptr;
    if (!file)
        return;
    std::unique_ptr<IWaveOutDevice> device = m_services.createDevice();
    if (!device)
        return;
    m_player = std::make_unique<CWavePlayer>(std::move(device));
    m_player->Open(*file, *this);
}

void CAudioElementSheet::ReleasePlayer()
{
    if (m_player)
    {
        // Stop is ignored while playing, so the player is held first.
        m_player->Pause();
        m_player->Stop();
        m_player.reset();
    }
}

bool CAudioElementSheet::SaveTags()
{
    // Never rewrite a file under its decoder.
    ReleasePlayer();
    if (!m_audioTrack)
        return true;
    CAudioFile* file = m_audioTrack->GetAudioFile();
    // A read-only file, or one of no kind the program reads, is left alone.
    if (!file || file->IsReadOnly())
        return true;
    const TagTexts tags = m_page1->Tags();
    const QString failure = WriteTrackTags(*file, tags, History());
    if (!failure.isEmpty())
    {
        ReportFailure(failure);
        return false;
    }
    m_tracks[m_index]->SetTags(ToUtf8(tags.title), ToUtf8(tags.artist), ToUtf8(tags.album));
    m_bSavedAny = true;
    return true;
}

bool CAudioElementSheet::SaveShownPages()
{
    // Each page that has been shown saves the track, as its own apply would.
    for (bool shown : {m_page1->WasShown(), m_page2->WasShown()})
        if (shown && !SaveTags())
            return false;
    SetModified(false);
    return true;
}

void CAudioElementSheet::ReportFailure(const QString& reason)
{
    const QString path = ToQString(m_audioTrack->GetPathText());
    m_services.presenter.show(this, Tr("The tags of %1 were not saved:\n%2").arg(path, reason),
                              MessageIcon::Error);
}

void CAudioElementSheet::OnButton(QAbstractButton* button)
{
    switch (m_buttons->standardButton(button))
    {
    case QDialogButtonBox::Ok:
        if (SaveShownPages())
            accept();
        else
            OpenPlayer();
        break;
    case QDialogButtonBox::Apply:
        SaveShownPages();
        OpenPlayer();
        break;
    case QDialogButtonBox::Cancel:
        reject();
        break;
    default:
        break;
    }
}

void CAudioElementSheet::ChangeAndMove(int step)
{
    if (m_tracks.empty())
        return;
    if (!SaveTags())
    {
        OpenPlayer();
        return;
    }
    const bool canMove = step > 0 ? m_index + 1 < m_tracks.size() : m_index > 0;
    if (canMove)
    {
        SelectTrack(step > 0 ? m_index + 1 : m_index - 1);
        return;
    }
    SetModified(false);
    OpenPlayer();
}

void CAudioElementSheet::Play()
{
    // An output lost since the player opened gives way to a new one.
    if (m_player && !m_player->HasDevice())
        OpenPlayer();
    if (!m_player)
        return;
    m_player->Start();
}

void CAudioElementSheet::Stop()
{
    if (m_player)
        m_player->Pause();
}

void CAudioElementSheet::SetModified(bool modified)
{
    m_buttons->button(QDialogButtonBox::Apply)->setEnabled(modified);
}

void CAudioElementSheet::UndoLastChange()
{
    if (!m_audioTrack || !m_audioTrack->GetAudioFile())
        return;
    ReleasePlayer();
    CTagHistory* history = History();
    const Status undone = history ? history->Undo(m_audioTrack->GetPathText())
                                  : Status::Failure("the history of tag edits cannot be opened");
    if (!undone)
    {
        m_services.presenter.show(this,
                                  Tr("Nothing was undone:\n%1").arg(CoreText(undone.Reason())),
                                  MessageIcon::Exclamation);
        OpenPlayer();
        return;
    }
    // The file and the record now hold what they held before the edit.
    SelectTrack(m_index);
    const CAudioFile* file = m_audioTrack->GetAudioFile();
    if (file)
        m_tracks[m_index]->SetTags(file->GetTitle(), file->GetArtist(), file->GetAlbum());
    m_bSavedAny = true;
}

CTagHistory* CAudioElementSheet::History()
{
    if (!m_database)
    {
        if (CStateDatabase::Open(CStateDatabase::DefaultPath(), m_database))
            m_history = std::make_unique<CTagHistory>(*m_database);
    }
    return m_history.get();
}

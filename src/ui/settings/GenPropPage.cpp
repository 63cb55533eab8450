#include "ui/settings/GenPropPage.h"

#include "settings/SettingsStore.h"
#include "ui/common/UiText.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <initializer_list>
#include <utility>

namespace
{
QString PickFolderWithDialog(QWidget* parent, const QString& start)
{
    return QFileDialog::getExistingDirectory(parent, Tr("Select Path"), start);
}
} // namespace

CGenPropPage::CGenPropPage(CSettingsStore& store, QWidget* parent)
    : CSettingsPage(store, parent), m_trackDir(new QLineEdit(this)),
      m_browse(new QPushButton(Tr("..."), this)),
      m_uncompressed(new QRadioButton(Tr("WAV &uncompressed (1:1)"), this)),
      m_compressed(new QRadioButton(Tr("WAV co&mpressed (1:4)"), this)),
      m_id3Check(new QCheckBox(Tr("&Read ID3 Tag"), this)),
      m_normalize(new QCheckBox(Tr("&Normalize"), this)),
      m_convertCorrupt(new QCheckBox(Tr("Try to con&vert corrupt files"), this)),
      m_rememberChecks(new QCheckBox(Tr("Remember c&heck results"), this)),
      m_repairBackup(new QLineEdit(this)), m_picker(PickFolderWithDialog)
{
    m_trackDir->setObjectName(QStringLiteral("trackDir"));
    m_browse->setObjectName(QStringLiteral("browse"));
    m_uncompressed->setObjectName(QStringLiteral("wavUncompressed"));
    m_compressed->setObjectName(QStringLiteral("wavCompressed"));
    m_id3Check->setObjectName(QStringLiteral("id3Check"));
    m_normalize->setObjectName(QStringLiteral("normalize"));
    m_convertCorrupt->setObjectName(QStringLiteral("convertCorrupt"));
    m_rememberChecks->setObjectName(QStringLiteral("rememberChecks"));
    m_rememberChecks->setToolTip(
        Tr("An analysis gives files whose size and date have not changed their last result "
           "without reading them again."));
    m_repairBackup->setObjectName(QStringLiteral("repairBackup"));
    m_repairBackup->setPlaceholderText(Tr("beside each file, in .tunewright-backup"));
    // Room for a typical folder path without scrolling.
    m_trackDir->setMinimumWidth(m_trackDir->fontMetrics().averageCharWidth() * 36);
    m_browse->setFixedWidth(m_browse->sizeHint().height() * 2);

    auto* folderRow = new QHBoxLayout;
    auto* folderLabel = new QLabel(Tr("&Track Directory:"), this);
    folderLabel->setBuddy(m_trackDir);
    folderRow->addWidget(folderLabel);
    folderRow->addWidget(m_trackDir, 1);
    folderRow->addWidget(m_browse);

    auto* wavFormat = new QGroupBox(Tr("WAV Format"), this);
    auto* wavLayout = new QVBoxLayout(wavFormat);
    wavLayout->addWidget(m_uncompressed);
    wavLayout->addWidget(m_compressed);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(folderRow);
    layout->addWidget(wavFormat);
    layout->addWidget(m_id3Check);
    layout->addWidget(m_normalize);
    layout->addWidget(m_convertCorrupt);
    layout->addWidget(m_rememberChecks);
    auto* backupRow = new QHBoxLayout;
    auto* backupLabel = new QLabel(Tr("Originals of re&paired files:"), this);
    backupLabel->setBuddy(m_repairBackup);
    backupRow->addWidget(backupLabel);
    backupRow->addWidget(m_repairBackup, 1);
    layout->addLayout(backupRow);
    layout->addStretch(1);

    connect(m_trackDir, &QLineEdit::textChanged, this, &CGenPropPage::MarkChanged);
    connect(m_repairBackup, &QLineEdit::textChanged, this, &CGenPropPage::MarkChanged);
    connect(m_browse, &QPushButton::clicked, this, &CGenPropPage::Browse);
    const std::initializer_list<QAbstractButton*> buttons = {
        m_uncompressed, m_compressed, m_id3Check, m_normalize, m_convertCorrupt, m_rememberChecks};
    for (QAbstractButton* button : buttons)
        connect(button, &QAbstractButton::clicked, this, &CGenPropPage::MarkChanged);
}

void CGenPropPage::SetFolderPicker(CFolderPicker picker)
{
    m_picker = std::move(picker);
}

void CGenPropPage::Browse()
{
    const QString folder = m_picker(this, m_trackDir->text());
    if (folder.isEmpty())
        return;
    // Stored as the platform writes folders, so that the value reads the same
    // as one typed by hand.
    m_trackDir->setText(QDir::toNativeSeparators(folder));
    MarkChanged();
}

void CGenPropPage::Load(const CSettingsStore& store)
{
    m_trackDir->setText(ToQString(store.GetTrackDir()));
    const bool compressed = store.GetWAVFormat() != 0;
    m_compressed->setChecked(compressed);
    m_uncompressed->setChecked(!compressed);
    m_id3Check->setChecked(store.GetID3Check());
    m_normalize->setChecked(store.GetNormalize());
    m_convertCorrupt->setChecked(store.GetConvertCorruptFiles());
    m_rememberChecks->setChecked(store.GetRememberChecks());
    m_repairBackup->setText(ToQString(store.GetRepairBackupFolder()));
}

void CGenPropPage::Save(CSettingsStore& store)
{
    store.SetTrackDir(ToUtf8(m_trackDir->text()));
    store.SetWAVFormat(m_uncompressed->isChecked() ? 0 : 1);
    store.SetID3Check(m_id3Check->isChecked());
    store.SetNormalize(m_normalize->isChecked());
    store.SetConvertCorruptFiles(m_convertCorrupt->isChecked());
    store.SetRememberChecks(m_rememberChecks->isChecked());
    store.SetRepairBackupFolder(ToUtf8(m_repairBackup->text()));
}

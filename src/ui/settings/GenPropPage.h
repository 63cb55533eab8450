#pragma once

#include "ui/settings/SettingsPage.h"

#include <QString>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Asks the user for a folder, starting at `start`; an empty text means the
// user cancelled.
using CFolderPicker = std::function<QString(QWidget* parent, const QString& start)>;

// The "General" page: output folder, WAV format, the three switches and
// where repairs keep the originals.
class CGenPropPage final : public CSettingsPage
{
    Q_OBJECT

public:
    explicit CGenPropPage(CSettingsStore& store, QWidget* parent = nullptr);

    // Replaces the platform's folder dialog (tests use their own).
    void SetFolderPicker(CFolderPicker picker);
    // What the "..." button does: ask for a folder and take it unless cancelled.
    void Browse();

protected:
    void Load(const CSettingsStore& store) override;
    void Save(CSettingsStore& store) override;

private:
    QLineEdit* m_trackDir;
    QPushButton* m_browse;
    QRadioButton* m_uncompressed;
    QRadioButton* m_compressed;
    QCheckBox* m_id3Check;
    QCheckBox* m_normalize;
    QCheckBox* m_convertCorrupt;
    QCheckBox* m_rememberChecks;
    QLineEdit* m_repairBackup; // empty: a folder beside each repaired file
    CFolderPicker m_picker;
};

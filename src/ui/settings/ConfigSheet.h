#pragma once

#include "ui/common/HelpContext.h"
#include "ui/settings/GenPropPage.h"

#include <QDialog>

class CEncoderOGGVorbisPropPage;
class CEncoderPropPage;
class CSettingsStore;
class QAbstractButton;
class QDialogButtonBox;
class QTabWidget;

// The settings sheet: the General, MP3 Encoder and OGG Vorbis Encoder pages
// with OK, Cancel and Apply. Opened afresh each time, on its first page; the
// caller runs it with exec(). While it exists the help context is the
// configuration topic.
//
// OK and Apply write every page that has been shown, and only those; Cancel
// writes nothing (what an earlier Apply wrote stays).
class CConfigSheet final : public QDialog
{
    Q_OBJECT

public:
    CConfigSheet(CSettingsStore& store, CHelpContext& help, QWidget* parent = nullptr);

    // Replaces the folder dialog behind the General page's "..." button.
    void SetFolderPicker(CFolderPicker picker);

private:
    void OnButton(QAbstractButton* button);
    void SaveShownPages();

    // First, so that the topic is set before any page exists and put back last.
    CHelpContextScope m_helpScope;
    QTabWidget* m_tabs;
    QDialogButtonBox* m_buttons;
    CGenPropPage* m_general;
    CEncoderPropPage* m_encoder;
    CEncoderOGGVorbisPropPage* m_ogg;
};

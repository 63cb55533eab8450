#include "ui/settings/ConfigSheet.h"

#include "Version.h"
#include "ui/common/UiText.h"
#include "ui/settings/EncoderOGGVorbisPropPage.h"
#include "ui/settings/EncoderPropPage.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <initializer_list>
#include <utility>

CConfigSheet::CConfigSheet(CSettingsStore& store, CHelpContext& help, QWidget* parent)
    : QDialog(parent), m_helpScope(help, CHelpContext::kConfiguration),
      m_tabs(new QTabWidget(this)),
      m_buttons(new QDialogButtonBox(
          QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this)),
      m_general(new CGenPropPage(store)), m_encoder(new CEncoderPropPage(store)),
      m_ogg(new CEncoderOGGVorbisPropPage(store))
{
    setWindowTitle(Tr("%1 Configuration").arg(Tr(kProductName)));
    // All three tabs stay in sight rather than behind scroll arrows.
    m_tabs->setUsesScrollButtons(false);
    m_tabs->addTab(m_general, Tr("General"));
    m_tabs->addTab(m_encoder, Tr("MP3 Encoder"));
    m_tabs->addTab(m_ogg, Tr("OGG Vorbis Encoder"));
    m_tabs->setCurrentIndex(0);

    QPushButton* apply = m_buttons->button(QDialogButtonBox::Apply);
    apply->setEnabled(false);
    const std::initializer_list<CSettingsPage*> pages = {m_general, m_encoder, m_ogg};
    for (CSettingsPage* page : pages)
        connect(page, &CSettingsPage::Changed, apply, [apply] { apply->setEnabled(true); });
    connect(m_buttons, &QDialogButtonBox::clicked, this, &CConfigSheet::OnButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_buttons);
}

void CConfigSheet::SetFolderPicker(CFolderPicker picker)
{
    m_general->SetFolderPicker(std::move(picker));
}

void CConfigSheet::OnButton(QAbstractButton* button)
{
    switch (m_buttons->standardButton(button))
    {
    case QDialogButtonBox::Ok:
        SaveShownPages();
        accept();
        break;
    case QDialogButtonBox::Apply:
        SaveShownPages();
        break;
    case QDialogButtonBox::Cancel:
        reject();
        break;
    default:
        break;
    }
}

void CConfigSheet::SaveShownPages()
{
    m_general->SaveIfShown();
    m_encoder->SaveIfShown();
    m_ogg->SaveIfShown();
    m_buttons->button(QDialogButtonBox::Apply)->setEnabled(false);
}

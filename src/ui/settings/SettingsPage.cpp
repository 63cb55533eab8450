#include "ui/settings/SettingsPage.h"

#include "settings/SettingsStore.h"

CSettingsPage::CSettingsPage(CSettingsStore& store, QWidget* parent)
    : QWidget(parent), m_store(store)
{
}

void CSettingsPage::SaveIfShown()
{
    if (m_loaded)
        Save(m_store);
}

void CSettingsPage::showEvent(QShowEvent* event)
{
    if (!m_loaded)
    {
        m_loading = true;
        Load(m_store);
        m_loading = false;
        m_loaded = true;
    }
    QWidget::showEvent(event);
}

void CSettingsPage::MarkChanged()
{
    if (!m_loading)
        emit Changed();
}

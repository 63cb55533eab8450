#include "ui/settings/SettingsPage.h"

#include "settings/SettingsStore.h"

#include <QComboBox>

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

void CSettingsPage::SelectIndex(QComboBox& list, int index)
{
    list.setCurrentIndex(index >= 0 && index < list.count() ? index : -1);
}

int CSettingsPage::SelectedOr(const QComboBox& list, int fallback)
{
    return list.currentIndex() >= 0 ? list.currentIndex() : fallback;
}

#pragma once

#include <QWidget>

class CSettingsStore;

// One page of the settings sheet. A page reads the store the first time it
// is shown and writes back only if it was ever shown, so that confirming the
// sheet never overwrites settings the user did not see.
class CSettingsPage : public QWidget
{
    Q_OBJECT

public:
    explicit CSettingsPage(CSettingsStore& store, QWidget* parent = nullptr);

    bool WasShown() const { return m_loaded; }
    // Writes the page's controls to the store if the page was shown.
    void SaveIfShown();

signals:
    // The user changed something on the page.
    void Changed();

protected:
    void showEvent(QShowEvent* event) override;

    virtual void Load(const CSettingsStore& store) = 0;
    virtual void Save(CSettingsStore& store) = 0;

    // Reports a change unless the page is filling its controls from the store.
    void MarkChanged();

private:
    CSettingsStore& m_store;
    bool m_loaded = false;
    bool m_loading = false;
};

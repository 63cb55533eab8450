#pragma once

#include <QWidget>

class CSettingsStore;
class QComboBox;

// One page of the settings sheet. A page reads the store the first time it
// is shown and writes back only if it was ever shown, so that confirming the
// sheet never overwrites settings the user did not see.
class CSettingsPage : public QWidget
{
    Q_OBJECT

public:
    explicit CSettingsPage(CSettingsStore& store, QWidget* parent = nullptr);

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

    // An index the list has no entry for selects nothing; a list showing
    // nothing then keeps the stored value (`fallback`) rather than write -1.
    static void SelectIndex(QComboBox& list, int index);
    static int SelectedOr(const QComboBox& list, int fallback);

private:
    CSettingsStore& m_store;
    bool m_loaded = false;
    bool m_loading = false;
};

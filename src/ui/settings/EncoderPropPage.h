#pragma once

#include "settings/SettingsStore.h"
#include "ui/settings/SettingsPage.h"

class QComboBox;
class QRadioButton;

// The "MP3 Encoder" page: bit rate, quality and constant or variable bit rate.
class CEncoderPropPage final : public CSettingsPage
{
    Q_OBJECT

public:
    explicit CEncoderPropPage(CSettingsStore& store, QWidget* parent = nullptr);

protected:
    void Load(const CSettingsStore& store) override;
    void Save(CSettingsStore& store) override;

private:
    QComboBox* m_bitRate;
    QComboBox* m_quality;
    QRadioButton* m_cbr;
    QRadioButton* m_vbr;
    // As read when the page was shown; kept for a value the lists cannot show.
    EncoderProperties m_read;
};

#pragma once

#include "settings/SettingsStore.h"
#include "ui/settings/SettingsPage.h"

#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;

// The text under the quality slider for `position`: the quality (0.05 per
// step) and the approximate bit rate, 0 kbps outside 0 to 20.
QString OggQualityLabel(int position);

// The "OGG Vorbis Encoder" page. Managed (BBR) and quality (VBR) encoding
// exclude each other; constant bit rate is in use when neither is chosen.
class CEncoderOGGVorbisPropPage final : public CSettingsPage
{
    Q_OBJECT

public:
    explicit CEncoderOGGVorbisPropPage(CSettingsStore& store, QWidget* parent = nullptr);

protected:
    void Load(const CSettingsStore& store) override;
    void Save(CSettingsStore& store) override;

private:
    QComboBox* NewBitrateList(const char* name);
    void OnBbrClicked();
    void OnVbrClicked();
    void OnSliderMoved(int position);
    void SettleCbrFlag();

    QComboBox* m_cbrList;
    QCheckBox* m_bbr;
    QComboBox* m_bbrNominal;
    QComboBox* m_bbrMin;
    QComboBox* m_bbrMax;
    QCheckBox* m_vbr;
    QSlider* m_slider;
    QLabel* m_sliderText;
    // As read when the page was shown; the CBR flag has no control of its own.
    OggProperties m_values;
};

#include "ui/settings/EncoderOGGVorbisPropPage.h"

#include "audio/ogg/OggEncoder.h"
#include "ui/common/UiText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>
#include <iterator>
#include <utility>

namespace
{
constexpr int kMaxPosition = static_cast<int>(std::size(kOggQualityBitrates)) - 1;
// The label's text is cut to this length (a translation might be longer).
constexpr qsizetype kMaxLabelLength = 64;

int Flag(bool on)
{
    return on ? 1 : 0;
}
} // namespace

QString OggQualityLabel(int position)
{
    const bool known = position >= 0 && position <= kMaxPosition;
    const int kbps = known ? kOggQualityBitrates[position] : 0;
    // The printf-style text is filled in by hand, so that a translated text
    // can never act as a format string.
    QString text = Tr("%.02f (%d kbps)");
    text.replace(QStringLiteral("%.02f"), QString::number(0.05 * position, 'f', 2));
    text.replace(QStringLiteral("%d"), QString::number(kbps));
    return text.left(kMaxLabelLength);
}

CEncoderOGGVorbisPropPage::CEncoderOGGVorbisPropPage(CSettingsStore& store, QWidget* parent)
    : CSettingsPage(store, parent), m_cbrList(NewBitrateList("cbrList")),
      m_bbr(new QCheckBox(Tr("Enable &BBR"), this)), m_bbrNominal(NewBitrateList("bbrNominal")),
      m_bbrMin(NewBitrateList("bbrMin")), m_bbrMax(NewBitrateList("bbrMax")),
      m_vbr(new QCheckBox(Tr("Enable &VBR"), this)), m_slider(new QSlider(Qt::Horizontal, this)),
      m_sliderText(new QLabel(this))
{
    m_bbr->setObjectName(QStringLiteral("enableBbr"));
    m_vbr->setObjectName(QStringLiteral("enableVbr"));
    m_slider->setObjectName(QStringLiteral("vbrSlider"));
    m_sliderText->setObjectName(QStringLiteral("vbrText"));
    m_slider->setRange(0, kMaxPosition);
    m_slider->setTickInterval(2);
    m_slider->setTickPosition(QSlider::TicksBelow);
    m_sliderText->setAlignment(Qt::AlignHCenter);

    auto* cbr = new QGroupBox(Tr("Constant bit rate (CBR)"), this);
    auto* cbrLayout = new QVBoxLayout(cbr);
    cbrLayout->addWidget(m_cbrList);

    auto* bbr = new QGroupBox(Tr("Burstable bit rate (BBR)"), this);
    auto* bbrLayout = new QGridLayout(bbr);
    bbrLayout->addWidget(m_bbr, 0, 0, 1, 3);
    int column = 0;
    for (auto [text, list] : {std::pair{"M&in", m_bbrMin}, std::pair{"&Nominal", m_bbrNominal},
                              std::pair{"Ma&x", m_bbrMax}})
    {
        auto* label = new QLabel(Tr(text), bbr);
        label->setBuddy(list);
        bbrLayout->addWidget(label, 1, column++);
    }
    bbrLayout->addWidget(m_bbrMin, 2, 0);
    bbrLayout->addWidget(m_bbrNominal, 2, 1);
    bbrLayout->addWidget(m_bbrMax, 2, 2);

    auto* vbr = new QGroupBox(Tr("Variable bit rate (VBR)"), this);
    auto* vbrLayout = new QVBoxLayout(vbr);
    vbrLayout->addWidget(m_vbr);
    vbrLayout->addWidget(m_slider);
    vbrLayout->addWidget(m_sliderText);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(cbr);
    layout->addWidget(bbr);
    layout->addWidget(vbr);
    layout->addStretch(1);

    connect(m_bbr, &QCheckBox::clicked, this, &CEncoderOGGVorbisPropPage::OnBbrClicked);
    connect(m_vbr, &QCheckBox::clicked, this, &CEncoderOGGVorbisPropPage::OnVbrClicked);
    connect(m_slider, &QSlider::valueChanged, this, &CEncoderOGGVorbisPropPage::OnSliderMoved);
    for (QComboBox* list : {m_cbrList, m_bbrMin, m_bbrNominal, m_bbrMax})
        connect(list, &QComboBox::currentIndexChanged, this,
                &CEncoderOGGVorbisPropPage::MarkChanged);
}

QComboBox* CEncoderOGGVorbisPropPage::NewBitrateList(const char* name)
{
    auto* list = new QComboBox(this);
    list->setObjectName(QString::fromLatin1(name));
    for (int kbps : kOggBitrates)
        list->addItem(Tr("%d kbps").replace(QStringLiteral("%d"), QString::number(kbps)));
    return list;
}

void CEncoderOGGVorbisPropPage::Load(const CSettingsStore& store)
{
    m_values = store.GetOggProperties();
    SelectIndex(*m_cbrList, m_values.cbrIndex);
    SelectIndex(*m_bbrMin, m_values.bbrMin);
    SelectIndex(*m_bbrNominal, m_values.bbrNom);
    SelectIndex(*m_bbrMax, m_values.bbrMax);
    // Both boxes may come up ticked when the store says so; the first click
    // on either settles it.
    m_bbr->setChecked(m_values.useBbr != 0);
    m_vbr->setChecked(m_values.useVbr != 0);
    m_slider->setValue(m_values.vbrPosition);
    m_sliderText->setText(OggQualityLabel(m_slider->value()));
}

void CEncoderOGGVorbisPropPage::Save(CSettingsStore& store)
{
    OggProperties properties = m_values;
    properties.useBbr = Flag(m_bbr->isChecked());
    properties.useVbr = Flag(m_vbr->isChecked());
    properties.cbrIndex = SelectedOr(*m_cbrList, m_values.cbrIndex);
    properties.bbrMin = SelectedOr(*m_bbrMin, m_values.bbrMin);
    properties.bbrNom = SelectedOr(*m_bbrNominal, m_values.bbrNom);
    properties.bbrMax = SelectedOr(*m_bbrMax, m_values.bbrMax);
    properties.vbrPosition = m_slider->value();
    store.SetOggProperties(properties);
}

void CEncoderOGGVorbisPropPage::OnBbrClicked()
{
    if (m_bbr->isChecked())
        m_vbr->setChecked(false);
    SettleCbrFlag();
}

void CEncoderOGGVorbisPropPage::OnVbrClicked()
{
    if (m_vbr->isChecked())
        m_bbr->setChecked(false);
    SettleCbrFlag();
}

void CEncoderOGGVorbisPropPage::SettleCbrFlag()
{
    m_values.useCbr = Flag(!m_bbr->isChecked() && !m_vbr->isChecked());
    MarkChanged();
}

void CEncoderOGGVorbisPropPage::OnSliderMoved(int position)
{
    m_sliderText->setText(OggQualityLabel(position));
    MarkChanged();
}

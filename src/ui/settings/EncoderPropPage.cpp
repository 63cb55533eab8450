#include "ui/settings/EncoderPropPage.h"

#include "ui/common/UiText.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace
{
const char* const kBitRates[] = {"64 kBit/s (Tape quality)",   "96 kBit/s (Tape quality)",
                                 "128 kBit/s (HiFi quality)",  "160 kBit/s (HiFi quality)",
                                 "192 kBit/s (CD quality)",    "256 kBit/s (Studio quality)",
                                 "320 kBit/s (Studio quality)"};
const char* const kQualities[] = {"Normal", "Low", "High"};

} // namespace

CEncoderPropPage::CEncoderPropPage(CSettingsStore& store, QWidget* parent)
    : CSettingsPage(store, parent), m_bitRate(new QComboBox(this)), m_quality(new QComboBox(this)),
      m_cbr(new QRadioButton(Tr("Con&stant Bit Rate (CBR)"), this)),
      m_vbr(new QRadioButton(Tr("&Variable Bit Rate (VBR)"), this))
{
    m_bitRate->setObjectName(QStringLiteral("bitRate"));
    m_quality->setObjectName(QStringLiteral("quality"));
    m_cbr->setObjectName(QStringLiteral("cbr"));
    m_vbr->setObjectName(QStringLiteral("vbr"));
    for (const char* text : kBitRates)
        m_bitRate->addItem(Tr(text));
    for (const char* text : kQualities)
        m_quality->addItem(Tr(text));

    auto* lists = new QFormLayout;
    lists->addRow(Tr("&Bit Rate:"), m_bitRate);
    lists->addRow(Tr("&Quality:"), m_quality);

    auto* encoding = new QGroupBox(Tr("Encoding with"), this);
    auto* encodingLayout = new QVBoxLayout(encoding);
    encodingLayout->addWidget(m_cbr);
    encodingLayout->addWidget(m_vbr);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addWidget(encoding);
    layout->addStretch(1);

    connect(m_bitRate, &QComboBox::currentIndexChanged, this, &CEncoderPropPage::MarkChanged);
    connect(m_quality, &QComboBox::currentIndexChanged, this, &CEncoderPropPage::MarkChanged);
    connect(m_cbr, &QRadioButton::clicked, this, &CEncoderPropPage::MarkChanged);
    connect(m_vbr, &QRadioButton::clicked, this, &CEncoderPropPage::MarkChanged);
}

void CEncoderPropPage::Load(const CSettingsStore& store)
{
    m_read = store.GetEncoderProperties();
    SelectIndex(*m_bitRate, m_read.bitRateIndex);
    SelectIndex(*m_quality, m_read.qualityIndex);
    m_cbr->setChecked(m_read.cbr);
    m_vbr->setChecked(!m_read.cbr);
}

void CEncoderPropPage::Save(CSettingsStore& store)
{
    EncoderProperties properties = m_read;
    properties.bitRateIndex = SelectedOr(*m_bitRate, m_read.bitRateIndex);
    properties.qualityIndex = SelectedOr(*m_quality, m_read.qualityIndex);
    properties.cbr = m_cbr->isChecked();
    properties.vbr = !properties.cbr;
    store.SetEncoderProperties(properties);
}

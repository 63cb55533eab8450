#include "ui/properties/AudioElementPage2.h"

#include "ui/common/UiText.h"
#include "ui/properties/PropertyTexts.h"
#include "ui/resources/UiResources.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

namespace
{
QToolButton* MakeImageButton(const QIcon& icon, const QString& tip, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setIcon(icon);
    button->setIconSize(QSize(32, 32));
    button->setToolTip(tip);
    button->setAutoRaise(true);
    return button;
}
} // namespace

CAudioElementPage2::CAudioElementPage2(std::function<std::int32_t()> position, QWidget* parent)
    : QWidget(parent), m_positionSource(std::move(position)), m_length(new QLabel(this)),
      m_sampleRate(new QLabel(this)), m_format(new QLabel(this)), m_position(new QLabel(this)),
      m_play(MakeImageButton(PlayButtonIcon(), Tr("Play"), this)),
      m_stop(MakeImageButton(StopButtonIcon(), Tr("Stop"), this)), m_timer(new QTimer(this))
{
    m_length->setObjectName(QStringLiteral("length"));
    m_sampleRate->setObjectName(QStringLiteral("samplingRate"));
    m_format->setObjectName(QStringLiteral("format"));
    m_position->setObjectName(QStringLiteral("position"));
    m_play->setObjectName(QStringLiteral("play"));
    m_stop->setObjectName(QStringLiteral("stop"));
    m_timer->setObjectName(QStringLiteral("positionTimer"));
    m_timer->setInterval(kPositionInterval);

    auto* values = new QFormLayout;
    values->addRow(Tr("Length:"), m_length);
    values->addRow(Tr("Sampling Rate:"), m_sampleRate);
    values->addRow(Tr("Format:"), m_format);
    values->addRow(Tr("Position:"), m_position);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_play);
    buttons->addWidget(m_stop);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(values);
    layout->addLayout(buttons);
    layout->addStretch(1);

    connect(m_play, &QToolButton::clicked, this, &CAudioElementPage2::PlayClicked);
    connect(m_stop, &QToolButton::clicked, this, &CAudioElementPage2::StopClicked);
    connect(m_timer, &QTimer::timeout, this, &CAudioElementPage2::ShowPosition);
}

void CAudioElementPage2::Load(std::int32_t lengthMilliseconds, std::uint32_t sampleRate,
                              std::int32_t format)
{
    m_length->setText(LengthText(lengthMilliseconds));
    m_sampleRate->setText(SampleRateText(sampleRate));
    m_format->setText(FormatText(format));
    m_position->clear();
}

void CAudioElementPage2::showEvent(QShowEvent* event)
{
    m_bShown = true;
    m_timer->start();
    QWidget::showEvent(event);
}

void CAudioElementPage2::hideEvent(QHideEvent* event)
{
    m_timer->stop();
    QWidget::hideEvent(event);
}

void CAudioElementPage2::ShowPosition()
{
    m_position->setText(PositionText(m_positionSource ? m_positionSource() : 0));
}

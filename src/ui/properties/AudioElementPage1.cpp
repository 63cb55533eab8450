#include "ui/properties/AudioElementPage1.h"

#include "ui/common/UiText.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <initializer_list>

CAudioElementPage1::CAudioElementPage1(QWidget* parent)
    : QWidget(parent), m_file(new QLineEdit(this)), m_title(new QLineEdit(this)),
      m_artist(new QLineEdit(this)), m_album(new QLineEdit(this)),
      m_next(new QPushButton(Tr("Change && next"), this)),
      m_previous(new QPushButton(Tr("Change && previous"), this))
{
    m_file->setObjectName(QStringLiteral("file"));
    m_title->setObjectName(QStringLiteral("title"));
    m_artist->setObjectName(QStringLiteral("artist"));
    m_album->setObjectName(QStringLiteral("album"));
    m_next->setObjectName(QStringLiteral("changeNext"));
    m_previous->setObjectName(QStringLiteral("changePrevious"));
    m_file->setEnabled(false);
    // Room for a typical path; longer ones scroll in the edit.
    m_file->setMinimumWidth(m_file->fontMetrics().averageCharWidth() * 48);
    // Neither button may take Enter from the sheet's OK.
    m_next->setAutoDefault(false);
    m_previous->setAutoDefault(false);

    auto* fields = new QGridLayout;
    int row = 0;
    for (auto [label, edit] : {std::pair{"&File:", m_file}, std::pair{"&Title:", m_title},
                               std::pair{"A&rtist:", m_artist}, std::pair{"Al&bum:", m_album}})
    {
        auto* text = new QLabel(Tr(label), this);
        text->setBuddy(edit);
        fields->addWidget(text, row, 0);
        fields->addWidget(edit, row++, 1);
    }
    fields->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_previous);
    buttons->addWidget(m_next);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addStretch(1);
    layout->addLayout(buttons);

    for (QLineEdit* edit : {m_title, m_artist, m_album})
        connect(edit, &QLineEdit::textChanged, this, &CAudioElementPage1::OnEdited);
    connect(m_next, &QPushButton::clicked, this, &CAudioElementPage1::NextRequested);
    connect(m_previous, &QPushButton::clicked, this, &CAudioElementPage1::PreviousRequested);
}

void CAudioElementPage1::Load(const QString& path, const TagTexts& tags, bool readOnly,
                              bool several)
{
    m_bLoading = true;
    // The edit cannot scroll while disabled: it shows the file's name, the
    // tooltip the whole path.
    m_file->setText(path);
    m_file->setCursorPosition(static_cast<int>(path.size()));
    m_file->setToolTip(path);
    m_title->setText(tags.title);
    m_artist->setText(tags.artist);
    m_album->setText(tags.album);
    m_bLoading = false;
    for (QLineEdit* edit : {m_title, m_artist, m_album})
        edit->setEnabled(!readOnly);
    m_next->setVisible(several);
    m_previous->setVisible(several);
}

TagTexts CAudioElementPage1::Tags() const
{
    return {m_title->text(), m_artist->text(), m_album->text()};
}

void CAudioElementPage1::showEvent(QShowEvent* event)
{
    m_bShown = true;
    QWidget::showEvent(event);
}

void CAudioElementPage1::OnEdited()
{
    if (!m_bLoading)
        emit Changed();
}

#include "ui/frame/AboutBox.h"

#include "Version.h"
#include "ui/common/UiText.h"
#include "ui/resources/UiResources.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

CAboutBox::CAboutBox(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Tr("About Brelvind Tunewright"));
    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(64, 64));
    auto* text =
        new QLabel(Tr("<b>%1</b><br><br>Checks MP3 files for damage, converts between "
                      "MP3, WAV and Ogg Vorbis,<br>edits title, artist and album tags and plays "
                      "tracks.<br><br>"
                      "Built with Qt %2, LAME, mpg123, libvorbis and TagLib.")
                       .arg(Tr(kProductName), QString::fromLatin1(qVersion())),
                   this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addSpacing(12);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

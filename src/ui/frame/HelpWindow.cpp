#include "ui/frame/HelpWindow.h"

#include "Version.h"
#include "ui/common/UiText.h"
#include "ui/resources/UiResources.h"

#include <QFile>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

CHelpWindow::CHelpWindow(QWidget* parent) : QDialog(parent), m_browser(new QTextBrowser(this))
{
    setWindowTitle(Tr("%1 Help").arg(Tr(kProductName)));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(640, 520);
}

bool CHelpWindow::ShowPage(const QString& page)
{
    const QUrl url = HelpPageUrl(page);
    if (page.isEmpty() || !QFile::exists(QLatin1Char(':') + url.path()))
        return false;
    m_browser->setSource(url);
    return true;
}

QString CHelpWindow::CurrentPage() const
{
    return m_browser->source().fileName();
}

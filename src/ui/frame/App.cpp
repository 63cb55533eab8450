#include "ui/frame/App.h"

#include "settings/QtSettingsStorage.h"
#include "ui/frame/MainFrame.h"

#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QSplashScreen>

namespace
{
QString BesideProgram(const QString& name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}
} // namespace

CTunewright20App::CTunewright20App(int& argc, char** argv,
                                   std::unique_ptr<ISettingsStorage> storage)
    : m_app(argc, argv), m_storage(std::move(storage)), m_settings(*m_storage), m_doc(m_settings)
{
    QCoreApplication::setOrganizationName(QStringLiteral("BRELVIND"));
    QCoreApplication::setApplicationName(QString::fromLatin1(kSettingsApplication));
    LoadTranslation();
}

CTunewright20App::~CTunewright20App()
{
    // The window's views observe the document; they go first.
    m_frame.reset();
}

void CTunewright20App::LoadTranslation()
{
    // A missing or unreadable translation leaves the program's own texts.
    if (m_translator.load(BesideProgram(QStringLiteral("lang.qm"))))
        QCoreApplication::installTranslator(&m_translator);
}

int CTunewright20App::Run()
{
    std::unique_ptr<QSplashScreen> splash;
    const QPixmap image(BesideProgram(QStringLiteral("SPLASH.BMP")));
    if (!image.isNull())
    {
        splash = std::make_unique<QSplashScreen>(image);
        splash->show();
        QCoreApplication::processEvents();
    }
    m_frame = std::make_unique<CMainFrame>(m_doc, m_settings, *m_storage, m_help);
    m_frame->ShowAtStoredPlacement();
    if (splash)
        splash->finish(m_frame.get());
    return QApplication::exec();
}

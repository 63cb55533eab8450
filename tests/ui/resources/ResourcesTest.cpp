#include "ui/common/Commands.h"
#include "ui/common/HelpContext.h"
#include "ui/resources/UiResources.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>
#include <QSet>
#include <QTextBlock>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace
{
const IconLook kLooks[] = {IconLook::Normal, IconLook::Hot, IconLook::Disabled};

QImage Render(const QIcon& icon, int size, QIcon::Mode mode = QIcon::Normal)
{
    return icon.pixmap(QSize(size, size), mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

bool HasVisiblePixels(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                return true;
    return false;
}

// The coverage of every pixel: the shape, whatever its colours.
QImage Shape(const QImage& image)
{
    return image.convertToFormat(QImage::Format_Alpha8);
}

void ExpectDrawsAt(const QString& path, int size)
{
    SCOPED_TRACE(path.toStdString());
    ASSERT_TRUE(QFile::exists(path));
    const QImage image = Render(QIcon(path), size);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(size, size));
    EXPECT_TRUE(HasVisiblePixels(image));
}

QString ReadText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList HelpPages()
{
    return QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")}, QDir::Files);
}

// Every href and src of a page, as written.
QStringList LinksOf(const QString& html)
{
    static const QRegularExpression link(QStringLiteral(R"re((?:href|src)\s*=\s*"([^"]*)")re"));
    QStringList links;
    for (const QRegularExpressionMatch& match : link.globalMatch(html))
        links << match.captured(1);
    return links;
}

// The text colour of the first main heading, which only the stylesheet sets.
QColor HeadingColour(const QTextDocument& document)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
    {
        if (block.blockFormat().headingLevel() == 1)
            return block.begin().fragment().charFormat().foreground().color();
    }
    return {};
}

// The resource file a link of `page` leads to (":/help/x.html"), with its fragment.
QUrl Resolve(const QString& page, const QString& link)
{
    return QUrl(QStringLiteral("qrc:/help/") + page).resolved(QUrl(link));
}
} // namespace

// A hover or disabled file that was not made again after its normal image
// changed would differ in shape; disabled looks are grey; no two images,
// even at menu size, look the same or share a command.
TEST(ToolbarIcons, LooksDrawShareTheNormalShapeAreDistinctAndShowInTheirModes)
{
    QSet<int> commands;
    QSet<QByteArray> pictures;
    for (const ToolbarImage& image : ToolbarImages())
    {
        const QString name = QString::fromLatin1(image.name);
        SCOPED_TRACE(image.name);
        for (IconLook look : kLooks)
            for (int size : {48, 16})
                ExpectDrawsAt(ToolbarIconPath(name, look), size);
        const QImage normal = Render(QIcon(ToolbarIconPath(name, IconLook::Normal)), 48);
        const QImage hot = Render(QIcon(ToolbarIconPath(name, IconLook::Hot)), 48);
        const QImage disabled = Render(QIcon(ToolbarIconPath(name, IconLook::Disabled)), 48);
        EXPECT_EQ(Shape(hot), Shape(normal));
        EXPECT_EQ(Shape(disabled), Shape(normal));
        EXPECT_NE(hot, normal);
        EXPECT_NE(disabled, normal);
        int coloured = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 48; ++x)
            {
                const QRgb pixel = disabled.pixel(x, y);
                const int spread = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)}) -
                                   std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)});
                coloured += spread > 3 ? 1 : 0;
            }
        EXPECT_EQ(coloured, 0);
        // The command's icon shows each look in its mode.
        const QIcon icon = CommandIcon(image.commandId);
        ASSERT_FALSE(icon.isNull());
        for (const auto& [mode, look] :
             {std::pair{QIcon::Normal, IconLook::Normal}, std::pair{QIcon::Active, IconLook::Hot},
              std::pair{QIcon::Disabled, IconLook::Disabled}})
            EXPECT_EQ(Render(icon, 48, mode), Render(QIcon(ToolbarIconPath(name, look)), 48));
        commands.insert(image.commandId);
        const QImage small = Render(QIcon(ToolbarIconPath(name, IconLook::Normal)), 16);
        pictures.insert(QByteArray(reinterpret_cast<const char*>(small.constBits()),
                                   static_cast<int>(small.sizeInBytes())));
    }
    EXPECT_EQ(commands.size(), 11);
    EXPECT_EQ(pictures.size(), 11);
    EXPECT_TRUE(CommandIcon(kCmdSettings).isNull());
    EXPECT_TRUE(CommandIcon(kCmdConvertMp3ToMp3).isNull());
}

TEST(OtherIcons, ApplicationAndPlayerButtonsDraw)
{
    const QImage application = Render(ApplicationIcon(), 48);
    EXPECT_EQ(application.size(), QSize(48, 48));
    EXPECT_TRUE(HasVisiblePixels(application));
    for (const char* name : {"play-button", "stop-button"})
        for (IconLook look : kLooks)
            ExpectDrawsAt(ButtonIconPath(QString::fromLatin1(name), look), 24);
    EXPECT_NE(Render(PlayButtonIcon(), 24, QIcon::Disabled), Render(PlayButtonIcon(), 24));
    EXPECT_NE(Render(StopButtonIcon(), 24, QIcon::Active), Render(StopButtonIcon(), 24));
}

TEST(HelpPages, EveryHelpContextHasItsPage)
{
    for (int context = CHelpContext::kMain; context <= CHelpContext::kConvertMp3ToMp3; ++context)
    {
        const QString page = CHelpContext::TopicPage(context);
        SCOPED_TRACE(page.toStdString());
        ASSERT_FALSE(page.isEmpty());
        EXPECT_TRUE(QFile::exists(QStringLiteral(":/help/") + page));
    }
    EXPECT_EQ(HelpPages().size(), 7);
}

// Pages not reached from the contents are missing from `reached`, so the
// links of every page are checked once the contents reach them all.
TEST(HelpPages, LinksLeadToExistingFilesAndAnchorsAndReachEveryPage)
{
    QSet<QString> reached{QStringLiteral("index.html")};
    QStringList toVisit{QStringLiteral("index.html")};
    while (!toVisit.isEmpty())
    {
        const QString page = toVisit.takeFirst();
        const QStringList links = LinksOf(ReadText(QStringLiteral(":/help/") + page));
        EXPECT_TRUE(links.contains(QStringLiteral("index.html"))) << page.toStdString();
        EXPECT_TRUE(links.contains(QStringLiteral("help.css"))) << page.toStdString();
        for (const QString& link : links)
        {
            SCOPED_TRACE((page + " -> " + link).toStdString());
            const QUrl target = Resolve(page, link);
            ASSERT_EQ(target.scheme(), QStringLiteral("qrc")); // help never goes online
            const QString file = QStringLiteral(":") + target.path();
            ASSERT_TRUE(QFile::exists(file));
            if (target.hasFragment())
            {
                EXPECT_TRUE(
                    ReadText(file).contains(QStringLiteral("id=\"%1\"").arg(target.fragment())));
            }
            const QString linked = target.path().mid(6);
            if (file.startsWith(QStringLiteral(":/help/")) &&
                file.endsWith(QStringLiteral(".html")) && !reached.contains(linked))
            {
                reached.insert(linked);
                toVisit << linked;
            }
        }
    }
    const QStringList pages = HelpPages();
    EXPECT_EQ(reached, QSet<QString>(pages.begin(), pages.end()));
}

TEST(HelpPages, ShowInATextBrowserWithTitleAndPictures)
{
    for (const QString& page : HelpPages())
    {
        SCOPED_TRACE(page.toStdString());
        QTextBrowser browser;
        browser.setSource(HelpPageUrl(page));
        EXPECT_FALSE(browser.documentTitle().isEmpty());
        EXPECT_TRUE(browser.toPlainText().size() > 500);
        EXPECT_EQ(HeadingColour(*browser.document()), QColor(0x1b, 0x5f, 0xb8))
            << "the shared stylesheet was not applied";
        // The browser hands image data to QImage, which must understand SVG.
        for (const QString& link : LinksOf(ReadText(QStringLiteral(":/help/") + page)))
        {
            if (!link.endsWith(QStringLiteral(".svg")))
                continue;
            const QVariant data =
                browser.loadResource(QTextDocument::ImageResource, Resolve(page, link));
            EXPECT_FALSE(QImage::fromData(data.toByteArray()).isNull()) << link.toStdString();
        }
    }
}

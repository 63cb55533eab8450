#include "ui/resources/UiResources.h"

#include "ui/common/Commands.h"

namespace
{
QString LookFolder(IconLook look)
{
    switch (look)
    {
    case IconLook::Hot:
        return QStringLiteral("hot");
    case IconLook::Disabled:
        return QStringLiteral("disabled");
    default:
        return QStringLiteral("normal");
    }
}

// The SVG icon engine draws each mode sharply at whatever size is asked for.
template <typename PathOf>
QIcon ThreeLooks(PathOf pathOf)
{
    QIcon icon;
    icon.addFile(pathOf(IconLook::Normal), {}, QIcon::Normal);
    icon.addFile(pathOf(IconLook::Hot), {}, QIcon::Active);
    icon.addFile(pathOf(IconLook::Disabled), {}, QIcon::Disabled);
    return icon;
}

QIcon ButtonIcon(const QString& name)
{
    return ThreeLooks([&name](IconLook look) { return ButtonIconPath(name, look); });
}
} // namespace

const std::array<ToolbarImage, 11>& ToolbarImages()
{
    static const std::array<ToolbarImage, 11> images{{
        {kCmdSaveAnalysisResults, "save-results"},
        {kCmdMoveCorruptFiles, "move-corrupt"},
        {kCmdAnalyze, "analyze"},
        {kCmdConvertToWav, "convert-wav"},
        {kCmdConvertToMp3, "convert-mp3"},
        {kCmdConvertToOgg, "convert-ogg"},
        {kCmdEditTags, "edit-tags"},
        {kCmdAddTracks, "add-track"},
        {kCmdRemoveTracks, "remove-track"},
        {kCmdPlayTrack, "play-track"},
        {kCmdStopPlaying, "stop-playing"},
    }};
    return images;
}

QString ToolbarIconPath(const QString& name, IconLook look)
{
    return QStringLiteral(":/icons/toolbar/%1/%2.svg").arg(LookFolder(look), name);
}

QIcon CommandIcon(int commandId)
{
    for (const ToolbarImage& image : ToolbarImages())
    {
        if (image.commandId != commandId)
            continue;
        const QString name = QString::fromLatin1(image.name);
        return ThreeLooks([&name](IconLook look) { return ToolbarIconPath(name, look); });
    }
    return {};
}

QString ButtonIconPath(const QString& name, IconLook look)
{
    return QStringLiteral(":/icons/buttons/%1/%2.svg").arg(LookFolder(look), name);
}

QIcon PlayButtonIcon()
{
    return ButtonIcon(QStringLiteral("play-button"));
}

QIcon StopButtonIcon()
{
    return ButtonIcon(QStringLiteral("stop-button"));
}

QIcon ApplicationIcon()
{
    return QIcon(QStringLiteral(":/icons/tunewright.svg"));
}

QUrl HelpPageUrl(const QString& page)
{
    return QUrl(QStringLiteral("qrc:/help/") + page);
}

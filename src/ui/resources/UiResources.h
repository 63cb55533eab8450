#pragma once

#include <QIcon>
#include <QString>
#include <QUrl>
#include <array>

// The window's images and help pages live in the tw_ui_resources library;
// linking it is all it takes to make them available.

// The three looks of every image: as drawn, under the mouse, and unavailable.
enum class IconLook
{
    Normal,
    Hot,
    Disabled,
};

// One image of the toolbar: the command it belongs to and its file name
// (without folder and ".svg").
struct ToolbarImage
{
    int commandId;
    const char* name;
};

// The toolbar's images in button order, left to right.
const std::array<ToolbarImage, 11>& ToolbarImages();

// ":/icons/toolbar/<look>/<name>.svg".
QString ToolbarIconPath(const QString& name, IconLook look);

// A command's image with its three looks as the icon's Normal, Active and
// Disabled modes, for the toolbar and the menus; a null icon for a command
// without an image.
QIcon CommandIcon(int commandId);

// The play and stop images of the track properties, in their three looks.
QString ButtonIconPath(const QString& name, IconLook look);
QIcon PlayButtonIcon();
QIcon StopButtonIcon();

// The program's own icon.
QIcon ApplicationIcon();

// A help page ("index.html", "Configuration.html", ...) as a URL a text
// browser can open.
QUrl HelpPageUrl(const QString& page);

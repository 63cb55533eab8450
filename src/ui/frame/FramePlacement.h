#pragma once

#include <QRect>
#include <optional>
#include <string>

class ISettingsStorage;
class QMainWindow;

// Where the main window was and how it was shown, as kept in the settings
// under "Main Frame": "Rectangle" (the normal position, "%04d %04d %04d
// %04d" of left, top, right and bottom), "Iconized" and "Maximized".
struct FramePlacement
{
    std::optional<QRect> normal;
    bool iconized = false;
    bool maximized = false; // when iconized: restores to maximised

    static FramePlacement Load(const ISettingsStorage& storage);
    void Save(ISettingsStorage& storage) const;
};

// The stored text of a normal rectangle; right and bottom lie just outside it.
std::string FormatRectangle(const QRect& rect);
// Four blank-separated numbers, so that any text FormatRectangle writes
// reads back, wide coordinates too; nothing for anything else or an
// empty rectangle.
std::optional<QRect> ParseRectangle(const std::string& text);

// Keeps a main window's placement: restores it before the first show and
// captures it when the window closes. Remembers whether a minimised window
// came from a maximised one, which the window state alone does not tell.
class CFramePlacement
{
public:
    explicit CFramePlacement(QMainWindow& frame) : m_frame(frame) {}

    // Sets the stored geometry and returns the state to show the window in.
    Qt::WindowStates Apply(const FramePlacement& placement);
    FramePlacement Capture() const;
    // To be called on each window state change.
    void OnStateChanged(Qt::WindowStates oldState);

private:
    QMainWindow& m_frame;
    bool m_restoreMaximized = false;
};

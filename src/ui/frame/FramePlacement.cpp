#include "ui/frame/FramePlacement.h"

#include "settings/SettingsStore.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <cstdio>
#include <sstream>

namespace
{
const std::string kSection = "Main Frame";

// A rectangle that lies on no screen (a monitor since unplugged) would
// open the window where nobody can reach it.
bool IsOnSomeScreen(const QRect& rect)
{
    const auto screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return true;
    for (const QScreen* screen : screens)
    {
        if (screen->availableGeometry().intersects(rect))
            return true;
    }
    return false;
}
} // namespace

std::string FormatRectangle(const QRect& rect)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04d %04d %04d %04d", rect.left(), rect.top(),
                  rect.left() + rect.width(), rect.top() + rect.height());
    return text;
}

std::optional<QRect> ParseRectangle(const std::string& text)
{
    std::istringstream in(text);
    long long left = 0, top = 0, right = 0, bottom = 0;
    if (!(in >> left >> top >> right >> bottom))
        return std::nullopt;
    constexpr long long kLimit = 1'000'000;
    for (long long value : {left, top, right, bottom})
    {
        if (value < -kLimit || value > kLimit)
            return std::nullopt;
    }
    if (right <= left || bottom <= top)
        return std::nullopt;
    return QRect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                 static_cast<int>(bottom - top));
}

FramePlacement FramePlacement::Load(const ISettingsStorage& storage)
{
    FramePlacement placement;
    if (const auto text = storage.ReadString(kSection, "Rectangle"); text && !text->empty())
        placement.normal = ParseRectangle(*text);
    placement.iconized = storage.ReadInt(kSection, "Iconized").value_or(0) != 0;
    placement.maximized = storage.ReadInt(kSection, "Maximized").value_or(0) != 0;
    return placement;
}

void FramePlacement::Save(ISettingsStorage& storage) const
{
    if (normal)
        storage.WriteString(kSection, "Rectangle", FormatRectangle(*normal));
    storage.WriteInt(kSection, "Iconized", iconized ? 1 : 0);
    storage.WriteInt(kSection, "Maximized", maximized ? 1 : 0);
}

Qt::WindowStates CFramePlacement::Apply(const FramePlacement& placement)
{
    if (placement.normal && IsOnSomeScreen(*placement.normal))
        m_frame.setGeometry(*placement.normal);
    m_restoreMaximized = placement.iconized && placement.maximized;
    Qt::WindowStates state = Qt::WindowNoState;
    if (placement.maximized)
        state |= Qt::WindowMaximized;
    if (placement.iconized)
        state |= Qt::WindowMinimized;
    return state;
}

FramePlacement CFramePlacement::Capture() const
{
    FramePlacement placement;
    // The normal position, also while maximised or minimised.
    placement.normal = m_frame.normalGeometry();
    if (placement.normal->isEmpty())
        placement.normal = m_frame.geometry();
    const Qt::WindowStates state = m_frame.windowState();
    placement.iconized = state.testFlag(Qt::WindowMinimized);
    placement.maximized = placement.iconized
                              ? (m_restoreMaximized || state.testFlag(Qt::WindowMaximized))
                              : state.testFlag(Qt::WindowMaximized);
    return placement;
}

void CFramePlacement::OnStateChanged(Qt::WindowStates oldState)
{
    const Qt::WindowStates state = m_frame.windowState();
    if (state.testFlag(Qt::WindowMinimized) && !oldState.testFlag(Qt::WindowMinimized))
        m_restoreMaximized =
            oldState.testFlag(Qt::WindowMaximized) || state.testFlag(Qt::WindowMaximized);
}

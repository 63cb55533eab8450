#pragma once

#include <QListWidget>
#include <cstdint>

class QPalette;

// A run's results: one line per entry, each with its own text colour
// (0xRRGGBB as the core gives it). Black lines follow the palette, so that
// they read like any other list; a selected coloured line is filled with
// its colour and written in the inverse colour.
class CColorListBox : public QListWidget
{
    Q_OBJECT

public:
    explicit CColorListBox(QWidget* parent = nullptr);

    // Appends a line and brings it into view; returns its index.
    int AddLine(const QString& text, std::uint32_t colour);
    std::uint32_t LineColour(int index) const;

    static QColor FillColour(std::uint32_t colour, bool selected, const QPalette& palette);
    static QColor TextColour(std::uint32_t colour, bool selected, bool enabled,
                             const QPalette& palette);

private:
    int m_widest = 0;
};

#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <cstdint>
#include <vector>

class QPalette;

// A run's results: one line per entry, each with its own text colour
// (0xRRGGBB as the core gives it). Black lines follow the palette, so that
// they read like any other list; a selected coloured line is filled with
// its colour and written in the inverse colour. The lines live in a model
// of their own, so that a run's hundred thousand lines cost no widget each.
class CColorListBox : public QListView
{
    Q_OBJECT

public:
    struct Line
    {
        QString text;
        std::uint32_t colour;
    };

    explicit CColorListBox(QWidget* parent = nullptr);

    // Appends a line and brings it into view; returns its index.
    int AddLine(const QString& text, std::uint32_t colour);
    // Appends lines in one step and brings the last into view.
    void AddLines(std::vector<Line> lines);
    int count() const;
    QString LineText(int index) const;
    std::uint32_t LineColour(int index) const;

    static QColor FillColour(std::uint32_t colour, bool selected, const QPalette& palette);
    static QColor TextColour(std::uint32_t colour, bool selected, bool enabled,
                             const QPalette& palette);

private:
    class CLinesModel;

    CLinesModel* m_lines;
    int m_widest = 0;
};

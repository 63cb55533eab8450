#pragma once

#include <QLabel>

// A one-line text for a path: a long path is shortened in its middle to the
// label's width instead of widening the dialog; the whole path is the tip.
class CPathLabel : public QLabel
{
    Q_OBJECT

public:
    explicit CPathLabel(QWidget* parent = nullptr);

    void SetPath(const QString& path);
    QString Path() const { return m_path; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();

    QString m_path;
};

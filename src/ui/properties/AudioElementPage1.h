#pragma once

#include <QString>
#include <QWidget>

class QLineEdit;
class QPushButton;

// Title, artist and album as the user edits them.
struct TagTexts
{
    QString title;
    QString artist;
    QString album;
};

// The "File" page of the track properties: the file's path and its three
// tags, with the buttons that save and move to the next or previous track
// when several tracks are edited.
class CAudioElementPage1 final : public QWidget
{
    Q_OBJECT

public:
    explicit CAudioElementPage1(QWidget* parent = nullptr);

    // Shows one track; filling the controls does not count as a change.
    // A read-only file's tags cannot be edited; the change buttons are
    // there only for several tracks.
    void Load(const QString& path, const TagTexts& tags, bool readOnly, bool several);
    TagTexts Tags() const;
    bool WasShown() const { return m_bShown; }

signals:
    // The user changed a tag.
    void Changed();
    void NextRequested();
    void PreviousRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnEdited();

    QLineEdit* m_file;
    QLineEdit* m_title;
    QLineEdit* m_artist;
    QLineEdit* m_album;
    QPushButton* m_next;
    QPushButton* m_previous;
    bool m_bLoading = false;
    bool m_bShown = false;
};

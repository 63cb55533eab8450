#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>

class QLabel;
class QTimer;
class QToolButton;

// The "Properties" page of the track properties: length, sampling rate and
// format of the file, and the play position with play and stop buttons.
// While the page is in sight the position is read once a second.
class CAudioElementPage2 final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kPositionInterval = 1000; // milliseconds

    // `position` gives the player's position in milliseconds.
    explicit CAudioElementPage2(std::function<std::int32_t()> position, QWidget* parent = nullptr);

    // Shows one track's values; the position stays empty until the next tick.
    void Load(std::int32_t lengthMilliseconds, std::uint32_t sampleRate, std::int32_t format);
    bool WasShown() const { return m_bShown; }

signals:
    void PlayClicked();
    void StopClicked();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void ShowPosition();

    std::function<std::int32_t()> m_positionSource;
    QLabel* m_length;
    QLabel* m_sampleRate;
    QLabel* m_format;
    QLabel* m_position;
    QToolButton* m_play;
    QToolButton* m_stop;
    QTimer* m_timer;
    bool m_bShown = false;
};

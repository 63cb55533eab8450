#pragma once

#include "tracks/Document.h"
#include "ui/runs/ColorListBox.h"
#include "ui/runs/MessagePresenter.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Runs the event loop until `done` holds or `timeoutMs` has passed; true
// when it holds.
inline bool SpinUntil(const std::function<bool()>& done, int timeoutMs = 20000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done())
    {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The paths of the document's tracks, in list order.
inline std::vector<std::string> TrackPaths(const CTunewright20Doc& doc)
{
    std::vector<std::string> paths;
    for (const TrackInfo* track : doc.GetTracks())
        paths.push_back(track->path);
    return paths;
}

// The lines of a run dialog's results list with their colours.
inline std::vector<std::pair<std::string, std::uint32_t>> ResultLines(const QDialog& dialog)
{
    const auto* list = dialog.findChild<CColorListBox*>(QStringLiteral("results"));
    std::vector<std::pair<std::string, std::uint32_t>> lines;
    for (int i = 0; list && i < list->count(); ++i)
        lines.emplace_back(list->LineText(i).toStdString(), list->LineColour(i));
    return lines;
}

// Once a modal dialog is up, clicks its button named `button`.
inline void ClickInModalDialog(const QString& button)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll,
                     [poll, button]
                     {
                         QWidget* modal = QApplication::activeModalWidget();
                         auto* target = modal ? modal->findChild<QPushButton*>(button) : nullptr;
                         if (!target)
                             return;
                         poll->deleteLater();
                         poll->stop();
                         target->click();
                     });
    poll->start(1);
}

// Answers questions with `answer` and notes what was asked and shown.
struct CRecordingPresenter
{
    HostAnswer answer = HostAnswer::Yes;
    std::function<void()> onAsk;
    std::vector<std::string> questions;
    std::vector<std::pair<std::string, MessageIcon>> messages;

    CMessagePresenter Presenter()
    {
        return {[this](QWidget*, const QString& question)
                {
                    questions.push_back(question.toStdString());
                    if (onAsk)
                        onAsk();
                    return answer;
                },
                [this](QWidget*, const QString& text, MessageIcon icon)
                { messages.emplace_back(text.toStdString(), icon); }};
    }
};

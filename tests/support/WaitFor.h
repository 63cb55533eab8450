#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>

// Runs the event loop until `done` holds or `ms` milliseconds have passed;
// returns whether it holds.
inline bool WaitFor(const std::function<bool()>& done, int ms = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// Polls `ready` from the event loop and, once it holds, does `then` once;
// the polling ends with `owner` at the latest.
inline void WhenReady(QObject* owner, std::function<bool()> ready, std::function<void()> then)
{
    auto* poll = new QTimer(owner);
    QObject::connect(poll, &QTimer::timeout, poll,
                     [poll, ready = std::move(ready), then = std::move(then)]
                     {
                         if (!ready())
                             return;
                         poll->stop();
                         poll->deleteLater();
                         then();
                     });
    poll->start(0);
}

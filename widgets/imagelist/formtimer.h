#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

// A one-shot timer of a form. It runs on the event loop's real time, or, while a ManualClock
// exists, on that clock's time, which passes only when the owner of the clock advances it, so a
// ten-second lifetime can be checked without waiting ten seconds.
class FormTimer : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FormTimer)
public:
    explicit FormTimer(QObject* parent = nullptr);
    ~FormTimer() override;

    // Runs onTimeout once, ms milliseconds from now; a running timer starts again.
    void start(int ms, std::function<void()> onTimeout);
    void stop();
    [[nodiscard]] bool isActive() const;

private:
    friend class ManualClock;
    void fire();

    QTimer m_timer;
    std::function<void()> m_onTimeout;
    qint64 m_due = -1; // on the manual clock; -1 when not waiting on it
};

// Replaces real time for every FormTimer started while it exists (one at a time). Timers still
// waiting on it when it goes are stopped.
class ManualClock {
    Q_DISABLE_COPY_MOVE(ManualClock)
public:
    ManualClock();
    ~ManualClock();

    // Lets ms milliseconds pass: the timers that fall due run in the order of their due times,
    // each at its own time (a timer started by another one runs when its time comes).
    void advance(int ms);
    [[nodiscard]] qint64 now() const { return m_now; }

private:
    qint64 m_now = 0;
};

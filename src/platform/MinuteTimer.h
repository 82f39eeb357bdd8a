#pragma once

#include <QObject>
#include <QTimer>

#include <memory>

class QSocketNotifier;

// The scheduler's timer, on the wall clock. Qt's timers count on the
// monotonic clock, which stands still while the PC sleeps, so they would
// come up to a minute late after a resume. This one is a timerfd on
// CLOCK_REALTIME, armed at an absolute moment: it fires within a
// millisecond of it, at once after a resume that slept past it, and at
// once when the clock is set (then clockChanged() comes first).
class MinuteTimer : public QObject {
    Q_OBJECT
public:
    explicit MinuteTimer(QObject* parent = nullptr);
    ~MinuteTimer() override;

    // Fires `ms` from now on the wall clock.
    void start(int ms);
    void stop();
    bool isActive() const { return active_; }
    int remainingTime() const;

signals:
    // The moment has come: run a pass.
    void timeout();
    // The wall clock was set (by hand or by the time service) while armed.
    void clockChanged();

private:
    void onReadable();

    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer fallback_; // where no timerfd can be made
    bool active_ = false;
};

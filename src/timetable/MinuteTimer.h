#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

// A timer for the scheduler's passes that fires within a millisecond or two
// of the wanted moment. Linux lets a long poll timeout end up to 0.1 % late
// (60 ms on a minute), so a long wait is cut in two: a wake-up about a second
// before the moment, which re-arms for the exact rest as read from the clock.
class MinuteTimer : public QObject {
    Q_OBJECT
public:
    static constexpr int kApproachMs = 1000;

    // `msToBoundary` reads the clock: the milliseconds left to the next minute.
    explicit MinuteTimer(std::function<int()> msToBoundary, QObject* parent = nullptr);

    void start(int ms);
    void stop();
    bool isActive() const { return timer_.isActive(); }
    int remainingTime() const;

signals:
    // The moment has come: run a pass.
    void timeout();

private:
    void onTimer();

    std::function<int()> msToBoundary_;
    QTimer timer_;
    bool approaching_ = false;
    int approachRest_ = 0;
};

#include "timetable/MinuteTimer.h"

MinuteTimer::MinuteTimer(std::function<int()> msToBoundary, QObject* parent)
    : QObject(parent), msToBoundary_(std::move(msToBoundary)) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &MinuteTimer::onTimer);
}

void MinuteTimer::start(int ms) {
    approaching_ = ms > 2 * kApproachMs;
    approachRest_ = approaching_ ? kApproachMs : 0;
    timer_.start(approaching_ ? ms - kApproachMs : ms);
}

void MinuteTimer::stop() {
    timer_.stop();
    approaching_ = false;
}

int MinuteTimer::remainingTime() const {
    return timer_.isActive() ? timer_.remainingTime() + approachRest_ : -1;
}

void MinuteTimer::onTimer() {
    if (approaching_) {
        approaching_ = false;
        approachRest_ = 0;
        timer_.start(std::max(0, msToBoundary_()));
        return;
    }
    emit timeout();
}

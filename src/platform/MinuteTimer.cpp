#include "platform/MinuteTimer.h"

#include <QSocketNotifier>

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

namespace {
timespec plusMs(timespec t, int ms) {
    t.tv_sec += ms / 1000;
    t.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
    if (t.tv_nsec >= 1000000000L) {
        ++t.tv_sec;
        t.tv_nsec -= 1000000000L;
    }
    return t;
}
} // namespace

MinuteTimer::MinuteTimer(QObject* parent) : QObject(parent) {
    fd_ = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, &MinuteTimer::onReadable);
    }
    fallback_.setTimerType(Qt::PreciseTimer);
    fallback_.setSingleShot(true);
    connect(&fallback_, &QTimer::timeout, this, [this] {
        active_ = false;
        emit timeout();
    });
}

MinuteTimer::~MinuteTimer() {
    notifier_.reset();
    if (fd_ >= 0)
        ::close(fd_);
}

void MinuteTimer::start(int ms) {
    active_ = true;
    if (fd_ < 0) {
        fallback_.start(std::max(0, ms));
        return;
    }
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    itimerspec when{};
    when.it_value = plusMs(now, std::max(1, ms)); // zero would disarm it
    ::timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when, nullptr);
}

void MinuteTimer::stop() {
    active_ = false;
    fallback_.stop();
    if (fd_ >= 0) {
        const itimerspec off{};
        ::timerfd_settime(fd_, 0, &off, nullptr);
    }
}

int MinuteTimer::remainingTime() const {
    if (!active_)
        return -1;
    if (fd_ < 0)
        return fallback_.remainingTime();
    itimerspec left{};
    ::timerfd_gettime(fd_, &left);
    return static_cast<int>(left.it_value.tv_sec * 1000 + left.it_value.tv_nsec / 1000000);
}

void MinuteTimer::onReadable() {
    std::uint64_t expirations = 0;
    const ssize_t got = ::read(fd_, &expirations, sizeof(expirations));
    if (got < 0 && errno == EAGAIN)
        return; // nothing due after all
    const bool clockSet = got < 0 && errno == ECANCELED;
    if (!active_)
        return;
    active_ = false;
    if (clockSet)
        emit clockChanged();
    // Due, or the clock moved under it: either way a pass now re-arms from the new time.
    emit timeout();
}

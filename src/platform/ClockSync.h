#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>

class QSocketNotifier;

// Whether the computer's clock is kept right by a time service: a bell is
// only as right as the clock. Reads NTPSynchronized of
// org.freedesktop.timedate1 on the system bus at start, every hour, whenever
// the clock is set (a first synchronization steps it), and every few minutes
// while it reads false: the service sends no change signal for it. Without
// the service nothing is known (and nothing shown).
class ClockSync : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kRecheckWhileUnsynchronized =
        std::chrono::minutes(3);

    explicit ClockSync(
        QObject* parent = nullptr,
        std::chrono::milliseconds recheckWhileUnsynchronized = kRecheckWhileUnsynchronized);
    ~ClockSync() override;

    std::optional<bool> synchronized() const { return synchronized_; }
    // Reads the property again (the hourly check calls it).
    void check();

signals:
    void changed();

private slots:
    void onPropertiesChanged(const QString& interface, const QVariantMap& changed,
                             const QStringList& invalidated);

private:
    void set(std::optional<bool> value);
    void watchClockSet();
    void onClockSet();

    std::optional<bool> synchronized_;
    QTimer hourly_;
    QTimer whileUnsynchronized_;
    // A timerfd armed far ahead with TFD_TIMER_CANCEL_ON_SET: readable when the clock is set.
    int clockSetFd_ = -1;
    std::unique_ptr<QSocketNotifier> clockSetNotifier_;
};

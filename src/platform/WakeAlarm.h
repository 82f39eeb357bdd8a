#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

// Wakes the PC from sleep at a set moment. At most one moment is set at a
// time; setting another replaces it. Whether it took is known only later:
// armedFor() turns valid once the system has accepted it, and problem()
// says why not when it was refused or cannot be done here.
class WakeAlarm : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~WakeAlarm() override = default;

    virtual void set(const QDateTime& when) = 0;
    virtual void clear() = 0;
    virtual QDateTime armedFor() const = 0;
    virtual QString problem() const = 0;

signals:
    // armedFor() or problem() changed.
    void changed();
};

// systemd on the system bus: the package's template timer
// velmar-dorl-wake@<moment>.timer (OnCalendar=%I, WakeSystem=true) is
// started for the moment, and every other instance of it is stopped. The
// package's polkit rule lets the active local user do just that.
class SystemdWakeAlarm final : public WakeAlarm {
    Q_OBJECT
public:
    explicit SystemdWakeAlarm(QObject* parent = nullptr);

    void set(const QDateTime& when) override;
    void clear() override;
    QDateTime armedFor() const override { return armed_; }
    QString problem() const override { return problem_; }

    // "velmar-dorl-wake@2027\x2d01\x2d04\x2008:10:00.timer" for 2027-01-04 08:10.
    static QString unitFor(const QDateTime& when);

private:
    void stopOthersThenStart();
    void start();
    void finish(const QDateTime& armed, const QString& problem);

    QDateTime wanted_;
    QDateTime armed_;
    QString problem_;
    bool busy_ = false;
};

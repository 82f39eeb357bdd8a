#pragma once

#include <QObject>
#include <QTimer>

#include <optional>

// Whether the computer's clock is kept right by a time service: a bell is
// only as right as the clock. Reads NTPSynchronized of
// org.freedesktop.timedate1 on the system bus at start, every hour and on
// its change signal. Without the service nothing is known (and nothing shown).
class ClockSync : public QObject {
    Q_OBJECT
public:
    explicit ClockSync(QObject* parent = nullptr);

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

    std::optional<bool> synchronized_;
    QTimer hourly_;
};

#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

// The ways a session ends the program or puts the PC to sleep, brought to
// the event loop: SIGTERM, SIGINT and SIGHUP (log-off, shutdown, kill),
// logind's PrepareForShutdown and PrepareForSleep on the system bus. A
// missing bus is passed over.
class SessionEvents : public QObject {
    Q_OBJECT
public:
    explicit SessionEvents(QObject* parent = nullptr);
    ~SessionEvents() override;

signals:
    // The program must end now; `why` says what asked for it.
    void endRequested(const QString& why);
    // The PC goes to sleep (true) or has woken up (false).
    void sleeping(bool asleep);

private slots:
    void onPrepareForShutdown(bool start);
    void onPrepareForSleep(bool start);

private:
    void onSignal();

    std::unique_ptr<QSocketNotifier> notifier_;
};

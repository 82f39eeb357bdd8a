#pragma once

#include <QDBusUnixFileDescriptor>
#include <QObject>

// Keeps the PC from going to sleep while held. The screen may still blank
// and lock: only suspend is held off.
class IdleInhibitor {
public:
    virtual ~IdleInhibitor() = default;
    virtual void hold(bool on) = 0;
};

// On D-Bus, with what the desktop offers, tried in this order:
// org.gnome.SessionManager (flag 4, suspend), org.freedesktop.PowerManagement
// (XFCE), logind's Inhibit("sleep", "block") on the system bus. A missing service is
// passed over. Calls never block the program: replies come on the event loop.
class DBusIdleInhibitor final : public QObject, public IdleInhibitor {
    Q_OBJECT
public:
    explicit DBusIdleInhibitor(QObject* parent = nullptr);
    ~DBusIdleInhibitor() override;

    void hold(bool on) override;
    bool held() const { return wanted_; }
    // Which service holds it now: "gnome", "xfce", "logind", or empty.
    const QString& holder() const { return holder_; }

private:
    enum Service { Gnome, Xfce, Logind, None };
    void request(Service service);
    void granted(Service service, uint cookie, const QDBusUnixFileDescriptor& fd);
    void release();

    bool wanted_ = false;
    bool asking_ = false;
    QString holder_;
    Service service_ = None;
    uint cookie_ = 0;
    QDBusUnixFileDescriptor fd_;
};

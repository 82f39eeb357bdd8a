#pragma once

#include <QAbstractNativeEventFilter>
#include <QDBusServiceWatcher>
#include <QObject>

// Tells when a tray may have come or gone, from the desktop's own events, so
// the hidden program need not ask over and over: the StatusNotifierWatcher's
// owner and its hosts on the session bus, and on X11 the owner of the XEmbed
// tray manager selection (_NET_SYSTEM_TRAY_S<screen>), through XFixes.
class TrayWatch final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit TrayWatch(QObject* parent = nullptr);
    ~TrayWatch() override;

    // Whether the X11 selection is watched (an X11 session with XFixes).
    bool watchingX11() const { return selection_ != 0; }

    // The screen number of an X11 display name such as ":0.1"; 0 when none is given.
    static int screenOf(const QByteArray& display);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    void changed();

private slots:
    void hostsChanged();

private:
    void watchX11();

    QDBusServiceWatcher statusNotifier_;
    unsigned selection_ = 0;      // the selection's atom
    unsigned selectionEvent_ = 0; // XFixes' SelectionNotify event code
};

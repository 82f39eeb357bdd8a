#include "SilSignal.h"

#include "SilPaths.h"

#include <QLocalSocket>

int sendUninstall(const QString& hwnd, int timeoutMs) {
    bool ok = false;
    const qint64 number = hwnd.trimmed().toLongLong(&ok);
    if (!ok || number <= 0)
        return 0;
    QLocalSocket socket;
    socket.connectToServer(silpaths::runtimeFolder() + QStringLiteral("/VelmarDorl-") +
                           QString::number(number) + QStringLiteral(".sock"));
    if (!socket.waitForConnected(timeoutMs))
        return 0;
    socket.write("uninstall\n");
    if (!socket.waitForBytesWritten(timeoutMs))
        return 0;
    QByteArray reply;
    while (!reply.contains('\n') && socket.waitForReadyRead(timeoutMs))
        reply += socket.readAll();
    return reply.startsWith("1\n") ? 1 : 0;
}

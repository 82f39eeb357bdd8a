#include "platform/Signalling.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <limits>

namespace {
constexpr int kMaxConnections = 8;
constexpr int kIdleTimeoutMs = 2000;
const char kAck[] = "1\n";

void drop(QLocalSocket* socket) {
    if (!socket)
        return;
    socket->abort();
    socket->deleteLater();
}

bool peerIsSameUser(qintptr descriptor) {
    ucred cred{};
    socklen_t len = sizeof(cred);
    if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0)
        return false;
    return cred.uid == ::getuid();
}
} // namespace

namespace signalling {

QString runtimeFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!folder.isEmpty())
        return folder;
    // In the shared temporary folder another user could plant a lock there and
    // this program would claim to be running already, and never ring.
    const QString own = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                        QStringLiteral("/VelmarDorl/run");
    QDir().mkpath(own);
    QFile::setPermissions(own,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return own;
}

bool isPrivateFolder(const QString& folder) {
    struct stat info {};
    if (folder.isEmpty() || ::lstat(QFile::encodeName(folder).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

QString socketPath(const QString& folder, qint64 number) {
    return folder + QStringLiteral("/VelmarDorl-") + QString::number(number) +
           QStringLiteral(".sock");
}

qint64 parseHandle(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return 0;
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<qint32>::min() ||
        rounded > std::numeric_limits<qint32>::max())
        return 0;
    return static_cast<qint64>(rounded);
}

int sendWord(const QString& folder, qint64 number, const QString& word, int timeoutMs) {
    if (number <= 0)
        return 0;
    QLocalSocket socket;
    socket.connectToServer(socketPath(folder, number));
    if (!socket.waitForConnected(timeoutMs))
        return 0;
    socket.write(word.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return 0;
    QByteArray reply;
    while (!reply.contains('\n') && socket.waitForReadyRead(timeoutMs))
        reply += socket.readAll();
    socket.abort();
    return reply.startsWith(kAck) ? 1 : 0;
}

} // namespace signalling

InstanceLock::InstanceLock(const QString& folder)
    : folder_(folder),
      lock_(std::make_unique<QLockFile>(folder + QStringLiteral("/VelmarDorl.lock"))) {
    // A live holder is never taken over; a dead one's lock is stale at once.
    lock_->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

InstanceLock::Result InstanceLock::tryAcquire() {
    if (!signalling::isPrivateFolder(folder_))
        return Failed;
    if (lock_->tryLock(0))
        return Acquired;
    return lock_->error() == QLockFile::LockFailedError ? HeldByLiveInstance : Failed;
}

SignalServer::SignalServer(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    server_->setMaxPendingConnections(kMaxConnections);
    connect(server_, &QLocalServer::newConnection, this, &SignalServer::acceptPending);
}

SignalServer::~SignalServer() = default;

bool SignalServer::listen(const QString& folder, qint64 number) {
    const QString path = signalling::socketPath(folder, number);
    QLocalServer::removeServer(path);
    return server_->listen(path);
}

void SignalServer::acceptPending() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (!peerIsSameUser(socket->socketDescriptor())) {
            drop(socket);
            continue;
        }
        // Senders that hang on never keep a new one out: the oldest goes.
        open_.removeAll(nullptr);
        while (open_.size() >= kMaxConnections)
            drop(open_.takeFirst());
        open_.append(socket);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        // A sender that connects and says nothing is dropped after a while.
        QTimer::singleShot(kIdleTimeoutMs, socket, [socket] { drop(socket); });
        if (socket->bytesAvailable() > 0)
            readFrom(socket);
    }
}

void SignalServer::readFrom(QLocalSocket* socket) {
    QByteArray buffer = socket->property("buffer").toByteArray();
    buffer += socket->read(signalling::kMaxWordBytes + 2 - buffer.size());
    const qsizetype end = buffer.indexOf('\n');
    if (end < 0) {
        if (buffer.size() > signalling::kMaxWordBytes) {
            drop(socket); // oversized: nothing from this sender is taken
            return;
        }
        socket->setProperty("buffer", buffer);
        return;
    }
    const QString word = QString::fromUtf8(buffer.left(end));
    socket->write(kAck);
    socket->flush();
    socket->disconnectFromServer();
    QMetaObject::invokeMethod(
        this, [this, word] { emit wordReceived(word); }, Qt::QueuedConnection);
}

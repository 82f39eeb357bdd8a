#include "platform/Signalling.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLockFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

namespace {
constexpr int kMaxConnections = 8;
constexpr int kIdleTimeoutMs = 2000;
constexpr int kRetryAcceptMs = 1000;
const char kAck[] = "1\n";

bool peerIsSameUser(int descriptor) {
    ucred cred{};
    socklen_t len = sizeof(cred);
    if (::getsockopt(descriptor, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0)
        return false;
    return cred.uid == ::getuid();
}

// A path too long for a socket address is refused, never cut short.
bool toAddress(const QString& path, sockaddr_un* address) {
    const QByteArray name = QFile::encodeName(path);
    *address = sockaddr_un{};
    address->sun_family = AF_UNIX;
    if (name.isEmpty() || name.size() >= qsizetype(sizeof(address->sun_path)))
        return false;
    std::memcpy(address->sun_path, name.constData(), name.size());
    return true;
}

// Waits for `events` on `fd` until the deadline; false when it passed.
bool waitFor(int fd, short events, const QDeadlineTimer& deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, int(deadline.remainingTime()));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}
} // namespace

namespace signalling {

// One connected sender: what it said so far, and its descriptor. One that
// says nothing is dropped after a while; its timer goes with it, so a crowd
// of short connections leaves no timers behind.
class Sender : public QObject {
public:
    Sender(int fd, QObject* parent)
        : QObject(parent), fd_(fd), notifier_(fd, QSocketNotifier::Read) {
        idle_.setSingleShot(true);
        QObject::connect(&idle_, &QTimer::timeout, this, [this] { drop(); });
        idle_.start(kIdleTimeoutMs);
    }
    ~Sender() override { release(); }
    int fd() const { return fd_; }
    QSocketNotifier& notifier() { return notifier_; }
    QByteArray buffer;

    // The descriptor goes at once, so a crowd of senders never holds more
    // than the few let in; the object itself at the next turn of the loop.
    void drop() {
        release();
        deleteLater();
    }

private:
    void release() {
        idle_.stop();
        notifier_.setEnabled(false); // before the number can be reused
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    int fd_;
    QSocketNotifier notifier_;
    QTimer idle_;
};

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
    sockaddr_un address{};
    if (number <= 0 || !toAddress(socketPath(folder, number), &address))
        return 0;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return 0;
    const auto result = [fd](int reply) {
        ::close(fd);
        return reply;
    };
    // A listener whose queue is full says "try again": it is tried until the time is up.
    QDeadlineTimer deadline(timeoutMs);
    while (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        if (errno == EINPROGRESS) {
            int error = 0;
            socklen_t len = sizeof(error);
            if (!waitFor(fd, POLLOUT, deadline) ||
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0)
                return result(0);
            break;
        }
        if ((errno != EAGAIN && errno != EINTR) || deadline.hasExpired())
            return result(0);
        ::poll(nullptr, 0, 10);
    }
    const QByteArray line = word.toUtf8() + '\n';
    deadline.setRemainingTime(timeoutMs);
    for (qsizetype sent = 0; sent < line.size();) {
        const ssize_t n = ::send(fd, line.constData() + sent, line.size() - sent, MSG_NOSIGNAL);
        if (n > 0)
            sent += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else if (n < 0 && errno == EAGAIN && waitFor(fd, POLLOUT, deadline))
            continue;
        else
            return result(0);
    }
    QByteArray reply;
    deadline.setRemainingTime(timeoutMs);
    while (!reply.contains('\n') && reply.size() < kMaxWordBytes) {
        char chunk[16];
        const ssize_t n = ::recv(fd, chunk, sizeof(chunk), 0);
        if (n > 0)
            reply.append(chunk, n);
        else if (n < 0 && errno == EINTR)
            continue;
        else if (n < 0 && errno == EAGAIN && waitFor(fd, POLLIN, deadline))
            continue;
        else
            break; // hung up, or no answer in time
    }
    return result(reply.startsWith(kAck) ? 1 : 0);
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

SignalServer::SignalServer(QObject* parent) : QObject(parent) {}

SignalServer::~SignalServer() {
    close();
}

void SignalServer::close() {
    for (const QPointer<signalling::Sender>& sender : std::as_const(open_))
        delete sender.data();
    open_.clear();
    delete notifier_;
    notifier_ = nullptr;
    if (listening_ >= 0) {
        ::close(listening_);
        ::unlink(QFile::encodeName(path_).constData());
    }
    listening_ = -1;
}

bool SignalServer::listen(const QString& folder, qint64 number) {
    close();
    path_ = signalling::socketPath(folder, number);
    sockaddr_un address{};
    if (!toAddress(path_, &address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    ::unlink(address.sun_path);
    // Only this user may connect; the peer's user is checked on every connection too.
    if (::fchmod(fd, 0600) != 0 ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::chmod(address.sun_path, 0600) != 0 || ::listen(fd, kMaxConnections) != 0) {
        ::close(fd);
        return false;
    }
    listening_ = fd;
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SignalServer::acceptPending);
    return true;
}

void SignalServer::acceptPending() {
    // A few at a time: the notifier comes again for the rest, and bells are
    // not held up by a sender that keeps connecting.
    for (int taken = 0; taken < kMaxConnections; ++taken) {
        const int fd = ::accept4(listening_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                // Out of descriptors, say: the waiting sender would wake the
                // notifier again at once, so listening rests for a second.
                notifier_->setEnabled(false);
                QTimer::singleShot(kRetryAcceptMs, notifier_,
                                   [this] { notifier_->setEnabled(true); });
            }
            return;
        }
        if (!peerIsSameUser(fd)) {
            ::close(fd);
            continue;
        }
        // Senders that hang on never keep a new one out: the oldest goes.
        open_.removeAll(nullptr);
        while (open_.size() >= kMaxConnections) {
            if (signalling::Sender* oldest = open_.takeFirst())
                oldest->drop();
        }
        auto* sender = new signalling::Sender(fd, this);
        open_.append(sender);
        connect(&sender->notifier(), &QSocketNotifier::activated, this,
                [this, sender] { readFrom(sender); });
    }
}

void SignalServer::readFrom(signalling::Sender* sender) {
    // A word and its line end at most; anything longer is refused below.
    char chunk[signalling::kMaxWordBytes + 1];
    const ssize_t n = ::recv(sender->fd(), chunk, sizeof(chunk) - sender->buffer.size(), 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        sender->drop(); // hung up before a whole word
        return;
    }
    sender->buffer.append(chunk, n);
    const qsizetype end = sender->buffer.indexOf('\n');
    if (end < 0 && sender->buffer.size() < qsizetype(sizeof(chunk)))
        return; // more to come
    if (end < 0) {
        sender->drop(); // oversized: nothing from this sender is taken
        return;
    }
    const QString word = QString::fromUtf8(sender->buffer.left(end));
    // Two bytes always fit in an empty socket's buffer.
    ::send(sender->fd(), kAck, 2, MSG_NOSIGNAL);
    sender->drop();
    QMetaObject::invokeMethod(
        this, [this, word] { emit wordReceived(word); }, Qt::QueuedConnection);
}

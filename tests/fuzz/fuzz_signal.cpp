// The words on the single-instance socket, sent as peers would: up to three
// peers of the same user connect to the running instance's socket and send
// bytes in chunks decoded from the input, in any order, hanging up when the
// input says so or at its end. Each record of the input is one control byte
// (peer = c % 4, length = c / 4; peer 3 hangs up peer length % 3) and its
// bytes: "4PrevInstance\n" is peer 0 sending one word.
// Promised: no crash or hang; a peer whose first line end comes within the
// word limit has that line taken as its word, once, and gets the
// acknowledgement; any other peer is taken for nothing and acknowledged never.
#include "FuzzSupport.h"

#include "platform/Signalling.h"

#include <QDeadlineTimer>
#include <QEvent>

#include <array>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace {

constexpr qint64 kNumber = 4242;
constexpr int kPeers = 3;

SignalServer* server = nullptr;
QStringList received;

void turnLoop() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct Peer {
    int fd = -1;
    QByteArray sent;

    void connectTo(const QString& path) {
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        FUZZ_CHECK(fd >= 0, "a socket for the peer");
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
        FUZZ_CHECK(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0,
                   "the instance's socket takes a peer");
        sent.clear();
    }

    void send(const QByteArray& chunk) {
        if (fd < 0)
            connectTo(signalling::socketPath(fuzz::scratchRoot(), kNumber));
        const ssize_t n = ::send(fd, chunk.constData(), size_t(chunk.size()), MSG_NOSIGNAL);
        if (n > 0)
            sent.append(chunk.left(n)); // a full buffer or a closed end takes less
    }

    // Hangs up and reads what the instance answered until it closes its end.
    QString hangUp() {
        if (fd < 0)
            return {};
        ::shutdown(fd, SHUT_WR);
        QByteArray reply;
        QDeadlineTimer deadline(10000);
        for (;;) {
            turnLoop();
            char buffer[64];
            const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
            if (n > 0) {
                reply.append(buffer, n);
                continue;
            }
            if (n == 0 || (errno != EAGAIN && errno != EINTR))
                break;
            // The instance runs in this thread: nothing to wait for but its next turn.
            FUZZ_CHECK(!deadline.hasExpired(), "the instance answers or hangs up in time");
        }
        ::close(fd);
        fd = -1;
        turnLoop();
        return QString::fromLatin1(reply);
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::quietEnvironment();
    static QCoreApplication app(*argc, *argv);
    ::chmod(QFile::encodeName(fuzz::scratchRoot()).constData(), 0700);
    server = new SignalServer(&app);
    FUZZ_CHECK(server->listen(fuzz::scratchRoot(), kNumber), "the instance listens");
    QObject::connect(server, &SignalServer::wordReceived,
                     [](const QString& word) { received.append(word); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::array<Peer, kPeers> peers;
    QStringList expected;
    received.clear();

    const auto finish = [&](Peer& peer) {
        const bool open = peer.fd >= 0;
        const QByteArray sent = peer.sent;
        const QString reply = peer.hangUp();
        if (!open)
            return;
        const qsizetype end = sent.indexOf('\n');
        const bool taken = end >= 0 && end <= signalling::kMaxWordBytes;
        if (taken)
            expected.append(QString::fromUtf8(sent.left(end)));
        FUZZ_CHECK(reply == (taken ? QStringLiteral("1\n") : QString()),
                   "a taken word is acknowledged, nothing else");
    };

    for (size_t at = 0; at < size;) {
        const uint8_t control = data[at++];
        const int peer = control % 4;
        const size_t length = control / 4;
        if (peer == 3) {
            finish(peers[length % kPeers]);
            continue;
        }
        const size_t n = std::min(length, size - at);
        peers[peer].send(QByteArray(reinterpret_cast<const char*>(data + at), qsizetype(n)));
        at += n;
        turnLoop();
    }
    for (Peer& peer : peers)
        finish(peer);
    turnLoop();

    expected.sort();
    received.sort();
    FUZZ_CHECK(received == expected, "each peer's word is taken once, no other");
    return 0;
}

#include "platform/Signalling.h"
#include "support/AsyncSend.h"
#include "support/TestFolders.h"

#include <QLocalSocket>
#include <QSignalSpy>
#include <QtTest>

#include <pwd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

class SignallingTest : public QObject {
    Q_OBJECT
private slots:
    void wordIsDeliveredAndAcknowledged() {
        TestFolders folders;
        SignalServer server;
        QVERIFY(server.listen(folders.runtime(), 4242));
        QSignalSpy words(&server, &SignalServer::wordReceived);
        auto reply = sendAsync(folders.runtime(), 4242, signalling::kPrevInstance);
        QTRY_COMPARE(words.size(), 1);
        QTRY_VERIFY(isReady(reply));
        QCOMPARE(reply.get(), 1);
        QCOMPARE(words.first().first().toString(), QStringLiteral("PrevInstance"));
    }

    void noListenerMeansReplyZero() {
        TestFolders folders;
        QCOMPARE(signalling::sendWord(folders.runtime(), 4242, signalling::kPrevInstance, 300), 0);
        QCOMPARE(signalling::sendWord(folders.runtime(), 0, signalling::kPrevInstance, 300), 0);
        QCOMPARE(signalling::parseHandle(QStringLiteral("5961")), 5961);
        QCOMPARE(signalling::parseHandle(QStringLiteral("abc")), 0);
        QCOMPARE(signalling::parseHandle(QString()), 0);
        QCOMPARE(signalling::parseHandle(QStringLiteral("99999999999")), 0);
    }

    void silentOversizedAndPartialSendersChangeNothing() {
        TestFolders folders;
        SignalServer server;
        QVERIFY(server.listen(folders.runtime(), 77));
        QSignalSpy words(&server, &SignalServer::wordReceived);
        const QString path = signalling::socketPath(folders.runtime(), 77);

        QLocalSocket silent;
        silent.connectToServer(path);
        QVERIFY(silent.waitForConnected(1000));

        QLocalSocket partial;
        partial.connectToServer(path);
        QVERIFY(partial.waitForConnected(1000));
        partial.write("uninst");
        partial.flush();

        QLocalSocket flood;
        flood.connectToServer(path);
        QVERIFY(flood.waitForConnected(1000));
        flood.write(QByteArray(4 * 1024 * 1024, 'u'));

        // A real word still gets through while the others hang on.
        auto reply = sendAsync(folders.runtime(), 77, QStringLiteral("hello"));
        QTRY_COMPARE(words.size(), 1);
        QTRY_VERIFY(isReady(reply));
        QCOMPARE(reply.get(), 1);
        QCOMPARE(words.first().first().toString(), QStringLiteral("hello"));
        // The flooder is cut off, the silent and partial ones time out.
        QTRY_COMPARE_WITH_TIMEOUT(flood.state(), QLocalSocket::UnconnectedState, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(silent.state(), QLocalSocket::UnconnectedState, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(partial.state(), QLocalSocket::UnconnectedState, 5000);
        QCOMPARE(words.size(), 1);
    }

    void otherUsersCannotConnect() {
        if (::geteuid() != 0)
            QSKIP("needs root to act as another user");
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody)
            QSKIP("no user 'nobody'");
        TestFolders folders;
        SignalServer server;
        QVERIFY(server.listen(folders.runtime(), 88));
        QSignalSpy words(&server, &SignalServer::wordReceived);
        const QByteArray path = QFile::encodeName(signalling::socketPath(folders.runtime(), 88));

        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
                ::_exit(3);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            ::strncpy(address.sun_path, path.constData(), sizeof(address.sun_path) - 1);
            if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0)
                ::_exit(0); // refused, as it must be
            ::write(fd, "uninstall\n", 10);
            char reply[4] = {};
            const ssize_t got = ::read(fd, reply, sizeof(reply));
            ::_exit(got > 0 ? 1 : 2);
        }
        int status = 0;
        bool reaped = false; // the macro evaluates its condition once more at the end
        QTRY_VERIFY(reaped || (reaped = ::waitpid(child, &status, WNOHANG) == child));
        QVERIFY(WIFEXITED(status));
        QVERIFY2(WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 2,
                 qPrintable(QString::number(WEXITSTATUS(status))));
        QTest::qWait(100);
        QCOMPARE(words.size(), 0);
    }

    void lockAllowsOneInstance() {
        TestFolders folders;
        InstanceLock first(folders.runtime());
        InstanceLock second(folders.runtime());
        QVERIFY(first.tryAcquire());
        QVERIFY(!second.tryAcquire());
    }
};

QTEST_GUILESS_MAIN(SignallingTest)
#include "tst_signalling.moc"

#include "platform/Signalling.h"
#include "support/AsyncSend.h"
#include "support/TestFolders.h"

#include <QAbstractEventDispatcher>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QtTest>

#include <pwd.h>
#include <sys/resource.h>
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

    // A sender taken (or dropped) takes its idle timer with it: many short
    // connections leave no timers running behind them, each of which would
    // cost the event loop on every turn.
    void goneSendersLeaveNoTimersBehind() {
        TestFolders folders;
        SignalServer server;
        QVERIFY(server.listen(folders.runtime(), 4243));
        QSignalSpy words(&server, &SignalServer::wordReceived);
        const QObject* dispatcher = QAbstractEventDispatcher::instance();
        const qsizetype timersBefore = dispatcher->children().size();
        const qsizetype childrenBefore = server.children().size();
        for (int i = 1; i <= 3; ++i) {
            auto reply = sendAsync(folders.runtime(), 4243, signalling::kPrevInstance);
            QTRY_COMPARE(words.size(), i);
            QTRY_VERIFY(isReady(reply));
            QCOMPARE(reply.get(), 1);
            QTRY_COMPARE(server.children().size(), childrenBefore); // the sender is gone
            QCOMPARE(dispatcher->children().size(), timersBefore);
        }
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
        // The flooder is cut off, the silent and partial ones time out (after 2 s; a busy
        // PC may take longer, and a server that never lets go fails either way).
        QTRY_COMPARE_WITH_TIMEOUT(flood.state(), QLocalSocket::UnconnectedState, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(silent.state(), QLocalSocket::UnconnectedState, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(partial.state(), QLocalSocket::UnconnectedState, 30000);
        QCOMPARE(words.size(), 1);
    }

    void runningOutOfDescriptorsRestsInsteadOfSpinning() {
        TestFolders folders;
        SignalServer server;
        QVERIFY(server.listen(folders.runtime(), 99));
        QSignalSpy words(&server, &SignalServer::wordReceived);
        auto* listening = server.findChild<QSocketNotifier*>();
        QVERIFY(listening);
        QSignalSpy notices(listening, &QSocketNotifier::activated);

        const QByteArray path = QFile::encodeName(signalling::socketPath(folders.runtime(), 99));
        const int sender = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        ::strncpy(address.sun_path, path.constData(), sizeof(address.sun_path) - 1);
        QCOMPARE(::connect(sender, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        QCOMPARE(::write(sender, "hello\n", 6), ssize_t(6));

        // No descriptor left for the server to take the sender with.
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        const rlim_t usual = limit.rlim_cur;
        const int lowestFree = ::dup(0);
        ::close(lowestFree);
        limit.rlim_cur = rlim_t(lowestFree);
        ::setrlimit(RLIMIT_NOFILE, &limit);
        QTest::qWait(300);
        limit.rlim_cur = usual;
        ::setrlimit(RLIMIT_NOFILE, &limit);
        // Once or so, not once per turn of the event loop.
        QVERIFY2(notices.size() < 10, qPrintable(QString::number(notices.size())));
        QCOMPARE(words.size(), 0);

        QTRY_COMPARE(words.size(), 1); // listening again after its rest
        QCOMPARE(words.first().first().toString(), QStringLiteral("hello"));
        ::close(sender);
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
        // Folder and socket opened to everyone: only the check of the peer's user is left.
        ::chmod(QFile::encodeName(folders.root()).constData(), 0755);
        ::chmod(QFile::encodeName(folders.runtime()).constData(), 0777);
        ::chmod(path.constData(), 0777);

        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
                ::_exit(3);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            ::strncpy(address.sun_path, path.constData(), sizeof(address.sun_path) - 1);
            if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0)
                ::_exit(4); // the test did not reach the peer check
            ::write(fd, "uninstall\n", 10);
            char reply[4] = {};
            const ssize_t got = ::read(fd, reply, sizeof(reply));
            ::_exit(got > 0 ? 1 : 0); // hung up on without an answer, as it must be
        }
        int status = 0;
        bool reaped = false; // the macro evaluates its condition once more at the end
        QTRY_VERIFY(reaped || (reaped = ::waitpid(child, &status, WNOHANG) == child));
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QTest::qWait(100);
        QCOMPARE(words.size(), 0);
    }

    void lockAllowsOneInstanceInAFolderOfThisUserAlone() {
        TestFolders folders;
        InstanceLock first(folders.runtime());
        InstanceLock second(folders.runtime());
        QCOMPARE(first.tryAcquire(), InstanceLock::Acquired);
        QCOMPARE(second.tryAcquire(), InstanceLock::HeldByLiveInstance);

        // A folder others may write, or a link to one: another user could
        // plant a lock there. That is an error, not "already running".
        const QString shared = folders.root() + "/shared";
        QDir().mkpath(shared);
        ::chmod(QFile::encodeName(shared).constData(), 01777);
        QCOMPARE(InstanceLock(shared).tryAcquire(), InstanceLock::Failed);
        QVERIFY(QFile::link(folders.runtime(), folders.root() + "/link"));
        QCOMPARE(InstanceLock(folders.root() + "/link").tryAcquire(), InstanceLock::Failed);
    }

    void refusedRuntimeFolderFallsBackToAPrivateOne() {
        if (::geteuid() != 0)
            QSKIP("needs root to give the runtime folder to another user");
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody)
            QSKIP("no user 'nobody'");
        TestFolders folders;
        // No XDG_RUNTIME_DIR, and Qt's own fallback in the temporary folder
        // taken by another user: Qt gives no runtime folder at all.
        const QString planted = folders.root() + "/runtime-" + ::getpwuid(::getuid())->pw_name;
        QDir().mkpath(planted);
        QVERIFY(::chown(QFile::encodeName(planted).constData(), nobody->pw_uid, nobody->pw_gid) ==
                0);
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(folders.root()));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(folders.root() + "/cache"));
        const QString folder = signalling::runtimeFolder();
        qunsetenv("XDG_CACHE_HOME");
        qunsetenv("TMPDIR");
        QCOMPARE(folder, folders.root() + "/cache/VelmarDorl/run");
        QVERIFY(signalling::isPrivateFolder(folder));
        QCOMPARE(InstanceLock(folder).tryAcquire(), InstanceLock::Acquired);
    }
};

QTEST_GUILESS_MAIN(SignallingTest)
#include "tst_signalling.moc"

#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QLockFile;
class QSocketNotifier;

// Single instance and the signalling channel between processes of the same
// user. A lock file in the user's runtime folder tells whether an instance
// runs; the running instance listens on a local socket whose number it
// publishes under "Genel"/"hwnd". A word that gets no acknowledgement counts
// as the reply 0.
namespace signalling {

inline const QString kPrevInstance = QStringLiteral("PrevInstance");
inline const QString kUninstall = QStringLiteral("uninstall");
inline const QString kIdle = QStringLiteral("idle");
// The settings file was replaced (velmar-dorl --import): read it again.
inline const QString kReload = QStringLiteral("reload");

// Longest word accepted; a sender that goes past it is cut off.
inline constexpr int kMaxWordBytes = 64;

// The user's runtime folder; where Qt refuses it, a folder of this user
// alone in the user's cache folder, never the shared temporary folder.
QString runtimeFolder();
// A folder that is no link, belongs to this user and that nobody else may
// enter or write.
bool isPrivateFolder(const QString& folder);
QString socketPath(const QString& runtimeFolder, qint64 number);

// "Genel"/"hwnd" as a 32-bit number; anything that does not convert is 0.
qint64 parseHandle(const QString& text);

// Sends `word` to the instance published as `number`: 1 when it was taken, 0
// when nobody answered in time.
int sendWord(const QString& runtimeFolder, qint64 number, const QString& word,
             int timeoutMs = 2000);

} // namespace signalling

class InstanceLock {
public:
    enum Result { Acquired, HeldByLiveInstance, Failed };

    explicit InstanceLock(const QString& runtimeFolder);
    ~InstanceLock();
    // Failed: the folder is not private to this user, or the lock file
    // cannot be written there.
    Result tryAcquire();
    const QString& folder() const { return folder_; }

private:
    QString folder_;
    std::unique_ptr<QLockFile> lock_;
};

namespace signalling {
class Sender;
}

// Plain Unix sockets, not Qt Network: that library and what it loads
// (Kerberos, libproxy) would cost the hidden program 1.3 MB and its start 3 ms.
class SignalServer : public QObject {
    Q_OBJECT
public:
    explicit SignalServer(QObject* parent = nullptr);
    ~SignalServer() override;

    // Listens under `number`, replacing a socket left by a dead process.
    bool listen(const QString& runtimeFolder, qint64 number);

signals:
    void wordReceived(const QString& word);

private:
    void close();
    void acceptPending();
    void readFrom(signalling::Sender* sender);

    int listening_ = -1;
    QString path_;
    QSocketNotifier* notifier_ = nullptr;
    // Open connections, oldest first; a new sender pushes out the oldest.
    QList<QPointer<signalling::Sender>> open_;
};

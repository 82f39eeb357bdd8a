#pragma once

#include "platform/SoundServer.h"

#include <QTimer>

#include <functional>

struct pa_context;
struct pa_operation;
struct pa_threaded_mainloop;

// The sound server through libpulse, on libpulse's own thread: answers come
// without running Qt's event loop (a sound start and the program's end wait
// for them), and that thread sleeps while nothing happens. The connection is
// made at the first question and kept to hear outputs come and go; a server
// that went away is looked for again after 1, 2, 4 ... at most 60 seconds,
// and at the next question. A server that takes the connection and does not
// answer (hung) is waited for once: until it answers, questions fail at once.
class PulseSoundServer final : public SoundServer {
    Q_OBJECT
public:
    explicit PulseSoundServer(QObject* parent = nullptr);
    ~PulseSoundServer() override;
    PulseSoundServer(const PulseSoundServer&) = delete;
    PulseSoundServer& operator=(const PulseSoundServer&) = delete;

    QList<SoundOutput> outputs() override;
    std::optional<long> volume(const QString& output) override;
    bool setVolume(const QString& output, long level) override;
    bool stalled() override;

private:
    struct Answer;
    struct Wait;
    static void onContextState(pa_context* context, void* self);
    // The loop's lock is taken after starting libpulse's thread if need be.
    bool lock();
    void unlock();
    // These run with the lock held.
    bool ensureConnected();
    bool startConnecting();
    void dropContext();
    bool wait(const std::function<bool()>& done);
    bool ask(Answer& answer, pa_operation* operation);
    QByteArray sinkName(const QString& output);
    // On the UI thread: a connection that had worked broke.
    void lost();
    void reconnect();
    void answered();

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    bool wasReady_ = false; // the connection now made reached the server
    // The server did not answer in time and has not since; on the UI thread.
    bool unanswered_ = false;
    QTimer retry_;
    int retrySeconds_ = 1;
};

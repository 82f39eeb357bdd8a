#pragma once

#include <QString>

#include <functional>

class QObject;
class QThread;

// A thread with an event loop of its own, for calls that may wait on the
// sound server without bound (ALSA's pulse plugin, pulsesink): the window's
// thread posts them and goes on. Calls run one after another, in the order
// posted.
class WorkThread final {
public:
    explicit WorkThread(const QString& name);
    // Ends it as end() does, waiting kEndWaitMs at most (not at all when a
    // call to run() was not waited for).
    ~WorkThread();
    WorkThread(const WorkThread&) = delete;
    WorkThread& operator=(const WorkThread&) = delete;

    static constexpr int kEndWaitMs = 2000;

    // An object living on the thread: a parent or context for its own objects.
    QObject* context() const { return context_; }
    void post(std::function<void()> call);
    // Posts `call` and waits `waitMs` at most for it to have run: true when
    // it has. Once a call was not waited for, the end does not wait either.
    bool run(std::function<void()> call, int waitMs = kEndWaitMs);
    // Runs what was posted, then `last`, and stops the thread. A call that
    // still waits after `waitMs` is left to it: the thread and what it holds
    // are let go of, never waited for (the process may end meanwhile).
    // True when the thread stopped in time.
    bool end(std::function<void()> last, int waitMs = kEndWaitMs);

private:
    QThread* thread_ = nullptr;
    QObject* context_ = nullptr;
    bool stuck_ = false;
};

#include "platform/PulseSoundServer.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/operation.h>
#include <pulse/rtclock.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>
#include <pulse/volume.h>

#include <QMetaObject>

#include <algorithm>
#include <functional>

namespace {
// A server that does not answer within this holds up a sound start no longer.
constexpr pa_usec_t kAnswerWait = 1000 * 1000;
constexpr int kLongestRetrySeconds = 60;

bool ended(pa_context_state_t state) {
    return state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED;
}

void onEvent(pa_context*, pa_subscription_event_type_t type, uint32_t, void* server) {
    // Outputs that come and go; volume changes (ours too) are left out.
    const int kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    if (kind == PA_SUBSCRIPTION_EVENT_NEW || kind == PA_SUBSCRIPTION_EVENT_REMOVE)
        QMetaObject::invokeMethod(static_cast<SoundServer*>(server), &SoundServer::outputsChanged,
                                  Qt::QueuedConnection);
}
} // namespace

// What one question waits for; it is filled on libpulse's thread.
struct PulseSoundServer::Answer {
    explicit Answer(pa_threaded_mainloop* l) : loop(l) {}
    pa_threaded_mainloop* loop;
    bool done = false;
    bool ok = false;
    QList<SoundOutput> outputs;
    pa_cvolume volume{};

    void finish(bool success) {
        done = true;
        ok = success;
        pa_threaded_mainloop_signal(loop, 0);
    }
    static void onSink(pa_context*, const pa_sink_info* info, int eol, void* data) {
        auto* answer = static_cast<Answer*>(data);
        if (eol != 0 || !info) {
            // The end of the list, or an error such as "no such output".
            answer->finish(eol > 0);
            return;
        }
        answer->outputs.append(
            {QString::fromUtf8(info->name),
             QString::fromUtf8(info->description ? info->description : info->name)});
        answer->volume = info->volume;
    }
    static void onServer(pa_context*, const pa_server_info* info, void* data) {
        auto* answer = static_cast<Answer*>(data);
        if (info && info->default_sink_name)
            answer->outputs.append({QString::fromUtf8(info->default_sink_name), QString()});
        answer->finish(info != nullptr);
    }
    static void onSuccess(pa_context*, int success, void* data) {
        static_cast<Answer*>(data)->finish(success != 0);
    }
};

struct PulseSoundServer::Wait {
    pa_threaded_mainloop* loop;
    bool timedOut = false;

    static void onTimeout(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* data) {
        auto* wait = static_cast<Wait*>(data);
        wait->timedOut = true;
        pa_threaded_mainloop_signal(wait->loop, 0);
    }
};

PulseSoundServer::PulseSoundServer(QObject* parent) : SoundServer(parent) {
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &PulseSoundServer::reconnect);
}

PulseSoundServer::~PulseSoundServer() {
    if (!loop_)
        return;
    pa_threaded_mainloop_lock(loop_);
    dropContext();
    pa_threaded_mainloop_unlock(loop_);
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
}

bool PulseSoundServer::lock() {
    if (!loop_) {
        loop_ = pa_threaded_mainloop_new();
        if (!loop_)
            return false;
        if (pa_threaded_mainloop_start(loop_) < 0) {
            pa_threaded_mainloop_free(loop_);
            loop_ = nullptr;
            return false;
        }
    }
    pa_threaded_mainloop_lock(loop_);
    return true;
}

void PulseSoundServer::unlock() {
    pa_threaded_mainloop_unlock(loop_);
}

void PulseSoundServer::onContextState(pa_context* context, void* self) {
    auto* server = static_cast<PulseSoundServer*>(self);
    pa_threaded_mainloop_signal(server->loop_, 0);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY) {
        server->wasReady_ = true;
        pa_context_set_subscribe_callback(context, &onEvent, server);
        if (pa_operation* op =
                pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SINK, nullptr, nullptr))
            pa_operation_unref(op);
        QMetaObject::invokeMethod(server, &PulseSoundServer::answered, Qt::QueuedConnection);
    } else if (ended(state) && server->wasReady_) {
        // A connection that had worked broke: the server stopped or restarted.
        server->wasReady_ = false;
        QMetaObject::invokeMethod(server, &PulseSoundServer::lost, Qt::QueuedConnection);
    }
}

// Waits for `done` until the connection ends or the server is too slow.
bool PulseSoundServer::wait(const std::function<bool()>& done) {
    Wait wait{loop_};
    pa_time_event* timer =
        pa_context_rttime_new(context_, pa_rtclock_now() + kAnswerWait, &Wait::onTimeout, &wait);
    while (!done() && !wait.timedOut && !ended(pa_context_get_state(context_)))
        pa_threaded_mainloop_wait(loop_);
    if (timer)
        pa_threaded_mainloop_get_api(loop_)->time_free(timer);
    return done();
}

bool PulseSoundServer::ensureConnected() {
    const pa_context_state_t state =
        context_ ? pa_context_get_state(context_) : PA_CONTEXT_UNCONNECTED;
    if (state == PA_CONTEXT_READY) {
        unanswered_ = false;
        return true;
    }
    // Still connecting to a server that did not answer: not waited for again.
    if (unanswered_ && PA_CONTEXT_IS_GOOD(state))
        return false;
    if (!startConnecting()) {
        unanswered_ = false;
        return false;
    }
    if (wait([this] { return pa_context_get_state(context_) == PA_CONTEXT_READY; }))
        return true;
    if (ended(pa_context_get_state(context_))) {
        dropContext(); // no server there: nothing is held up
        unanswered_ = false;
        return false;
    }
    // It took the connection and did not answer: left to connect when it does.
    unanswered_ = true;
    return false;
}

// Starts a connection without waiting for it.
bool PulseSoundServer::startConnecting() {
    dropContext();
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Velmar Dorl");
    if (!context_)
        return false;
    wasReady_ = false;
    pa_context_set_state_callback(context_, &PulseSoundServer::onContextState, this);
    // Never starts a server of its own: the desktop's is the one that plays.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        dropContext();
        return false;
    }
    return true;
}

void PulseSoundServer::dropContext() {
    if (!context_)
        return;
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_set_subscribe_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
}

bool PulseSoundServer::ask(Answer& answer, pa_operation* operation) {
    if (!operation)
        return false;
    // A server too slow to answer loses the connection; a new one is started
    // at once, and questions fail without waiting until it is made.
    if (!wait([&answer] { return answer.done; })) {
        pa_operation_cancel(operation); // nothing may land in `answer` once it is gone
        const bool hung = !ended(pa_context_get_state(context_));
        startConnecting();
        unanswered_ = hung;
    }
    pa_operation_unref(operation);
    return answer.done && answer.ok;
}

QList<SoundOutput> PulseSoundServer::outputs() {
    if (!lock())
        return {};
    Answer answer{loop_};
    const bool ok = ensureConnected() &&
                    ask(answer, pa_context_get_sink_info_list(context_, &Answer::onSink, &answer));
    unlock();
    return ok ? answer.outputs : QList<SoundOutput>();
}

// The default by its own name: PipeWire's "@DEFAULT_SINK@" may still be the
// one before the last change, while its streams and pactl go by the new one.
QByteArray PulseSoundServer::sinkName(const QString& output) {
    if (output != kDefaultOutput)
        return output.toUtf8();
    Answer answer{loop_};
    // Nothing when the server did not answer: it may have lost the connection.
    if (!ask(answer, pa_context_get_server_info(context_, &Answer::onServer, &answer)) ||
        answer.outputs.isEmpty())
        return {};
    return answer.outputs.first().name.toUtf8();
}

std::optional<long> PulseSoundServer::volume(const QString& output) {
    if (!lock())
        return std::nullopt;
    Answer answer{loop_};
    QByteArray name;
    const bool ok = ensureConnected() && !(name = sinkName(output)).isEmpty() &&
                    ask(answer, pa_context_get_sink_info_by_name(context_, name.constData(),
                                                                 &Answer::onSink, &answer));
    unlock();
    if (!ok || answer.outputs.isEmpty())
        return std::nullopt;
    return static_cast<long>(pa_cvolume_max(&answer.volume));
}

bool PulseSoundServer::setVolume(const QString& output, long level) {
    if (!lock())
        return false;
    Answer found{loop_};
    Answer set{loop_};
    // Every channel is given (PipeWire takes a single value for the first
    // channel only), scaled so the output keeps its balance.
    QByteArray name;
    const bool ok =
        ensureConnected() && !(name = sinkName(output)).isEmpty() &&
        ask(found, pa_context_get_sink_info_by_name(context_, name.constData(), &Answer::onSink,
                                                    &found)) &&
        !found.outputs.isEmpty() &&
        pa_cvolume_scale(&found.volume,
                         static_cast<pa_volume_t>(std::clamp(level, 0L, kFullVolume))) &&
        ask(set, pa_context_set_sink_volume_by_name(context_, name.constData(), &found.volume,
                                                    &Answer::onSuccess, &set));
    unlock();
    return ok;
}

bool PulseSoundServer::stalled() {
    if (!lock())
        return false;
    Answer answer{loop_};
    if (ensureConnected())
        ask(answer, pa_context_get_server_info(context_, &Answer::onServer, &answer));
    const bool stalled = unanswered_;
    unlock();
    return stalled;
}

// A connection reached the server: after a spell without answers, the
// outputs are told again.
void PulseSoundServer::answered() {
    if (!unanswered_)
        return;
    unanswered_ = false;
    emit outputsChanged();
}

void PulseSoundServer::lost() {
    emit outputsChanged();
    retrySeconds_ = 1;
    retry_.start(retrySeconds_ * 1000);
}

void PulseSoundServer::reconnect() {
    if (!lock())
        return;
    const bool ok = ensureConnected();
    unlock();
    if (ok) {
        emit outputsChanged();
        return;
    }
    retrySeconds_ = std::min(retrySeconds_ * 2, kLongestRetrySeconds);
    retry_.start(retrySeconds_ * 1000);
}

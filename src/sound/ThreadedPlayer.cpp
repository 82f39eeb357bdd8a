#include "sound/ThreadedPlayer.h"

#include "platform/WorkThread.h"
#include "sound/GstPlayer.h"

#include <QMetaObject>
#include <QMutex>
#include <QPointer>
#include <QSemaphore>

#include <atomic>

struct ThreadedPlayer::Shared {
    GstPlayer* player = nullptr; // lives on the player's thread
    // Counted on the window's thread for every open(), stop() and unload()
    // (sounds), and every prepare(), stop() and unload() (files made ready);
    // a call whose number is not the latest any more is passed over.
    std::atomic<quint64> latestSound{0};
    std::atomic<quint64> latestPrepared{0};
    quint64 playing = 0; // on the player's thread: the number of its sound
    // Reports go to the window's thread while the ThreadedPlayer is there.
    QMutex mutex;
    ThreadedPlayer* owner = nullptr;
};

ThreadedPlayer::ThreadedPlayer(const QString& audioSink, std::shared_ptr<WorkThread> thread,
                               QObject* parent)
    : Player(parent), shared_(std::make_shared<Shared>()),
      thread_(thread ? std::move(thread)
                     : std::make_shared<WorkThread>(QStringLiteral("velmar-player"))) {
    shared_->owner = this;
    // Made on its thread, so that its timers run there.
    thread_->post([shared = shared_, audioSink] {
        shared->player = new GstPlayer(audioSink);
        const auto tell = [shared](bool ended, bool ok) {
            const bool failed = shared->player->outputFailed();
            QMutexLocker locker(&shared->mutex);
            if (ThreadedPlayer* owner = shared->owner)
                QMetaObject::invokeMethod(
                    owner,
                    [owner, sound = shared->playing, ended, ok, failed] {
                        owner->report(sound, ended, ok, failed);
                    },
                    Qt::QueuedConnection);
        };
        QObject::connect(shared->player, &Player::finished, shared->player,
                         [tell](bool ok) { tell(true, ok); });
        QObject::connect(shared->player, &Player::started, shared->player,
                         [tell] { tell(false, true); });
    });
}

ThreadedPlayer::~ThreadedPlayer() {
    {
        QMutexLocker locker(&shared_->mutex);
        shared_->owner = nullptr;
    }
    thread_->run([shared = shared_] {
        delete shared->player;
        shared->player = nullptr;
    });
}

void ThreadedPlayer::post(std::function<void(GstPlayer&)> call) {
    thread_->post([shared = shared_, call = std::move(call)] {
        if (shared->player)
            call(*shared->player);
    });
}

void ThreadedPlayer::open(const QString& path) {
    const quint64 sound = ++shared_->latestSound;
    sound_ = sound;
    playing_ = true;
    outputFailed_ = false;
    post([shared = shared_, sound, path](GstPlayer& player) {
        if (sound != shared->latestSound)
            return; // replaced or stopped before its turn came
        shared->playing = sound;
        player.open(path);
    });
}

void ThreadedPlayer::stop() {
    ++shared_->latestSound;
    ++shared_->latestPrepared;
    playing_ = false;
    post([](GstPlayer& player) { player.stop(); });
}

void ThreadedPlayer::unload() {
    ++shared_->latestSound;
    ++shared_->latestPrepared;
    playing_ = false;
    post([](GstPlayer& player) { player.unload(); });
}

void ThreadedPlayer::prepare(const QString& path, long hundredthsOfDb) {
    const quint64 prepared = ++shared_->latestPrepared;
    post([shared = shared_, prepared, path, hundredthsOfDb](GstPlayer& player) {
        if (prepared == shared->latestPrepared)
            player.prepare(path, hundredthsOfDb);
    });
}

void ThreadedPlayer::setOutput(const QString& name) {
    post([name](GstPlayer& player) { player.setOutput(name); });
}

void ThreadedPlayer::setVolume(long hundredthsOfDb) {
    volume_ = hundredthsOfDb;
    post([hundredthsOfDb](GstPlayer& player) { player.setVolume(hundredthsOfDb); });
}

void ThreadedPlayer::withPlayer(const std::function<void(GstPlayer&)>& call) {
    QSemaphore done;
    thread_->post([shared = shared_, &call, &done] {
        if (shared->player)
            call(*shared->player);
        done.release();
    });
    done.acquire();
}

// Only for the sound opened last, while it plays.
void ThreadedPlayer::report(quint64 sound, bool ended, bool ok, bool outputFailed) {
    if (sound != sound_ || !playing_)
        return;
    if (!ended) {
        emit started();
        return;
    }
    playing_ = false;
    outputFailed_ = !ok && outputFailed;
    emit finished(ok);
}

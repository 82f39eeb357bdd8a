#include "sound/ThreadedMixer.h"

#include "platform/WorkThread.h"

#include <QDeadlineTimer>
#include <QMetaObject>
#include <QMutex>
#include <QObject>
#include <QWaitCondition>

#include <optional>
#include <utility>

// Written on the mixer's thread, read on the window's, under the mutex; the
// mixer itself is touched on its thread only.
struct ThreadedMixer::Shared {
    Factory make;
    std::unique_ptr<Mixer> mixer;
    mutable QMutex mutex;
    QWaitCondition tried;
    bool triedOnce = false;
    bool opening = false; // an attempt to open is posted and not done
    bool opened = false;
    long minWave = 0, maxWave = 0, minWaveIn = 0, maxWaveIn = 0;
    long wave = 0, waveIn = 0; // read last
    int lastResult = 0;
    std::optional<long> wantWave, wantWaveIn;
    // Told on the window's thread when an attempt opens the mixer.
    QObject* receiver = nullptr;
    std::function<void()> onOpened;
    bool applying = false; // an apply is posted and has not taken the wanted levels

    // On the mixer's thread.
    Mixer& ensureMixer() {
        if (!mixer)
            mixer = make();
        return *mixer;
    }
    void noteState() {
        const bool open = mixer->opened();
        QMutexLocker locker(&mutex);
        opened = open;
        lastResult = mixer->lastResult();
        if (open) {
            minWave = mixer->minWaveVolume();
            maxWave = mixer->maxWaveVolume();
            minWaveIn = mixer->minWavInVolume();
            maxWaveIn = mixer->maxWavInVolume();
        }
    }
};

ThreadedMixer::ThreadedMixer(Factory make, std::shared_ptr<WorkThread> thread)
    : shared_(std::make_shared<Shared>()),
      thread_(thread ? std::move(thread)
                     : std::make_shared<WorkThread>(QStringLiteral("velmar-mixer"))),
      receiver_(std::make_unique<QObject>()) {
    shared_->make = std::move(make);
    shared_->receiver = receiver_.get();
}

ThreadedMixer::~ThreadedMixer() {
    {
        QMutexLocker locker(&shared_->mutex);
        shared_->receiver = nullptr;
        shared_->onOpened = {};
    }
    thread_->run([shared = shared_] { shared->mixer.reset(); });
}

bool ThreadedMixer::opened() const {
    QMutexLocker locker(&shared_->mutex);
    return shared_->opened;
}

bool ThreadedMixer::tryOpen() {
    QMutexLocker locker(&shared_->mutex);
    if (shared_->opened)
        return true;
    if (!shared_->opening) {
        shared_->opening = true;
        thread_->post([shared = shared_] {
            shared->ensureMixer().tryOpen();
            shared->noteState();
            QMutexLocker locker(&shared->mutex);
            shared->opening = false;
            shared->triedOnce = true;
            shared->tried.wakeAll();
            if (shared->opened && shared->onOpened && shared->receiver)
                QMetaObject::invokeMethod(shared->receiver, std::exchange(shared->onOpened, {}),
                                          Qt::QueuedConnection);
        });
    }
    if (!firstWaited_) {
        firstWaited_ = true;
        const QDeadlineTimer deadline(kFirstOpenWaitMs);
        while (!shared_->triedOnce && shared_->tried.wait(&shared_->mutex, deadline)) {
        }
    }
    return shared_->opened;
}

void ThreadedMixer::whenOpened(std::function<void()> opened) {
    QMutexLocker locker(&shared_->mutex);
    if (shared_->opening)
        shared_->onOpened = std::move(opened);
    else if (shared_->opened) // opened meanwhile
        QMetaObject::invokeMethod(receiver_.get(), std::move(opened), Qt::QueuedConnection);
}

bool ThreadedMixer::opening() const {
    QMutexLocker locker(&shared_->mutex);
    return shared_->opening;
}

long ThreadedMixer::minWaveVolume() const {
    QMutexLocker locker(&shared_->mutex);
    return shared_->minWave;
}

long ThreadedMixer::maxWaveVolume() const {
    QMutexLocker locker(&shared_->mutex);
    return shared_->maxWave;
}

long ThreadedMixer::minWavInVolume() const {
    QMutexLocker locker(&shared_->mutex);
    return shared_->minWaveIn;
}

long ThreadedMixer::maxWavInVolume() const {
    QMutexLocker locker(&shared_->mutex);
    return shared_->maxWaveIn;
}

long ThreadedMixer::waveVolume() {
    apply();
    QMutexLocker locker(&shared_->mutex);
    return shared_->wave;
}

long ThreadedMixer::waveInVolume() {
    apply();
    QMutexLocker locker(&shared_->mutex);
    return shared_->waveIn;
}

void ThreadedMixer::setWaveVolume(long level) {
    {
        QMutexLocker locker(&shared_->mutex);
        shared_->wantWave = level;
    }
    apply();
}

void ThreadedMixer::setWaveInVolume(long level) {
    {
        QMutexLocker locker(&shared_->mutex);
        shared_->wantWaveIn = level;
    }
    apply();
}

int ThreadedMixer::lastResult() const {
    QMutexLocker locker(&shared_->mutex);
    return shared_->lastResult;
}

// One pass on the mixer's thread sets the levels wanted by then and reads
// them back; while it waits, later levels only replace the wanted ones.
void ThreadedMixer::apply() {
    QMutexLocker locker(&shared_->mutex);
    if (shared_->applying)
        return;
    shared_->applying = true;
    thread_->post([shared = shared_] {
        std::optional<long> wave, waveIn;
        {
            QMutexLocker locker(&shared->mutex);
            wave = std::exchange(shared->wantWave, std::nullopt);
            waveIn = std::exchange(shared->wantWaveIn, std::nullopt);
            shared->applying = false;
        }
        Mixer& mixer = shared->ensureMixer();
        if (wave)
            mixer.setWaveVolume(*wave);
        if (waveIn)
            mixer.setWaveInVolume(*waveIn);
        const long readWave = mixer.waveVolume();
        const long readWaveIn = mixer.waveInVolume();
        shared->noteState();
        QMutexLocker locker(&shared->mutex);
        shared->wave = readWave;
        shared->waveIn = readWaveIn;
    });
}

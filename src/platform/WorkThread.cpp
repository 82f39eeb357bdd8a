#include "platform/WorkThread.h"

#include <QMetaObject>
#include <QObject>
#include <QSemaphore>
#include <QThread>

#include <memory>

WorkThread::WorkThread(const QString& name) : thread_(new QThread), context_(new QObject) {
    thread_->setObjectName(name);
    context_->moveToThread(thread_);
    thread_->start();
}

WorkThread::~WorkThread() {
    end({}, stuck_ ? 0 : kEndWaitMs);
}

void WorkThread::post(std::function<void()> call) {
    if (context_)
        QMetaObject::invokeMethod(context_, std::move(call), Qt::QueuedConnection);
}

bool WorkThread::run(std::function<void()> call, int waitMs) {
    auto done = std::make_shared<QSemaphore>();
    post([done, call = std::move(call)] {
        call();
        done->release();
    });
    if (done->tryAcquire(1, waitMs))
        return true;
    stuck_ = true;
    return false;
}

bool WorkThread::end(std::function<void()> last, int waitMs) {
    if (!thread_)
        return true;
    QThread* thread = thread_;
    QObject* context = context_;
    thread_ = nullptr;
    context_ = nullptr;
    QMetaObject::invokeMethod(
        context,
        [context, last = std::move(last)] {
            if (last)
                last();
            context->deleteLater(); // deleted as the thread finishes
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    if (!thread->wait(waitMs))
        return false; // stuck in a call: a QThread deleted while it runs would end the program
    delete thread;
    return true;
}

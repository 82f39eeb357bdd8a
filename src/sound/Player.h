#pragma once

#include <QObject>
#include <QString>

// The one media player. open() starts a file at once and replaces whatever
// played; finished() comes once per opened file, when it has played to its
// end (ok) or could not be played at all (not ok), and never for a file that
// was stopped or replaced.
class Player : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Player() override = default;

    virtual void open(const QString& path) = 0;
    virtual void stop() = 0;
    // Lets go of the file; nothing is held open while idle.
    virtual void unload() = 0;
    // `path` is due soon at this level: it is made ready now (the pipeline
    // for it made and connected to the output), so that an open() of the
    // same path only starts it. Nothing is played, and nothing finishes;
    // opening another path plays that one as usual. Let go by stop(),
    // unload(), or after a minute and a bit unused.
    virtual void prepare(const QString& path, long hundredthsOfDb) {
        Q_UNUSED(path);
        Q_UNUSED(hundredthsOfDb);
    }
    // The sound server's output to play into, by name; empty for the
    // desktop's default. A change stops whatever plays.
    virtual void setOutput(const QString& name) { (void)name; }
    // Hundredths of a decibel: 0 full level, -10000 about silent.
    virtual void setVolume(long hundredthsOfDb) = 0;
    virtual long volume() const = 0;
    // After a finished(false): the sound's output failed (no sound server),
    // not the file.
    virtual bool outputFailed() const { return false; }

signals:
    void finished(bool ok);
    // The file opened last plays on its output now: once per stream, so
    // again when a stream that failed is made afresh.
    void started();
};

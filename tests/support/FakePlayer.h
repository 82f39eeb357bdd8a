#pragma once

#include "sound/Player.h"

#include <QStringList>

// Records what is played; the test says when a file ends.
class FakePlayer final : public Player {
public:
    QStringList calls; // "open:<path>", "stop", "unload"
    QString current;   // the file now open, empty when none
    long level = 0;
    QStringList prepared; // "<path>@<level>" per prepare(), kept apart from the calls above

    void open(const QString& path) override {
        calls << QStringLiteral("open:") + path;
        current = path;
    }
    void stop() override {
        calls << QStringLiteral("stop");
        current.clear();
    }
    void unload() override {
        calls << QStringLiteral("unload");
        current.clear();
    }
    void prepare(const QString& path, long hundredthsOfDb) override {
        prepared << path + QLatin1Char('@') + QString::number(hundredthsOfDb);
    }
    QString output; // the sound server's output it plays into
    void setOutput(const QString& name) override { output = name; }
    void setVolume(long hundredthsOfDb) override { level = hundredthsOfDb; }
    long volume() const override { return level; }

    // The open file's stream plays on its output now.
    void start() { emit started(); }
    // The open file reached its end, or turned out to be unplayable.
    void finish(bool ok = true) {
        current.clear();
        emit finished(ok);
    }
    QStringList opened() const {
        QStringList files;
        for (const QString& call : calls) {
            if (call.startsWith(QLatin1String("open:")))
                files << call.mid(5);
        }
        return files;
    }
};

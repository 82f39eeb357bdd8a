#pragma once

#include "platform/SoundServer.h"

#include <QMap>

#include <algorithm>

// A sound server whose outputs a test plugs in and pulls out.
class FakeSoundServer final : public SoundServer {
public:
    QList<SoundOutput> present;
    QMap<QString, long> volumes; // what was set, by output
    QString defaultOutput;
    bool answering = true; // false: as a server too busy to answer in time
    bool hung = false; // took the connection and does not answer

    bool stalled() override { return hung; }

    void plug(const QString& name, const QString& description) {
        present.append({name, description});
        volumes.insert(name, kFullVolume);
        emit outputsChanged();
    }
    void pull(const QString& name) {
        present.removeIf([&](const SoundOutput& o) { return o.name == name; });
        emit outputsChanged();
    }

    QList<SoundOutput> outputs() override { return answering ? present : QList<SoundOutput>(); }
    std::optional<long> volume(const QString& output) override {
        if (!has(output))
            return std::nullopt;
        return volumes.value(named(output));
    }
    bool setVolume(const QString& output, long level) override {
        if (!has(output))
            return false;
        volumes[named(output)] = level;
        return true;
    }

private:
    QString named(const QString& name) const {
        return name == kDefaultOutput ? defaultOutput : name;
    }
    bool has(const QString& name) const {
        return answering &&
               std::any_of(present.cbegin(), present.cend(),
                           [&](const SoundOutput& o) { return o.name == named(name); });
    }
};

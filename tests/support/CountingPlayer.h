#pragma once

#include "sound/Player.h"

#include <QStringList>

#include <functional>

// Plays through a real player and remembers every file opened, with the
// (fake) clock's reading at that moment.
class CountingPlayer final : public Player {
public:
    CountingPlayer(Player& real, std::function<QString()> now) : real_(real), now_(std::move(now)) {
        connect(&real_, &Player::finished, this, &Player::finished);
    }
    struct Opened {
        QString path;
        QString at;
    };
    QList<Opened> opened;

    void open(const QString& path) override {
        opened.append({path, now_()});
        real_.open(path);
    }
    void stop() override { real_.stop(); }
    void unload() override { real_.unload(); }
    void prepare(const QString& path, long level) override { real_.prepare(path, level); }
    void setVolume(long level) override { real_.setVolume(level); }
    long volume() const override { return real_.volume(); }

private:
    Player& real_;
    std::function<QString()> now_;
};

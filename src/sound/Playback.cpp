#include "sound/Playback.h"

#include "core/StoredValues.h"
#include "core/VolumeCurve.h"
#include "platform/Clock.h"
#include "platform/EventLog.h"
#include "platform/SoundServer.h"
#include "sound/MasterLevel.h"
#include "sound/OutputChoice.h"
#include "sound/Player.h"
#include "sound/SongFolder.h"

#include <QFileInfo>

#include <random>
#include <utility>

Playback::Playback(Player& player, MasterLevel& master, StoredValues& values, const Clock& clock,
                   QObject* parent)
    : QObject(parent), player_(player), master_(master), values_(values), clock_(clock) {
    connect(&player_, &Player::finished, this, &Playback::streamEnded);
    // A sound server may let go of a level set just before an output's
    // first stream (PipeWire 1.4 on an output that has just appeared): once
    // the sound plays, its level is set again.
    connect(&player_, &Player::started, this, [this] {
        if (playing())
            master_.apply(values_.MasterVolume);
    });
}

std::optional<int> Playback::volumeIndexForQueued(const QString& relativePath) {
    if (relativePath == kAnonslar + QStringLiteral("0.mp3"))
        return 4;
    if (relativePath == kAnonslar + QStringLiteral("1.mp3"))
        return 5;
    if (relativePath == kAnonslar + QStringLiteral("2.mp3"))
        return 6;
    if (relativePath == kMarslar + QStringLiteral("0.mp3"))
        return 0;
    return std::nullopt;
}

void Playback::setOutputs(OutputChoice* outputs) {
    outputs_ = outputs;
    if (!outputs_)
        return;
    outputs_->use(outputs_->look());
    player_.setOutput(outputs_->inUse());
}

void Playback::chooseOutput(const QString& name) {
    if (!outputs_)
        return;
    outputs_->choose(name);
    followOutput(false);
}

// Moves the master level to the output that is to be used now.
void Playback::followOutput(bool soundStarting) {
    if (!outputs_)
        return;
    const QString wanted = outputs_->look();
    if (wanted == outputs_->inUse())
        return;
    // The output left is not left muted: it gets the master level, as at the end.
    master_.apply(values_.MasterVolume);
    outputs_->use(wanted);
    master_.outputChanged();
    if (!soundStarting && !playing())
        master_.mute();
    else if (!soundStarting)
        master_.apply(values_.MasterVolume);
}

void Playback::play(const QString& filename, const QString& nextSong, double vol,
                    const QString& info, bool music) {
    if (!chaining_)
        dropWaiting(QStringLiteral("yerine %1 başladı").arg(info));
    if (outputs_ && outputs_->server() && outputs_->server()->stalled()) {
        notPlayed(filename, info);
        return;
    }
    followOutput(true);
    if (outputs_)
        player_.setOutput(outputs_->inUse());
    master_.apply(values_.MasterVolume);
    musicOn_ = music;
    setVolume(vol);
    nextSong_ = nextSong;
    playingSong_ = false;
    if (!music)
        songFailures_ = 0; // a bell starts a new break
    current_ = filename;
    if (filename == preparedFile_)
        preparedFile_.clear();
    eventlog::info(QStringLiteral("Çalıyor: %1 (%2)").arg(info, QFileInfo(filename).fileName()));
    player_.open(filename);
    setInfo(info);
    setStopEnabled(true);
    emit playingChanged(true);
}

void Playback::playAfterCurrent(const QString& filename, double vol, const QString& info) {
    if (!playing() || playingSong_) {
        play(filename, QString(), vol, info, false);
        return;
    }
    dropWaiting(QStringLiteral("yerine %1 bekliyor").arg(info));
    afterCurrent_ = {filename, vol, info};
    musicOn_ = false; // what waits comes before the break's music, and ends it
}

void Playback::endMusic() {
    musicOn_ = false;
    if (!playingSong_ || !playing())
        return;
    eventlog::info(QStringLiteral("Durduruldu: %1").arg(info_));
    playingSong_ = false;
    player_.stop();
    goIdle();
}

void Playback::dropWaiting(const QString& why) {
    if (afterCurrent_.file.isEmpty())
        return;
    eventlog::warning(QStringLiteral("%1 çalmadı: %2").arg(afterCurrent_.info, why));
    afterCurrent_ = {};
}

void Playback::setVolume(double vol) {
    if (const auto level = playerLevelFor(vol))
        player_.setVolume(*level);
}

void Playback::streamEnded(bool ok) {
    if (!ok && player_.outputFailed())
        eventlog::warning(QStringLiteral("Çalınamadı (ses çıkışı açılamadı): %1").arg(current_));
    else if (!ok)
        eventlog::warning(QStringLiteral("Çalınamadı (dosya yok ya da bozuk): %1").arg(current_));
    if (playingSong_) {
        // An empty or broken song ends at once; counted as failed, it cannot
        // start one song after another for the whole break.
        const bool played = ok && songStarted_.msecsTo(clock_.now()) >= kShortestSongMs;
        songFailures_ = played ? 0 : songFailures_ + 1;
    }
    if (!nextSong_.isEmpty()) {
        const QString next = nextSong_;
        const auto index = volumeIndexForQueued(next);
        // An unknown queued path keeps the player's level as it is.
        const double vol = index ? values_.Sesx[*index] : -1.0;
        chaining_ = true;
        play(appPath_ + next, QString(), vol, info_, musicOn_);
        chaining_ = false;
        return;
    }
    if (!afterCurrent_.file.isEmpty()) {
        const Waiting waiting = std::exchange(afterCurrent_, {});
        play(waiting.file, QString(), waiting.vol, waiting.info, false);
        return;
    }
    if (!musicOn_ || songFailures_ >= kMaxSongFailures) {
        goIdle();
        return;
    }
    // Break music due but nothing playable in the folder: rest, muted.
    if (!playRandomSong())
        goIdle();
}

bool Playback::startRandomSong() {
    songFailures_ = 0;
    return playRandomSong();
}

bool Playback::playRandomSong() {
    // The folder is listed afresh for every song: added files count at once.
    const QStringList songs = listSongs(appPath_ + kMuzik);
    std::mt19937 generator(static_cast<std::mt19937::result_type>(clock_.now().toMSecsSinceEpoch() ^
                                                                  std::random_device{}()));
    const float r = std::uniform_real_distribution<float>(0.0f, 1.0f)(generator);
    const int count = static_cast<int>(songs.size());
    if (count == 0)
        return false;
    const int pick = std::min(pickIndex(count, r), count);
    const QString name = songs.at(pick - 1);
    play(appPath_ + kMuzik + name, QString(), values_.Sesx[3], QStringLiteral("Müzik: ") + name,
         true);
    playingSong_ = true;
    songStarted_ = clock_.now();
    return true;
}

void Playback::prepare(const QString& filename, double vol) {
    // A minute ahead, and a little more for a late pass.
    static constexpr int kDueWithinSecs = 65;
    preparedFile_ = filename;
    preparedVol_ = vol;
    preparedUntil_ = clock_.now().addSecs(kDueWithinSecs);
    player_.prepare(filename, playerLevelFor(vol).value_or(player_.volume()));
}

void Playback::stop() {
    if (playing())
        eventlog::info(QStringLiteral("Durduruldu: %1").arg(info_));
    dropWaiting(QStringLiteral("durduruldu"));
    nextSong_.clear();
    preparedFile_.clear();
    silence();
}

// The sound server took the connection and does not answer: nothing can
// play now, and what played is let go of. The sound is logged as not
// played, its file not as broken; the next one asks the server again.
void Playback::notPlayed(const QString& filename, const QString& info) {
    eventlog::warning(QStringLiteral("%1 çalmadı: ses sunucusu yanıt vermiyor (%2)")
                          .arg(info, QFileInfo(filename).fileName()));
    dropWaiting(QStringLiteral("ses sunucusu yanıt vermiyor"));
    nextSong_.clear();
    musicOn_ = false;
    playingSong_ = false;
    if (filename == preparedFile_)
        preparedFile_.clear();
    silence();
}

// Stops what plays and shows nothing playing, muted.
void Playback::silence() {
    player_.stop();
    player_.unload();
    setInfo(QString());
    setStopEnabled(false);
    master_.mute();
    emit playingChanged(false);
}

void Playback::goIdle() {
    player_.unload();
    // A bell made ready while the last sound played is due still.
    if (!preparedFile_.isEmpty() && clock_.now() < preparedUntil_)
        player_.prepare(preparedFile_, playerLevelFor(preparedVol_).value_or(player_.volume()));
    setInfo(QString());
    setStopEnabled(false);
    master_.mute();
    emit playingChanged(false);
}

void Playback::setInfo(const QString& info) {
    if (info_ == info)
        return;
    info_ = info;
    emit infoChanged(info_);
}

void Playback::setStopEnabled(bool enabled) {
    if (stopEnabled_ == enabled)
        return;
    stopEnabled_ = enabled;
    emit stopEnabledChanged(enabled);
}

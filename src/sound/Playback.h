#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include <optional>

class Clock;
class MasterLevel;
class OutputChoice;
class Player;
struct StoredValues;

// Every sound starts through Playback::play(), and the latest start always wins: a new
// sound replaces whatever plays and drops its queued follow-up. One file can
// be queued behind the current one; while break music is on, each song's end
// starts another. Between sounds the computer is muted.
class Playback : public QObject {
    Q_OBJECT
public:
    // Folders below the program folder, as they are joined to it.
    static inline const QString kMelodiler = QStringLiteral("/Melodiler/");
    static inline const QString kAnonslar = QStringLiteral("/Anonslar/");
    static inline const QString kMarslar = QStringLiteral("/Marşlar/");
    static inline const QString kMuzik = QStringLiteral("/Müzik/");

    // A broken break song is followed by another pick, this many in a row.
    static constexpr int kMaxSongFailures = 3;
    // A song that ends sooner than this after its start did not really play.
    static constexpr qint64 kShortestSongMs = 1000;

    Playback(Player& player, MasterLevel& master, StoredValues& values, const Clock& clock,
             QObject* parent = nullptr);

    void setAppPath(const QString& appPath) { appPath_ = appPath; }
    // The sound server's outputs, set once at start-up; without them every
    // sound goes to the default output. The chosen one is looked for now.
    // With them, a sound the server does not answer for is not played.
    void setOutputs(OutputChoice* outputs);
    OutputChoice* outputs() const { return outputs_; }
    // The user chose an output ("" for the default); the next sound goes there.
    void chooseOutput(const QString& name);

    void play(const QString& filename, const QString& nextSong, double vol, const QString& info,
              bool music);
    // Plays the file once the bell playing now and its queued file have
    // ended, before break music; at once when nothing or only music plays.
    // A sound started meanwhile drops it, as any queued file.
    void playAfterCurrent(const QString& filename, double vol, const QString& info);
    // Break music ends: a song playing now stops, and none follows a bell.
    void endMusic();
    void setVolume(double vol);
    void stop();
    // `filename` is due in the coming minute at `vol`, as Playback::play() will be
    // called: the player makes it ready. Kept for that Playback::play() until a
    // stop, also across the idle spell after another sound.
    void prepare(const QString& filename, double vol);
    // Picks a random song of the music folder and plays it, starting the
    // count of failed songs afresh; false when the folder holds none.
    bool startRandomSong();

    // The volume index a queued file plays at.
    static std::optional<int> volumeIndexForQueued(const QString& relativePath);

    const QString& info() const { return info_; }
    bool playing() const { return !info_.isEmpty(); }
    bool stopEnabled() const { return stopEnabled_; }
    bool musicOn() const { return musicOn_; }
    // The scheduler marks an exit bell for break music right after starting it.
    void setMusicOn(bool on) { musicOn_ = on; }
    const QString& queued() const { return nextSong_; }

signals:
    void infoChanged(const QString& info);
    void stopEnabledChanged(bool enabled);
    // showPlayingInTray: true for "play", false for "stop".
    void playingChanged(bool playing);

private:
    void streamEnded(bool ok);
    void followOutput(bool soundStarting);
    bool playRandomSong();
    void notPlayed(const QString& filename, const QString& info);
    void goIdle();
    void silence();
    void dropWaiting(const QString& why);
    void setInfo(const QString& info);
    void setStopEnabled(bool enabled);

    Player& player_;
    MasterLevel& master_;
    StoredValues& values_;
    const Clock& clock_;
    OutputChoice* outputs_ = nullptr;
    QString appPath_;
    QString current_; // the file last opened, for the log
    QString nextSong_;
    // What plays once the current sound and nextSong_ have ended.
    struct Waiting {
        QString file;
        double vol = 0;
        QString info;
    } afterCurrent_;
    bool chaining_ = false; // streamEnded() starts the queued file
    QString info_;
    bool stopEnabled_ = false;
    bool musicOn_ = false;
    bool playingSong_ = false; // a break song, not a bell or what is queued behind it
    QDateTime songStarted_;
    int songFailures_ = 0;
    // What prepare() was last asked for, while still due.
    QString preparedFile_;
    double preparedVol_ = 0;
    QDateTime preparedUntil_;
};

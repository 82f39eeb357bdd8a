#pragma once

#include <QString>

class Playback;
struct StoredValues;

// Ringing a bell: its melody, then its announcement when that is switched on.
namespace bells {

// Texts shown while a bell rung by a button plays; the scheduler's read
// "giriş" in lower case.
QString buttonText(int kind);
QString scheduledText(int kind);

// "/Anonslar/<kind>.mp3" when the kind's announcement is on, else empty.
QString announcementFor(const StoredValues& values, int kind);

// Plays `melody` (a file name in the melody folder) for bell `kind` at the
// kind's melody volume, with its announcement queued unless `noAnnouncement`.
void ring(Playback& playback, const StoredValues& values, const QString& appPath, int kind,
          const QString& melody, const QString& info, bool noAnnouncement = false);

} // namespace bells

// The anthem (0), the moment of silence followed by the anthem (1), the siren (2).
namespace ceremonies {

inline constexpr int kAnthem = 0;
inline constexpr int kSilence = 1;
inline constexpr int kSiren = 2;

QString infoText(int row);
void play(Playback& playback, const StoredValues& values, const QString& appPath, int row);
// As play(), but a bell that plays now (with its announcement) is heard out first.
void playAfterBell(Playback& playback, const StoredValues& values, const QString& appPath, int row);

// The delay list's items as seconds, kept in its Tag; nothing for other texts.
QString delayTagFor(const QString& item);

// A row's countdown: the seconds left, one tick a second.
class Countdown {
public:
    void start(int seconds) { remaining_ = seconds; }
    // True when this tick reached zero: the sound is due.
    bool tick() { return remaining_ > 0 && --remaining_ == 0; }
    void cancel() { remaining_ = 0; }
    bool counting() const { return remaining_ > 0; }
    int remaining() const { return remaining_; }

private:
    int remaining_ = 0;
};

} // namespace ceremonies

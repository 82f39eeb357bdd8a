#pragma once

#include <QString>
#include <QStringList>

// Sound files of one folder, by pattern group and in the order the folder
// listing gives them (no sorting): MIDI, then wav, then mp3 for break songs;
// wav, then mp3, then MIDI for melodies. Only regular files are listed.
QStringList listSongs(const QString& folder);
QStringList listMelodies(const QString& folder);

// A uniform pick of 1..count from a draw r in [0, 1), in single precision.
int pickIndex(int count, float r);

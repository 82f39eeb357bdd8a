#pragma once

#include <QObject>
#include <QString>

#include <array>

class Playback;
class QLineEdit;
class SettingsStore;
struct StoredValues;

// The ten per-sound volume boxes txtSes(0..9): digits only, the whole text
// selected on entry, every change stored and applied to the player at once,
// and an empty or out-of-range value corrected when the box is left.
class VolumeBoxes : public QObject {
    Q_OBJECT
public:
    static constexpr int kCount = 10;

    VolumeBoxes(StoredValues& values, SettingsStore& store, Playback& playback, const bool& filling,
                QObject* parent = nullptr);

    void attach(int index, QLineEdit* box);
    static QString accessibleName(int index);
    QLineEdit* box(int index) const { return boxes_.at(index); }

    // What a box reads after it is left: "" and values below 1 become "70",
    // values above 100 become "100"; nullopt-like empty result: unchanged.
    static QString correctedOnLeave(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int indexOf(QObject* box) const;
    void boxChanged(int index);
    void boxLeft(int index);

    StoredValues& values_;
    SettingsStore& store_;
    Playback& playback_;
    const bool& filling_;
    std::array<QLineEdit*, kCount> boxes_{};
};

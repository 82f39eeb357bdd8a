#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

// One output of the sound server: its fixed name and the text people see.
struct SoundOutput {
    QString name;
    QString description;
};

// The desktop's sound server (PulseAudio, or PipeWire's pulse front end):
// its outputs and their volumes. Every call asks the server afresh and waits
// a moment at most; an unreachable server has no outputs.
class SoundServer : public QObject {
    Q_OBJECT
public:
    // An output's full volume; its silence is 0.
    static constexpr long kFullVolume = 0x10000;
    // The server's default output at the moment it is asked.
    static inline const QString kDefaultOutput = QStringLiteral("@DEFAULT_SINK@");

    using QObject::QObject;
    ~SoundServer() override = default;

    virtual QList<SoundOutput> outputs() = 0;
    // The output's loudest channel; nothing when it is not there.
    virtual std::optional<long> volume(const QString& output) = 0;
    // All its channels to `level` (0..kFullVolume); false when not done.
    virtual bool setVolume(const QString& output, long level) = 0;
    // Asks the server (a moment at most): true when it is there, took the
    // connection, and did not answer in time (a hung server). An absent
    // server is not stalled.
    virtual bool stalled() { return false; }

signals:
    // An output came or went. Told once the server was asked anything.
    void outputsChanged();
};

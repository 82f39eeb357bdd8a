#pragma once

#include <QProcess>
#include <QString>

// The level a sink of the test services' sound server applies, as pactl reads
// it back. PipeWire 1.4 holds a level set on a sink that has not played since
// it appeared and reads back 100 % until a stream plays there; a moment of
// silence played into the sink first makes it apply the level it holds.
namespace sinklevel {

inline QString pactl(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("pactl"), arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

inline bool onPipeWire() {
    return pactl({QStringLiteral("info")}).contains(QLatin1String("PipeWire"));
}

// A fifth of a second of silence, played to its end.
inline void playSilence(const QString& sink) {
    QProcess pacat;
    pacat.start(QStringLiteral("pacat"),
                {QStringLiteral("-d"), sink, QStringLiteral("--raw"),
                 QStringLiteral("--format=s16le"), QStringLiteral("--rate=22050"),
                 QStringLiteral("--channels=1")});
    if (!pacat.waitForStarted(30000))
        return;
    pacat.write(QByteArray(2 * 22050 / 5, '\0'));
    pacat.closeWriteChannel();
    if (!pacat.waitForFinished(30000))
        pacat.kill();
}

// pactl's get-sink-volume line for the sink.
inline QString volume(const QString& sink) {
    if (onPipeWire())
        playSilence(sink);
    return pactl({QStringLiteral("get-sink-volume"), sink});
}

} // namespace sinklevel

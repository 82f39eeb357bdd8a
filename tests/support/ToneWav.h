#pragma once

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>

#include <cmath>

// A 440 Hz tone as a 16-bit mono wav, loud to its last sample.
inline QByteArray toneWav(double seconds, int rate = 44100, int amplitude = 12000) {
    const auto frames = static_cast<quint32>(seconds * rate);
    QByteArray wav;
    QDataStream out(&wav, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + frames * 2);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2)
        << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(frames * 2);
    for (quint32 i = 0; i < frames; ++i)
        out << qint16(amplitude * std::sin(2 * M_PI * 440 * i / rate));
    return wav;
}

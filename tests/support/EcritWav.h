#pragma once
// Sound memos for tests: plain PCM WAV files, as cameras record them.

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>

// nMillisecondes of 8 kHz, 16-bit mono silence as a whole WAV file.
inline QByteArray WavPCM(int nMillisecondes = 1000)
{
    const qint32 nDonnees = qint32(nMillisecondes) * 16;
    QByteArray b;
    QDataStream s(&b, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s.writeRawData("RIFF", 4);
    s << qint32(36 + nDonnees);
    s.writeRawData("WAVEfmt ", 8);
    s << qint32(16) << qint16(1) << qint16(1) << qint32(8000) << qint32(16000) << qint16(2) << qint16(16);
    s.writeRawData("data", 4);
    s << nDonnees;
    return b + QByteArray(nDonnees, '\0');
}

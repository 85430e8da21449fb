#pragma once
// Text decoding for files that may come from the earlier platform: UTF-8 when the bytes are
// valid UTF-8, Windows-1252 otherwise, decided line by line.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF, no truncated sequence).
bool EstUtf8Valide(QByteArrayView Octets);

// Decodes one line: UTF-8 when valid, else Windows-1252.
QString DecodeLigne(QByteArrayView Octets);

// Decodes Windows-1252 bytes. The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the control characters of the same value, so that they are written back
// unchanged.
QString DecodeWindows1252(QByteArrayView Octets);

// Encodes text in Windows-1252. A character the code page cannot hold becomes "?" and *lOk
// (when given) is set to false; otherwise *lOk is true.
QByteArray EncodeWindows1252(const QString &cTexte, bool *lOk = nullptr);

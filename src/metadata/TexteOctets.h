#pragma once
// Texts read from image files: bytes in UTF-8 when they are valid UTF-8, else in
// Windows-1252 (the encoding of cameras and tools of the earlier platform).

#include <QString>
#include <QtGlobal>

QString TexteDeOctets(const uchar *p, qint64 n);
// Removes blanks and control characters at both ends.
QString TrimControle(const QString &c);

#pragma once
// Readable failure messages for Qt texts; a very long text is cut.

#include <QString>
#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os)
{
    constexpr qsizetype nMax = 200;
    *os << '"' << s.left(nMax).toStdString() << (s.size() > nMax ? "\"..." : "\"");
}

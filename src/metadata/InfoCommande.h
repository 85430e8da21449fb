#pragma once
// "vimbrel --info FILE…": one line per file, the imaging inspection followed by the EXIF and
// IPTC columns.

#include <QStringList>
#include <QTextStream>

// Prints the lines; returns 0, or 1 when a file does not exist.
int ExecuteInfo(const QStringList &fichiers, QTextStream &out);

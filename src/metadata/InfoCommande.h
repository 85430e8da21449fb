#pragma once
// "vimbrel --info FILE…": one line per file, tab-separated: the imaging inspection (path,
// kind, file size, width, height), the EXIF and IPTC columns, and last the reason the file
// could not be decoded (empty when it decodes), so that every line has the same columns and
// a numeric column never holds a text.

#include <QStringList>
#include <QTextStream>

// Prints the lines; returns 0, or 1 when a file does not exist.
int ExecuteInfo(const QStringList &fichiers, QTextStream &out);

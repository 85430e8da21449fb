#pragma once
// The program's markup in hint texts: "<KS>text</xx/>", K the kind ("L" separator line, "C"
// centred, "P" title between lines, any other letter text in the flow) and S the style ("G"
// bold, "S" underlined, "T" both, any other letter normal). Lines are separated by line breaks.
// Reading the tags is kept apart from drawing them, so that a hint is measured and drawn by the
// same rule.

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

namespace Balises
{

// One piece of a line: text outside any tag (lBalise false), or the text a tag encloses with
// the tag's kind and style letters.
struct TMorceau
{
    QString cTexte;
    bool lBalise = false;
    QChar cGenre;
    QChar cStyle;

    bool operator==(const TMorceau &) const = default;
};

// The lines of a text, split at "\r\n", "\n" or "\r".
QStringList Lignes(const QString &cTexte);

// The pieces of one line, in order. A "<" before a tag that does not open one (or a ">" before
// it) defeats the recognition of tags for the rest of the line.
QList<TMorceau> AnalyseLigne(const QString &cLigne);

// True when some line holds at least one tag.
bool ABalise(const QString &cTexte);

// The text with its tags removed and the enclosed texts kept; lines joined with "\n".
QString TexteSimple(const QString &cTexte);

} // namespace Balises

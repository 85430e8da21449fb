#pragma once
// How a text is written into the pages of a web album, one function per context. Names,
// legends, hints, keywords, titles and fonts come from the user's files and settings and may
// hold anything, a quote, a line break or "</script>" included; each is made inert for the
// place it lands in.

#include <QString>

namespace EchappementWEB
{
// Element text and attribute values (double- or single-quoted): & < > " ' become entities.
QString HTML(const QString &cTexte);

// The inside of a JavaScript string literal in either quote: \ ' " CR LF become escapes, and
// < becomes \x3C so that "</script>" cannot close the script element around it.
QString JS(const QString &cTexte);

// One part of a relative address (a file or folder name): its UTF-8 bytes percent-encoded,
// except A-Z a-z 0-9 - . _ ~ ( ), with upper-case hexadecimal digits.
QString PartieURL(const QString &cPartie);

// A relative address made of parts separated by "/": each part encoded, the "/" kept.
QString CheminURL(const QString &cChemin);

// A legend given to the single-image script, which writes it into the page as markup: HTML
// first, then JavaScript.
QString Legende(const QString &cTexte);
}

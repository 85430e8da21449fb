#pragma once
// Rich text (RTF) written from the program's reports. Qt reads and writes HTML and Markdown but
// has no RTF writer, and word processors paste RTF with its fonts and indents intact. Every RTF
// the program writes, metadata reports and the catalogue audit alike, goes through the one
// emitter behind RTFDeParagraphes: a report either hands over its paragraphs directly, or is a
// QTextDocument that RTFDeDocument first turns into paragraphs.

#include <QByteArray>
#include <QList>
#include <QString>

class QTextDocument;

// A run of text sharing one look. Line breaks inside sTexte become \line; tabs become \tab.
struct TSegmentRTF
{
    QString sTexte;
    double rTaille = 8.0; // points
    bool lGras = false;
    bool lSouligne = false;
};
// Lists of runs and paragraphs grow by moving their bytes: a long report is millions of them.
Q_DECLARE_TYPEINFO(TSegmentRTF, Q_RELOCATABLE_TYPE);

enum class TAlignementRTF { Gauche, Centre, Droite, Justifie };

struct TParagrapheRTF
{
    TAlignementRTF nAlignement = TAlignementRTF::Gauche;
    int nRetraitPremiereLigne = 0; // twips, may be negative (hanging first line)
    int nRetraitGauche = 0;        // twips
    bool lPuce = false;            // a bullet before the first line
    QList<TSegmentRTF> lstSegments;
};
Q_DECLARE_TYPEINFO(TParagrapheRTF, Q_RELOCATABLE_TYPE);

// The whole RTF file (7-bit text) of these paragraphs, in the given font family.
QByteArray RTFDeParagraphes(const QList<TParagrapheRTF> &lstParagraphes,
                            const QString &sPolice = QStringLiteral("Arial"));

// The paragraphs of a document: alignment, indents, list bullets, and per fragment the
// weight, underline and point size (the document's default size where a fragment has none).
QList<TParagrapheRTF> ParagraphesDeDocument(const QTextDocument &docSource);

// The other way: the document shows the paragraphs (sizes, weight, underline, indents,
// alignment, bullets as a list), replacing what it held. Its default font is kept.
void RemplitDocumentRTF(QTextDocument &docCible, const QList<TParagrapheRTF> &lstParagraphes);

// RTFDeParagraphes(ParagraphesDeDocument(doc)), the font family taken from the document.
QByteArray RTFDeDocument(const QTextDocument &docSource);

// The paragraphs' plain text: runs joined, paragraphs ended by "\n", bullets left out.
QString TexteDeParagraphes(const QList<TParagrapheRTF> &lstParagraphes);

// Writes the RTF to cFichier atomically (the old file stays whole on any failure). On failure
// returns false and, when psErreur is given, the reason in French.
bool EnregistreRTF(const QString &cFichier, const QByteArray &baRTF, QString *psErreur = nullptr);

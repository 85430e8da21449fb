#include "platform/EcritRTF.h"

#include "platform/AtomicFile.h"

#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextList>

#include <cmath>

namespace
{

// Qt lays documents out at 96 pixels per inch; RTF measures in twentieths of a point.
constexpr double rTwipsParPixel = 1440.0 / 96.0;
// Hanging indent of a bullet whose document gives none: the bullet sits in this space.
constexpr int nRetraitPuce = 360;

void AjouteMotCle(QByteArray &baSortie, const char *pMot, int nValeur)
{
    baSortie += pMot;
    baSortie += QByteArray::number(nValeur);
}

// One UTF-16 unit as \uN (N signed 16-bit, as the format wants), then the '?' fallback that
// readers without Unicode show instead. The fallback is written as the escape \'3f: some
// readers take a bare '?' and the letters after it as one word and skip them all.
void AjouteUnicode(QByteArray &baSortie, char16_t nUnite)
{
    baSortie += "\\u";
    baSortie += QByteArray::number(static_cast<int>(static_cast<qint16>(nUnite)));
    baSortie += "\\'3f";
}

// Text in 7-bit RTF: the three special characters escaped, line breaks and tabs as control
// words, other control characters dropped, everything beyond ASCII as \uN?.
void AjouteTexte(QByteArray &baSortie, const QString &sTexte)
{
    const qsizetype nLong = sTexte.size();
    for (qsizetype i = 0; i < nLong; ++i) {
        const char16_t c = sTexte.at(i).unicode();
        if (c == u'\\' || c == u'{' || c == u'}') {
            baSortie += '\\';
            baSortie += static_cast<char>(c);
        } else if (c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029) {
            // A CR LF pair is one break.
            if (c == u'\r' && i + 1 < nLong && sTexte.at(i + 1) == u'\n')
                ++i;
            baSortie += "\\line ";
        } else if (c == u'\t') {
            baSortie += "\\tab ";
        } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
            continue;
        } else if (c < 0x80) {
            baSortie += static_cast<char>(c);
        } else if (QChar::isHighSurrogate(c)) {
            // A character beyond U+FFFF goes out as its two surrogates; a lone half is dropped.
            if (i + 1 < nLong && QChar::isLowSurrogate(sTexte.at(i + 1).unicode())) {
                AjouteUnicode(baSortie, c);
                AjouteUnicode(baSortie, sTexte.at(i + 1).unicode());
                ++i;
            }
        } else if (QChar::isLowSurrogate(c)) {
            continue;
        } else {
            AjouteUnicode(baSortie, c);
        }
    }
}

void AjouteParagraphe(QByteArray &baSortie, const TParagrapheRTF &Paragraphe)
{
    baSortie += "\\pard";
    if (Paragraphe.lPuce)
        baSortie += "{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}";
    switch (Paragraphe.nAlignement) {
    case TAlignementRTF::Gauche: break;
    case TAlignementRTF::Centre: baSortie += "\\qc"; break;
    case TAlignementRTF::Droite: baSortie += "\\qr"; break;
    case TAlignementRTF::Justifie: baSortie += "\\qj"; break;
    }
    if (Paragraphe.nRetraitPremiereLigne != 0)
        AjouteMotCle(baSortie, "\\fi", Paragraphe.nRetraitPremiereLigne);
    if (Paragraphe.nRetraitGauche != 0)
        AjouteMotCle(baSortie, "\\li", Paragraphe.nRetraitGauche);
    baSortie += ' ';
    for (const TSegmentRTF &Segment : Paragraphe.lstSegments) {
        if (Segment.sTexte.isEmpty())
            continue;
        baSortie += '{';
        AjouteMotCle(baSortie, "\\fs", std::max(1, static_cast<int>(std::lround(Segment.rTaille * 2.0))));
        if (Segment.lGras)
            baSortie += "\\b";
        if (Segment.lSouligne)
            baSortie += "\\ul";
        baSortie += ' ';
        AjouteTexte(baSortie, Segment.sTexte);
        baSortie += '}';
    }
    baSortie += "\\par\n";
}

// The point size of a fragment: its own, else the document's default, else a pixel size
// taken at 96 dpi.
double TailleDe(const QFont &Police, const QFont &PoliceDefaut)
{
    if (Police.pointSizeF() > 0)
        return Police.pointSizeF();
    if (Police.pixelSize() > 0)
        return Police.pixelSize() * 0.75;
    if (PoliceDefaut.pointSizeF() > 0)
        return PoliceDefaut.pointSizeF();
    if (PoliceDefaut.pixelSize() > 0)
        return PoliceDefaut.pixelSize() * 0.75;
    return 8.0;
}

TAlignementRTF AlignementDe(Qt::Alignment nAlign)
{
    const Qt::Alignment nHoriz = nAlign & Qt::AlignHorizontal_Mask;
    if (nHoriz & Qt::AlignJustify)
        return TAlignementRTF::Justifie;
    if (nHoriz & Qt::AlignHCenter)
        return TAlignementRTF::Centre;
    if (nHoriz & Qt::AlignRight)
        return TAlignementRTF::Droite;
    return TAlignementRTF::Gauche;
}

int EnTwips(double rPixels)
{
    return static_cast<int>(std::lround(rPixels * rTwipsParPixel));
}

} // namespace

QByteArray RTFDeParagraphes(const QList<TParagrapheRTF> &lstParagraphes, const QString &sPolice)
{
    QByteArray baSortie = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl{\\f0\\fswiss\\fcharset0 ";
    const QString sNom = sPolice.trimmed().isEmpty() ? QStringLiteral("Arial") : sPolice.trimmed();
    // A name holding ';' would end the entry early.
    AjouteTexte(baSortie, QString(sNom).remove(u';'));
    baSortie += ";}{\\f1\\fnil\\fcharset2 Symbol;}}\n";
    baSortie += "\\viewkind4\\f0\\fs16\n";
    for (const TParagrapheRTF &Paragraphe : lstParagraphes)
        AjouteParagraphe(baSortie, Paragraphe);
    baSortie += "}\n";
    return baSortie;
}

QList<TParagrapheRTF> ParagraphesDeDocument(const QTextDocument &docSource)
{
    QList<TParagrapheRTF> lstParagraphes;
    const QFont PoliceDefaut = docSource.defaultFont();
    const double rLargeurRetrait = docSource.indentWidth();
    for (QTextBlock Bloc = docSource.begin(); Bloc.isValid(); Bloc = Bloc.next()) {
        const QTextBlockFormat FormatBloc = Bloc.blockFormat();
        TParagrapheRTF Paragraphe;
        Paragraphe.nAlignement = AlignementDe(FormatBloc.alignment());
        double rGauche = FormatBloc.leftMargin() + FormatBloc.indent() * rLargeurRetrait;
        int nPremiere = EnTwips(FormatBloc.textIndent());
        if (const QTextList *pListe = Bloc.textList()) {
            Paragraphe.lPuce = true;
            rGauche += pListe->format().indent() * rLargeurRetrait;
            if (nPremiere == 0)
                nPremiere = -std::min(nRetraitPuce, EnTwips(rGauche));
        }
        Paragraphe.nRetraitGauche = EnTwips(rGauche);
        Paragraphe.nRetraitPremiereLigne = nPremiere;
        for (QTextBlock::iterator it = Bloc.begin(); !it.atEnd(); ++it) {
            const QTextFragment Fragment = it.fragment();
            if (!Fragment.isValid())
                continue;
            const QTextCharFormat FormatCar = Fragment.charFormat();
            TSegmentRTF Segment;
            // Objects (pictures) have no text form: their placeholder is dropped.
            Segment.sTexte =
                Fragment.text().remove(QChar::ObjectReplacementCharacter).replace(QChar::LineSeparator, u'\n');
            if (Segment.sTexte.isEmpty())
                continue;
            Segment.lGras = FormatCar.fontWeight() >= QFont::DemiBold;
            Segment.lSouligne = FormatCar.fontUnderline();
            const double rPoints = FormatCar.fontPointSize();
            Segment.rTaille = rPoints > 0 ? rPoints : TailleDe(FormatCar.font(), PoliceDefaut);
            Paragraphe.lstSegments.append(Segment);
        }
        lstParagraphes.append(Paragraphe);
    }
    return lstParagraphes;
}

QByteArray RTFDeDocument(const QTextDocument &docSource)
{
    return RTFDeParagraphes(ParagraphesDeDocument(docSource), docSource.defaultFont().family());
}

QString TexteDeParagraphes(const QList<TParagrapheRTF> &lstParagraphes)
{
    QString sTexte;
    for (const TParagrapheRTF &Paragraphe : lstParagraphes) {
        for (const TSegmentRTF &Segment : Paragraphe.lstSegments)
            sTexte += Segment.sTexte;
        sTexte += u'\n';
    }
    return sTexte;
}

bool EnregistreRTF(const QString &cFichier, const QByteArray &baRTF, QString *psErreur)
{
    return EcritFichierAtomique(cFichier, baRTF, psErreur);
}

void RemplitDocumentRTF(QTextDocument &Doc, const QList<TParagrapheRTF> &Paragraphes)
{
    Doc.clear();
    QTextCursor c(&Doc);
    c.beginEditBlock();
    QTextList *Liste = nullptr;
    bool lPremier = true;
    for (const TParagrapheRTF &p : Paragraphes) {
        QTextBlockFormat fb;
        fb.setAlignment(p.nAlignement == TAlignementRTF::Centre     ? Qt::AlignHCenter
                        : p.nAlignement == TAlignementRTF::Droite   ? Qt::AlignRight
                        : p.nAlignement == TAlignementRTF::Justifie ? Qt::AlignJustify
                                                                    : Qt::AlignLeft);
        fb.setTextIndent(p.nRetraitPremiereLigne / rTwipsParPixel);
        fb.setLeftMargin(p.nRetraitGauche / rTwipsParPixel);
        QTextCharFormat fc0;
        if (!p.lstSegments.isEmpty())
            fc0.setFontPointSize(p.lstSegments.first().rTaille);
        if (lPremier) {
            c.setBlockFormat(fb);
            c.setBlockCharFormat(fc0);
            lPremier = false;
        } else
            c.insertBlock(fb, fc0);
        if (p.lPuce) {
            if (Liste)
                Liste->add(c.block());
            else {
                QTextListFormat fl;
                fl.setStyle(QTextListFormat::ListDisc);
                Liste = c.createList(fl);
            }
        } else
            Liste = nullptr;
        for (const TSegmentRTF &s : p.lstSegments) {
            QTextCharFormat fc;
            fc.setFontPointSize(s.rTaille);
            fc.setFontWeight(s.lGras ? QFont::Bold : QFont::Normal);
            fc.setFontUnderline(s.lSouligne);
            c.insertText(s.sTexte, fc);
        }
    }
    c.endEditBlock();
}

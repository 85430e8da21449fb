#include "platform/EcritRTF.h"

#include "platform/AtomicFile.h"

#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextList>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace
{

// Qt lays documents out at 96 pixels per inch; RTF measures in twentieths of a point.
constexpr double rTwipsParPixel = 1440.0 / 96.0;
// Hanging indent of a bullet whose document gives none: the bullet sits in this space.
constexpr int nRetraitPuce = 360;

// What an ASCII character becomes in 7-bit RTF.
enum TSorteCar : unsigned char { cTel, cEchappe, cOmis, cLigne, cTab };

constexpr std::array<TSorteCar, 128> TableAscii()
{
    std::array<TSorteCar, 128> t{};
    for (int c = 0; c < 0x20; ++c)
        t[size_t(c)] = cOmis;
    t[0x7F] = cOmis;
    t[size_t('\\')] = t[size_t('{')] = t[size_t('}')] = cEchappe;
    t[size_t('\n')] = t[size_t('\r')] = cLigne;
    t[size_t('\t')] = cTab;
    return t;
}
constexpr std::array<TSorteCar, 128> SortesAscii = TableAscii();

// The most one UTF-16 unit can take: "\u-12345\'3f".
constexpr qsizetype nMaxParUnite = 13;

// Writes straight into one byte array that grows by doubling; Fin() cuts it to what was written.
class TEcrivainRTF
{
public:
    explicit TEcrivainRTF(qsizetype nPrevu)
    {
        m_ba.resize(std::max<qsizetype>(nPrevu, 256));
        m_p = m_ba.data();
    }

    // Room for n more bytes.
    void Prevoit(qsizetype n)
    {
        const qsizetype nPris = m_p - m_ba.constData();
        if (nPris + n <= m_ba.size())
            return;
        m_ba.resize(std::max(nPris + n, m_ba.size() * 2));
        m_p = m_ba.data() + nPris;
    }
    void Car(char c) { *m_p++ = c; }
    template <size_t N>
    void Mot(const char (&c)[N])
    {
        std::memcpy(m_p, c, N - 1);
        m_p += N - 1;
    }
    void Nombre(int n)
    {
        char Chiffres[12];
        int i = 0;
        unsigned u = n < 0 ? 0u - unsigned(n) : unsigned(n);
        do
            Chiffres[i++] = char('0' + u % 10);
        while ((u /= 10) != 0);
        if (n < 0)
            Car('-');
        while (i > 0)
            Car(Chiffres[--i]);
    }
    void MotNombre(const char *pMot, int n)
    {
        const size_t nLong = std::strlen(pMot);
        std::memcpy(m_p, pMot, nLong);
        m_p += nLong;
        Nombre(n);
    }

    // One UTF-16 unit as \uN (N signed 16-bit, as the format wants), then the '?' fallback that
    // readers without Unicode show instead. The fallback is written as the escape \'3f: some
    // readers take a bare '?' and the letters after it as one word and skip them all.
    void Unicode(char16_t nUnite)
    {
        Mot("\\u");
        Nombre(static_cast<qint16>(nUnite));
        Mot("\\'3f");
    }

    // Text in 7-bit RTF: the three special characters escaped, line breaks and tabs as control
    // words, other control characters dropped, everything beyond ASCII as \uN?.
    void Texte(QStringView sTexte)
    {
        Prevoit(sTexte.size() * nMaxParUnite + 16);
        const char16_t *p = sTexte.utf16();
        const char16_t *const pFin = p + sTexte.size();
        while (p < pFin) {
            const char16_t c = *p++;
            if (c < 0x80) {
                switch (SortesAscii[c]) {
                case cTel: Car(char(c)); break;
                case cEchappe:
                    Car('\\');
                    Car(char(c));
                    break;
                case cOmis: break;
                case cLigne:
                    // A CR LF pair is one break.
                    if (c == u'\r' && p < pFin && *p == u'\n')
                        ++p;
                    Mot("\\line ");
                    break;
                case cTab: Mot("\\tab "); break;
                }
            } else if (c < 0xA0) {
                continue;
            } else if (c == 0x2028 || c == 0x2029) {
                Mot("\\line ");
            } else if (QChar::isHighSurrogate(c)) {
                // A character beyond U+FFFF goes out as its two surrogates; a lone half is dropped.
                if (p < pFin && QChar::isLowSurrogate(*p)) {
                    Unicode(c);
                    Unicode(*p++);
                }
            } else if (!QChar::isLowSurrogate(c)) {
                Unicode(c);
            }
        }
    }

    QByteArray Fin()
    {
        m_ba.resize(m_p - m_ba.constData());
        if (m_ba.capacity() - m_ba.size() > m_ba.size() / 4)
            m_ba.squeeze();
        return std::move(m_ba);
    }

private:
    QByteArray m_ba;
    char *m_p = nullptr;
};

// The character look in force: size in half points, bold, underline. Paragraphs do not reset
// it, so a control word is written only where the look changes.
struct TAspectRTF
{
    int nDemiPoints = 16;
    bool lGras = false;
    bool lSouligne = false;
};

void Aspect(TEcrivainRTF &e, TAspectRTF &Courant, const TSegmentRTF &Segment)
{
    const int nDemiPoints = std::max(1, static_cast<int>(std::lround(Segment.rTaille * 2.0)));
    if (nDemiPoints != Courant.nDemiPoints) {
        e.MotNombre("\\fs", nDemiPoints);
        Courant.nDemiPoints = nDemiPoints;
    }
    if (Segment.lGras != Courant.lGras) {
        if (Segment.lGras)
            e.Mot("\\b");
        else
            e.Mot("\\b0");
        Courant.lGras = Segment.lGras;
    }
    if (Segment.lSouligne != Courant.lSouligne) {
        if (Segment.lSouligne)
            e.Mot("\\ul");
        else
            e.Mot("\\ulnone");
        Courant.lSouligne = Segment.lSouligne;
    }
}

void AjouteParagraphe(TEcrivainRTF &e, TAspectRTF &Courant, const TParagrapheRTF &Paragraphe)
{
    e.Prevoit(160);
    e.Mot("\\pard");
    if (Paragraphe.lPuce)
        e.Mot("{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}");
    switch (Paragraphe.nAlignement) {
    case TAlignementRTF::Gauche: break;
    case TAlignementRTF::Centre: e.Mot("\\qc"); break;
    case TAlignementRTF::Droite: e.Mot("\\qr"); break;
    case TAlignementRTF::Justifie: e.Mot("\\qj"); break;
    }
    if (Paragraphe.nRetraitPremiereLigne != 0)
        e.MotNombre("\\fi", Paragraphe.nRetraitPremiereLigne);
    if (Paragraphe.nRetraitGauche != 0)
        e.MotNombre("\\li", Paragraphe.nRetraitGauche);
    const QList<TSegmentRTF> &Segments = Paragraphe.lstSegments;
    const auto itTexte =
        std::find_if(Segments.begin(), Segments.end(), [](const TSegmentRTF &s) { return !s.sTexte.isEmpty(); });
    // The first run's look goes with the paragraph's words; an empty line still takes the
    // height of its look.
    if (itTexte != Segments.end())
        Aspect(e, Courant, *itTexte);
    else if (!Segments.isEmpty())
        Aspect(e, Courant, Segments.first());
    e.Car(' ');
    for (const TSegmentRTF &Segment : Segments) {
        if (Segment.sTexte.isEmpty())
            continue;
        const TAspectRTF Avant = Courant;
        e.Prevoit(32);
        Aspect(e, Courant, Segment);
        if (Avant.nDemiPoints != Courant.nDemiPoints || Avant.lGras != Courant.lGras
            || Avant.lSouligne != Courant.lSouligne)
            e.Car(' ');
        e.Texte(Segment.sTexte);
    }
    e.Prevoit(8);
    e.Mot("\\par\n");
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
    // Mostly ASCII text plus a few control words a paragraph: one array, rarely grown.
    qsizetype nPrevu = 512;
    for (const TParagrapheRTF &Paragraphe : lstParagraphes) {
        nPrevu += 24;
        for (const TSegmentRTF &Segment : Paragraphe.lstSegments)
            nPrevu += Segment.sTexte.size() + 8;
    }
    TEcrivainRTF e(nPrevu + nPrevu / 8);
    e.Prevoit(256);
    e.Mot("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl{\\f0\\fswiss\\fcharset0 ");
    const QString sNom = sPolice.trimmed().isEmpty() ? QStringLiteral("Arial") : sPolice.trimmed();
    // A name holding ';' would end the entry early.
    e.Texte(QString(sNom).remove(u';'));
    e.Prevoit(128);
    e.Mot(";}{\\f1\\fnil\\fcharset2 Symbol;}}\n");
    e.Mot("\\viewkind4\\f0\\fs16\n");
    TAspectRTF Courant;
    for (const TParagrapheRTF &Paragraphe : lstParagraphes)
        AjouteParagraphe(e, Courant, Paragraphe);
    e.Prevoit(4);
    e.Mot("}\n");
    return e.Fin();
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

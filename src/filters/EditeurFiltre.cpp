#include "filters/EditeurFiltre.h"

#include "filters/Colorimetrie.h"
#include "filters/Filtres.h"
#include "imaging/ChargeImage.h"
#include "imaging/JpegCodec.h"
#include "metadata/CacheMeta.h"
#include "metadata/DonneesMeta.h"
#include "platform/AtomicFile.h"
#include "platform/FrenchFormats.h"
#include "storage/BigIniFiles.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
constexpr int nBande = 4;
constexpr int nCoteMin = 17; // a zone edge follows the pointer only above 16 pixels
constexpr int nCoteMotif = 120;

QString Nette(const QString &c)
{
    return c.trimmed();
}

bool Rempli(const QString &c)
{
    return !c.trimmed().isEmpty();
}

int Op(int n)
{
    return std::clamp(n, 0, 6);
}

QDate DateOuAujourdhui(const QDate &d)
{
    return d.isValid() ? d : QDate::currentDate();
}

// Memo lines joined by QChar(1) as the record keeps them: blank lines out, the others trimmed.
QString ListeDepuisMemo(const QString &cMemo)
{
    QStringList Items;
    for (const QString &c : cMemo.split(QLatin1Char('\n')))
        if (Rempli(c))
            Items << c.trimmed();
    return Items.join(cSepIPTC);
}

QString MemoDepuisListe(const QString &cListe)
{
    QStringList Items;
    for (const QString &c : cListe.split(cSepIPTC))
        if (Rempli(c))
            Items << c.trimmed();
    return Items.join(QLatin1Char('\n'));
}

// The channel c of the colour conversion, for x the hue shifted by a third.
double Canal(double m1, double m2, double x)
{
    if (x < 0)
        x += 1;
    else if (x > 1)
        x -= 1;
    if (6 * x < 1)
        return m1 + (m2 - m1) * 6 * x;
    if (2 * x < 1)
        return m2;
    if (3 * x < 2)
        return m1 + (m2 - m1) * (2.0 / 3 - x) * 6;
    return m1;
}

int Octet(double v)
{
    return std::clamp(ArrondiAuPair(v * 255), 0, 255);
}

bool NomSur(const QString &cNom)
{
    return !cNom.isEmpty() && !cNom.contains(QLatin1Char('/')) && cNom != QLatin1String(".")
           && cNom != QLatin1String("..");
}

QString AvecBarre(const QString &c)
{
    return c.endsWith(QLatin1Char('/')) ? c : c + QLatin1Char('/');
}
}

int TZoneMotif::Touche(const QPoint &pt) const
{
    if (!lDefinie)
        return 0;
    auto Rang = [](int v, int a, int b) {
        if (v >= a - nBande && v < a + nBande)
            return 1;
        if (v >= a + nBande && v < b - nBande)
            return 2;
        if (v >= b - nBande && v < b + nBande)
            return 3;
        return 0;
    };
    const int nLigne = Rang(pt.y(), nHaut, nBas);
    const int nColonne = Rang(pt.x(), nGauche, nDroite);
    if (nLigne == 0 || nColonne == 0)
        return 0;
    return 3 * (nLigne - 1) + nColonne;
}

void TZoneMotif::Presse(const QPoint &pt)
{
    lGlisse = true;
    ptDernier = pt;
    nCode = Touche(pt);
    if (nCode == 0)
        lDefinie = false;
}

std::optional<QPoint> TZoneMotif::Deplace(const QPoint &pt)
{
    if (!lGlisse) {
        nCode = Touche(pt);
        return std::nullopt;
    }
    const int x = pt.x(), y = pt.y();
    if (!lDefinie) {
        nGauche = x;
        nHaut = y;
        nDroite = x + nCoteMin - 1;
        nBas = y + nCoteMin - 1;
        lDefinie = true;
        nCode = 9;
        ptDernier = QPoint(nDroite, nBas);
        return ptDernier;
    }
    const bool lGauche = nCode == 1 || nCode == 4 || nCode == 7;
    const bool lDroite = nCode == 3 || nCode == 6 || nCode == 9;
    const bool lHaut = nCode == 1 || nCode == 2 || nCode == 3;
    const bool lBas = nCode == 7 || nCode == 8 || nCode == 9;
    if (lGauche && nDroite - x + 1 >= nCoteMin)
        nGauche = x;
    if (lDroite && x - nGauche + 1 >= nCoteMin)
        nDroite = x;
    if (lHaut && nBas - y + 1 >= nCoteMin)
        nHaut = y;
    if (lBas && y - nHaut + 1 >= nCoteMin)
        nBas = y;
    if (nCode == 5) {
        const QPoint d = pt - ptDernier;
        nGauche += d.x();
        nDroite += d.x();
        nHaut += d.y();
        nBas += d.y();
        ptDernier = pt;
    }
    return std::nullopt;
}

void TZoneMotif::Relache(const QSize &Image)
{
    lGlisse = false;
    Borne(Image);
}

void TZoneMotif::Borne(const QSize &Image)
{
    if (!lDefinie)
        return;
    nGauche = std::max(nGauche, 0);
    nHaut = std::max(nHaut, 0);
    nDroite = std::min(nDroite, Image.width() - 1);
    nBas = std::min(nBas, Image.height() - 1);
    // Wholly outside the picture, nothing of it is left to select.
    if (nDroite < nGauche || nBas < nHaut)
        lDefinie = false;
}

int SommeCanaux(bool lT, bool lS, bool lL)
{
    return (lT ? 4 : 0) | (lS ? 2 : 0) | (lL ? 1 : 0);
}

TEtatEditeur EtatDepuisEnr(const TEnrFiltres &r)
{
    TEtatEditeur e;
    e.nPageFiltres = std::clamp(r.nPageFiltres, 0, 4);
    e.nPageIPTC = std::clamp(r.nPageIPTC, 0, 3);
    e.nImages = std::clamp(r.nImages, 0, 3);
    e.lJPEG = r.lJPEG;
    e.lRAW = r.lRAW;
    e.lPNG = r.lPNG;
    e.lModeles = r.lModeles;
    e.cModeles = FiltreModeles(r.cModeles);
    e.lTailleInf = r.lTailleInf;
    e.nTailleInf = std::max<qint64>(r.nTailleInf, 0);
    e.lTailleSup = r.lTailleSup;
    e.nTailleSup = std::max<qint64>(r.nTailleSup, 0);
    e.lDateAnt = r.lDateAnt;
    e.dDateAnt = DateOuAujourdhui(r.dDateAnt);
    e.lDatePst = r.lDatePst;
    e.dDatePst = DateOuAujourdhui(r.dDatePst);
    e.lDescription = r.lDescription;
    e.cDescription = r.cDescription;

    e.cFAppareil = r.cFAppareil;
    e.nOpFocale = Op(r.nOpFocale);
    e.nOpVitesse = Op(r.nOpVitesse);
    e.nOpDiaphragme = Op(r.nOpDiaphragme);
    e.nOpDatePDV = Op(r.nOpDatePDV);
    e.nOpISO = Op(r.nOpISO);
    e.cFFocale = FiltreSaisie(r.cFFocale, TSaisie::Decimal);
    e.cFVitesse = FiltreSaisie(r.cFVitesse, TSaisie::Vitesse);
    e.cFDiaphragme = FiltreSaisie(r.cFDiaphragme, TSaisie::Decimal);
    e.cFISO = FiltreSaisie(r.cFISO, TSaisie::Entier);
    e.dFDatePDV = DateOuAujourdhui(r.dFDatePDV);
    e.cFCommentaire = r.cFCommentaire;

    e.cFTitre = r.cFTitre;
    e.cFTexte = r.cFTexte;
    e.cFTexte.remove(QLatin1Char('\r')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    e.cFCopyright = r.cFCopyright;
    e.cFAuteur = r.cFAuteur;
    e.cMemoMotsCles = MemoDepuisListe(r.cFMotsCles);
    e.cFCategorie = r.cFCategorie;
    e.cMemoCatSuppl = MemoDepuisListe(r.cFCatSuppl);
    e.cFCredits = r.cFCredits;
    e.cFSource = r.cFSource;
    e.cFOriNom = r.cFOriNom;
    e.cFOriVille = r.cFOriVille;
    e.cFOriEtat = r.cFOriEtat;
    e.cFOriPays = r.cFOriPays;
    e.nOpOriDate = Op(r.nOpOriDate);
    e.dOriDate = DateOuAujourdhui(QDate::fromString(r.cFOriDate.trimmed(), QStringLiteral("dd/MM/yyyy")));

    e.nTeinte = std::clamp<int>(r.nTeinte, 0, 239);
    e.nSaturation = std::clamp<int>(r.nSaturation, 0, 239);
    e.nLuminosite = std::clamp<int>(r.nLuminosite, 0, 239);
    e.lColT = r.nMethColorimetrie & 4;
    e.lColS = r.nMethColorimetrie & 2;
    e.lColL = r.nMethColorimetrie & 1;
    e.nTolColorimetrie = std::clamp<int>(r.nTolColorimetrie, 8, 128);
    e.nSeuilColorimetrie = std::clamp<int>(r.nSeuilColorimetrie, 10, 100);

    e.lMotif = r.lMotif;
    e.cMotif = r.cMotif.trimmed();
    e.lMotifSym = r.lMotifSym;
    e.nMethZoneMotif = std::clamp<int>(r.nMethZoneMotif, 0, 5);
    e.lPixT = r.nMethPixMotif & 4;
    e.lPixS = r.nMethPixMotif & 2;
    e.lPixL = r.nMethPixMotif & 1;
    e.nTolMotif = std::clamp<int>(r.nTolMotif, 8, 128);
    e.nSeuilMotif = std::clamp<int>(r.nSeuilMotif, 10, 100);
    e.Zone.lDefinie = r.lMotifZone;
    e.Zone.nGauche = r.rZoneMotif.left();
    e.Zone.nHaut = r.rZoneMotif.top();
    e.Zone.nDroite = r.rZoneMotif.right();
    e.Zone.nBas = r.rZoneMotif.bottom();
    return e;
}

TEnrFiltres EnrDepuisEtat(const TEtatEditeur &e, bool lDescriptions)
{
    TEnrFiltres r;
    r.nPageFiltres = e.nPageFiltres;
    r.nPageIPTC = e.nPageIPTC;
    r.nImages = e.nImages;
    r.lJPEG = e.lJPEG;
    r.lRAW = e.lRAW;
    r.lPNG = e.lPNG;
    r.lModeles = e.lModeles;
    r.cModeles = Nette(e.cModeles);
    r.lTailleInf = e.lTailleInf;
    r.nTailleInf = e.nTailleInf;
    r.lTailleSup = e.lTailleSup;
    r.nTailleSup = e.nTailleSup;
    r.lDateAnt = e.lDateAnt;
    r.dDateAnt = e.dDateAnt;
    r.lDatePst = e.lDatePst;
    r.dDatePst = e.dDatePst;
    if (lDescriptions) {
        r.lDescription = e.lDescription;
        r.cDescription = Nette(e.cDescription);
    }

    r.cFAppareil = Nette(e.cFAppareil);
    r.nOpFocale = e.nOpFocale;
    r.cFFocale = Nette(e.cFFocale);
    r.nOpVitesse = e.nOpVitesse;
    r.cFVitesse = Nette(e.cFVitesse);
    r.nOpDiaphragme = e.nOpDiaphragme;
    r.cFDiaphragme = Nette(e.cFDiaphragme);
    r.nOpDatePDV = e.nOpDatePDV;
    r.dFDatePDV = e.dFDatePDV;
    r.nOpISO = e.nOpISO;
    r.cFISO = Nette(e.cFISO);
    r.cFCommentaire = Nette(e.cFCommentaire);

    r.cFTitre = Nette(e.cFTitre);
    r.cFTexte = Nette(e.cFTexte);
    r.cFCopyright = Nette(e.cFCopyright);
    r.cFAuteur = Nette(e.cFAuteur);
    r.cFMotsCles = ListeDepuisMemo(e.cMemoMotsCles);
    r.cFCategorie = Nette(e.cFCategorie);
    r.cFCatSuppl = ListeDepuisMemo(e.cMemoCatSuppl);
    r.cFCredits = Nette(e.cFCredits);
    r.cFSource = Nette(e.cFSource);
    r.cFOriNom = Nette(e.cFOriNom);
    r.cFOriVille = Nette(e.cFOriVille);
    r.cFOriEtat = Nette(e.cFOriEtat);
    r.cFOriPays = Nette(e.cFOriPays);
    r.nOpOriDate = e.nOpOriDate;
    r.cFOriDate = FrenchFormats::Date(e.dOriDate);

    r.nTeinte = static_cast<quint8>(e.nTeinte);
    r.nSaturation = static_cast<quint8>(e.nSaturation);
    r.nLuminosite = static_cast<quint8>(e.nLuminosite);
    r.nMethColorimetrie = static_cast<quint8>(SommeCanaux(e.lColT, e.lColS, e.lColL));
    r.nTolColorimetrie = static_cast<quint8>(e.nTolColorimetrie);
    r.nSeuilColorimetrie = static_cast<quint8>(e.nSeuilColorimetrie);

    r.cMotif = e.cMotif;
    r.lMotifSym = e.lMotifSym;
    r.nMethZoneMotif = static_cast<quint8>(e.nMethZoneMotif);
    r.nMethPixMotif = static_cast<quint8>(SommeCanaux(e.lPixT, e.lPixS, e.lPixL));
    r.nTolMotif = static_cast<quint8>(e.nTolMotif);
    r.nSeuilMotif = static_cast<quint8>(e.nSeuilMotif);
    r.lMotifZone = e.Zone.lDefinie;
    r.rZoneMotif = e.Zone.Rect();
    r.nResColorimetrie = 0;
    r.nResMotif = 0;
    CalculeIndicateurs(r, e.lMotif);
    return r;
}

TEtoiles Etoiles(const TEtatEditeur &e, bool lRecherche, bool lDescriptions)
{
    TEtoiles t;
    t.lGeneral = (!lRecherche && e.nImages != 0) || !(e.lJPEG && e.lRAW && e.lPNG) || (e.lModeles && Rempli(e.cModeles))
                 || e.lTailleInf || e.lTailleSup || e.lDateAnt || e.lDatePst
                 || (lDescriptions && e.lDescription && Rempli(e.cDescription));
    t.lEXIF = Rempli(e.cFAppareil) || e.nOpFocale != 0 || e.nOpVitesse != 0 || e.nOpDiaphragme != 0 || e.nOpDatePDV != 0
              || e.nOpISO != 0 || Rempli(e.cFCommentaire);
    t.lLegende = Rempli(e.cFTitre) || Rempli(e.cFTexte) || Rempli(e.cFCopyright) || Rempli(e.cFAuteur);
    t.lMotsCles = Rempli(e.cMemoMotsCles);
    t.lCategorie = Rempli(e.cFCategorie) || Rempli(e.cMemoCatSuppl);
    t.lCreditsOrigine = Rempli(e.cFCredits) || Rempli(e.cFSource) || Rempli(e.cFOriNom) || Rempli(e.cFOriVille)
                        || Rempli(e.cFOriEtat) || Rempli(e.cFOriPays) || e.nOpOriDate != 0;
    t.lIPTC = t.lLegende || t.lMotsCles || t.lCategorie || t.lCreditsOrigine;
    t.lColorimetrie = e.lColT || e.lColS || e.lColL;
    t.lMotif = e.lMotif && !e.cMotif.isEmpty() && (e.lPixT || e.lPixS || e.lPixL);
    return t;
}

bool OKPermis(const TEtatEditeur &e, bool lDescriptions)
{
    return (e.lJPEG || e.lRAW || e.lPNG) && (!e.lModeles || Rempli(e.cModeles))
           && (!lDescriptions || !e.lDescription || Rempli(e.cDescription));
}

QRgb VersRVB(int h, int s, int l)
{
    const double S = s / 240.0, L = l / 240.0;
    if (S == 0) {
        const int v = Octet(L);
        return qRgb(v, v, v);
    }
    const double m2 = L > 0.5 ? L + S - L * S : L * (1 + S);
    const double m1 = 2 * L - m2;
    const double f = h / 239.0;
    return qRgb(Octet(Canal(m1, m2, f + 1.0 / 3)), Octet(Canal(m1, m2, f)), Octet(Canal(m1, m2, f - 1.0 / 3)));
}

QImage DessineNuancier(const QSize &Taille)
{
    const int W = Taille.width(), H = Taille.height();
    QImage Image(Taille, QImage::Format_RGB32);
    Image.fill(Qt::black);
    if (W < 2 || H < 2)
        return Image;
    for (int n = 239; n >= 0; --n) {
        const int y = H - ArrondiAuPair(n * (H - 1) / 239.0) - 1;
        auto *Ligne = reinterpret_cast<QRgb *>(Image.scanLine(y));
        for (int i = 0; i <= 239; ++i)
            Ligne[ArrondiAuPair(i * (W - 1) / 239.0)] = VersRVB(i, n, 120);
    }
    return Image;
}

QImage DessineBarre(const QSize &Taille)
{
    const int W = Taille.width(), H = Taille.height();
    QImage Image(Taille, QImage::Format_RGB32);
    Image.fill(Qt::black);
    if (H < 2)
        return Image;
    for (int a = 0; a < H; ++a) {
        const QRgb c = VersRVB(0, 0, ArrondiAuPair(a * 239.0 / (H - 1)));
        auto *Ligne = reinterpret_cast<QRgb *>(Image.scanLine(H - a - 1));
        std::fill(Ligne, Ligne + W, c);
    }
    return Image;
}

QRect MarqueNuancier(int nTeinte, int nSaturation, const QSize &Taille)
{
    const int W = Taille.width(), H = Taille.height();
    const int x = ArrondiAuPair(nTeinte * (W - 1) / 239.0);
    const int y = ArrondiAuPair(nSaturation * (H - 1) / 239.0);
    return QRect(QPoint(x - 9, H - y - 10), QSize(18, 18));
}

QRect MarqueBarre(int nLuminosite, const QSize &Taille)
{
    const int H = Taille.height();
    const int y = ArrondiAuPair(nLuminosite * (H - 1) / 239.0);
    return QRect(QPoint(6, H - y - 10), QSize(18, 18));
}

std::pair<int, int> ClicNuancier(const QPoint &pt, const QSize &Taille)
{
    const int W = std::max(Taille.width(), 2), H = std::max(Taille.height(), 2);
    const int T = ArrondiAuPair(pt.x() * 239.0 / (W - 1));
    const int S = ArrondiAuPair((H - pt.y() - 1) * 239.0 / (H - 1));
    return {std::clamp(T, 0, 239), std::clamp(S, 0, 239)};
}

int ClicBarre(int y, const QSize &Taille)
{
    const int H = std::max(Taille.height(), 2);
    return std::clamp(ArrondiAuPair((H - y - 1) * 239.0 / (H - 1)), 0, 239);
}

void RAZGeneral(TEtatEditeur &e)
{
    const TEtatEditeur d;
    e.nImages = 0;
    e.lJPEG = e.lRAW = e.lPNG = true;
    e.lModeles = false;
    e.cModeles.clear();
    e.lTailleInf = e.lTailleSup = false;
    e.nTailleInf = e.nTailleSup = 0;
    e.lDateAnt = e.lDatePst = false;
    e.dDateAnt = e.dDatePst = d.dDateAnt;
    e.lDescription = false;
    e.cDescription.clear();
}

void RAZEXIF(TEtatEditeur &e)
{
    e.cFAppareil.clear();
    e.nOpFocale = e.nOpVitesse = e.nOpDiaphragme = e.nOpDatePDV = e.nOpISO = 0;
    e.cFFocale.clear();
    e.cFVitesse.clear();
    e.cFDiaphragme.clear();
    e.cFISO.clear();
    e.dFDatePDV = QDate::currentDate();
    e.cFCommentaire.clear();
}

void RAZIPTC(TEtatEditeur &e)
{
    for (QString *c :
         {&e.cFTitre, &e.cFTexte, &e.cFCopyright, &e.cFAuteur, &e.cMemoMotsCles, &e.cFCategorie, &e.cMemoCatSuppl,
          &e.cFCredits, &e.cFSource, &e.cFOriNom, &e.cFOriVille, &e.cFOriEtat, &e.cFOriPays})
        c->clear();
    e.nOpOriDate = 0;
    e.dOriDate = QDate::currentDate();
}

void RAZColorimetrie(TEtatEditeur &e)
{
    e.nTeinte = e.nSaturation = e.nLuminosite = 120;
    e.lColT = e.lColS = e.lColL = false;
    e.nTolColorimetrie = 32;
    e.nSeuilColorimetrie = 75;
}

void RAZMotif(TEtatEditeur &e)
{
    e.lMotif = false;
    e.cMotif.clear();
    e.Zone = TZoneMotif();
    e.lMotifSym = false;
    e.nMethZoneMotif = 0;
    e.lPixT = true;
    e.lPixS = e.lPixL = false;
    e.nTolMotif = 32;
    e.nSeuilMotif = 75;
}

QString FiltreSaisie(const QString &cTexte, TSaisie nGenre)
{
    QString c;
    for (QChar ch : cTexte) {
        if (ch.isDigit() && ch.unicode() < 128)
            c += ch;
        else if (nGenre == TSaisie::Decimal && (ch == QLatin1Char(',') || ch == QLatin1Char('.')))
            c += QLatin1Char(',');
        else if (nGenre == TSaisie::Vitesse && ch == QLatin1Char('/'))
            c += ch;
    }
    return c;
}

QString FiltreModeles(const QString &cTexte)
{
    QString c = cTexte;
    return c.remove(QLatin1Char('.'));
}

QStringList ListeMotifs(const QString &cDossierMotifs)
{
    QStringList Noms;
    if (cDossierMotifs.isEmpty())
        return Noms;
    const QDir Dossier(cDossierMotifs);
    for (const QFileInfo &f : Dossier.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QString cExt = f.suffix().toUpper();
        if (cExt == QLatin1String("JPG") || cExt == QLatin1String("JPEG"))
            Noms << f.fileName();
    }
    std::sort(Noms.begin(), Noms.end(),
              [](const QString &a, const QString &b) { return FrenchFormats::Compare(a, b) < 0; });
    return Noms;
}

std::optional<QImage> ChargeMotif(const QString &cDossierMotifs, const QString &cNom)
{
    if (!NomSur(cNom) || cDossierMotifs.isEmpty())
        return std::nullopt;
    try {
        QImage Image = ChargeImage(AvecBarre(cDossierMotifs) + cNom, false, 0, false).Image;
        if (Image.isNull())
            return std::nullopt;
        return Image.convertToFormat(QImage::Format_RGB32);
    } catch (const EImageIllisible &) {
    } catch (const std::bad_alloc &) {
    }
    return std::nullopt;
}

QImage MotifVide(const QColor &Fond)
{
    QImage Image(nCoteMotif, nCoteMotif, QImage::Format_RGB32);
    Image.fill(Fond);
    return Image;
}

QImage ImagePriseCommeMotif(const QImage &Vignette)
{
    if (Vignette.isNull())
        return {};
    const int W = Vignette.width(), H = Vignette.height();
    if (std::max(W, H) == nCoteMotif)
        return Vignette.convertToFormat(QImage::Format_RGB32);
    const double dRapport = double(W) / H;
    const QSize Taille = W >= H ? QSize(nCoteMotif, std::max(1, ArrondiAuPair(nCoteMotif / dRapport)))
                                : QSize(std::max(1, ArrondiAuPair(nCoteMotif * dRapport)), nCoteMotif);
    return Vignette.scaled(Taille, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

std::optional<QString> EcritMotif(const QImage &Image, const QString &cDossierMotifs, const QString &cFichierImage,
                                  QString *cErreur)
{
    const QString cDossier = AvecBarre(cDossierMotifs);
    const QString cBase = QFileInfo(cFichierImage).completeBaseName();
    const QString cExt = QStringLiteral(".jpg");
    const QByteArray Donnees = JpegCodec::EncodeMemoire(Image, 100);
    if (Donnees.isEmpty() || cBase.isEmpty()) {
        if (cErreur)
            *cErreur = QStringLiteral("image impossible à coder");
        return std::nullopt;
    }
    if (!QDir().mkpath(cDossier)) {
        if (cErreur)
            *cErreur = QStringLiteral("dossier impossible à créer");
        return std::nullopt;
    }
    // A file of that name holding another picture may be the pattern of saved filters: it is
    // kept, and the same picture taken again is the same file.
    QString cNom = cBase + cExt;
    for (int n = 2;; ++n) {
        QFile f(cDossier + cNom);
        if (!QFileInfo::exists(cDossier + cNom) && !QFileInfo(cDossier + cNom).isSymLink())
            break;
        if (f.size() == Donnees.size() && f.open(QIODevice::ReadOnly) && f.readAll() == Donnees)
            return cNom;
        cNom = QStringLiteral("%1(%2)%3").arg(cBase).arg(n).arg(cExt);
    }
    QString cRaison;
    if (!EcritFichierAtomique(cDossier + cNom, Donnees, &cRaison)) {
        if (cErreur)
            *cErreur = cRaison;
        return std::nullopt;
    }
    return cNom;
}

QStringList NomsFiltresSauves(const TBigIniFile &ini)
{
    QStringList Noms;
    ini.ReadSection(cSectionSauvegardeFiltres, Noms);
    std::sort(Noms.begin(), Noms.end(),
              [](const QString &a, const QString &b) { return FrenchFormats::Compare(a, b) < 0; });
    return Noms;
}

bool RestaureFiltre(const TBigIniFile &ini, const QString &cNom, TEtatEditeur &e)
{
    QStringList Items = DecoupeRecord(ini.ReadString(cSectionSauvegardeFiltres, cNom, QString()));
    if (Items.size() != 59)
        return false;
    // A hand-edited value is brought within what the codec reads: numbers that do not read
    // take their default, numbers out of range their nearest bound, dates that do not exist
    // today.
    const TEnrFiltres Defaut;
    const QStringList Defauts = DecoupeRecord(FiltreSauve(Defaut));
    auto Nombre = [&](int n, qint64 nMin, qint64 nMax) {
        bool ok = false;
        const qint64 v = Items[n - 1].trimmed().toLongLong(&ok);
        Items[n - 1] = QString::number(ok ? std::clamp(v, nMin, nMax) : Defauts[n - 1].toLongLong());
    };
    const qint64 n32 = std::numeric_limits<qint32>::max();
    Nombre(1, 0, 3);
    Nombre(2, 0, 7);
    for (int n : {6, 8})
        Nombre(n, 0, n32);
    for (int n : {16, 18, 20, 22, 24, 37})
        Nombre(n, 0, 6);
    for (int n : {42, 43, 44, 45, 46, 47, 50, 52, 53, 54})
        Nombre(n, 0, 255);
    for (int n : {56, 57, 58, 59})
        Nombre(n, -n32 - 1, n32);
    for (int n : {3, 5, 7, 9, 11, 13, 48, 51, 55})
        Items[n - 1] = Items[n - 1].trimmed() == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("0");
    for (int n : {10, 12, 23})
        if (!QDate::fromString(Items[n - 1].trimmed(), QStringLiteral("dd/MM/yyyy")).isValid())
            Items[n - 1] = FrenchFormats::Date(QDate::currentDate());
    TEnrFiltres r;
    if (!LitFiltreSauve(FormeRecord(Items), r))
        return false;
    const int nPage = e.nPageFiltres, nPageIPTC = e.nPageIPTC;
    e = EtatDepuisEnr(r);
    e.nPageFiltres = nPage;
    e.nPageIPTC = nPageIPTC;
    e.lMotif = Items[47] == QLatin1String("1");
    return true;
}

bool SauveFiltre(TBigIniFile &ini, const QString &cNom, const TEtatEditeur &e, bool lDescriptions)
{
    TEnrFiltres r = EnrDepuisEtat(e, lDescriptions);
    r.lMotif = e.lMotif;
    ini.WriteString(cSectionSauvegardeFiltres, cNom.trimmed(), FiltreSauve(r));
    return ini.UpdateFile();
}

bool SupprimeFiltre(TBigIniFile &ini, const QString &cNom)
{
    ini.DeleteKey(cSectionSauvegardeFiltres, cNom);
    return ini.UpdateFile();
}

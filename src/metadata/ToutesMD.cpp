#include "metadata/ToutesMD.h"

#include "classification/IconesArbres.h"
#include "imaging/FileKinds.h"
#include "metadata/TextesMeta.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace
{
QString SurUneLigne(QString c)
{
    c.replace(QLatin1Char('\r'), QLatin1Char(' '));
    c.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return c;
}

QString Borne(QString c)
{
    if (c.size() > nMaxValeurToutesMD)
        c = c.left(nMaxValeurToutesMD) + QStringLiteral("…");
    return c;
}

QList<TEnrToutesMD> Liste(const QList<Imaging::TEntreeMeta> &Entrees, bool lJoindre)
{
    QList<TEnrToutesMD> Resultat;
    for (const Imaging::TEntreeMeta &e : Entrees) {
        if (e.cNom.trimmed().isEmpty() || e.cValeur.trimmed().isEmpty())
            continue;
        const auto It =
            std::find_if(Resultat.begin(), Resultat.end(), [&](const TEnrToutesMD &r) { return r.nId == e.nId; });
        if (It == Resultat.end()) {
            Resultat.append({e.nId, e.cNom, Borne(SurUneLigne(e.cValeur))});
        } else if (lJoindre && It->cValeur.size() <= nMaxValeurToutesMD) {
            // Once capped a row takes no more: a value of thousands of keywords stays one
            // bounded line.
            It->cValeur = Borne(It->cValeur + QLatin1Char(' ') + SurUneLigne(e.cValeur));
        }
    }
    std::stable_sort(Resultat.begin(), Resultat.end(),
                     [](const TEnrToutesMD &a, const TEnrToutesMD &b) { return a.nId < b.nId; });
    return Resultat;
}

QString EntreGuillemets(const QStringList &Noms)
{
    QStringList l;
    for (const QString &c : Noms)
        l << QLatin1Char('"') + c + QLatin1Char('"');
    return l.join(QLatin1Char(' '));
}

TValeurProprietes Valeur(const QString &cValeur, const QString &cTexte)
{
    return {!cValeur.isEmpty(), cValeur.isEmpty() ? QString() : cTexte};
}

QString Page(const QString &cTitre, bool lRemplie)
{
    return lRemplie ? cTitre + QLatin1Char('*') : cTitre;
}
} // namespace

QList<TEnrToutesMD> ListeToutesEXIF(const QList<Imaging::TEntreeMeta> &Entrees)
{
    // Comment values (user comment, GPS method) come printed with their character set before
    // the text; the grid shows the text the camera or the user wrote.
    static const QRegularExpression Jeu(QStringLiteral("^charset=(Ascii|Jis|Unicode|Undefined) "));
    QList<Imaging::TEntreeMeta> Textes = Entrees;
    for (Imaging::TEntreeMeta &e : Textes)
        e.cValeur.remove(Jeu);
    return Liste(Textes, false);
}

QList<TEnrToutesMD> ListeToutesIPTC(const QList<Imaging::TEntreeMeta> &Entrees)
{
    return Liste(Entrees, true);
}

TToutesMD LitToutesMD(const QString &cFichier)
{
    TToutesMD t;
    if (cFichier.isEmpty() || !QFileInfo(cFichier).isFile())
        return t;
    t.EXIF = ListeToutesEXIF(Imaging::ListeEXIF(cFichier));
    t.IPTC = ListeToutesIPTC(Imaging::ListeIPTC(cFichier));
    return t;
}

QString TexteCopieToutesMD(const QList<TEnrToutesMD> &Liste)
{
    QString c;
    for (const TEnrToutesMD &e : Liste)
        c += QStringLiteral("%1 - %2 : %3\n").arg(e.nId).arg(e.cNom, e.cValeur);
    return c;
}

QString TitrePageToutesMD(const QString &cTitre, const QList<TEnrToutesMD> &Liste)
{
    return Page(cTitre, !Liste.isEmpty());
}

QString BulleLigneToutesMD(const QString &cTitreColonne, const TEnrToutesMD &Enr, const QString &cLegende)
{
    return QStringLiteral("<SG>") + cTitreColonne + QStringLiteral(" :</SG/>\r\n     ") + QString::number(Enr.nId)
           + QStringLiteral("\r\n") + cLegende;
}

int LargeurColonneValeur(int nLargeurFenetre)
{
    return std::max(100, nLargeurFenetre - 228);
}

QSize TailleImageProprietes(QSize Vignette, int nTailleGrille)
{
    if (Vignette.width() <= 0 || Vignette.height() <= 0 || nTailleGrille <= 0)
        return {};
    const int nLong = std::min(140, nTailleGrille);
    const double dRapport =
        double(std::max(Vignette.width(), Vignette.height())) / double(std::min(Vignette.width(), Vignette.height()));
    const int nCourt = std::max(1, int(std::lround(nLong / dRapport)));
    return Vignette.width() >= Vignette.height() ? QSize(nLong, nCourt) : QSize(nCourt, nLong);
}

QList<TNoeudClassement> NoeudsCriteres(const QList<TNoeudClassement> &Noeuds)
{
    QList<TNoeudClassement> l;
    for (const TNoeudClassement &n : Noeuds)
        if (n.nImage == IconesArbres::nDossierFerme || n.nImage == IconesArbres::nDossierOuvert
            || n.nImage >= IconesArbres::nNbIntegrees)
            l.append(n);
    return l;
}

TContenuProprietes ContenuProprietes(const TEnrLV &Enr, int nIndex, int nNombre, const TSourcesProprietes &S)
{
    TContenuProprietes c;
    const QString cChemin = Enr.CheminComplet();
    const QString cCle = CleImage(Enr.nNumCD, Enr.cChemin);
    c.cTitre = QStringLiteral("Propriétés de %1 (%2/%3)").arg(cChemin).arg(nIndex + 1).arg(nNombre);
    c.cTitreToutesMD = QStringLiteral("Méta-données de %1").arg(cChemin);

    c.cEmplacement = Enr.Dossier();
    c.cNom = Enr.NomFichier();
    if (Enr.nNumCD != 0) {
        const QString cId = IdVolume(static_cast<quint32>(Enr.nNumCD));
        c.cCD = QStringLiteral("Sur le CD N° ") + cId;
        const QString cLabel = S.iniSetup ? S.iniSetup->ReadString(cSectionLabelsCD, cId, {}) : QString();
        if (!cLabel.isEmpty())
            c.cCD = QStringLiteral("%1 : \"%2\"").arg(c.cCD, cLabel);
    }
    if (S.fnTexteColonne) {
        c.cResolution = S.fnTexteColonne(Enr, QLatin1Char('R'));
        c.cTaille = S.fnTexteColonne(Enr, QLatin1Char('T'));
        c.cDate = S.fnTexteColonne(Enr, QLatin1Char('D'));
    }
    c.lColorimetrie = Enr.nPctCouleur > 0;
    c.cPctCouleur = QString::number(Enr.nPctCouleur);
    c.lMotif = Enr.nPctMotif > 0;
    c.cPctMotif = QString::number(Enr.nPctMotif);
    // A disc that is not in the drive has no files: its path without a mount point must not
    // be taken for one on this machine.
    const bool lPresent = Enr.nNumCD == 0 || !Enr.cLecteur.isEmpty();
    if (lPresent)
        c.cMemoSonore = CompagnonWAV(cChemin);

    const auto Legende = [&S](const QString &cTitre, const QString &cTexte) {
        return S.fnTexteLegende ? S.fnTexteLegende(cTitre, cTexte, 100) : QString();
    };
    if (S.fnClassement)
        c.Criteres = NoeudsCriteres(S.fnClassement(Enr));
    if (S.fnMotsCles)
        c.cMotsCles = S.fnMotsCles(Enr);
    c.lCoupDeCoeur = S.fnCoupDeCoeur && S.fnCoupDeCoeur(Enr);
    if (S.fnLegende)
        c.cLegende = S.fnLegende(Enr);
    c.cBulleLegende = Legende(QStringLiteral("Légende"), c.cLegende);
    c.lDescription = S.lTrtDescription;
    if (c.lDescription && S.fnDescription)
        c.cDescription = S.fnDescription(Enr);
    c.cBulleDescription = Legende(QStringLiteral("Description"), c.cDescription);
    c.nHauteurLegende = c.lDescription ? 41 : 105;
    if (S.fnAlbumsImages)
        c.cAlbImg = EntreGuillemets(S.fnAlbumsImages(cCle));
    if (S.fnAlbumsWEBPerso)
        c.cAlbWHP = EntreGuillemets(S.fnAlbumsWEBPerso(cCle));

    c.lEXIF = Enr.lEXIF;
    c.Appareil = Valeur(Enr.cAppareil, Enr.cAppareil);
    c.Focale = Valeur(Enr.cFocale, Enr.lFocEq ? QStringLiteral("%1 (%2) mm").arg(Enr.cFocale, Enr.cFocaleReelle)
                                              : Enr.cFocale + QStringLiteral(" mm"));
    c.Vitesse = Valeur(Enr.cVitesse, Enr.cVitesse + QStringLiteral(" s"));
    c.Diaphragme = Valeur(Enr.cDiaphragme, QStringLiteral("f ") + Enr.cDiaphragme);
    c.DatePDV = Valeur(Enr.cDatePDV, PrefixeJour(Enr.cDatePDV) + Enr.cDatePDV);
    c.ISO = Valeur(Enr.cISO, Enr.cISO);
    c.Orientation = Valeur(Enr.cOrientation == QLatin1String("1") ? QString() : Enr.cOrientation, Enr.cOrientation);
    c.Commentaire = Valeur(Enr.cCommentaire, Enr.cCommentaire);

    c.lIPTC = Enr.lIPTC;
    TDonneesIPTC Groupes = Enr;
    Groupes.CalculeGroupes();
    c.cPageLegende = Page(QStringLiteral("Légende"), Groupes.lIPTCLegende);
    c.cPageMotsCles = Page(QStringLiteral("Mots-clés"), Groupes.lIPTCMotsCles);
    c.cPageCategorie = Page(QStringLiteral("Catégorie"), Groupes.lIPTCCategorie);
    c.cPageCredits = Page(QStringLiteral("Crédits, Origine"), Groupes.lIPTCCredits || Groupes.lIPTCOrigine);
    c.cLegTitre = Enr.cTitre;
    c.cLegTexte = Enr.cTexte;
    c.cBulleLegTexte = Legende(QStringLiteral("Légende"), Enr.cTexte);
    c.cLegCopyright = Enr.cCopyright;
    c.cLegAuteur = Enr.cAuteur;
    c.cMC = Enr.cMotsClesIPTC.split(cSepIPTC, Qt::SkipEmptyParts).join(QLatin1Char('\n'));
    c.cCatCat = Enr.cCategorie;
    c.cCatSuppl = Enr.cCatSuppl.split(cSepIPTC, Qt::SkipEmptyParts).join(QLatin1Char('\n'));
    c.cCrdCredits = Enr.cCredits;
    c.cCrdSource = Enr.cSource;
    c.cOriNom = Enr.cOriNom;
    c.cOriDate = Enr.cOriDate.isEmpty() ? QString() : PrefixeJour(Enr.cOriDate) + Enr.cOriDate;
    c.cOriVille = Enr.cOriVille;
    c.cOriEtat = Enr.cOriEtat;
    c.cOriPays = Enr.cOriPays;

    if (lPresent)
        c.ToutesMD = S.fnToutesMD ? S.fnToutesMD(cChemin) : LitToutesMD(cChemin);
    c.cPageEXIF = TitrePageToutesMD(QStringLiteral("EXIF"), c.ToutesMD.EXIF);
    c.cPageIPTC = TitrePageToutesMD(QStringLiteral("IPTC"), c.ToutesMD.IPTC);
    return c;
}

#include "metadata/Extraction.h"

#include <QFileInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <map>

namespace
{

// Indents of the formatted page, in twips: group lines, then item lines.
constexpr int nRetraitGroupe = 240;
constexpr int nRetraitLigne = 480;
constexpr double rTailleTitre = 10.0;
constexpr double rTailleTexte = 8.0;

QString SurUneLigne(QString c)
{
    c.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    c.replace(QLatin1Char('\r'), QLatin1Char(' '));
    c.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return c;
}

QString Repetable(const QString &c)
{
    return c.split(cSepIPTC, Qt::SkipEmptyParts).join(QLatin1Char(' '));
}

bool Coche(quint32 nChoix, int i)
{
    return (nChoix >> i) & 1u;
}

TParagrapheRTF Titre(int nNumero, const QString &cNom)
{
    TParagrapheRTF Par;
    Par.lstSegments.append(TSegmentRTF{QStringLiteral("%1) %2 :").arg(nNumero).arg(cNom), rTailleTitre, true, false});
    return Par;
}

TParagrapheRTF LigneGroupe(const QString &cGroupe)
{
    TParagrapheRTF Par;
    Par.nRetraitGauche = nRetraitGroupe;
    Par.lstSegments.append(TSegmentRTF{cGroupe + QStringLiteral(" :"), rTailleTexte, true, false});
    return Par;
}

TParagrapheRTF LigneValeur(const QString &cNom, const QString &cTexte)
{
    TParagrapheRTF Par;
    Par.nRetraitGauche = nRetraitLigne;
    Par.lstSegments.append(TSegmentRTF{cNom + QStringLiteral(" :"), rTailleTexte, false, true});
    Par.lstSegments.append(TSegmentRTF{QLatin1Char(' ') + cTexte, rTailleTexte, false, false});
    return Par;
}

// Starts an image on the formatted page: a blank line before every image but the first.
void DebutImage(TRapportExtraction &r, int nImage, const QString &cNom)
{
    if (!r.Formate.isEmpty())
        r.Formate.append(TParagrapheRTF());
    ++r.nNbImages;
    r.nLigneFormate[nImage] = static_cast<int>(r.Formate.size());
    r.Formate.append(Titre(r.nNbImages, cNom));
}

} // namespace

const QList<TChoixDon> &ChoixDonnees()
{
    using G = TGroupeDon;
    static const QList<TChoixDon> Choix = {
        {QStringLiteral("Emplacement"), G::Generales, {}, {}},
        {QStringLiteral("Nom"), G::Generales, {}, {}},
        {QStringLiteral("Mots-clés"), G::Generales, {}, {}},
        {QStringLiteral("Légende"), G::Generales, {}, {}},
        {QStringLiteral("Description"), G::Generales, {}, {}},
        {QStringLiteral("Appareil"), G::EXIF, {}, {}},
        {QStringLiteral("Focale"), G::EXIF, {}, QStringLiteral("mm")},
        {QStringLiteral("Vitesse"), G::EXIF, {}, QStringLiteral("s")},
        {QStringLiteral("Diaphragme"), G::EXIF, QStringLiteral("f/"), {}},
        {QStringLiteral("Date PDV"), G::EXIF, {}, {}},
        {QStringLiteral("ISO"), G::EXIF, {}, {}},
        {QStringLiteral("Orientation"), G::EXIF, {}, {}},
        {QStringLiteral("Commentaire"), G::EXIF, {}, {}},
        {QStringLiteral("Légende, titre"), G::IPTC, {}, {}},
        {QStringLiteral("Légende, texte"), G::IPTC, {}, {}},
        {QStringLiteral("Légende, copyright"), G::IPTC, {}, {}},
        {QStringLiteral("Legende, auteur"), G::IPTC, {}, {}},
        {QStringLiteral("Mots-clés"), G::IPTC, {}, {}},
        {QStringLiteral("Catégorie"), G::IPTC, {}, {}},
        {QStringLiteral("Catégorie suppl."), G::IPTC, {}, {}},
        {QStringLiteral("Crédits"), G::IPTC, {}, {}},
        {QStringLiteral("Crédits, source"), G::IPTC, {}, {}},
        {QStringLiteral("Origine, nom"), G::IPTC, {}, {}},
        {QStringLiteral("Origine, date"), G::IPTC, {}, {}},
        {QStringLiteral("Origine, ville"), G::IPTC, {}, {}},
        {QStringLiteral("Origine, état"), G::IPTC, {}, {}},
        {QStringLiteral("Origine, pays"), G::IPTC, {}, {}},
    };
    return Choix;
}

int PremierChoixDuGroupe(TGroupeDon nGroupe)
{
    switch (nGroupe) {
    case TGroupeDon::Generales: return 0;
    case TGroupeDon::EXIF: return 5;
    case TGroupeDon::IPTC: return 13;
    }
    return 0;
}

int DernierChoixDuGroupe(TGroupeDon nGroupe)
{
    switch (nGroupe) {
    case TGroupeDon::Generales: return 4;
    case TGroupeDon::EXIF: return 12;
    case TGroupeDon::IPTC: return nNbChoixDon - 1;
    }
    return 0;
}

quint32 MasqueDuGroupe(TGroupeDon nGroupe)
{
    quint32 n = 0;
    for (int i = PremierChoixDuGroupe(nGroupe); i <= DernierChoixDuGroupe(nGroupe); ++i)
        n |= 1u << i;
    return n;
}

quint32 ChoixDeMasque(int nMasque, bool lTrtDescription)
{
    quint32 n = static_cast<quint32>(nMasque) & ((1u << nNbChoixDon) - 1);
    if (!lTrtDescription)
        n &= ~(1u << nChoixDescription);
    return n;
}

int MasqueAEnregistrer(quint32 nChoix, int nMasqueLu, bool lTrtDescription)
{
    const quint32 nTous = (1u << nNbChoixDon) - 1;
    quint32 nGarde = ~nTous; // bits past the items: not ours to change
    if (!lTrtDescription)
        nGarde |= 1u << nChoixDescription;
    const quint32 n = (static_cast<quint32>(nMasqueLu) & nGarde) | (nChoix & nTous & ~nGarde);
    return static_cast<int>(n);
}

QString ValeurChoix(int nChoix, const TEnrLV &Enr, const TSourcesExtraction &S)
{
    const auto Source = [&Enr](const std::function<QString(const TEnrLV &)> &fn) {
        return fn ? SurUneLigne(fn(Enr)) : QString();
    };
    if (nChoix >= PremierChoixDuGroupe(TGroupeDon::EXIF) && nChoix <= DernierChoixDuGroupe(TGroupeDon::EXIF)
        && !Enr.lEXIF)
        return {};
    if (nChoix >= PremierChoixDuGroupe(TGroupeDon::IPTC) && !Enr.lIPTC)
        return {};
    QString c;
    switch (nChoix) {
    case 0: {
        const QString cChemin = Enr.CheminComplet();
        const qsizetype n = cChemin.lastIndexOf(QLatin1Char('/'));
        c = n < 0 ? QString() : cChemin.left(n + 1);
        break;
    }
    case 1: c = Enr.NomFichier(); break;
    case 2: c = Source(S.fnMotsCles); break;
    case 3: c = Source(S.fnLegende); break;
    case 4: c = S.lTrtDescription ? Source(S.fnDescription) : QString(); break;
    case 5: c = Enr.cAppareil; break;
    case 6: c = Enr.cFocale; break;
    case 7: c = Enr.cVitesse; break;
    case 8: c = Enr.cDiaphragme; break;
    case 9: c = Enr.cDatePDV; break;
    case 10: c = Enr.cISO; break;
    case 11: c = Enr.cOrientation; break;
    case 12: c = SurUneLigne(Enr.cCommentaire); break;
    case 13: c = Enr.cTitre; break;
    case 14: c = Enr.cTexte; break;
    case 15: c = Enr.cCopyright; break;
    case 16: c = Enr.cAuteur; break;
    case 17: c = Repetable(Enr.cMotsClesIPTC); break;
    case 18: c = Enr.cCategorie; break;
    case 19: c = Repetable(Enr.cCatSuppl); break;
    case 20: c = Enr.cCredits; break;
    case 21: c = Enr.cSource; break;
    case 22: c = Enr.cOriNom; break;
    case 23: c = Enr.cOriDate; break;
    case 24: c = Enr.cOriVille; break;
    case 25: c = Enr.cOriEtat; break;
    case 26: c = Enr.cOriPays; break;
    default: break;
    }
    return c.trimmed();
}

QString CelluleTable(const QString &cValeur)
{
    QString c = SurUneLigne(cValeur);
    c.replace(QLatin1Char('|'), QChar(0x00A6));
    return c;
}

QString TRapportExtraction::TexteBrut() const
{
    QString c;
    for (const QString &cLigne : Brut)
        c += cLigne + QLatin1Char('\n');
    return c;
}

TRapportExtraction ExtraitNormal(const QList<const TEnrLV *> &Images, quint32 nChoix, const TSourcesExtraction &S)
{
    TRapportExtraction r;
    r.nLigneFormate.fill(-1, Images.size());
    r.nLigneBrut.fill(-1, Images.size());
    const QList<TChoixDon> &Choix = ChoixDonnees();
    nChoix &= (1u << nNbChoixDon) - 1;
    if (!S.lTrtDescription)
        nChoix &= ~(1u << nChoixDescription);
    const bool lGenerales = nChoix & MasqueDuGroupe(TGroupeDon::Generales);
    const bool lEXIF = nChoix & MasqueDuGroupe(TGroupeDon::EXIF);
    const bool lIPTC = nChoix & MasqueDuGroupe(TGroupeDon::IPTC);

    QString cEntete;
    for (int i = 0; i < nNbChoixDon; ++i)
        if (Coche(nChoix, i))
            cEntete += Choix[i].cNom + QLatin1Char('|');
    r.Brut.append(cEntete);

    static const std::pair<TGroupeDon, QString> Groupes[] = {
        {TGroupeDon::Generales, QStringLiteral("Données générales")},
        {TGroupeDon::EXIF, QStringLiteral("EXIF")},
        {TGroupeDon::IPTC, QStringLiteral("IPTC")},
    };
    for (int nImage = 0; nImage < Images.size(); ++nImage) {
        const TEnrLV &Enr = *Images[nImage];
        const bool lAvecEXIF = lEXIF && Enr.lEXIF;
        const bool lAvecIPTC = lIPTC && Enr.lIPTC;
        if (!lGenerales && !lAvecEXIF && !lAvecIPTC)
            continue;
        QStringList cValeurs;
        for (int i = 0; i < nNbChoixDon; ++i)
            cValeurs.append(Coche(nChoix, i) ? ValeurChoix(i, Enr, S) : QString());

        DebutImage(r, nImage, Enr.NomFichier());
        for (const auto &[nGroupe, cGroupe] : Groupes) {
            const bool lPresent = nGroupe == TGroupeDon::Generales ? lGenerales
                                  : nGroupe == TGroupeDon::EXIF    ? lAvecEXIF
                                                                   : lAvecIPTC;
            if (!lPresent)
                continue;
            r.Formate.append(LigneGroupe(cGroupe));
            for (int i = PremierChoixDuGroupe(nGroupe); i <= DernierChoixDuGroupe(nGroupe); ++i) {
                if (!Coche(nChoix, i) || cValeurs[i].isEmpty())
                    continue;
                QString cTexte = Choix[i].cPrefixe + cValeurs[i];
                if (!Choix[i].cUnite.isEmpty())
                    cTexte += QLatin1Char(' ') + Choix[i].cUnite;
                r.Formate.append(LigneValeur(Choix[i].cNom, cTexte));
            }
        }

        QString cLigne;
        for (int i = 0; i < nNbChoixDon; ++i)
            if (Coche(nChoix, i))
                cLigne += CelluleTable(cValeurs[i]) + QLatin1Char('|');
        r.nLigneBrut[nImage] = static_cast<int>(r.Brut.size());
        r.Brut.append(cLigne);
    }
    return r;
}

bool FichierDisponible(const TEnrLV &Enr)
{
    if (Enr.nNumCD != 0 && Enr.cLecteur.isEmpty())
        return false;
    return QFileInfo(Enr.CheminComplet()).isFile();
}

QList<TEnrGlobaleToutesMD> LitToutesPresentes(const QList<const TEnrLV *> &Images, const TSourcesExtraction &S,
                                              const std::function<bool(int nFaits)> &fnAvance)
{
    QList<TEnrGlobaleToutesMD> Lues;
    for (int nImage = 0; nImage < Images.size(); ++nImage) {
        if (fnAvance && !fnAvance(nImage))
            break;
        const TEnrLV &Enr = *Images[nImage];
        if (!FichierDisponible(Enr))
            continue;
        const QString cChemin = Enr.CheminComplet();
        TToutesMD t = S.fnToutesMD ? S.fnToutesMD(cChemin) : LitToutesMD(cChemin);
        Lues.append(TEnrGlobaleToutesMD{cChemin, std::move(t.EXIF), std::move(t.IPTC), nImage});
    }
    return Lues;
}

QList<TEnrTagNom> UnionTags(const QList<TEnrGlobaleToutesMD> &Lues, bool lIPTC)
{
    std::map<quint32, QString> Tags;
    for (const TEnrGlobaleToutesMD &g : Lues)
        for (const TEnrToutesMD &e : lIPTC ? g.IPTC : g.EXIF)
            Tags.try_emplace(e.nId, e.cNom);
    QList<TEnrTagNom> Liste;
    for (const auto &[nId, cNom] : Tags)
        Liste.append(TEnrTagNom{nId, cNom});
    return Liste;
}

TRapportExtraction ExtraitToutesPresentes(const QList<const TEnrLV *> &Images, const QList<TEnrGlobaleToutesMD> &Lues,
                                          bool lEXIF, bool lIPTC)
{
    TRapportExtraction r;
    r.nLigneFormate.fill(-1, Images.size());
    r.nLigneBrut.fill(-1, Images.size());
    const QList<TEnrTagNom> TagsEXIF = lEXIF ? UnionTags(Lues, false) : QList<TEnrTagNom>();
    const QList<TEnrTagNom> TagsIPTC = lIPTC ? UnionTags(Lues, true) : QList<TEnrTagNom>();
    if (TagsEXIF.isEmpty() && TagsIPTC.isEmpty())
        return r;

    QString cEntete = QStringLiteral("Nom|");
    for (const TEnrTagNom &t : TagsEXIF)
        cEntete += CelluleTable(t.cNom) + QLatin1Char('|');
    for (const TEnrTagNom &t : TagsIPTC)
        cEntete += CelluleTable(t.cNom) + QLatin1Char('|');
    r.Brut.append(cEntete);

    const auto Colonnes = [](const QList<TEnrTagNom> &Tags, const QList<TEnrToutesMD> &Entrees) {
        QString c;
        for (const TEnrTagNom &t : Tags) {
            const auto It =
                std::find_if(Entrees.begin(), Entrees.end(), [&t](const TEnrToutesMD &e) { return e.nId == t.nId; });
            if (It != Entrees.end())
                c += CelluleTable(It->cValeur.trimmed());
            c += QLatin1Char('|');
        }
        return c;
    };
    for (const TEnrGlobaleToutesMD &g : Lues) {
        const bool lAvecEXIF = lEXIF && !g.EXIF.isEmpty();
        const bool lAvecIPTC = lIPTC && !g.IPTC.isEmpty();
        if ((!lAvecEXIF && !lAvecIPTC) || g.nImage < 0 || g.nImage >= Images.size())
            continue;
        DebutImage(r, g.nImage, Images[g.nImage]->NomFichier());
        if (lAvecEXIF) {
            r.Formate.append(LigneGroupe(QStringLiteral("EXIF")));
            for (const TEnrToutesMD &e : g.EXIF)
                r.Formate.append(LigneValeur(e.cNom, e.cValeur));
        }
        if (lAvecIPTC) {
            r.Formate.append(LigneGroupe(QStringLiteral("IPTC")));
            for (const TEnrToutesMD &e : g.IPTC)
                r.Formate.append(LigneValeur(e.cNom, e.cValeur));
        }
        QString cLigne = CelluleTable(g.cChemin) + QLatin1Char('|');
        if (lEXIF)
            cLigne += Colonnes(TagsEXIF, g.EXIF);
        if (lIPTC)
            cLigne += Colonnes(TagsIPTC, g.IPTC);
        r.nLigneBrut[g.nImage] = static_cast<int>(r.Brut.size());
        r.Brut.append(cLigne);
    }
    return r;
}

void RemplitDocument(QTextDocument &doc, const QList<TParagrapheRTF> &Paragraphes)
{
    QFont Police(QStringLiteral("Arial"));
    Police.setPointSizeF(rTailleTexte);
    doc.setDefaultFont(Police);
    RemplitDocumentRTF(doc, Paragraphes);
}

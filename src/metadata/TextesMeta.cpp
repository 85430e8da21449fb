#include "metadata/TextesMeta.h"

#include "platform/FrenchFormats.h"

#include <QDate>
#include <QTime>

namespace
{
const QString cCRLF = QStringLiteral("\r\n");
const QString cPuce = QStringLiteral(" \u2022 ");

bool AMajuscule(const QString &cOrdre)
{
    for (QChar c : cOrdre)
        if (c.isUpper())
            return true;
    return false;
}

QStringList Valeurs(const QString &cListe)
{
    return cListe.split(cSepIPTC, Qt::KeepEmptyParts);
}
}

QString PrefixeJour(const QString &cDate)
{
    const QString c = cDate.trimmed();
    const QStringList Parties = c.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (Parties.isEmpty() || Parties.size() > 2)
        return QString();
    const QDate d = QDate::fromString(Parties[0], QStringLiteral("dd/MM/yyyy"));
    if (!d.isValid())
        return QString();
    if (Parties.size() == 2 && !QTime::fromString(Parties[1], QStringLiteral("HH:mm:ss")).isValid()
        && !QTime::fromString(Parties[1], QStringLiteral("HH:mm")).isValid())
        return QString();
    const QString cJour = FrenchFormats::NomJour(d.dayOfWeek());
    return cJour.left(1).toUpper() + cJour.mid(1, 1) + QLatin1Char(' ');
}

QStringList CouperLignes(const QString &cTexteDonne, int nLargeur)
{
    QStringList Lignes;
    QString cTexte = cTexteDonne;
    if (nLargeur < 1)
        nLargeur = 1;
    while (cTexte.size() > nLargeur) {
        const QString cDebut = cTexte.left(nLargeur);
        const qsizetype nBlanc = cDebut.lastIndexOf(QLatin1Char(' '));
        if (nBlanc >= 0) {
            Lignes << cDebut.left(nBlanc).trimmed();
            cTexte = cTexte.mid(nBlanc + 1).trimmed();
        } else {
            Lignes << cDebut;
            cTexte = cTexte.mid(nLargeur).trimmed();
        }
    }
    Lignes << cTexte;
    return Lignes;
}

QString TexteEtatEXIF(const TDonneesEXIF &e)
{
    QString c = e.cAppareil;
    if (!e.cFocale.isEmpty())
        c += cPuce + e.cFocale + QStringLiteral(" mm");
    if (!e.cVitesse.isEmpty())
        c += cPuce + e.cVitesse + QStringLiteral(" s");
    if (!e.cDiaphragme.isEmpty())
        c += cPuce + QLatin1Char('f') + e.cDiaphragme;
    if (!e.cDatePDV.isEmpty())
        c += cPuce + PrefixeJour(e.cDatePDV) + e.cDatePDV;
    if (!e.cISO.isEmpty())
        c += cPuce + e.cISO + QStringLiteral(" ISO");
    return c;
}

QString TexteEtatCommentaireEXIF(const TDonneesEXIF &e)
{
    return e.cCommentaire;
}
QString TexteEtatLegendeIPTC(const TDonneesIPTC &r)
{
    return r.cTexte;
}

QString TexteEtatMotsClesIPTC(const TDonneesIPTC &r)
{
    QString c = r.cMotsClesIPTC;
    c.replace(cSepIPTC, QLatin1Char(' '));
    return c;
}

QColor CouleurEtatEXIF()
{
    return QColor(0, 128, 0);
}
QColor CouleurEtatIPTC()
{
    return QColor(0, 128, 128);
}

QString BlocHintEXIF(const TDonneesEXIF &e, bool lHintAffEXIF)
{
    if (!lHintAffEXIF || !e.lEXIF)
        return QString();
    QString c = QStringLiteral("\r\n<PG>EXIF</PG/>");
    auto Ligne = [&c](const char *cEtiquette, const QString &cValeur) {
        c += cCRLF + QStringLiteral("<SG>") + QString::fromUtf8(cEtiquette) + QStringLiteral(" :</SG/> ") + cValeur;
    };
    if (!e.cAppareil.isEmpty())
        Ligne("APPAREIL", e.cAppareil);
    if (!e.cFocale.isEmpty())
        Ligne("FOCALE", e.lFocEq ? e.cFocale + QStringLiteral(" (") + e.cFocaleReelle + QStringLiteral(") mm")
                                 : e.cFocale + QStringLiteral(" mm"));
    if (!e.cVitesse.isEmpty())
        Ligne("VITESSE", e.cVitesse + QStringLiteral(" s"));
    if (!e.cDiaphragme.isEmpty())
        Ligne("DIAPHRAGME", QStringLiteral("f ") + e.cDiaphragme);
    if (!e.cDatePDV.isEmpty())
        Ligne("DATE", PrefixeJour(e.cDatePDV) + e.cDatePDV);
    if (!e.cISO.isEmpty())
        Ligne("ISO", e.cISO);
    if (!e.cOrientation.isEmpty() && e.cOrientation != QLatin1String("1"))
        Ligne("ORIENTATION", e.cOrientation);
    if (!e.cCommentaire.isEmpty())
        Ligne("COMMENTAIRE", QLatin1Char('\'') + e.cCommentaire + QLatin1Char('\''));
    return c;
}

QString BlocHintIPTC(const TDonneesIPTC &r, bool lHintAffIPTC)
{
    if (!lHintAffIPTC || !r.lIPTC)
        return QString();
    QString c = QStringLiteral("\r\n<PG>IPTC</PG/>");
    auto Groupe = [&c](const QString &cTitre) {
        c += cCRLF + QStringLiteral("<SG>") + cTitre + QStringLiteral("</SG/>");
    };
    auto Ligne = [&c](const QString &cEtiquette, const QString &cValeur) {
        if (cValeur.trimmed().isEmpty())
            return;
        c += cCRLF + QStringLiteral("     ") + QStringLiteral("<SS>") + cEtiquette + QStringLiteral(" :</SS/> ")
             + cValeur;
    };
    if (r.lIPTCLegende) {
        Groupe(QStringLiteral("Légende"));
        Ligne(QStringLiteral("Titre"), r.cTitre);
        if (!r.cTexte.trimmed().isEmpty()) {
            const QStringList Lignes = CouperLignes(r.cTexte, 40);
            QString cValeur = Lignes.value(0);
            for (qsizetype i = 1; i < Lignes.size(); ++i)
                cValeur += cCRLF + QString(10, QLatin1Char(' ')) + Lignes[i];
            Ligne(QStringLiteral("Texte"), cValeur);
        }
        Ligne(QStringLiteral("Copyright"), r.cCopyright);
        Ligne(QStringLiteral("Auteur"), r.cAuteur);
    }
    if (r.lIPTCMotsCles)
        c += cCRLF + QStringLiteral("<SG>Mots-clés :</SG/> ") + TexteEtatMotsClesIPTC(r);
    if (r.lIPTCCategorie) {
        Groupe(QStringLiteral("Catégorie"));
        Ligne(QStringLiteral("Catégorie"), r.cCategorie);
        QString cSuppl = r.cCatSuppl;
        cSuppl.replace(cSepIPTC, QLatin1Char(' '));
        Ligne(QStringLiteral("Cat. Suppl."), cSuppl);
    }
    if (r.lIPTCCredits) {
        Groupe(QStringLiteral("Crédits"));
        Ligne(QStringLiteral("Crédits"), r.cCredits);
        Ligne(QStringLiteral("Source"), r.cSource);
    }
    if (r.lIPTCOrigine) {
        Groupe(QStringLiteral("Origine"));
        Ligne(QStringLiteral("Nom"), r.cOriNom);
        if (!r.cOriDate.trimmed().isEmpty())
            Ligne(QStringLiteral("Date"), PrefixeJour(r.cOriDate) + r.cOriDate);
        Ligne(QStringLiteral("Ville"), r.cOriVille);
        Ligne(QStringLiteral("Etat"), r.cOriEtat);
        Ligne(QStringLiteral("Pays"), r.cOriPays);
    }
    return c;
}

std::optional<TNoeudMeta> NoeudEXIF(const TDonneesEXIF &e, const QString &cOrdreEXIF)
{
    if (!e.lEXIF || !AMajuscule(cOrdreEXIF))
        return std::nullopt;
    TNoeudMeta Racine{QStringLiteral("EXIF"), 14, 15, {}};
    auto Enfant = [&Racine](const QString &cTexte, int nImage) {
        Racine.Enfants.append(TNoeudMeta{cTexte, nImage, nImage + 1, {}});
    };
    for (QChar l : cOrdreEXIF) {
        switch (l.unicode()) {
        case 'A':
            if (!e.cAppareil.isEmpty())
                Enfant(e.cAppareil, 16);
            break;
        case 'F':
            if (!e.cFocale.isEmpty())
                Enfant(e.cFocale + QStringLiteral(" mm"), e.lFocEq ? 32 : 18);
            break;
        case 'V':
            if (!e.cVitesse.isEmpty())
                Enfant(e.cVitesse + QStringLiteral(" s"), 20);
            break;
        case 'D':
            if (!e.cDiaphragme.isEmpty())
                Enfant(QStringLiteral("f ") + e.cDiaphragme, 22);
            break;
        case 'P':
            if (!e.cDatePDV.isEmpty())
                Enfant(PrefixeJour(e.cDatePDV) + e.cDatePDV, 24);
            break;
        case 'I':
            if (!e.cISO.isEmpty())
                Enfant(e.cISO, 26);
            break;
        case 'O':
            if (!e.cOrientation.isEmpty() && e.cOrientation != QLatin1String("1"))
                Enfant(QStringLiteral("Orientation : ") + e.cOrientation, 28);
            break;
        case 'C':
            if (!e.cCommentaire.isEmpty())
                Enfant(QLatin1Char('\'') + e.cCommentaire + QLatin1Char('\''), 30);
            break;
        default: break;
        }
    }
    return Racine;
}

std::optional<TNoeudMeta> NoeudIPTC(const TDonneesIPTC &r, const QString &cOrdreIPTC)
{
    if (!r.lIPTC || !AMajuscule(cOrdreIPTC))
        return std::nullopt;
    TNoeudMeta Racine{QStringLiteral("IPTC"), 34, 34, {}};
    auto Item = [](TNoeudMeta &Parent, const QString &cEtiquette, const QString &cValeur) {
        if (!cValeur.isEmpty())
            Parent.Enfants.append(TNoeudMeta{cEtiquette + QStringLiteral(" : ") + cValeur, 37, 38, {}});
    };
    auto Groupe = [](const QString &cTitre) { return TNoeudMeta{cTitre, 35, 36, {}}; };
    for (QChar l : cOrdreIPTC) {
        switch (l.unicode()) {
        case 'L':
            if (r.lIPTCLegende) {
                TNoeudMeta g = Groupe(QStringLiteral("Légende"));
                Item(g, QStringLiteral("Titre"), r.cTitre);
                if (!r.cTexte.isEmpty()) {
                    TNoeudMeta t = Groupe(QStringLiteral("Texte :"));
                    for (const QString &cLigne : CouperLignes(r.cTexte, 40))
                        t.Enfants.append(TNoeudMeta{cLigne, 37, 38, {}});
                    g.Enfants.append(t);
                }
                Item(g, QStringLiteral("Copyright"), r.cCopyright);
                Item(g, QStringLiteral("Auteur"), r.cAuteur);
                Racine.Enfants.append(g);
            }
            break;
        case 'M':
            if (r.lIPTCMotsCles) {
                TNoeudMeta g = Groupe(QStringLiteral("Mots-clés :"));
                for (const QString &cMot : Valeurs(r.cMotsClesIPTC))
                    if (!cMot.isEmpty())
                        g.Enfants.append(TNoeudMeta{cMot, 37, 38, {}});
                Racine.Enfants.append(g);
            }
            break;
        case 'C':
            if (r.lIPTCCategorie) {
                TNoeudMeta g = Groupe(QStringLiteral("Catégorie"));
                Item(g, QStringLiteral("Catégorie"), r.cCategorie);
                if (!r.cCatSuppl.isEmpty()) {
                    TNoeudMeta s = Groupe(QStringLiteral("Cat. Suppl. :"));
                    for (const QString &cCat : Valeurs(r.cCatSuppl))
                        if (!cCat.isEmpty())
                            s.Enfants.append(TNoeudMeta{cCat, 37, 38, {}});
                    g.Enfants.append(s);
                }
                Racine.Enfants.append(g);
            }
            break;
        case 'R':
            if (r.lIPTCCredits) {
                TNoeudMeta g = Groupe(QStringLiteral("Crédits"));
                Item(g, QStringLiteral("Crédits"), r.cCredits);
                Item(g, QStringLiteral("Source"), r.cSource);
                Racine.Enfants.append(g);
            }
            break;
        case 'O':
            if (r.lIPTCOrigine) {
                TNoeudMeta g = Groupe(QStringLiteral("Origine"));
                Item(g, QStringLiteral("Nom"), r.cOriNom);
                if (!r.cOriDate.isEmpty())
                    Item(g, QStringLiteral("Date"), PrefixeJour(r.cOriDate) + r.cOriDate);
                Item(g, QStringLiteral("Ville"), r.cOriVille);
                Item(g, QStringLiteral("Etat"), r.cOriEtat);
                Item(g, QStringLiteral("Pays"), r.cOriPays);
                Racine.Enfants.append(g);
            }
            break;
        default: break;
        }
    }
    return Racine;
}

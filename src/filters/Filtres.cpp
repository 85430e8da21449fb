#include "filters/Filtres.h"

#include "metadata/CacheMeta.h"
#include "metadata/DonneesMeta.h"
#include "metadata/TextesMeta.h"
#include "platform/FrenchFormats.h"

#include <algorithm>
#include <limits>

namespace
{
const QString cCRLF = QStringLiteral("\r\n");
constexpr int nNbChampsSauves = 59;

QString Bool(bool l)
{
    return l ? QStringLiteral("1") : QStringLiteral("0");
}

QString Nombre(qint64 n)
{
    return QString::number(n);
}

// Sizes keep their 32-bit saved form: a larger limit is written as the largest one.
QString Taille32(qint64 n)
{
    return Nombre(
        qBound<qint64>(qint64(std::numeric_limits<qint32>::min()), n, qint64(std::numeric_limits<qint32>::max())));
}

QString Date(const QDate &d)
{
    return FrenchFormats::Date(d);
}

// A list joined by QChar(1): its non-blank items, trimmed.
QString ListeNette(const QString &cListe)
{
    QStringList Items;
    for (const QString &c : cListe.split(cSepIPTC))
        if (!c.trimmed().isEmpty())
            Items << c.trimmed();
    return Items.join(cSepIPTC);
}

QString ListeEnBlancs(const QString &cListe)
{
    QString c = ListeNette(cListe);
    c.replace(cSepIPTC, QLatin1Char(' '));
    return c;
}

// Reads the items of a saved form in order; the first that does not read spoils the whole.
class TLecteurChamps
{
public:
    explicit TLecteurChamps(const QStringList &Items) : m_Items(Items) {}
    bool lOk = true;

    QString Texte() { return m_Items.value(m_n++).trimmed(); }
    qint64 Entier()
    {
        bool ok = false;
        const qint64 n = Texte().toLongLong(&ok);
        lOk = lOk && ok;
        return ok ? n : 0;
    }
    bool Booleen() { return Entier() != 0; }
    quint8 Octet()
    {
        const qint64 n = Entier();
        lOk = lOk && n >= 0 && n <= 255;
        return static_cast<quint8>(n);
    }
    QDate Date()
    {
        const QDate d = QDate::fromString(Texte(), QStringLiteral("dd/MM/yyyy"));
        lOk = lOk && d.isValid();
        return d;
    }

private:
    const QStringList &m_Items;
    int m_n = 0;
};
}

void RAZEnrFiltre(TEnrFiltres &Enr)
{
    Enr = TEnrFiltres();
}

void CalculeIndicateurs(TEnrFiltres &e, bool lCaseMotif)
{
    e.lGeneral = e.nImages != 0 || !(e.lJPEG && e.lRAW && e.lPNG) || e.lModeles || e.lTailleInf || e.lTailleSup
                 || e.lDateAnt || e.lDatePst || e.lDescription;
    auto Critere = [](int nOp, const QString &c) { return nOp != 0 && !c.trimmed().isEmpty(); };
    e.lFiltreEXIF = !e.cFAppareil.trimmed().isEmpty() || Critere(e.nOpFocale, e.cFFocale)
                    || Critere(e.nOpVitesse, e.cFVitesse) || Critere(e.nOpDiaphragme, e.cFDiaphragme)
                    || Critere(e.nOpISO, e.cFISO) || e.nOpDatePDV != 0 || !e.cFCommentaire.trimmed().isEmpty();
    auto Rempli = [](const QString &c) { return !c.trimmed().isEmpty(); };
    e.lFLegende = Rempli(e.cFTitre) || Rempli(e.cFTexte) || Rempli(e.cFCopyright) || Rempli(e.cFAuteur);
    e.lFMotsCles = !ListeNette(e.cFMotsCles).isEmpty();
    e.lFCategorie = Rempli(e.cFCategorie) || !ListeNette(e.cFCatSuppl).isEmpty();
    e.lFCredits = Rempli(e.cFCredits) || Rempli(e.cFSource);
    e.lFOrigine =
        Rempli(e.cFOriNom) || e.nOpOriDate != 0 || Rempli(e.cFOriVille) || Rempli(e.cFOriEtat) || Rempli(e.cFOriPays);
    e.lFiltreIPTC = e.lFLegende || e.lFMotsCles || e.lFCategorie || e.lFCredits || e.lFOrigine;
    e.lColorimetrie = e.nMethColorimetrie != 0;
    e.lMotif = lCaseMotif && !e.cMotif.trimmed().isEmpty() && e.nMethPixMotif != 0;
    e.lActif = e.lGeneral || e.lFiltreEXIF || e.lFiltreIPTC || e.lColorimetrie || e.lMotif;
}

QString TexteOperateur(int nOp)
{
    static const char *const cOps[] = {"", "<", "<=", "=", ">=", ">", "<>"};
    return (nOp >= 0 && nOp < 7) ? QString::fromLatin1(cOps[nOp]) : QString();
}

QString FiltreSauve(const TEnrFiltres &e)
{
    const int nTypes = (e.lJPEG ? 1 : 0) | (e.lRAW ? 2 : 0) | (e.lPNG ? 4 : 0);
    auto T = [](const QString &c) { return c.trimmed(); };
    const QStringList Champs = {
        Nombre(e.nImages),
        Nombre(nTypes),
        Bool(e.lModeles),
        T(e.cModeles),
        Bool(e.lTailleInf),
        Taille32(e.nTailleInf),
        Bool(e.lTailleSup),
        Taille32(e.nTailleSup),
        Bool(e.lDateAnt),
        Date(e.dDateAnt),
        Bool(e.lDatePst),
        Date(e.dDatePst),
        Bool(e.lDescription),
        T(e.cDescription),
        T(e.cFAppareil),
        Nombre(e.nOpFocale),
        T(e.cFFocale),
        Nombre(e.nOpVitesse),
        T(e.cFVitesse),
        Nombre(e.nOpDiaphragme),
        T(e.cFDiaphragme),
        Nombre(e.nOpDatePDV),
        Date(e.dFDatePDV),
        Nombre(e.nOpISO),
        T(e.cFISO),
        T(e.cFCommentaire),
        T(e.cFTitre),
        T(e.cFTexte),
        T(e.cFCopyright),
        T(e.cFAuteur),
        ListeNette(e.cFMotsCles),
        T(e.cFCategorie),
        ListeNette(e.cFCatSuppl),
        T(e.cFCredits),
        T(e.cFSource),
        T(e.cFOriNom),
        Nombre(e.nOpOriDate),
        T(e.cFOriDate),
        T(e.cFOriVille),
        T(e.cFOriEtat),
        T(e.cFOriPays),
        Nombre(e.nTeinte),
        Nombre(e.nSaturation),
        Nombre(e.nLuminosite),
        Nombre(e.nMethColorimetrie),
        Nombre(e.nTolColorimetrie),
        Nombre(e.nSeuilColorimetrie),
        Bool(e.lMotif),
        T(e.cMotif),
        Nombre(e.nMethPixMotif),
        Bool(e.lMotifSym),
        Nombre(e.nTolMotif),
        Nombre(e.nSeuilMotif),
        Nombre(e.nMethZoneMotif),
        Bool(e.lMotifZone),
        Nombre(e.rZoneMotif.left()),
        Nombre(e.rZoneMotif.top()),
        Nombre(e.rZoneMotif.right()),
        Nombre(e.rZoneMotif.bottom()),
    };
    Q_ASSERT(Champs.size() == nNbChampsSauves);
    return FormeRecord(Champs);
}

bool LitFiltreSauve(const QString &cValeur, TEnrFiltres &Enr)
{
    const QStringList Items = DecoupeRecord(cValeur);
    if (Items.size() != nNbChampsSauves)
        return false;
    TLecteurChamps l(Items);
    TEnrFiltres e = Enr;
    e.nImages = static_cast<int>(l.Entier());
    const qint64 nTypes = l.Entier();
    e.lJPEG = nTypes & 1;
    e.lRAW = nTypes & 2;
    e.lPNG = nTypes & 4;
    e.lModeles = l.Booleen();
    e.cModeles = l.Texte();
    e.lTailleInf = l.Booleen();
    e.nTailleInf = l.Entier();
    e.lTailleSup = l.Booleen();
    e.nTailleSup = l.Entier();
    e.lDateAnt = l.Booleen();
    e.dDateAnt = l.Date();
    e.lDatePst = l.Booleen();
    e.dDatePst = l.Date();
    e.lDescription = l.Booleen();
    e.cDescription = l.Texte();
    e.cFAppareil = l.Texte();
    e.nOpFocale = static_cast<int>(l.Entier());
    e.cFFocale = l.Texte();
    e.nOpVitesse = static_cast<int>(l.Entier());
    e.cFVitesse = l.Texte();
    e.nOpDiaphragme = static_cast<int>(l.Entier());
    e.cFDiaphragme = l.Texte();
    e.nOpDatePDV = static_cast<int>(l.Entier());
    e.dFDatePDV = l.Date();
    e.nOpISO = static_cast<int>(l.Entier());
    e.cFISO = l.Texte();
    e.cFCommentaire = l.Texte();
    e.cFTitre = l.Texte();
    e.cFTexte = l.Texte();
    e.cFCopyright = l.Texte();
    e.cFAuteur = l.Texte();
    e.cFMotsCles = l.Texte();
    e.cFCategorie = l.Texte();
    e.cFCatSuppl = l.Texte();
    e.cFCredits = l.Texte();
    e.cFSource = l.Texte();
    e.cFOriNom = l.Texte();
    e.nOpOriDate = static_cast<int>(l.Entier());
    e.cFOriDate = l.Texte();
    e.cFOriVille = l.Texte();
    e.cFOriEtat = l.Texte();
    e.cFOriPays = l.Texte();
    e.nTeinte = l.Octet();
    e.nSaturation = l.Octet();
    e.nLuminosite = l.Octet();
    e.nMethColorimetrie = l.Octet();
    e.nTolColorimetrie = l.Octet();
    e.nSeuilColorimetrie = l.Octet();
    const bool lCaseMotif = l.Booleen();
    e.cMotif = l.Texte();
    e.nMethPixMotif = l.Octet();
    e.lMotifSym = l.Booleen();
    e.nTolMotif = l.Octet();
    e.nSeuilMotif = l.Octet();
    e.nMethZoneMotif = l.Octet();
    e.lMotifZone = l.Booleen();
    const qint64 g = l.Entier(), h = l.Entier(), d = l.Entier(), b = l.Entier();
    const auto Dans32 = [](qint64 n) {
        return n >= std::numeric_limits<qint32>::min() && n <= std::numeric_limits<qint32>::max();
    };
    const bool lOps = e.nOpFocale >= 0 && e.nOpFocale <= 6 && e.nOpVitesse >= 0 && e.nOpVitesse <= 6
                      && e.nOpDiaphragme >= 0 && e.nOpDiaphragme <= 6 && e.nOpDatePDV >= 0 && e.nOpDatePDV <= 6
                      && e.nOpISO >= 0 && e.nOpISO <= 6 && e.nOpOriDate >= 0 && e.nOpOriDate <= 6 && e.nImages >= 0
                      && e.nImages <= 3;
    if (!l.lOk || !lOps || !Dans32(g) || !Dans32(h) || !Dans32(d) || !Dans32(b))
        return false;
    e.rZoneMotif =
        QRect(QPoint(static_cast<int>(g), static_cast<int>(h)), QPoint(static_cast<int>(d), static_cast<int>(b)));
    // A hand-edited value beyond what the editor offers is brought within its range.
    const auto Borne = [](quint8 &n, int nMin, int nMax) { n = static_cast<quint8>(std::clamp<int>(n, nMin, nMax)); };
    Borne(e.nTeinte, 0, 239);
    Borne(e.nSaturation, 0, 240);
    Borne(e.nLuminosite, 0, 240);
    Borne(e.nMethColorimetrie, 0, 7);
    Borne(e.nMethPixMotif, 0, 7);
    Borne(e.nTolColorimetrie, 8, 128);
    Borne(e.nTolMotif, 8, 128);
    Borne(e.nSeuilColorimetrie, 10, 100);
    Borne(e.nSeuilMotif, 10, 100);
    Borne(e.nMethZoneMotif, 0, 5);
    e.nResColorimetrie = 0;
    e.nResMotif = 0;
    CalculeIndicateurs(e, lCaseMotif);
    Enr = e;
    return true;
}

QString NomMethodePixels(int nMethode)
{
    static const char *const cNoms[] = {"Luminosité",       "Saturation",       "SaturationLuminosité",      "Teinte",
                                        "TeinteLuminosité", "TeinteSaturation", "TeinteSaturationLuminosité"};
    return (nMethode >= 1 && nMethode <= 7) ? QString::fromUtf8(cNoms[nMethode - 1]) : QString();
}

QString NomMethodeZone(int nMethode)
{
    static const char *const cNoms[] = {"l'étirer pour la comparer aux autres images",
                                        "adapter sa taille/position actuelle (=ID)",
                                        "ID + au centre des autres images",
                                        "ID + son opposée en abscisse",
                                        "ID + son opposée en ordonnée",
                                        "ID + ses opposées en abscisse et ordonnée"};
    return (nMethode >= 0 && nMethode <= 5) ? QString::fromUtf8(cNoms[nMethode]) : QString();
}

QString ResumeFiltre(const TEnrFiltres &e, TTypeFiltre nType, bool lDescriptions)
{
    if (!e.lActif) {
        if (nType == TTypeFiltre::Recherche)
            return QStringLiteral("Filtrer les images selon leurs types, modèles, taille, date, méta-données (EXIF et "
                                  "IPTC),\r\nleur colorimétrie et leur ressemblance à un motif");
        return QStringLiteral("Filtrer les images selon leurs critères, types, modèles, taille, date, méta-données "
                              "(EXIF et IPTC),\r\nleur colorimétrie et leur ressemblance à un motif");
    }
    QString c = QStringLiteral("<PG>FILTRES</PG/>");
    auto Ajoute = [&c](const QString &cLigne) { c += cCRLF + cLigne; };
    // A labelled line of an IPTC group, shown only for a non-blank value.
    auto Ligne = [&c](const QString &cEtiquette, const QString &cValeur) {
        if (cValeur.trimmed().isEmpty())
            return;
        c += cCRLF + QStringLiteral("     <SS>") + cEtiquette + QStringLiteral(" :</SS/> ") + cValeur;
    };

    if (e.lGeneral) {
        Ajoute(QStringLiteral("<CS>Général</CS/>"));
        if (e.nImages > 0 && e.nImages <= 3) {
            static const char *const cImages[] = {"Coups de coeur", "avec Critères", "sans Critère"};
            Ajoute(QStringLiteral("<SG>Images :</SG/> ") + QString::fromUtf8(cImages[e.nImages - 1]));
        }
        if (!(e.lJPEG && e.lRAW && e.lPNG))
            Ajoute(QStringLiteral("<SG>Type(s) :</SG/> ") + (e.lJPEG ? QStringLiteral("JPEG ") : QString())
                   + (e.lRAW ? QStringLiteral("RAW ") : QString()) + (e.lPNG ? QStringLiteral("PNG") : QString()));
        if (e.lModeles)
            Ajoute(QStringLiteral("<SG>Modèles :</SG/> ") + e.cModeles);
        if (e.lTailleInf || e.lTailleSup) {
            QString t = QStringLiteral("<SG>Taille :</SG/> ");
            if (e.lTailleInf)
                t = QStringLiteral("%1 < %2 Octet(s) ").arg(t).arg(e.nTailleInf);
            if (e.lTailleSup)
                t = QStringLiteral("%1 > %2 Octet(s)").arg(t).arg(e.nTailleSup);
            Ajoute(t);
        }
        if (e.lDateAnt || e.lDatePst) {
            QString t = QStringLiteral("<SG>Date :</SG/> ");
            if (e.lDateAnt)
                t = QStringLiteral("%1 < %2 ").arg(t, Date(e.dDateAnt));
            if (e.lDatePst)
                t = QStringLiteral("%1 > %2").arg(t, Date(e.dDatePst));
            Ajoute(t);
        }
        if (lDescriptions && e.lDescription)
            Ajoute(QStringLiteral("<SG>Description :</SG/> ") + e.cDescription);
    }

    if (e.lFiltreEXIF) {
        Ajoute(QStringLiteral("<CS>EXIF</CS/>"));
        if (!e.cFAppareil.trimmed().isEmpty())
            Ajoute(QStringLiteral("<SG>Appareil :</SG/> ") + e.cFAppareil);
        auto Valeur = [&](const QString &cNom, int nOp, const QString &cValeur, const QString &cAvant,
                          const QString &cApres) {
            if (nOp != 0 && !cValeur.trimmed().isEmpty())
                Ajoute(
                    QStringLiteral("<SG>%1 %2</SG/> %3%4%5").arg(cNom, TexteOperateur(nOp), cAvant, cValeur, cApres));
        };
        Valeur(QStringLiteral("Focale"), e.nOpFocale, e.cFFocale, QString(), QStringLiteral(" mm"));
        Valeur(QStringLiteral("Vitesse"), e.nOpVitesse, e.cFVitesse, QString(), QStringLiteral(" s"));
        Valeur(QStringLiteral("Diaphragme"), e.nOpDiaphragme, e.cFDiaphragme, QStringLiteral("f "), QString());
        Valeur(QStringLiteral("ISO"), e.nOpISO, e.cFISO, QString(), QString());
        if (e.nOpDatePDV != 0) {
            const QString d = Date(e.dFDatePDV);
            Ajoute(QStringLiteral("<SG>Date %1</SG/> %2").arg(TexteOperateur(e.nOpDatePDV), PrefixeJour(d) + d));
        }
        if (!e.cFCommentaire.trimmed().isEmpty())
            Ajoute(QStringLiteral("<SG>Commentaire :</SG/> '%1'").arg(e.cFCommentaire));
    }

    if (e.lFiltreIPTC) {
        Ajoute(QStringLiteral("<CS>IPTC</CS/>"));
        if (e.lFLegende) {
            Ajoute(QStringLiteral("<SG>Légende</SG/>"));
            Ligne(QStringLiteral("Titre"), e.cFTitre);
            if (!e.cFTexte.trimmed().isEmpty()) {
                const QStringList Lignes = CouperLignes(e.cFTexte, 40);
                QString v = Lignes.value(0);
                for (qsizetype i = 1; i < Lignes.size(); ++i)
                    v += cCRLF + QString(10, QLatin1Char(' ')) + Lignes[i];
                Ligne(QStringLiteral("Texte"), v);
            }
            Ligne(QStringLiteral("Copyright"), e.cFCopyright);
            Ligne(QStringLiteral("Auteur"), e.cFAuteur);
        }
        if (e.lFMotsCles)
            Ajoute(QStringLiteral("<SG>Mots-clés :</SG/> ") + ListeEnBlancs(e.cFMotsCles));
        if (e.lFCategorie) {
            Ajoute(QStringLiteral("<SG>Catégorie</SG/>"));
            Ligne(QStringLiteral("Catégorie"), e.cFCategorie);
            Ligne(QStringLiteral("Cat. Suppl."), ListeEnBlancs(e.cFCatSuppl));
        }
        if (e.lFCredits) {
            Ajoute(QStringLiteral("<SG>Crédits</SG/>"));
            Ligne(QStringLiteral("Crédits"), e.cFCredits);
            Ligne(QStringLiteral("Source"), e.cFSource);
        }
        if (e.lFOrigine) {
            Ajoute(QStringLiteral("<SG>Origine</SG/>"));
            Ligne(QStringLiteral("Nom"), e.cFOriNom);
            if (e.nOpOriDate != 0) {
                const QString d = e.cFOriDate.trimmed();
                Ajoute(QStringLiteral("<SS>Date %1</SS/> %2").arg(TexteOperateur(e.nOpOriDate), PrefixeJour(d) + d));
            }
            Ligne(QStringLiteral("Ville"), e.cFOriVille);
            Ligne(QStringLiteral("Etat"), e.cFOriEtat);
            Ligne(QStringLiteral("Pays"), e.cFOriPays);
        }
    }

    if (e.lColorimetrie) {
        Ajoute(QStringLiteral("<CS>Colorimétrie</CS/>"));
        QString t;
        if (e.nMethColorimetrie & 4)
            t += QStringLiteral("<SG>Teinte :</SG/> %1 ").arg(e.nTeinte);
        if (e.nMethColorimetrie & 2)
            t += QStringLiteral("<SG>Saturation :</SG/> %1 ").arg(e.nSaturation);
        if (e.nMethColorimetrie & 1)
            t += QStringLiteral("<SG>Luminosité :</SG/> %1 ").arg(e.nLuminosite);
        Ajoute(t);
        Ajoute(QStringLiteral("<SG>Tolérance :</SG/> %1 <SG>Seuil :</SG/> %2")
                   .arg(e.nTolColorimetrie)
                   .arg(e.nSeuilColorimetrie));
    }

    if (e.lMotif) {
        Ajoute(QStringLiteral("<CS>Motif</CS/>"));
        if (e.lMotifSym)
            Ajoute(QStringLiteral("<SG>Rechercher les images symétriques</SG/>"));
        Ajoute(QStringLiteral("<SG>Méthode de recherche de la Zone :</SG/> ") + NomMethodeZone(e.nMethZoneMotif));
        Ajoute(QStringLiteral("<SG>Méthode de recherche des Pixels :</SG/> ") + NomMethodePixels(e.nMethPixMotif));
        Ajoute(QStringLiteral("<SG>Tolérance :</SG/> %1 <SG>Seuil :</SG/> %2").arg(e.nTolMotif).arg(e.nSeuilMotif));
    }
    return c;
}

#include "metadata/GestionDonnees.h"

#include "imaging/EcritIPTC.h"
#include "imaging/FileKinds.h"
#include "metadata/Iptc.h"
#include "platform/Volumes.h"
#include "storage/BigIniFiles.h"
#include "storage/Descriptions.h"
#include "storage/Sections.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>
#include <optional>
#include <utility>

namespace
{
const QString cAvertissementMotsCles = QStringLiteral("Certains Mots-clés n'ont pas été mis à jour correctement.");

constexpr quint8 nDsMotsCles = 25;
constexpr quint8 nDsLegende = 120;
constexpr quint8 nDsCategorie = 15;
constexpr quint8 nDsCatSuppl = 20;

bool CaractereMotCle(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'&' || c == u'+' || c == u',' || c == u'-'
           || c == u'.' || c == u'_';
}

QStringList Mots(const QString &c)
{
    return c.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QStringList ValeursIPTC(const QString &c)
{
    QStringList l = c.split(cSepIPTC, Qt::SkipEmptyParts);
    for (QString &v : l)
        v = v.trimmed();
    l.removeAll(QString());
    return l;
}

// The source of one image: its text, and its list when the source has one.
struct TSource
{
    QString cTexte;
    std::optional<QStringList> Liste;
};

TSource Source(TStoresGestion &S, const TParamsGestion &P, const TImageGestion &Im)
{
    TSource r;
    switch (P.nSource) {
    case TSourceGestion::Aucune: break;
    case TSourceGestion::CriteresHierarchiques: {
        QStringList l;
        S.iniBDD.ReadSection(Im.cCle, l);
        r.Liste = l;
        r.cTexte = l.join(QLatin1Char(' '));
        break;
    }
    case TSourceGestion::MotsCles:
        r.cTexte = S.iniSetup.ReadString(cSectionMotsCles, Im.cCle, QString());
        r.Liste = Mots(r.cTexte);
        break;
    case TSourceGestion::Legende: r.cTexte = S.iniSetup.ReadString(cSectionLegendes, Im.cCle, QString()); break;
    case TSourceGestion::Description:
        r.cTexte = S.Descriptions.DescriptionImage(Im.nNumCD, Im.cChemin, nDescLecture);
        break;
    case TSourceGestion::CommentaireEXIF: r.cTexte = Im.cCommentaireEXIF; break;
    case TSourceGestion::LegendeIPTC: r.cTexte = Im.Iptc.cTexte; break;
    case TSourceGestion::MotsClesIPTC:
        r.Liste = ValeursIPTC(Im.Iptc.cMotsClesIPTC);
        r.cTexte = r.Liste->join(QLatin1Char(' '));
        break;
    case TSourceGestion::CategoriesIPTC: {
        QStringList l;
        if (!Im.Iptc.cCategorie.trimmed().isEmpty())
            l << Im.Iptc.cCategorie.trimmed();
        l << ValeursIPTC(Im.Iptc.cCatSuppl);
        r.Liste = l;
        r.cTexte = l.join(QLatin1Char(' '));
        break;
    }
    case TSourceGestion::Constante: r.cTexte = P.cConstante; break;
    }
    // A comment's line breaks would split a legend or a description line.
    r.cTexte = DescriptionSurUneLigne(r.cTexte).trimmed();
    if (r.Liste) {
        for (QString &c : *r.Liste)
            c = c.trimmed();
        r.Liste->removeAll(QString());
    }
    return r;
}

// What the new bytes must hold, read the way the program reads them (LitIPTCJpeg): the
// datasets the batch sets.
QString VerifieRelecture(const TDonneesIPTC &r, const Imaging::TEcritureIPTC &Bloc)
{
    auto Attendu = [&](quint8 n) {
        QStringList l;
        for (const QString &c : Bloc.Valeurs(n))
            l << NettoieTexteIPTC(c);
        return l;
    };
    const QStringList Legende = Attendu(nDsLegende);
    const QStringList Categorie = Attendu(nDsCategorie);
    const bool lOk = r.cMotsClesIPTC == Attendu(nDsMotsCles).join(cSepIPTC)
                     && r.cCatSuppl == Attendu(nDsCatSuppl).join(cSepIPTC)
                     && r.cTexte == (Legende.isEmpty() ? QString() : Legende.last())
                     && r.cCategorie == (Categorie.isEmpty() ? QString() : Categorie.last().left(64));
    return lOk ? QString() : QStringLiteral("l'IPTC relu n'est pas celui écrit");
}

// The IPTC changes of one image, noted while the batch walks the images and carried out later,
// several files at a time: a write waits on the disk far longer than it computes.
struct TOperationsIPTC
{
    QList<std::function<void(Imaging::TEcritureIPTC &)>> Liste;
    void RemplaceValeur(quint8 n, const QString &c)
    {
        Liste << [n, c](Imaging::TEcritureIPTC &B) { B.RemplaceValeur(n, c); };
    }
    void AjouteValeur(quint8 n, const QString &c)
    {
        Liste << [n, c](Imaging::TEcritureIPTC &B) { B.AjouteValeur(n, c); };
    }
    void SupprimeValeurs(quint8 n)
    {
        Liste << [n](Imaging::TEcritureIPTC &B) { B.SupprimeValeurs(n); };
    }
};

struct TTacheIPTC
{
    int nImage = 0;
    QString cFichier;
    TOperationsIPTC Operations;
    bool lOk = false;
    QString cErreur;
    qint64 nTaille = 0;
    TDonneesIPTC Iptc;
    int nEntree = -1; // in the group's batch
};

// Reads, changes and checks one file, and writes its new bytes into the batch. The IPTC that
// the check read in the new bytes is what the file holds once the batch replaced it.
void PrepareTache(TTacheIPTC &T, Imaging::TLotRemplacement &Lot)
{
    Imaging::TEcritureIPTC B;
    if (!B.Charge(T.cFichier, &T.cErreur))
        return;
    for (const auto &fn : T.Operations.Liste)
        fn(B);
    TDonneesIPTC Relu;
    T.nEntree = B.Prepare(Lot, &T.cErreur, [&](const QByteArray &Apres) {
        T.nTaille = Apres.size();
        Relu = LitIPTCJpeg(reinterpret_cast<const uchar *>(Apres.constData()), Apres.size());
        return VerifieRelecture(Relu, B);
    });
    // As LireIPTC would read the file back: only a JPEG by its name is read.
    if (T.nEntree >= 0 && EstJPEG(T.cFichier))
        T.Iptc = Relu;
}

// The files are written a group at a time: the group's temporaries are written by a few
// threads (a write waits on the disk far longer than it computes), then synced together and
// renamed while the next group is being written. A group bounds the descriptors held open and
// the room the temporaries take.
void ExecuteTaches(QList<TTacheIPTC> &Taches, const IVolumes *pVolumes)
{
    constexpr qsizetype nParGroupe = 64;
    struct TGroupe
    {
        std::unique_ptr<Imaging::TLotRemplacement> Lot;
        qsizetype nDebut = 0, nFin = 0;
        std::thread Validation;
    };
    auto Termine = [&](TGroupe &g) {
        if (!g.Lot)
            return;
        g.Validation.join();
        for (qsizetype n = g.nDebut; n < g.nFin; ++n) {
            TTacheIPTC &T = Taches[n];
            T.lOk = T.nEntree >= 0 && g.Lot->Remplace(T.nEntree, &T.cErreur);
            if (!T.lOk)
                T.Iptc = {};
        }
        g.Lot.reset();
    };
    TGroupe Precedent;
    for (qsizetype nDebut = 0; nDebut < Taches.size(); nDebut += nParGroupe) {
        TGroupe g;
        g.Lot = std::make_unique<Imaging::TLotRemplacement>(pVolumes);
        g.nDebut = nDebut;
        g.nFin = std::min(Taches.size(), nDebut + nParGroupe);
        const int nFils = int(std::min<qsizetype>(4, g.nFin - g.nDebut));
        std::atomic<qsizetype> nSuivante{g.nDebut};
        Imaging::TLotRemplacement &Lot = *g.Lot;
        auto Travaille = [&] {
            for (qsizetype n = nSuivante++; n < g.nFin; n = nSuivante++)
                PrepareTache(Taches[n], Lot);
        };
        if (nFils <= 1) {
            Travaille();
        } else {
            std::vector<std::thread> Fils;
            for (int k = 0; k < nFils; ++k)
                Fils.emplace_back(Travaille);
            for (std::thread &f : Fils)
                f.join();
        }
        Termine(Precedent);
        g.Validation = std::thread([&Lot] { Lot.Valide(); });
        Precedent = std::move(g);
    }
    Termine(Precedent);
}

QString Nom(const TImageGestion &Im)
{
    const qsizetype n = Im.cChemin.lastIndexOf(QLatin1Char('/'));
    return n < 0 ? Im.cChemin : Im.cChemin.mid(n + 1);
}
}

int DestinationsPermises(TSourceGestion n)
{
    switch (n) {
    case TSourceGestion::Aucune: return 0;
    case TSourceGestion::CriteresHierarchiques: return nDonCategoriesIPTC;
    case TSourceGestion::MotsCles:
        return nDonLegende | nDonDescription | nDonLegendeIPTC | nDonMotsClesIPTC | nDonCategoriesIPTC;
    case TSourceGestion::Legende: return nDonDescription | nDonLegendeIPTC;
    case TSourceGestion::Description: return nDonLegende | nDonLegendeIPTC;
    case TSourceGestion::CommentaireEXIF: return nDonLegende | nDonDescription | nDonLegendeIPTC;
    case TSourceGestion::LegendeIPTC: return nDonLegende | nDonDescription;
    case TSourceGestion::MotsClesIPTC:
        return nDonMotsCles | nDonLegende | nDonDescription | nDonLegendeIPTC | nDonCategoriesIPTC;
    case TSourceGestion::CategoriesIPTC: return nDonLegende | nDonDescription | nDonLegendeIPTC | nDonMotsClesIPTC;
    case TSourceGestion::Constante:
        return nDonMotsCles | nDonLegende | nDonDescription | nDonLegendeIPTC | nDonMotsClesIPTC | nDonCategoriesIPTC;
    }
    return 0;
}

int DonneesTouchees(const TParamsGestion &P)
{
    if (!P.lCopier)
        return P.nSuppressions & (nDonMotsCles | nDonLegende | nDonDescription | nDonIPTC);
    if (P.nSource == TSourceGestion::Constante && P.cConstante.trimmed().isEmpty())
        return 0;
    return P.nDestinations & DestinationsPermises(P.nSource);
}

bool TraitementPossible(const TParamsGestion &P, int nImagesCochees)
{
    return nImagesCochees > 0 && DonneesTouchees(P) != 0;
}

QString MotsClesCopies(const QString &cTexte, bool &lAvertissement)
{
    const QStringList Liste = Mots(cTexte.toUpper());
    QStringList Gardes;
    for (qsizetype i = 0; i < Liste.size(); ++i) {
        const QString &m = Liste[i];
        if (!std::all_of(m.begin(), m.end(), CaractereMotCle)) {
            lAvertissement = true;
            continue;
        }
        if (Liste.indexOf(m, i + 1) >= 0) {
            lAvertissement = true;
            continue;
        }
        Gardes << m;
    }
    return Gardes.join(QLatin1Char(' '));
}

TResultatGestion TraiteGestion(TStoresGestion &S, const TParamsGestion &P, QList<TImageGestion> &Images,
                               const std::function<void(int)> &fnImageFaite)
{
    TResultatGestion R;
    R.nTotal = int(Images.size());
    const int nDon = DonneesTouchees(P);
    if (nDon == 0)
        return R;
    bool lSetupModifie = false;
    // Descriptions of each folder, written once the batch is through: folder → (name, text),
    // and the images waiting on each folder's save.
    QHash<QString, QList<std::pair<QString, QString>>> DescriptionsDossiers;
    QHash<QString, QList<int>> ImagesDossiers;
    QStringList OrdreDossiers;

    QList<QString> Raisons(Images.size());
    QList<TTacheIPTC> Taches;
    for (int i = 0; i < Images.size(); ++i) {
        TImageGestion &Im = Images[i];
        Im.lEchec = false;
        Im.lClassementChange = false;
        Im.lFichierChange = false;
        auto Echec = [&](const QString &cRaison = {}) {
            Im.lEchec = true;
            if (!cRaison.isEmpty() && Raisons[i].isEmpty())
                Raisons[i] = cRaison;
        };

        std::optional<TOperationsIPTC> Bloc;
        if (nDon & nDonIPTC) {
            if (Im.nNumCD != 0 || (S.pVolumes && !Im.cFichier.isEmpty() && S.pVolumes->VolumeDe(Im.cFichier).lCD))
                Echec(QStringLiteral("image sur un CD"));
            else if (Im.cFichier.isEmpty())
                Echec(QStringLiteral("fichier absent"));
            else
                Bloc.emplace();
        }

        auto EcritMotsCles = [&](const QString &c) {
            if (c.isEmpty())
                S.iniSetup.DeleteKey(cSectionMotsCles, Im.cCle);
            else
                S.iniSetup.WriteString(cSectionMotsCles, Im.cCle, c);
            lSetupModifie = Im.lClassementChange = true;
        };
        auto EcritLegende = [&](const QString &c) {
            if (c.isEmpty())
                S.iniSetup.DeleteKey(cSectionLegendes, Im.cCle);
            else
                S.iniSetup.WriteString(cSectionLegendes, Im.cCle, c);
            lSetupModifie = Im.lClassementChange = true;
        };
        auto EcritDescription = [&](const QString &c) {
            if (Im.nNumCD != 0) {
                Echec(QStringLiteral("description d'une image sur un CD"));
                return;
            }
            const qsizetype n = Im.cChemin.lastIndexOf(QLatin1Char('/'));
            const QString cDossier = Im.cChemin.left(n + 1);
            if (!DescriptionsDossiers.contains(cDossier))
                OrdreDossiers << cDossier;
            DescriptionsDossiers[cDossier].append({Im.cChemin.mid(n + 1), c});
            ImagesDossiers[cDossier].append(i);
            Im.lClassementChange = true;
        };

        if (P.lCopier) {
            const TSource Src = Source(S, P, Im);
            const bool lVide = Src.Liste ? Src.Liste->isEmpty() : Src.cTexte.isEmpty();
            if (lVide) {
                Echec();
                Bloc.reset();
            } else {
                if (nDon & nDonMotsCles) {
                    const QString c = MotsClesCopies(Src.cTexte, R.lAvertissement);
                    if (c.isEmpty())
                        Echec();
                    else
                        EcritMotsCles(c);
                }
                if (nDon & nDonLegende)
                    EcritLegende(Src.cTexte);
                if (nDon & nDonDescription)
                    EcritDescription(Src.cTexte);
                if (Bloc) {
                    if (nDon & nDonLegendeIPTC)
                        Bloc->RemplaceValeur(nDsLegende, Src.cTexte);
                    if (nDon & nDonMotsClesIPTC) {
                        Bloc->SupprimeValeurs(nDsMotsCles);
                        if (Src.Liste)
                            for (const QString &c : *Src.Liste)
                                Bloc->AjouteValeur(nDsMotsCles, c);
                        else
                            Bloc->AjouteValeur(nDsMotsCles, Src.cTexte);
                    }
                    if (nDon & nDonCategoriesIPTC) {
                        Bloc->SupprimeValeurs(nDsCatSuppl);
                        if (!Src.Liste) {
                            Bloc->RemplaceValeur(nDsCategorie, Src.cTexte);
                        } else {
                            QStringList l = *Src.Liste;
                            if (P.nSource == TSourceGestion::CriteresHierarchiques)
                                for (QString &c : l)
                                    c.replace(QLatin1Char('/'), QLatin1Char(' '));
                            Bloc->RemplaceValeur(nDsCategorie, l.first());
                            for (qsizetype k = 1; k < l.size(); ++k)
                                Bloc->AjouteValeur(nDsCatSuppl, l[k]);
                        }
                    }
                }
            }
        } else {
            if ((nDon & nDonMotsCles) && S.iniSetup.ValueExists(cSectionMotsCles, Im.cCle))
                EcritMotsCles({});
            if ((nDon & nDonLegende) && S.iniSetup.ValueExists(cSectionLegendes, Im.cCle))
                EcritLegende({});
            if (nDon & nDonDescription)
                EcritDescription({});
            if (Bloc) {
                if (nDon & nDonLegendeIPTC)
                    Bloc->SupprimeValeurs(nDsLegende);
                if (nDon & nDonMotsClesIPTC)
                    Bloc->SupprimeValeurs(nDsMotsCles);
                if (nDon & nDonCategoriesIPTC) {
                    Bloc->SupprimeValeurs(nDsCategorie);
                    Bloc->SupprimeValeurs(nDsCatSuppl);
                }
            }
        }

        if (Bloc) {
            TTacheIPTC T;
            T.nImage = i;
            T.cFichier = Im.cFichier;
            T.Operations = std::move(*Bloc);
            Taches << std::move(T);
        }
    }

    ExecuteTaches(Taches, S.pVolumes);
    for (const TTacheIPTC &T : Taches) {
        TImageGestion &Im = Images[T.nImage];
        if (T.lOk) {
            Im.nTaille = T.nTaille;
            Im.Iptc = T.Iptc;
            Im.lFichierChange = true;
        } else {
            Im.lEchec = true;
            if (Raisons[T.nImage].isEmpty())
                Raisons[T.nImage] = T.cErreur;
        }
    }
    for (const QString &cDossier : OrdreDossiers) {
        if (S.Descriptions.EcritDescriptionsDossier(cDossier, DescriptionsDossiers.value(cDossier)))
            continue;
        for (int i : ImagesDossiers.value(cDossier)) {
            if (Raisons[i].isEmpty())
                Raisons[i] = QStringLiteral("description non enregistrée");
            Images[i].lEchec = true;
        }
    }
    for (int i = 0; i < Images.size(); ++i) {
        const TImageGestion &Im = Images[i];
        if (Im.lEchec && !Raisons[i].isEmpty())
            R.Erreurs << Nom(Im) + QStringLiteral(" : ") + Raisons[i];
        if (Im.lClassementChange || Im.lFichierChange)
            R.lQuelqueChose = true;
        if (fnImageFaite)
            fnImageFaite(i);
    }

    if (lSetupModifie && !S.iniSetup.UpdateFile())
        R.cErreurSauvegarde = QStringLiteral("Impossible d'enregistrer « %1 » : %2")
                                  .arg(S.iniSetup.FileName(), S.iniSetup.DerniereErreur());
    for (const TImageGestion &Im : Images)
        R.nEchecs += Im.lEchec ? 1 : 0;
    return R;
}

QString TexteRapportGestion(const TResultatGestion &r)
{
    const QString cAvert = r.lAvertissement ? cAvertissementMotsCles + QLatin1Char('\n') : QString();
    QString c =
        r.nEchecs == 0
            ? cAvert + QStringLiteral("Traitement terminé avec succès.")
            : QStringLiteral("%1%2 image(s) traitée(s) sur %3.").arg(cAvert).arg(r.nTotal - r.nEchecs).arg(r.nTotal);
    if (!r.Erreurs.isEmpty())
        c += QStringLiteral("\n\n") + r.Erreurs.join(QLatin1Char('\n'));
    if (!r.cErreurSauvegarde.isEmpty())
        c += QStringLiteral("\n\n") + r.cErreurSauvegarde;
    return c;
}

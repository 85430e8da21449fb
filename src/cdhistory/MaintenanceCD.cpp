#include "cdhistory/MaintenanceCD.h"

#include "imaging/FileKinds.h"
#include "imaging/NomVignette.h"
#include "metadata/CacheMeta.h"
#include "metadata/LectureMeta.h"
#include "platform/FrenchFormats.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <optional>
#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
QString PrefixeVolume(qint32 nIdCD)
{
    return QStringLiteral("<%1>").arg(nIdCD);
}

int EtatParLstat(const QString &cFichier)
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(cFichier).constData(), &st) == 0 ? 0 : errno;
}

void TrieFrancais(QStringList &Liste)
{
    std::sort(Liste.begin(), Liste.end(),
              [](const QString &a, const QString &b) { return FrenchFormats::Compare(a, b) < 0; });
}

void AjouteDescendants(TNoeudCD &Noeud, std::vector<TNoeudCD *> &Noeuds)
{
    for (auto &p : Noeud.Enfants) {
        if (p->Enr && p->Enr->lstChemins)
            Noeuds.push_back(p.get());
        AjouteDescendants(*p, Noeuds);
    }
}

int CompteListes(const TNoeudCD &Noeud)
{
    int n = Noeud.Enr && Noeud.Enr->lstChemins ? int(Noeud.Enr->lstChemins->size()) : 0;
    for (const auto &p : Noeud.Enfants)
        n += CompteListes(*p);
    return n;
}

// A thumbnail goes even when it was made read-only; one that cannot go is left.
bool SupprimeFichierVignette(const QString &cFichier)
{
    QFileInfo Info(cFichier);
    if (!Info.exists() && !Info.isSymLink())
        return true;
    QFile f(cFichier);
    f.setPermissions(f.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
    return f.remove();
}

bool VolumeAUneCle(const TBigIniFile &iniSetup, qint32 nIdCD)
{
    QStringList Cles;
    iniSetup.ReadSection(cSectionTaillesVignettes, Cles);
    const QString cPrefixe = PrefixeVolume(nIdCD);
    return std::any_of(Cles.cbegin(), Cles.cend(), [&](const QString &c) { return c.startsWith(cPrefixe); });
}

// Puts a file at cCible, replacing what is there: a hard link when the file system allows it,
// else a copy; through a temporary name, so that cCible is never half written.
// The file a placed thumbnail is written as before it takes its name, in the same folder: one
// name for all, since a shortened name leaves no room for a suffix.
QString Temporaire(const QString &cCible)
{
    return QFileInfo(cCible).path() + QStringLiteral("/.vignette.remplacement");
}

bool PlaceFichier(const QString &cSource, const QString &cCible)
{
    if (QFileInfo(cSource).absoluteFilePath() == QFileInfo(cCible).absoluteFilePath())
        return true;
    const QString cTemp = Temporaire(cCible);
    QFile::remove(cTemp);
    const QByteArray Source = QFile::encodeName(cSource);
    const QByteArray Temp = QFile::encodeName(cTemp);
    if (::link(Source.constData(), Temp.constData()) != 0) {
        if (!QFile::copy(cSource, cTemp)) {
            QFile::remove(cTemp);
            return false;
        }
    }
    if (::rename(Temp.constData(), QFile::encodeName(cCible).constData()) != 0) {
        QFile::remove(cTemp);
        return false;
    }
    return true;
}
// The JPEG bytes with the key comment of a shortened thumbnail name replaced by Nouveau (the
// other segments as they were); empty when the bytes hold no such comment before the scan.
QByteArray AvecNouvelleCle(const QByteArray &Jpeg, const QByteArray &Nouveau)
{
    const QByteArray Marque = QByteArrayLiteral("Vimbrel-cle:"); // as CommentaireVignette begins
    if (Jpeg.size() < 4 || uchar(Jpeg[0]) != 0xFF || uchar(Jpeg[1]) != 0xD8 || Nouveau.size() > 65533)
        return {};
    for (qsizetype i = 2; i + 4 <= Jpeg.size();) {
        const uchar m = uchar(Jpeg[i + 1]);
        const qsizetype nLong = (uchar(Jpeg[i + 2]) << 8) | uchar(Jpeg[i + 3]);
        if (uchar(Jpeg[i]) != 0xFF || m == 0xDA || nLong < 2 || i + 2 + nLong > Jpeg.size())
            return {};
        if (m == 0xFE && QByteArrayView(Jpeg).sliced(i + 4, nLong - 2).startsWith(Marque)) {
            const qsizetype n = Nouveau.size() + 2;
            QByteArray Segment("\xFF\xFE", 2);
            Segment.append(char((n >> 8) & 0xFF)).append(char(n & 0xFF)).append(Nouveau);
            return Jpeg.left(i) + Segment + Jpeg.mid(i + 2 + nLong);
        }
        i += 2 + nLong;
    }
    return {};
}

// Places a shortened thumbnail under its new name with its comment naming the new key: a new
// file (never a link, which would change the source's file too), written beside the target,
// dated as the source, then renamed over it.
bool PlaceVignetteRecle(const QString &cSource, const QString &cCible, qint32 nVolume, const QString &cChemin)
{
    QFile f(cSource);
    if (!f.open(QIODevice::ReadOnly) || f.size() > (64 << 20))
        return false;
    const QByteArray Octets = AvecNouvelleCle(f.readAll(), CommentaireVignette(nVolume, cChemin));
    if (Octets.isEmpty())
        return false;
    struct stat st
    {
    };
    const bool lDate = ::fstat(f.handle(), &st) == 0;
    f.close();
    const QString cTemp = Temporaire(cCible);
    QFile t(cTemp);
    if (!t.open(QIODevice::WriteOnly | QIODevice::Truncate) || t.write(Octets) != Octets.size() || !t.flush()) {
        t.close();
        QFile::remove(cTemp);
        return false;
    }
    if (lDate) {
        const struct timespec Dates[2] = {st.st_atim, st.st_mtim};
        ::futimens(t.handle(), Dates);
    }
    t.close();
    if (::rename(QFile::encodeName(cTemp).constData(), QFile::encodeName(cCible).constData()) != 0) {
        QFile::remove(cTemp);
        return false;
    }
    return true;
}
} // namespace

TSourcesDonneesCD DonneesRelues(const QString &cFichier, const TContexteFocale &Focale, TDescriptions *pDescriptions)
{
    TSourcesDonneesCD d;
    d.EcritMetadonnees = [cFichier, Focale](TBigIniFile &iniSetup, const QString &cCle) {
        TDonneesEXIF EXIF;
        TDonneesIPTC IPTC;
        AppliqueMetaImage(LitMetaImage(cFichier), EXIF, IPTC, Focale);
        // Each writer keeps a record only when the image has such data.
        EcrireEXIFCatalogue(iniSetup, cCle, EXIF);
        EcrireIPTCCatalogue(iniSetup, cCle, IPTC);
    };
    d.pDescriptions = pDescriptions;
    d.lTrtDescription = pDescriptions != nullptr;
    return d;
}

const TNoeudCD *NoeudCDDe(const TNoeudCD *pNoeud)
{
    while (pNoeud && pNoeud->nNiveau > 1)
        pNoeud = pNoeud->pParent;
    return pNoeud && pNoeud->nNiveau == 1 ? pNoeud : nullptr;
}

int NombreImagesSuppression(const TNoeudCD &Noeud, TPorteeSuppressionCD nPortee)
{
    if (nPortee == TPorteeSuppressionCD::Dossier)
        return Noeud.Enr && Noeud.Enr->lstChemins ? int(Noeud.Enr->lstChemins->size()) : 0;
    return CompteListes(Noeud);
}

QString QuestionSuppression(const TNoeudCD &Noeud, TPorteeSuppressionCD nPortee)
{
    const TNoeudCD *pCD = NoeudCDDe(&Noeud);
    const QString cCD = pCD ? pCD->cTexte : QString();
    if (nPortee == TPorteeSuppressionCD::Obsoletes)
        return QStringLiteral("Suppression des Images obsolètes (de tout le CD %1) ?").arg(cCD);
    const QString cDossier =
        pCD == &Noeud ? QStringLiteral("<RACINE !!!>") : QLatin1Char('\'') + Noeud.cTexte + QLatin1Char('\'');
    QString c = QStringLiteral("CD : %1, Dossier : %2\r\n").arg(cCD, cDossier)
                + QStringLiteral("Supprimer toutes les informations concernant les %1 images ainsi que les "
                                 "vignettes correspondantes ?")
                      .arg(NombreImagesSuppression(Noeud, nPortee));
    if (nPortee == TPorteeSuppressionCD::DossierEtFils)
        c += QStringLiteral("\r\nAttention, suppression récursive !!!");
    return c;
}

TBilanSuppressionCD SupprimeImagesCD(TNoeudCD &Noeud, TPorteeSuppressionCD nPortee, TStoresCD Stores,
                                     const IVolumes &Volumes, const TParamsSuppressionCD &Params)
{
    TBilanSuppressionCD Bilan;
    const TNoeudCD *pCD = NoeudCDDe(&Noeud);
    if (!pCD || !Noeud.Enr)
        return Bilan;
    const qint32 nIdCD = Noeud.Enr->nIdCD;
    const QString cAbsent = QStringLiteral("Le CD %1 n'est pas présent dans le lecteur.").arg(pCD->cTexte);

    std::vector<TNoeudCD *> Noeuds;
    if (Noeud.Enr->lstChemins)
        Noeuds.push_back(&Noeud);
    if (nPortee != TPorteeSuppressionCD::Dossier)
        AjouteDescendants(Noeud, Noeuds);

    // Which paths go, per node; for obsolete images decided by a whole walk before any change.
    std::vector<std::vector<char>> Supprimer(Noeuds.size());
    if (nPortee == TPorteeSuppressionCD::Obsoletes) {
        const TLecteursCD Lecteurs(Volumes);
        const QStringList Points = Lecteurs.PointsDeMontage(nIdCD);
        if (Points.isEmpty()) {
            Bilan.lCDAbsent = true;
            Bilan.cMessage = cAbsent;
            return Bilan;
        }
        const auto fnEtat = Params.fnEtatFichier ? Params.fnEtatFichier : EtatParLstat;
        int nImage = 0;
        for (size_t k = 0; k < Noeuds.size(); ++k) {
            const QStringList &Chemins = *Noeuds[k]->Enr->lstChemins;
            Supprimer[k].assign(size_t(Chemins.size()), 0);
            for (qsizetype i = 0; i < Chemins.size(); ++i) {
                const QString cSurCD = Chemins[i].startsWith(QLatin1Char('/')) ? Chemins[i].mid(1) : Chemins[i];
                // Obsolete only when every mount of the disc says the file does not exist: an
                // I/O error says nothing about the file.
                bool lManquant = true;
                for (const QString &cPoint : Points) {
                    const int nErr = fnEtat(cPoint + cSurCD);
                    if (nErr != ENOENT && nErr != ENOTDIR) {
                        lManquant = false;
                        break;
                    }
                }
                Supprimer[k][size_t(i)] = lManquant ? 1 : 0;
                if (Params.fnApresImage)
                    Params.fnApresImage(++nImage);
            }
        }
        // A disc ejected during the walk made its files look missing: nothing is removed.
        if (TLecteursCD(Volumes).PointsDeMontage(nIdCD) != Points) {
            Bilan.lCDAbsent = true;
            Bilan.cMessage = cAbsent;
            return Bilan;
        }
    } else {
        for (size_t k = 0; k < Noeuds.size(); ++k)
            Supprimer[k].assign(size_t(Noeuds[k]->Enr->lstChemins->size()), 1);
    }

    const QStringList Sections = ListeSectionsImage(Stores.iniSetup, cSectionsHistoriqueCD);
    bool lSetupModifie = false;
    bool lBDDModifie = false;
    for (size_t k = 0; k < Noeuds.size(); ++k) {
        TNoeudCD &n = *Noeuds[k];
        QStringList &Chemins = *n.Enr->lstChemins;
        for (qsizetype i = Chemins.size() - 1; i >= 0; --i) {
            if (!Supprimer[k][size_t(i)])
                continue;
            const QString cChemin = Chemins[i];
            ++Bilan.nSupprimees;
            if (!SupprimeFichierVignette(NomVignette(Stores.cDossierVignettes, nIdCD, cChemin)))
                ++Bilan.nVignettesRestees;
            const QString cCle = CleImage(nIdCD, cChemin);
            if (SupprimeDonnees(Stores.iniSetup, Sections, cCle))
                lSetupModifie = true;
            if (SupprimeCriteres(Stores.iniBDD, cCle))
                lBDDModifie = true;
            Chemins.removeAt(i);
        }
        if (Chemins.isEmpty()) {
            n.Enr->lstChemins.reset();
            n.nIcone = 0;
        }
    }

    if (Bilan.nSupprimees > 0) {
        // The label follows the keys, not the folder: thumbnails deleted by hand leave the
        // history, and its label, in place.
        const QString cId = IdVolume(static_cast<quint32>(nIdCD));
        if (!VolumeAUneCle(Stores.iniSetup, nIdCD) && Stores.iniSetup.ValueExists(cSectionLabelsCD, cId)) {
            Stores.iniSetup.DeleteKey(cSectionLabelsCD, cId);
            Bilan.lLabelSupprime = true;
            lSetupModifie = true;
        }
        Bilan.lDossierVignettesRetire = QDir().rmdir(Stores.cDossierVignettes + cId);
    }
    EnregistreSiModifie(Stores.iniBDD, lBDDModifie, Bilan.Erreurs);
    EnregistreSiModifie(Stores.iniSetup, lSetupModifie, Bilan.Erreurs);
    Bilan.cMessage = QStringLiteral("%1 Image(s) supprimée(s).").arg(Bilan.nSupprimees);
    return Bilan;
}

QStringList CheminsHistoriqueCD(const TBigIniFile &iniSetup, qint32 nIdCD)
{
    QStringList Cles;
    iniSetup.ReadSection(cSectionTaillesVignettes, Cles);
    const QString cPrefixe = PrefixeVolume(nIdCD);
    QStringList Chemins;
    for (const QString &c : std::as_const(Cles)) {
        if (!c.startsWith(cPrefixe))
            continue;
        const TEnrLST e = DecomposeCle(c);
        if (e.nVolume == nIdCD)
            Chemins << e.cChemin;
    }
    return Chemins;
}

QStringList ImagesSansCritere(const TBigIniFile &iniSetup, const TBigIniFile &iniBDD, qint32 nIdCD)
{
    QStringList Liste;
    for (const QString &cChemin : CheminsHistoriqueCD(iniSetup, nIdCD))
        if (!ADesDonnees(iniBDD, iniSetup, CleImage(nIdCD, cChemin)))
            Liste << cChemin;
    TrieFrancais(Liste);
    return Liste;
}

QStringList TitresListeCD()
{
    return {QStringLiteral("Nom"), QStringLiteral("Emplacement"), QStringLiteral("Résol."), QStringLiteral("Taille"),
            QStringLiteral("Date")};
}

QList<TLigneListeCD> LignesListeCD(const TStoresCD &Stores, const TLecteursCD &Lecteurs, qint32 nVolume,
                                   const QStringList &Chemins)
{
    QList<TLigneListeCD> Lignes;
    Lignes.reserve(Chemins.size());
    for (const QString &cChemin : Chemins) {
        TLigneListeCD l;
        const QString cCle = CleImage(nVolume, cChemin);
        const qsizetype nBarre = cChemin.lastIndexOf(QLatin1Char('/'));
        l.cNom = cChemin.mid(nBarre + 1);
        l.cEmplacement = nBarre >= 0 ? cChemin.left(nBarre + 1) : QString();
        bool lOk = false;
        const qint64 nRes = Stores.iniSetup.ReadString(cSectionResolutionsVignettes, cCle, QString()).toLongLong(&lOk);
        const qint64 nR = lOk && nRes > 0 ? nRes : 0;
        l.cResolution = QStringLiteral("%1x%2").arg(nR & 0xFFFF).arg((nR >> 16) & 0xFFFF);
        const qint64 nTaille = Stores.iniSetup.ReadString(cSectionTaillesVignettes, cCle, QString()).toLongLong(&lOk);
        if (lOk && nTaille > 0)
            l.cTaille = TexteTaille(nTaille);
        l.nIcone = ADesDonnees(Stores.iniBDD, Stores.iniSetup, cCle) ? 4 : 0;
        l.nVolume = nVolume;
        l.cChemin = cChemin;
        LecteurDeCle(Lecteurs, nVolume, cChemin, l.cLecteur);
        l.cFichierVignette = NomVignette(Stores.cDossierVignettes, nVolume, cChemin);
        const QFileInfo Info(l.cFichierVignette);
        l.lTrouve = Info.isFile();
        if (l.lTrouve)
            l.cDate = FrenchFormats::DateHeure(Info.lastModified());
        Lignes << l;
    }
    return Lignes;
}

TComparaisonCD CompareCD(const TBigIniFile &iniSetup, qint32 nSource, qint32 nDestination)
{
    TComparaisonCD r;
    QStringList Cles;
    iniSetup.ReadSection(cSectionTaillesVignettes, Cles);
    const QSet<QString> Toutes(Cles.cbegin(), Cles.cend());
    for (const QString &cCle : std::as_const(Cles)) {
        if (!cCle.startsWith(QLatin1Char('<')))
            continue;
        const TEnrLST e = DecomposeCle(cCle);
        if (e.nVolume == nSource) {
            if (Toutes.contains(CleImage(nDestination, e.cChemin)))
                ++r.nCommunes;
            else
                r.SourceSeule << e.cChemin;
        } else if (e.nVolume == nDestination && !Toutes.contains(CleImage(nSource, e.cChemin))) {
            r.DestinationSeule << e.cChemin;
        }
    }
    TrieFrancais(r.SourceSeule);
    TrieFrancais(r.DestinationSeule);
    return r;
}

QString QuestionRemplacement(const QString &cCaption, qint32 nDestination, const QString &cLabelDestination)
{
    return cCaption + QStringLiteral("\r\n")
           + QStringLiteral("%1 - \"%2\" ?").arg(IdVolume(static_cast<quint32>(nDestination)), cLabelDestination);
}

QString QuestionRemplacementReference()
{
    return QStringLiteral("Remplacement d'un CD (source) par un autre (destination) déjà référencé...\r\n"
                          "Si des images sont communes aux 2 CDs, les critères\r\n"
                          "retenus seront ceux de l'image du CD source.\r\n\r\nEffectuer le remplacement ?");
}

TBilanRemplacementCD RemplaceCD(TStoresCD Stores, qint32 nSource, qint32 nDestination, const QString &cLabelDestination,
                                const TParamsRemplacementCD &Params)
{
    TBilanRemplacementCD Bilan;
    if (nSource == nDestination) {
        Bilan.lRefuse = true;
        Bilan.cMessage = QStringLiteral("Le CD de destination est le CD source.");
        return Bilan;
    }
    const QString cIdS = IdVolume(static_cast<quint32>(nSource));
    const QString cIdD = IdVolume(static_cast<quint32>(nDestination));
    const QString cDossierS = Stores.cDossierVignettes + cIdS + QLatin1Char('/');
    const QString cDossierD = Stores.cDossierVignettes + cIdD + QLatin1Char('/');

    // 1. The thumbnails first: a stop later leaves S's folder whole for the next run.
    const bool lDossierS = QFileInfo(cDossierS).isDir();
    if (lDossierS) {
        QDir().mkpath(cDossierD);
        QDirIterator it(cDossierS, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString cFichier = it.next();
            const QString cRelatif = cFichier.mid(cDossierS.size());
            if (cRelatif.endsWith(QStringLiteral(".remplacement")))
                continue;
            QString cCible = cDossierD + cRelatif;
            // A shortened name holds a hash of the whole key, volume included, and the key in
            // its comment: named anew, the comment rewritten.
            std::optional<TCleVignette> Cle;
            if (!cRelatif.contains(QLatin1Char('/')) && EstNomVignetteAbrege(cRelatif)) {
                Cle = CleDeFichierVignette(Stores.cDossierVignettes, cFichier);
                if (Cle && Cle->nVolume == nSource)
                    cCible = NomVignette(Stores.cDossierVignettes, nDestination, Cle->cChemin);
                else
                    Cle.reset();
            }
            QDir().mkpath(QFileInfo(cCible).absolutePath());
            if (Cle ? PlaceVignetteRecle(cFichier, cCible, nDestination, Cle->cChemin) : PlaceFichier(cFichier, cCible))
                ++Bilan.nVignettesCopiees;
            else
                ++Bilan.nVignettesManquees;
        }
    }

    // 2. The per-image keys of S, in place, S's lines winning.
    const QString cPrefixe = PrefixeVolume(nSource);
    auto Nouvelle = [&](const QString &cCle) {
        const TEnrLST e = DecomposeCle(cCle);
        return e.nVolume == nSource ? CleImage(nDestination, e.cChemin) : QString();
    };
    bool lSetupModifie = false;
    for (const QString &cSection : ListeSectionsImage(Stores.iniSetup, cSectionsHistoriqueCD)) {
        const int n = Stores.iniSetup.RecleSection(cSection, cPrefixe, Nouvelle);
        if (n > 0)
            lSetupModifie = true;
        if (cSection.compare(cSectionTaillesVignettes, Qt::CaseInsensitive) == 0)
            Bilan.nImages = n;
    }

    // 3. The catalogue sections of S take their new names, replacing D's.
    bool lBDDModifie = false;
    {
        QStringList Noms;
        Stores.iniBDD.ReadSections(Noms);
        for (const QString &cNom : std::as_const(Noms)) {
            if (!cNom.startsWith(cPrefixe))
                continue;
            const QString cNouveau = Nouvelle(cNom);
            if (!cNouveau.isEmpty() && Stores.iniBDD.RenommeSection(cNom, cNouveau))
                lBDDModifie = true;
        }
    }

    // 4. The label follows the history; an empty one is never written.
    if (Stores.iniSetup.ValueExists(cSectionLabelsCD, cIdS)) {
        Stores.iniSetup.DeleteKey(cSectionLabelsCD, cIdS);
        lSetupModifie = true;
    }
    if (!cLabelDestination.isEmpty()
        && Stores.iniSetup.ReadString(cSectionLabelsCD, cIdD, QString()) != cLabelDestination) {
        Stores.iniSetup.WriteString(cSectionLabelsCD, cIdD, cLabelDestination);
        lSetupModifie = true;
    }
    Bilan.lFait = true;

    // 5. Catalogue, then settings: until the settings are saved, S's history is still there for
    // a second run, which finds the catalogue sections already under D.
    EnregistreSiModifie(Stores.iniBDD, lBDDModifie, Bilan.Erreurs);
    if (!Bilan.Erreurs.isEmpty())
        return Bilan;
    if (Params.fnEntreSauvegardes)
        Params.fnEntreSauvegardes();
    EnregistreSiModifie(Stores.iniSetup, lSetupModifie, Bilan.Erreurs);
    if (!Bilan.Erreurs.isEmpty())
        return Bilan;

    // 6. S's folder goes last, and only when all of it reached D's.
    if (lDossierS) {
        if (Bilan.nVignettesManquees == 0)
            Bilan.lDossierSourceRetire = QDir(cDossierS).removeRecursively();
        if (!Bilan.lDossierSourceRetire)
            Bilan.cMessage = QStringLiteral("%1 vignette(s) n'ont pas pu être copiée(s) : le dossier %2 est conservé.")
                                 .arg(Bilan.nVignettesManquees)
                                 .arg(QDir::toNativeSeparators(cDossierS));
    }
    return Bilan;
}

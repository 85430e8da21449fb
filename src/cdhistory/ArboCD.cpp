#include "cdhistory/ArboCD.h"

#include "exploration/ListeImages.h"
#include "filters/ImageFiltree.h"
#include "imaging/FileKinds.h"
#include "imaging/NomVignette.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"

#include <QFile>
#include <QHash>

#include <algorithm>

#include <sys/stat.h>

namespace
{
// The key of a node among all the nodes of the tree: its CD and its folder, compared exactly.
QString CleNoeud(qint32 nIdCD, const QString &cDossier)
{
    return QString::number(nIdCD) + QLatin1Char(' ') + cDossier;
}

TNoeudCD *NouveauNoeud(TNoeudCD *pParent, const QString &cTexte, qint32 nIdCD, const QString &cDossier)
{
    auto p = std::make_unique<TNoeudCD>();
    p->cTexte = cTexte;
    p->pParent = pParent;
    p->nNiveau = pParent->nNiveau + 1;
    p->nIcone = 0;
    p->cDossier = cDossier;
    p->Enr = TEnrNoeudCD{nIdCD, 0, std::nullopt};
    TNoeudCD *pNoeud = p.get();
    pParent->Enfants.push_back(std::move(p));
    return pNoeud;
}

void MetTotal(TNoeudCD &Noeud, int nTotal)
{
    if (Noeud.Enr)
        Noeud.Enr->nNbImagesCD = nTotal;
    for (auto &p : Noeud.Enfants)
        MetTotal(*p, nTotal);
}

int CompteImages(const TNoeudCD &Noeud)
{
    int n = Noeud.Enr && Noeud.Enr->lstChemins ? int(Noeud.Enr->lstChemins->size()) : 0;
    for (const auto &p : Noeud.Enfants)
        n += CompteImages(*p);
    return n;
}

qint64 DateVignette(const QString &cFichier)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(cFichier).constData(), &st) != 0)
        return 0;
    return static_cast<qint64>(st.st_mtime);
}
} // namespace

QString LegendeCD(const TBigIniFile &iniSetup, qint32 nIdCD)
{
    const QString cId = IdVolume(static_cast<quint32>(nIdCD));
    const QString cLabel = iniSetup.ReadString(cSectionLabelsCD, cId, QString());
    if (cLabel.isEmpty())
        return cId;
    return QStringLiteral("%1 - \"%2\"").arg(cId, cLabel);
}

TArboCD ConstruitArboCD(const TBigIniFile &iniSetup, const TEnrHistoCD &Place)
{
    QStringList Cles;
    iniSetup.ReadSection(cSectionTaillesVignettes, Cles);
    return ConstruitArboCD(Cles, iniSetup, Place);
}

TArboCD ConstruitArboCD(const QStringList &Cles, const TBigIniFile &iniSetup, const TEnrHistoCD &Place)
{
    struct TCleTriee
    {
        QString cTri;
        TEnrLST Enr;
    };
    std::vector<TCleTriee> Triees;
    Triees.reserve(size_t(Cles.size()));
    QHash<qint32, QString> Ids;
    for (const QString &cCle : Cles) {
        TEnrLST e = DecomposeCle(cCle);
        // Keys of images off CDs share the section; a CD key always has its path from the root.
        if (e.nVolume == 0 || !e.cChemin.startsWith(QLatin1Char('/')))
            continue;
        auto it = Ids.find(e.nVolume);
        if (it == Ids.end())
            it = Ids.insert(e.nVolume, IdVolume(static_cast<quint32>(e.nVolume)));
        Triees.push_back({*it + e.cChemin.toUpper(), std::move(e)});
    }
    TArboCD Arbo;
    if (Triees.empty())
        return Arbo;
    // Paths equal but for case are ordered by their exact spelling, so that the order does not
    // depend on the store's.
    std::sort(Triees.begin(), Triees.end(), [](const TCleTriee &a, const TCleTriee &b) {
        if (const int n = a.cTri.compare(b.cTri); n != 0)
            return n < 0;
        if (a.Enr.nVolume != b.Enr.nVolume)
            return a.Enr.nVolume < b.Enr.nVolume;
        return a.Enr.cChemin < b.Enr.cChemin;
    });

    Arbo.Racine = std::make_unique<TNoeudCD>();
    TNoeudCD *pRacine = Arbo.Racine.get();
    pRacine->cTexte = QStringLiteral("CDs");
    pRacine->nIcone = 4;

    QHash<QString, TNoeudCD *> Noeuds;
    QHash<qint32, TNoeudCD *> CDs;
    TNoeudCD *pDossier = nullptr;
    qint32 nVolumeDossier = 0;
    QString cDossierCourant;
    for (TCleTriee &t : Triees) {
        const qint32 nId = t.Enr.nVolume;
        const QString &cChemin = t.Enr.cChemin;
        // The folder with its final "/": "/" for an image at the disc's root.
        const QString cDossier = cChemin.left(cChemin.lastIndexOf(QLatin1Char('/')) + 1);
        if (!pDossier || nId != nVolumeDossier || cDossier != cDossierCourant) {
            pDossier = Noeuds.value(CleNoeud(nId, cDossier));
            if (!pDossier) {
                TNoeudCD *pCD = CDs.value(nId);
                if (!pCD) {
                    pCD = NouveauNoeud(pRacine, LegendeCD(iniSetup, nId), nId, QStringLiteral("/"));
                    CDs.insert(nId, pCD);
                    Noeuds.insert(CleNoeud(nId, pCD->cDossier), pCD);
                }
                TNoeudCD *pNoeud = pCD;
                qsizetype nDebut = 1;
                while (nDebut < cDossier.size()) {
                    const qsizetype nFin = cDossier.indexOf(QLatin1Char('/'), nDebut);
                    const QString cSousDossier = cDossier.left(nFin + 1);
                    TNoeudCD *&pEnfant = Noeuds[CleNoeud(nId, cSousDossier)];
                    if (!pEnfant)
                        pEnfant = NouveauNoeud(pNoeud, cDossier.mid(nDebut, nFin - nDebut), nId, cSousDossier);
                    pNoeud = pEnfant;
                    nDebut = nFin + 1;
                }
                pDossier = pNoeud;
            }
            if (!pDossier->Enr->lstChemins) {
                pDossier->Enr->lstChemins = QStringList();
                pDossier->nIcone = 2;
            }
            nVolumeDossier = nId;
            cDossierCourant = cDossier;
        }
        pDossier->Enr->lstChemins->append(cChemin);
    }

    for (auto &pCD : pRacine->Enfants)
        MetTotal(*pCD, CompteImages(*pCD));

    if (Place.nIdCD != 0 && !Place.cDossier.isEmpty())
        Arbo.pChoisi = Noeuds.value(CleNoeud(Place.nIdCD, Place.cDossier));
    if (!Arbo.pChoisi)
        Arbo.pChoisi = pRacine;
    return Arbo;
}

TEnrHistoCD PlaceDeNoeud(const TNoeudCD *pNoeud)
{
    // The node's own folder, so that a folder without images of its own is found again too.
    if (!pNoeud || !pNoeud->Enr)
        return {};
    return {pNoeud->Enr->nIdCD, pNoeud->cDossier};
}

const TNoeudCD *TrouveNoeudCD(const TArboCD &Arbo, const TEnrHistoCD &Place)
{
    if (!Arbo.Racine || Place.nIdCD == 0 || !Place.cDossier.startsWith(QLatin1Char('/')))
        return nullptr;
    const TNoeudCD *p = nullptr;
    for (const auto &e : Arbo.Racine->Enfants)
        if (e->Enr && e->Enr->nIdCD == Place.nIdCD)
            p = e.get();
    while (p && p->cDossier != Place.cDossier) {
        const TNoeudCD *pSuivant = nullptr;
        for (const auto &e : p->Enfants)
            if (Place.cDossier.startsWith(e->cDossier)) {
                pSuivant = e.get();
                break;
            }
        p = pSuivant;
    }
    return p;
}

QString BulleNoeudCD(const TNoeudCD *pNoeud)
{
    if (!pNoeud)
        return {};
    if (!pNoeud->Enr)
        return QStringLiteral("%1 CDs").arg(pNoeud->Enfants.size());
    const TEnrNoeudCD &e = *pNoeud->Enr;
    if (e.lstChemins)
        return QStringLiteral("%1 - %2 image(s) / %3").arg(pNoeud->cTexte).arg(e.lstChemins->size()).arg(e.nNbImagesCD);
    return QStringLiteral("%1 - %2 image(s)").arg(IdVolume(static_cast<quint32>(e.nIdCD))).arg(e.nNbImagesCD);
}

qint64 ListeNoeudCD(const TNoeudCD &Noeud, TListeur &Listeur, TContexteListe &Ctx,
                    const std::function<bool(TCandidatFiltre &)> &fnFiltre, bool lRecursif, bool lCompteSeul)
{
    if (!Noeud.Enr)
        return 0;
    // The CDs in the drives when the listing begins, asked once for every image.
    std::optional<TLecteursCD> Lecteurs;
    if (Ctx.pVolumes && !lCompteSeul)
        Lecteurs.emplace(*Ctx.pVolumes);
    qint64 nCompteur = 0;
    std::function<void(const TNoeudCD &)> Liste = [&](const TNoeudCD &n) {
        const qint32 nId = n.Enr->nIdCD;
        if (n.Enr->lstChemins) {
            for (const QString &cChemin : std::as_const(*n.Enr->lstChemins)) {
                if (!Listeur.lListage)
                    return;
                if (lCompteSeul) {
                    ++nCompteur;
                    continue;
                }
                if (Ctx.lFiltreLong && Ctx.AvanceProgression && Ctx.AvanceProgression())
                    Listeur.lListage = false;
                QString cLecteur;
                qint64 nTaille = 0, nDate = 0;
                if (Lecteurs && LecteurDeCle(*Lecteurs, nId, cChemin, cLecteur)) {
                    if (cLecteur.endsWith(QLatin1Char('/')))
                        cLecteur.chop(1);
                    TailleEtDate(cLecteur + cChemin, nTaille, nDate);
                } else {
                    nDate = DateVignette(NomVignette(Ctx.cDossierVignettes, nId, cChemin));
                    if (Ctx.iniSetup)
                        nTaille = Ctx.iniSetup->ReadString(cSectionTaillesVignettes, CleImage(nId, cChemin), QString())
                                      .toLongLong();
                }
                quint8 nPctCouleur = 0, nPctMotif = 0;
                bool lPasse = true;
                if (fnFiltre) {
                    TCandidatFiltre c;
                    c.nNumCD = nId;
                    c.cChemin = cChemin;
                    c.lTailleDate = true;
                    c.nTaille = nTaille;
                    c.nDate = nDate;
                    lPasse = fnFiltre(c);
                    nPctCouleur = c.nPctCouleur;
                    nPctMotif = c.nPctMotif;
                }
                if (lPasse) {
                    Listeur.AjouteEntree(nId, cChemin, nTaille, nDate, false, nPctCouleur, nPctMotif);
                    ++nCompteur;
                }
                if (Ctx.Interrompre && Ctx.Interrompre())
                    Listeur.lListage = false;
            }
        }
        if (!lRecursif)
            return;
        for (const auto &p : n.Enfants) {
            if (!Listeur.lListage)
                return;
            Liste(*p);
        }
    };
    Liste(Noeud);
    return nCompteur;
}

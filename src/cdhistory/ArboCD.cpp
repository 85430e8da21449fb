#include "cdhistory/ArboCD.h"

#include "classification/ArboDossiers.h"

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
// The CD history's node of a folder node, with its sub-tree; a node's paths are those of its
// own images in the sorted list.
std::unique_ptr<TNoeudCD> NoeudHisto(const TNoeudDossier &Dossier, TNoeudCD *pParent, const std::vector<TEnrLST> &CD)
{
    auto p = std::make_unique<TNoeudCD>();
    p->cTexte = Dossier.cTexte;
    p->pParent = pParent;
    p->nNiveau = pParent->nNiveau + 1;
    p->nIcone = Dossier.Images ? 2 : 0;
    p->cDossier = Dossier.cDossier;
    p->Enr = TEnrNoeudCD{Dossier.nVolume, 0, std::nullopt};
    if (Dossier.Images) {
        QStringList Chemins;
        Chemins.reserve(qsizetype(Dossier.Images->size()));
        for (int i : *Dossier.Images)
            Chemins.append(CD[size_t(i)].cChemin);
        p->Enr->lstChemins = std::move(Chemins);
    }
    p->Enfants.reserve(Dossier.Enfants.size());
    for (const auto &e : Dossier.Enfants)
        p->Enfants.push_back(NoeudHisto(*e, p.get(), CD));
    return p;
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

TArboCD ConstruitArboCD(const TBigIniFile &iniSetup, const TEnrHistoCD &Place)
{
    QStringList Cles;
    iniSetup.ReadSection(cSectionTaillesVignettes, Cles);
    return ConstruitArboCD(Cles, iniSetup, Place);
}

TArboCD ConstruitArboCD(const QStringList &Cles, const TBigIniFile &iniSetup, const TEnrHistoCD &Place)
{
    std::vector<TEnrLST> Lues;
    Lues.reserve(size_t(Cles.size()));
    for (const QString &cCle : Cles) {
        TEnrLST e = DecomposeCle(cCle);
        // Keys of images off CDs share the section; a CD key always has its path from the root.
        if (e.nVolume != 0 && e.cChemin.startsWith(QLatin1Char('/')))
            Lues.push_back(std::move(e));
    }
    TArboCD Arbo;
    if (Lues.empty())
        return Arbo;
    std::vector<TEnrLST> CD;
    CD.reserve(Lues.size());
    for (int i : OrdreHistoCD(Lues))
        CD.push_back(std::move(Lues[size_t(i)]));
    // A path on a disc is kept as spelled: an empty name between two "/" is a folder too.
    const TArboDossiers Dossiers = ConstruitArboDossiers({}, CD, iniSetup, Qt::KeepEmptyParts);
    const TNoeudDossier &CDs = *Dossiers.Racines.front();

    Arbo.Racine = std::make_unique<TNoeudCD>();
    TNoeudCD *pRacine = Arbo.Racine.get();
    pRacine->cTexte = CDs.cTexte;
    pRacine->nIcone = CDs.nIcone;
    pRacine->Enfants.reserve(CDs.Enfants.size());
    for (const auto &e : CDs.Enfants)
        pRacine->Enfants.push_back(NoeudHisto(*e, pRacine, CD));
    for (auto &pCD : pRacine->Enfants)
        MetTotal(*pCD, CompteImages(*pCD));

    Arbo.pChoisi = const_cast<TNoeudCD *>(TrouveNoeudCD(Arbo, Place));
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

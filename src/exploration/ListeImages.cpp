#include "exploration/ListeImages.h"

#include "imaging/FileKinds.h"
#include "imaging/JpegCodec.h"
#include "platform/Volumes.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// Deep enough for any real tree; a deeper one is cut rather than exhausting the stack.
constexpr int nProfondeurMax = 200;

QString AvecBarre(QString c)
{
    if (!c.endsWith(QLatin1Char('/')))
        c += QLatin1Char('/');
    return c;
}

}

bool ADesDonneesListe(const TContexteListe &Ctx, const QString &cCle)
{
    if (!Ctx.iniSetup || !Ctx.iniBDD)
        return false;
    return ADesDonnees(*Ctx.iniBDD, *Ctx.iniSetup, cCle);
}

bool EstDansVignettes(const QString &cDossier, const QString &cDossierVignettes)
{
    if (cDossierVignettes.isEmpty() || cDossier.isEmpty())
        return false;
    const QString v = AvecBarre(QDir::cleanPath(cDossierVignettes));
    const QString d = AvecBarre(QDir::cleanPath(cDossier));
    if (d.startsWith(v))
        return true;
    // Reached through a link or another spelling of the same folder.
    const QString vc = QFileInfo(cDossierVignettes).canonicalFilePath();
    const QString dc = QFileInfo(cDossier).canonicalFilePath();
    return !vc.isEmpty() && !dc.isEmpty() && AvecBarre(dc).startsWith(AvecBarre(vc));
}

TListeur::TListeur(TModeleListeImages &Modele, TContexteListe &Ctx) : m_Modele(Modele), m_Ctx(Ctx)
{
    if (Ctx.pVolumes)
        m_Lecteurs = std::make_unique<TLecteursCD>(*Ctx.pVolumes);
    for (const QString &c : std::as_const(Modele.lstAppareils))
        m_Appareils.insert(c);
    struct stat st
    {
    };
    if (!Ctx.cDossierVignettes.isEmpty() && ::stat(QFile::encodeName(Ctx.cDossierVignettes).constData(), &st) == 0) {
        m_Vignettes = {static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
        m_lVignettesConnu = true;
    }
}

TListeur::~TListeur() = default;

qint32 TListeur::VolumeDeChemin(const QString &cChemin)
{
    if (!m_Lecteurs)
        return 0;
    const TVolume v = m_Lecteurs->VolumeDe(cChemin);
    if (!v.lCD || v.nSerie == 0)
        return 0;
    if (!m_VolumesVus.contains(v.nSerie)) {
        m_VolumesVus.insert(v.nSerie);
        // A label is recorded once and never updated afterwards.
        const QString cId = IdVolume(v.nSerie);
        const QString &cSection = cSectionLabelsCD;
        if (m_Ctx.iniSetup && !v.cLabel.isEmpty() && !m_Ctx.iniSetup->ValueExists(cSection, cId)) {
            m_Ctx.iniSetup->WriteString(cSection, cId, v.cLabel);
            m_Ctx.iniSetup->UpdateFile();
        }
    }
    return static_cast<qint32>(v.nSerie);
}

void TListeur::ParcourtDossier(const QString &cDossier, qint64 &nCompteur, bool lRecursif, bool lCompteSeul)
{
    const QString d = AvecBarre(cDossier);
    if (EstDansVignettes(d, m_Ctx.cDossierVignettes))
        return;
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(d).constData(), &st) == 0)
        m_DossiersVus.insert({static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)});
    Parcourt(d, nCompteur, lRecursif, lCompteSeul, 0);
}

void TListeur::Parcourt(const QString &cDossier, qint64 &nCompteur, bool lRecursif, bool lCompteSeul, int nProfondeur)
{
    const QByteArray cDossierOctets = QFile::encodeName(cDossier);
    DIR *pDir = ::opendir(cDossierOctets.constData());
    if (!pDir)
        return; // a folder that cannot be listed gives no entry and no message
    const int fd = ::dirfd(pDir);
    const bool lVolumes = !lCompteSeul || m_Ctx.CandidatCompte;
    const qint32 nVolDossier = lVolumes ? VolumeDeChemin(cDossier) : 0;

    while (lListage) {
        const dirent *pEnt = ::readdir(pDir);
        if (!pEnt)
            break;
        const char *cNomC = pEnt->d_name;
        if (cNomC[0] == '.')
            continue;
        const QString cNom = QFile::decodeName(cNomC);
        const unsigned char nType = pEnt->d_type;

        if (nType == DT_REG && !EstImage(cNom) && !EstRaccourci(cNom))
            continue; // the common case of other files, without a stat

        struct stat lst
        {
        };
        bool lLien = nType == DT_LNK;
        if (nType == DT_UNKNOWN) {
            if (::fstatat(fd, cNomC, &lst, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            lLien = S_ISLNK(lst.st_mode);
        }
        struct stat st
        {
        };
        if (::fstatat(fd, cNomC, &st, 0) != 0)
            continue; // a dangling link or a file gone meanwhile

        const QString cChemin = cDossier + cNom;
        if (S_ISDIR(st.st_mode)) {
            if (!lRecursif || nProfondeur >= nProfondeurMax)
                continue;
            const std::pair<quint64, quint64> id{static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
            // Each folder is entered once: a link back to an ancestor cannot loop, and the
            // thumbnail cache is never listed.
            if ((m_lVignettesConnu && id == m_Vignettes) || !m_DossiersVus.insert(id).second)
                continue;
            Parcourt(cChemin + QLatin1Char('/'), nCompteur, lRecursif, lCompteSeul, nProfondeur + 1);
        } else if (S_ISREG(st.st_mode)) {
            if (lLien || EstRaccourci(cNom)) {
                // A shortcut or a symbolic link stands for its target image, keyed by it.
                const QString cCible = ImageDeEntree(cChemin);
                qint64 nTaille = 0, nDate = 0;
                if (!cCible.isEmpty() && TailleEtDate(cCible, nTaille, nDate))
                    Traite(cCible, nTaille, nDate, true, lVolumes ? VolumeDeChemin(cCible) : 0, nCompteur, lCompteSeul);
            } else if (EstImage(cNom)) {
                Traite(cChemin, st.st_size, st.st_mtime, false, nVolDossier, nCompteur, lCompteSeul);
            }
        }
        if (m_Ctx.Interrompre && m_Ctx.Interrompre())
            lListage = false;
    }
    ::closedir(pDir);
}

void TListeur::Traite(const QString &cChemin, qint64 nTaille, qint64 nDate, bool lRaccourci, qint32 nNumCD,
                      qint64 &nCompteur, bool lCompteSeul)
{
    if (lCompteSeul) {
        ++nCompteur;
        if (m_Ctx.CandidatCompte)
            m_Ctx.CandidatCompte(nNumCD, cChemin);
        return;
    }
    if (m_Ctx.lFiltreLong && m_Ctx.AvanceProgression && m_Ctx.AvanceProgression())
        lListage = false;
    std::unique_ptr<TEnrLV> p = Entree(nNumCD, cChemin, nTaille, nDate, lRaccourci, 1);
    // Computed once, for the filter and for the state icon.
    const bool lClasse = ADesDonneesListe(m_Ctx, p->Cle());
    bool lMetaLue = false;
    if (m_Ctx.Filtre) {
        // The filter is given what the walk knows; the metadata it asks for are read into the
        // entry and kept, so that no file is read twice.
        TEnrLV &e = *p;
        TCandidatFiltre c;
        c.nNumCD = nNumCD;
        c.cChemin = cChemin;
        c.lTailleDate = true;
        c.nTaille = nTaille;
        c.nDate = nDate;
        c.lClasse = lClasse;
        c.pEXIF = &e;
        c.pIPTC = &e;
        c.fnLitMeta = [this, &e, &lMetaLue](TDonneesEXIF &, TDonneesIPTC &) {
            LitMeta(e);
            lMetaLue = true;
        };
        if (!m_Ctx.Filtre(c))
            return;
        e.nPctCouleur = c.nPctCouleur;
        e.nPctMotif = c.nPctMotif;
    }
    Insere(std::move(p), lMetaLue, lClasse);
}

int TListeur::AjouteEntree(qint32 nNumCD, const QString &cChemin, qint64 nTaille, qint64 nDate, bool lRaccourci,
                           quint8 nPctCouleur, quint8 nPctMotif)
{
    std::unique_ptr<TEnrLV> p = Entree(nNumCD, cChemin, nTaille, nDate, lRaccourci, -1);
    p->nPctCouleur = nPctCouleur;
    p->nPctMotif = nPctMotif;
    const bool lClasse = ADesDonneesListe(m_Ctx, p->Cle());
    Insere(std::move(p), false, lClasse);
    return m_Modele.Nombre() - 1;
}

std::unique_ptr<TEnrLV> TListeur::Entree(qint32 nNumCD, const QString &cChemin, qint64 nTaille, qint64 nDate,
                                         bool lRaccourci, int nExiste)
{
    auto p = std::make_unique<TEnrLV>();
    TEnrLV &e = *p;
    e.nNumCD = nNumCD;
    e.cChemin = cChemin;
    // The drive: a CD image given by its full path loses its mount point; one given by its
    // path on the CD is looked for on the mounted CDs of that serial.
    if (nNumCD != 0) {
        if (nExiste > 0 && m_Lecteurs) {
            const TVolume v = m_Lecteurs->VolumeDe(cChemin);
            const QString m = AvecBarre(v.cPointMontage);
            if (cChemin.startsWith(m)) {
                e.cLecteur = m.chopped(1);
                e.cChemin = cChemin.mid(m.size() - 1);
                e.lExiste = true;
            }
        }
        if (!e.lExiste && m_Lecteurs) {
            QString cLecteur;
            e.lExiste = LecteurDeCle(*m_Lecteurs, nNumCD, e.cChemin, cLecteur);
            if (e.lExiste)
                e.cLecteur = AvecBarre(cLecteur).chopped(1);
        }
    } else {
        e.lExiste = nExiste > 0 || QFileInfo::exists(cChemin);
    }
    e.lRaccourci = lRaccourci;
    e.nTaille = nTaille;
    e.nDate = nDate;
    return p;
}

void TListeur::LitMeta(TEnrLV &e)
{
    if (e.lExiste) {
        const QString cFichier = e.CheminComplet();
        // The metadata reader gives a JPEG's size from the bytes it reads anyway; the header
        // is read apart only when it did not (no reader, or a frame beyond the bytes read).
        if (m_Ctx.LitMetadonnees)
            m_Ctx.LitMetadonnees(e, cFichier);
        if (m_Ctx.lResolutionJPEG && e.nLargeur <= 0 && EstJPEG(cFichier)) {
            TTailleImage t;
            if (JpegCodec::LitTaille(cFichier, t)) {
                e.nLargeur = t.nLargeur;
                e.nHauteur = t.nHauteur;
            }
        }
    } else if (m_Ctx.LitMetadonneesCache) {
        m_Ctx.LitMetadonneesCache(e, e.Cle());
    }
}

void TListeur::Insere(std::unique_ptr<TEnrLV> p, bool lMetaLue, bool lClasse)
{
    if (!lMetaLue)
        LitMeta(*p);
    const QString cApp = p->cAppareil.trimmed();
    if (p->lExiste && !cApp.isEmpty() && !m_Appareils.contains(cApp)) {
        m_Appareils.insert(cApp);
        m_Modele.lstAppareils << cApp;
    }
    m_Modele.Ajoute(std::move(p), lClasse);
}

int ConstruitListe(TModeleListeImages &Modele, TContexteListe &Ctx, const TDemandeListe &Demande)
{
    Modele.Vide();
    Modele.nMode = Demande.nMode;
    TListeur Listeur(Modele, Ctx);
    const bool lExploration = Demande.nMode == TModeListe::Exploration;
    if (lExploration && EstDansVignettes(Demande.cDossier, Ctx.cDossierVignettes))
        return 0;

    if (Ctx.lFiltreLong && Ctx.Filtre) {
        qint64 nCompte = 0;
        if (lExploration)
            Listeur.ParcourtDossier(Demande.cDossier, nCompte, Demande.lRecursif, true);
        else if (Demande.Produit)
            nCompte = Demande.Produit(Listeur, true);
        if (Ctx.OuvreProgression && nCompte > 0)
            Ctx.OuvreProgression(nCompte - 1);
    }
    // The counting pass marked the folders as seen: the listing walks with a fresh memory.
    TListeur Vrai(Modele, Ctx);
    Modele.Debut();
    qint64 nCompteur = 0;
    if (lExploration)
        Vrai.ParcourtDossier(Demande.cDossier, nCompteur, Demande.lRecursif, false);
    else if (Demande.Produit)
        Demande.Produit(Vrai, false);
    Modele.TrieListe();
    Modele.Fin();
    if (Ctx.lFiltreLong && Ctx.Filtre && Ctx.FermeProgression)
        Ctx.FermeProgression();
    return Modele.Nombre();
}

#include "filters/ColorMotif.h"

#include "filters/ImageFiltree.h"
#include "imaging/ChargeImage.h"
#include "imaging/JpegCodec.h"
#include "imaging/NomVignette.h"
#include "storage/BigIniFiles.h"
#include "storage/Settings.h"
#include "treatments/TraitementsImage.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <sys/stat.h>

TJugementPixels JugePixels(const TTravailPixels &t, const TPixelsFiltre &Pixels)
{
    TJugementPixels j;
    if (!t.lCouleur && !t.lMotif)
        return j;
    try {
        QImage Image;
        if (t.lFaire) {
            j.Resultat = CalculeVignette(t.Vignette);
            j.lFaite = j.Resultat.lEcrite;
            if (j.Resultat.lIllisible)
                return j;
            // Judged as it was stored, so that a later listing that reads it finds the same.
            if (j.Resultat.lEcrite)
                Image = JpegCodec::Decode(t.cVignette, 1, nullptr, JpegCodec::TAvertissements::Refuses);
            if (Image.isNull())
                Image = j.Resultat.Image.isNull() ? j.Resultat.Vignette.Decode() : j.Resultat.Image;
        } else {
            Image = JpegCodec::Decode(t.cVignette, 1, nullptr, JpegCodec::TAvertissements::Refuses);
        }
        if (Image.isNull())
            return j;
        if (t.Traitement)
            t.Traitement(Image);
        if (t.lCouleur)
            j.nPctCouleur = Pixels.PctCouleur(Image);
        if (t.lMotif)
            j.nPctMotif = Pixels.PctMotif(Image);
    } catch (...) {
        // Out of memory on a hostile thumbnail: the image is not judged and fails.
        j.nPctCouleur = -1;
        j.nPctMotif = -1;
    }
    return j;
}

TEtatPixels::TEtatPixels(const TEnrFiltres &e, const TContexteFiltre &Ctx, const TLecteursCD *pLecteurs)
    : m_Ctx(Ctx), m_pLecteurs(pLecteurs), m_lCouleur(e.lColorimetrie)
{
    if (e.lMotif) {
        // The name is a file of the pattern folder: one that would lead out of it (a
        // hand-edited store) is refused like a missing one.
        const QString cFichier = Ctx.cDossierMotifs + e.cMotif;
        std::optional<TMotif> m;
        if (!e.cMotif.isEmpty() && !e.cMotif.contains(QLatin1Char('/')) && !e.cMotif.contains(QLatin1String(".."))
            && !Ctx.cDossierMotifs.isEmpty()) {
            try {
                m = CaptureMotif(e, ChargeImage(cFichier, false, 0, false).Image);
            } catch (const EImageIllisible &) {
            } catch (const std::bad_alloc &) {
            }
        }
        if (m)
            m_Motif = std::make_shared<const TMotif>(std::move(*m));
        else if (Ctx.fnAttention)
            Ctx.fnAttention(QStringLiteral("Motif introuvable ou illisible : %1").arg(cFichier));
    }
    m_Pixels = std::make_unique<TPixelsFiltre>(e, m_Motif);
    if (Ctx.nFilsPixels >= 0 && (m_lCouleur || m_Motif)) {
        const int nFils = Ctx.nFilsPixels > 0 ? Ctx.nFilsPixels : std::max(1, QThread::idealThreadCount());
        m_Pool = std::make_unique<QThreadPool>();
        m_Pool->setMaxThreadCount(nFils);
        // Enough ahead to keep every thread busy, without judging far beyond a stop.
        m_nAvance = static_cast<size_t>(nFils) * 4 + 4;
    }
}

TEtatPixels::~TEtatPixels()
{
    m_lAnnule->store(true);
    for (TEnCours &e : m_File)
        Abandonne(e);
    m_File.clear();
    if (m_Pool)
        m_Pool->waitForDone();
    if (m_lStoreModifie && m_Ctx.iniSetupVignettes)
        m_Ctx.iniSetupVignettes->UpdateFile();
}

void TEtatPixels::Annonce(qint32 nNumCD, const QString &cChemin)
{
    if (!m_Pool)
        return;
    m_Annonces.push_back({nNumCD, cChemin});
    // The work starts while the counting pass goes on.
    Soumet();
}

bool TEtatPixels::OrientationUtile() const
{
    // Turning or mirroring a thumbnail changes no colour share: only the pattern cares.
    return m_Motif && !m_Ctx.fnTraitement && m_Ctx.pParametres && m_Ctx.pParametres->lOrientationAuto;
}

TTravailPixels TEtatPixels::Travail(const TCandidatFiltre &c, const QString *pOrientation) const
{
    TTravailPixels t;
    t.lCouleur = m_lCouleur;
    t.lMotif = m_Motif != nullptr;
    if (!t.lCouleur && !t.lMotif)
        return t;
    QString cDossier = m_Ctx.cDossierVignettes;
    if (!cDossier.isEmpty() && !cDossier.endsWith(QLatin1Char('/')))
        cDossier += QLatin1Char('/');
    t.cVignette = NomVignette(cDossier, c.nNumCD, c.cChemin);
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(t.cVignette).constData(), &st) != 0 && m_Ctx.iniSetupVignettes) {
        // No thumbnail yet: a reachable image gets one, as its listing would make it.
        TImageVignette i;
        i.nNumCD = c.nNumCD;
        i.cChemin = c.cChemin;
        i.lExiste = !c.cFichier.isEmpty() && QFileInfo::exists(c.cFichier);
        if (i.lExiste && c.nNumCD != 0 && c.cFichier.endsWith(c.cChemin))
            i.cLecteur = c.cFichier.chopped(c.cChemin.size());
        if (i.lExiste) {
            TParamsVignettes p;
            p.cDossierVignettes = cDossier;
            p.nD = m_Ctx.nDVignettes;
            p.lLireVigDsTHM = m_Ctx.lLireVigDsTHM;
            t.lFaire = true;
            t.Vignette = PrepareVignette(*m_Ctx.iniSetupVignettes, p, i);
        }
    }
    if (m_Ctx.fnTraitement) {
        t.Traitement = m_Ctx.fnTraitement(c);
    } else if (m_Ctx.pParametres && m_Ctx.iniSetup) {
        t.lSansOrientation = !pOrientation;
        const QList<TTrt> Trts = OperationsTrts(
            LitRecetteTrts(*m_Ctx.iniSetup, *m_Ctx.pParametres, c.Cle(), pOrientation ? *pOrientation : QString()));
        if (!Trts.isEmpty())
            t.Traitement = [Trts](QImage &Image) {
                // A thumbnail is small: one thread, the pool's others judge other thumbnails.
                TOptionsTrt o;
                o.nFils = 1;
                AppliqueTrts(Image, Trts, o);
            };
    }
    return t;
}

void TEtatPixels::Soumet()
{
    if (!m_Pool)
        return;
    while (m_File.size() < m_nAvance && m_nSoumis < m_Annonces.size()) {
        const TAnnonce &a = m_Annonces[m_nSoumis++];
        TCandidatFiltre c;
        c.nNumCD = a.nNumCD;
        c.cChemin = a.cChemin;
        LocaliseCandidat(m_pLecteurs, c);
        TEnCours e;
        e.Travail = Travail(c, nullptr);
        auto Promesse = std::make_shared<std::promise<TJugementPixels>>();
        e.Futur = Promesse->get_future();
        m_Pool->start([Promesse, t = e.Travail, Pixels = m_Pixels.get(), lAnnule = m_lAnnule]() {
            TJugementPixels j;
            if (!lAnnule->load())
                j = JugePixels(t, *Pixels);
            Promesse->set_value(std::move(j));
        });
        m_File.push_back(std::move(e));
    }
}

void TEtatPixels::Abandonne(TEnCours &e)
{
    const TJugementPixels j = e.Futur.get();
    if (j.lFaite)
        AbandonneVignette(e.Travail.Vignette, j.Resultat);
}

void TEtatPixels::Enregistre(const TTravailPixels &t, TJugementPixels &j, const TSourcesDonneesCD &Donnees)
{
    if (j.lFaite && m_Ctx.iniSetupVignettes
        && EcritDonneesVignette(*m_Ctx.iniSetupVignettes, t.Vignette, j.Resultat, Donnees))
        m_lStoreModifie = true;
}

TJugementPixels TEtatPixels::Juge(TCandidatFiltre &c, const QString &cDonne, const TSourcesDonneesCD &Donnees,
                                  const std::function<QString()> &fnOrientation)
{
    // The walk meets the candidates in the order they were announced, skipping those that
    // failed a cheaper test: the work ahead for those is let go.
    size_t n = m_nDebut;
    while (n < m_Annonces.size() && m_Annonces[n].cChemin != cDonne)
        ++n;
    TTravailPixels t;
    TJugementPixels j;
    bool lFait = false;
    if (n < m_Annonces.size()) {
        while (!m_File.empty() && m_nDebut < n) {
            Abandonne(m_File.front());
            m_File.pop_front();
            ++m_nDebut;
        }
        if (n < m_nSoumis) {
            TEnCours e = std::move(m_File.front());
            m_File.pop_front();
            t = std::move(e.Travail);
            j = e.Futur.get();
            lFait = true;
        } else {
            m_nSoumis = n + 1;
        }
        m_nDebut = n + 1;
    }
    const bool lOrientation = OrientationUtile();
    QString cOrientation;
    if (lOrientation && fnOrientation)
        cOrientation = fnOrientation();
    // Judged ahead without the orientation, which turns this one's pattern: judged again.
    if (lFait && lOrientation && t.lSansOrientation && NumeroOrientation(cOrientation) != 1) {
        if (j.lFaite)
            Enregistre(t, j, Donnees);
        lFait = false;
    }
    if (!lFait) {
        t = Travail(c, lOrientation ? &cOrientation : nullptr);
        t.lSansOrientation = false;
        j = JugePixels(t, *m_Pixels);
    }
    Soumet();
    Enregistre(t, j, Donnees);
    return j;
}

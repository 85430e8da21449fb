#pragma once
// The colour and pattern tests of a list build, on each candidate's cached thumbnail (never the
// image file) after its remembered treatments: the pattern loaded once per build, one load of
// the thumbnail per candidate for both tests, a thumbnail made first for a reachable image
// that has none (as the listing would make it).
//
// When the list builder announces its candidates beforehand (its counting pass), their
// thumbnails are read, decoded, treated and judged on a pool of worker threads ahead of the
// walk; the walk takes the results in its own order. The stores are only touched on the
// list's thread.

#include "filters/Colorimetrie.h"
#include "thumbnails/ThumbnailCache.h"

#include <QImage>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <vector>

struct TCandidatFiltre;
struct TContexteFiltre;
class TLecteursCD;

enum class TTestPixels { Colorimetrie, Motif };

// One candidate's thumbnail work, gathered on the list's thread.
struct TTravailPixels
{
    QString cVignette;                        // the cache file
    bool lFaire = false;                      // missing while the image can be reached: made first
    TTravailVignette Vignette;                // what making it needs
    bool lCouleur = false;                    // run the colour test
    bool lMotif = false;                      // run the pattern test (a pattern was loaded)
    std::function<void(QImage &)> Traitement; // the remembered treatments, or nothing
    // The treatments were read without the image's orientation (work ahead of the walk, which
    // has not read the image's metadata yet).
    bool lSansOrientation = false;
};

struct TJugementPixels
{
    int nPctCouleur = -1; // -1: not judged (no thumbnail, unreadable, test off)
    int nPctMotif = -1;
    bool lFaite = false; // the thumbnail was made by this work
    TResultatVignette Resultat;
};

// Loads the thumbnail (making it first when told), treats it and runs the tests asked. Never
// touches a store and never throws: safe on a worker thread.
TJugementPixels JugePixels(const TTravailPixels &t, const TPixelsFiltre &Pixels);

class TEtatPixels
{
public:
    // Loads the pattern when the record has a pattern test; when it cannot (missing,
    // unreadable, refused name, empty zone) the user is told once through fnAttention.
    TEtatPixels(const TEnrFiltres &e, const TContexteFiltre &Ctx, const TLecteursCD *pLecteurs);
    // Stops the work ahead, removes the thumbnails made for candidates never judged, and saves
    // the settings store when thumbnails were recorded in it.
    ~TEtatPixels();
    TEtatPixels(const TEtatPixels &) = delete;
    TEtatPixels &operator=(const TEtatPixels &) = delete;

    bool AMotif() const { return m_Motif != nullptr; }
    // A candidate the coming walk will test, in walk order: a full path, as the walk gives it.
    void Annonce(qint32 nNumCD, const QString &cChemin);
    // Both percentages of a candidate whose cChemin and cFichier are set (the path given to the
    // test is cDonne): from the work ahead when it was announced, else computed now. Donnees
    // records what is kept beside a thumbnail this made; fnOrientation gives the candidate's
    // EXIF orientation (its metadata read once, kept for its entry).
    TJugementPixels Juge(TCandidatFiltre &c, const QString &cDonne, const TSourcesDonneesCD &Donnees,
                         const std::function<QString()> &fnOrientation);

private:
    struct TAnnonce
    {
        qint32 nNumCD = 0;
        QString cChemin;
    };
    struct TEnCours
    {
        TTravailPixels Travail;
        std::future<TJugementPixels> Futur;
    };

    const TContexteFiltre &m_Ctx;
    const TLecteursCD *m_pLecteurs;
    bool m_lCouleur;
    std::shared_ptr<const TMotif> m_Motif;
    std::unique_ptr<TPixelsFiltre> m_Pixels;
    bool m_lStoreModifie = false;

    std::vector<TAnnonce> m_Annonces;
    size_t m_nDebut = 0;         // the first announcement not yet taken by the walk
    size_t m_nSoumis = 0;        // the first announcement not yet given to the pool
    std::deque<TEnCours> m_File; // announcements m_nDebut to m_nSoumis - 1
    std::unique_ptr<QThreadPool> m_Pool;
    std::shared_ptr<std::atomic<bool>> m_lAnnule = std::make_shared<std::atomic<bool>>(false);
    size_t m_nAvance = 0;

    // The work of one candidate; lOrientation: the automatic orientation is looked up.
    TTravailPixels Travail(const TCandidatFiltre &c, const QString *pOrientation) const;
    bool OrientationUtile() const;
    void Soumet();
    void Abandonne(TEnCours &e);
    void Enregistre(const TTravailPixels &t, TJugementPixels &j, const TSourcesDonneesCD &Donnees);
};

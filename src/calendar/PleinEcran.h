#pragma once
// The rules of the full-screen viewer, apart from its window: where the picture goes on the
// screen, the rectangle of the visible part on the position picture, a click on that picture,
// what each key does, and the decodes made ahead so that the next and previous images show at
// once.

#include "treatments/MoteurTrt.h"

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace PleinEcran
{
// Rounds to the nearest integer, halves to even.
int Arrondi(double d);

// Where and how large the picture is shown.
struct TDisposition
{
    QSize Taille;
    QPoint Position;      // the picture's top left corner on the screen (negative when larger)
    bool lCentrer = true; // the picture is wider or taller than the screen (`btCentrer`)
};

// `DisposerImage`: with "Ajusté" (lAjuste) a picture of Image's size fits the screen, keeping
// its size when it already fits; with any other zoom it takes Zoom, the size the main pane
// shows it at. The picture is centred on each axis where it is smaller than the screen.
TDisposition DisposerImage(QSize Image, QSize Ecran, bool lAjuste, QSize Zoom);

// Where a stand-in for a picture still decoding goes: its thumbnail enlarged to fit the
// screen, centred. Empty for an empty thumbnail.
QRect PlaceApercu(QSize Vignette, QSize Ecran);

// Whether a picture of that size is wider or taller than the screen.
bool PlusGrandQueEcran(QSize Image, QSize Ecran);

// `TracerZone`: the rectangle of the visible part of a picture of size Image placed at
// Position, drawn on a position picture PositW wide. Nothing when either width is 0.
std::optional<QRect> Zone(QSize Image, QPoint Position, QSize Ecran, int nPositLargeur);

// A click at Clic on the position picture: the picture's new position, which centres the
// view on that point. Nothing while the picture fits on the screen (or a width is 0).
std::optional<QPoint> PositionDepuisClic(QSize Image, QSize Ecran, int nPositLargeur, QPoint Clic);

// What a key does in the full-screen window.
struct TActionTouche
{
    enum TGenre {
        Rien,       // nothing
        Fermer,     // close the window
        Naviguer,   // pass nTouche to the main grid
        Zoom,       // the main window's zoom key nTouche
        Traitement, // the treatment nTrt (0 left, 1 right, 2 horizontal, 3 vertical)
        Bip,        // the main window's counterpart is disabled
    };
    TGenre nGenre = Rien;
    int nTouche = 0;
    int nTrt = -1;
};

// The key table. nLigne is the current row of nNombre; lZoom tells whether the main zoom list
// is enabled, lTrts whether the main window's rotate left, rotate right, mirror horizontal
// and mirror vertical are.
TActionTouche ActionTouche(int nTouche, Qt::KeyboardModifiers Modificateurs, int nLigne, int nNombre, bool lZoom,
                           const std::array<bool, 4> &lTrts);

// Keeps a held key's auto-repeat from queueing: a repeated press generated while the previous
// step was still being handled is dropped, so that releasing the key stops at once instead of
// working through a backlog. Times are the window system's key time stamps and the measured
// length of each step, both in milliseconds; only their differences count.
class TRepetition
{
public:
    // Whether to handle a press stamped nHorodatage (lRepetition: an auto-repeat).
    bool Accepte(quint64 nHorodatage, bool lRepetition) const;
    // A press stamped nHorodatage was handled in nDuree milliseconds.
    void Fin(quint64 nHorodatage, qint64 nDuree);

private:
    quint64 m_nHorodatage = 0;
    qint64 m_nDuree = -1;
};

// The picture of one image, decoded and treated for the screen.
struct TImagePleinEcran
{
    QString cFichier;
    QImage Image;
    QSize Taille; // the image's own size, treated (a quarter turn swaps it)
    bool lLue = false;
    // The picture already scaled to the size it is shown at and in the display's format, so
    // that painting it is a plain copy; null when it is shown at another size than fitted.
    QImage Affichee;
};

// The fitted picture of Image for the screen (see TImagePleinEcran::Affichee): null when
// Image is null or already at that size and format (it is then painted as it is).
QImage ImageAffichee(const QImage &Image, QSize Taille, QSize Ecran);

// What a worker needs to make the picture of a file for the screen, read on the
// user-interface thread: the zoom entry, the screen's size in device pixels and the image's
// treatments, with whether they turn it a quarter.
struct TCommandeImage
{
    int nZoom = 0; // "Ajusté"
    QSize Ecran;
    QList<TTrt> Trts;
    bool lTourne = false;
};

// The picture of a file for the screen, made on the calling thread: decoded no larger than
// the zoom needs (a quarter turn asks for the screen turned), treated, and fitted once for
// "Ajusté". Every JPEG decode on the thread stops between rows once lAbandon is set; the
// result is then incomplete and only good to be dropped. nOctetsMax bounds one decode.
TImagePleinEcran ImagePourEcran(const QString &cFichier, const TCommandeImage &Commande,
                                const std::atomic<bool> &lAbandon, qint64 nOctetsMax);

// Decodes for the viewer on a few workers: the current image first, alone, then the next and
// the previous ones side by side. A newer request drops the waiting decodes it no longer needs
// and abandons the running ones (the decoder sees their flag and stops early; whatever they
// still return is dropped), so that holding a key down never makes the image asked for last
// wait behind the ones passed: it starts at once on a free worker. At most three pictures are
// kept: the current one and its two neighbours. Everything but the workers runs on the thread
// that owns the object, and nothing there waits for a decode.
class TAvanceImages
{
public:
    // Makes the picture of a file on a worker (a failure: lLue false); it may stop early once
    // lAbandon is set, its result being dropped then.
    using TDecodeur = std::function<TImagePleinEcran(const QString &cFichier, const std::atomic<bool> &lAbandon)>;
    // fnPret is called on a worker each time a decode that is not abandoned ends, to post its
    // result to the owner's thread. nFils workers at most (a running decode that ignores its
    // flag keeps one busy until it ends).
    TAvanceImages(TDecodeur fnDecode, std::function<void()> fnPret, int nFils = 3);
    // A decoder that never stops early.
    TAvanceImages(const std::function<TImagePleinEcran(const QString &cFichier)> &fnDecode,
                  std::function<void()> fnPret);
    ~TAvanceImages();
    TAvanceImages(const TAvanceImages &) = delete;
    TAvanceImages &operator=(const TAvanceImages &) = delete;

    // Asks for cCourant, then cSuivant and cPrecedent ahead (either may be empty). The kept
    // pictures of other files are dropped. Returns the current picture when it is kept; the
    // neighbours' decodes then start at the next Recoit, which the owner makes once that
    // picture is painted.
    std::optional<TImagePleinEcran> Demande(const QString &cCourant, const QString &cSuivant,
                                            const QString &cPrecedent);
    // Takes the decodes the workers finished into the kept ones; returns the current picture
    // when it has just arrived. The neighbours' decodes start on a later call, once the owner
    // has had the current picture (the call that hands it over leaves the processors to its
    // paint).
    std::optional<TImagePleinEcran> Recoit();
    // Forgets a file's picture (it changed): a decode of it still running is abandoned.
    void Oublie(const QString &cFichier);
    // Forgets every picture and abandons every decode (they were made for another zoom).
    void Vide();
    // The files kept now, every decode started in order, and how many were abandoned while
    // running: for the tests and the benchmark.
    QStringList Gardees() const;
    QStringList Decodages() const;
    int Abandons() const;
    // A decode is running, waiting or not yet taken by Recoit.
    bool Occupe() const;

private:
    struct TTache
    {
        QString cFichier;
        std::shared_ptr<std::atomic<bool>> pAbandon;
    };
    void Travaille();
    bool PeutPrendre() const;
    void Abandonne(TTache &Tache);
    void Garde(const TImagePleinEcran &Image);

    TDecodeur m_fnDecode;
    std::function<void()> m_fnPret;
    // Owner's thread only.
    QString m_cCourant, m_cSuivant, m_cPrecedent;
    QList<TImagePleinEcran> m_Gardees;
    bool m_lRemise = false; // the current picture was handed to the owner
    // Shared with the workers.
    mutable std::mutex m_Verrou;
    std::condition_variable m_Reveil;
    std::deque<QString> m_Attente;
    QList<TTache> m_EnCours;
    QList<TImagePleinEcran> m_Finies;
    QStringList m_Decodages;
    QString m_cPremier; // the current file until it is taken: nothing else starts meanwhile
    int m_nAbandons = 0;
    bool m_lFin = false;
    std::vector<std::thread> m_Fils;
};
} // namespace PleinEcran

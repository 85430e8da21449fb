#pragma once
// The rules of the full-screen viewer, apart from its window: where the picture goes on the
// screen, the rectangle of the visible part on the position picture, a click on that picture,
// what each key does, and the decodes made ahead so that the next and previous images show at
// once.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

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

// The picture of one image, decoded and treated for the screen.
struct TImagePleinEcran
{
    QString cFichier;
    QImage Image;
    QSize Taille; // the image's own size, treated (a quarter turn swaps it)
    bool lLue = false;
};

// Decodes ahead on one worker: the current image first, then the next and the previous ones.
// A newer request supersedes the ones still waiting (auto-repeat never queues), and at most
// three pictures are kept: the current one and its two neighbours. Everything but the worker
// runs on the thread that owns the object.
class TAvanceImages
{
public:
    // fnDecode makes the picture of a file on the worker (a failure: lLue false); fnPret is
    // called on the worker each time a decode ends, to post its result to the owner's thread.
    TAvanceImages(std::function<TImagePleinEcran(const QString &cFichier)> fnDecode, std::function<void()> fnPret);
    ~TAvanceImages();
    TAvanceImages(const TAvanceImages &) = delete;
    TAvanceImages &operator=(const TAvanceImages &) = delete;

    // Asks for cCourant, then cSuivant and cPrecedent ahead (either may be empty). The kept
    // pictures of other files are dropped. Returns the current picture when it is kept.
    std::optional<TImagePleinEcran> Demande(const QString &cCourant, const QString &cSuivant,
                                            const QString &cPrecedent);
    // Takes the decodes the worker finished into the kept ones; returns the current picture
    // when it has just arrived.
    std::optional<TImagePleinEcran> Recoit();
    // Forgets a file's picture (it changed).
    void Oublie(const QString &cFichier);
    // The files kept now, and every decode made in order: for the tests and the benchmark.
    QStringList Gardees() const;
    QStringList Decodages() const;
    bool Occupe() const;

private:
    void Travaille();
    void Garde(const TImagePleinEcran &Image);

    std::function<TImagePleinEcran(const QString &)> m_fnDecode;
    std::function<void()> m_fnPret;
    // Owner's thread only.
    QString m_cCourant, m_cSuivant, m_cPrecedent;
    QList<TImagePleinEcran> m_Gardees;
    // Shared with the worker.
    mutable std::mutex m_Verrou;
    std::condition_variable m_Reveil;
    std::deque<QString> m_Attente;
    QList<TImagePleinEcran> m_Finies;
    QStringList m_Decodages;
    QString m_cEnCours; // the file the worker decodes now
    bool m_lTravail = false;
    bool m_lFin = false;
    std::thread m_Fil;
};
} // namespace PleinEcran

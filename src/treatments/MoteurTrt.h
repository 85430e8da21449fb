#pragma once
// The engine that runs the treatments on a picture.
//
// Pictures are worked on as 32-bit pixels (0xAARRGGBB); any other format is converted first.
// Every buffer an operation needs is taken before a pixel is touched, so an operation either
// runs whole or leaves the picture as it was and says why. Quarter turns write a new picture
// tile by tile; mirrors and colour operations work in place. Rows and tiles are shared out
// among threads, each pixel computed the same way whatever the split, so the result does not
// depend on the number of threads. It takes pictures, never grid items: callers refresh
// whatever shows the picture.

#include <QImage>
#include <QList>
#include <QString>

class IMessages;
class QWidget;

struct TOptionsTrt
{
    // Threads sharing the work; 0 = one per core. Small pictures always use one.
    int nFils = 0;
    // Largest picture, in bytes, that a quarter turn may allocate; 0 = as much as memory allows.
    qint64 nOctetsMaxRotation = 0;
};

struct TResultatTrt
{
    bool lOk = true;
    QString cRaison; // why it failed, in French, for the user
    explicit operator bool() const { return lOk; }
};

// One treatment: its code (0..7) and its parameter text (codes 4, 5 and 7).
struct TTrt
{
    int nCode = 0;
    QString cParam;
};

// Runs one operation on the picture; after a quarter turn its width and height are exchanged.
// On failure the picture is left exactly as it was.
TResultatTrt AppliqueTrt(QImage &Image, int nCode, const QString &cParam, const TOptionsTrt &Options = {});

// Runs the treatments in their order, consecutive colour operations together in one pass
// over the pixels. Everything needed is taken first: on failure nothing at all is applied.
TResultatTrt AppliqueTrts(QImage &Image, const QList<TTrt> &Trts, const TOptionsTrt &Options = {});

// Quarter turns of large pictures keep the buffer of the last turned picture let go, for the
// next turn; this gives it back to the system.
void LibereReserveTrt();

// The text shown when a treatment fails: "Erreur pendant un traitement sur une image :" and
// the reason on the next line.
QString MessageErreurTrt(const QString &cRaison);
// Shows that text under "Erreur" when the run failed; returns r.lOk.
bool SignaleErreurTrt(IMessages &Messages, QWidget *Parent, const TResultatTrt &r);

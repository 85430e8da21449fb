#pragma once
// The treatments remembered for each image, and their application to every picture of it.
//
// The image file is never changed: the settings store keeps, per image key, one value in each
// of the six treatment sections (storage/Sections.h, cSectionsTraitements). Whoever produces a
// picture of an image (the pane, the grid, the filters, the albums, the calendar) runs
// AppliqueTrtsImage on it, from an untreated picture: first the EXIF orientation when
// lOrientationAuto is on, then the remembered treatments in the order of cOrdreTrt.
//
// Turns and mirrors are stored so that they act on the picture as it is seen: a change keeps
// the (ROTATIONS, MIROIRS) pair that, applied in cOrdreTrt order, gives the picture shown
// turned or mirrored. So a picture re-derived from its untreated version after a change is
// always the picture seen before it with the change on top of it.

#include "treatments/MoteurTrt.h"

#include <QList>
#include <QSize>
#include <QString>

class TBigIniFile;
class TContexte;
struct TEnrParametres;

// The heading of the treatments block of an image's hint.
inline const QString cEnteteTrtsImage = QStringLiteral("\r\n<PG>TRAITEMENTS</PG/>");

// The EXIF orientation as a number 1..8; any other text counts as 1 (nothing to do).
int NumeroOrientation(const QString &cOrientation);

// One image's treatments, as read from the settings store.
struct TRecetteTrts
{
    // The letters of cOrdreTrt; only its upper-case letters R, M, N, C, T, X are applied.
    QString cOrdre = QStringLiteral("RMNCTX");
    // The EXIF orientation to apply, 1 when lOrientationAuto is off or there is none.
    int nOrientation = 1;
    // The stored values, empty when absent.
    QString cRotation, cMiroirs, cNoirEtBlanc, cContrasteLuminosite, cNegatif, cCanaux;

    // The automatic orientation applies: the image's own turns and mirrors are ignored.
    bool OrientationAuto() const { return nOrientation != 1; }
    // Whether one of the letters R, M, N, C, T, X is applied.
    bool Applique(QChar cLettre) const;
    bool Vide() const;
};

TRecetteTrts LitRecetteTrts(const TBigIniFile &iniSetup, const TEnrParametres &Parametres, const QString &cCle,
                            const QString &cOrientation);

// The operations of the engine, in the order they run.
QList<TTrt> OperationsTrts(const TRecetteTrts &Recette);

// The size of the picture once treated: a picture of this size turned by the net quarter
// turns of the recipe. Computed each time from the untreated size, never toggled.
QSize TailleTraitee(QSize Taille, const TRecetteTrts &Recette);

// True when the image has treatments: a value in one of the six sections, or an EXIF
// orientation other than "1" while lOrientationAuto is on. Callers that copy or publish a
// picture re-encode it only then.
bool ATrtsImage(const TBigIniFile &iniSetup, const TEnrParametres &Parametres, const QString &cCle,
                const QString &cOrientation);

// Applies the image's automatic orientation and remembered treatments to an untreated
// picture. On failure (the reason in the result, shown with SignaleErreurTrt) the picture is
// left as it was.
TResultatTrt AppliqueTrtsImage(QImage &Image, const TBigIniFile &iniSetup, const TEnrParametres &Parametres,
                               const QString &cCle, const QString &cOrientation, const TOptionsTrt &Options = {});
// Same, with the settings store and record of the application context (an absent store: the
// orientation alone).
TResultatTrt AppliqueTrtsImage(QImage &Image, const TContexte &Contexte, const QString &cCle,
                               const QString &cOrientation);

// Switches a treatment of an image in the settings store (not saved here).
//  - codes 0 and 1: a quarter turn of the picture seen, left or right;
//  - codes 2 and 3: a mirror H or V of the picture seen;
//  - codes 4, 5, 7: a parameter switches the treatment on with it, none switches it off;
//  - code 6: the negative is switched on or off.
// Turns and mirrors do nothing while the automatic orientation applies to the image. Returns
// whether the store changed.
bool BasculeTrt(TBigIniFile &iniSetup, const TEnrParametres &Parametres, const QString &cCle,
                const QString &cOrientation, int nCode, const QString &cParam = {});

// The treatments block of an image's hint: the heading, then one line per treatment, each
// preceded by "\r\n"; empty for an image without treatments.
QString DecritTrtsImage(const TRecetteTrts &Recette, const QString &cEntete = cEnteteTrtsImage);

// What the treatment controls show for the current image.
struct TEtatTrtsImage
{
    bool lRotationsMiroirs = false; // turn and mirror controls enabled
    bool lCouleurs = false;         // black and white, contrast, negative, channels enabled
    bool lNoirEtBlanc = false, lContrasteLuminosite = false, lNegatif = false, lCanaux = false; // checked
    // The captions of the thumbnail pop-up's entries.
    QString cRotEtat, cMirEtat, cNB, cCL, cNeg, cCanaux;
};

// lValide: an entry is selected and its picture could be read; lModeMAJ: update mode.
TEtatTrtsImage EtatTrtsImage(const TRecetteTrts &Recette, bool lValide, bool lModeMAJ);

#pragma once
// The thumbnail pop-up menu `pmVigs`: which entries are enabled for the current image, and the
// order in which the features' own entries are laid out.

#include <QString>
#include <QStringList>

// What the menu's entries depend on.
struct TEtatVignette
{
    bool C = false;          // there is a current row
    bool E = false;          // its file is available (`lExiste`)
    bool L = false;          // its image could be read (not `lIllisible`)
    bool M = false;          // update mode
    int nNbCoches = 0;       // ticked rows
    bool lWav = false;       // the ".WAV" companion exists
    bool lSurCD = false;     // the image is on a CD
    bool lAlbumsWEB = false; // a personal web album with folders exists
    bool lOrientationAuto = false;
    QString cOrientation;    // the image's EXIF orientation
    bool lProgramme = false; // an opening program is known for the image
};

struct TActivationPmVigs
{
    bool lEditerCriteres = false;
    bool lPleinEcran = false;
    bool lProprietes = false;
    bool lMemoSonore = false;
    bool lAlbumImages = false, lAlbumImagesCourante = false, lAlbumImagesSelection = false;
    bool lAlbumWEB = false, lAlbumWEBCourante = false, lAlbumWEBSelection = false;
    bool lRotationsMiroirs = false;
    bool lCouleurs = false; // black and white, contrast, negative, channels, favourite
    bool lCopierDonnees = false;
    bool lExplorer = false;
    bool lOuvrirAvecVisible = false;
    bool lVignettesEnregistrees = false;
};

TActivationPmVigs ActivationPmVigs(const TEtatVignette &e);

// The object names of the menu's entries in the order they are laid out; the features' entries
// not named here follow, in the order the features gave them.
const QStringList &OrdrePmVigs();
// The rank of an entry by its object name (past the end when unknown).
int RangPmVigs(const QString &cNomObjet);
// The group of an entry: separators go between groups (unknown entries make their own).
int GroupePmVigs(const QString &cNomObjet);

#pragma once
// The image list of the criteria trees (`ilArbres`): the program's own 16 × 16 pictograms at
// indexes 0 to 38, then the criteria's own icons, read from the icon folder, from index 39 on.
//
// Every view of the criteria tree shows its nodes with these pictures, so one list serves
// them all; each distinct icon file is read once per loading of the tree.

#include <QByteArray>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace IconesArbres
{
inline constexpr int nTaille = 16;
inline constexpr int nNbIntegrees = 39;

// Roles of the built-in pictures; pairs are (normal, selected or open).
enum TIndexIntegre : int {
    nDossierFerme = 0,
    nDossierOuvert = 1,
    nCaseDecochee = 2,
    nCaseCochee = 3,
    nGroupeMotsCles = 4,
    nMotCle = 6,
    nCoupDeCoeur = 8,
    nLegende = 10,
    nDescription = 12,
    nGroupeExif = 14,
    nExifModele = 16,
    nExifFocale = 18,
    nExifExposition = 20,
    nExifOuverture = 22,
    nExifDate = 24,
    nExifIso = 26,
    nExifOrientation = 28,
    nExifCommentaire = 30,
    nExifFocale35 = 32,
    nGroupeIptc = 34,
    nSousGroupeIptc = 35,
    nElementIptc = 37,
};

// The built-in picture nIndex (0 to 38), 16 × 16 with a transparent background; a null image
// outside that range. Drawn once, on first use.
QImage ImageIntegree(int nIndex);

// An icon file larger than this is not a 16 × 16 picture worth reading.
inline constexpr qint64 nMaxOctetsIcone = 256 * 1024;

// Reads a whole icon file; nothing when it is missing, not a regular file, larger than
// nMaxOctetsIcone or unreadable.
std::optional<QByteArray> LitFichierIcone(const QString &cFichier);

// True when cNom may name a file inside the icon folder: not empty, no folder separator, not
// "." or "..", no NUL.
bool NomIconeAcceptable(const QString &cNom);

// The picture of an icon file's bytes as the trees show it: only a 16 × 16 picture is taken,
// and every pixel of exactly its bottom-left colour becomes transparent. A null image for
// anything else (wrong size, undecodable bytes).
QImage ImageIconeCritere(const QByteArray &Octets);
}

class TListeImagesArbres
{
public:
    using FnLitFichier = std::function<std::optional<QByteArray>(const QString &cFichier)>;

    TListeImagesArbres();

    // The folder the icon files are named in, ending with "/".
    void setDossier(const QString &cDossierImgsCH) { m_cDossier = cDossierImgsCH; }
    const QString &Dossier() const { return m_cDossier; }
    // How icon files are read (tests count the reads through it).
    void setLecteur(FnLitFichier fnLit) { m_fnLit = std::move(fnLit); }

    // Forgets the criteria icons and the names met so far: the built-in pictures remain.
    void Vide();

    // The index a node named with this icon file shows: 39 + n for a usable file, reused
    // when the same name comes again, 0 (the default folder) for anything else. The file is
    // read at most once between two Vide(), whether it was usable or not.
    int IndexIcone(const QString &cNomFichier);

    // Built-in pictures plus the criteria icons loaded.
    int Nombre() const { return IconesArbres::nNbIntegrees + int(m_Images.size()); }
    QImage Image(int nIndex) const;
    // The icon of a node shown with nIndex: for the default folder, closed when collapsed and
    // open when expanded (QIcon::Off and QIcon::On); the criterion's own picture otherwise.
    // Needs the GUI application.
    QIcon Icone(int nIndex) const;

private:
    QString m_cDossier;
    FnLitFichier m_fnLit;
    std::vector<QImage> m_Images;        // index 39 + n
    QHash<QString, int> m_IndexParNom;   // file name -> index given (0 for an unusable file)
    mutable std::vector<QIcon> m_Icones; // built on demand, parallel to m_Images
    mutable QIcon m_IconeDossier;
};

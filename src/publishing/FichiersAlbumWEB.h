#pragma once
// The names and files of a web album: the output name of an image, the colour text of the
// pages, the check of a node's folder path, and the only way the generator makes folders and
// files, which keeps every one of them inside the album folder.

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// The output name of an image in folder cDossier: the file name part of cFichier with spaces
// made "_" and, for a kind decoded by the imaging library, the extension made ".jpg"; when
// that name is taken in cDossier, "B(2)E", "B(3)E"... (B the name without its extension, E
// the extension with its dot). A link, even a broken one, takes its name.
QString NomFichierUnique(const QString &cDossier, const QString &cFichier);
// The same with the names taken told by Pris instead of read from a folder.
QString NomFichierUnique(const QString &cFichier, const std::function<bool(const QString &cNom)> &Pris);

// The six lower-case hexadecimal digits red, green, blue of a colour value whose lowest byte
// is red (0x0000FF gives "ff0000").
QString CouleurHTML(quint32 nCouleur);

// The refusal of a node path inside the album, empty when it is acceptable: an empty path is
// the album folder itself; otherwise no part between the "/" may be empty, "." or "..", nor
// hold a NUL.
QString ErreurCheminNoeud(const QString &cChemin);

// The album folder, held open from the moment it is checked. Every folder and file of the
// album is made through it, by a relative path whose parts are checked as node paths are and
// whose every step is opened without following a link, so that nothing can be written outside
// the folder even when a link was planted in it.
class TDossierAlbumWEB
{
public:
    // Opens the folder and checks that it exists, is a folder, can be written and is empty;
    // otherwise Erreur() names it and says why.
    explicit TDossierAlbumWEB(const QString &cDossier);
    ~TDossierAlbumWEB();
    TDossierAlbumWEB(const TDossierAlbumWEB &) = delete;
    TDossierAlbumWEB &operator=(const TDossierAlbumWEB &) = delete;

    bool Ouvert() const { return nFd >= 0; }
    QString Erreur() const { return cErreur; }
    // The folder's path with its final "/".
    QString Chemin() const { return cDossier; }

    // Creates the folder cRelatif and its missing parents ("" is the album folder itself).
    bool CreeDossiers(const QString &cRelatif);
    // Writes Donnees as the whole content of the file cRelatif, replacing a regular file of
    // that name; with nDateNs set, gives it that modification time (nanoseconds since 1970).
    bool EcritFichier(const QString &cRelatif, const QByteArray &Donnees, std::optional<qint64> nDateNs = {});
    // Copies the file cSource unchanged to cRelatif with the source's modification time.
    bool CopieFichier(const QString &cSource, const QString &cRelatif);

private:
    // The descriptor of the folder holding the last part of cRelatif, creating missing folders
    // when lCreer; -1 with cErreur set on failure. The caller closes it unless it is nFd.
    int OuvreParent(const QString &cRelatif, QString &cNom, bool lCreer);
    int OuvreEnEcriture(const QString &cRelatif);
    bool Echec(const QString &cRelatif, int nErr);

    QString cDossier;
    QString cErreur;
    int nFd = -1;
};

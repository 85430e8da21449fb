#pragma once
// The history of the web albums made so far: the folders kept in "ALBUMS WEB:HISTORIQUE" as
// rows to list (name, parent folder, date, file counts, keywords), the keyword filter, and the
// deletion of an album from the disk. Keys are written by the album window but may have been
// edited by anyone, so a key is only trusted once it is a clean absolute path to a folder that
// holds a real Index.htm, and a deletion goes through the album window's own trash move.

#include "publishing/FenetreAlbumWEB.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

class IOperationsFichiers;
class TBigIniFile;

// The most of Index.htm read for its keywords.
inline constexpr qint64 nMaxLectureMotsCles = 1 << 20;

struct TComptesFichiersAlbum
{
    int nVignettes = 0; // JPEG files held by a folder named "Vignettes"
    int nImages = 0;    // JPEG files held by a folder named "Images"
    friend bool operator==(const TComptesFichiersAlbum &, const TComptesFichiersAlbum &) = default;
};

// One row of the history list.
struct TLigneHistoAlbumWEB
{
    QString cCle;    // the history key: the album folder, ending with "/"
    QString cNom;    // its last folder name
    QString cParent; // the folder that holds it, ending with "/"
    QDateTime dDate; // modification time of its Index.htm
    TComptesFichiersAlbum Comptes;
    QString cMotsCles;

    QString Index() const { return cCle + QStringLiteral("Index.htm"); }
};

// The keywords written in the head of cDossier + "Index.htm", as the user typed them (the
// entities of the page decoded); empty when the file cannot be read or has no keywords line.
// Reads at most nMaxLectureMotsCles bytes, and no further than the end of the head.
QString MotsClesAlbum(const QString &cDossier);

// The thumbnails and images of an album: the whole tree under cDossier, links never followed,
// names beginning with "." skipped, each folder walked once.
TComptesFichiersAlbum CompterFichiersAlbum(const QString &cDossier);

// True when cCle is an absolute, normalised folder path ending with "/" (no "..", ".", "//").
bool CleHistoriqueValide(const QString &cCle);

// True when cMotCle occurs in cMotsCles; with lMotEntier, at an occurrence that no letter or
// digit (of any script) touches on either side. Every occurrence is tried; an empty cMotCle
// occurs nowhere.
bool ContientMotCle(const QString &cMotsCles, const QString &cMotCle, bool lMotEntier);

struct TFiltreHistoAlbumWEB
{
    bool lMotCle = false; // only the albums whose keywords hold cMotCle
    QString cMotCle;      // compared as is: the window trims and upper-cases it
    bool lMotEntier = true;
};

enum class TEtatSuppressionHisto {
    Supprime, // in the trash, key removed and saved
    NonSauve, // in the trash, key removed, the store not written (kept for its next save)
    Refuse,   // not a web album: nothing moved, the key kept
    Echec,    // the trash would not take it: the folder and the key kept
};
struct TSuppressionHisto
{
    TEtatSuppressionHisto nEtat = TEtatSuppressionHisto::Refuse;
    QString cMessage; // what to tell the user, empty on success
};

// The rows of the history, each album read once while the object lives: a refill with another
// filter reads no file again (it only looks whether each Index.htm is still there).
class THistoriqueAlbumsWEB
{
public:
    THistoriqueAlbumsWEB(TBigIniFile &Parametres, TProtectionsAlbumWEB Protections)
        : m_Parametres(Parametres), m_Protections(std::move(Protections))
    {}

    // The albums of the history still on the disk that pass the filter, sorted by key as a
    // French user sorts (case ignored).
    QList<TLigneHistoAlbumWEB> Lignes(const TFiltreHistoAlbumWEB &Filtre);

    // Sends the album of the key to the trash, then removes the key and saves the store.
    TSuppressionHisto Supprime(const QString &cCle, IOperationsFichiers &Operations);

private:
    const TLigneHistoAlbumWEB &Ligne(const QString &cCle);

    TBigIniFile &m_Parametres;
    TProtectionsAlbumWEB m_Protections;
    QHash<QString, TLigneHistoAlbumWEB> m_Cache;
};

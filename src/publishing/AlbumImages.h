#pragma once
// The image album: a working collection of images gathered from any number of folders, kept
// in memory while the program runs, saved under a name in the settings store and restored
// later. The album window shows it; the file operations keep it right through IAlbumImages.
//
// An entry keeps its thumbnail for good, but its full treated picture only while its page is
// the active one or one of its two neighbours: a few hundred decoded 20 MP pictures would
// exhaust the memory.

#include "exploration/EnrLV.h"
#include "publishing/OptionsAlbumWEB.h"
#include "publishing/Suivi.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

class IMessages;
class QWidget;
class TBigIniFile;
struct TEnrParametres;

class IAlbumImages
{
public:
    virtual ~IAlbumImages() = default;
    // The position of the image in the album, or -1.
    virtual int IndexImage(qint32 nVolume, const QString &cChemin) const = 0;
    // Removes the image's entry, when it is there.
    virtual void EnleverImage(qint32 nVolume, const QString &cChemin) = 0;
    // The entry follows its file to a new path (caption, page and hint included).
    virtual void RenommeImage(qint32 nVolume, const QString &cAncienChemin, const QString &cNouveauChemin) = 0;
    // Refreshes the album's copy of an entry and its hint (after dating).
    virtual void MettreAJourImage(const TEnrLV &Enr) = 0;
};

// The sections of saved albums: this prefix, then the album's name.
inline const QString cPrefixeAlbumImages = QStringLiteral("SAUVEGARDE ALBUM IMAGES:");

// One image of the album.
struct TEnrImgAlbum
{
    TEnrLV Enr;              // the album's own copy of the list entry
    QImage imVignette;       // the thumbnail, treated
    QString cBulle;          // the thumbnail's hint (markup)
    QImage imImage;          // the full picture after its treatments; null while the page is far from view
    bool lIllisible = false; // the last load failed: imImage is the placeholder

    QString Titre() const { return Enr.NomFichier(); }
};

// Whether each button of the album window may act.
struct TEtatBoutonsAlbum
{
    bool lSupprImgCour = false;
    bool lSupprTtesImg = false;
    bool lSvgTtesVig = false;
    bool lAlbumWEB = false;
    bool lSvgAlbImg = false;
    bool lRstAlbImg = false;
    bool lSupprAlbImg = false;
    int nNomListe = -1; // the listed name the text designates, -1 when none
};

// An entry of the image list may join the album: not on an indexed CD, reachable, readable.
bool PeutAjouterAlbum(const TEnrLV &Enr);

class TAlbumImages : public QObject, public IAlbumImages
{
    Q_OBJECT
public:
    TAlbumImages(TBigIniFile &iniSetup, const TEnrParametres &Parametres, QObject *Parent = nullptr);
    ~TAlbumImages() override;

    // Seams. The untreated full picture of an entry, null when it cannot be loaded (the
    // image loading by default).
    std::function<QImage(const TEnrLV &Enr)> fnChargeImage;
    // The treatments and orientation of an image applied to one of its pictures; true when it
    // changed (the remembered treatments by default).
    std::function<bool(QImage &Image, const TEnrLV &Enr)> fnTraite;
    // The hint of a restored image's thumbnail (its full path by default).
    std::function<QString(const TEnrLV &Enr)> fnBulle;
    // The thumbnail cache folder (ending in "/") and the thumbnails' side, for restoring.
    QString cDossierVignettes;
    int nDVignette = 160;

    // ---- Entries

    int Nombre() const { return int(m_Entrees.size()); }
    const TEnrImgAlbum &Entree(int n) const { return m_Entrees.at(n); }
    // Adds the image unless it is there already; returns its position.
    int AjouterImage(const TEnrLV &Enr, const QImage &imVignette, const QString &cBulle);
    int IndexImage(qint32 nVolume, const QString &cChemin) const override;
    void EnleverImage(qint32 nVolume, const QString &cChemin) override;
    void EnleverPosition(int n);
    // Removes every entry, from the last.
    void EnleverTout();
    void RenommeImage(qint32 nVolume, const QString &cAncienChemin, const QString &cNouveauChemin) override;
    void MettreAJourImage(const TEnrLV &Enr) override;
    void MetVignette(int n, const QImage &imVignette, const QString &cBulle);

    // ---- Pages

    // The page shown; the full pictures of it and its two neighbours are decoded, the others
    // freed.
    void Active(int n);
    int PageActive() const { return m_nActive; }
    // How many entries hold their full picture now, and how many loads were made in all.
    int NombreImagesPleines() const;
    int NombreChargements() const { return m_nChargements; }

    // The album for the web album generator: the pictures at hand are handed over, the others
    // are loaded and treated by the generator one at a time.
    QList<TEnrLstAW> ListeAlbumWEB() const;

    // ---- Saved albums

    // The names of the saved albums, sorted without regard to case.
    const QStringList &NomsSauves() const { return m_Noms; }
    // Reads them from the sections of the settings store (start-up).
    void LitNomsSauves();
    // The position in the list of the name equal, case aside, to the trimmed text; -1.
    int IndexNom(const QString &cTexte) const;
    TEtatBoutonsAlbum EtatBoutons(const QString &cTexte, bool lModeMAJ) const;
    // The paths kept under a name, in album order.
    QStringList CheminsSauves(const QString &cNom) const;

    // Asks before replacing a saved album, writes the entries' paths and saves the store;
    // tells how many were saved. False when nothing was saved (refused, or the store could
    // not be written: the section stays changed in memory).
    bool SauverAlbum(const QString &cNom, IMessages &Messages, QWidget *Parent = nullptr);
    // Replaces the album by the images kept under the name whose files still exist (asked
    // first when the album is not empty). Returns the number of entries added, -1 when
    // nothing was done. The section is never changed.
    int RestaurerAlbum(const QString &cNom, IMessages &Messages, QWidget *Parent = nullptr, const TSuivi &Suivi = {});
    // Asks, erases the section and saves the store. False when refused.
    bool SupprimerAlbum(const QString &cNom, IMessages &Messages, QWidget *Parent = nullptr);
    // The entry a restored file gets: size, date and metadata from the file, resolution from
    // its JPEG header or else from the thumbnail data kept in the store.
    TEnrLV EnrRestaure(const QString &cChemin) const;

    // The saved albums holding the image key, in list order (the thumbnail hints show them).
    QStringList AlbumsDeImage(const QString &cCle) const;

signals:
    void EntreeAjoutee(int n);
    void EntreeEnlevee(int n);
    // Caption, hint or thumbnail changed.
    void EntreeModifiee(int n);
    // The full picture of an entry was loaded or freed.
    void ImagePleineChangee(int n);
    void NomsChanges();

private:
    QImage ChargePleine(TEnrImgAlbum &e);
    void MajImagesPleines();
    QImage VignetteRestauree(const TEnrLV &Enr) const;
    void AjouteNom(const QString &cNom);
    void Indexe() const;

    TBigIniFile &m_iniSetup;
    const TEnrParametres &m_Parametres;
    QList<TEnrImgAlbum> m_Entrees;
    int m_nActive = -1;
    int m_nChargements = 0;
    QStringList m_Noms;
    // Image key → saved albums holding it; rebuilt when the settings store changed.
    mutable QHash<QString, QStringList> m_Index;
    mutable quint64 m_nGenerationIndex = ~quint64(0);
};

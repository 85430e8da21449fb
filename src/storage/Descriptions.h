#pragma once
// Free-text descriptions of images: the "descript.ion" file of the image's folder, shared with
// file managers, for an image not on a CD; the DESCRIPTIONS section of the settings store for
// an image on a CD (read-only medium).

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <utility>

class TBigIniFile;

inline const QString cNomFichierDescriptions = QStringLiteral("descript.ion");

// Modes of DescriptionImage.
enum : int {
    nDescLecture = 0,
    nDescEcriture = 1,
    nDescRenommage = 2,
    nDescSuppression = 3,
};

// Parses one descript.ion line. An entry is a name, then a blank or a tab, then the
// description; a name holding blanks is between double quotes. False for a line that is not an
// entry (empty, no separator, an opening quote never closed).
bool AnalyseLigneDescription(const QString &cLigne, QString &cNom, QString &cDescription);

// The entry line written for a name, or empty when the name cannot be written so that it
// reads back (it holds a line break, or both a double quote and a blank).
QString LigneDescription(const QString &cNom, const QString &cDescription);

// One line of text: line breaks become blanks, the ends are trimmed.
QString DescriptionSurUneLigne(const QString &cDescription);

// One line of a parsed descript.ion.
struct TLigneDescriptions
{
    QByteArray Brut; // bytes written back, without line end (as read when unchanged)
    QString cTexte;
    QString cNom; // entry name, or empty for a line that is not an entry
    QString cDescription;
};

// The descriptions of one folder's images as its descript.ion stood when they were taken, for a
// listing that reads many of them: the file is checked once, then each name is one lookup. It
// shares the parsed file with TDescriptions (nothing is copied unless the file changes).
class TDescriptionsDossier
{
public:
    // The description of the folder's file cNom, as TDescriptions::DescriptionImage reads it.
    QString Description(const QString &cNom) const;

private:
    friend class TDescriptions;
    QString m_cDossier;
    QList<TLigneDescriptions> m_Lignes;
    QHash<QString, int> m_IndexExact;
    QHash<QString, QList<int>> m_IndexCasse;
};

// The descriptions of images, with the parsed descript.ion files cached per folder: a file is
// read again only when its modification time, size or inode changes, so that listing a folder
// reads its descript.ion once. Used from one thread.
class TDescriptions
{
public:
    explicit TDescriptions(TBigIniFile &iniSetup);
    ~TDescriptions();

    // nVolume and cChemin as in the image key (a CD image's path starts at the disc's root).
    // Modes: read; write cNouvelleDescription (an empty one clears it); rename the entry to
    // the file name of cNouveauChemin (another folder: the description moves there); delete.
    // Returns the description read or found before the change. CD images are only read and
    // written: they are never renamed nor deleted.
    QString DescriptionImage(qint32 nVolume, const QString &cChemin, int nMode,
                             const QString &cNouvelleDescription = {}, const QString &cNouveauChemin = {});

    // The descriptions of the images of cDossier (ending with "/"), not on a CD, as they stand
    // now.
    TDescriptionsDossier DescriptionsDossier(const QString &cDossier);

    // Several descriptions of the images of one folder (file name, new description; an empty
    // one removes the entry), written with one save of its descript.ion, each by the rules of
    // a single write. False when the save failed: the changes are then kept as a single
    // change is.
    bool EcritDescriptionsDossier(const QString &cDossier, const QList<std::pair<QString, QString>> &Changements);

    // False when the last change of a descript.ion could not be saved; the change is kept in
    // memory and saved with the next change of that file (unless the file changed meanwhile).
    bool DerniereEcritureReussie() const { return m_lEcritureOk; }

    // Drops every cached file without pending changes.
    void OublieCache();

private:
    using TLigne = TLigneDescriptions;
    struct TFichier
    {
        bool lExiste = false;
        qint64 nTaille = -1;
        qint64 nMtimeNs = 0;
        quint64 nInode = 0;
        bool lBOM = false;
        bool lWindows1252 = false;  // read as Windows-1252: new lines are written in it too
        bool lLectureSeule = false; // could not be read whole: never rewritten
        bool lEnAttente = false;    // a change that could not be saved yet
        QList<TLigne> Lignes;
        QHash<QString, int> IndexExact;        // name -> first entry line
        QHash<QString, QList<int>> IndexCasse; // case-folded name -> entry lines
    };

    TFichier &Fichier(const QString &cDossier);
    static void Indexe(TFichier &F);
    static QByteArray Encode(const TFichier &F, const QString &cTexte);
    int Entree(const TFichier &F, const QString &cDossier, const QString &cNom) const;
    // nLigne < 0 appends.
    static void RemplaceLigne(TFichier &F, int nLigne, const QString &cTexte);
    static void SupprimeLigne(TFichier &F, int nLigne);
    static bool SupprimeEntreesExactes(TFichier &F, const QString &cNom);
    void Enregistre(const QString &cDossier, TFichier &F);

    TBigIniFile &m_iniSetup;
    QHash<QString, TFichier> m_Fichiers;
    bool m_lEcritureOk = true;
};

#pragma once
// Folder trees of image keys, shared by the database explorer and the CD history window.
// Sorted lists of images are split into folder nodes; each node keeps the positions of its
// own images in its list, since a folder's images need not be neighbours in path order
// ("/a/b.jpg", "/a/b/x.jpg", "/a/c.jpg"). Images off CDs hang under "/", CD images under
// "CDs" below a node per disc captioned from LABELS CD. Folders compare exactly: two
// spellings differing by case are two nodes.

#include "storage/CleImage.h"

#include <QHash>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class TBigIniFile;

// The CD history's sort key: the volume identifier followed by the upper-cased path, compared
// by character codes.
QString CleTriHistoCD(qint32 nIdCD, const QString &cChemin);
// The positions of CD images in the history's order: by CleTriHistoCD, then by volume, then by
// exact path, so that the order never depends on the store's.
std::vector<int> OrdreHistoCD(const std::vector<TEnrLST> &CD);

// "8a3f-1", or "8a3f-1 - "PHOTOS"" when LABELS CD holds a label for the CD.
QString LegendeCD(const TBigIniFile &iniSetup, qint32 nIdCD);

struct TNoeudDossier
{
    QString cTexte;
    TNoeudDossier *pParent = nullptr;
    // 0/1 folder without images of its own, 2/3 with, 4/5 the top node "CDs".
    int nIcone = 0;
    bool lCD = false;
    qint32 nVolume = 0; // the disc of a CD's node or folder; 0 off CDs and for "CDs"
    // The folder from the root of "/" or of the disc, ending with "/" ("/" for the root or a
    // disc's node); empty for "CDs".
    QString cDossier;
    // Positions in the list the node was built from (the CD list when lCD) of the images of
    // this very folder; none for a node without images of its own.
    std::optional<std::vector<int>> Images;
    std::vector<std::unique_ptr<TNoeudDossier>> Enfants;

    int NbImages() const { return Images ? int(Images->size()) : 0; }
};

struct TArboDossiers
{
    // "/" for the images off CDs, "CDs" for the CD images; each present only when it has images.
    std::vector<std::unique_ptr<TNoeudDossier>> Racines;
    // The folder of the first image (off CDs first), else null.
    TNoeudDossier *pPremier = nullptr;
    bool ADesImages() const { return pPremier != nullptr; }
};

// The folders of images, each named once, so that a tree of any part of them is then built
// from numbers, without comparing texts again.
class TDossiersImages
{
public:
    // Qt::SkipEmptyParts: a doubled "/" adds no folder; Qt::KeepEmptyParts: an empty name
    // between two "/" is a folder of its own, as the path spells it.
    explicit TDossiersImages(Qt::SplitBehavior Vides = Qt::SkipEmptyParts) : m_Vides(Vides) {}

    // The number of an image's folder (the disc's own node for an image at a disc's root), made
    // with its missing ancestors when first met; -1 for an image at the root "/". The path
    // starts with "/".
    int Dossier(const TEnrLST &e);
    std::vector<int> Dossiers(const std::vector<TEnrLST> &Liste);
    int Nombre() const { return int(m_Dossiers.size()); }

    // The tree of two lists of images given by their folders' numbers, the images off CDs and
    // the CD images, each in the order they are to be listed. A node's Images are positions in
    // its list; nodes are made in the order their first image comes.
    TArboDossiers Arbo(const std::vector<int> &HorsCD, const std::vector<int> &CD, const TBigIniFile &iniSetup) const;

private:
    struct TDossier
    {
        int nParent = -1; // -1: right under "/" or "CDs"
        QString cTexte;   // empty for a disc's node, whose caption reads the labels
        qint32 nVolume = 0;
        QString cDossier;
    };
    Qt::SplitBehavior m_Vides;
    std::vector<TDossier> m_Dossiers;
    QHash<QString, int> m_ParDossier;    // by volume and folder text as spelled
    QHash<QString, int> m_ParComposants; // by volume and the names that make the node
    QHash<qint32, int> m_ParCD;
    // The previous image's folder: in path order the folder seldom changes.
    QString m_cPrec;
    qsizetype m_nFinPrec = -1;
    qint32 m_nVolPrec = 0;
    int m_nPrec = -1;
};

// The tree of two sorted lists (TDossiersImages on both, then its Arbo).
TArboDossiers ConstruitArboDossiers(const std::vector<TEnrLST> &HorsCD, const std::vector<TEnrLST> &CD,
                                    const TBigIniFile &iniSetup, Qt::SplitBehavior Vides = Qt::SkipEmptyParts);

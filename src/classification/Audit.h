#pragma once
// The catalogue audit: a report on the criteria tree, the keywords, the saved searches and
// keyword sets, and the images grouped by rubric, composed as a list of rich-text paragraphs
// that the audit page shows, copies, saves as RTF and prints. Nothing is written to the stores.
//
// The composition reads everything through TSourceAudit, so that the page can plug in what
// lives above this library (hints, albums, descriptions) and the tests can plug in fakes.
// TDonneesAuditStores fills the parts that come from the two stores and the index.

#include "platform/EcritRTF.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class TBigIniFile;
class TIndexClassement;
struct TDemandeRecherche;

// The six rubrics, in the order of the report.
enum class TRubriqueAudit { Traitement, Critere, MotCle, AlbumImages, AlbumWEBPerso, Appareil };
inline constexpr int nNbRubriquesAudit = 6;

struct TOptionsAudit
{
    bool lGalCritHier = true, lGalMCPres = true, lGalCritEnr = true, lGalMCEnr = true;
    std::array<bool, nNbRubriquesAudit> Rubriques{true, true, true, true, true, true};
    bool lAffTrt = true, lAffCrit = true, lAffEXIF = true, lAffIPTC = true, lAffAlbImg = true, lAffAlbWHP = true;

    bool Rubrique(TRubriqueAudit r) const { return Rubriques[size_t(r)]; }
    bool UneRubrique() const;
    // At least one section or rubric is asked for.
    bool PeutGenerer() const;
    // A detail needing the image's entry record (treatments, albums, EXIF, IPTC).
    bool DetailsEntree() const { return lAffTrt || lAffAlbImg || lAffAlbWHP || lAffEXIF || lAffIPTC; }
};

// All the groups of a rubric, and those the filter keeps (all of them when there is no filter).
struct TGroupesRubrique
{
    QStringList Tous;
    QStringList Selection;
    bool Filtree() const { return Selection.size() < Tous.size(); }
};

struct TSelectionsAudit
{
    std::array<TGroupesRubrique, nNbRubriquesAudit> Rubriques;
    TGroupesRubrique &operator[](TRubriqueAudit r) { return Rubriques[size_t(r)]; }
    const TGroupesRubrique &operator[](TRubriqueAudit r) const { return Rubriques[size_t(r)]; }
    // Some rubric has fewer selected groups than groups.
    bool FiltreActif() const;
};

// One listed image.
struct TEnrNomImg
{
    qint32 nIdCD = 0;
    QString cChemin;
    QString cCle;
    QString cAffiche; // CD images: identifier - "label" : path; others: the path
};

// The record of a key; fnLabelCD gives a CD's label (empty when none).
TEnrNomImg EnrNomImg(const QString &cCle, const std::function<QString(qint32 nIdCD)> &fnLabelCD);
// Images off CDs first by path, then CD images by identifier, label and path: "0" or "1" then
// the upper-cased display text, by character codes.
void TrieNomsImg(QList<TEnrNomImg> &Liste);

// A node of the criteria tree, in tree order (parents before children).
struct TNoeudAudit
{
    QString cCaption;
    int nProfondeur = 0; // 0 at the top level
    QString cChemin;
};

// What an image's entry shows beyond its name.
struct TDetailsImageAudit
{
    qint64 nTaille = 0;
    QDateTime dtDate;     // invalid: none
    QString cTraitements; // treatment lines, CR LF separated
    QStringList Criteres; // the keys of its catalogue section
    QString cMotsCles;
    bool lCoupDeCoeur = false;
    QString cLegende;
    QString cDescription;
    QString cAlbumsImages; // lines
    QString cAlbumsWEBPerso;
    QString cEXIF; // plain lines, CR LF separated; empty: no block
    QString cIPTC;
};

struct TSourceAudit
{
    QString cDossierDonnees;
    bool lTrtDescription = false;
    bool lTrierArboCritHier = false;
    QList<TNoeudAudit> Criteres;
    QStringList MotsClesPresents;
    QStringList RecherchesEnregistrees; // in the order of the main window's list
    std::function<TDemandeRecherche(const QString &cNom)> fnRechercheEnregistree;
    QStringList MotsClesEnregistres;
    // The image keys of one group of a rubric (the criterion rubric's groups are node paths).
    std::function<QStringList(TRubriqueAudit, const QString &cGroupe)> fnImagesGroupe;
    std::function<QString(qint32 nIdCD)> fnLabelCD;
    // Size, date and the details the options ask for; asked once per image and report, an
    // image listed in several groups showing the same details each time.
    std::function<TDetailsImageAudit(const TEnrNomImg &, const TOptionsAudit &)> fnDetails;
    // Polled after each image; true ends the report with "Audit interrompu.".
    std::function<bool()> fnInterrompre;
    // Called after each image listed, with the number listed so far, and after each group.
    std::function<void(int nImages)> fnAvance;
    std::function<void()> fnGroupe;
};

// Paragraphs added one at a time with the look current at that moment, as a rich-text box
// receives lines.
class TRedacteurAudit
{
public:
    void Ligne(const QString &cTexte = {});
    // A line that will not come back (an image's entry): its run is not kept for reuse.
    void LigneUnique(const QString &cTexte);
    // A paragraph of several runs in the current alignment and indents.
    void Segments(const QList<TSegmentRTF> &Segments);
    void Titre(int nNiveau, const QString &cTitre); // numbered heading
    void LigneEtiquetee(const QString &cEtiquette, const QString &cValeur);
    void BlocEtiquete(const QString &cEtiquette, const QString &cValeur);
    // The same block with its value already cut at its CR LF.
    void BlocEtiqueteLignes(const QString &cEtiquette, const QStringList &Lignes);

    TAlignementRTF nAlignement = TAlignementRTF::Gauche;
    double rRetraitPremiere = 0; // points
    double rRetraitGauche = 0;
    bool lPuce = false;
    double rTaille = 8;
    bool lGras = false, lSouligne = false;

    void NouvelleSection() { m_nNumero2 = 1; }
    QList<TParagrapheRTF> Paragraphes;

private:
    // A report of a hundred thousand images repeats a few thousand lines (labels, criteria,
    // keywords, empty lines) millions of times: each text in each look is made into runs once,
    // and every paragraph showing it shares them.
    const QList<TSegmentRTF> &Runs(const QString &cTexte);
    void Ajoute(const QList<TSegmentRTF> &Runs);
    struct TRunsDUnAspect
    {
        double rTaille;
        bool lGras, lSouligne;
        QHash<QString, QList<TSegmentRTF>> ParTexte;
        QList<TSegmentRTF> Vide; // the empty line's, once lVide
        bool lVide = false;
        struct TRecent
        {
            QString cTexte;
            QList<TSegmentRTF> Runs;
        };
        static constexpr size_t nRecents = 512;
        std::vector<TRecent> Recents; // by the text's address
    };
    QList<TRunsDUnAspect> m_Aspects;
    qsizetype m_nAspect = -1; // the look of the last line
    int m_nNumero1 = 1, m_nNumero2 = 1;
};

inline const QString cTitreAudit = QStringLiteral("Audit de la base de données.");
inline const QString cAuditInterrompu = QStringLiteral("Audit interrompu.");

// Composes the report. Returns false when it was interrupted (the report then ends with
// "Audit interrompu." and is usable as it stands).
bool ComposeAudit(const TSourceAudit &Source, const TOptionsAudit &Options, const TSelectionsAudit &Selections,
                  QList<TParagrapheRTF> &Paragraphes);

// The number of groups the report will go through (fnGroupe is called once for each).
int NombreGroupesAudit(const TSourceAudit &Source, const TOptionsAudit &Options, const TSelectionsAudit &Selections);

// "%d) %s %s le %s" or, without a date, "%d) %s %s".
QString LigneImageAudit(int nNumero, const TEnrNomImg &Enr, qint64 nTaille, const QDateTime &dtDate);

// ---- From the stores ----------------------------------------------------------------------

// The first item of every EXIF record, or for an image without one, the model read from its
// file when it can be reached (nullopt: no EXIF); computed once, on first use.
struct TTableAppareils
{
    QStringList Modeles; // each once, case ignored, sorted case ignored
    // Every image whose model matches ignoring case, in table order.
    QStringList Images(const QString &cModele) const { return ParModele.value(cModele.toCaseFolded()); }
    QHash<QString, QStringList> ParModele; // by the case-folded model
};
TTableAppareils ConstruitTableAppareils(const QStringList &ToutesImages, const TBigIniFile &iniSetup,
                                        const std::function<std::optional<QString>(const QString &cCle)> &fnModele);

// What the stores tell the audit: rubric groups (criteria and keywords from the index), labels,
// sizes and dates, and the classification of an image.
class TDonneesAuditStores
{
public:
    TDonneesAuditStores(const TBigIniFile &iniBDD, const TBigIniFile &iniSetup, TIndexClassement &Index,
                        const QString &cDossierVignettes);

    // All groups of the rubrics known when the explorer opens (the camera models excepted);
    // the criteria's top-level captions, the image albums and personal web albums are given.
    QStringList GroupesTraitements() const;
    QStringList GroupesMotsCles() const;

    // The image keys of a group; the personal web albums and camera models are answered by
    // the caller (they live elsewhere) and give an empty list here.
    QStringList ImagesGroupe(TRubriqueAudit r, const QString &cGroupe) const;
    QString LabelCD(qint32 nIdCD) const;
    // Size and date (CD images: the cached thumbnail's date and the stored size) and the
    // classification fields; the rest is left to the caller.
    TDetailsImageAudit Details(const TEnrNomImg &Enr, const TOptionsAudit &Options) const;

private:
    const TBigIniFile &m_iniBDD;
    const TBigIniFile &m_iniSetup;
    TIndexClassement &m_Index;
    QString m_cDossierVignettes;
};

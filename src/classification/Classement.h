#pragma once
// An image's classification: its criteria (a section of the catalogue store named by the image
// key, one key per deepest criterion path), its keywords, favourite mark and legend (keys of
// `MOTS-CLES`, `COUPS DE COEUR` and `LEGENDES` in the settings store) and, when descriptions
// are handled, its description (the folder's descript.ion, or `DESCRIPTIONS` for a CD image,
// which is only ever read here).
//
// Every write of a classification goes through this unit. A store is saved only when an
// action changed it, once per action: a batch saves each store once at its end and each
// descript.ion once per folder. A save that fails is reported, and the change stays in memory
// for the next save.
//
// The display side (the image's classification tree, the legend texts and the classification
// block of the image hint) is given as plain data for the views to show.

#include "classification/CochesCriteres.h"
#include "exploration/EnrLV.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class IMessages;
class QWidget;
class TArboCriteres;
class TBigIniFile;
class TDescriptions;
class TNoeudCritere;
struct TEnrParametres;

// What AppliquerClassement writes. Texts are trimmed before use; line breaks in a legend or a
// description become blanks; keywords are cleaned as every writer of `MOTS-CLES` cleans them.
struct TParamsClassement
{
    bool lAppCrit = false;   // apply the checked criteria
    bool lRemplCrit = false; // replace the image's criteria (else merge them)
    bool lAppMC = false;     // apply the keywords
    bool lRemplMC = false;   // replace the image's keywords (else merge them)
    QString cNouvMotsCles;
    bool lAppCDC = false; // apply the favourite mark
    bool lNouvCDC = false;
    bool lAppLeg = false; // apply the legend (empty removes it)
    QString cNouvLegende;
    bool lAppDes = false; // apply the description (empty removes it); never on a CD
    QString cNouvDescription;
    // Optional lists that a new legend or description is added to, unless a text equal to it
    // without regard to case is there already (the boxes of the window that applied it).
    QStringList *pListeLegendes = nullptr;
    QStringList *pListeDescriptions = nullptr;
};

struct TResultatClassement
{
    // The image keys whose classification changed, in the order they were applied.
    QStringList ClesModifiees;
    // Empty when every save asked for succeeded; otherwise the text to show under "Erreur",
    // naming each file that could not be written.
    QString cErreur;
    bool Reussi() const { return cErreur.isEmpty(); }
};

// How many images of a batch would lose each kind of data.
struct TPertesClassement
{
    int nCriteres = 0;
    int nMotsCles = 0;
    int nCoupsDeCoeur = 0;
    int nLegendes = 0;
    int nDescriptions = 0;
    int nImages = 0; // images losing at least one of them
    bool Aucune() const { return nImages == 0; }
};

// The search page's values and the choice window's buttons, as the application to the checked
// images reads them.
struct TChoixDonneesAppliquer
{
    bool lCriteres = true;
    bool lEffacerCriteres = true; // cbEASCritHier
    bool lMotsCles = true;
    bool lEffacerMotsCles = true; // cbEASMC
    bool lCoupDeCoeur = true;
    bool lLegende = true;
    bool lDescription = true; // only when descriptions are handled
    bool OKPossible() const { return lCriteres || lMotsCles || lCoupDeCoeur || lLegende || lDescription; }
};
TParamsClassement ParamsDepuisChoix(const TChoixDonneesAppliquer &Choix, bool lTrtDescription, bool lCritCDC,
                                    const QString &cCritMC, const QString &cCritLeg, const QString &cCritDes);

// A node of the image's classification tree: caption, image and selected image indexes in the
// trees' image list, whether the view shows it expanded, children.
struct TNoeudClassement
{
    QString cTexte;
    int nImage = 0;
    int nImageSel = 0;
    bool lDeplie = true;
    QList<TNoeudClassement> Enfants;
    friend bool operator==(const TNoeudClassement &, const TNoeudClassement &) = default;
};

// The legend or description text of a hint: empty for a blank text; with nLargeur below 1 the
// title in bold and the text quoted on the next line; otherwise the text cut by CouperLignes,
// quoted from its first line to its last, each line indented by five blanks.
QString TexteLegende(const QString &cTitre, const QString &cTexte, int nLargeur);

// The keyword text as it is stored: cleaned by the keyword normaliser, each word once (the
// first spelling kept).
QString MotsClesStockes(const QString &cTexte);

// Adds cTexte to the list unless a text equal to it without regard to case is there; true when
// added.
bool AjouteSansDoublon(QStringList &Liste, const QString &cTexte);

// The legends of `LEGENDES` as the search page's legend box lists them: each text once
// (compared without regard to case, the first spelling kept), blank ones left out, sorted as
// TrieFrancais does.
QStringList ListeLegendes(const TBigIniFile &iniSetup);

// The image of index nCourant's neighbour in a list of nNombre images, wrapping around at
// both ends; nSens is -1 (previous) or +1 (next).
int ImageVoisine(int nCourant, int nNombre, int nSens);

class TLotClassement;

class TClassement : public QObject
{
    Q_OBJECT
public:
    // The stores, the descriptions, the criteria tree and the settings are the application's;
    // they must outlive this object.
    TClassement(TBigIniFile &iniSetup, TBigIniFile &iniBDD, TDescriptions &Descriptions, const TArboCriteres &Arbo,
                const TEnrParametres &Parametres, QObject *parent = nullptr);
    ~TClassement() override;

    // ---- Reading an image's classification

    // Criteria, keywords, a favourite mark or a legend (descriptions do not count).
    bool AUnClassement(const TEnrLV &Image) const;
    QStringList CriteresImage(const TEnrLV &Image) const;
    QString MotsClesImage(const TEnrLV &Image) const;
    bool EstCoupDeCoeur(const TEnrLV &Image) const;
    QString LegendeImage(const TEnrLV &Image) const;
    // Empty when descriptions are not handled.
    QString DescriptionImage(const TEnrLV &Image) const;
    // Descriptions are handled and the image is not on a CD, whose descriptions are kept.
    bool DescriptionModifiable(const TEnrLV &Image) const;

    // ---- Writing

    // Writes the parts asked for to one image and saves what changed. Criteria are the deepest
    // checked ones of Coches: replacing writes them as they are (none erases the image's
    // criteria); merging adds them to the stored ones, keeps only the deepest paths that name
    // a node of the tree (compared exactly) and orders them as the tree does.
    TResultatClassement AppliquerClassement(const TEnrLV &Image, const TCochesCriteres &Coches,
                                            const TParamsClassement &Params);
    // The same on several images in their order; each store is saved once at the end and each
    // descript.ion once per folder.
    TResultatClassement AppliquerClassementLot(const QList<const TEnrLV *> &Images, const TCochesCriteres &Coches,
                                               const TParamsClassement &Params);
    // What the batch would remove: criteria, keywords, favourite marks, legends or descriptions
    // that an image holds and would no longer hold (a legend replaced by another counts).
    TPertesClassement PertesLot(const QList<const TEnrLV *> &Images, const TCochesCriteres &Coches,
                                const TParamsClassement &Params);
    // The question asked before such a batch, or empty when it removes nothing.
    static QString QuestionPertes(const TPertesClassement &Pertes, int nNbImages);

    // The application to the checked images of the list: "Aucune image à traiter." without
    // images; a batch that would remove data is asked first ("Attention", No by default);
    // errors are shown under "Erreur". Returns what was applied (nothing when refused).
    TResultatClassement AppliquerAuxImages(const QList<const TEnrLV *> &Images, const TCochesCriteres &Coches,
                                           const TParamsClassement &Params, IMessages &Messages,
                                           QWidget *Parent = nullptr);

    // Inverts the stored favourite mark of the image and saves; lNouvelEtat receives the mark
    // it now has (also when the save failed: the change stays in memory for the next save).
    TResultatClassement BasculerCoupDeCoeur(const TEnrLV &Image, bool &lNouvelEtat);

    // A criterion dropped on an image: refused when the image has that exact path already or
    // the tree has no such node.
    bool PeutDeposerCritere(const TEnrLV &Image, const QString &cChemin) const;
    // Adds it, then keeps the deepest paths in the tree's order, as a merge does.
    TResultatClassement AjouterCritereImage(const TEnrLV &Image, const QString &cChemin);
    // A keyword dropped on an image: refused when it is not one keyword once cleaned, or is
    // present as a whole word in the image's cleaned keywords.
    bool PeutDeposerMotCle(const TEnrLV &Image, const QString &cMotCle) const;
    TResultatClassement AjouterMotCleImage(const TEnrLV &Image, const QString &cMotCle);

    // ---- Display

    // The image's classification tree: its criteria (icons of the tree's node of the same
    // path, the folder when there is none), keywords, favourite, legend, description, EXIF
    // and IPTC nodes. Every node expanded except those under the IPTC node. A stored path of
    // more than 64 levels shows the rest of it in its 64th node.
    QList<TNoeudClassement> AfficherClassement(const TEnrLV &Image) const;
    // The classification block of the image hint; empty when the image has nothing to show
    // or the hint does not show criteria. A stored path of more than 64 levels is cut there.
    QString BlocHintClassement(const TEnrLV &Image) const;

    const TEnrParametres &Parametres() const { return m_Parametres; }
    const TArboCriteres &Arbo() const { return m_Arbo; }
    const TBigIniFile &iniSetup() const { return m_iniSetup; }

signals:
    // After each action, once per image whose classification changed.
    void ClassementModifie(const QString &cCle);
    // A legend or description was applied: the search page's boxes add it to their lists.
    void LegendeAppliquee(const QString &cLegende);
    void DescriptionAppliquee(const QString &cDescription);

private:
    friend class TLotClassement;

    TBigIniFile &m_iniSetup;
    TBigIniFile &m_iniBDD;
    TDescriptions &m_Descriptions;
    const TArboCriteres &m_Arbo;
    const TEnrParametres &m_Parametres;
};

// One action of classification: images are changed in memory one after the other, then
// Terminer saves every store that changed once and each descript.ion once per folder.
class TLotClassement
{
public:
    TLotClassement(TClassement &Classement, const QStringList &CritCoches, const TParamsClassement &Params);
    ~TLotClassement();
    TLotClassement(const TLotClassement &) = delete;
    TLotClassement &operator=(const TLotClassement &) = delete;

    void Appliquer(const TEnrLV &Image);
    TResultatClassement Terminer();

    // The criteria merge over the tree: the nodes of the given paths that exist, each once,
    // without those that have another one below them, in pre-order.
    static QStringList FusionneCriteres(const TArboCriteres &Arbo, const QStringList &Chemins);

private:
    friend class TClassement;
    struct TDonnees;
    std::unique_ptr<TDonnees> d;
};

// The state of the classification window for its current image: the check marks of its own
// copy of the tree, the keywords, favourite, legend and description shown, and whether they
// were changed since the image was loaded. Saving writes them all (criteria and keywords
// replaced), and only when something was changed.
class TEditionClassement
{
public:
    explicit TEditionClassement(TClassement &Classement);
    ~TEditionClassement();

    // Loads the image: the tree unchecked and every stored path checked again in stored order
    // (a path absent from the tree checks the part of it that is there), then the other parts.
    void Charger(const TEnrLV &Image);
    const TEnrLV *Image() const { return m_Image ? &*m_Image : nullptr; }

    const TCochesCriteres &Coches() const { return m_Coches; }
    void BasculerCritere(const TNoeudCritere &Noeud);
    // The checks of a view that changed them itself (its own toggle or reset); a change only
    // when they differ from those held.
    void FixeCoches(const TCochesCriteres &Coches);
    // Unchecks everything, clears the keywords, the favourite, the legend and, when it can be
    // changed, the description.
    void RAZ();
    void FixeMotsCles(const QString &cMotsCles);
    void FixeCoupDeCoeur(bool lCoupDeCoeur);
    void FixeLegende(const QString &cLegende);
    // Ignored when the description cannot be changed (its box is read-only then).
    void FixeDescription(const QString &cDescription);

    const QString &MotsCles() const { return m_cMotsCles; }
    bool CoupDeCoeur() const { return m_lCoupDeCoeur; }
    const QString &Legende() const { return m_cLegende; }
    const QString &Description() const { return m_cDescription; }
    bool DescriptionModifiable() const;

    bool Modifie() const { return m_lModifie; }
    // Writes the window's values when something was changed; nothing otherwise.
    TResultatClassement Sauvegarder(QStringList *pListeLegendes = nullptr, QStringList *pListeDescriptions = nullptr);

    // Before another image is loaded: with auto-save the changes are saved (the result tells
    // how), otherwise, with changes, cQuestion receives the question to ask ("Attention", Yes
    // by default) before dropping them; the caller saves on Yes.
    TResultatClassement AvantChangement(bool lSvgAutoQdNavig, const QString &cCaption, QString &cQuestion);
    static QString QuestionFermeture(const QString &cCaption);

    // The hints of the legend and description boxes.
    QString HintLegende() const;
    QString HintDescription() const;

private:
    TClassement &m_Classement;
    TCochesCriteres m_Coches;
    // A copy: the list's entries belong to its model.
    std::optional<TEnrLV> m_Image;
    QString m_cMotsCles;
    bool m_lCoupDeCoeur = false;
    QString m_cLegende;
    QString m_cDescription;
    bool m_lModifie = false;
};

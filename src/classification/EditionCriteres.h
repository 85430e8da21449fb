#pragma once
// The criteria editor's logic: its own copy of the criteria tree, the rules that accept a
// caption or a drop, and the operations that change the tree and carry every rename, move
// and delete into the images of the catalogue and into the saved searches.
//
// A criterion is known everywhere by its path, so a rename, a move or a delete rewrites the
// keys of every image section that holds the path or a path under it. Each operation is first
// appended to a journal (TJournalCriteres) and made durable; the catalogue is then saved at
// once, while the tree, the saved searches and the operation's number are written into the
// settings store in memory, so that whenever that store is saved it matches a journal point.
// A start after a crash replays the journal onto whichever store lags behind.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

class TArboCriteres;
class TBigIniFile;
class TIndexClassement;

// ---- Captions and keywords -----------------------------------------------------------------

// A criterion caption may hold A-Z a-z 0-9 blank & + , - . _
bool CaractereCaption(QChar c);

// "Nouveau" followed by the smallest n >= 1 that no sibling caption equals exactly.
QString CaptionNouveau(const QStringList &CaptionsFreres);

// The caption check of a rename: cCaption is already trimmed; AutresFreres are the captions
// of the node's siblings, the node itself left out. A top-level node may not take a name that
// a saved search reserves for its keywords, favourites, legend or description.
bool CaptionCorrecte(const QString &cCaption, const QStringList &AutresFreres, bool lRacine);

// A keyword may hold A-Z 0-9 & + , - . _ once upper-cased.
bool CaractereMotCleSaisi(QChar c);

// ---- The edited tree -----------------------------------------------------------------------

struct TCritereEdite
{
    QString cChemin;
    QString cImageCH; // empty: the default folder icon
    friend bool operator==(const TCritereEdite &, const TCritereEdite &) = default;
};

// The tree as a flat list in pre-order: a node's subtree is the run of entries that follows
// it with its path followed by "/". Captions never hold "/", so a path says where a node sits.
class TArboEditee
{
public:
    // The search tree's nodes in order, each with the icon that the settings store gives to
    // its exact path.
    void Depuis(const TArboCriteres &Arbo, const TBigIniFile &iniSetup);
    // The tree as the settings store's section builds it (components trimmed, each path once,
    // in the order of the lines), without sorting: the replay's starting point.
    void DepuisSection(const TBigIniFile &iniSetup);
    // Writes the tree into the settings store, in memory: the section `CRITERES HIERARCHIQUES`
    // erased, then one line per node in pre-order, its path as key and its icon as value.
    void SauverArboCritHier(TBigIniFile &iniSetup) const;

    const std::vector<TCritereEdite> &Noeuds() const { return m_Noeuds; }
    bool EstVide() const { return m_Noeuds.empty(); }
    int Nombre() const { return int(m_Noeuds.size()); }
    // Index of the node of that exact path, or -1.
    int Cherche(const QString &cChemin) const;
    // Index after the last node of the subtree of node n.
    int FinSousArbre(int n) const;
    // The captions of the children of cParent (empty: the top level), in order.
    QStringList CaptionsEnfants(const QString &cParent) const;
    bool AEnfants(const QString &cChemin) const;

    // The raw changes; each returns false, changing nothing, when a path is missing.
    bool Cree(const QString &cParent, const QString &cCaption);
    bool Renomme(const QString &cChemin, const QString &cCaption);
    bool Supprime(const QString &cChemin);
    bool Copie(const QString &cChemin, const QString &cCible);
    bool Deplace(const QString &cChemin, const QString &cCible);
    // nPortee: 0 the node alone, 1 and its direct children, 2 and every descendant.
    bool FixeImage(const QString &cChemin, const QString &cImageCH, int nPortee);

private:
    std::vector<TCritereEdite> m_Noeuds;
};

QString ParentChemin(const QString &cChemin);
QString CaptionChemin(const QString &cChemin);

// Whether node cDeplace may be dropped on node cCible: both exist and differ, the target is
// neither the dragged node's parent, nor a sibling, nor the node or one of its descendants,
// and has no child of the dragged node's caption.
bool DepotAccepte(const TArboEditee &Arbo, const QString &cDeplace, const QString &cCible);

// ---- Operations ----------------------------------------------------------------------------

enum class TGenreOpCritere { Creation, Renommage, Deplacement, Copie, Suppression, Image };

struct TOperationCritere
{
    TGenreOpCritere nGenre = TGenreOpCritere::Creation;
    // Creation: the parent (empty for the top level); otherwise the node.
    QString cChemin;
    // Creation, Renommage: the caption; Deplacement, Copie: the target; Image: the file.
    QString cArgument;
    int nPortee = 0; // Image only
    friend bool operator==(const TOperationCritere &, const TOperationCritere &) = default;
};

// Carries a rename, a move or a delete of node cChemin into one section's keys, as the
// catalogue keeps them: each key equal to the path or under it is rewritten (rename, move) or
// cut back to the parent's path (delete; removed for a top-level node). After a delete or a
// move the section also loses its exact duplicates and the paths that are ancestors of
// another of its paths, the first occurrence and the order kept. Keys named in Reserves are
// left alone. Returns whether a key was affected; other operations change nothing.
bool RecleCles(QStringList &Cles, const TOperationCritere &Op, const QStringList &Reserves = {});

// The keys a saved search reserves for what is not a criterion.
const QStringList &ClesReserveesRecherche();

// ---- Journal -------------------------------------------------------------------------------

// The durable list of the editor's operations, one numbered line each, and after each the
// number the catalogue was saved at. An operation's line is flushed to the disk before the
// append returns; a catalogue mark is written without waiting for the disk (see AjouteCatalogue).
class TJournalCriteres
{
public:
    explicit TJournalCriteres(QString cFichier);
    ~TJournalCriteres();
    TJournalCriteres(const TJournalCriteres &) = delete;
    TJournalCriteres &operator=(const TJournalCriteres &) = delete;
    const QString &Fichier() const { return m_cFichier; }

    // Appends an operation or the catalogue's mark; false (and the reason) when the line
    // could not be written and synced.
    bool AjouteOperation(qint64 nNumero, const TOperationCritere &Op, QString *pErreur);
    // The same in two steps, so that the disk works while the caller computes: the line is
    // written (false, nothing written, when it cannot be), then Synchronise waits until it is
    // on the disk. A failed sync leaves the line in the journal.
    bool EcritOperation(qint64 nNumero, const TOperationCritere &Op, QString *pErreur);
    bool Synchronise(QString *pErreur);
    bool AjouteCatalogue(qint64 nNumero, QString *pErreur);
    bool Supprime();

    struct TContenu
    {
        std::vector<std::pair<qint64, TOperationCritere>> Operations;
        qint64 nCatalogue = -1; // the last catalogue mark, -1 when none
        bool lLisible = true;
    };
    // Reads the journal. A last line without its end was torn by a crash and is ignored; any
    // other malformed line makes the whole journal unreadable.
    TContenu Lit() const;

private:
    enum class TSync { Maintenant, Differee, Aucune };
    bool Ajoute(const QByteArray &Ligne, QString *pErreur, TSync nSync);
    QString m_cFichier;
    int m_fdEnAttente = -1;           // a line written, not synced yet
    bool m_lNouveauEnAttente = false; // and the file it went into was created for it
};

// The key of `GENERAL` that holds the number of the last operation the settings store has.
inline const QString cCleNumOpCriteres = QStringLiteral("NumOpCriteres");
// The journal's name in the data folder.
inline const QString cNomJournalCriteres = QStringLiteral("criteres.journal");

// Called at each point where a crash would leave the stores in a different state (tests stop
// the process there): 1 after an operation's line, 2 before the catalogue's save, 3 after it,
// 4 after the catalogue's mark, 5 before the closing save of the settings, 6 after it.
extern std::function<void(int)> fnPointCritiqueCriteres;

// ---- The editor ----------------------------------------------------------------------------

class TEditionCriteres
{
public:
    // pIndex may be null (no search yet).
    TEditionCriteres(TBigIniFile &iniSetup, TBigIniFile &iniBDD, TIndexClassement *pIndex, TJournalCriteres &Journal);

    TArboEditee &Arbo() { return m_Arbo; }
    const TArboEditee &Arbo() const { return m_Arbo; }
    bool lModifie = false;

    // Runs one operation: journal, tree, catalogue (saved at once), saved searches, tree and
    // number in the settings store. False with the message when the journal cannot take it
    // (nothing changed) or when the catalogue could not be saved (the change stays in memory
    // and in the journal). An operation the rules refuse (missing node, bad caption, refused
    // drop) changes nothing and returns true. A creation without a caption takes "Nouveau" n.
    bool Applique(const TOperationCritere &Op, QString &cErreur);
    // What a rename needs checked first: the trimmed caption is valid for that node.
    bool RenommageCorrect(const QString &cChemin, const QString &cCaption) const;

    // Closing: the settings store saved with the tree, then the journal removed once both
    // stores hold everything. False with the message on a failed save.
    bool Ferme(QString &cErreur);

private:
    TBigIniFile &m_iniSetup;
    TBigIniFile &m_iniBDD;
    TIndexClassement *m_pIndex;
    TJournalCriteres &m_Journal;
    TArboEditee m_Arbo;
    qint64 m_nNumero = 0;
};

// Carries one operation into the catalogue (every image section under the path, rewritten in
// place) and, when pIndex is given and was current, into the index. Does not save.
void ReporteCatalogue(TBigIniFile &iniBDD, const TOperationCritere &Op, TIndexClassement *pIndex);
// Carries one operation into every saved search (`CRITERES ENREGISTRES:` sections).
void ReporteRecherchesEnregistrees(TBigIniFile &iniSetup, const TOperationCritere &Op);

// At start, before the tree is loaded: replays a journal left by a crash. The settings store
// gets the operations after the number it holds, the catalogue those after its last mark
// (one applied again to its own result changes nothing); both are saved and the journal goes.
// An unreadable journal is renamed aside and reported in cMessage; the start goes on.
// Returns false when a store could not be saved (the journal then stays).
bool RejoueJournalCriteres(TJournalCriteres &Journal, TBigIniFile &iniSetup, TBigIniFile &iniBDD, QString &cMessage);

// ---- Keywords, saved lists, clipboard ------------------------------------------------------

// Removes the keyword (compared without regard to case, first such word only) from every
// line of `MOTS-CLES`; a line left without words is deleted. Does not save. Returns the keys
// changed.
QStringList SupprimeMotCle(TBigIniFile &iniSetup, const QString &cMotCle);
// Whether R may replace cAncien: not equal to it, only keyword characters, not already in
// Existants (case ignored).
bool RenommageMotCleCorrect(const QString &R, const QString &cAncien, const QStringList &Existants);
// Replaces the first word equal to cAncien (case ignored) by R in every line. Does not save.
QStringList RenommeMotCle(TBigIniFile &iniSetup, const QString &cAncien, const QString &R);

// The text copied by the clipboard button: the tree indented by TABs, then the keywords;
// lines end with LF.
QString TextePressePapiers(const TArboEditee &Arbo, const QStringList &MotsCles);

// ---- The icon files ------------------------------------------------------------------------

// One entry of the icon list: a file of the icon folder, or the default entry (index 0).
struct TEnrImgCH
{
    QString cNom;
    QDateTime Date;
    bool lCategorie = false; // the name holds "-"
    // 0 none, 1 first file of its category, 2 first entry or first file without category.
    int nSeparateur = 0;
};

struct TEnrCat
{
    QString cNom;
    int nPremier = -1; // index of its first file in the list
};

inline const QString cImageParDefaut = QStringLiteral("<Valeur par défaut>");
inline const QString cCategorieSans = QStringLiteral("<Sans>");

// Width and height read from a BMP file's header; false when it is not a readable BMP.
bool TailleBmp(const QString &cFichier, int &nLargeur, int &nHauteur);

// The icon list of the folder: the default entry, then the 16 x 16 ".bmp" files (any case,
// names beginning with "." skipped), those with a category first, each group by upper-cased
// name, separators marked; the categories in the order the folder's names (sorted) meet them,
// "<Sans>" last when a file has none. Empty (no default entry either) when no file is kept.
void ListeImagesCH(const QString &cDossier, std::vector<TEnrImgCH> &Images, std::vector<TEnrCat> &Categories);

// The type-ahead: the entry to select for the text typed with category nCategorie chosen (-1:
// none), or -1 when none matches.
int IndiceAtteindre(const std::vector<TEnrImgCH> &Images, const std::vector<TEnrCat> &Categories, int nCategorie,
                    const QString &cTexte);

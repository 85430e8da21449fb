#pragma once
// The page "Audit" of the database explorer: the report's options, its commands and the
// read-only report box. The report is composed by ComposeAudit; the page shows it, copies it
// (plain text, HTML and RTF at once), saves it as RTF and prints it. The box draws the
// report's paragraphs as they come on screen: a report on a large catalogue runs to hundreds
// of thousands of lines, which a whole rich-text document would take minutes to lay out.

#include "classification/Audit.h"
#include "components/GaugeWindow.h"
#include "components/TacheLongue.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QPrinter;
class QPushButton;
class TArboCriteres;
class TContexte;
class TIndexClassement;
class TVueParagraphes;
class TfmExploreBDD;
class TfmExploreBDDAuditFiltrerRub;

// What the explorer hands the page when it opens.
struct TEntreesAudit
{
    TIndexClassement *Index = nullptr; // current (Actualise done)
    QList<TNoeudAudit> Criteres;       // the criteria tree, in tree order
    QStringList RecherchesEnregistrees;
    QStringList MotsClesEnregistres;
    QStringList ToutesImages;   // every classified image, in the explorer's order
    QStringList AlbumsImages;   // names, in the album list's order
    QStringList AlbumsWEBPerso; // names of the albums with folders, sorted
    // The camera model of an image without a cached record (nullopt: no EXIF, or unreachable).
    std::function<std::optional<QString>(const QString &cCle)> fnModele;
    std::function<QStringList(const QString &cAlbum)> fnImagesAlbumWEBPerso;
    // Completes an image's details with what the stores alone do not give (treatments, albums,
    // description, EXIF and IPTC lines).
    std::function<void(const TEnrNomImg &, const TOptionsAudit &, TDetailsImageAudit &)> fnComplete;
};

// The nodes of a criteria tree, parents before children.
QList<TNoeudAudit> NoeudsAudit(const TArboCriteres &Arbre);

// The inputs taken from the context: the saved searches and keyword sets, the albums, the
// models read from files, and the details of the image hint. The criteria come from the tree
// given (none when null); the images are the explorer's set, computed here from the index.
TEntreesAudit EntreesAuditDuContexte(TContexte &Contexte, TIndexClassement &Index, const TArboCriteres *Arbre);

class TPageAudit : public QWidget
{
    Q_OBJECT
public:
    TPageAudit(TContexte &Contexte, TEntreesAudit Entrees, QWidget *Parent = nullptr);
    ~TPageAudit() override;

    TOptionsAudit Options() const;
    const TSelectionsAudit &Selections() const { return m_Selections; }
    const QList<TParagrapheRTF> &Paragraphes() const { return m_Paragraphes; }
    bool Interrompu() const { return m_lInterrompu; }

    void Generer();
    // Shows a report, as a build ends: the box at its beginning, the commands available.
    void MontreRapport(QList<TParagrapheRTF> Paragraphes, bool lInterrompu = false);
    void CopierPP();
    void Sauvegarder();
    void Imprimer();
    void Filtrer();
    // Prints the report (no job title) on a printer already set up.
    void ImprimeSur(QPrinter &Imprimante);

    // Seams for the tests.
    // The save dialog: (initial folder, proposed name) → chosen file, empty when cancelled.
    std::function<QString(const QString &cDossier, const QString &cNom)> fnChoisitFichier;
    // The print dialog; true when accepted.
    std::function<bool(QPrinter &)> fnDialogueImpression;
    // Runs the filter dialog; its result code.
    std::function<int(TfmExploreBDDAuditFiltrerRub &)> fnExecFiltre;
    // The question asked on Esc while the report is built.
    TGaugeWindow::TQuestion fnQuestionInterruption;
    // Polled after each image while the report is built (tests press Esc through it).
    std::function<void()> fnApresImage;

    QCheckBox *cbAuditGalCritHier = nullptr, *cbAuditGalMCPres = nullptr, *cbAuditGalCritEnr = nullptr,
              *cbAuditGalMCEnr = nullptr;
    QCheckBox *cbAuditRubCritHier = nullptr, *cbAuditRubMC = nullptr, *cbAuditRubTrt = nullptr,
              *cbAuditRubEXIF = nullptr, *cbAuditRubAlbImg = nullptr, *cbAuditRubAlbWHP = nullptr;
    QCheckBox *cbAuditRubAffDNTD = nullptr, *cbAuditRubAffTrt = nullptr, *cbAuditRubAffCrit = nullptr,
              *cbAuditRubAffEXIF = nullptr, *cbAuditRubAffIPTC = nullptr, *cbAuditRubAffAlbImg = nullptr,
              *cbAuditRubAffAlbWHP = nullptr;
    QPushButton *btAuditGenerer = nullptr, *btAuditCopierPP = nullptr, *btAuditSauvegarder = nullptr,
                *btAuditImprimer = nullptr, *btAuditParRubriqueFiltrer = nullptr;
    TVueParagraphes *mmAudit = nullptr;

private:
    void MajEtats();
    void TableAppareils();
    TSourceAudit Source(TGaugeWindow &Jauge, int &nGroupes);

    TContexte &m_Contexte;
    TEntreesAudit m_Entrees;
    std::unique_ptr<TDonneesAuditStores> m_Donnees;
    std::optional<TTableAppareils> m_Appareils;
    TSelectionsAudit m_Selections;
    QList<TParagrapheRTF> m_Paragraphes;
    bool m_lInterrompu = false;
    QString m_cDossierSauvegarde;
};

// Puts the audit page into the explorer's page "tsAudit": its image set, and the camera models
// of files from the explorer's EXIF values, read once per window.
TPageAudit *InstallePageAudit(TfmExploreBDD &Explorateur, TIndexClassement &Index, const TArboCriteres *pArbo);

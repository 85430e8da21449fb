#pragma once
// The extraction window: chosen data of chosen images as a formatted report and a "|" table,
// to copy, save or print; and the tools-menu entry that opens it.

#include "mainwindow/Fonctionnalite.h"
#include "metadata/Extraction.h"

#include <QDialog>
#include <QList>
#include <QObject>
#include <functional>

class QAction;
class QListWidget;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QTabWidget;
class QTextDocument;
class QTextEdit;
class QToolButton;
class QWidget;
class TChoixImages;
class TClassement;
class TContexte;
class TfmMainKX;
class TModeleListeImages;
class TPaneledListView;

inline const QString cDonGeneEtMD = QStringLiteral("données générales et méta-données");

class TfmExtraitDonGeneEtMD : public QDialog
{
    Q_OBJECT
public:
    TfmExtraitDonGeneEtMD(TContexte &Contexte, TModeleListeImages &Modele, const TPaneledListView *pGrille,
                          TClassement *pClassement, QWidget *parent = nullptr);
    ~TfmExtraitDonGeneEtMD() override;

    // Test seams. The save dialog: (title, proposed path, filters, preselected filter) → the
    // chosen path, empty on cancel; *pFiltre receives the chosen filter.
    std::function<QString(const QString &cTitre, const QString &cChemin, const QString &cFiltres,
                          const QString &cFiltreInitial, QString *pFiltre)>
        fnNomSauvegarde;
    // Printing a document: QPrintDialog then QTextDocument::print, or a PDF file when the
    // machine has no printer. Returns false when cancelled.
    std::function<bool(QTextDocument &doc)> fnImprime;
    // The progress window's question on Esc (tests answer it).
    std::function<bool(const QString &cTitre, const QString &cTexte)> fnQuestionInterruption;

    // The checked items (bit i: item i).
    quint32 Choix() const;
    void MetChoix(quint32 nChoix);
    bool ToutesPresentes() const;
    // The formatted page as shown (for copy, save and print).
    QTextDocument &DocFormate() const;
    // The text of the visible page.
    bool PageFormateVisible() const;

    // The last extraction's per-row lines (-1: the row's image is not in the report).
    const QList<int> &LignesFormate() const { return m_nLignesFormate; }
    const QList<int> &LignesBrut() const { return m_nLignesBrut; }

    TChoixImages *ChoixImages = nullptr;
    QListWidget *lbChoixDonnees = nullptr;
    QWidget *pnChoixDonnees = nullptr;
    QPushButton *btAjtGenerales = nullptr, *btEnlGenerales = nullptr;
    QPushButton *btAjtEXIF = nullptr, *btEnlEXIF = nullptr;
    QPushButton *btAjtIPTC = nullptr, *btEnlIPTC = nullptr;
    QToolButton *btExtrTMDEXIF = nullptr;
    QToolButton *btExtrTMDIPTC = nullptr;
    QPushButton *btExtraire = nullptr;
    QTabWidget *pcResultat = nullptr;
    QWidget *tsResFormate = nullptr;
    QWidget *tsResBrut = nullptr;
    QTextEdit *edResFormate = nullptr;
    QPlainTextEdit *edResBrut = nullptr;
    QPushButton *btCopierRes = nullptr;
    QPushButton *btSauvegarderRes = nullptr;
    QPushButton *btImprimerRes = nullptr;
    QPushButton *btQuitter = nullptr;

    void btExtraireClick();
    void btCopierResClick();
    void btSauvegarderResClick();
    void btImprimerResClick();

protected:
    void done(int nResultat) override;

private:
    void Construit();
    void MajBoutons();
    void MajPanneauChoix();
    void CocheGroupe(TGroupeDon nGroupe, bool lCoche);
    void MontreImage(int nLigne);
    TSourcesExtraction Sources() const;
    QList<TParagrapheRTF> ParagraphesPageVisible() const;

    TContexte &m_Contexte;
    TModeleListeImages &m_Modele;
    const TPaneledListView *m_pGrille;
    TClassement *m_pClassement;
    bool m_lExtrait = false;
    QList<int> m_nLignesFormate;
    QList<int> m_nLignesBrut;
};

// The feature: "&Extraire les données générales et méta-données..." in the tools pop-up.
class TExtraitDonGeneEtMDKX : public QObject, public IFonctionnaliteKX
{
    Q_OBJECT
public:
    TExtraitDonGeneEtMDKX(TfmMainKX &Main, TContexte &Contexte, TClassement *pClassement);
    QList<QAction *> Actions(TEmplacementAction nPlace) override;
    void Ouvre();

    QAction *miOutilsDiversExtraitDonGeneEtMD = nullptr;
    // How the window is run; exec() by default (tests drive it without blocking).
    std::function<void(TfmExtraitDonGeneEtMD &Fenetre)> fnExecute;

private:
    TfmMainKX &m_Main;
    TContexte &m_Contexte;
    TClassement *m_pClassement;
};

TExtraitDonGeneEtMDKX *InstalleExtraitDonGeneEtMD(TfmMainKX &Main, TContexte &Contexte, TClassement *pClassement);

#pragma once
// The help: the window "Aide de Vimbrel" (one per run, not modal), the pop-up topics shown at
// a control, and `TAideKX`, which finds the help of a control (F1, the help mode of `btAide`).

#include "mainwindow/ContextesAide.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;

// Where the pages live: the resource compiled into the program.
inline constexpr const char *cDossierAide = ":/aide/";

// Reads every page, the contents and the index from a folder (the resource by default).
TPagesAide LitPagesAide(const QString &cDossier = QLatin1String(cDossierAide));

class TfmAide : public QWidget
{
    Q_OBJECT
public:
    explicit TfmAide(QWidget *Parent = nullptr);

    // Shows a page ("page.html#ancre"); a page or anchor that does not exist gives the home.
    void AfficheLien(const QString &cLien);
    void AfficheContexte(int nContexte);
    // The tabs: contents, index (the filter box focused), search.
    void MontreSommaire();
    void MontreIndex();
    void MontreRecherche();
    // The page shown now (file name, no folder).
    QString PageCourante() const { return m_cPage; }
    const TPagesAide &Pages() const { return m_Pages; }
    // Runs the search of the words typed in the search box.
    void Rechercher();

    QTextBrowser *tbPage = nullptr;
    QTabWidget *pcOnglets = nullptr;
    QTreeWidget *tvSommaire = nullptr;
    QLineEdit *edIndex = nullptr;
    QListWidget *lbIndex = nullptr;
    QLineEdit *edRecherche = nullptr;
    QListWidget *lbRecherche = nullptr;
    QPushButton *btPrecedent = nullptr;
    QPushButton *btSuivant = nullptr;
    QPushButton *btAccueil = nullptr;
    QPushButton *btImprimer = nullptr;

private:
    void RemplitIndex();
    void Imprime();

    TPagesAide m_Pages;
    QList<TEntreeIndex> m_Index;
    QString m_cPage;
};

// The about box: title "A propos de Vimbrel", the program's version and the imaging library's.
class TfmAPropos : public QDialog
{
    Q_OBJECT
public:
    explicit TfmAPropos(QWidget *Parent = nullptr);
};

class TAideKX : public QObject
{
    Q_OBJECT
public:
    // Main: the window whose help mode this is; btAide its toggle button.
    TAideKX(QWidget *Main, QAbstractButton *btAide);
    ~TAideKX() override;

    // The context of a control: its own, else its first parent's that has one; 10 when none.
    static int ContexteDe(const QWidget *Controle);
    // The help of a control (the one under the mouse when null), then help mode ends.
    void AideContextuelle(QWidget *Controle);
    // The text of a pop-up topic (its absolute number).
    static QString TexteBulle(int nSujet);

    // The help window, made at its first use.
    TfmAide *Fenetre();
    void Sommaire();
    void Index();
    void Accueil();
    void APropos();
    // How the about box is shown (tests look at it instead).
    std::function<void(TfmAPropos &)> fnExecAPropos;

    bool ModeAide() const { return m_lModeAide; }
    void MetModeAide(bool lModeAide);

signals:
    // A help was shown for this context (pop-up topics negative).
    void AideMontree(int nContexte);

protected:
    bool eventFilter(QObject *Objet, QEvent *Evenement) override;

private:
    bool FenetreActiveAccepte() const;

    QWidget *m_Main;
    QPointer<QAbstractButton> m_btAide;
    QPointer<TfmAide> m_fmAide;
    bool m_lModeAide = false;
    bool m_lRelachementAAvaler = false;
};

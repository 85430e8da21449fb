#pragma once
// The treatment commands of the main window: the buttons of the treatment bar and the
// entries of the thumbnail pop-up, one action each, acting on the current image; and the
// remembered treatments put on every picture the window shows (the pane's, the grid's, the
// classification window's, the one the pane saves). The rules live in TraitementsImage.

#include "mainwindow/Fonctionnalite.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QToolButton;
class TAfficheImageKX;
class TClassementKX;
class TContexte;
class TSelectionKX;
class TVignettesKX;
class TfmMainKX;
struct TEnrLV;
struct TEtatTrtsImage;
struct TRecetteTrts;

class TTraitementsKX : public QObject, public IFonctionnaliteKX
{
    Q_OBJECT
public:
    TTraitementsKX(TfmMainKX &Main, TContexte &Contexte, TAfficheImageKX &Affiche, TVignettesKX &Vignettes);

    // The pop-up entries, enabled, checked and captioned for the current image.
    QList<QAction *> Actions(TEmplacementAction nPlace) override;

    // Switches a treatment of the current image (code 0..7, the parameter switching 4, 5, 7
    // on), saves the settings and shows the image again everywhere.
    void BasculeTrt(int nCode, const QString &cParam = {});
    // Enables, checks and captions the controls for the current image.
    void EtatTrtsImage();

    // The image's treatments put on a picture of it. An error leaves the picture untreated,
    // returns false and is shown (lDiffere: from the event loop, for pictures made while
    // painting).
    bool AppliqueTrts(QImage &Image, const TEnrLV &Enr, bool lDiffere = false);
    // The current image at full size, treated, as the pane's save button writes it.
    QImage ImageAfficheeComplete();
    // Opens the colour distribution graph of the current image; returns once it is closed.
    void GrapheDistribCoul();

    QAction *miRotEtat = nullptr;
    QAction *miRotGauche = nullptr;
    QAction *miRotDroite = nullptr;
    QAction *miMirEtat = nullptr;
    QAction *miMirHorizontal = nullptr;
    QAction *miMirVertical = nullptr;
    QAction *miNB = nullptr;
    QAction *miCL = nullptr;
    QAction *miNeg = nullptr;
    QAction *miCanaux = nullptr;

    QToolButton *btRotGauche = nullptr;
    QToolButton *btRotDroite = nullptr;
    QToolButton *btMirHorizontal = nullptr;
    QToolButton *btMirVertical = nullptr;
    QToolButton *btNB = nullptr;
    QToolButton *btCL = nullptr;
    QToolButton *btNeg = nullptr;
    QToolButton *btCanaux = nullptr;
    QToolButton *btGrapheDistribCoul = nullptr;

    // The parameter dialog of code 4, 5 or 7: its text on OK, nothing on Annuler. Tests
    // answer in its place.
    std::function<std::optional<QString>(int nCode)> fnDemandeParam;

private:
    QAction *Action(const char *cNom, const QString &cTexte, int nTouche, bool lCochable);
    QToolButton *Bouton(const char *cNom, QAction *Action, const QString &cTexte, const QString &cBulle);
    void DialogueOuArret(int nCode, QAction *Action);
    TRecetteTrts Recette(const TEnrLV &Enr) const;

    TfmMainKX &m_Main;
    TContexte &m_Contexte;
    TSelectionKX &m_Selection;
    TAfficheImageKX &m_Affiche;
    TVignettesKX &m_Vignettes;
    QAction *m_Separateurs[2] = {nullptr, nullptr};
    bool m_lErreurPrevue = false;
};

// Installs the treatment commands and hooks the treatments into the pane, the grid, the
// pane's save button and, when given, the classification window.
TTraitementsKX *InstalleTraitements(TfmMainKX &Main, TContexte &Contexte, TAfficheImageKX &Affiche,
                                    TVignettesKX &Vignettes, TClassementKX *Classement = nullptr);

#pragma once
// The colour distribution graph: how the current picture's pixels spread over the luminance
// scale, and a pipette that reads any pixel of the image pane and marks its luminance.
//
// The window is modal by an application event filter rather than by Qt's modality: a modal
// window would keep the main window's mouse moves from the pipette, and no pointer grab is to
// be had on every display server. So while it is shown every input outside it is refused, but
// the moves over the image pane while the pipette is down. The colour read is the pane's own
// painting at the pointed place, never the screen's.

#include "treatments/DistributionCouleurs.h"

#include <QCursor>
#include <QDialog>
#include <QImage>

class QCheckBox;
class QLabel;
class QSlider;
class QToolButton;
class TContexte;
class TExpColPanel;
class TPanneauImage;

// imGraphe: paints the cached picture of the curves and the pipette's marker over it.
class TImageGraphe : public QWidget
{
    Q_OBJECT
public:
    explicit TImageGraphe(QWidget *Parent = nullptr);
    void MetImage(const QImage &Image);
    const QImage &Image() const { return m_Image; }
    // The marker's column, −1 for none.
    void MetMarqueur(int nX);
    int Marqueur() const { return m_nMarqueur; }

signals:
    void Redimensionne();

protected:
    void paintEvent(QPaintEvent *Evenement) override;
    void resizeEvent(QResizeEvent *Evenement) override;

private:
    QImage m_Image;
    int m_nMarqueur = -1;
};

class TfmGrapheDistribCoul : public QDialog
{
    Q_OBJECT
public:
    // Placed and sized from the settings; sbImage is the pane the pipette reads.
    TfmGrapheDistribCoul(TContexte &Contexte, TPanneauImage *sbImage, QWidget *Parent);
    ~TfmGrapheDistribCoul() override;

    // Counts the picture's pixels, under the wait cursor, and draws the graph.
    void CalculeDistribution(const QImage &Image);
    const TDistribution &Distribution() const { return m_Distribution; }
    // Draws the curves for tbMin … tbMax at the graph's size.
    void TraceGraphe();
    const TGraphe &Graphe() const { return m_Graphe; }
    // Shows the window and returns once it is closed.
    void Execute();

    // The luminance the marker shows, −1 for none.
    int YMarqueur() const { return m_nYMarqueur; }
    bool PipetteActive() const { return m_lPipette; }

    TImageGraphe *imGraphe = nullptr;
    TExpColPanel *pnCommandes = nullptr;
    QSlider *tbMin = nullptr;
    QSlider *tbMax = nullptr;
    QLabel *stMin = nullptr;
    QLabel *stMax = nullptr;
    QCheckBox *cbLum = nullptr;
    QCheckBox *cbR = nullptr;
    QCheckBox *cbV = nullptr;
    QCheckBox *cbB = nullptr;
    QToolButton *btPipette = nullptr;
    QLabel *pnPipette = nullptr;
    QLabel *pnLum = nullptr;
    QLabel *pnR = nullptr;
    QLabel *pnV = nullptr;
    QLabel *pnB = nullptr;

    static constexpr int nHautCommandes = 85;
    static constexpr int nLargMin = 520;

    void done(int r) override;

protected:
    bool eventFilter(QObject *Objet, QEvent *Evenement) override;
    void showEvent(QShowEvent *Evenement) override;
    void hideEvent(QHideEvent *Evenement) override;

private:
    void MajLibelles();
    void MajMarqueur();
    void btPipetteToggled(bool lBas);
    void FinPipette();
    void Pipette(const QPoint &ptEcran);
    void MontreLecture(const TLecturePipette &l);
    void PanneauxVides();
    bool Dedans(QObject *Objet) const;
    void Enregistre();

    TContexte &m_Contexte;
    TPanneauImage *m_sbImage;
    QWidget *m_pPrincipale;
    TDistribution m_Distribution;
    TGraphe m_Graphe;
    int m_nYMarqueur = -1;
    bool m_lPipette = false;
    bool m_lFiltre = false;
    bool m_lAvaleRelache = false;
};

// The eyedropper pointer of the pipette, its hot spot at the tip.
QCursor CurseurPipette();

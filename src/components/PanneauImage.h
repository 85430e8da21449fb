#pragma once
// The image pane: a scroll area whose range is the picture's shown size and which paints only
// what is visible, so that 8:1 of a 6000 × 4000 picture (48,000 × 32,000) costs no more than
// its viewport. The picture held may be any decode of the image (a JPEG reduction, a raw's
// half size); it is stretched to the shown size: reductions smoothed, enlargements as square
// pixels, "1:1" one image pixel per device pixel. No scaled copy larger than the viewport is
// ever made.
//
// A picture larger than the pane is dragged with the left button; a right click asks for the
// pop-up menu, a double click for the full-screen view.

#include "exploration/RapportZoom.h"

#include <QAbstractScrollArea>
#include <QImage>

class TPanneauImage : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TPanneauImage(QWidget *Parent = nullptr);

    // The picture and the size it is shown at, in device pixels. A null picture empties the
    // pane.
    void MetImage(const QImage &Image, QSize Affichee);
    void MetTailleAffichee(QSize Affichee);
    void Vide() { MetImage({}, {}); }
    const QImage &Image() const { return m_Image; }
    QSize TailleAffichee() const { return m_Affichee; }

    // The room for a fitted picture, in device pixels: the viewport without scroll bars.
    QSize TailleDisponible() const;
    // The shown picture is wider or taller than the viewport.
    bool PlusGrand() const;
    // Scrolls to the top left and forgets any drag.
    void RetourOrigine();
    void MetCouleurFond(const QColor &Couleur);

    const RapportZoom::TGlissement &Glissement() const { return m_Glissement; }
    // The largest picture painting has made (scaled parts of the picture), for the checks
    // that no copy outgrows the viewport.
    QSize PlusGrandeCopie() const { return m_PlusGrandeCopie; }

signals:
    void MenuDemande(const QPoint &ptEcran);
    void DoubleClic();
    // The viewport changed size (a fitted picture is fitted again).
    void Redimensionne();

protected:
    void paintEvent(QPaintEvent *Evenement) override;
    void resizeEvent(QResizeEvent *Evenement) override;
    void mousePressEvent(QMouseEvent *Evenement) override;
    void mouseMoveEvent(QMouseEvent *Evenement) override;
    void mouseReleaseEvent(QMouseEvent *Evenement) override;
    void mouseDoubleClickEvent(QMouseEvent *Evenement) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void MajDefilement();
    double Ratio() const;
    // Where the picture's top left corner lies in the viewport, in device pixels.
    QPointF Origine() const;

    QImage m_Image;
    QSize m_Affichee;
    RapportZoom::TGlissement m_Glissement;
    // The last smoothed reduction painted: the source part it came from and the shown size.
    QImage m_Reduite;
    QRect m_SourceReduite;
    QSize m_AfficheeReduite;
    qint64 m_nCleReduite = 0;
    QSize m_PlusGrandeCopie;
};

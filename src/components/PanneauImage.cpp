#include "components/PanneauImage.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <cmath>

TPanneauImage::TPanneauImage(QWidget *Parent) : QAbstractScrollArea(Parent)
{
    setFrameShape(QFrame::NoFrame);
    viewport()->setBackgroundRole(QPalette::Window);
    viewport()->setAutoFillBackground(true);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
}

void TPanneauImage::MetCouleurFond(const QColor &Couleur)
{
    QPalette Palette = viewport()->palette();
    Palette.setColor(QPalette::Window, Couleur);
    viewport()->setPalette(Palette);
    setPalette(Palette);
}

void TPanneauImage::MetImage(const QImage &Image, QSize Affichee)
{
    // Painting reads the pixels in place: 32 bits each.
    if (!Image.isNull() && Image.depth() != 32)
        m_Image = Image.convertToFormat(Image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    else
        m_Image = Image;
    m_Affichee = m_Image.isNull() ? QSize() : Affichee;
    m_Reduite = QImage();
    MajDefilement();
    viewport()->update();
}

void TPanneauImage::MetTailleAffichee(QSize Affichee)
{
    if (Affichee == m_Affichee)
        return;
    m_Affichee = m_Image.isNull() ? QSize() : Affichee;
    MajDefilement();
    viewport()->update();
}

double TPanneauImage::Ratio() const
{
    return viewport()->devicePixelRatioF();
}

QSize TPanneauImage::TailleDisponible() const
{
    const QSize Taille = maximumViewportSize();
    const double r = Ratio();
    return QSize(int(std::floor(Taille.width() * r)), int(std::floor(Taille.height() * r)));
}

bool TPanneauImage::PlusGrand() const
{
    if (m_Affichee.isEmpty())
        return false;
    const double r = Ratio();
    return m_Affichee.width() > viewport()->width() * r || m_Affichee.height() > viewport()->height() * r;
}

void TPanneauImage::MajDefilement()
{
    const double r = Ratio();
    const QSize Vue = viewport()->size();
    const int nLargeur = int(std::ceil(m_Affichee.width() / r));
    const int nHauteur = int(std::ceil(m_Affichee.height() / r));
    horizontalScrollBar()->setRange(0, qMax(0, nLargeur - Vue.width()));
    horizontalScrollBar()->setPageStep(Vue.width());
    verticalScrollBar()->setRange(0, qMax(0, nHauteur - Vue.height()));
    verticalScrollBar()->setPageStep(Vue.height());
}

QPointF TPanneauImage::Origine() const
{
    const double r = Ratio();
    const double wVue = viewport()->width() * r, hVue = viewport()->height() * r;
    // A picture smaller than the viewport is centred; a larger one follows the scroll bars.
    const double x =
        m_Affichee.width() <= wVue ? std::floor((wVue - m_Affichee.width()) / 2) : -horizontalScrollBar()->value() * r;
    const double y =
        m_Affichee.height() <= hVue ? std::floor((hVue - m_Affichee.height()) / 2) : -verticalScrollBar()->value() * r;
    return {x, y};
}

void TPanneauImage::paintEvent(QPaintEvent *)
{
    if (m_Image.isNull() || m_Affichee.isEmpty())
        return;
    QPainter p(viewport());
    const double r = Ratio();
    p.scale(1 / r, 1 / r);
    const QPointF O = Origine();
    // The whole viewport is worked out, not the exposed part, so that a partial repaint reuses
    // the reduction made for the whole.
    const QRectF Vue(-O, QSizeF(viewport()->size()) * r);
    const QRectF Visible = Vue & QRectF(QPointF(0, 0), QSizeF(m_Affichee));
    if (Visible.isEmpty())
        return;
    const double sx = double(m_Image.width()) / m_Affichee.width();
    const double sy = double(m_Image.height()) / m_Affichee.height();
    // The whole source pixels under the visible part, and where they land.
    const QPoint HautGauche(int(std::floor(Visible.left() * sx)), int(std::floor(Visible.top() * sy)));
    const QPoint BasDroite(int(std::ceil(Visible.right() * sx)), int(std::ceil(Visible.bottom() * sy)));
    const QRect S =
        QRect(HautGauche, QSize(BasDroite.x() - HautGauche.x(), BasDroite.y() - HautGauche.y())) & m_Image.rect();
    if (S.isEmpty())
        return;
    const QRectF Cible(S.x() / sx + O.x(), S.y() / sy + O.y(), S.width() / sx, S.height() / sy);
    if (sx <= 1 && sy <= 1) {
        // "1:1" and enlargements: each image pixel a square of device pixels, drawn straight
        // from the picture.
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.drawImage(Cible, m_Image, QRectF(S));
        return;
    }
    // Reductions: the visible part smoothed to its shown size, never more than the viewport.
    const QSize Plafond = (QSizeF(viewport()->size()) * r).toSize();
    const QSize T(qBound(1, int(std::lround(S.width() / sx)), qMax(1, Plafond.width())),
                  qBound(1, int(std::lround(S.height() / sy)), qMax(1, Plafond.height())));
    if (m_Reduite.isNull() || m_SourceReduite != S || m_AfficheeReduite != m_Affichee
        || m_nCleReduite != m_Image.cacheKey()) {
        const QImage Partie(m_Image.constBits() + qsizetype(S.y()) * m_Image.bytesPerLine() + qsizetype(S.x()) * 4,
                            S.width(), S.height(), m_Image.bytesPerLine(), m_Image.format());
        m_Reduite = Partie.scaled(T, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_SourceReduite = S;
        m_AfficheeReduite = m_Affichee;
        m_nCleReduite = m_Image.cacheKey();
        m_PlusGrandeCopie = m_PlusGrandeCopie.expandedTo(m_Reduite.size());
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.drawImage(Cible, m_Reduite);
}

void TPanneauImage::resizeEvent(QResizeEvent *Evenement)
{
    QAbstractScrollArea::resizeEvent(Evenement);
    MajDefilement();
    emit Redimensionne();
}

void TPanneauImage::scrollContentsBy(int, int)
{
    viewport()->update();
}

void TPanneauImage::RetourOrigine()
{
    m_Glissement.Arrete();
    viewport()->unsetCursor();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void TPanneauImage::mousePressEvent(QMouseEvent *Evenement)
{
    if (Evenement->button() == Qt::RightButton) {
        emit MenuDemande(Evenement->globalPosition().toPoint());
        return;
    }
    if (Evenement->button() != Qt::LeftButton)
        return;
    const QPoint Defilement(horizontalScrollBar()->value(), verticalScrollBar()->value());
    if (m_Glissement.Appuie(Evenement->position().toPoint(), Defilement, PlusGrand()))
        viewport()->setCursor(Qt::ClosedHandCursor);
}

void TPanneauImage::mouseMoveEvent(QMouseEvent *Evenement)
{
    if (!m_Glissement.EnCours())
        return;
    const QPoint Defilement = m_Glissement.Deplace(Evenement->position().toPoint());
    horizontalScrollBar()->setValue(Defilement.x());
    verticalScrollBar()->setValue(Defilement.y());
}

void TPanneauImage::mouseReleaseEvent(QMouseEvent *Evenement)
{
    if (Evenement->button() != Qt::LeftButton)
        return;
    // The release of a double click ends it: the next press is a new one.
    if (m_Glissement.DoubleClicEnCours()) {
        m_Glissement.Arrete();
        return;
    }
    if (m_Glissement.EnCours()) {
        m_Glissement.Relache();
        viewport()->unsetCursor();
    }
}

void TPanneauImage::mouseDoubleClickEvent(QMouseEvent *Evenement)
{
    if (Evenement->button() != Qt::LeftButton)
        return;
    // The press of the double click may have started a drag: it ends without moving.
    m_Glissement.DoubleClic();
    viewport()->unsetCursor();
    emit DoubleClic();
    // A full-screen view may have taken the release: with the button up, the next press is a
    // new one.
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton))
        m_Glissement.Arrete();
}

#include "mainwindow/Separateur.h"

#include <QMouseEvent>

TSeparateur::TSeparateur(Qt::Orientation nOrientation, std::function<int()> fnTaille,
                         std::function<void(int)> fnApplique, QWidget *Parent, int nSens)
    : QFrame(Parent), m_nOrientation(nOrientation), m_fnTaille(std::move(fnTaille)),
      m_fnApplique(std::move(fnApplique)), m_nSens(nSens)
{
    if (m_nOrientation == Qt::Vertical) {
        setFixedWidth(nEpaisseur);
        setCursor(Qt::SplitHCursor);
    } else {
        setFixedHeight(nEpaisseur);
        setCursor(Qt::SplitVCursor);
    }
}

int TSeparateur::Position(QMouseEvent *Evenement) const
{
    const QPointF p = Evenement->globalPosition();
    return int(m_nOrientation == Qt::Vertical ? p.x() : p.y());
}

void TSeparateur::mousePressEvent(QMouseEvent *Evenement)
{
    if (Evenement->button() != Qt::LeftButton)
        return;
    m_nDepart = Position(Evenement);
    m_nTailleDepart = m_fnTaille();
}

void TSeparateur::mouseMoveEvent(QMouseEvent *Evenement)
{
    if (m_nDepart < 0)
        return;
    const int n = std::clamp(m_nTailleDepart + m_nSens * (Position(Evenement) - m_nDepart), m_nMin,
                             std::max(m_nMin, m_nMax));
    if (n != m_fnTaille()) {
        m_fnApplique(n);
        emit Deplace();
    }
}

void TSeparateur::mouseReleaseEvent(QMouseEvent *)
{
    m_nDepart = -1;
}

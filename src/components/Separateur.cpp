#include "components/Separateur.h"

#include <QMouseEvent>

TSeparateur::TSeparateur(Qt::Orientation nOrientation, std::function<int()> fnTaille,
                         std::function<void(int)> fnApplique, QWidget *Parent, int nSens)
    : QFrame(Parent), m_nOrientation(nOrientation), m_fnTaille(std::move(fnTaille)),
      m_fnApplique(std::move(fnApplique)), m_nSens(nSens)
{
    if (m_nOrientation == Qt::Vertical)
        setFixedWidth(nEpaisseur);
    else
        setFixedHeight(nEpaisseur);
    setCursor(Curseur());
}

Qt::CursorShape TSeparateur::Curseur() const
{
    return m_nOrientation == Qt::Vertical ? Qt::SplitHCursor : Qt::SplitVCursor;
}

void TSeparateur::PrendPoignee(QWidget *Poignee)
{
    if (m_pPoignee)
        m_pPoignee->removeEventFilter(this);
    m_pPoignee = Poignee;
    if (!m_pPoignee)
        return;
    if (m_nOrientation == Qt::Vertical)
        setFixedWidth(0);
    else
        setFixedHeight(0);
    m_pPoignee->installEventFilter(this);
    if (isVisible())
        m_pPoignee->setCursor(Curseur());
}

bool TSeparateur::eventFilter(QObject *Objet, QEvent *Evenement)
{
    if (Objet != m_pPoignee || isHidden())
        return QFrame::eventFilter(Objet, Evenement);
    switch (Evenement->type()) {
    case QEvent::MouseButtonPress: mousePressEvent(static_cast<QMouseEvent *>(Evenement)); return m_nDepart >= 0;
    case QEvent::MouseMove:
        if (m_nDepart < 0)
            break;
        mouseMoveEvent(static_cast<QMouseEvent *>(Evenement));
        return true;
    case QEvent::MouseButtonRelease:
        if (m_nDepart < 0)
            break;
        mouseReleaseEvent(static_cast<QMouseEvent *>(Evenement));
        return true;
    default: break;
    }
    return QFrame::eventFilter(Objet, Evenement);
}

void TSeparateur::showEvent(QShowEvent *Evenement)
{
    QFrame::showEvent(Evenement);
    if (m_pPoignee)
        m_pPoignee->setCursor(Curseur());
}

void TSeparateur::hideEvent(QHideEvent *Evenement)
{
    QFrame::hideEvent(Evenement);
    // A collapsed pane is not resized: its strip stops looking like a handle.
    if (m_pPoignee && isHidden())
        m_pPoignee->unsetCursor();
    m_nDepart = -1;
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
    const int n =
        std::clamp(m_nTailleDepart + m_nSens * (Position(Evenement) - m_nDepart), m_nMin, std::max(m_nMin, m_nMax));
    if (n != m_fnTaille()) {
        m_fnApplique(n);
        emit Deplace();
    }
}

void TSeparateur::mouseReleaseEvent(QMouseEvent *)
{
    m_nDepart = -1;
}

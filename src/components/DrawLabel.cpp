#include "components/DrawLabel.h"

#include <QPainter>

TDrawLabel::TDrawLabel(QWidget *parent) : QLabel(parent) {}

TDrawLabel::TDrawLabel(const QString &cTexte, QWidget *parent) : QLabel(cTexte, parent) {}

void TDrawLabel::set_OptimizeDisplay(bool l)
{
    m_lOptimise = l;
    updateGeometry();
    update();
}

void TDrawLabel::set_SeparatorColor(const QColor &c)
{
    m_clSep = c;
    update();
}

void TDrawLabel::set_SeparatorString(const QString &c)
{
    m_cSep = c;
    update();
}

TDrawLabel::TRaccourci TDrawLabel::Raccourcit(const QString &cTexte, const QString &cSep, int nLargeur,
                                              const std::function<int(const QString &)> &fLargeur)
{
    TRaccourci r;
    QString T = cTexte;
    const int n = int(T.size());
    int h = n / 2;
    const int e = (n % 2 == 0) ? 1 : 0;
    int t = 0;
    while (fLargeur(T) > nLargeur) {
        const int a = (t == 1 || e == 1) ? 1 : 0;
        const int b = (t == 1 && e == 1) ? 1 : 0;
        const int nDebut = qMax(0, h - a);
        const int nFin = qMax(0, h - b);
        const QString cNouveau = T.left(nDebut) + cSep + T.right(nFin);
        r.lRaccourci = true;
        // Once only the separator is left nothing more can be cut: a width too small for
        // anything, 0 included, ends here instead of looping. A step that leaves the text as
        // it was (an odd length whose middle character is the separator) is no end: h still
        // falls, and the next step cuts.
        const bool lFini = nDebut == 0 && nFin == 0;
        T = cNouveau;
        if (t == 1)
            --h;
        t = 1 - t;
        if (lFini)
            break;
    }
    if (r.lRaccourci) {
        if (t == 1 && e == 1)
            --h;
        r.nAvantSep = qBound(0, h, int(T.size()));
    }
    r.cTexte = T;
    return r;
}

QSize TDrawLabel::minimumSizeHint() const
{
    const QSize s = QLabel::minimumSizeHint();
    return m_lOptimise ? QSize(0, s.height()) : s;
}

void TDrawLabel::paintEvent(QPaintEvent *e)
{
    if (!m_lOptimise) {
        QLabel::paintEvent(e);
        return;
    }
    QPainter p(this);
    const QRect rc = contentsRect();
    p.fillRect(rect(), palette().color(backgroundRole()));
    if (text().trimmed().isEmpty())
        return;
    const QFontMetrics fm = fontMetrics();
    const TRaccourci r =
        Raccourcit(text(), m_cSep, rc.width(), [&fm](const QString &c) { return fm.horizontalAdvance(c); });
    p.setPen(palette().color(foregroundRole()));
    if (r.lRaccourci) {
        p.drawText(rc, Qt::AlignLeft | Qt::AlignVCenter, r.cTexte);
        const int x = rc.left() + fm.horizontalAdvance(r.cTexte.left(r.nAvantSep));
        p.setPen(m_clSep);
        p.drawText(QRect(x, rc.top(), rc.right() - x + 1, rc.height()), Qt::AlignLeft | Qt::AlignVCenter, m_cSep);
    } else {
        p.drawText(rc, Qt::AlignHCenter | Qt::AlignVCenter, r.cTexte);
    }
}

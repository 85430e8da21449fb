#include "components/ExpColPanel.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>

TExpColPanel::TExpColPanel(TPanelAlign nAlign, QWidget *parent) : QFrame(parent), m_nAlign(nAlign)
{
    setFrameShape(QFrame::NoFrame);
    m_pBande = new QFrame(this);
    m_pBande->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_pBande->setLineWidth(1);
    m_pBouton = new QToolButton(this);
    m_pBouton->setFixedSize(nEpaisseurBande, nEpaisseurBande);
    m_pBouton->setCursor(Qt::PointingHandCursor);
    m_pBouton->setAutoRaise(true);
    m_pBouton->setFocusPolicy(Qt::NoFocus);
    m_pBouton->setIconSize(QSize(5, 5));
    m_pBouton->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0px; margin: 0px; }"));
    connect(m_pBouton, &QToolButton::clicked, this,
            [this] { set_PanelState(m_nEtat == psExpanded ? psCollapsed : psExpanded); });
    set_Align(nAlign);
}

void TExpColPanel::set_Align(TPanelAlign n)
{
    m_nAlign = n;
    // The inner layout keeps clear of the strip.
    const int b = nEpaisseurBande;
    switch (m_nAlign) {
    case paTop: setContentsMargins(0, 0, 0, b); break;
    case paBottom: setContentsMargins(0, b, 0, 0); break;
    case paLeft: setContentsMargins(0, 0, b, 0); break;
    case paRight: setContentsMargins(b, 0, 0, 0); break;
    }
    // Releasing the other dimension lets the pane change edges after construction.
    if (EstHorizontal()) {
        setMinimumWidth(0);
        setMaximumWidth(QWIDGETSIZE_MAX);
    } else {
        setMinimumHeight(0);
        setMaximumHeight(QWIDGETSIZE_MAX);
    }
    AppliqueTaille(m_nEtat == psExpanded ? m_nRef : nEpaisseurBande);
    PlaceBande();
    MajGlyphe();
}

void TExpColPanel::set_ArrowsColor(const QColor &c)
{
    m_clFleches = c;
    MajGlyphe();
}

void TExpColPanel::set_LargHautRef(int n)
{
    m_nRef = qMax(nEpaisseurBande, n);
    if (m_nEtat == psExpanded)
        AppliqueTaille(m_nRef);
}

void TExpColPanel::AppliqueTaille(int n)
{
    if (EstHorizontal())
        setFixedHeight(n);
    else
        setFixedWidth(n);
}

void TExpColPanel::set_PanelState(TPanelState n)
{
    if (n == m_nEtat)
        return;
    m_nEtat = n;
    if (m_nEtat == psCollapsed) {
        AppliqueTaille(nEpaisseurBande);
        m_lCaches.clear();
        for (QObject *o : children()) {
            auto *w = qobject_cast<QWidget *>(o);
            if (!w || w == m_pBande || w == m_pBouton || w->isWindow() || w->isHidden())
                continue;
            m_lCaches << w;
            w->hide();
        }
    } else {
        AppliqueTaille(m_nRef);
        // Only the controls the collapse hid come back: one hidden on purpose stays hidden.
        for (const QPointer<QWidget> &w : std::as_const(m_lCaches))
            if (w)
                w->show();
        m_lCaches.clear();
    }
    PlaceBande();
    MajGlyphe();
    if (m_nEtat == psCollapsed)
        emit _OnCollapsed();
    else
        emit _OnExpanded();
}

void TExpColPanel::resizeEvent(QResizeEvent *e)
{
    QFrame::resizeEvent(e);
    PlaceBande();
}

void TExpColPanel::PlaceBande()
{
    const int b = nEpaisseurBande;
    const int w = width();
    const int h = height();
    switch (m_nAlign) {
    case paTop:
        m_pBande->setGeometry(0, h - b, w, b);
        m_pBouton->move(0, h - b);
        break;
    case paBottom:
        m_pBande->setGeometry(0, 0, w, b);
        m_pBouton->move(0, 0);
        break;
    case paLeft:
        m_pBande->setGeometry(w - b, 0, b, h);
        m_pBouton->move(w - b, 0);
        break;
    case paRight:
        m_pBande->setGeometry(0, 0, b, h);
        m_pBouton->move(0, 0);
        break;
    }
    m_pBande->raise();
    m_pBouton->raise();
}

QImage TExpColPanel::Glyphe(const QColor &bgColor) const
{
    QImage img(5, 5, QImage::Format_RGB32);
    img.fill(bgColor);
    const QRgb c = m_clFleches.rgb();
    auto ligne = [&](int x0, int y0, int x1, int y1) {
        // Lines end one pixel short of their end point, as the pen of the platform draws them.
        if (y0 == y1)
            for (int x = x0; x < x1 && x < 5; ++x)
                img.setPixel(x, y0, c);
        else
            for (int y = y0; y < y1 && y < 5; ++y)
                img.setPixel(x0, y, c);
    };
    ligne(2, 0, 2, 5);
    ligne(0, 2, 5, 2);
    const bool lOuvert = m_nEtat == psExpanded;
    switch (m_nAlign) {
    case paTop: lOuvert ? ligne(1, 1, 4, 1) : ligne(1, 3, 4, 3); break;
    case paBottom: lOuvert ? ligne(1, 3, 4, 3) : ligne(1, 1, 4, 1); break;
    case paLeft: lOuvert ? ligne(1, 1, 1, 4) : ligne(3, 1, 3, 4); break;
    case paRight: lOuvert ? ligne(3, 1, 3, 4) : ligne(1, 1, 1, 4); break;
    }
    return img;
}

void TExpColPanel::MajGlyphe()
{
    const QColor fond = palette().color(QPalette::Button);
    m_pBouton->setIcon(QIcon(QPixmap::fromImage(Glyphe(fond))));
    QPalette pal = m_pBouton->palette();
    pal.setColor(QPalette::Button, fond);
    m_pBouton->setPalette(pal);
    m_pBouton->setAutoFillBackground(true);
}

#include "components/MarkupHint.h"

#include "platform/Balises.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QScreen>
#include <QTabBar>
#include <QGuiApplication>
#include <QToolTip>

namespace
{
constexpr int nMargeGauche = 3;
constexpr int nMargeDroite = 3; // the right edge is the text's width + 6
constexpr int nMargeVerticale = 2;
constexpr int nTitre = 32;     // added to the width when a line is a title between rules
constexpr int nEcartRegle = 8; // a title's rules stop that far from its text

QFont PoliceStyle(const QFont &Base, QChar cStyle)
{
    QFont f = Base;
    const QChar s = cStyle.toUpper();
    f.setBold(s == QLatin1Char('G') || s == QLatin1Char('T'));
    f.setUnderline(s == QLatin1Char('S') || s == QLatin1Char('T'));
    return f;
}

bool EstGenre(const Balises::TMorceau &m, char c)
{
    return m.lBalise && m.cGenre.toUpper() == QLatin1Char(c);
}

// Measures (p null) or draws one line whose area starts at x0 and is nLargeurZone wide;
// gives the line's width.
int Ligne(QPainter *p, const QString &cLigne, const QFont &Base, int x0, int y, int nLargeurZone, int nHauteur)
{
    int x = 0;
    const QFontMetrics fmBase(Base);
    for (const Balises::TMorceau &m : Balises::AnalyseLigne(cLigne)) {
        if (!m.lBalise) {
            if (p) {
                p->setFont(Base);
                p->drawText(x0 + x, y + fmBase.ascent(), m.cTexte);
            }
            x += fmBase.horizontalAdvance(m.cTexte);
            continue;
        }
        const QFont f = PoliceStyle(Base, m.cStyle);
        const int nTexte = QFontMetrics(f).horizontalAdvance(m.cTexte);
        if (p) {
            const int yMilieu = y + nHauteur / 2;
            if (EstGenre(m, 'L')) {
                if (m.cStyle.toUpper() == QLatin1Char('S')) {
                    p->drawLine(x0, yMilieu, x0 + nLargeurZone - 1, yMilieu);
                } else {
                    p->drawLine(x0, y + nHauteur / 3, x0 + nLargeurZone - 1, y + nHauteur / 3);
                    p->drawLine(x0, y + 2 * nHauteur / 3, x0 + nLargeurZone - 1, y + 2 * nHauteur / 3);
                }
            } else {
                const bool lCentre = EstGenre(m, 'C') || EstGenre(m, 'P');
                const int xTexte = lCentre ? x0 + (nLargeurZone - nTexte) / 2 : x0 + x;
                p->setFont(f);
                p->drawText(xTexte, y + QFontMetrics(f).ascent(), m.cTexte);
                if (EstGenre(m, 'P')) {
                    p->drawLine(x0, yMilieu, xTexte - nEcartRegle, yMilieu);
                    p->drawLine(xTexte + nTexte + nEcartRegle, yMilieu, x0 + nLargeurZone - 1, yMilieu);
                }
            }
        }
        x += nTexte;
    }
    return x;
}

bool ATitre(const QString &cLigne)
{
    if (!cLigne.contains(QLatin1String("</")))
        return false;
    for (const Balises::TMorceau &m : Balises::AnalyseLigne(cLigne))
        if (EstGenre(m, 'P'))
            return true;
    return false;
}

// The lines as they will be drawn: cut to Max, and their text width (title room included).
QStringList LignesAffichees(const QString &cTexte, const QFont &Police, const QSize &Max, int *pnLargeur)
{
    const QFontMetrics fm(Police);
    const int nHauteur = fm.height();
    const int nMaxLignes = std::max(1, (Max.height() - 2 * nMargeVerticale) / std::max(1, nHauteur));
    const int nMaxTexte = std::max(16, Max.width() - nMargeGauche - nMargeDroite);
    QStringList Lignes = Balises::Lignes(cTexte);
    if (Lignes.size() > nMaxLignes)
        Lignes.resize(nMaxLignes);
    int nLargeur = 0;
    bool lTitre = false;
    for (QString &cLigne : Lignes) {
        int n = Ligne(nullptr, cLigne, Police, 0, 0, 0, nHauteur);
        if (n > nMaxTexte) {
            // Too wide for the screen: shown plain, cut.
            QFontMetrics fmGras(PoliceStyle(Police, QLatin1Char('G')));
            cLigne = fmGras.elidedText(Balises::TexteSimple(cLigne), Qt::ElideRight, nMaxTexte - nTitre);
            n = fm.horizontalAdvance(cLigne);
        }
        lTitre = lTitre || ATitre(cLigne);
        nLargeur = std::max(nLargeur, n);
    }
    if (lTitre)
        nLargeur += nTitre;
    *pnLargeur = std::min(nLargeur, nMaxTexte);
    return Lignes;
}

QFont PoliceBulle()
{
    return QToolTip::font();
}

// The text a widget's hint shows at a point, and the zone it belongs to.
QString TexteSous(QWidget *w, const QPoint &Pos, QRect &Zone)
{
    Zone = w->rect();
    if (auto *Vue = qobject_cast<QAbstractItemView *>(w->parentWidget()); Vue && Vue->viewport() == w) {
        if (auto *Entete = qobject_cast<QHeaderView *>(Vue)) {
            const int n = Entete->logicalIndexAt(Pos);
            if (n < 0 || !Entete->model())
                return {};
            const int x = Entete->sectionViewportPosition(n), l = Entete->sectionSize(n);
            Zone = Entete->orientation() == Qt::Horizontal ? QRect(x, 0, l, w->height()) : QRect(0, x, w->width(), l);
            return Entete->model()->headerData(n, Entete->orientation(), Qt::ToolTipRole).toString();
        }
        const QModelIndex i = Vue->indexAt(Pos);
        if (!i.isValid())
            return {};
        Zone = Vue->visualRect(i);
        return i.data(Qt::ToolTipRole).toString();
    }
    if (auto *Onglets = qobject_cast<QTabBar *>(w)) {
        const int n = Onglets->tabAt(Pos);
        if (n >= 0 && !Onglets->tabToolTip(n).isEmpty()) {
            Zone = Onglets->tabRect(n);
            return Onglets->tabToolTip(n);
        }
    }
    for (QWidget *p = w; p; p = p->isWindow() ? nullptr : p->parentWidget())
        if (!p->toolTip().isEmpty())
            return p->toolTip();
    return {};
}

// Takes the place of Qt's tool-tips for the whole application.
class TFiltreMarkupHint : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *Objet, QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::ToolTip: {
            if (!Objet->isWidgetType())
                return false;
            // A hint waits until the left button is up: it would hide what is being dragged
            // or clicked.
            if (QGuiApplication::mouseButtons() & Qt::LeftButton)
                return true;
            auto *w = static_cast<QWidget *>(Objet);
            // Views that draw their own items (the thumbnail grid, the calendar) show those
            // items' hints themselves, through TMarkupHint::Affiche.
            if (w->property(cBullesPropres).toBool())
                return false;
            const auto *Aide = static_cast<QHelpEvent *>(e);
            QRect r;
            const QString cTexte = TexteSous(w, Aide->pos(), r);
            TMarkupHint::Affiche(Aide->globalPos(), cTexte, w, r);
            return true;
        }
        case QEvent::Leave:
            if (TMarkupHint::Visible() && Objet == TMarkupHint::Instance()->WidgetSource())
                TMarkupHint::Cache();
            break;
        case QEvent::MouseMove:
            if (TMarkupHint::Visible() && Objet == TMarkupHint::Instance()->WidgetSource()) {
                const QRect Zone = TMarkupHint::Instance()->ZoneSource();
                if (!Zone.isEmpty() && !Zone.contains(static_cast<QMouseEvent *>(e)->position().toPoint()))
                    TMarkupHint::Cache();
            }
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::Wheel:
        case QEvent::WindowDeactivate:
            if (TMarkupHint::Visible())
                TMarkupHint::Cache();
            break;
        default: break;
        }
        return false;
    }
};
} // namespace

TMarkupHint::TMarkupHint() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("MarkupHint"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFocusPolicy(Qt::NoFocus);
    setPalette(QToolTip::palette());
    setFont(PoliceBulle());
}

namespace
{
// Made on first use only: asking whether it shows, or hiding it, never makes it (events keep
// coming while the application quits, after it has gone).
QPointer<TMarkupHint> Bulle;
} // namespace

TMarkupHint *TMarkupHint::Instance()
{
    if (!Bulle) {
        Bulle = new TMarkupHint;
        // Goes with the application, before the screens do.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, Bulle.data(), &QObject::deleteLater);
    }
    return Bulle;
}

void TMarkupHint::Affiche(const QPoint &Pos, const QString &cTexte, QWidget *Widget, const QRect &Zone)
{
    if (cTexte.isEmpty()) {
        Cache();
        return;
    }
    Instance()->Montre(Pos, cTexte, Widget, Zone);
}

void TMarkupHint::Cache()
{
    if (Bulle && Bulle->isVisible()) {
        Bulle->hide();
        Bulle->m_Widget = nullptr;
    }
}

bool TMarkupHint::Visible()
{
    return Bulle && Bulle->isVisible();
}

QString TMarkupHint::TexteAffiche()
{
    return Visible() ? Bulle->m_cTexte : QString();
}

QSize TMarkupHint::TailleTexte(const QString &cTexte, const QFont &Police, const QSize &Max)
{
    int nLargeur = 0;
    const QStringList Lignes = LignesAffichees(cTexte, Police, Max, &nLargeur);
    return {nLargeur + nMargeGauche + nMargeDroite,
            int(Lignes.size()) * QFontMetrics(Police).height() + 2 * nMargeVerticale};
}

void TMarkupHint::Montre(const QPoint &Pos, const QString &cTexte, QWidget *Widget, const QRect &Zone)
{
    QScreen *Ecran = QGuiApplication::screenAt(Pos);
    if (!Ecran)
        Ecran = Widget ? Widget->screen() : QGuiApplication::primaryScreen();
    const QRect Dispo = Ecran ? Ecran->availableGeometry() : QRect(0, 0, 1024, 768);
    int nLargeur = 0;
    m_Lignes = LignesAffichees(cTexte, font(), Dispo.size(), &nLargeur);
    const QSize Taille(nLargeur + nMargeGauche + nMargeDroite,
                       int(m_Lignes.size()) * fontMetrics().height() + 2 * nMargeVerticale);
    // Placed as Qt places its tool-tips: below right of the pointer, kept on the screen.
    QPoint p = Pos + QPoint(2, 16);
    if (p.x() + Taille.width() > Dispo.right())
        p.setX(Dispo.right() - Taille.width());
    if (p.y() + Taille.height() > Dispo.bottom())
        p.setY(Pos.y() - Taille.height() - 4);
    p.setX(std::max(p.x(), Dispo.left()));
    p.setY(std::max(p.y(), Dispo.top()));
    m_cTexte = cTexte;
    m_Widget = Widget;
    m_Zone = Zone;
    setGeometry(QRect(p, Taille));
    update();
    show();
    raise();
}

void TMarkupHint::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::ToolTipBase));
    p.setPen(palette().color(QPalette::ToolTipText));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const int nHauteur = fontMetrics().height();
    const int nZone = width() - nMargeGauche - nMargeDroite;
    int y = nMargeVerticale;
    for (const QString &cLigne : m_Lignes) {
        Ligne(&p, cLigne, font(), nMargeGauche, y, nZone, nHauteur);
        y += nHauteur;
    }
}

void InstalleMarkupHint(QCoreApplication *Application)
{
    const QString cNom = QStringLiteral("FiltreMarkupHint");
    if (!Application || Application->findChild<QObject *>(cNom, Qt::FindDirectChildrenOnly))
        return;
    auto *Filtre = new TFiltreMarkupHint(Application);
    Filtre->setObjectName(cNom);
    Application->installEventFilter(Filtre);
}

#include "components/DispositionFlux.h"

#include <QWidget>
#include <algorithm>
#include <vector>

namespace
{
QSize Taille(QLayoutItem *Item)
{
    const QSize t = Item->sizeHint().expandedTo(Item->minimumSize()).boundedTo(Item->maximumSize());
    return t.expandedTo(QSize(0, 0));
}
} // namespace

int TDispositionFlux::Place(const QRect &r, bool lApplique, int *pnRangees) const
{
    const QMargins m = contentsMargins();
    const QRect Zone = r.marginsRemoved(m);
    const int nEspace = std::max(0, spacing());

    struct TElement
    {
        QLayoutItem *Item;
        QSize Taille;
        bool lRessort;
    };
    std::vector<TElement> Elements;
    for (int i = 0; i < count(); ++i) {
        QLayoutItem *Item = itemAt(i);
        if (!Item)
            continue;
        const bool lRessort = Item->spacerItem() != nullptr;
        if (!lRessort && Item->isEmpty())
            continue; // a hidden button takes no room
        Elements.push_back({Item, lRessort ? QSize(0, 0) : Taille(Item), lRessort});
    }

    // One row when everything fits: the stretches then share the room left.
    int nTotal = 0, nVisibles = 0, nRessorts = 0, nHauteurLigne = 0;
    for (const TElement &e : Elements) {
        if (e.lRessort) {
            ++nRessorts;
            continue;
        }
        nTotal += (nVisibles++ ? nEspace : 0) + e.Taille.width();
        nHauteurLigne = std::max(nHauteurLigne, e.Taille.height());
    }
    if (nTotal <= Zone.width() || nVisibles <= 1) {
        if (lApplique) {
            const int nReste = std::max(0, Zone.width() - nTotal);
            int x = Zone.x(), nDonne = 0, nRessort = 0, n = 0;
            for (const TElement &e : Elements) {
                if (e.lRessort) {
                    // Integer shares that add up to the whole remainder.
                    ++nRessort;
                    const int nPart = nReste * nRessort / nRessorts - nDonne;
                    nDonne += nPart;
                    x += nPart;
                    continue;
                }
                if (n++)
                    x += nEspace;
                const int y = Zone.y() + (nHauteurLigne - e.Taille.height()) / 2;
                e.Item->setGeometry(QRect(QPoint(x, y), e.Taille));
                x += e.Taille.width();
            }
        }
        if (pnRangees)
            *pnRangees = 1;
        return nHauteurLigne + m.top() + m.bottom();
    }

    // Wrapped: rows left-aligned, each as high as its highest item.
    int y = Zone.y(), nRangees = 0;
    size_t i = 0;
    while (i < Elements.size()) {
        size_t nFin = i;
        int x = 0, h = 0, n = 0;
        for (; nFin < Elements.size(); ++nFin) {
            const TElement &e = Elements[nFin];
            if (e.lRessort)
                continue;
            const int w = (n ? nEspace : 0) + e.Taille.width();
            if (n && x + w > Zone.width())
                break;
            x += w;
            h = std::max(h, e.Taille.height());
            ++n;
        }
        if (n == 0)
            break; // only stretches left
        if (lApplique) {
            int xi = Zone.x(), k = 0;
            for (size_t j = i; j < nFin; ++j) {
                const TElement &e = Elements[j];
                if (e.lRessort)
                    continue;
                if (k++)
                    xi += nEspace;
                e.Item->setGeometry(QRect(QPoint(xi, y + (h - e.Taille.height()) / 2), e.Taille));
                xi += e.Taille.width();
            }
        }
        y += h + nEspace;
        ++nRangees;
        i = nFin;
    }
    if (pnRangees)
        *pnRangees = std::max(1, nRangees);
    if (nRangees)
        y -= nEspace;
    return y - Zone.y() + m.top() + m.bottom();
}

int TDispositionFlux::heightForWidth(int nLargeur) const
{
    return Place(QRect(0, 0, nLargeur, 0), false);
}

int TDispositionFlux::NombreRangees(int nLargeur) const
{
    int n = 1;
    Place(QRect(0, 0, nLargeur, 0), false, &n);
    return n;
}

QSize TDispositionFlux::minimumSize() const
{
    // As narrow as the widest item: the rest wraps.
    int w = 0;
    for (int i = 0; i < count(); ++i)
        if (QLayoutItem *Item = itemAt(i); Item && !Item->spacerItem() && !Item->isEmpty())
            w = std::max(w, Taille(Item).width());
    const QMargins m = contentsMargins();
    w += m.left() + m.right();
    return {w, heightForWidth(w)};
}

QSize TDispositionFlux::sizeHint() const
{
    int w = 0, h = 0, n = 0;
    for (int i = 0; i < count(); ++i)
        if (QLayoutItem *Item = itemAt(i); Item && !Item->spacerItem() && !Item->isEmpty()) {
            const QSize t = Taille(Item);
            w += (n++ ? std::max(0, spacing()) : 0) + t.width();
            h = std::max(h, t.height());
        }
    const QMargins m = contentsMargins();
    return {w + m.left() + m.right(), h + m.top() + m.bottom()};
}

void TDispositionFlux::setGeometry(const QRect &r)
{
    QLayout::setGeometry(r);
    Place(r, true);
}

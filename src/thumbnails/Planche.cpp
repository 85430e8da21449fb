#include "thumbnails/Planche.h"

#include "thumbnails/ThumbnailCache.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>

namespace
{
bool AvecTexte()
{
    // Text needs the fonts of a graphical application.
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}
} // namespace

int LargeurMaxPlanche(int nIndLargMaxSvgTtesVig, int nLargeurEcran)
{
    static constexpr int nLargeurs[] = {800, 1024, 1600, 2048, 3072, 4096};
    if (nIndLargMaxSvgTtesVig >= 1 && nIndLargMaxSvgTtesVig <= 6)
        return nLargeurs[nIndLargMaxSvgTtesVig - 1];
    return nLargeurEcran;
}

TGeometriePlanche GeometriePlanche(int nVignettes, int nD, int nLargeurMax)
{
    TGeometriePlanche g;
    if (nVignettes <= 0 || nD <= 0)
        return g;
    g.nPasX = PasXCellule(nD);
    g.nPasY = PasYCellule(nD);
    // A screen narrower than one cell still gets one column.
    g.nColonnes = std::max(1, nLargeurMax / g.nPasX);
    g.nLignes = (nVignettes + g.nColonnes - 1) / g.nColonnes;
    g.nLargeur = qint64(std::min(nVignettes, g.nColonnes)) * g.nPasX;
    g.nHauteur = qint64(g.nLignes) * g.nPasY;
    return g;
}

QImage DessinePlanche(const QList<TCellulePlanche> &Cellules, int nD, const TGeometriePlanche &g,
                      const TCouleursPlanche &Couleurs)
{
    return DessinePlanche(
        static_cast<int>(Cellules.size()), [&Cellules](int i) { return Cellules[i]; }, nD, g, Couleurs);
}

QImage DessinePlanche(int nCellules, const std::function<TCellulePlanche(int)> &Cellule, int nD,
                      const TGeometriePlanche &g, const TCouleursPlanche &Couleurs)
{
    if (!g.Valide() || g.nColonnes <= 0)
        return {};
    QImage Planche(static_cast<int>(g.nLargeur), static_cast<int>(g.nHauteur), QImage::Format_RGB32);
    if (Planche.isNull())
        return {};
    Planche.fill(Couleurs.Fond);
    QPainter p(&Planche);
    const bool lTexte = AvecTexte();
    if (lTexte) {
        QFont Police;
        Police.setPixelSize(12);
        p.setFont(Police);
    }
    for (int i = 0; i < nCellules; ++i) {
        const TCellulePlanche c = Cellule(i);
        const int x = (i % g.nColonnes) * g.nPasX;
        const int y = (i / g.nColonnes) * g.nPasY;
        p.setPen(Qt::NoPen);
        p.setBrush(Couleurs.Panneau);
        p.drawRect(QRect(QPoint(x + 2, y + 2), QPoint(x + g.nPasX - 3, y + nD + 24)));
        const QImage &v = c.Vignette;
        if (!v.isNull()) {
            // A thumbnail larger than the cell (a grid of another size) is fitted first.
            const QImage w = (v.width() > nD || v.height() > nD) ? AjusteVignette(v, v.width(), v.height(), nD) : v;
            p.drawImage(QPoint(x + (nD - w.width()) / 2 + 6, y + (nD - w.height()) / 2 + 6), w);
        }
        if (lTexte && !c.cTitre.isEmpty()) {
            p.setPen(Couleurs.TextePanneau);
            const QRect r(x + 6, y + nD + 7, nD, p.fontMetrics().height());
            p.drawText(r, Qt::AlignHCenter | Qt::AlignTop, p.fontMetrics().elidedText(c.cTitre, Qt::ElideMiddle, nD));
        }
    }
    p.end();
    return Planche;
}

#include "publishing/ApercuAlbumWEB_fm.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QStyle>

namespace
{
constexpr int nLargeurMin = 300;
constexpr int nHauteur = 600;

QColor CouleurQt(quint32 n)
{
    return QColor(int(n & 0xFF), int((n >> 8) & 0xFF), int((n >> 16) & 0xFF));
}

void PeintCellule(QPainter &P, const TCelluleApercu &C, const TOptionsAlbumWEB &O)
{
    P.setBrush(Qt::NoBrush);
    if (!C.rBoite.isEmpty()) {
        P.fillRect(C.rBoite, CouleurQt(O.nAWCoulFondVigImg));
        P.setPen(CouleurQt(O.lAWAffCadre ? O.nAWCoulCadre : O.nAWCoulFondVigImg));
        P.drawRect(C.rBoite.adjusted(0, 0, -1, -1));
    }
    if (C.lBande) {
        P.fillRect(C.rBande, CouleurQt(O.nAWCoulFondDonnees));
        P.setPen(CouleurQt(O.nAWCoulPolice));
        P.drawText(QRect(C.ptTexte, QSize(C.rBande.width(), C.rBande.height())), Qt::AlignLeft | Qt::AlignTop,
                   QStringLiteral("abc"));
    }
    P.fillRect(C.rMarque, Qt::black);
    P.setPen(Qt::yellow);
    P.drawRect(C.rMarque.adjusted(0, 0, -1, -1));
    P.drawLine(C.l1);
    P.drawLine(C.l2);
}

void PeintDessin(QPainter &P, const TDessinApercu &D, const TOptionsAlbumWEB &O)
{
    if (!D.lVisible || D.rPlace.isEmpty())
        return;
    P.save();
    P.setClipRect(D.rPlace);
    P.translate(D.rPlace.topLeft());
    P.fillRect(QRect(QPoint(0, 0), D.rPlace.size()), CouleurQt(O.nAWCoulFondFenetre));
    for (const TCelluleApercu &C : D.Cellules)
        PeintCellule(P, C, O);
    P.restore();
}
} // namespace

TfmAlbumWEBApercu::TfmAlbumWEBApercu(QWidget *Album)
    : QWidget(Album, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_pAlbum(Album)
{
    setObjectName(QStringLiteral("fmAlbumWEBApercu"));
    setWindowTitle(QStringLiteral("Aperçu de l'album WEB"));
    setAttribute(Qt::WA_ShowWithoutActivating);
}

int TfmAlbumWEBApercu::HauteurTitre() const
{
    return std::max(QFontMetrics(font()).height() + 4, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
}

void TfmAlbumWEBApercu::Montre()
{
    QScreen *Ecran = m_pAlbum && m_pAlbum->screen() ? m_pAlbum->screen() : QGuiApplication::primaryScreen();
    const QRect rEcran = Ecran ? Ecran->availableGeometry() : QRect(0, 0, 1024, 768);
    const int nAlbum = m_pAlbum ? m_pAlbum->frameGeometry().width() : 0;
    // The frame's corner, so that the caption stays on the screen.
    move(rEcran.topLeft());
    resize(std::max(nLargeurMin, rEcran.width() - nAlbum), nHauteur);
    m_nH = height();
    show();
}

void TfmAlbumWEBApercu::RafraichirApercu(const TOptionsAlbumWEB &Options, int nLignes)
{
    m_Options = Options;
    m_Geo = GeometrieApercu(Options, nLignes, QSize(width(), m_nH), HauteurTitre());
    resize(width(), m_Geo.nHauteurClient);
    update();
}

void TfmAlbumWEBApercu::closeEvent(QCloseEvent *e)
{
    // It lives as long as the album window, which frees it.
    e->ignore();
}

void TfmAlbumWEBApercu::paintEvent(QPaintEvent *)
{
    QPainter P(this);
    P.fillRect(rect(), palette().color(QPalette::Window));
    QFont Police(m_Options.cAWAffPolice);
    Police.setPixelSize(11);
    const auto Titre = [&](const QRect &r, const QString &c) {
        P.fillRect(r, palette().color(QPalette::Active, QPalette::Highlight));
        P.setPen(palette().color(QPalette::Active, QPalette::HighlightedText));
        QFont Gras = font();
        Gras.setBold(true);
        P.setFont(Gras);
        P.drawText(r.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, c);
    };
    Titre(m_Geo.rTitreHaut, QStringLiteral("Fenêtre principale"));
    if (m_Geo.lVoletBas)
        Titre(m_Geo.rTitreBas, QStringLiteral("Fenêtre de l'image plein écran"));
    P.setFont(Police);
    for (const TDessinApercu *D : {&m_Geo.Vignettes, &m_Geo.Image, &m_Geo.Bas})
        PeintDessin(P, *D, m_Options);
}

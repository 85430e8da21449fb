#include "classification/IconesArbres.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace
{
using namespace IconesArbres;

// The selected (or open) picture of a pair is drawn in lighter colours with a darker outline,
// so that the two never look alike.
struct TTeinte
{
    QColor Trait;
    QColor Fond;
    QColor Accent;
};

TTeinte Teinte(QColor Base, bool lSel)
{
    if (lSel)
        return {Base.darker(220), Base.lighter(135), QColor(255, 255, 255)};
    return {Base.darker(170), Base, QColor(250, 250, 235)};
}

// A 3 × 5 pixel font for the few letters the EXIF and IPTC pictures carry.
void Lettres(QPainter &p, int x, int y, const char *cTexte, const QColor &c)
{
    auto Motif = [](char ch) -> std::array<int, 5> {
        switch (ch) {
        case 'I': return {7, 2, 2, 2, 7};
        case 'S': return {7, 4, 7, 1, 7};
        case 'O': return {7, 5, 5, 5, 7};
        case '3': return {7, 1, 7, 1, 7};
        case '5': return {7, 4, 6, 1, 6};
        case 'E': return {7, 4, 6, 4, 7};
        case 'X': return {5, 5, 2, 5, 5};
        case 'F': return {7, 4, 6, 4, 4};
        case 'P': return {6, 5, 6, 4, 4};
        case 'T': return {7, 2, 2, 2, 2};
        case 'C': return {3, 4, 4, 4, 3};
        default: return {0, 0, 0, 0, 0};
        }
    };
    for (; *cTexte; ++cTexte, x += 4) {
        const std::array<int, 5> m = Motif(*cTexte);
        for (int l = 0; l < 5; ++l)
            for (int b = 0; b < 3; ++b)
                if (m[size_t(l)] & (4 >> b))
                    p.fillRect(x + b, y + l, 1, 1, c);
    }
}

void Dossier(QPainter &p, bool lOuvert, QColor Base)
{
    const TTeinte t = Teinte(Base, false);
    p.setPen(t.Trait);
    p.setBrush(t.Fond.darker(110));
    p.drawPolygon(QPolygon({{1, 3}, {6, 3}, {7, 5}, {14, 5}, {14, 13}, {1, 13}}));
    if (lOuvert) {
        p.setBrush(t.Fond.lighter(120));
        p.drawPolygon(QPolygon({{3, 7}, {15, 7}, {13, 13}, {1, 13}}));
    } else {
        p.setBrush(t.Fond);
        p.drawRect(1, 6, 13, 7);
    }
}

void Case(QPainter &p, bool lCochee)
{
    p.setPen(QColor(90, 90, 90));
    p.setBrush(Qt::white);
    p.drawRect(2, 2, 11, 11);
    if (lCochee) {
        QPen Trait(QColor(20, 120, 20), 2);
        p.setPen(Trait);
        p.drawPolyline(QPolygon({{4, 8}, {6, 11}, {11, 4}}));
    }
}

void Etiquette(QPainter &p, int dx, int dy, const TTeinte &t)
{
    p.setPen(t.Trait);
    p.setBrush(t.Fond);
    p.drawPolygon(
        QPolygon({{1 + dx, 4 + dy}, {8 + dx, 4 + dy}, {11 + dx, 7 + dy}, {8 + dx, 10 + dy}, {1 + dx, 10 + dy}}));
    p.fillRect(8 + dx, 7 + dy, 1, 1, t.Accent);
}

void GroupeMotsCles(QPainter &p, bool lSel)
{
    const TTeinte t = Teinte(QColor(230, 150, 60), lSel);
    Etiquette(p, 3, -3, t);
    Etiquette(p, 0, 3, t);
}

void MotCle(QPainter &p, bool lSel)
{
    Etiquette(p, 1, 0, Teinte(QColor(230, 150, 60), lSel));
}

void Coeur(QPainter &p, bool lSel)
{
    const TTeinte t = Teinte(QColor(220, 40, 60), lSel);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath c;
    c.moveTo(8, 14);
    c.cubicTo(1, 9, 0, 5, 3, 3);
    c.cubicTo(5, 1.5, 7, 2.5, 8, 5);
    c.cubicTo(9, 2.5, 11, 1.5, 13, 3);
    c.cubicTo(16, 5, 15, 9, 8, 14);
    p.setPen(t.Trait);
    p.setBrush(t.Fond);
    p.drawPath(c);
}

void Bulle(QPainter &p, bool lSel)
{
    const TTeinte t = Teinte(QColor(90, 160, 220), lSel);
    p.setPen(t.Trait);
    p.setBrush(t.Fond);
    p.drawRect(1, 2, 13, 8);
    p.drawPolygon(QPolygon({{4, 10}, {8, 10}, {4, 14}}));
    p.setPen(t.Accent);
    p.drawLine(3, 5, 12, 5);
    p.drawLine(3, 7, 9, 7);
}

void Page(QPainter &p, bool lSel, QColor Base)
{
    const TTeinte t = Teinte(Base, lSel);
    p.setPen(t.Trait);
    p.setBrush(t.Accent);
    p.drawPolygon(QPolygon({{3, 1}, {10, 1}, {13, 4}, {13, 14}, {3, 14}}));
    p.setPen(t.Fond.darker(120));
    for (int y = 5; y <= 12; y += 2)
        p.drawLine(5, y, 11, y);
}

void Appareil(QPainter &p, const TTeinte &t)
{
    p.setPen(t.Trait);
    p.setBrush(t.Fond);
    p.drawRect(1, 4, 13, 9);
    p.drawRect(4, 2, 4, 2);
    p.setBrush(t.Accent);
    p.drawEllipse(QPoint(8, 8), 3, 3);
}

// Four letters take the whole width: the band has an edge above and below only.
void Bandeau(QPainter &p, const TTeinte &t, const char *cLettres)
{
    p.fillRect(0, 3, 16, 10, t.Fond);
    p.fillRect(0, 2, 16, 1, t.Trait);
    p.fillRect(0, 13, 16, 1, t.Trait);
    Lettres(p, 0, 5, cLettres, t.Accent);
}

void GroupeExif(QPainter &p, bool lSel)
{
    Bandeau(p, Teinte(QColor(70, 110, 190), lSel), "EXIF");
}

void ExifModele(QPainter &p, bool lSel)
{
    Appareil(p, Teinte(QColor(110, 110, 120), lSel));
}

void ExifFocale(QPainter &p, bool lSel)
{
    const TTeinte t = Teinte(QColor(70, 70, 80), lSel);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(t.Trait);
    p.setBrush(t.Fond);
    p.drawEllipse(QPointF(7.5, 7.5), 6.5, 6.5);
    p.setBrush(QColor(120, 170, 230));
    p.drawEllipse(QPointF(7.5, 7.5), 3.5, 3.5);
    p.fillRect(6, 5, 2, 2, t.Accent);
}

void ExifExposition(QPainter &p, bool lSel)
{
    const TTeinte t = Teinte(QColor(200, 200, 210), lSel);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(t.Trait);
    p.setBrush(t.Fond);
    p.drawEllipse(QPointF(7.5, 8.5), 6, 6);
    p.drawRect(6, 0, 3, 2);
    p.setPen(QPen(QColor(180, 30, 30), 1.5));
    p.drawLine(QPointF(7.5, 8.5), QPointF(7.5, 4.5));
    p.drawLine(QPointF(7.5, 8.5), QPointF(10.5, 9.5));
}

void ExifOuverture(QPainter &p, bool lSel)
{
    const TTeinte t = Teinte(QColor(60, 60, 70), lSel);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(t.Trait);
    p.setBrush(t.Fond);
    p.drawPolygon(QPolygonF({{7.5, 0.5}, {14, 4}, {14, 11}, {7.5, 14.5}, {1, 11}, {1, 4}}));
    p.setBrush(t.Accent);
    p.drawPolygon(QPolygonF({{7.5, 4.5}, {10.5, 6}, {10.5, 9}, {7.5, 10.5}, {4.5, 9}, {4.5, 6}}));
}

void ExifDate(QPainter &p, bool lSel)
{
    const TTeinte t = Teinte(QColor(200, 60, 50), lSel);
    p.setPen(QColor(80, 80, 80));
    p.setBrush(Qt::white);
    p.drawRect(1, 2, 13, 12);
    p.fillRect(2, 3, 12, 3, t.Fond);
    for (int y = 8; y <= 12; y += 2)
        for (int x = 3; x <= 12; x += 3)
            p.fillRect(x, y, 2, 1, t.Trait);
}

void ExifIso(QPainter &p, bool lSel)
{
    const TTeinte t = Teinte(QColor(60, 140, 80), lSel);
    p.setPen(t.Trait);
    p.setBrush(t.Fond);
    p.drawRect(0, 3, 15, 9);
    Lettres(p, 2, 5, "ISO", t.Accent);
}

void ExifOrientation(QPainter &p, bool lSel)
{
    const TTeinte t = Teinte(QColor(120, 80, 170), lSel);
    p.setPen(t.Trait);
    p.setBrush(t.Fond);
    p.drawRect(1, 6, 7, 9);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(t.Trait, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(5, 1, 9, 9), 90 * 16, -90 * 16);
    p.setBrush(t.Trait);
    p.drawPolygon(QPolygonF({{11.5, 5.5}, {15.5, 5.5}, {13.5, 8.5}}));
}

void ExifCommentaire(QPainter &p, bool lSel)
{
    Page(p, lSel, QColor(150, 150, 150));
    const TTeinte t = Teinte(QColor(230, 190, 40), lSel);
    p.setPen(t.Trait);
    p.setBrush(t.Fond);
    p.drawPolygon(QPolygon({{8, 13}, {14, 7}, {15, 8}, {9, 14}}));
}

void ExifFocale35(QPainter &p, bool lSel)
{
    const TTeinte t = Teinte(QColor(70, 70, 80), lSel);
    p.setPen(t.Trait);
    p.setBrush(t.Fond);
    p.drawRect(0, 2, 15, 11);
    for (int x = 1; x < 15; x += 3) {
        p.fillRect(x, 3, 2, 1, t.Accent);
        p.fillRect(x, 11, 2, 1, t.Accent);
    }
    Lettres(p, 4, 5, "35", t.Accent);
}

void GroupeIptc(QPainter &p, bool)
{
    Bandeau(p, Teinte(QColor(40, 150, 150), false), "IPTC");
}

void SousGroupeIptc(QPainter &p, bool lOuvert)
{
    Dossier(p, lOuvert, QColor(60, 170, 170));
}

void ElementIptc(QPainter &p, bool lSel)
{
    const TTeinte t = Teinte(QColor(40, 150, 150), lSel);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(t.Trait);
    p.setBrush(t.Fond);
    p.drawPolygon(QPolygonF({{7.5, 2}, {13, 7.5}, {7.5, 13}, {2, 7.5}}));
    p.fillRect(7, 7, 2, 2, t.Accent);
}

using FnDessin = void (*)(QPainter &, bool);

struct TDessin
{
    FnDessin fn;
    bool lSel;
};

QImage Dessine(int nIndex)
{
    static const std::array<TDessin, nNbIntegrees> Dessins = {{
        {[](QPainter &p, bool) { Dossier(p, false, QColor(240, 200, 80)); }, false},
        {[](QPainter &p, bool) { Dossier(p, true, QColor(240, 200, 80)); }, true},
        {[](QPainter &p, bool) { Case(p, false); }, false},
        {[](QPainter &p, bool) { Case(p, true); }, true},
        {GroupeMotsCles, false},
        {GroupeMotsCles, true},
        {MotCle, false},
        {MotCle, true},
        {Coeur, false},
        {Coeur, true},
        {Bulle, false},
        {Bulle, true},
        {[](QPainter &p, bool l) { Page(p, l, QColor(90, 130, 200)); }, false},
        {[](QPainter &p, bool l) { Page(p, l, QColor(90, 130, 200)); }, true},
        {GroupeExif, false},
        {GroupeExif, true},
        {ExifModele, false},
        {ExifModele, true},
        {ExifFocale, false},
        {ExifFocale, true},
        {ExifExposition, false},
        {ExifExposition, true},
        {ExifOuverture, false},
        {ExifOuverture, true},
        {ExifDate, false},
        {ExifDate, true},
        {ExifIso, false},
        {ExifIso, true},
        {ExifOrientation, false},
        {ExifOrientation, true},
        {ExifCommentaire, false},
        {ExifCommentaire, true},
        {ExifFocale35, false},
        {ExifFocale35, true},
        {GroupeIptc, false},
        {SousGroupeIptc, false},
        {SousGroupeIptc, true},
        {ElementIptc, false},
        {ElementIptc, true},
    }};
    QImage Image(nTaille, nTaille, QImage::Format_ARGB32_Premultiplied);
    Image.fill(Qt::transparent);
    QPainter p(&Image);
    Dessins[size_t(nIndex)].fn(p, Dessins[size_t(nIndex)].lSel);
    p.end();
    return Image.convertToFormat(QImage::Format_ARGB32);
}
} // namespace

QImage IconesArbres::ImageIntegree(int nIndex)
{
    if (nIndex < 0 || nIndex >= nNbIntegrees)
        return {};
    static const std::vector<QImage> Images = [] {
        std::vector<QImage> v;
        for (int i = 0; i < nNbIntegrees; ++i)
            v.push_back(Dessine(i));
        return v;
    }();
    return Images[size_t(nIndex)];
}

std::optional<QByteArray> IconesArbres::LitFichierIcone(const QString &cFichier)
{
    // Only a regular file: a FIFO or a device named like an icon would block or never end.
    const QFileInfo Info(cFichier);
    if (!Info.isFile() || Info.size() > nMaxOctetsIcone)
        return std::nullopt;
    QFile f(cFichier);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray Octets = f.read(nMaxOctetsIcone + 1);
    if (Octets.size() > nMaxOctetsIcone)
        return std::nullopt;
    return Octets;
}

bool IconesArbres::NomIconeAcceptable(const QString &cNom)
{
    if (cNom.isEmpty() || cNom == u"." || cNom == u"..")
        return false;
    // The earlier platform's separator counts too: such a name came from a path, not a file.
    return !cNom.contains(u'/') && !cNom.contains(u'\\') && !cNom.contains(QChar(0));
}

QImage IconesArbres::ImageIconeCritere(const QByteArray &Octets)
{
    QBuffer Tampon;
    Tampon.setData(Octets);
    Tampon.open(QIODevice::ReadOnly);
    QImageReader Lecteur(&Tampon);
    Lecteur.setAutoTransform(false);
    // The header's size settles most files without decoding a single pixel.
    const QSize Taille = Lecteur.size();
    if (Taille.isValid() && Taille != QSize(nTaille, nTaille))
        return {};
    QImage Image = Lecteur.read();
    if (Image.isNull() || Image.size() != QSize(nTaille, nTaille))
        return {};
    Image = Image.convertToFormat(QImage::Format_ARGB32);
    const QRgb Fond = Image.pixel(0, nTaille - 1);
    for (int y = 0; y < nTaille; ++y) {
        QRgb *Ligne = reinterpret_cast<QRgb *>(Image.scanLine(y));
        for (int x = 0; x < nTaille; ++x)
            if (Ligne[x] == Fond)
                Ligne[x] = qRgba(0, 0, 0, 0);
    }
    return Image;
}

TListeImagesArbres::TListeImagesArbres() : m_fnLit(IconesArbres::LitFichierIcone) {}

void TListeImagesArbres::Vide()
{
    m_Images.clear();
    m_Icones.clear();
    m_IndexParNom.clear();
}

int TListeImagesArbres::IndexIcone(const QString &cNomFichier)
{
    if (!IconesArbres::NomIconeAcceptable(cNomFichier))
        return IconesArbres::nDossierFerme;
    const auto Deja = m_IndexParNom.constFind(cNomFichier);
    if (Deja != m_IndexParNom.constEnd())
        return *Deja;
    int nIndex = IconesArbres::nDossierFerme;
    if (m_fnLit) {
        if (const std::optional<QByteArray> Octets = m_fnLit(m_cDossier + cNomFichier)) {
            QImage Image = IconesArbres::ImageIconeCritere(*Octets);
            if (!Image.isNull()) {
                nIndex = Nombre();
                m_Images.push_back(std::move(Image));
            }
        }
    }
    m_IndexParNom.insert(cNomFichier, nIndex);
    return nIndex;
}

QImage TListeImagesArbres::Image(int nIndex) const
{
    if (nIndex < IconesArbres::nNbIntegrees)
        return IconesArbres::ImageIntegree(nIndex);
    const size_t n = size_t(nIndex - IconesArbres::nNbIntegrees);
    return n < m_Images.size() ? m_Images[n] : QImage();
}

QIcon TListeImagesArbres::Icone(int nIndex) const
{
    if (nIndex < IconesArbres::nNbIntegrees) {
        if (nIndex != IconesArbres::nDossierFerme && nIndex != IconesArbres::nDossierOuvert)
            return QIcon(QPixmap::fromImage(IconesArbres::ImageIntegree(nIndex)));
        if (m_IconeDossier.isNull()) {
            m_IconeDossier.addPixmap(QPixmap::fromImage(IconesArbres::ImageIntegree(IconesArbres::nDossierFerme)),
                                     QIcon::Normal, QIcon::Off);
            m_IconeDossier.addPixmap(QPixmap::fromImage(IconesArbres::ImageIntegree(IconesArbres::nDossierOuvert)),
                                     QIcon::Normal, QIcon::On);
        }
        return m_IconeDossier;
    }
    const size_t n = size_t(nIndex - IconesArbres::nNbIntegrees);
    if (n >= m_Images.size())
        return Icone(IconesArbres::nDossierFerme);
    if (m_Icones.size() < m_Images.size())
        m_Icones.resize(m_Images.size());
    if (m_Icones[n].isNull())
        m_Icones[n] = QIcon(QPixmap::fromImage(m_Images[n]));
    return m_Icones[n];
}

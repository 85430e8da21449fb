#include "imaging/ChargeImage.h"

#include "imaging/FileKinds.h"
#include "imaging/Imaging.h"
#include "imaging/JpegCodec.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

#include <cstring>

namespace
{
// Larger JPEG files are no photographs; they are refused before being read into memory.
constexpr qint64 nTailleJpegMax = 1LL << 30;

void Signale(const TProgresImage &Progres, int nEtape, int nPourcent)
{
    if (Progres)
        Progres(nEtape, nPourcent);
}

TImageChargee ChargeJpeg(const QString &cFichier, int nD, const TProgresImage &Progres)
{
    QFile f(cFichier);
    if (!f.open(QIODevice::ReadOnly))
        throw EImageIllisible(QStringLiteral("Fichier illisible : %1").arg(f.errorString()));
    if (f.size() > nTailleJpegMax)
        throw EImageIllisible(QStringLiteral("Fichier trop grand"));
    const QByteArray Donnees = f.readAll();
    QString cErreur;
    TImageChargee R;
    if (!JpegCodec::TailleMemoire(Donnees, R.Taille, &cErreur))
        throw EImageIllisible(QStringLiteral("Image illisible : %1").arg(cErreur));
    R.lJPEG = true;
    R.nEchelle = nD > 0 ? JpegCodec::EchellePour(qMax(R.Taille.nLargeur, R.Taille.nHauteur), nD) : 1;
    Signale(Progres, 0, 0);
    std::function<void(int)> Pourcent;
    if (Progres)
        Pourcent = [&Progres](int n) { Progres(1, n); };
    R.Image = JpegCodec::DecodeMemoireTaille(Donnees, R.nEchelle, &cErreur, nullptr, Pourcent);
    Signale(Progres, 2, 100);
    if (R.Image.isNull())
        throw EImageIllisible(QStringLiteral("Image illisible : %1").arg(cErreur));
    return R;
}

quint16 Gros16(const uchar *p)
{
    return quint16(p[0] << 8 | p[1]);
}

bool AvecTexte()
{
    // Text needs the fonts of a graphical application; without one only the shapes are drawn.
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

QFont PoliceGras()
{
    QFont Police;
    Police.setPixelSize(12);
    Police.setBold(true);
    return Police;
}

// Text drawn with its top-left corner at (x, y).
void Ecrit(QPainter &p, int x, int y, const QString &c)
{
    p.drawText(QPoint(x, y + p.fontMetrics().ascent()), c);
}

// The ground of the placeholders: a white square of side nS with a disc of colour c set in
// 10 pixels from each edge.
QImage FondDisque(int nS, const QColor &c)
{
    QImage Image(nS, nS, QImage::Format_RGB32);
    Image.fill(Qt::white);
    QPainter p(&Image);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QRect(10, 10, nS - 20, nS - 20));
    p.end();
    return Image;
}
}

bool LitTailleCRW(const QString &cFichier, TTailleImage &Taille)
{
    QFile f(cFichier);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const qint64 nTaille = f.size();
    uchar b[9];
    if (nTaille < 18 || !f.seek(nTaille - 18) || f.read(reinterpret_cast<char *>(b), 4) != 4)
        return false;
    const quint32 v = quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2]) << 16 | quint32(b[3]) << 24;
    if (v == 0xFFFFFFFFu)
        return false;
    // Every step moves forward by two bytes at least and every read is checked against the
    // file's end, so the walk always ends.
    qint64 nPos = qint64(v) + 28;
    while (nPos + 2 <= nTaille) {
        if (!f.seek(nPos) || f.read(reinterpret_cast<char *>(b), 2) != 2 || b[0] != 0xFF)
            return false;
        const uchar m = b[1];
        const bool lSOF = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
        if (lSOF) {
            if (f.read(reinterpret_cast<char *>(b), 7) != 7)
                return false;
            Taille = {Gros16(b + 5), Gros16(b + 3)};
            return true;
        }
        if (m == 0xD9) // end of image: no frame found
            return false;
        if (m == 0x01 || (m >= 0xD0 && m <= 0xD8) || m == 0xFF) {
            nPos += m == 0xFF ? 1 : 2; // markers without a length; FF FF is padding
            continue;
        }
        if (f.read(reinterpret_cast<char *>(b), 2) != 2)
            return false;
        const quint16 nLongueur = Gros16(b);
        if (nLongueur < 2)
            return false;
        nPos += 2 + nLongueur;
    }
    return false;
}

TImageChargee ChargeImage(const QString &cFichier, bool lVignette, int nD, bool lLireVigDsTHM,
                          const TProgresImage &Progres)
{
    if (lVignette && nD <= 0)
        throw EImageIllisible(QStringLiteral("Taille de vignette invalide"));
    // A .THM companion is a JPEG under another name and loads as one.
    if (EstJPEG(cFichier) || ExtensionMaj(cFichier) == QLatin1String(".THM"))
        return ChargeJpeg(cFichier, lVignette ? nD : 0, Progres);

    if (lVignette && lLireVigDsTHM && EstCRW(cFichier)) {
        const QString cTHM = CompagnonTHM(cFichier);
        TTailleImage TailleCRW;
        if (!cTHM.isEmpty() && LitTailleCRW(cFichier, TailleCRW) && !TailleCRW.Vide()) {
            TImageChargee R = ChargeJpeg(cTHM, nD, Progres);
            R.Taille = TailleCRW;
            return R;
        }
    }

    Imaging::TBitmap Bitmap;
    QString cErreur;
    const bool lOk = lVignette ? Imaging::ChargeVignette(cFichier, nD, Bitmap, &cErreur)
                               : Imaging::ChargeBitmap(cFichier, Bitmap, &cErreur);
    if (!lOk)
        throw EImageIllisible(QStringLiteral("Image illisible : %1").arg(cErreur));
    if (Bitmap.TailleSource.Vide() || Bitmap.Image.isNull())
        throw EImageIllisible(QStringLiteral("Image illisible : dimensions nulles"));

    const QImage &Source = Bitmap.Image;
    const QRect r = lVignette ? Bitmap.Rectangle : Source.rect();
    if (r.isEmpty() || !Source.rect().contains(r))
        throw EImageIllisible(QStringLiteral("Image illisible : dimensions incohérentes"));
    TImageChargee R;
    R.Taille = Bitmap.TailleSource;
    R.Image = QImage(r.size(), Source.format());
    if (R.Image.isNull())
        throw EImageIllisible(QStringLiteral("Image illisible : mémoire insuffisante"));
    const int nHauteur = Source.height();
    Signale(Progres, 0, 0);
    for (int y = 0; y < nHauteur; ++y) {
        if (y % 50 == 0)
            Signale(Progres, 1, nHauteur > 1 ? int(Imaging::DivisionArrondiePair(qint64(y) * 100, nHauteur - 1)) : 100);
        if (y >= r.top() && y <= r.bottom())
            std::memcpy(R.Image.scanLine(y - r.top()), Source.constScanLine(y) + qsizetype(r.left()) * 4,
                        size_t(r.width()) * 4);
    }
    Signale(Progres, 2, 100);
    return R;
}

QImage ImageErreur(int nS)
{
    QImage Image = FondDisque(nS, QColor(255, 0, 0));
    QPainter p(&Image);
    p.fillRect(QRect(QPoint(20, nS / 2 - 10), QPoint(nS - 21, nS / 2 + 9)), Qt::white);
    if (AvecTexte()) {
        p.setFont(PoliceGras());
        p.setPen(QColor(128, 0, 0));
        Ecrit(p, 22, nS / 2 - 8, QStringLiteral("Erreur"));
    }
    p.end();
    return Image;
}

QImage ImageNonTrouvee(int nS, const QString &cIdVolume, const QString &cLabel)
{
    QImage Image = FondDisque(nS, QColor(128, 128, 128));
    QPainter p(&Image);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(192, 192, 192));
    p.drawEllipse(QRect(15, 15, nS - 30, nS - 30));
    p.setPen(QColor(0, 0, 0));
    p.setBrush(Qt::white);
    p.drawEllipse(QRect(nS / 2 - 15, nS / 2 - 15, 30, 30));
    if (AvecTexte()) {
        p.setFont(PoliceGras());
        p.setBackgroundMode(Qt::OpaqueMode);
        p.setBackground(QColor(0, 0, 0));
        p.setPen(QColor(255, 255, 255));
        Ecrit(p, 2, 10, QStringLiteral("NON trouvée :"));
        Ecrit(p, 2, 30, QStringLiteral("sur le CD n°"));
        p.setPen(QColor(255, 255, 0));
        Ecrit(p, 2, 50, cIdVolume);
        if (!cLabel.isEmpty()) {
            p.setPen(QColor(0, 255, 255));
            Ecrit(p, 2, 70, QLatin1Char('"') + cLabel + QLatin1Char('"'));
        }
    }
    p.end();
    return Image;
}

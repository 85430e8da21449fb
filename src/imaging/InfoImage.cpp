#include "imaging/InfoImage.h"

#include "imaging/ChargeImage.h"
#include "imaging/FileKinds.h"
#include "imaging/Imaging.h"
#include "imaging/JpegCodec.h"

#include <QFileInfo>

namespace
{
QString SurUneLigne(QString c)
{
    for (const QChar x : {QLatin1Char('\t'), QLatin1Char('\n'), QLatin1Char('\r')})
        c.replace(x, QLatin1Char(' '));
    return c;
}

// The decoding's verdict: empty when the file decodes.
QString ErreurDecodage(const QString &cFichier, TTailleImage &Taille)
{
    try {
        // The thumbnail mode decodes every pixel of the data at a reduction, which is enough to
        // prove the file readable, and reports the image's own size.
        Taille = ChargeImage(cFichier, true, 160, false).Taille;
        return {};
    } catch (const EImageIllisible &e) {
        return e.Message();
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    }
}
}

QString LigneInfoImage(const QString &cFichier, QString *cErreur)
{
    const QChar t = QLatin1Char('\t');
    qint64 nTaille = 0, nDate = 0;
    const bool lListe = TailleEtDate(cFichier, nTaille, nDate);
    const QString cDebut = cFichier + t + TexteGenre(cFichier) + t + QString::number(nTaille) + t;
    if (!lListe || !QFileInfo(cFichier).isFile()) {
        if (cErreur)
            *cErreur = QStringLiteral("Fichier introuvable");
        return cDebut + t;
    }
    // A .THM companion is a JPEG under another name, as image loading takes it.
    TTailleImage EnTete;
    const bool lJpeg = EstJPEG(cFichier) || ExtensionMaj(cFichier) == QLatin1String(".THM");
    const bool lEnTete = lJpeg ? JpegCodec::LitTaille(cFichier, EnTete) : Imaging::LitTaille(cFichier, EnTete);
    TTailleImage Decodee;
    const QString cRaison = SurUneLigne(ErreurDecodage(cFichier, Decodee));
    if (cErreur)
        *cErreur = cRaison;
    const TTailleImage Taille = lEnTete ? EnTete : Decodee;
    if (Taille.Vide())
        return cDebut + t;
    return cDebut + QString::number(Taille.nLargeur) + t + QString::number(Taille.nHauteur);
}

#include "imaging/InfoImage.h"

#include "imaging/ChargeImage.h"
#include "imaging/FileKinds.h"

#include <QFileInfo>

QString LigneInfoImage(const QString &cFichier)
{
    const QChar t = QLatin1Char('\t');
    qint64 nTaille = 0, nDate = 0;
    const bool lListe = TailleEtDate(cFichier, nTaille, nDate);
    QString cLigne = cFichier + t + TexteGenre(cFichier) + t + QString::number(nTaille) + t;
    if (!lListe || !QFileInfo(cFichier).isFile())
        return cLigne + QStringLiteral("Erreur") + t + QStringLiteral("Fichier introuvable");
    try {
        // The thumbnail mode decodes every pixel of the data at a reduction, which is enough to
        // prove the file readable, and reports the image's own size.
        const TImageChargee R = ChargeImage(cFichier, true, 160, false);
        return cLigne + QString::number(R.Taille.nLargeur) + t + QString::number(R.Taille.nHauteur);
    } catch (const EImageIllisible &e) {
        QString cRaison = e.Message();
        cRaison.replace(t, QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
        return cLigne + QStringLiteral("Erreur") + t + cRaison;
    } catch (const std::exception &e) {
        return cLigne + QStringLiteral("Erreur") + t + QString::fromLocal8Bit(e.what());
    }
}

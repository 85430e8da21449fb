#include "platform/Volumes.h"

#include <QDir>
#include <QFileInfo>

TVolume VolumeContenant(const QList<TVolume> &Volumes, const QString &cChemin)
{
    const TVolume *Meilleur = nullptr;
    for (const TVolume &Volume : Volumes) {
        const QString &cPoint = Volume.cPointMontage;
        if (cPoint.isEmpty())
            continue;
        const bool lContient =
            cChemin.startsWith(cPoint)
            || (cPoint.size() > 1 && cChemin.size() == cPoint.size() - 1 && cPoint.startsWith(cChemin));
        if (lContient && (!Meilleur || cPoint.size() > Meilleur->cPointMontage.size()))
            Meilleur = &Volume;
    }
    return Meilleur ? *Meilleur : TVolume{};
}

namespace
{
bool AnalyseSerie(const QString &cTexte, quint32 &nSerie)
{
    QString cHex = cTexte;
    if (cHex.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        cHex = cHex.mid(2);
    if (cHex.isEmpty() || cHex.size() > 8)
        return false;
    for (const QChar c : std::as_const(cHex))
        if (!QStringView(u"0123456789abcdefABCDEF").contains(c))
            return false;
    bool ok = false;
    nSerie = cHex.toUInt(&ok, 16);
    return ok && nSerie != 0;
}
} // namespace

bool AnalyseCdSimule(const QString &cValeur, TCdSimule &Cd, QString *cErreur)
{
    auto Erreur = [&](const QString &cTexte) {
        if (cErreur)
            *cErreur = cTexte;
        return false;
    };
    for (qsizetype nEgal = cValeur.indexOf(QLatin1Char('=')); nEgal >= 0;
         nEgal = cValeur.indexOf(QLatin1Char('='), nEgal + 1)) {
        const QString cReste = cValeur.mid(nEgal + 1);
        const qsizetype nDeuxPoints = cReste.indexOf(QLatin1Char(':'));
        quint32 nSerie = 0;
        if (!AnalyseSerie(nDeuxPoints < 0 ? cReste : cReste.left(nDeuxPoints), nSerie))
            continue;
        const QString cDossier = cValeur.left(nEgal);
        if (cDossier.isEmpty())
            return Erreur(QStringLiteral("--cd-simule : dossier manquant dans « %1 »").arg(cValeur));
        Cd.cDossier = QDir::cleanPath(QFileInfo(cDossier).absoluteFilePath());
        if (!Cd.cDossier.endsWith(QLatin1Char('/')))
            Cd.cDossier += QLatin1Char('/');
        Cd.nSerie = nSerie;
        Cd.cLabel = nDeuxPoints < 0 ? QString() : cReste.mid(nDeuxPoints + 1);
        return true;
    }
    return Erreur(QStringLiteral("--cd-simule : « %1 » n'est pas de la forme DOSSIER=SERIE[:LABEL] "
                                 "(SERIE hexadécimale non nulle, 8 chiffres au plus)")
                      .arg(cValeur));
}

QStringList ValeursCdSimule(const QStringList &Arguments)
{
    const QString cOption = QStringLiteral("--cd-simule");
    QStringList cValeurs;
    for (qsizetype i = 0; i < Arguments.size(); ++i) {
        const QString &cArg = Arguments[i];
        if (cArg == cOption) {
            if (i + 1 < Arguments.size())
                cValeurs.append(Arguments[++i]);
        } else if (cArg.startsWith(cOption + QLatin1Char('=')))
            cValeurs.append(cArg.mid(cOption.size() + 1));
    }
    return cValeurs;
}

#include "publishing/Datation.h"

#include "exploration/ModeleListe.h"
#include "imaging/FileKinds.h"
#include "metadata/Exif.h"
#include "publishing/AlbumImages.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace
{
// The companions of the images of a batch, found from one listing of each folder rather than
// from a lookup per case of the extension for every image.
class TCompagnons
{
public:
    // The existing file named like the image with the extension cExtMaj in any case; empty
    // when there is none. The upper-case spelling wins when several exist.
    QString Trouve(const QString &cImage, const QString &cExtMaj)
    {
        const qsizetype nBarre = cImage.lastIndexOf(QLatin1Char('/'));
        const QString cDossier = cImage.left(nBarre + 1);
        const QString cNom = cImage.mid(nBarre + 1);
        const qsizetype nPoint = cNom.lastIndexOf(QLatin1Char('.'));
        const QString cBase = nPoint > 0 ? cNom.left(nPoint) : cNom;
        const QHash<QString, QString> &Noms = Dossier(cDossier);
        const auto it = Noms.constFind(cBase + cExtMaj);
        return it == Noms.constEnd() ? QString() : cDossier + it.value();
    }

private:
    const QHash<QString, QString> &Dossier(const QString &cDossier)
    {
        auto it = m_Dossiers.find(cDossier);
        if (it != m_Dossiers.end())
            return it.value();
        QHash<QString, QString> Noms;
        const QStringList cFichiers = QDir(cDossier).entryList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString &c : cFichiers) {
            const qsizetype nPoint = c.lastIndexOf(QLatin1Char('.'));
            if (nPoint <= 0)
                continue;
            const QString cCle = c.left(nPoint) + c.mid(nPoint).toUpper();
            const auto Deja = Noms.constFind(cCle);
            if (Deja == Noms.constEnd() || c == cCle)
                Noms.insert(cCle, c);
        }
        return m_Dossiers.insert(cDossier, Noms).value();
    }
    QHash<QString, QHash<QString, QString>> m_Dossiers;
};
} // namespace

int DateFichier(const QString &cChemin, const QDateTime &D)
{
    if (!D.isValid())
        return EINVAL;
    struct timespec Temps[2];
    Temps[0].tv_sec = 0;
    Temps[0].tv_nsec = UTIME_OMIT;
    Temps[1].tv_sec = static_cast<time_t>(D.toSecsSinceEpoch());
    Temps[1].tv_nsec = 0;
    if (::utimensat(AT_FDCWD, QFile::encodeName(cChemin).constData(), Temps, 0) != 0)
        return errno;
    return 0;
}

qint64 DateDeFichier(const QString &cChemin)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(cChemin).constData(), &st) != 0)
        return 0;
    return qint64(st.st_mtim.tv_sec);
}

QString TBilanDatation::MessageFinal() const
{
    if (nNonTraitees <= 0)
        return {};
    return QStringLiteral("%1 image(s) n'ont(a) pas été traitée(s).").arg(nNonTraitees);
}

TBilanDatation TDatationImages::Date(TModeleListeImages &Modele, const QList<int> &Lignes, bool lEXIF,
                                     const QDateTime &D)
{
    QList<int> Ordre;
    for (const int n : Lignes)
        if (n >= 0 && n < Modele.Nombre())
            Ordre << n;
    std::sort(Ordre.begin(), Ordre.end());
    Ordre.erase(std::unique(Ordre.begin(), Ordre.end()), Ordre.end());

    TBilanDatation Bilan;
    TCompagnons Compagnons;
    const qint64 nTotal = Ordre.size();
    for (qsizetype i = 0; i < Ordre.size(); ++i) {
        const int nLigne = Ordre[i];
        TEnrLV &Enr = Modele.Enr(nLigne);
        const QDateTime Date = lEXIF ? LitDatePDV(Enr.cDatePDV) : D;
        const QString cChemin = Enr.CheminComplet();
        if (Enr.nNumCD != 0 || (lEXIF && (!Enr.lEXIF || Enr.cDatePDV.isEmpty())) || !Date.isValid()
            || DateFichier(cChemin, Date) != 0)
            ++Bilan.nNonTraitees;
        else {
            ++Bilan.nDatees;
            Enr.nDate = DateDeFichier(cChemin);
            Modele.EnrModifie(nLigne);
            if (pAlbum && pAlbum->IndexImage(0, cChemin) >= 0)
                pAlbum->MettreAJourImage(Enr);
            if (m_Params.lTrtTHMDsOpFic && EstCRW(cChemin))
                if (const QString c = Compagnons.Trouve(cChemin, QStringLiteral(".THM")); !c.isEmpty())
                    DateFichier(c, Date);
            if (m_Params.lTrtWAVDsOpFic)
                if (const QString c = Compagnons.Trouve(cChemin, QStringLiteral(".WAV")); !c.isEmpty())
                    DateFichier(c, Date);
        }
        Suivi.Position(i + 1, nTotal);
        if (i + 1 < Ordre.size() && Suivi.Arret()) {
            Bilan.lInterrompu = true;
            // The rows left count as not processed.
            Bilan.nNonTraitees += int(Ordre.size() - i - 1);
            break;
        }
    }
    return Bilan;
}

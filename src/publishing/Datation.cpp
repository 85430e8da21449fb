#include "publishing/Datation.h"

#include "exploration/ModeleListe.h"
#include "imaging/FileKinds.h"
#include "metadata/Exif.h"
#include "publishing/AlbumImages.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

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
                if (const QString c = CompagnonTHM(cChemin); !c.isEmpty())
                    DateFichier(c, Date);
            if (m_Params.lTrtWAVDsOpFic)
                if (const QString c = CompagnonWAV(cChemin); !c.isEmpty())
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

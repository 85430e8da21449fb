#include "platform/VolumesLinux.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

QString DecodeChampMontage(QByteArrayView Champ)
{
    QByteArray Octets;
    Octets.reserve(Champ.size());
    for (qsizetype i = 0; i < Champ.size(); ++i) {
        const char c = Champ[i];
        const auto Octal = [](char d) { return d >= '0' && d <= '7'; };
        if (c == '\\' && i + 3 < Champ.size() && Octal(Champ[i + 1]) && Octal(Champ[i + 2]) && Octal(Champ[i + 3])) {
            const int n = (Champ[i + 1] - '0') * 64 + (Champ[i + 2] - '0') * 8 + (Champ[i + 3] - '0');
            if (n <= 0xFF) {
                Octets.append(static_cast<char>(n));
                i += 3;
                continue;
            }
        }
        Octets.append(c);
    }
    return QString::fromUtf8(Octets);
}

bool MontageVisible(const QString &cPointMontage, const QString &cSysteme, const QString &cSource)
{
    if (cPointMontage == QLatin1String("/"))
        return true;
    static constexpr const char *SystemesNoyau[] = {
        "proc",       "sysfs",       "devtmpfs",  "devpts",        "cgroup",
        "cgroup2",    "securityfs",  "debugfs",   "tracefs",       "pstore",
        "bpf",        "configfs",    "fusectl",   "mqueue",        "hugetlbfs",
        "autofs",     "binfmt_misc", "efivarfs",  "rpc_pipefs",    "nsfs",
        "overlay",    "ramfs",       "selinuxfs", "fuse.snapfuse", "fuse.gvfsd-fuse",
        "fuse.portal"};
    for (const char *cNoyau : SystemesNoyau)
        if (cSysteme == QLatin1String(cNoyau))
            return false;
    auto Sous = [&](QLatin1String cRacine) { return cPointMontage.startsWith(QString(cRacine) + QLatin1Char('/')); };
    if (Sous(QLatin1String("/proc")) || Sous(QLatin1String("/sys")) || Sous(QLatin1String("/dev"))
        || Sous(QLatin1String("/snap")))
        return false;
    if (Sous(QLatin1String("/run"))
        && !(Sous(QLatin1String("/run/media")) && cPointMontage != QLatin1String("/run/media/")))
        return false;
    if (cSysteme == QLatin1String("squashfs") && cSource.contains(QLatin1String("/snapd/")))
        return false;
    return true;
}

bool EstMontageCD(const QString &cSysteme, const QString &cSource)
{
    return cSysteme == QLatin1String("iso9660") || cSysteme == QLatin1String("udf")
           || cSource.startsWith(QLatin1String("/dev/sr"));
}

QList<TMontage> AnalyseMountinfo(const QByteArray &cTexte)
{
    QList<TMontage> Montages;
    QHash<QString, qsizetype> Positions;
    for (const QByteArray &cLigne : cTexte.split('\n')) {
        const QList<QByteArray> Champs = cLigne.trimmed().split(' ');
        // id parent maj:min root point options [optional fields...] - type source super-options
        const qsizetype nTiret = Champs.indexOf(QByteArrayLiteral("-"), 6);
        if (Champs.size() < 7 || nTiret < 0 || nTiret + 2 >= Champs.size())
            continue;
        bool ok = false;
        TMontage Montage;
        Montage.nId = Champs[0].toInt(&ok);
        if (!ok)
            continue;
        Montage.cPointMontage = DecodeChampMontage(Champs[4]);
        if (!Montage.cPointMontage.startsWith(QLatin1Char('/')))
            continue;
        if (!Montage.cPointMontage.endsWith(QLatin1Char('/')))
            Montage.cPointMontage += QLatin1Char('/');
        Montage.cSysteme = DecodeChampMontage(Champs[nTiret + 1]);
        Montage.cSource = DecodeChampMontage(Champs[nTiret + 2]);
        if (!MontageVisible(Montage.cPointMontage, Montage.cSysteme, Montage.cSource))
            continue;
        // A later mount on the same point hides the earlier one.
        if (const auto It = Positions.constFind(Montage.cPointMontage); It != Positions.cend()) {
            Montages[*It] = Montage;
            continue;
        }
        Positions.insert(Montage.cPointMontage, Montages.size());
        Montages.append(Montage);
    }
    const auto Racine = std::find_if(Montages.begin(), Montages.end(),
                                     [](const TMontage &M) { return M.cPointMontage == QLatin1String("/"); });
    if (Racine != Montages.end() && Racine != Montages.begin())
        std::rotate(Montages.begin(), Racine, Racine + 1);
    return Montages;
}

bool EstDescripteurPrimaireISO(QByteArrayView Descripteur)
{
    return Descripteur.size() == nTailleSecteurISO && static_cast<unsigned char>(Descripteur[0]) == 1
           && Descripteur.sliced(1, 5) == QByteArrayView("CD001");
}

quint32 SerieDescripteurISO(QByteArrayView Descripteur)
{
    if (Descripteur.size() != nTailleSecteurISO)
        return 0;
    quint8 Voies[4] = {0, 0, 0, 0};
    for (qsizetype i = 0; i < Descripteur.size(); ++i)
        Voies[i & 3] = static_cast<quint8>(Voies[i & 3] + static_cast<quint8>(Descripteur[i]));
    return (quint32(Voies[0]) << 24) | (quint32(Voies[1]) << 16) | (quint32(Voies[2]) << 8) | quint32(Voies[3]);
}

QString LabelDescripteurISO(QByteArrayView Descripteur)
{
    if (Descripteur.size() < 72)
        return {};
    QByteArray Label = Descripteur.sliced(40, 32).toByteArray();
    while (!Label.isEmpty() && (Label.back() == ' ' || Label.back() == '\0'))
        Label.chop(1);
    const qsizetype nNul = Label.indexOf('\0');
    if (nNul >= 0)
        Label.truncate(nNul);
    return QString::fromUtf8(Label).trimmed();
}

QByteArray LitDescripteurISO(const QString &cFichier)
{
    const QByteArray Nom = QFile::encodeName(cFichier);
    // Non-blocking open: a FIFO or a drive without medium must not hang the listing.
    const int fd = ::open(Nom.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {};
    QByteArray Descripteur;
    struct stat Etat
    {
    };
    if (::fstat(fd, &Etat) == 0 && (S_ISREG(Etat.st_mode) || S_ISBLK(Etat.st_mode))) {
        Descripteur.resize(nTailleSecteurISO);
        qint64 nLus = 0;
        while (nLus < nTailleSecteurISO) {
            const ssize_t n = ::pread(fd, Descripteur.data() + nLus, size_t(nTailleSecteurISO - nLus),
                                      off_t(nPositionDescripteurISO + nLus));
            if (n <= 0)
                break;
            nLus += n;
        }
        if (nLus != nTailleSecteurISO)
            Descripteur.clear();
    }
    ::close(fd);
    if (!EstDescripteurPrimaireISO(Descripteur))
        return {};
    return Descripteur;
}

quint32 HacheVolume(const QString &cUuid, const QString &cLabel)
{
    // FNV-1a: fixed by its definition, so the identifier never changes between versions.
    quint32 h = 2166136261u;
    const QByteArray Octets = cUuid.toUtf8() + '\n' + cLabel.toUtf8();
    for (const char c : Octets) {
        h ^= static_cast<quint8>(c);
        h *= 16777619u;
    }
    return h != 0 ? h : 1;
}

namespace
{
// udev writes unsafe characters of link names as "\xHH".
QString DecodeNomUdev(const QString &cNom)
{
    QByteArray Octets;
    const QByteArray Source = cNom.toUtf8();
    for (qsizetype i = 0; i < Source.size(); ++i) {
        if (Source[i] == '\\' && i + 3 < Source.size() && Source[i + 1] == 'x') {
            bool ok = false;
            const int n = Source.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                Octets.append(static_cast<char>(n));
                i += 3;
                continue;
            }
        }
        Octets.append(Source[i]);
    }
    return QString::fromUtf8(Octets);
}

qint64 EspaceLibre(const QString &cPoint)
{
    struct statvfs Etat
    {
    };
    if (::statvfs(QFile::encodeName(cPoint).constData(), &Etat) != 0)
        return -1;
    return static_cast<qint64>(Etat.f_bavail) * static_cast<qint64>(Etat.f_frsize);
}

QString FichierDeBoucle(const QString &cSource)
{
    if (!cSource.startsWith(QLatin1String("/dev/loop")))
        return {};
    QFile Fichier(QStringLiteral("/sys/block/%1/loop/backing_file").arg(cSource.mid(5)));
    if (!Fichier.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(Fichier.readAll()).trimmed();
}
} // namespace

TVolumesLinux::TVolumesLinux(const QString &cFichierMountinfo, const QString &cDossierDisques)
    : m_cFichierMountinfo(cFichierMountinfo), m_cDossierDisques(cDossierDisques)
{
    if (!m_cDossierDisques.endsWith(QLatin1Char('/')))
        m_cDossierDisques += QLatin1Char('/');
}

QString TVolumesLinux::LienDisque(const QString &cSousDossier, const QString &cSource) const
{
    if (!cSource.startsWith(QLatin1Char('/')))
        return {};
    const QString cPeripherique = QFileInfo(cSource).canonicalFilePath();
    if (cPeripherique.isEmpty())
        return {};
    const QDir Dossier(m_cDossierDisques + cSousDossier);
    const QFileInfoList Liens = Dossier.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &Lien : Liens)
        if (Lien.isSymLink() && Lien.canonicalFilePath() == cPeripherique)
            return DecodeNomUdev(Lien.fileName());
    return {};
}

TVolumesLinux::TInfos TVolumesLinux::Infos(const TMontage &Montage, bool lCD) const
{
    const QString cCle =
        QString::number(Montage.nId) + QLatin1Char('|') + Montage.cSource + QLatin1Char('|') + Montage.cPointMontage;
    {
        QMutexLocker Verrou(&m_Verrou);
        if (const auto It = m_Infos.constFind(cCle); It != m_Infos.cend())
            return *It;
    }
    TInfos Infos;
    Infos.cLabel = LienDisque(QStringLiteral("by-label"), Montage.cSource);
    if (lCD) {
        QByteArray Descripteur;
        if (Montage.cSource.startsWith(QLatin1Char('/')))
            Descripteur = LitDescripteurISO(Montage.cSource);
        if (Descripteur.isEmpty()) {
            const QString cImage = FichierDeBoucle(Montage.cSource);
            if (!cImage.isEmpty())
                Descripteur = LitDescripteurISO(cImage);
        }
        if (!Descripteur.isEmpty()) {
            Infos.nSerie = SerieDescripteurISO(Descripteur);
            const QString cLabel = LabelDescripteurISO(Descripteur);
            if (!cLabel.isEmpty())
                Infos.cLabel = cLabel;
        }
        if (Infos.nSerie == 0) {
            QString cUuid = LienDisque(QStringLiteral("by-uuid"), Montage.cSource);
            QString cLabel = Infos.cLabel;
            // Without either, the mount point name (usually the label) is all that tells discs apart.
            if (cUuid.isEmpty() && cLabel.isEmpty())
                cLabel = QFileInfo(Montage.cPointMontage.chopped(1)).fileName();
            Infos.nSerie = HacheVolume(cUuid, cLabel);
        }
    }
    QMutexLocker Verrou(&m_Verrou);
    m_Infos.insert(cCle, Infos);
    return Infos;
}

QList<TVolume> TVolumesLinux::Liste() const
{
    QByteArray cTexte;
    QFile Fichier(m_cFichierMountinfo);
    if (Fichier.open(QIODevice::ReadOnly))
        cTexte = Fichier.readAll();
    QList<TVolume> Volumes;
    QSet<QString> Vus;
    for (const TMontage &Montage : AnalyseMountinfo(cTexte)) {
        // Containers bind single files (/etc/hosts); only folders are drives.
        if (Montage.cPointMontage != QLatin1String("/") && !QFileInfo(Montage.cPointMontage).isDir())
            continue;
        TVolume Volume;
        Volume.cPointMontage = Montage.cPointMontage;
        Volume.cSysteme = Montage.cSysteme;
        if (Montage.cSource.startsWith(QLatin1String("/dev/")))
            Volume.cPeripherique = Montage.cSource;
        Volume.lCD = EstMontageCD(Montage.cSysteme, Montage.cSource);
        const TInfos Infos = this->Infos(Montage, Volume.lCD);
        Volume.cLabel = Infos.cLabel;
        Volume.nSerie = Volume.lCD ? Infos.nSerie : 0;
        Volume.nLibre = EspaceLibre(Montage.cPointMontage);
        Vus.insert(Volume.cPointMontage);
        Volumes.append(Volume);
    }
    if (!Vus.contains(QStringLiteral("/"))) {
        TVolume Racine;
        Racine.cPointMontage = QStringLiteral("/");
        Racine.nLibre = EspaceLibre(Racine.cPointMontage);
        Volumes.prepend(Racine);
    }
    return Volumes;
}

QString TVolumesLinux::PointDeMontage(quint32 nSerie) const
{
    if (nSerie == 0)
        return {};
    for (const TVolume &Volume : Liste())
        if (Volume.lCD && Volume.nSerie == nSerie)
            return Volume.cPointMontage;
    return {};
}

TVolume TVolumesLinux::VolumeDe(const QString &cChemin) const
{
    return VolumeContenant(Liste(), cChemin);
}

TVolumesAvecCdSimules::TVolumesAvecCdSimules(std::unique_ptr<IVolumes> Base, QList<TCdSimule> Cds)
    : m_Base(std::move(Base)), m_Cds(std::move(Cds))
{}

QList<TVolume> TVolumesAvecCdSimules::Simules() const
{
    QList<TVolume> Volumes;
    for (const TCdSimule &Cd : m_Cds) {
        if (!QFileInfo(Cd.cDossier).isDir())
            continue;
        TVolume Volume;
        Volume.cPointMontage = Cd.cDossier;
        Volume.cSysteme = QStringLiteral("iso9660");
        Volume.cLabel = Cd.cLabel;
        Volume.nSerie = Cd.nSerie;
        Volume.lCD = true;
        Volume.nLibre = 0;
        Volumes.append(Volume);
    }
    return Volumes;
}

QList<TVolume> TVolumesAvecCdSimules::Liste() const
{
    QList<TVolume> Volumes = m_Base->Liste();
    Volumes.append(Simules());
    return Volumes;
}

QString TVolumesAvecCdSimules::PointDeMontage(quint32 nSerie) const
{
    if (nSerie == 0)
        return {};
    for (const TVolume &Volume : Simules())
        if (Volume.nSerie == nSerie)
            return Volume.cPointMontage;
    return m_Base->PointDeMontage(nSerie);
}

TVolume TVolumesAvecCdSimules::VolumeDe(const QString &cChemin) const
{
    const TVolume Simule = VolumeContenant(Simules(), cChemin);
    const TVolume Base = m_Base->VolumeDe(cChemin);
    return Simule.cPointMontage.size() > Base.cPointMontage.size() ? Simule : Base;
}

std::unique_ptr<IVolumes> CreeVolumes(const QStringList &argumentsCdSimule)
{
    auto Volumes = std::make_unique<TVolumesLinux>();
    if (argumentsCdSimule.isEmpty())
        return Volumes;
    QList<TCdSimule> Cds;
    for (const QString &cValeur : argumentsCdSimule) {
        TCdSimule Cd;
        QString cErreur;
        if (AnalyseCdSimule(cValeur, Cd, &cErreur))
            Cds.append(Cd);
        else
            std::fprintf(stderr, "%s\n", cErreur.toLocal8Bit().constData());
    }
    return std::make_unique<TVolumesAvecCdSimules>(std::move(Volumes), std::move(Cds));
}

#include "imaging/EcritIPTC.h"

#include "platform/Volumes.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace Imaging
{
namespace
{
constexpr qint64 nTailleFichierMax = 1LL << 30;
const QByteArray cEntetePhotoshop("Photoshop 3.0\0", 14);
const QByteArray cUtf8("\x1b%G", 3);

FnEcritureIPTC &AppelEcriture()
{
    static FnEcritureIPTC fn;
    return fn;
}

void Pose(QString *cErreur, const QString &c)
{
    if (cErreur)
        *cErreur = c;
}

quint32 Lit16(const char *p)
{
    return (quint32(uchar(p[0])) << 8) | uchar(p[1]);
}

quint32 Lit32(const char *p)
{
    return (Lit16(p) << 16) | Lit16(p + 2);
}

void Ajoute16(QByteArray &b, quint32 n)
{
    b.append(char((n >> 8) & 0xFF));
    b.append(char(n & 0xFF));
}

void Ajoute32(QByteArray &b, quint32 n)
{
    Ajoute16(b, n >> 16);
    Ajoute16(b, n & 0xFFFF);
}

bool EstUtf8(const QByteArray &b)
{
    return QByteArrayView(b).isValidUtf8();
}

// Datasets holding numbers or pictures rather than text: never re-encoded.
bool EstBinaire(const TDatasetIPTC &d)
{
    if (d.nRecord != 2)
        return true;
    return d.nDataset == 0 || d.nDataset == 125 || (d.nDataset >= 150 && d.nDataset <= 154) || d.nDataset >= 200;
}

// The 8BIM resources of a Photoshop APP13's data (after its 14-byte header): each resource's
// start and end (padding included), and the 0x0404 one's data.
struct TRessource
{
    qint64 nDebut = 0;
    qint64 nFin = 0;
    quint32 nId = 0;
    qint64 nDebutDonnees = 0;
    qint64 nTailleDonnees = 0;
};

bool RessourcesPhotoshop(const QByteArray &b, qint64 nDebut, qint64 nFin, QList<TRessource> &Liste)
{
    const char *p = b.constData();
    qint64 i = nDebut;
    while (i < nFin) {
        // Some writers pad the segment with a few zero bytes after the last resource.
        if (std::all_of(p + i, p + nFin, [](char c) { return c == 0; }))
            return true;
        if (nFin - i < 12 || std::memcmp(p + i, "8BIM", 4) != 0)
            return false;
        TRessource r;
        r.nDebut = i;
        r.nId = Lit16(p + i + 4);
        qint64 j = i + 6;
        const qint64 nNom = uchar(p[j]);
        j += nNom + 1;
        if ((nNom + 1) % 2 != 0)
            ++j; // the name (with its length byte) is padded to an even size
        if (j + 4 > nFin)
            return false;
        const qint64 nTaille = Lit32(p + j);
        j += 4;
        if (nTaille > nFin - j)
            return false;
        r.nDebutDonnees = j;
        r.nTailleDonnees = nTaille;
        j += nTaille;
        if (nTaille % 2 != 0 && j < nFin)
            ++j;
        r.nFin = j;
        Liste.append(r);
        i = j;
    }
    return true;
}

QByteArray RessourceIIM(const QByteArray &IIM)
{
    QByteArray r("8BIM\x04\x04\0\0", 8);
    Ajoute32(r, quint32(IIM.size()));
    r += IIM;
    if (IIM.size() % 2 != 0)
        r.append('\0');
    return r;
}

// The resources of the file's Photoshop APP13 other than the IPTC one (as views into the
// bytes), and that one's data.
bool AutresRessources(const QByteArray &b, const TStructureJpeg &s, QList<QByteArrayView> &Autres, QByteArrayView &IIM)
{
    Autres.clear();
    IIM = {};
    if (s.nDebutApp13 < 0)
        return true;
    QList<TRessource> Liste;
    if (!RessourcesPhotoshop(b, s.nDebutApp13 + 4 + cEntetePhotoshop.size(), s.nFinApp13, Liste))
        return false;
    for (const TRessource &r : Liste) {
        if (r.nDebut == s.nDebutRessource)
            IIM = QByteArrayView(b).sliced(r.nDebutDonnees, r.nTailleDonnees);
        else
            Autres.append(QByteArrayView(b).sliced(r.nDebut, r.nFin - r.nDebut));
    }
    return true;
}
}

bool AnalyseJpegIPTC(const QByteArray &Octets, TStructureJpeg &s, QString *cErreur)
{
    s = {};
    const char *p = Octets.constData();
    const qint64 n = Octets.size();
    if (n < 4 || uchar(p[0]) != 0xFF || uchar(p[1]) != 0xD8) {
        Pose(cErreur, QStringLiteral("pas une image JPEG"));
        return false;
    }
    qint64 i = 2;
    int nApp13 = 0;
    for (;;) {
        if (i >= n) {
            Pose(cErreur, QStringLiteral("fichier tronqué"));
            return false;
        }
        if (uchar(p[i]) != 0xFF) {
            Pose(cErreur, QStringLiteral("segment JPEG endommagé"));
            return false;
        }
        while (i < n && uchar(p[i]) == 0xFF)
            ++i;
        if (i >= n) {
            Pose(cErreur, QStringLiteral("fichier tronqué"));
            return false;
        }
        const uchar m = uchar(p[i]);
        const qint64 nMarqueur = i - 1;
        ++i;
        if (m == 0x01 || (m >= 0xD0 && m <= 0xD7))
            continue;
        if (m == 0xD8 || m == 0xD9 || m == 0x00) {
            Pose(cErreur, QStringLiteral("segment JPEG endommagé"));
            return false;
        }
        if (i + 2 > n) {
            Pose(cErreur, QStringLiteral("fichier tronqué"));
            return false;
        }
        const qint64 L = Lit16(p + i);
        if (L < 2) {
            Pose(cErreur, QStringLiteral("segment JPEG endommagé"));
            return false;
        }
        if (i + L > n) {
            Pose(cErreur, QStringLiteral("fichier tronqué"));
            return false;
        }
        const qint64 nFin = i + L;
        if (m == 0xDA) {
            // The picture data must end with an end-of-image marker somewhere after its header.
            if (Octets.lastIndexOf(QByteArray("\xFF\xD9", 2)) < nFin) {
                Pose(cErreur, QStringLiteral("fichier tronqué"));
                return false;
            }
            break;
        }
        if (m >= 0xE0 && m <= 0xEF)
            s.nInsertion = nFin;
        if (m == 0xED && L - 2 >= cEntetePhotoshop.size()
            && std::memcmp(p + i + 2, cEntetePhotoshop.constData(), size_t(cEntetePhotoshop.size())) == 0) {
            if (++nApp13 > 1) {
                Pose(cErreur, QStringLiteral("IPTC réparti sur plusieurs segments APP13"));
                return false;
            }
            s.nDebutApp13 = nMarqueur;
            s.nFinApp13 = nFin;
        }
        i = nFin;
    }
    if (s.nDebutApp13 >= 0) {
        QList<TRessource> Liste;
        if (!RessourcesPhotoshop(Octets, s.nDebutApp13 + 4 + cEntetePhotoshop.size(), s.nFinApp13, Liste)) {
            Pose(cErreur, QStringLiteral("segment APP13 endommagé"));
            return false;
        }
        s.nFinRessources = Liste.isEmpty() ? s.nDebutApp13 + 4 + cEntetePhotoshop.size() : Liste.last().nFin;
        for (const TRessource &r : Liste) {
            if (r.nId != 0x0404)
                continue;
            if (s.nDebutRessource >= 0) {
                Pose(cErreur, QStringLiteral("segment APP13 endommagé"));
                return false;
            }
            s.nDebutRessource = r.nDebut;
            s.nFinRessource = r.nFin;
            s.nDebutIIM = r.nDebutDonnees;
            s.nTailleIIM = r.nTailleDonnees;
        }
    }
    return true;
}

bool LitDatasetsIIM(const char *p, qint64 n, QList<TDatasetIPTC> &Datasets)
{
    Datasets.clear();
    qint64 i = 0;
    while (i < n) {
        if (uchar(p[i]) != 0x1C) {
            // Zero padding after the last dataset is common.
            return std::all_of(p + i, p + n, [](char c) { return c == 0; });
        }
        if (n - i < 5)
            return false;
        const quint32 nTaille = Lit16(p + i + 3);
        if (nTaille & 0x8000)
            return false;
        if (qint64(nTaille) > n - i - 5)
            return false;
        Datasets.append({uchar(p[i + 1]), uchar(p[i + 2]), QByteArray(p + i + 5, nTaille)});
        i += 5 + nTaille;
    }
    return true;
}

bool ConstruitIIM(const QList<TDatasetIPTC> &Datasets, QByteArray &IIM, QString *cErreur)
{
    QList<TDatasetIPTC> Liste;
    bool l190 = false;
    for (const TDatasetIPTC &d : Datasets) {
        if (d.nRecord != 1)
            continue;
        if (d.nDataset == 90) {
            if (l190)
                continue;
            l190 = true;
            Liste.append({1, 90, cUtf8});
        } else {
            Liste.append(d);
        }
    }
    if (!l190)
        Liste.append({1, 90, cUtf8});
    const TDatasetIPTC *pVersion = nullptr;
    for (const TDatasetIPTC &d : Datasets)
        if (d.nRecord == 2 && d.nDataset == 0 && !pVersion)
            pVersion = &d;
    Liste.append(pVersion ? *pVersion : TDatasetIPTC{2, 0, QByteArray("\0\x04", 2)});
    for (const TDatasetIPTC &d : Datasets)
        if (d.nRecord >= 2 && !(d.nRecord == 2 && d.nDataset == 0))
            Liste.append(d);
    IIM.clear();
    for (const TDatasetIPTC &d : Liste) {
        if (d.Valeur.size() > 0x7FFF) {
            Pose(cErreur, QStringLiteral("valeur IPTC %1:%2 trop longue").arg(d.nRecord).arg(d.nDataset));
            return false;
        }
        IIM.append(char(0x1C));
        IIM.append(char(d.nRecord));
        IIM.append(char(d.nDataset));
        Ajoute16(IIM, quint32(d.Valeur.size()));
        IIM += d.Valeur;
    }
    return true;
}

bool RemplaceIIM(const QByteArray &Avant, const QByteArray &IIM, QByteArray &Apres, QString *cErreur)
{
    TStructureJpeg s;
    if (!AnalyseJpegIPTC(Avant, s, cErreur))
        return false;
    QByteArray Donnees; // the APP13's data after its length bytes
    qint64 nDebut = s.nInsertion;
    qint64 nFin = s.nInsertion;
    if (s.nDebutApp13 < 0) {
        Donnees = cEntetePhotoshop + RessourceIIM(IIM);
    } else {
        nDebut = s.nDebutApp13;
        nFin = s.nFinApp13;
        const qint64 nDebutDonnees = s.nDebutApp13 + 4;
        if (s.nDebutRessource >= 0)
            Donnees = Avant.mid(nDebutDonnees, s.nDebutRessource - nDebutDonnees) + RessourceIIM(IIM)
                      + Avant.mid(s.nFinRessource, s.nFinApp13 - s.nFinRessource);
        else
            Donnees = Avant.mid(nDebutDonnees, s.nFinRessources - nDebutDonnees) + RessourceIIM(IIM)
                      + Avant.mid(s.nFinRessources, s.nFinApp13 - s.nFinRessources);
    }
    if (Donnees.size() + 2 > 0xFFFF) {
        Pose(cErreur, QStringLiteral("IPTC de plus de 64 Ko"));
        return false;
    }
    QByteArray Segment("\xFF\xED", 2);
    Ajoute16(Segment, quint32(Donnees.size() + 2));
    Segment += Donnees;
    Apres.clear();
    Apres.reserve(Avant.size() + Segment.size());
    Apres.append(QByteArrayView(Avant).first(nDebut));
    Apres.append(Segment);
    Apres.append(QByteArrayView(Avant).sliced(nFin));
    return true;
}

bool SeulIIMChange(const QByteArray &Avant, const QByteArray &Apres, const QByteArray &IIM)
{
    TStructureJpeg a, b;
    if (!AnalyseJpegIPTC(Avant, a) || !AnalyseJpegIPTC(Apres, b) || b.nDebutApp13 < 0)
        return false;
    // Everything before and after the segment, compared in place: a copy of a large file
    // would cost more than the whole write.
    const qint64 nDebutA = a.nDebutApp13 >= 0 ? a.nDebutApp13 : a.nInsertion;
    const qint64 nFinA = a.nDebutApp13 >= 0 ? a.nFinApp13 : a.nInsertion;
    const QByteArrayView A(Avant), B(Apres);
    if (A.first(nDebutA) != B.first(b.nDebutApp13) || A.sliced(nFinA) != B.sliced(b.nFinApp13))
        return false;
    QList<QByteArrayView> AutresA, AutresB;
    QByteArrayView IIMA, IIMB;
    if (!AutresRessources(Avant, a, AutresA, IIMA) || !AutresRessources(Apres, b, AutresB, IIMB))
        return false;
    return AutresA == AutresB && b.nDebutIIM >= 0 && IIMB == QByteArrayView(IIM);
}

bool TEcritureIPTC::Charge(const QString &cFichier, QString *cErreur)
{
    m_cFichier = cFichier;
    m_Octets.clear();
    m_Datasets.clear();
    m_nTailleEcrite = -1;
    const TLectureFichier Lu = LitFichierEntier(cFichier, nTailleFichierMax);
    if (Lu.nResultat == TLectureFichier::TResultat::Absent) {
        Pose(cErreur, QStringLiteral("fichier absent"));
        return false;
    }
    if (Lu.nResultat != TLectureFichier::TResultat::Lu) {
        Pose(cErreur, Lu.cErreur);
        return false;
    }
    TStructureJpeg s;
    if (!AnalyseJpegIPTC(Lu.Octets, s, cErreur))
        return false;
    if (s.nDebutIIM >= 0 && !LitDatasetsIIM(Lu.Octets.constData() + s.nDebutIIM, s.nTailleIIM, m_Datasets)) {
        m_Datasets.clear();
        Pose(cErreur, QStringLiteral("bloc IPTC endommagé"));
        return false;
    }
    m_Octets = Lu.Octets;
    m_EtatLu = Lu.Etat;
    bool lUtf8 = false;
    for (const TDatasetIPTC &d : m_Datasets)
        lUtf8 |= d.nRecord == 1 && d.nDataset == 90 && d.Valeur == cUtf8;
    // What is kept is written back under the UTF-8 mark, so text in another set is moved to it.
    for (TDatasetIPTC &d : m_Datasets)
        if (!EstBinaire(d) && !lUtf8 && !EstUtf8(d.Valeur))
            d.Valeur = QString::fromLatin1(d.Valeur).toUtf8();
    return true;
}

QStringList TEcritureIPTC::Valeurs(quint8 nDataset) const
{
    QStringList Liste;
    for (const TDatasetIPTC &d : m_Datasets)
        if (d.nRecord == 2 && d.nDataset == nDataset)
            Liste.append(QString::fromUtf8(d.Valeur));
    return Liste;
}

void TEcritureIPTC::SupprimeValeurs(quint8 nDataset)
{
    m_Datasets.removeIf([&](const TDatasetIPTC &d) { return d.nRecord == 2 && d.nDataset == nDataset; });
}

void TEcritureIPTC::AjouteValeur(quint8 nDataset, const QString &cValeur)
{
    m_Datasets.append({2, nDataset, cValeur.toUtf8()});
}

void TEcritureIPTC::RemplaceValeur(quint8 nDataset, const QString &cValeur)
{
    // In place of the first value, so that the order of the other datasets is kept.
    qsizetype nPremier = -1;
    for (qsizetype i = 0; i < m_Datasets.size(); ++i)
        if (m_Datasets[i].nRecord == 2 && m_Datasets[i].nDataset == nDataset) {
            nPremier = i;
            break;
        }
    SupprimeValeurs(nDataset);
    const TDatasetIPTC d{2, nDataset, cValeur.toUtf8()};
    if (nPremier < 0 || nPremier > m_Datasets.size())
        m_Datasets.append(d);
    else
        m_Datasets.insert(nPremier, d);
}

int TEcritureIPTC::Prepare(TLotRemplacement &Lot, QString *cErreur,
                           const std::function<QString(const QByteArray &)> &fnVerifie)
{
    m_Prepare.clear();
    if (m_Octets.isEmpty()) {
        Pose(cErreur, QStringLiteral("fichier non lu"));
        return -1;
    }
    QByteArray IIM, Apres;
    if (!ConstruitIIM(m_Datasets, IIM, cErreur) || !RemplaceIIM(m_Octets, IIM, Apres, cErreur))
        return -1;
    QList<TDatasetIPTC> Relus;
    TStructureJpeg s;
    if (!SeulIIMChange(m_Octets, Apres, IIM) || !AnalyseJpegIPTC(Apres, s) || s.nDebutIIM < 0
        || !LitDatasetsIIM(Apres.constData() + s.nDebutIIM, s.nTailleIIM, Relus)) {
        Pose(cErreur, QStringLiteral("vérification de l'IPTC écrit en échec"));
        return -1;
    }
    if (fnVerifie) {
        const QString c = fnVerifie(Apres);
        if (!c.isEmpty()) {
            Pose(cErreur, c);
            return -1;
        }
    }
    const int n = Lot.Prepare(m_cFichier, Apres, m_EtatLu, cErreur);
    if (n >= 0)
        m_Prepare = Apres;
    return n;
}

void TEcritureIPTC::NoteEcrit()
{
    if (m_Prepare.isEmpty())
        return;
    m_Octets = std::exchange(m_Prepare, QByteArray());
    m_EtatLu = EtatFichier(m_cFichier);
    m_nTailleEcrite = m_Octets.size();
}

bool TEcritureIPTC::Enregistre(const IVolumes *pVolumes, QString *cErreur,
                               const std::function<QString(const QByteArray &)> &fnVerifie)
{
    TLotRemplacement Lot(pVolumes);
    const int n = Prepare(Lot, cErreur, fnVerifie);
    if (n < 0)
        return false;
    Lot.Valide();
    if (!Lot.Remplace(n, cErreur)) {
        m_Prepare.clear();
        return false;
    }
    NoteEcrit();
    return true;
}

FnEcritureIPTC RemplaceAppelEcritureIPTC(FnEcritureIPTC fn)
{
    std::swap(AppelEcriture(), fn);
    return fn;
}

namespace
{
bool SurCD(const IVolumes *pVolumes, const QString &cFichier)
{
    return pVolumes && pVolumes->VolumeDe(cFichier).lCD;
}

bool EcritTout(int fd, const QByteArray &Donnees, int &nErr)
{
    const char *p = Donnees.constData();
    size_t nReste = size_t(Donnees.size());
    while (nReste > 0) {
        const FnEcritureIPTC &fn = AppelEcriture();
        const ssize_t n = fn ? fn(fd, p, nReste) : ::write(fd, p, nReste);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            nErr = n < 0 ? errno : EIO;
            return false;
        }
        p += n;
        nReste -= size_t(n);
    }
    return true;
}
}

namespace
{
constexpr char cMarqueTemp[] = ".iptc-";
constexpr int nLettresTemp = 6; // mkstemp's XXXXXX

// The extended attributes of the file (POSIX ACLs among them) onto the temporary, as far as the
// file system and our rights allow: a missing attribute costs less than a refused write.
void CopieAttributsEtendus(const QByteArray &cSource, int fdCible)
{
    ssize_t nListe = ::listxattr(cSource.constData(), nullptr, 0);
    if (nListe <= 0)
        return;
    QByteArray Noms(nListe, '\0');
    nListe = ::listxattr(cSource.constData(), Noms.data(), size_t(Noms.size()));
    if (nListe <= 0)
        return;
    QByteArray Valeur;
    for (const char *p = Noms.constData(); p < Noms.constData() + nListe; p += std::strlen(p) + 1) {
        const ssize_t n = ::getxattr(cSource.constData(), p, nullptr, 0);
        if (n < 0 || n > (1 << 20))
            continue;
        Valeur.resize(n);
        const ssize_t m = ::getxattr(cSource.constData(), p, Valeur.data(), size_t(Valeur.size()));
        if (m < 0)
            continue;
        ::fsetxattr(fdCible, p, Valeur.constData(), size_t(m), 0);
    }
}

// Whether the name is one of our temporaries, and then the name of the file it stood for.
bool NomTemporaire(const char *cNom, QByteArray &cImage)
{
    const size_t n = std::strlen(cNom);
    const size_t nMarque = sizeof(cMarqueTemp) - 1;
    if (n < 2 + nMarque + nLettresTemp || cNom[0] != '.')
        return false;
    const char *pMarque = cNom + n - nLettresTemp - nMarque;
    if (std::memcmp(pMarque, cMarqueTemp, nMarque) != 0)
        return false;
    for (const char *p = pMarque + nMarque; *p; ++p)
        if (!std::isalnum(uchar(*p)))
            return false;
    cImage = QByteArray(cNom + 1, pMarque - cNom - 1);
    return !cImage.isEmpty() && cImage != "." && cImage != "..";
}

int NettoieDossier(const QByteArray &cDossier)
{
    DIR *pDossier = ::opendir(cDossier.constData());
    if (!pDossier)
        return 0;
    const int fdDossier = ::dirfd(pDossier);
    int nRetires = 0;
    QByteArray cImage;
    timespec Maintenant{};
    ::clock_gettime(CLOCK_REALTIME, &Maintenant);
    while (const dirent *e = ::readdir(pDossier)) {
        if (!NomTemporaire(e->d_name, cImage))
            continue;
        struct stat stImage
        {
        }, stTemp{}, stOuvert{};
        if (::fstatat(fdDossier, cImage.constData(), &stImage, 0) != 0
            || ::fstatat(fdDossier, e->d_name, &stTemp, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(stTemp.st_mode))
            continue;
        // A batch locks its temporary before writing into it: an empty one changed a moment ago
        // may be a live batch's that is not locked yet.
        if (stTemp.st_size == 0 && stTemp.st_ctim.tv_sec + 2 > Maintenant.tv_sec)
            continue;
        const int fd = ::openat(fdDossier, e->d_name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        // A live batch holds its temporaries locked; a killed one's lock went with it. The name
        // must still lead to the file locked: a batch renames its temporary before unlocking it.
        struct stat stNom
        {
        };
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &stOuvert) == 0
            && ::fstatat(fdDossier, e->d_name, &stNom, AT_SYMLINK_NOFOLLOW) == 0 && stOuvert.st_ino == stNom.st_ino
            && stOuvert.st_dev == stNom.st_dev && ::unlinkat(fdDossier, e->d_name, 0) == 0)
            ++nRetires;
        ::close(fd);
    }
    ::closedir(pDossier);
    return nRetires;
}

void SyncDossier(const QByteArray &cDossier)
{
    const int fd = ::open(cDossier.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
} // namespace

int NettoieTemporairesIPTC(const QString &cDossier)
{
    return NettoieDossier(QFile::encodeName(cDossier));
}

struct TLotRemplacement::TDonnees
{
    struct TEntree
    {
        QString cFichier;
        QByteArray cCible;
        QByteArray cTemp;
        QByteArray cDossier;
        TEtatFichier EtatLu;
        int fd = -1;
        bool lRemplace = false;
        QString cErreur;
    };
    const IVolumes *pVolumes = nullptr;
    std::mutex Verrou;
    std::deque<TEntree> Entrees;
    QSet<QByteArray> DossiersVus;
    bool lValide = false;

    // The entry's temporary goes, with the reason kept.
    void Abandon(TEntree &e, const QString &cRaison)
    {
        if (e.fd >= 0) {
            ::close(e.fd);
            e.fd = -1;
        }
        if (!e.cTemp.isEmpty())
            ::unlink(e.cTemp.constData());
        e.cTemp.clear();
        e.cErreur = cRaison;
    }
};

TLotRemplacement::TLotRemplacement(const IVolumes *pVolumes) : d(new TDonnees)
{
    d->pVolumes = pVolumes;
}

TLotRemplacement::~TLotRemplacement()
{
    for (TDonnees::TEntree &e : d->Entrees)
        if (!e.lRemplace)
            d->Abandon(e, e.cErreur);
    delete d;
}

int TLotRemplacement::Nombre() const
{
    return int(d->Entrees.size());
}

int TLotRemplacement::Prepare(const QString &cFichier, const QByteArray &Donnees, const TEtatFichier &EtatLu,
                              QString *cErreur)
{
    const QByteArray cChemin = QFile::encodeName(cFichier);
    if (SurCD(d->pVolumes, cFichier)) {
        Pose(cErreur, QStringLiteral("fichier sur un CD"));
        return -1;
    }
    struct stat st
    {
    };
    if (::stat(cChemin.constData(), &st) != 0) {
        Pose(cErreur, errno == ENOENT ? QStringLiteral("fichier absent") : TexteErreurSysteme(errno));
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        Pose(cErreur, QStringLiteral("pas un fichier ordinaire"));
        return -1;
    }
    if (st.st_nlink > 1) {
        Pose(cErreur, QStringLiteral("fichier à plusieurs liens physiques"));
        return -1;
    }
    if (EtatFichier(cFichier) != EtatLu) {
        Pose(cErreur, QStringLiteral("fichier modifié pendant le traitement"));
        return -1;
    }
    // The temporary goes beside the file (same file system, so the rename is atomic), and the
    // link is resolved so that a symbolic link keeps pointing at the rewritten file.
    TDonnees::TEntree e;
    e.cFichier = cFichier;
    e.EtatLu = EtatLu;
    const QString cCible = QFileInfo(cFichier).canonicalFilePath();
    const QFileInfo Info(cCible);
    e.cCible = QFile::encodeName(cCible);
    e.cDossier = QFile::encodeName(Info.absolutePath());
    {
        // Cleaned under the lock, before any temporary of this batch exists in the folder.
        std::lock_guard<std::mutex> Garde(d->Verrou);
        if (!d->DossiersVus.contains(e.cDossier)) {
            d->DossiersVus.insert(e.cDossier);
            NettoieDossier(e.cDossier);
        }
    }
    e.cTemp = e.cDossier + "/." + QFile::encodeName(Info.fileName()) + cMarqueTemp + QByteArray(nLettresTemp, 'X');
    e.fd = ::mkstemp(e.cTemp.data());
    if (e.fd < 0) {
        Pose(cErreur, TexteErreurSysteme(errno));
        return -1;
    }
    ::fcntl(e.fd, F_SETFD, FD_CLOEXEC);
    auto Abandon = [&](int nErr, const QString &cRaison) {
        d->Abandon(e, cRaison.isEmpty() ? TexteErreurSysteme(nErr) : cRaison);
        Pose(cErreur, e.cErreur);
        return -1;
    };
    // The lock tells other batches' cleaning that this temporary is alive; a file system
    // without locks only loses that: a temporary removed under us fails its rename, nothing else.
    ::flock(e.fd, LOCK_EX | LOCK_NB);
    int nErr = 0;
    if (!EcritTout(e.fd, Donnees, nErr))
        return Abandon(nErr, {});
    // The disk starts on the data now, so that Valide's sync finds little left to wait for.
    ::sync_file_range(e.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    // The owner first: changing it may clear the set-id bits that the mode then restores.
    if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid()) && ::fchown(e.fd, st.st_uid, st.st_gid) != 0)
        return Abandon(errno, QStringLiteral("propriétaire impossible à conserver"));
    if (::fchmod(e.fd, st.st_mode & 07777) != 0)
        return Abandon(errno, {});
    CopieAttributsEtendus(e.cCible, e.fd);
    const struct timespec Temps[2] = {st.st_atim, st.st_mtim};
    if (::futimens(e.fd, Temps) != 0)
        return Abandon(errno, {});
    std::lock_guard<std::mutex> Garde(d->Verrou);
    d->Entrees.push_back(std::move(e));
    return int(d->Entrees.size() - 1);
}

int TLotRemplacement::Valide()
{
    if (std::exchange(d->lValide, true))
        return 0;
    std::vector<TDonnees::TEntree *> ASynchroniser;
    for (TDonnees::TEntree &e : d->Entrees)
        if (e.fd >= 0)
            ASynchroniser.push_back(&e);
    // The syncs go out together: the disk takes them as one stream rather than one wait each.
    std::vector<int> Erreurs(ASynchroniser.size(), 0);
    auto Synchronise = [&](size_t i) {
        if (::fsync(ASynchroniser[i]->fd) != 0)
            Erreurs[i] = errno;
    };
    const size_t nFils = std::min<size_t>(8, ASynchroniser.size());
    if (nFils <= 1) {
        for (size_t i = 0; i < ASynchroniser.size(); ++i)
            Synchronise(i);
    } else {
        std::atomic<size_t> nSuivant{0};
        std::vector<std::thread> Fils;
        for (size_t k = 0; k < nFils; ++k)
            Fils.emplace_back([&] {
                for (size_t i = nSuivant++; i < ASynchroniser.size(); i = nSuivant++)
                    Synchronise(i);
            });
        for (std::thread &f : Fils)
            f.join();
    }
    for (size_t i = 0; i < ASynchroniser.size(); ++i)
        if (Erreurs[i] != 0)
            d->Abandon(*ASynchroniser[i], TexteErreurSysteme(Erreurs[i]));

    int nRemplaces = 0;
    QList<QByteArray> Dossiers;
    for (TDonnees::TEntree &e : d->Entrees) {
        if (e.fd < 0)
            continue;
        // Last checks, as late as possible: the disc may have been swapped, the file changed.
        if (SurCD(d->pVolumes, e.cFichier)) {
            d->Abandon(e, QStringLiteral("fichier sur un CD"));
            continue;
        }
        if (EtatFichier(e.cFichier) != e.EtatLu) {
            d->Abandon(e, QStringLiteral("fichier modifié pendant le traitement"));
            continue;
        }
        if (::rename(e.cTemp.constData(), e.cCible.constData()) != 0) {
            d->Abandon(e, TexteErreurSysteme(errno));
            continue;
        }
        e.cTemp.clear();
        const int nClose = ::close(std::exchange(e.fd, -1));
        (void)nClose; // the data were synced: a late close error cannot lose them
        e.lRemplace = true;
        ++nRemplaces;
        if (!Dossiers.contains(e.cDossier))
            Dossiers << e.cDossier;
    }
    for (const QByteArray &c : std::as_const(Dossiers))
        SyncDossier(c);
    return nRemplaces;
}

bool TLotRemplacement::Remplace(int n, QString *cErreur) const
{
    if (n < 0 || n >= int(d->Entrees.size())) {
        Pose(cErreur, QStringLiteral("fichier non préparé"));
        return false;
    }
    const TDonnees::TEntree &e = d->Entrees[size_t(n)];
    if (!e.lRemplace)
        Pose(cErreur, d->lValide ? e.cErreur : QStringLiteral("lot non validé"));
    return e.lRemplace;
}

bool EcritFichierRemplace(const QString &cFichier, const QByteArray &Donnees, const TEtatFichier &EtatLu,
                          const IVolumes *pVolumes, QString *cErreur)
{
    TLotRemplacement Lot(pVolumes);
    const int n = Lot.Prepare(cFichier, Donnees, EtatLu, cErreur);
    if (n < 0)
        return false;
    Lot.Valide();
    return Lot.Remplace(n, cErreur);
}
}

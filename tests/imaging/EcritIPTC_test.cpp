#include "CorpusReference.h"

#include "imaging/EcritIPTC.h"
#include "imaging/Imaging.h"
#include "imaging/JpegCodec.h"
#include "platform/AtomicFile.h"
#include "platform/VolumesFactices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <sys/wait.h>
#include <unistd.h>

using Imaging::TDatasetIPTC;
using Imaging::TEcritureIPTC;

namespace
{
QByteArray Lit(const QString &c)
{
    QFile f(c);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Ecrit(const QString &c, const QByteArray &b)
{
    QFile f(c);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(b);
}

qint64 MtimeNs(const QString &c)
{
    struct stat st
    {
    };
    ::stat(QFile::encodeName(c).constData(), &st);
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

QStringList Valeurs(const QList<Imaging::TEntreeMeta> &Liste, quint32 nId)
{
    QStringList l;
    for (const auto &e : Liste)
        if (e.nId == nId)
            l.append(e.cValeur);
    return l;
}

// A small JPEG with an APP1 before its tables, made without any IPTC.
QByteArray JpegSansIPTC()
{
    QImage Image(16, 8, QImage::Format_RGB32);
    Image.fill(Qt::darkCyan);
    QByteArray b = JpegCodec::EncodeMemoire(Image);
    if (uchar(b[3]) == 0xE0) // the encoder's own APP0 goes, so that the APP1 is the last APPn
        b.remove(2, 2 + ((uchar(b[4]) << 8) | uchar(b[5])));
    const QByteArray App1("\xFF\xE1\x00\x0A"
                          "Essai\0\0\0",
                          12);
    b.insert(2, App1);
    return b;
}

// An APP13 segment holding the given resources after the Photoshop header.
QByteArray SegmentApp13(const QByteArray &Ressources)
{
    const QByteArray Donnees = QByteArray("Photoshop 3.0\0", 14) + Ressources;
    QByteArray s("\xFF\xED", 2);
    s.append(char((Donnees.size() + 2) >> 8));
    s.append(char((Donnees.size() + 2) & 0xFF));
    return s + Donnees;
}

QByteArray Ressource(quint16 nId, const QByteArray &Donnees)
{
    QByteArray r("8BIM", 4);
    r.append(char(nId >> 8));
    r.append(char(nId & 0xFF));
    r.append("\0\0", 2);
    const quint32 n = quint32(Donnees.size());
    for (int i = 3; i >= 0; --i)
        r.append(char((n >> (8 * i)) & 0xFF));
    r += Donnees;
    if (n % 2)
        r.append('\0');
    return r;
}

QByteArray Dataset(int nRecord, int nDataset, const QByteArray &v)
{
    QByteArray b;
    b.append(char(0x1C));
    b.append(char(nRecord));
    b.append(char(nDataset));
    b.append(char(v.size() >> 8));
    b.append(char(v.size() & 0xFF));
    return b + v;
}

// The file without its APP13 segments, found by walking the segments before the picture data.
QByteArray SansApp13(const QByteArray &b)
{
    QByteArray r = b.left(2);
    qint64 i = 2;
    while (i + 4 <= b.size() && uchar(b[i]) == 0xFF && uchar(b[i + 1]) != 0xDA) {
        const qint64 L = (qint64(uchar(b[i + 2])) << 8) | uchar(b[i + 3]);
        if (uchar(b[i + 1]) != 0xED)
            r += b.mid(i, 2 + L);
        i += 2 + L;
    }
    return r + b.mid(i);
}

QString Exiftool()
{
    return QStandardPaths::findExecutable(QStringLiteral("exiftool"));
}
}

TEST(EcritIPTC, CorpusJpegsKeepEveryByteButTheIptcAndTheirDate)
{
    QTemporaryDir d;
    const QDir Dossier(Corpus::Dossier() + QStringLiteral("/kinds/jpeg"));
    int nEcrits = 0;
    int nRefuses = 0;
    QStringList Ecrits;
    for (const QString &cNom : Dossier.entryList(QDir::Files)) {
        SCOPED_TRACE(cNom.toStdString());
        const QString c = d.filePath(cNom);
        ASSERT_TRUE(QFile::copy(Dossier.filePath(cNom), c));
        QFile::setPermissions(c, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        const QByteArray Avant = Lit(c);
        const auto Droits = QFile::permissions(c);
        const qint64 nMtime = MtimeNs(c);
        TEcritureIPTC Bloc;
        QString cErreur;
        if (!Bloc.Charge(c, &cErreur)) {
            // Refused files stay as they were.
            EXPECT_FALSE(cErreur.isEmpty());
            EXPECT_EQ(Lit(c), Avant);
            std::printf("note: %s refused: %s\n", qPrintable(cNom), qPrintable(cErreur));
            ++nRefuses;
            continue;
        }
        Bloc.RemplaceValeur(120, QStringLiteral("Légende été"));
        Bloc.SupprimeValeurs(25);
        for (const QString &m : {QStringLiteral("MER"), QStringLiteral("PLAGE"), QStringLiteral("ÉTÉ")})
            Bloc.AjouteValeur(25, m);
        ASSERT_TRUE(Bloc.Enregistre(nullptr, &cErreur)) << cErreur.toStdString();
        const QByteArray Apres = Lit(c);
        EXPECT_EQ(SansApp13(Apres), SansApp13(Avant));
        EXPECT_NE(Apres, Avant);
        EXPECT_EQ(MtimeNs(c), nMtime);
        EXPECT_EQ(QFile::permissions(c), Droits);
        EXPECT_EQ(Bloc.TailleEcrite(), Apres.size());
        const auto Liste = Imaging::ListeIPTC(c);
        EXPECT_EQ(Valeurs(Liste, 25), (QStringList{"MER", "PLAGE", QStringLiteral("ÉTÉ")}));
        EXPECT_EQ(Valeurs(Liste, 120), (QStringList{QStringLiteral("Légende été")}));
        Ecrits.append(c);
        ++nEcrits;
    }
    EXPECT_GE(nEcrits, Corpus::Minimum(40, 20));
    std::printf("note: %d JPEG(s) written, %d refused\n", nEcrits, nRefuses);
    EXPECT_TRUE(QDir(d.path()).entryList({QStringLiteral(".*iptc-*")}, QDir::Files | QDir::Hidden).isEmpty());

    const QString cExiv2 = QStandardPaths::findExecutable(QStringLiteral("exiv2"));
    if (cExiv2.isEmpty()) {
        std::printf("note: exiv2 is not installed, its reading is not checked\n");
    } else {
        for (const QString &c : Ecrits) {
            SCOPED_TRACE(c.toStdString());
            QProcess p;
            p.start(cExiv2, {QStringLiteral("-q"), QStringLiteral("-pi"), c});
            ASSERT_TRUE(p.waitForFinished(30000));
            QStringList MotsCles;
            QString cLegende;
            for (const QString &cLigne : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
                // "Iptc.Application2.Keywords   String   3  MER"
                const QStringList Champs = cLigne.split(QLatin1Char(' '), Qt::SkipEmptyParts);
                if (Champs.size() < 4)
                    continue;
                const QString cValeur = Champs.mid(3).join(QLatin1Char(' '));
                if (Champs[0] == QLatin1String("Iptc.Application2.Keywords"))
                    MotsCles << cValeur;
                else if (Champs[0] == QLatin1String("Iptc.Application2.Caption"))
                    cLegende = cValeur;
            }
            EXPECT_EQ(MotsCles, (QStringList{"MER", "PLAGE", QStringLiteral("ÉTÉ")}));
            EXPECT_EQ(cLegende, QStringLiteral("Légende été"));
        }
    }

    if (Exiftool().isEmpty()) {
        std::printf("note: exiftool is not installed, its reading is not checked\n");
        return;
    }
    QProcess p;
    p.start(Exiftool(),
            QStringList{"-j", "-charset", "iptc=UTF8", "-IPTC:Keywords", "-IPTC:Caption-Abstract"} + Ecrits);
    ASSERT_TRUE(p.waitForFinished(120000));
    const QJsonArray Tableau = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
    ASSERT_EQ(Tableau.size(), Ecrits.size());
    for (const auto &v : Tableau) {
        const QJsonObject o = v.toObject();
        SCOPED_TRACE(o.value("SourceFile").toString().toStdString());
        EXPECT_EQ(o.value("Keywords").toArray().toVariantList(), (QVariantList{"MER", "PLAGE", QStringLiteral("ÉTÉ")}));
        EXPECT_EQ(o.value("Caption-Abstract").toString(), QStringLiteral("Légende été"));
    }
}

TEST(EcritIPTC, NewSegmentGoesAfterTheAppSegmentsAndOtherResourcesStay)
{
    // No APP13: one is added right after the APP1, before the tables.
    const QByteArray Sans = JpegSansIPTC();
    QByteArray IIM;
    ASSERT_TRUE(Imaging::ConstruitIIM({{2, 25, "MER"}}, IIM));
    QByteArray Apres;
    ASSERT_TRUE(Imaging::RemplaceIIM(Sans, IIM, Apres));
    EXPECT_EQ(Apres.left(14), Sans.left(14));
    EXPECT_EQ(uchar(Apres[14]), 0xFF);
    EXPECT_EQ(uchar(Apres[15]), 0xED);
    EXPECT_TRUE(Apres.endsWith(Sans.mid(14)));
    EXPECT_TRUE(Imaging::SeulIIMChange(Sans, Apres, IIM));
    // The check in memory sees a change anywhere else, or other datasets.
    QByteArray Abime = Apres;
    Abime[Abime.size() - 10] = char(Abime[Abime.size() - 10] ^ 1);
    EXPECT_FALSE(Imaging::SeulIIMChange(Sans, Abime, IIM));
    QByteArray AutreIIM;
    ASSERT_TRUE(Imaging::ConstruitIIM({{2, 25, "MEP"}}, AutreIIM));
    EXPECT_FALSE(Imaging::SeulIIMChange(Sans, Apres, AutreIIM));

    // An APP13 with other resources around the IPTC one: they keep their bytes and order.
    const QByteArray Avant8BIM = Ressource(0x03ED, QByteArray(16, 'r'));
    const QByteArray Apres8BIM = Ressource(0x040C, QByteArray(7, 't'));
    const QByteArray Ancien = Dataset(1, 90, "\x1b%G") + Dataset(1, 20, "ENV") + Dataset(2, 0, QByteArray("\0\x02", 2))
                              + Dataset(2, 25, "ANCIEN") + Dataset(2, 120, "caf\xe9");
    const QByteArray Avec =
        Sans.left(14) + SegmentApp13(Avant8BIM + Ressource(0x0404, Ancien) + Apres8BIM) + Sans.mid(14);
    QTemporaryDir d;
    const QString c = d.filePath("a.jpg");
    Ecrit(c, Avec);
    TEcritureIPTC Bloc;
    ASSERT_TRUE(Bloc.Charge(c));
    EXPECT_EQ(Bloc.Valeurs(120), QStringList{QString::fromUtf8("caf\xef\xbf\xbd")}); // marked UTF-8, kept as bytes
    Bloc.RemplaceValeur(25, QStringLiteral("NOUVEAU"));
    ASSERT_TRUE(Bloc.Enregistre(nullptr));
    const QByteArray Nouveau = Lit(c);
    EXPECT_TRUE(Nouveau.contains(Avant8BIM + QByteArray("8BIM\x04\x04", 6)));
    EXPECT_TRUE(Nouveau.contains(Apres8BIM));
    QByteArray AutreRessource = Nouveau;
    const qsizetype nT = AutreRessource.indexOf(QByteArray(7, 't'));
    AutreRessource[nT] = 'u';
    Imaging::TStructureJpeg sA;
    ASSERT_TRUE(Imaging::AnalyseJpegIPTC(AutreRessource, sA));
    EXPECT_FALSE(Imaging::SeulIIMChange(Avec, AutreRessource, Nouveau.mid(sA.nDebutIIM, sA.nTailleIIM)));
    EXPECT_TRUE(Imaging::SeulIIMChange(Avec, Nouveau, Nouveau.mid(sA.nDebutIIM, sA.nTailleIIM)));
    Imaging::TStructureJpeg s;
    ASSERT_TRUE(Imaging::AnalyseJpegIPTC(Nouveau, s));
    QList<TDatasetIPTC> Relus;
    ASSERT_TRUE(Imaging::LitDatasetsIIM(Nouveau.constData() + s.nDebutIIM, s.nTailleIIM, Relus));
    // Record 1 kept with its character set, the version first, the keyword in place.
    EXPECT_EQ(Relus, (QList<TDatasetIPTC>{{1, 90, "\x1b%G"},
                                          {1, 20, "ENV"},
                                          {2, 0, QByteArray("\0\x02", 2)},
                                          {2, 25, "NOUVEAU"},
                                          {2, 120, "caf\xe9"}}));
}

TEST(EcritIPTC, TextInAnotherCharacterSetIsMovedToUtf8)
{
    const QByteArray Sans = JpegSansIPTC();
    const QByteArray Avec = Sans.left(14)
                            + SegmentApp13(Ressource(0x0404, Dataset(2, 120, "caf\xe9") + Dataset(2, 25, "\xc9T\xc9")))
                            + Sans.mid(14);
    QTemporaryDir d;
    const QString c = d.filePath("latin.jpg");
    Ecrit(c, Avec);
    TEcritureIPTC Bloc;
    ASSERT_TRUE(Bloc.Charge(c));
    EXPECT_EQ(Bloc.Valeurs(120), QStringList{QStringLiteral("café")});
    ASSERT_TRUE(Bloc.Enregistre(nullptr));
    const auto Liste = Imaging::ListeIPTC(c);
    EXPECT_EQ(Valeurs(Liste, 120), QStringList{QStringLiteral("café")});
    EXPECT_EQ(Valeurs(Liste, 25), QStringList{QStringLiteral("ÉTÉ")});
}

TEST(EcritIPTC, BadInputIsRefusedAndLeftByteIdentical)
{
    const QByteArray Sans = JpegSansIPTC();
    const QByteArray Bon = Sans.left(14) + SegmentApp13(Ressource(0x0404, Dataset(2, 25, "MER"))) + Sans.mid(14);
    QByteArray Endommage = Bon;
    Endommage[14 + 4 + 14 + 8] = char(0x7F); // the resource's size now runs past the segment
    QByteArray IIMCasse = Sans.left(14) + SegmentApp13(Ressource(0x0404, Dataset(2, 25, "MER").left(6))) + Sans.mid(14);
    const QByteArray Double = Sans.left(14) + SegmentApp13(Ressource(0x0404, Dataset(2, 25, "A")))
                              + SegmentApp13(Ressource(0x0404, Dataset(2, 25, "B"))) + Sans.mid(14);
    QByteArray Etendu = Dataset(2, 25, "X");
    Etendu[3] = char(0x80); // extended length form
    const QByteArray LongueurEtendue = Sans.left(14) + SegmentApp13(Ressource(0x0404, Etendu)) + Sans.mid(14);
    const struct
    {
        const char *cNom;
        QByteArray Octets;
    } Cas[] = {
        {"texte.jpg", QByteArray("pas une image du tout")},
        {"tronque.jpg", Bon.left(Bon.size() / 2)},
        {"tronque_entete.jpg", Bon.left(40)},
        {"app13_endommage.jpg", Endommage},
        {"iim_coupe.jpg", IIMCasse},
        {"app13_double.jpg", Double},
        {"longueur_etendue.jpg", LongueurEtendue},
    };
    QTemporaryDir d;
    for (const auto &c : Cas) {
        SCOPED_TRACE(c.cNom);
        const QString f = d.filePath(QLatin1String(c.cNom));
        Ecrit(f, c.Octets);
        TEcritureIPTC Bloc;
        QString cErreur;
        EXPECT_FALSE(Bloc.Charge(f, &cErreur));
        EXPECT_FALSE(cErreur.isEmpty());
        Bloc.AjouteValeur(25, QStringLiteral("X"));
        EXPECT_FALSE(Bloc.Enregistre(nullptr, &cErreur));
        EXPECT_EQ(Lit(f), c.Octets);
    }

    // IPTC that would pass 64 KB.
    const QString f = d.filePath("gros.jpg");
    Ecrit(f, Bon);
    TEcritureIPTC Bloc;
    ASSERT_TRUE(Bloc.Charge(f));
    for (int i = 0; i < 3; ++i)
        Bloc.AjouteValeur(120, QString(30000, QLatin1Char('x')));
    QString cErreur;
    EXPECT_FALSE(Bloc.Enregistre(nullptr, &cErreur));
    EXPECT_EQ(cErreur, QStringLiteral("IPTC de plus de 64 Ko"));
    EXPECT_EQ(Lit(f), Bon);
}

TEST(EcritIPTC, FileChangedGoneLinkedOnACdOrUnwritableIsNotRewritten)
{
    const QByteArray Sans = JpegSansIPTC();
    QTemporaryDir d;
    auto Prepare = [&](const QString &cNom, TEcritureIPTC &Bloc) {
        const QString c = d.filePath(cNom);
        Ecrit(c, Sans);
        EXPECT_TRUE(Bloc.Charge(c));
        Bloc.AjouteValeur(25, QStringLiteral("MER"));
        return c;
    };
    QString cErreur;
    {
        TEcritureIPTC Bloc;
        const QString c = Prepare("change.jpg", Bloc);
        const QByteArray Autre = Sans + QByteArray("fin");
        Ecrit(c, Autre);
        EXPECT_FALSE(Bloc.Enregistre(nullptr, &cErreur));
        EXPECT_EQ(cErreur, QStringLiteral("fichier modifié pendant le traitement"));
        EXPECT_EQ(Lit(c), Autre);
    }
    {
        TEcritureIPTC Bloc;
        const QString c = Prepare("parti.jpg", Bloc);
        QFile::remove(c);
        EXPECT_FALSE(Bloc.Enregistre(nullptr, &cErreur));
        EXPECT_FALSE(QFile::exists(c));
    }
    {
        TEcritureIPTC Bloc;
        const QString c = Prepare("lie.jpg", Bloc);
        ASSERT_EQ(::link(QFile::encodeName(c).constData(), QFile::encodeName(d.filePath("lien.jpg")).constData()), 0);
        TEcritureIPTC Relu;
        ASSERT_TRUE(Relu.Charge(c));
        Relu.AjouteValeur(25, QStringLiteral("MER"));
        EXPECT_FALSE(Relu.Enregistre(nullptr, &cErreur));
        EXPECT_EQ(Lit(c), Sans);
    }
    {
        QDir(d.path()).mkdir("cd");
        TEcritureIPTC Bloc;
        const QString c = Prepare("cd/sur_cd.jpg", Bloc);
        TVolumesFactices Volumes;
        TVolume Racine;
        Racine.cPointMontage = QStringLiteral("/");
        Racine.cSysteme = QStringLiteral("ext4");
        Volumes.Ajoute(Racine);
        Volumes.AjouteCD(d.filePath("cd"), 0x1234);
        EXPECT_FALSE(Bloc.Enregistre(&Volumes, &cErreur));
        EXPECT_EQ(cErreur, QStringLiteral("fichier sur un CD"));
        EXPECT_EQ(Lit(c), Sans);
    }
    {
        TEcritureIPTC Bloc;
        const QString c = Prepare("plein.jpg", Bloc);
        int nAppels = 0;
        auto Ancien = Imaging::RemplaceAppelEcritureIPTC([&](int fd, const void *p, size_t n) -> ssize_t {
            if (++nAppels > 1) {
                errno = ENOSPC;
                return -1;
            }
            return ::write(fd, p, std::min<size_t>(n, 10));
        });
        EXPECT_FALSE(Bloc.Enregistre(nullptr, &cErreur));
        Imaging::RemplaceAppelEcritureIPTC(Ancien);
        EXPECT_FALSE(cErreur.isEmpty());
        EXPECT_EQ(Lit(c), Sans);
        // The temporary went with the failure, and the same block can be written afterwards.
        EXPECT_TRUE(QDir(d.path()).entryList({QStringLiteral(".*iptc-*")}, QDir::Files | QDir::Hidden).isEmpty());
        EXPECT_TRUE(Bloc.Enregistre(nullptr, &cErreur)) << cErreur.toStdString();
        EXPECT_EQ(Valeurs(Imaging::ListeIPTC(c), 25), QStringList{"MER"});
    }
}

TEST(EcritIPTC, KilledBatchLeavesEachFileOldOrNew)
{
    const QByteArray Sans = JpegSansIPTC();
    QByteArray Gros = Sans;
    Gros.append(QByteArray(4 << 20, 'z')); // bytes after the end of the image make writes slow enough
    QTemporaryDir d;
    constexpr int nFichiers = 60;
    for (int i = 0; i < nFichiers; ++i)
        Ecrit(d.filePath(QStringLiteral("%1.jpg").arg(i)), Gros);
    QByteArray IIM, Nouveau;
    ASSERT_TRUE(Imaging::ConstruitIIM({{2, 25, "MER"}}, IIM));
    ASSERT_TRUE(Imaging::RemplaceIIM(Gros, IIM, Nouveau));

    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        for (int i = 0; i < nFichiers; ++i) {
            TEcritureIPTC Bloc;
            if (!Bloc.Charge(d.filePath(QStringLiteral("%1.jpg").arg(i))))
                ::_exit(2);
            Bloc.AjouteValeur(25, QStringLiteral("MER"));
            if (!Bloc.Enregistre(nullptr))
                ::_exit(3);
        }
        ::_exit(0);
    }
    // Kill once a few files are done, while the others are still old.
    for (int n = 0; n < 2000; ++n) {
        if (Lit(d.filePath("3.jpg")) == Nouveau)
            break;
        ::usleep(2000);
    }
    ::kill(pid, SIGKILL);
    int nStatut = 0;
    ::waitpid(pid, &nStatut, 0);
    int nNouveaux = 0;
    for (int i = 0; i < nFichiers; ++i) {
        const QByteArray b = Lit(d.filePath(QStringLiteral("%1.jpg").arg(i)));
        EXPECT_TRUE(b == Gros || b == Nouveau) << i;
        nNouveaux += b == Nouveau;
    }
    EXPECT_GE(nNouveaux, 4);
    if (WIFSIGNALED(nStatut)) {
        EXPECT_LT(nNouveaux, nFichiers);
    }
}

namespace
{
QStringList Temporaires(const QString &cDossier)
{
    return QDir(cDossier).entryList({QStringLiteral(".*.iptc-*")}, QDir::Files | QDir::Hidden, QDir::Name);
}

// The file's replacement holding the keyword.
QByteArray AvecMotCle(const QByteArray &Avant, const QByteArray &cMot)
{
    QByteArray IIM, Apres;
    EXPECT_TRUE(Imaging::ConstruitIIM({{2, 25, cMot}}, IIM));
    EXPECT_TRUE(Imaging::RemplaceIIM(Avant, IIM, Apres));
    return Apres;
}
} // namespace

TEST(EcritIPTC, BatchRenamesOnlyAfterValidationAndOnlyUnchangedFiles)
{
    const QByteArray Sans = JpegSansIPTC();
    QTemporaryDir d;
    QDir(d.path()).mkdir("b");
    const QStringList Fichiers = {d.filePath("1.jpg"), d.filePath("2.jpg"), d.filePath("b/3.jpg"),
                                  d.filePath("b/4.jpg")};
    for (const QString &c : Fichiers)
        Ecrit(c, Sans);
    ::chmod(QFile::encodeName(Fichiers[0]).constData(), 0640);
    const qint64 nMtime = MtimeNs(Fichiers[0]);
    const QByteArray Nouveau = AvecMotCle(Sans, "MER");
    {
        Imaging::TLotRemplacement Lot;
        QList<int> Entrees;
        for (const QString &c : Fichiers)
            Entrees << Lot.Prepare(c, Nouveau, EtatFichier(c));
        EXPECT_EQ(Entrees, (QList<int>{0, 1, 2, 3}));
        // Nothing replaced yet: one hidden temporary beside each file.
        for (const QString &c : Fichiers)
            EXPECT_EQ(Lit(c), Sans);
        EXPECT_EQ(Temporaires(d.path()).size(), 2);
        EXPECT_EQ(Temporaires(d.filePath("b")).size(), 2);
        EXPECT_FALSE(Lot.Remplace(0));
        // Changed after its temporary was written: left alone at validation.
        Ecrit(Fichiers[3], Sans + "fin");
        EXPECT_EQ(Lot.Valide(), 3);
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(Lot.Remplace(i)) << i;
        QString cErreur;
        EXPECT_FALSE(Lot.Remplace(3, &cErreur));
        EXPECT_EQ(cErreur, QStringLiteral("fichier modifié pendant le traitement"));
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Lit(Fichiers[i]), Nouveau) << i;
    EXPECT_EQ(Lit(Fichiers[3]), Sans + "fin");
    EXPECT_EQ(MtimeNs(Fichiers[0]), nMtime);
    struct stat st
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(Fichiers[0]).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_TRUE(Temporaires(d.path()).isEmpty());
    EXPECT_TRUE(Temporaires(d.filePath("b")).isEmpty());

    // A batch dropped without validation replaces nothing and leaves nothing behind.
    {
        Imaging::TLotRemplacement Lot;
        EXPECT_EQ(Lot.Prepare(Fichiers[3], Nouveau, EtatFichier(Fichiers[3])), 0);
        EXPECT_EQ(Temporaires(d.filePath("b")).size(), 1);
    }
    EXPECT_EQ(Lit(Fichiers[3]), Sans + "fin");
    EXPECT_TRUE(Temporaires(d.filePath("b")).isEmpty());
}

TEST(EcritIPTC, OrphanTemporariesGoOnTheNextWriteInTheirFolderOnlyWhenSafe)
{
    const QByteArray Sans = JpegSansIPTC();
    QTemporaryDir d;
    Ecrit(d.filePath("a.jpg"), Sans);
    Ecrit(d.filePath("b.jpg"), Sans);
    // Left by killed batches: beside an existing image, with mkstemp's six letters.
    Ecrit(d.filePath(".a.jpg.iptc-Ab3xY9"), Sans);
    Ecrit(d.filePath(".b.jpg.iptc-000000"), "x");
    // Not ours to remove: no image beside it, another pattern, a live batch's, a folder.
    Ecrit(d.filePath(".parti.jpg.iptc-Ab3xY9"), Sans);
    Ecrit(d.filePath(".a.jpg.iptc-Ab3xY"), Sans);
    Ecrit(d.filePath(".a.jpg.iptc-Ab3x-9"), Sans);
    Ecrit(d.filePath("a.jpg.iptc-Ab3xY9"), Sans);
    QDir(d.path()).mkdir(".b.jpg.iptc-dossie");
    const QString cVivant = d.filePath(".b.jpg.iptc-vivant");
    Ecrit(cVivant, Sans);
    const int fdVivant = ::open(QFile::encodeName(cVivant).constData(), O_RDONLY);
    ASSERT_GE(fdVivant, 0);
    ASSERT_EQ(::flock(fdVivant, LOCK_EX), 0);

    // Another folder's write leaves this one alone.
    QDir(d.path()).mkdir("autre");
    Ecrit(d.filePath("autre/c.jpg"), Sans);
    EXPECT_TRUE(Imaging::EcritFichierRemplace(d.filePath("autre/c.jpg"), AvecMotCle(Sans, "MER"),
                                              EtatFichier(d.filePath("autre/c.jpg")), nullptr));
    EXPECT_EQ(Temporaires(d.path()).size(), 6);

    TEcritureIPTC Bloc;
    ASSERT_TRUE(Bloc.Charge(d.filePath("a.jpg")));
    Bloc.AjouteValeur(25, QStringLiteral("MER"));
    EXPECT_TRUE(Bloc.Enregistre(nullptr));
    const QStringList Restants = QDir(d.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_FALSE(Restants.contains(".a.jpg.iptc-Ab3xY9"));
    EXPECT_FALSE(Restants.contains(".b.jpg.iptc-000000"));
    for (const char *c : {".parti.jpg.iptc-Ab3xY9", ".a.jpg.iptc-Ab3xY", ".a.jpg.iptc-Ab3x-9", "a.jpg.iptc-Ab3xY9",
                          ".b.jpg.iptc-dossie", ".b.jpg.iptc-vivant"})
        EXPECT_TRUE(Restants.contains(QString::fromLatin1(c))) << c;
    ::close(fdVivant);
    // Its batch gone, the last one goes too.
    EXPECT_EQ(Imaging::NettoieTemporairesIPTC(d.path()), 1);
    EXPECT_FALSE(QFile::exists(cVivant));
    EXPECT_EQ(Lit(d.filePath("b.jpg")), Sans);
}

TEST(EcritIPTC, ExtendedAttributesFollowTheRewrittenFile)
{
    const QByteArray Sans = JpegSansIPTC();
    QTemporaryDir d;
    const QString c = d.filePath("attributs.jpg");
    Ecrit(c, Sans);
    const QByteArray cChemin = QFile::encodeName(c);
    const QByteArray Valeur("Brest\0finistere", 15);
    if (::setxattr(cChemin.constData(), "user.vimbrel.lieu", Valeur.constData(), size_t(Valeur.size()), 0) != 0)
        GTEST_SKIP() << "no user extended attributes on this file system: " << std::strerror(errno);
    ASSERT_EQ(::setxattr(cChemin.constData(), "user.vimbrel.vide", "", 0, 0), 0);
    TEcritureIPTC Bloc;
    ASSERT_TRUE(Bloc.Charge(c));
    Bloc.AjouteValeur(25, QStringLiteral("MER"));
    struct stat Avant
    {
    };
    ::stat(cChemin.constData(), &Avant);
    ASSERT_TRUE(Bloc.Enregistre(nullptr));
    struct stat Apres
    {
    };
    ::stat(cChemin.constData(), &Apres);
    ASSERT_NE(Avant.st_ino, Apres.st_ino); // a new file took the name
    QByteArray Lu(64, '\0');
    const ssize_t n = ::getxattr(cChemin.constData(), "user.vimbrel.lieu", Lu.data(), size_t(Lu.size()));
    ASSERT_EQ(n, Valeur.size());
    EXPECT_EQ(Lu.left(n), Valeur);
    EXPECT_EQ(::getxattr(cChemin.constData(), "user.vimbrel.vide", nullptr, 0), 0);
}

TEST(EcritIPTC, KilledGroupedBatchLeavesEachFileOldOrNewAndItsOrphansAreCleaned)
{
    const QByteArray Sans = JpegSansIPTC();
    QByteArray Gros = Sans;
    Gros.append(QByteArray(4 << 20, 'z'));
    QTemporaryDir d;
    constexpr int nFichiers = 48;
    constexpr int nParLot = 8;
    for (int i = 0; i < nFichiers; ++i)
        Ecrit(d.filePath(QStringLiteral("%1.jpg").arg(i)), Gros);
    const QByteArray Nouveau = AvecMotCle(Gros, "MER");

    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        for (int nDebut = 0; nDebut < nFichiers; nDebut += nParLot) {
            Imaging::TLotRemplacement Lot;
            for (int i = nDebut; i < nDebut + nParLot; ++i) {
                TEcritureIPTC Bloc;
                if (!Bloc.Charge(d.filePath(QStringLiteral("%1.jpg").arg(i))))
                    ::_exit(2);
                Bloc.AjouteValeur(25, QStringLiteral("MER"));
                if (Bloc.Prepare(Lot) < 0)
                    ::_exit(3);
            }
            Lot.Valide();
        }
        ::_exit(0);
    }
    // Kill once a group is in and a later one is being written (its temporaries are there).
    auto TemporairePlein = [&] {
        const QStringList l = Temporaires(d.path());
        return std::any_of(l.begin(), l.end(), [&](const QString &c) { return QFileInfo(d.filePath(c)).size() > 0; });
    };
    for (int n = 0; n < 10000; ++n) {
        if (Lit(d.filePath("9.jpg")) == Nouveau && TemporairePlein())
            break;
        ::usleep(1000);
    }
    ::kill(pid, SIGKILL);
    int nStatut = 0;
    ::waitpid(pid, &nStatut, 0);
    int nNouveaux = 0;
    for (int i = 0; i < nFichiers; ++i) {
        const QByteArray b = Lit(d.filePath(QStringLiteral("%1.jpg").arg(i)));
        EXPECT_TRUE(b == Gros || b == Nouveau) << i;
        nNouveaux += b == Nouveau;
    }
    // Whole groups only: a group's files are renamed after all of them are written.
    EXPECT_GE(nNouveaux, nParLot);
    const QStringList Orphelins = Temporaires(d.path());
    std::printf("note: killed after %d file(s), %d temporar%s left\n", nNouveaux, int(Orphelins.size()),
                Orphelins.size() == 1 ? "y" : "ies");

    // The next write in the folder removes what the kill left (but a temporary still empty,
    // which may be a live batch's, until it is old enough).
    TEcritureIPTC Bloc;
    ASSERT_TRUE(Bloc.Charge(d.filePath("0.jpg")));
    Bloc.AjouteValeur(25, QStringLiteral("PLAGE"));
    ASSERT_TRUE(Bloc.Enregistre(nullptr));
    for (const QString &c : Temporaires(d.path()))
        EXPECT_EQ(QFileInfo(d.filePath(c)).size(), 0) << c.toStdString();
}

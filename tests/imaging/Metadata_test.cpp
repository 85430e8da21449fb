#include "CorpusReference.h"

#include "imaging/EcritIPTC.h"
#include "imaging/Imaging.h"
#include "imaging/JpegCodec.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

namespace
{
QString FichierCorpus(const QString &c)
{
    return CorpusReference::Dossier() + QLatin1Char('/') + c;
}

CorpusReference::TLigne Reference(const QString &cFichier)
{
    for (const auto &l : CorpusReference::Lignes())
        if (l.cFichier == cFichier)
            return l;
    return {};
}

QStringList Valeurs(const QList<Imaging::TEntreeMeta> &Liste, quint32 nId)
{
    QStringList l;
    for (const auto &e : Liste)
        if (e.nId == nId)
            l.append(e.cValeur);
    return l;
}
}

TEST(ImagingMeta, ExifListingMatchesTheReference)
{
    int nLus = 0;
    for (const char *c : {"kinds/jpeg/exiftool_Canon.jpg", "kinds/jpeg/exiftool_NikonD70.jpg",
                          "kinds/jpeg/mde_Nikon_D70.jpg", "kinds/tif/exiftool_ExifTool.tif"}) {
        SCOPED_TRACE(c);
        if (Corpus::Fichier(QLatin1String(c)).isEmpty()) {
            std::printf("note: %s is only in the full corpus\n", c);
            continue;
        }
        ++nLus;
        const auto Ref = Reference(QLatin1String(c));
        const auto Liste = Imaging::ListeEXIF(FichierCorpus(QLatin1String(c)));
        ASSERT_FALSE(Liste.isEmpty());
        EXPECT_EQ(Valeurs(Liste, 0x0110).value(0), Ref.Champs.value("Model"));
        for (const auto &e : Liste) {
            if (e.nId == 0x0110) {
                EXPECT_FALSE(e.cNom.trimmed().isEmpty());
            }
        }
    }
    EXPECT_GE(nLus, 3);
    EXPECT_TRUE(Imaging::ListeEXIF(FichierCorpus("kinds/png/pngsuite_basn2c08.png")).isEmpty());
    QString cErreur;
    EXPECT_TRUE(Imaging::ListeEXIF(FichierCorpus("absent.jpg"), &cErreur).isEmpty());
    EXPECT_FALSE(cErreur.isEmpty());
}

TEST(ImagingMeta, IptcListingMatchesTheReference)
{
    for (const char *c : {"kinds/jpeg/exiftool_IPTC.jpg", "kinds/jpeg/exiftool_PhotoMechanic.jpg",
                          "kinds/jpeg/mde_Issue_258_dotnet.jpg"}) {
        SCOPED_TRACE(c);
        if (Corpus::Fichier(QLatin1String(c)).isEmpty()) {
            std::printf("note: %s is only in the full corpus\n", c);
            continue;
        }
        const auto Ref = Reference(QLatin1String(c));
        const auto Liste = Imaging::ListeIPTC(FichierCorpus(QLatin1String(c)));
        ASSERT_FALSE(Liste.isEmpty());
        EXPECT_EQ(Valeurs(Liste, 25).join('|'), Ref.Champs.value("Keywords"));
        EXPECT_EQ(Valeurs(Liste, 120).join('|'),
                  Ref.Champs.value("Caption-Abstract").replace("\\n", "\n").replace("\\r", "\r"));
    }
}

TEST(ImagingMeta, IptcWritingReplacesDatasetsAndKeepsThePicture)
{
    QTemporaryDir d;
    const QString c = d.filePath("photo.jpg");
    ASSERT_TRUE(QFile::copy(FichierCorpus("kinds/jpeg/exiftool_IPTC.jpg"), c));
    QFile::setPermissions(c, QFile::ReadOwner | QFile::WriteOwner);
    const QImage Avant = JpegCodec::Decode(c);
    ASSERT_FALSE(Avant.isNull());

    Imaging::TEcritureIPTC Bloc;
    ASSERT_TRUE(Bloc.Charge(c));
    Bloc.SupprimeValeurs(25);
    for (const char *m : {"mer", "plage", "sable"})
        Bloc.AjouteValeur(25, QString::fromLatin1(m));
    Bloc.SupprimeValeurs(120);
    Bloc.AjouteValeur(120, QStringLiteral("Légende été"));
    QString cErreur;
    ASSERT_TRUE(Bloc.Enregistre(nullptr, &cErreur)) << cErreur.toStdString();

    const auto Liste = Imaging::ListeIPTC(c);
    EXPECT_EQ(Valeurs(Liste, 25), (QStringList{"mer", "plage", "sable"}));
    EXPECT_EQ(Valeurs(Liste, 120), (QStringList{QStringLiteral("Légende été")}));
    EXPECT_EQ(JpegCodec::Decode(c), Avant);
    EXPECT_EQ(QFile::permissions(c) & (QFile::ReadOwner | QFile::WriteOwner), QFile::ReadOwner | QFile::WriteOwner);

    // A file that is not a JPEG is left exactly as it was.
    const QString cTexte = d.filePath("notes.jpg");
    {
        QFile f(cTexte);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("pas une image");
    }
    Imaging::TEcritureIPTC Texte;
    EXPECT_FALSE(Texte.Charge(cTexte, &cErreur));
    EXPECT_FALSE(Texte.Enregistre(nullptr, &cErreur));
    QFile f(cTexte);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("pas une image"));
}

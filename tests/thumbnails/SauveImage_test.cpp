#include "thumbnails/SauveImage.h"

#include "support/EcritJpeg.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(SauveImage, NeverOverwritesTheImageAndReportsFailures)
{
    QTemporaryDir Temp;
    ASSERT_TRUE(Temp.isValid());
    const QString cImages = Temp.path() + "/";
    const QString cImage = cImages + "a.jpg";
    ASSERT_TRUE(EcritJpeg(cImage, 64, 48, Qt::blue));
    const QByteArray Avant = [&] {
        QFile f(cImage);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    QImage v(32, 24, QImage::Format_RGB32);
    v.fill(Qt::green);
    QString cErreur;
    EXPECT_FALSE(SauveImageJPEG(v, cImage, cImage, cErreur));
    EXPECT_FALSE(cErreur.isEmpty());
    // The same file reached through another spelling or a link.
    EXPECT_FALSE(SauveImageJPEG(v, cImages + "./a.jpg", cImage, cErreur));
    ASSERT_TRUE(QFile::link(cImage, cImages + "lien.jpg"));
    EXPECT_FALSE(SauveImageJPEG(v, cImages + "lien.jpg", cImage, cErreur));
    QFile f(cImage);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), Avant);

    EXPECT_TRUE(SauveImageJPEG(v, cImages + "_a.jpg", cImage, cErreur)) << cErreur.toStdString();
    EXPECT_EQ(JpegCodec::Decode(cImages + "_a.jpg").size(), QSize(32, 24));
    EXPECT_FALSE(SauveImageJPEG(v, Temp.path() + "/absent/dossier/x.jpg", cImage, cErreur));
    EXPECT_FALSE(cErreur.isEmpty());
}

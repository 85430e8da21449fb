#include "thumbnails/SauveImage.h"

#include "imaging/JpegCodec.h"
#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

bool MemeFichier(const QString &cA, const QString &cB)
{
    const QFileInfo a(cA), b(cB);
    if (a.exists() && b.exists()) {
        struct stat sa, sb;
        if (::stat(QFile::encodeName(a.absoluteFilePath()).constData(), &sa) == 0
            && ::stat(QFile::encodeName(b.absoluteFilePath()).constData(), &sb) == 0)
            return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    }
    return QDir::cleanPath(a.absoluteFilePath()) == QDir::cleanPath(b.absoluteFilePath());
}

bool SauveImageJPEG(const QImage &Image, const QString &cFichier, const QString &cFichierProtege, QString &cErreur)
{
    cErreur.clear();
    if (Image.isNull()) {
        cErreur = QStringLiteral("Aucune image à enregistrer.");
        return false;
    }
    if (!cFichierProtege.isEmpty() && MemeFichier(cFichier, cFichierProtege)) {
        cErreur = QStringLiteral("Le fichier de l'image elle-même ne peut pas être remplacé.");
        return false;
    }
    const QByteArray Donnees = JpegCodec::EncodeMemoire(Image, 90);
    if (Donnees.isEmpty()) {
        cErreur = QStringLiteral("Codage JPEG impossible.");
        return false;
    }
    return EcritFichierAtomique(cFichier, Donnees, &cErreur);
}

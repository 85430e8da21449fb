#include "metadata/InfoCommande.h"

#include "imaging/InfoImage.h"
#include "metadata/InfoMeta.h"

#include <QFileInfo>

int ExecuteInfo(const QStringList &fichiers, QTextStream &out)
{
    int nCode = 0;
    for (const QString &cFichier : fichiers) {
        if (!QFileInfo(cFichier).isFile())
            nCode = 1;
        QString cErreur;
        const QString cImage = LigneInfoImage(cFichier, &cErreur);
        out << cImage << ColonnesInfoMeta(cFichier) << '\t' << cErreur << '\n';
    }
    out.flush();
    return nCode;
}

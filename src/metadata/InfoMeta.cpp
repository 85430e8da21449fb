#include "metadata/InfoMeta.h"

#include "metadata/LectureMeta.h"

namespace
{
// A value must not split the line into more columns or lines.
QString Colonne(QString c)
{
    c.replace(cSepIPTC, QStringLiteral("; "));
    for (QChar &ch : c)
        if (ch == QLatin1Char('\t') || ch == QLatin1Char('\r') || ch == QLatin1Char('\n'))
            ch = QLatin1Char(' ');
    return QLatin1Char('\t') + c;
}
}

QString ColonnesInfoMeta(const QString &cFichier)
{
    TDonneesEXIF e;
    TDonneesIPTC r;
    AppliqueMetaImage(LitMetaImage(cFichier), e, r, TContexteFocale{});
    QString c;
    for (const QString *v : {&e.cAppareil, &e.cFocaleReelle, &e.cVitesse, &e.cDiaphragme, &e.cDatePDV, &e.cISO,
                             &e.cOrientation, &e.cCommentaire})
        c += Colonne(*v);
    for (int i = 0; i < 14; ++i)
        c += Colonne(*r.Champ(i));
    return c;
}

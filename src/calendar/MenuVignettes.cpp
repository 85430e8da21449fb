#include "calendar/MenuVignettes.h"

TActivationPmVigs ActivationPmVigs(const TEtatVignette &e)
{
    TActivationPmVigs a;
    a.lEditerCriteres = e.M && e.C;
    a.lPleinEcran = e.C && e.L && e.E;
    a.lProprietes = e.C;
    a.lMemoSonore = e.C && e.E && e.lWav;
    a.lAlbumImages = e.C;
    a.lAlbumImagesCourante = e.C && !e.lSurCD && e.E && e.L;
    a.lAlbumImagesSelection = e.C && e.nNbCoches > 0;
    a.lAlbumWEB = e.M && e.C && e.lAlbumsWEB;
    a.lAlbumWEBCourante = a.lAlbumWEB && e.L;
    a.lAlbumWEBSelection = a.lAlbumWEB && e.nNbCoches > 0;
    // While the automatic orientation applies, the image's own turns would be ignored.
    a.lRotationsMiroirs =
        e.M && e.C && e.L && (!e.lOrientationAuto || e.cOrientation.isEmpty() || e.cOrientation == QLatin1String("1"));
    a.lCouleurs = e.M && e.C && e.L;
    a.lCopierDonnees = e.C && e.L;
    a.lExplorer = e.C && e.L && e.E;
    a.lOuvrirAvecVisible = e.C && e.L && e.E && e.lProgramme;
    a.lVignettesEnregistrees = e.C;
    return a;
}

const QStringList &OrdrePmVigs()
{
    static const QStringList l{
        QStringLiteral("miVigsEditCritImg"),
        QStringLiteral("miPleinEcran"),
        QStringLiteral("miVigsPropImg"),
        QStringLiteral("miMemoSonore"),
        QStringLiteral("miVigsAjtAlbImg"),
        QStringLiteral("miVigsAjtAlbWEBHierPerso"),
        QStringLiteral("miRotEtat"),
        QStringLiteral("miRotGauche"),
        QStringLiteral("miRotDroite"),
        QStringLiteral("miMirEtat"),
        QStringLiteral("miMirHorizontal"),
        QStringLiteral("miMirVertical"),
        QStringLiteral("miNB"),
        QStringLiteral("miCL"),
        QStringLiteral("miNeg"),
        QStringLiteral("miCanaux"),
        QStringLiteral("miCDC"),
        QStringLiteral("miCopierDonnees"),
        QStringLiteral("miExplorer"),
        QStringLiteral("miOuvrirAvec"),
        QStringLiteral("miVigsVigsEnreg"),
    };
    return l;
}

int RangPmVigs(const QString &cNomObjet)
{
    const qsizetype n = OrdrePmVigs().indexOf(cNomObjet);
    return n < 0 ? int(OrdrePmVigs().size()) : int(n);
}

int GroupePmVigs(const QString &cNomObjet)
{
    // Classification and viewing, albums, turns, mirrors, colours and favourite, data and
    // programs, stored thumbnails: the ranks where each group starts.
    static constexpr int nDebuts[] = {0, 4, 6, 9, 12, 17, 20};
    const int nRang = RangPmVigs(cNomObjet);
    int nGroupe = 0;
    for (int n : nDebuts)
        if (nRang >= n)
            ++nGroupe;
    return nGroupe;
}

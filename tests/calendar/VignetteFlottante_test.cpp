#include "calendar/MenuVignettes.h"
#include "calendar/ProgrammeOuverture.h"
#include "calendar/VignetteFlottante.h"

#include "support/Fichiers.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace VignetteFlottante;

namespace
{
QList<TEnrVF> Cinq()
{
    QList<TEnrVF> l;
    for (int i = 1; i <= 5; ++i)
        l.append({QStringLiteral("IMG_%1.JPG").arg(i), QStringLiteral("/d/IMG_%1.JPG").arg(i)});
    return l;
}
} // namespace

TEST(VignetteFlottante, CdFolderWithOneCachedThumbnailOffersOnlyThatOne)
{
    QTemporaryDir Dossier;
    for (const char *c : {"b.jpg", "A.JPG", "c.jpeg", ".cache.jpg", "notes.txt", "d.cr2"})
        EcritFichier(Dossier.filePath(QLatin1String(c)), "x");
    EcritFichier(Dossier.filePath(QStringLiteral("sous/e.jpg")), "x");
    const QString cVignetteB = QStringLiteral("/vignettes/b.JPG");
    const auto fnVignette = [&](const QString &c) {
        return c.endsWith(QLatin1String("/b.jpg")) ? cVignetteB : QString();
    };

    // On a CD without reading JPEGs from it: only b, rank 1 of 4 image files (the raw counts).
    TListeVF l = ListeDossier(Dossier.path(), true, false, fnVignette);
    EXPECT_EQ(l.nNombre, 4);
    ASSERT_EQ(l.Liste.size(), 1);
    EXPECT_EQ(l.Liste[0].cFichier, cVignetteB);

    // On a fixed disk the JPEGs are read themselves, sorted in upper case; the raw never is.
    l = ListeDossier(Dossier.path(), false, false, fnVignette);
    ASSERT_EQ(l.Liste.size(), 3);
    EXPECT_EQ(l.Liste[0].cNom, QStringLiteral("A.JPG"));
    EXPECT_EQ(l.Liste[1].cFichier, cVignetteB);
    EXPECT_EQ(l.Liste[2].cFichier, Dossier.filePath(QStringLiteral("c.jpeg")));
    EXPECT_EQ(ListeDossier(Dossier.path(), true, true, fnVignette).Liste.size(), 3);
    // An unreadable or vanished folder is simply empty.
    EXPECT_EQ(ListeDossier(Dossier.filePath(QStringLiteral("absent")), false, false, {}).nNombre, 0);
}

TEST(VignetteFlottante, SortComparesCodesInUpperCase)
{
    QList<TEnrVF> l{
        {QStringLiteral("b"), {}}, {QStringLiteral("_a"), {}}, {QStringLiteral("A"), {}}, {QStringLiteral("é"), {}}};
    Trie(l);
    // "A" (65) < "B" (66) < "_" (95) < "É" (201).
    EXPECT_EQ(l[0].cNom, QStringLiteral("A"));
    EXPECT_EQ(l[1].cNom, QStringLiteral("b"));
    EXPECT_EQ(l[2].cNom, QStringLiteral("_a"));
    EXPECT_EQ(l[3].cNom, QStringLiteral("é"));
}

TEST(VignetteFlottante, ImageUnderTheMouseFollowsTheLabel)
{
    const QList<TEnrVF> l = Cinq();
    TEnrVigFlot R;
    const auto Pas = [](int) { return 0; };
    // Label text from 40 to 140: the left end is the first, the right end the fifth.
    EXPECT_EQ(Choisit(3, l, R, QStringLiteral("n"), false, 40, 40, 140, Pas).nPosition, 0);
    EXPECT_EQ(Choisit(3, l, R, QStringLiteral("n"), false, 140, 40, 140, Pas).nPosition, 4);
    EXPECT_EQ(Choisit(3, l, R, QStringLiteral("n"), false, 90, 40, 140, Pas).nPosition, 2);
    EXPECT_EQ(Choisit(3, l, R, QStringLiteral("n"), false, 145, 40, 140, Pas).nPosition, 4);
    EXPECT_EQ(Choisit(1, l, R, QStringLiteral("n"), false, 0, 0, 0, Pas).nPosition, 4);
    // The same file already shown is not loaded again; hidden, it is.
    R.cFichier = l[0].cFichier;
    TChoix c = Choisit(0, l, R, QStringLiteral("n"), true, 0, 0, 0, Pas);
    EXPECT_FALSE(c.lCharger);
    EXPECT_TRUE(c.lMontrer);
    EXPECT_TRUE(Choisit(0, l, R, QStringLiteral("n"), false, 0, 0, 0, Pas).lCharger);
    EXPECT_EQ(Choisit(0, {}, R, QStringLiteral("n"), true, 0, 0, 0, Pas).nPosition, -1);
}

TEST(VignetteFlottante, AnyImageStaysWithinANodeAndChangesAfterLeaving)
{
    const QList<TEnrVF> l = Cinq();
    int nTirages = 0;
    const auto Hasard = [&](int n) {
        ++nTirages;
        return (nTirages * 2) % n;
    };
    TEnrVigFlot R;
    TChoix c = Choisit(2, l, R, QStringLiteral("n"), false, 0, 0, 0, Hasard);
    EXPECT_TRUE(c.lCharger);
    EXPECT_EQ(c.nPosition, 2);
    R.cNoeud = QStringLiteral("n");
    R.cFichier = l[2].cFichier;
    // Moving within the shown node draws nothing.
    c = Choisit(2, l, R, QStringLiteral("n"), true, 50, 0, 100, Hasard);
    EXPECT_FALSE(c.lCharger);
    EXPECT_TRUE(c.lMontrer);
    EXPECT_EQ(nTirages, 1);
    // Left (the window hid) or another node: a new draw.
    c = Choisit(2, l, R, QStringLiteral("n"), false, 50, 0, 100, Hasard);
    EXPECT_TRUE(c.lCharger);
    EXPECT_EQ(c.nPosition, 4);
    EXPECT_TRUE(Choisit(2, l, R, QStringLiteral("m"), true, 0, 0, 0, Hasard).lCharger);
    EXPECT_EQ(nTirages, 3);
}

TEST(VignetteFlottante, SizesScalesAndPlace)
{
    // A portrait 300 × 400: box 75 × 100, client 75 × 126.
    EXPECT_EQ(Boite({300, 400}), QSize(75, 100));
    EXPECT_EQ(Client(Boite({300, 400})), QSize(75, 126));
    EXPECT_EQ(Boite({500, 500}), QSize(100, 100));
    EXPECT_EQ(Boite({1000, 125}), QSize(100, 12)); // 12.5 → 12
    EXPECT_EQ(Boite({0, 10}), QSize());
    // 4000 × 3000 is refused at 3000, shown at 4000.
    EXPECT_TRUE(TropGrande({4000, 3000}, 3000));
    EXPECT_FALSE(TropGrande({3000, 3000}, 3000));
    EXPECT_EQ(EchelleJPEG({4000, 3000}), 8);
    EXPECT_EQ(EchelleJPEG({799, 300}), 4);
    EXPECT_EQ(EchelleJPEG({200, 300}), 2);
    EXPECT_EQ(EchelleJPEG({160, 120}), 1);
    // The corner opposite the mouse.
    EXPECT_EQ(Coin({300, 600}, {75, 126}, {10, 10}), QPoint(221, 470));
    EXPECT_EQ(Coin({300, 600}, {75, 126}, {200, 400}), QPoint(0, 0));
    EXPECT_EQ(TexteNombre(1, 3), QStringLiteral("1°/3 Image(s)"));
    EXPECT_EQ(NomAffiche(QStringLiteral("/DCIM/100/IMG_1.JPG")), QStringLiteral("IMG_1.JPG"));
}

TEST(MenuVignettes, EnablingTable)
{
    TEtatVignette e;
    TActivationPmVigs a = ActivationPmVigs(e);
    EXPECT_FALSE(a.lProprietes || a.lPleinEcran || a.lVignettesEnregistrees || a.lEditerCriteres);

    e.C = true;
    a = ActivationPmVigs(e);
    // A row whose file is absent and unread: properties and stored thumbnails only.
    EXPECT_TRUE(a.lProprietes && a.lVignettesEnregistrees && a.lAlbumImages);
    EXPECT_FALSE(a.lPleinEcran || a.lExplorer || a.lCopierDonnees || a.lEditerCriteres || a.lAlbumImagesCourante);

    e.E = e.L = true;
    e.lWav = true;
    a = ActivationPmVigs(e);
    EXPECT_TRUE(a.lPleinEcran && a.lExplorer && a.lCopierDonnees && a.lMemoSonore && a.lAlbumImagesCourante);
    // Consultation mode: nothing that changes the image.
    EXPECT_FALSE(a.lEditerCriteres || a.lRotationsMiroirs || a.lCouleurs || a.lAlbumWEB);
    EXPECT_FALSE(a.lOuvrirAvecVisible);
    EXPECT_FALSE(a.lAlbumImagesSelection);

    e.M = true;
    e.nNbCoches = 2;
    e.lProgramme = true;
    e.lOrientationAuto = true;
    e.cOrientation = QStringLiteral("6");
    a = ActivationPmVigs(e);
    EXPECT_TRUE(a.lEditerCriteres && a.lCouleurs && a.lAlbumImagesSelection && a.lOuvrirAvecVisible);
    // A turned image under the automatic orientation keeps its turns and mirrors disabled.
    EXPECT_FALSE(a.lRotationsMiroirs);
    e.cOrientation = QStringLiteral("1");
    EXPECT_TRUE(ActivationPmVigs(e).lRotationsMiroirs);
    // The web album needs one with folders; the current image on a CD goes to no image album.
    EXPECT_FALSE(ActivationPmVigs(e).lAlbumWEB);
    e.lAlbumsWEB = true;
    e.lSurCD = true;
    a = ActivationPmVigs(e);
    EXPECT_TRUE(a.lAlbumWEB && a.lAlbumWEBCourante && a.lAlbumWEBSelection);
    EXPECT_FALSE(a.lAlbumImagesCourante);
    // A missing companion disables the sound.
    e.lWav = false;
    EXPECT_FALSE(ActivationPmVigs(e).lMemoSonore);
    EXPECT_LT(RangPmVigs(QStringLiteral("miVigsEditCritImg")), RangPmVigs(QStringLiteral("miRotGauche")));
    EXPECT_LT(RangPmVigs(QStringLiteral("miCDC")), RangPmVigs(QStringLiteral("miVigsVigsEnreg")));
    EXPECT_EQ(RangPmVigs(QStringLiteral("inconnue")), OrdrePmVigs().size());
}

TEST(ProgrammeOuverture, LookedUpPerMimeType)
{
    TProgrammesOuverture p;
    QStringList Demandes;
    p.fnMime = [](const QString &c) {
        if (c.endsWith(QLatin1String(".png")))
            return QStringLiteral("image/png");
        return c.endsWith(QLatin1String(".CR2")) ? QStringLiteral("image/x-canon-cr2") : QStringLiteral("image/jpeg");
    };
    p.fnDefaut = [&](const QString &cMime) {
        Demandes.append(cMime);
        return cMime == QLatin1String("image/jpeg") ? QStringLiteral("visionneuse.desktop")
                                                    : QStringLiteral("brut.desktop");
    };
    p.fnEntree = [](const QString &cEntree) {
        if (cEntree == QLatin1String("visionneuse.desktop"))
            return QStringLiteral("[Desktop Entry]\nName=Viewer\nName[fr]=Visionneuse\nExec=visio --plein %U\n"
                                  "[Desktop Action Nouvelle]\nExec=visio --autre\n");
        return QStringLiteral("[Desktop Entry]\nName=Raw\nExec=\"/opt/dév brut/brut\" %f --x=100%%\n");
    };
    const TProgrammeOuverture j = p.Programme(QStringLiteral("/p/a.jpg"));
    EXPECT_EQ(j.cNom, QStringLiteral("Visionneuse"));
    EXPECT_EQ(j.Arguments(QStringLiteral("/p/a b.jpg")), QStringList({"visio", "--plein", "/p/a b.jpg"}));
    // A raw goes to its own program, not to the one found first.
    const TProgrammeOuverture r = p.Programme(QStringLiteral("/p/b.CR2"));
    EXPECT_EQ(r.cNom, QStringLiteral("Raw"));
    EXPECT_EQ(r.Arguments(QStringLiteral("/p/b.CR2")), QStringList({"/opt/dév brut/brut", "/p/b.CR2", "--x=100%"}));
    p.Programme(QStringLiteral("/p/c.jpg"));
    EXPECT_EQ(Demandes, QStringList({"image/jpeg", "image/x-canon-cr2"}));

    // No default application, or an entry without Exec: no program.
    p.fnDefaut = [](const QString &) { return QString(); };
    EXPECT_FALSE(p.Programme(QStringLiteral("/p/d.png")).Valide());
    EXPECT_FALSE(LitEntreeBureau(QStringLiteral("[Desktop Entry]\nName=X\n")));
    // An Exec line without a field code gets the file at its end.
    TProgrammeOuverture s;
    s.Commande = DecoupeExec(QStringLiteral("prog -a"));
    EXPECT_EQ(s.Arguments(QStringLiteral("/f.jpg")), QStringList({"prog", "-a", "/f.jpg"}));
}

#include "BancSuppressionFm.h"
#include "publishing/AlbumWEB_fm.h"
#include "publishing/ApercuAlbumWEB_fm.h"
#include "support/Fichiers.h"

#include <QButtonGroup>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>

namespace
{
using AlbumWEBApercuFm = BancSuppressionFm;

QColor CouleurQt(quint32 n)
{
    return QColor(int(n & 0xFF), int((n >> 8) & 0xFF), int((n >> 16) & 0xFF));
}
} // namespace

TEST_F(AlbumWEBApercuFm, ThePreviewLivesWithTheAlbumWindowAndFollowsTheContentKind)
{
    TSourceDonneesAW S;
    S.nSource = saListeImages;
    for (int i = 0; i < 12; ++i) {
        TEnrLstAW l;
        l.EnrLV.cChemin = cRacine + QStringLiteral("/liste/%1.jpg").arg(i);
        EcritFichier(l.EnrLV.cChemin, "x");
        S.lstImages << l;
    }
    TInterfaceAlbumWEB I;
    I.pOperations = Operations.get();
    TfmAlbumWEB F(*Contexte, ParamsAlbumWEB(*Contexte), I);
    ASSERT_TRUE(F.InitAlbumWEB(S));
    F.FormShow();
    EXPECT_EQ(F.Apercu(), nullptr);
    F.show();
    QPointer<TfmAlbumWEBApercu> A = F.Apercu();
    ASSERT_TRUE(A);
    EXPECT_TRUE(A->isVisible());
    EXPECT_TRUE(A->windowFlags() & Qt::Tool);
    EXPECT_FALSE(A->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(A->windowTitle(), QStringLiteral("Aperçu de l'album WEB"));
    const QRect rEcran = F.screen()->availableGeometry();
    EXPECT_EQ(A->pos(), rEcran.topLeft());
    EXPECT_EQ(A->width(), std::max(300, rEcran.width() - F.frameGeometry().width()));
    EXPECT_EQ(A->HauteurPleine(), 600);
    // Links to images (the default) show both panes at full height, any other kind halves it.
    EXPECT_EQ(A->height(), 600);
    Capture(QStringLiteral("apercu-album-web.png"));
    F.bgContAlbum->button(caFrames)->click();
    EXPECT_EQ(A->height(), 300);
    EXPECT_FALSE(A->Geometrie().lVoletBas);
    F.bgContAlbum->button(caVignettesEtLiens)->click();
    EXPECT_EQ(A->height(), 600);
    // The rows box reaches the drawing too.
    F.edNbLig->setValue(2);
    F.edNbLigChange();
    ASSERT_EQ(F.edNbCol->value(), 6);
    EXPECT_EQ(A->Geometrie().Vignettes.Cellules.size(), 12);

    // Neither the user nor the window manager closes it; the album window frees it.
    EXPECT_FALSE(A->close());
    EXPECT_TRUE(A->isVisible());
    F.hide();
    EXPECT_FALSE(A);
    EXPECT_EQ(F.Apercu(), nullptr);
}

TEST_F(AlbumWEBApercuFm, FiftyRowsOfThreeDrawTenRowsOfThreeCells)
{
    QWidget Album;
    Album.resize(400, 300);
    TfmAlbumWEBApercu A(&Album);
    A.Montre();
    TOptionsAlbumWEB O;
    O.nAWContAlbum = caVignettesSeules;
    O.nAWNbCol = 3;
    O.lAWAffNom = false;
    A.RafraichirApercu(O, 50);
    const QImage Image = A.grab().toImage();
    const QPoint Origine = A.Geometrie().Vignettes.rPlace.topLeft();
    const QColor Cellule = CouleurQt(O.nAWCoulFondVigImg);
    const QColor Fond = CouleurQt(O.nAWCoulFondFenetre);
    // Inside each box, left of its picture mark: the cell colour; past the last row or column:
    // the window colour.
    for (int r = 0; r <= 10; ++r)
        for (int c = 0; c <= 3; ++c) {
            const QPoint p = Origine + QPoint(c * 50 + 7, r * 50 + 30);
            if (p.y() >= Image.height())
                continue;
            EXPECT_EQ(Image.pixelColor(p), (r < 10 && c < 3) ? Cellule : Fond) << r << " " << c;
        }
    // The mark of the first cell: black inside, yellow edge.
    EXPECT_EQ(Image.pixelColor(Origine + QPoint(30, 20)), QColor(Qt::black));
    EXPECT_EQ(Image.pixelColor(Origine + QPoint(10, 30)), QColor(Qt::yellow));
    // The title strip takes the active caption's colour.
    EXPECT_EQ(Image.pixelColor(A.Geometrie().rTitreHaut.bottomRight() - QPoint(1, 1)),
              A.palette().color(QPalette::Active, QPalette::Highlight));
}

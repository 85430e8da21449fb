#include "components/BullesBalisees.h"

#include "components/PaneledListView.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

namespace
{
// Asks a widget for its hint as the mouse resting over it would, and gives what is shown.
QString BulleMontree(QWidget *w, QPoint p = QPoint(2, 2))
{
    QToolTip::hideText();
    QHelpEvent Aide(QEvent::ToolTip, p, w->mapToGlobal(p));
    QApplication::sendEvent(w, &Aide);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}
} // namespace

TEST(BullesBalisees, MarkedUpHintsShowStyledAndPlainOnesUnchanged)
{
    InstalleBullesBalisees(qApp);
    InstalleBullesBalisees(qApp); // a second call adds nothing
    EXPECT_EQ(qApp->findChildren<TBullesBalisees *>(QString(), Qt::FindDirectChildrenOnly).size(), 1);

    QWidget Fenetre;
    auto *Etiquette = new QLabel("v 1.44", &Fenetre);
    Etiquette->setToolTip(QString::fromUtf8("Vimbrel est en mode <SG>Mise à jour</SG/>"));
    auto *Simple = new QLabel("x", &Fenetre);
    Simple->move(0, 40);
    Simple->setToolTip("Rome & Florence");
    Fenetre.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Fenetre));

    const QString cMontree = BulleMontree(Etiquette);
    EXPECT_TRUE(cMontree.contains(QString::fromUtf8("<b>Mise à jour</b>"))) << cMontree.toStdString();
    EXPECT_FALSE(cMontree.contains("<SG>"));
    EXPECT_EQ(BulleMontree(Simple), "Rome & Florence");
    QToolTip::hideText();
}

TEST(BullesBalisees, ThumbnailHintsShowStyled)
{
    TPaneledListView Grille;
    Grille.resize(400, 300);
    Grille.set_ItemDim(100);
    TPLVListItem *p = Grille.Ajoute();
    Grille.MetBulle(p, "/photos/\r\n<SG>a.jpg</SG/> <SS>[640x480]</SS/>");
    Grille.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Grille));
    const QString cMontree = BulleMontree(Grille.viewport(), Grille.rPanneau(0).center());
    EXPECT_TRUE(cMontree.contains("<b>a.jpg</b>")) << cMontree.toStdString();
    EXPECT_TRUE(cMontree.contains("<u>[640x480]</u>"));
    QToolTip::hideText();
}

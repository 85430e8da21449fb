// The batch form of the verified copy: checked afterwards, once for the whole batch.
#include "publishing/CopieVerifiee.h"

#include "support/Fichiers.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

TEST(CopieVerifieeLot, DamageShowsOnlyInTheLaterComparison)
{
    QTemporaryDir Tmp;
    const QString cSource = Tmp.filePath("a.jpg");
    QByteArray Contenu(2 * 1024 * 1024 + 5, 'x');
    ASSERT_TRUE(EcritFichier(cSource, Contenu));
    TOptionsCopie Options;
    Options.lDifferee = true;

    // A sound copy is named at once and compares equal.
    ASSERT_TRUE(CopieVerifiee(cSource, Tmp.filePath("b.jpg"), Options).lOk);
    EXPECT_TRUE(CompareCopie(Tmp.filePath("b.jpg"), cSource).lOk);

    // A copy the disk damaged still gets its name; the comparison finds it.
    Options.fnApresEcriture = [](const QString &cTemporaire) {
        QFile f(cTemporaire);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(1024 * 1024 + 3);
        f.putChar('y');
    };
    ASSERT_TRUE(CopieVerifiee(cSource, Tmp.filePath("c.jpg"), Options).lOk);
    const TResultatCopie r = CompareCopie(Tmp.filePath("c.jpg"), cSource);
    EXPECT_FALSE(r.lOk);
    EXPECT_EQ(r.nErrno, EIO);
    EXPECT_EQ(r.cErreur, TexteCopieDifferente());
    // A shorter copy is different too, and a missing one says why.
    ASSERT_TRUE(EcritFichier(Tmp.filePath("d.jpg"), Contenu.left(100)));
    EXPECT_FALSE(CompareCopie(Tmp.filePath("d.jpg"), cSource).lOk);
    EXPECT_EQ(CompareCopie(Tmp.filePath("absent.jpg"), cSource).nErrno, ENOENT);

    // The batch form never replaces a file either.
    Options.fnApresEcriture = {};
    EXPECT_EQ(CopieVerifiee(cSource, Tmp.filePath("b.jpg"), Options).nErrno, EEXIST);
}

#include "platform/DesktopEntry.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(DesktopEntry, InstallQueryRemove)
{
    QTemporaryDir Temp;
    const QString cApplications = Temp.filePath("share/applications");
    EXPECT_FALSE(VerbeDossierInstalle(cApplications, "Vimbrel"));
    ASSERT_TRUE(InstalleVerbeDossier(cApplications, "Vimbrel", "/opt/mes programmes/vimbrel"));
    EXPECT_TRUE(VerbeDossierInstalle(cApplications, "Vimbrel"));
    // Another product's verb is another entry.
    EXPECT_FALSE(VerbeDossierInstalle(cApplications, "Autre"));

    QFile F(FichierVerbeDossier(cApplications, "Vimbrel"));
    ASSERT_TRUE(F.open(QIODevice::ReadOnly));
    const QString cTexte = QString::fromUtf8(F.readAll());
    EXPECT_TRUE(cTexte.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(cTexte.contains("\nName=Lire avec Vimbrel\n"));
    EXPECT_TRUE(cTexte.contains("\nMimeType=inode/directory;\n"));
    EXPECT_TRUE(cTexte.contains("\nExec=\"/opt/mes programmes/vimbrel\" %f\n"));
    EXPECT_TRUE(cTexte.contains("\nType=Application\n"));

    EXPECT_TRUE(SupprimeVerbeDossier(cApplications, "Vimbrel"));
    EXPECT_FALSE(VerbeDossierInstalle(cApplications, "Vimbrel"));
    // Removing what is not there is not a failure.
    EXPECT_TRUE(SupprimeVerbeDossier(cApplications, "Vimbrel"));
}

TEST(DesktopEntry, ExecArgumentsAreQuotedByTheFormatsRules)
{
    EXPECT_EQ(ArgumentExecDesktop("/usr/bin/vimbrel"), "/usr/bin/vimbrel");
    EXPECT_EQ(ArgumentExecDesktop("/a b/vimbrel"), "\"/a b/vimbrel\"");
    // Inside quotes '"', '`', '$' and '\' take a backslash, which the string escaping of
    // the file doubles; '%' is doubled as a field code.
    EXPECT_EQ(ArgumentExecDesktop("/x\"y"), "\"/x\\\\\"y\"");
    EXPECT_EQ(ArgumentExecDesktop("/x$y"), "\"/x\\\\$y\"");
    EXPECT_EQ(ArgumentExecDesktop("/100%/v"), "\"/100%%/v\"");
}

// The audit as a word processor reads it back: the RTF of a report holding every awkward
// character, converted to text by a headless office suite, gives the report's own lines.

#include "classification/Audit.h"
#include "classification/IndexClassement.h"
#include "platform/EcritRTF.h"
#include "storage/BigIniFiles.h"
#include "storage/Sections.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
const QString cBizarre = QStringLiteral("{a} \\b\\ \tc é€œ’ 日本語 😀 fin");

// A report of every section and rubric whose names, paths, keywords and legends hold them.
QList<TParagrapheRTF> RapportBizarre(const QString &cDossier)
{
    TBigIniFile iniBDD{QString(), true}, iniSetup{QString()};
    iniBDD.lAutoSave = iniSetup.lAutoSave = false;
    const QString cCle = cDossier + QStringLiteral("/{dossier} é€/日本 😀\\x.jpg");
    const QString cCritere = QStringLiteral("Lieux {é}/Tokyo 日本");
    iniBDD.WriteString(cCle, cCritere, QString());
    iniSetup.WriteString(cSectionMotsCles, cCle, QStringLiteral("mer€ {plage} 😀"));
    iniSetup.WriteString(cSectionLegendes, cCle, cBizarre);
    iniSetup.WriteString(cSectionNegatif, cCle, QStringLiteral("1"));
    TIndexClassement Index(iniBDD, iniSetup);
    TDonneesAuditStores Donnees(iniBDD, iniSetup, Index, cDossier + QStringLiteral("/vignettes/"));
    TSourceAudit s;
    s.cDossierDonnees = cDossier + QStringLiteral("/données {1}\\");
    s.Criteres = {{QStringLiteral("Lieux {é}"), 0, QStringLiteral("Lieux {é}")},
                  {QStringLiteral("Tokyo 日本"), 1, cCritere}};
    s.MotsClesPresents = Donnees.GroupesMotsCles();
    s.MotsClesEnregistres = {QStringLiteral("MER€ {PLAGE}")};
    s.RecherchesEnregistrees = {QStringLiteral("R&1")};
    s.fnRechercheEnregistree = [&](const QString &) {
        TDemandeRecherche d;
        d.CritCoches = {cCritere};
        d.cLegende = cBizarre;
        return d;
    };
    s.fnImagesGroupe = [&](TRubriqueAudit r, const QString &g) { return Donnees.ImagesGroupe(r, g); };
    s.fnDetails = [&](const TEnrNomImg &e, const TOptionsAudit &o) {
        TDetailsImageAudit d = Donnees.Details(e, o);
        d.cEXIF = QStringLiteral("\r\nAPPAREIL : Ca{n}on\r\nCOMMENTAIRE : ") + cBizarre;
        d.cTraitements = QStringLiteral("\r\nNégatif");
        return d;
    };
    TOptionsAudit o;
    o.lAffIPTC = o.lAffAlbImg = o.lAffAlbWHP = false;
    TSelectionsAudit Sel;
    Sel[TRubriqueAudit::Traitement] = {Donnees.GroupesTraitements(), Donnees.GroupesTraitements()};
    Sel[TRubriqueAudit::Critere] = {{QStringLiteral("Lieux {é}")}, {QStringLiteral("Lieux {é}")}};
    Sel[TRubriqueAudit::MotCle] = {s.MotsClesPresents, s.MotsClesPresents};
    QList<TParagrapheRTF> p;
    ComposeAudit(s, o, Sel, p);
    return p;
}
} // namespace

TEST(AuditRTF, OfficeSuiteReadsBackTheReportsText)
{
    const QString cSoffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (cSoffice.isEmpty())
        GTEST_SKIP() << "soffice is not installed (libreoffice-writer-nogui)";
    QTemporaryDir Temp;
    const QList<TParagrapheRTF> p = RapportBizarre(Temp.path());
    const QString cRtf = Temp.filePath(QStringLiteral("audit.rtf"));
    QString cErreur;
    ASSERT_TRUE(EnregistreRTF(cRtf, RTFDeParagraphes(p), &cErreur)) << cErreur.toStdString();
    const QString cGarde = qEnvironmentVariable("VIMBREL_GARDE_AUDIT_RTF");
    if (!cGarde.isEmpty())
        QFile::copy(cRtf, cGarde);

    QProcess Office;
    // A profile of its own: a suite already running for the user would take the job and exit.
    Office.start(cSoffice, {QStringLiteral("-env:UserInstallation=file://") + Temp.filePath(QStringLiteral("profil")),
                            QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                            QStringLiteral("txt:Text (encoded):UTF8"), QStringLiteral("--outdir"), Temp.path(), cRtf});
    ASSERT_TRUE(Office.waitForFinished(60000));
    QFile f(Temp.filePath(QStringLiteral("audit.txt")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << Office.readAllStandardError().toStdString();
    QString cLu = QString::fromUtf8(f.readAll());
    if (cLu.startsWith(QChar(0xFEFF)))
        cLu.remove(0, 1);
    QStringList Lus = cLu.split(QRegularExpression(QStringLiteral("\r\n|\n")));
    QStringList Attendus = TexteDeParagraphes(p).split(QLatin1Char('\n'));
    while (!Lus.isEmpty() && Lus.last().isEmpty())
        Lus.removeLast();
    while (!Attendus.isEmpty() && Attendus.last().isEmpty())
        Attendus.removeLast();
    // The text export writes an indent and a bullet before each list item.
    const QRegularExpression Puce(QStringLiteral("^\\s*•\\s"));
    int nPuces = 0;
    for (QString &c : Lus)
        if (c.contains(Puce)) {
            c.remove(Puce);
            ++nPuces;
        }
    EXPECT_EQ(nPuces, std::count_if(p.begin(), p.end(), [](const TParagrapheRTF &q) { return q.lPuce; }));
    ASSERT_EQ(Lus.size(), Attendus.size());
    for (qsizetype i = 0; i < Lus.size(); ++i)
        EXPECT_EQ(Lus[i], Attendus[i]) << "line " << i;
    EXPECT_TRUE(Attendus.contains(cBizarre));
}

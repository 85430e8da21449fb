#include "platform/EcritRTF.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace
{

TParagrapheRTF Paragraphe(const QString &sTexte, bool lGras = false, bool lSouligne = false, double rTaille = 8.0)
{
    TParagrapheRTF Par;
    Par.lstSegments.append(TSegmentRTF{sTexte, rTaille, lGras, lSouligne});
    return Par;
}

// The body of the one paragraph, from its opening to its end.
QByteArray CorpsDe(const QByteArray &baRTF)
{
    const qsizetype nDebut = baRTF.indexOf("\\pard");
    const qsizetype nFin = baRTF.lastIndexOf("\\par\n");
    return baRTF.mid(nDebut, nFin - nDebut);
}

bool SeptBits(const QByteArray &ba)
{
    for (char c : ba)
        if (static_cast<unsigned char>(c) > 0x7F)
            return false;
    return true;
}

} // namespace

TEST(EcritRTF, EscapesSpecialsAndDropsControlCharacters)
{
    const QByteArray baRTF = RTFDeParagraphes({Paragraphe(QString::fromUtf8("a\\b{c}d\x01"
                                                                            "e\tf\ng\r\nh\x1B"
                                                                            "i"))});
    EXPECT_TRUE(baRTF.startsWith("{\\rtf1"));
    EXPECT_TRUE(baRTF.endsWith("}\n"));
    EXPECT_TRUE(CorpsDe(baRTF).endsWith("a\\\\b\\{c\\}de\\tab f\\line g\\line hi")) << CorpsDe(baRTF).constData();
    // Braces balance, counting only unescaped ones.
    int nNiveau = 0;
    for (qsizetype i = 0; i < baRTF.size(); ++i) {
        if (baRTF[i] == '\\') {
            ++i;
            continue;
        }
        if (baRTF[i] == '{')
            ++nNiveau;
        else if (baRTF[i] == '}')
            --nNiveau;
        ASSERT_GE(nNiveau, 0);
    }
    EXPECT_EQ(nNiveau, 0);
}

TEST(EcritRTF, WritesNonAsciiAsSignedUnicodeWithSurrogates)
{
    // é, €, a private-use character above 0x7FFF (negative), then U+1F600 as two surrogates.
    QString sTexte = QString::fromUtf8("\xC3\xA9\xE2\x82\xAC") + QChar(0xF8FF) + QString::fromUtf8("\xF0\x9F\x98\x80");
    // A lone high surrogate and a lone low one are dropped.
    sTexte += QChar(0xD800);
    sTexte += u'x';
    sTexte += QChar(0xDC00);
    const QByteArray baRTF = RTFDeParagraphes({Paragraphe(sTexte)}, QString::fromUtf8("Déjà;Vu"));
    EXPECT_TRUE(SeptBits(baRTF));
    EXPECT_TRUE(CorpsDe(baRTF).endsWith("\\u233\\'3f\\u8364\\'3f\\u-1793\\'3f\\u-10179\\'3f\\u-8704\\'3fx"))
        << CorpsDe(baRTF).constData();
    EXPECT_TRUE(baRTF.contains("\\fcharset0 D\\u233\\'3fj\\u224\\'3fVu;}")) << baRTF.constData();
}

TEST(EcritRTF, WritesLooksAlignmentsIndentsAndBullets)
{
    TParagrapheRTF Titre = Paragraphe(QStringLiteral("Titre"), true, false, 10.0);
    Titre.nAlignement = TAlignementRTF::Centre;
    TParagrapheRTF Ligne = Paragraphe(QStringLiteral("Nom :"), false, true, 8.0);
    Ligne.lstSegments.append(TSegmentRTF{QStringLiteral(" valeur"), 7.5, false, false});
    Ligne.nRetraitGauche = 720;
    Ligne.nRetraitPremiereLigne = -360;
    Ligne.nAlignement = TAlignementRTF::Justifie;
    TParagrapheRTF Puce = Paragraphe(QStringLiteral("point"));
    Puce.lPuce = true;
    Puce.nAlignement = TAlignementRTF::Droite;
    const QByteArray baRTF = RTFDeParagraphes({Titre, Ligne, Puce, TParagrapheRTF()});
    // The look is said where it changes and holds across paragraphs.
    EXPECT_TRUE(baRTF.contains("\\pard\\qc\\fs20\\b Titre\\par\n")) << baRTF.constData();
    EXPECT_TRUE(baRTF.contains("\\pard\\qj\\fi-360\\li720\\fs16\\b0\\ul Nom :\\fs15\\ulnone  valeur\\par\n"))
        << baRTF.constData();
    EXPECT_TRUE(baRTF.contains("\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}\\qr"
                               "\\fs16 point\\par\n"))
        << baRTF.constData();
    // The empty paragraph still makes its line.
    EXPECT_TRUE(baRTF.endsWith("\\pard \\par\n}\n"));
    // An empty line keeps the height of its run's size.
    EXPECT_TRUE(RTFDeParagraphes({Paragraphe(QString(), true, false, 12.0), Paragraphe(QStringLiteral("x"))})
                    .contains("\\pard\\fs24\\b \\par\n\\pard\\fs16\\b0 x\\par\n"));
    EXPECT_TRUE(baRTF.contains("{\\f1\\fnil\\fcharset2 Symbol;}"));
}

TEST(EcritRTF, ReadsParagraphsOfADocument)
{
    QTextDocument doc;
    QFont Police(QStringLiteral("DejaVu Sans"));
    Police.setPointSizeF(9);
    doc.setDefaultFont(Police);
    doc.setHtml(QStringLiteral("<p align=\"center\"><b style=\"font-size:10pt\">1) a.jpg :</b></p>"
                               "<p style=\"margin-left:20px; text-indent:-10px\"><u>Nom</u> : x<br>y</p>"
                               "<ul><li>puce</li></ul>"));
    const QList<TParagrapheRTF> lstPar = ParagraphesDeDocument(doc);
    ASSERT_EQ(lstPar.size(), 3);
    EXPECT_EQ(lstPar[0].nAlignement, TAlignementRTF::Centre);
    ASSERT_EQ(lstPar[0].lstSegments.size(), 1);
    EXPECT_TRUE(lstPar[0].lstSegments[0].lGras);
    EXPECT_DOUBLE_EQ(lstPar[0].lstSegments[0].rTaille, 10.0);

    EXPECT_EQ(lstPar[1].nRetraitGauche, 300);
    EXPECT_EQ(lstPar[1].nRetraitPremiereLigne, -150);
    ASSERT_EQ(lstPar[1].lstSegments.size(), 2);
    EXPECT_TRUE(lstPar[1].lstSegments[0].lSouligne);
    EXPECT_FALSE(lstPar[1].lstSegments[0].lGras);
    EXPECT_FALSE(lstPar[1].lstSegments[1].lSouligne);
    EXPECT_DOUBLE_EQ(lstPar[1].lstSegments[1].rTaille, 9.0); // the document's default
    EXPECT_EQ(lstPar[1].lstSegments[1].sTexte, QStringLiteral(" : x\ny"));

    EXPECT_TRUE(lstPar[2].lPuce);
    EXPECT_GT(lstPar[2].nRetraitGauche, 0);
    EXPECT_LT(lstPar[2].nRetraitPremiereLigne, 0);
    EXPECT_FALSE(lstPar[0].lPuce || lstPar[1].lPuce);

    EXPECT_EQ(TexteDeParagraphes(lstPar), QStringLiteral("1) a.jpg :\nNom : x\ny\npuce\n"));
    const QByteArray baRTF = RTFDeDocument(doc);
    EXPECT_TRUE(baRTF.contains("\\fcharset0 DejaVu Sans;}"));
    // Underline ends where the underlined fragment does.
    EXPECT_TRUE(QString::fromLatin1(baRTF).contains(
        QRegularExpression(QStringLiteral("\\\\ul Nom(\\\\fs1[68])?\\\\ulnone  : x"))))
        << baRTF.constData();
    EXPECT_TRUE(baRTF.contains("x\\line y"));
}

TEST(EcritRTF, SavesAtomicallyAndReadsBackThroughUnrtf)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QTextDocument doc;
    QTextCursor Curseur(&doc);
    QTextCharFormat Gras;
    Gras.setFontWeight(QFont::Bold);
    Gras.setFontPointSize(10);
    Curseur.insertText(QStringLiteral("1) plage.jpg :"), Gras);
    Curseur.insertBlock();
    QTextCharFormat Souligne;
    Souligne.setFontUnderline(true);
    Curseur.insertText(QStringLiteral("Légende :"), Souligne);
    Curseur.insertText(QStringLiteral(" Été {à} Noël \\ 5 €"), QTextCharFormat());

    const QString cFichier = dir.filePath(QStringLiteral("rapport.rtf"));
    QString sErreur;
    ASSERT_TRUE(EnregistreRTF(cFichier, RTFDeDocument(doc), &sErreur)) << sErreur.toStdString();
    QFile f(cFichier);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), RTFDeDocument(doc));

    // A folder that does not exist: refused with a reason, nothing left behind.
    const QString cManque = dir.filePath(QStringLiteral("absent/rapport.rtf"));
    EXPECT_FALSE(EnregistreRTF(cManque, "x", &sErreur));
    EXPECT_FALSE(sErreur.isEmpty());

    const QString cUnrtf = QStandardPaths::findExecutable(QStringLiteral("unrtf"));
    if (cUnrtf.isEmpty())
        GTEST_SKIP() << "unrtf absent: install it (scripts/setup) to read the file back";
    QProcess Texte;
    Texte.start(cUnrtf, {QStringLiteral("--text"), cFichier});
    ASSERT_TRUE(Texte.waitForFinished(30000));
    const QString sTexte = QString::fromUtf8(Texte.readAllStandardOutput());
    EXPECT_TRUE(sTexte.contains(QStringLiteral("1) plage.jpg :"))) << sTexte.toStdString();
    // The text reading shows characters beyond ASCII as one placeholder each: none is lost.
    EXPECT_TRUE(sTexte.contains(QRegularExpression(QStringLiteral("L.gende : .t. \\{.\\} No.l \\\\ 5 .\n"))))
        << sTexte.toStdString();

    // The HTML reading shows bold and underline where they were put.
    QProcess Html;
    Html.start(cUnrtf, {QStringLiteral("--html"), cFichier});
    ASSERT_TRUE(Html.waitForFinished(30000));
    const QString sHtml = QString::fromUtf8(Html.readAllStandardOutput());
    EXPECT_TRUE(sHtml.contains(QRegularExpression(QStringLiteral("<b>[^<]*1\\) plage.jpg :")))) << sHtml.toStdString();
    EXPECT_TRUE(sHtml.contains(QRegularExpression(QStringLiteral("<u>L(é|&eacute;)gende :</u>"))))
        << sHtml.toStdString();
    EXPECT_TRUE(sHtml.contains(QRegularExpression(QStringLiteral("(É|&Eacute;)t(é|&eacute;) \\{(à|&agrave;)\\} "
                                                                 "No(ë|&euml;)l \\\\ 5 (€|&euro;)"))))
        << sHtml.toStdString();
}

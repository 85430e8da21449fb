#include "components/Francais.h"

#include "components/MessagesQt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>
#include <gtest/gtest.h>

namespace
{
QString SansEsperluette(QString c)
{
    return c.remove(QLatin1Char('&'));
}

// Qt's translation for the duration of one test, so that the other tests see Qt as it starts.
struct FrancaisTest : ::testing::Test
{
    QTranslator *Traduction = nullptr;
    QLocale Avant;
    void SetUp() override { Traduction = InstalleFrancais(qApp); }
    void TearDown() override
    {
        if (Traduction) {
            QCoreApplication::removeTranslator(Traduction);
            delete Traduction;
        }
        QLocale::setDefault(Avant);
    }
};
} // namespace

TEST_F(FrancaisTest, QtStandardTextsAreFrench)
{
    ASSERT_NE(Traduction, nullptr) << "qtbase_fr introuvable : le paquet des traductions de Qt manque";
    EXPECT_EQ(QLocale().language(), QLocale::French);
    EXPECT_EQ(QLocale().toString(2.5, 'f', 1), "2,5");

    QDialogButtonBox Boutons(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    EXPECT_EQ(SansEsperluette(Boutons.button(QDialogButtonBox::Save)->text()), "Enregistrer");
    EXPECT_EQ(SansEsperluette(Boutons.button(QDialogButtonBox::Cancel)->text()), "Annuler");

    // The file dialog drawn by Qt itself, as on a desktop without a platform dialog.
    QFileDialog Dialogue(nullptr, "Sauvegarder");
    Dialogue.setOption(QFileDialog::DontUseNativeDialog);
    Dialogue.setAcceptMode(QFileDialog::AcceptSave);
    auto *Boite = Dialogue.findChild<QDialogButtonBox *>();
    ASSERT_NE(Boite, nullptr);
    EXPECT_EQ(SansEsperluette(Boite->button(QDialogButtonBox::Cancel)->text()), "Annuler");
    auto *NomFichier = Dialogue.findChild<QLabel *>("fileNameLabel");
    ASSERT_NE(NomFichier, nullptr);
    EXPECT_TRUE(SansEsperluette(NomFichier->text()).startsWith("Nom de fichier")) << NomFichier->text().toStdString();
    // The kind of a folder in its detailed view, which Qt's own translation lacks.
    EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", "Folder"), "Dossier");
    EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", "Drive"), "Lecteur");
}

// The helper's question: its own "&Oui" and "&Non", No the default unless asked otherwise, Esc
// answering No.
TEST_F(FrancaisTest, QuestionsOfTheHelperHaveOuiAndNonWithNonTheDefault)
{
    TMessagesQt Messages;
    struct TVu
    {
        QString cTitre, cTexte;
        QStringList Boutons;
        QString cDefaut;
    } Vu;
    const auto Observe = [&Vu](const char *cClique) {
        QTimer::singleShot(0, [&Vu, cClique] {
            auto *Boite = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!Boite)
                return;
            Vu.cTitre = Boite->windowTitle();
            Vu.cTexte = Boite->text();
            Vu.Boutons.clear();
            for (QAbstractButton *b : Boite->buttons())
                Vu.Boutons << b->text();
            Vu.cDefaut = Boite->defaultButton() ? Boite->defaultButton()->text() : QString();
            for (QAbstractButton *b : Boite->buttons())
                if (b->text() == QLatin1String(cClique))
                    b->click();
        });
    };

    Observe("&Oui");
    EXPECT_TRUE(Messages.Question(nullptr, "Quitter Vimbrel ?"));
    EXPECT_EQ(Vu.cTitre, "Attention");
    EXPECT_EQ(Vu.cTexte, "Quitter Vimbrel ?");
    Vu.Boutons.sort();
    EXPECT_EQ(Vu.Boutons, (QStringList{"&Non", "&Oui"}));
    EXPECT_EQ(Vu.cDefaut, "&Non");

    Observe("&Non");
    EXPECT_FALSE(Messages.Question(nullptr, "Interrompre le traitement ?", true));
    EXPECT_EQ(Vu.cDefaut, "&Oui");
}

// The program entry: one running program per user, the splash window while the main window
// is created, then the event loop until the main window closes.

#include "components/Francais.h"
#include "components/MarkupHint.h"
#include "components/MessagesQt.h"
#include "components/StyleBarres.h"
#include "imaging/FileKinds.h"
#include "thumbnails/ThumbnailCache.h"
#include "mainwindow/Demarrage_fm.h"
#include "mainwindow/MainKX_fm.h"
#include "metadata/InfoCommande.h"
#include "platform/SignauxArret.h"
#include "platform/SingleInstance.h"
#include "platform/Volumes.h"
#include "storage/Contexte.h"
#include "storage/DeplacementDonnees.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

namespace
{

struct TArguments
{
    QStringList cdSimules;     // values of --cd-simule
    QStringList cFichiersInfo; // files after --info
    bool lInfo = false;
    QString cCapture;      // --capture FILE
    QStringList cDossiers; // folders to open (at most one is taken)
    QString cErreur;
};

TArguments AnalyseArguments(const QStringList &Arguments)
{
    TArguments A;
    A.cdSimules = ValeursCdSimule(Arguments);
    for (qsizetype i = 1; i < Arguments.size(); ++i) {
        const QString &c = Arguments.at(i);
        if (A.lInfo) {
            A.cFichiersInfo << c;
        } else if (c == QLatin1String("--info")) {
            A.lInfo = true;
        } else if (c == QLatin1String("--cd-simule")) {
            ++i; // its value was taken by ValeursCdSimule
        } else if (c.startsWith(QLatin1String("--cd-simule="))) {
            continue;
        } else if (c == QLatin1String("--capture")) {
            if (++i >= Arguments.size()) {
                A.cErreur = QStringLiteral("--capture demande un nom de fichier.");
                return A;
            }
            A.cCapture = Arguments.at(i);
        } else if (c.startsWith(QLatin1String("--capture="))) {
            A.cCapture = c.mid(10);
        } else if (c == QLatin1String("--")) {
            A.cDossiers << Arguments.mid(i + 1);
            break;
        } else if (c.startsWith(QLatin1String("--"))) {
            A.cErreur = QStringLiteral("Option inconnue : %1").arg(c);
            return A;
        } else {
            A.cDossiers << c;
        }
    }
    return A;
}

int Info(const TArguments &A)
{
    QTextStream Sortie(stdout);
    return ExecuteInfo(A.cFichiersInfo, Sortie);
}

} // namespace

int main(int argc, char **argv)
{
    QStringList Arguments;
    for (int i = 0; i < argc; ++i)
        Arguments << QString::fromLocal8Bit(argv[i]);
    const TArguments A = AnalyseArguments(Arguments);
    if (!A.cErreur.isEmpty()) {
        QTextStream(stderr) << "vimbrel : " << A.cErreur << "\n"
                            << "Usage : vimbrel [--cd-simule DOSSIER=SERIE[:LABEL]]... [--capture FICHIER] [DOSSIER]\n"
                            << "        vimbrel --info FICHIER...\n";
        return 2;
    }
    if (A.lInfo) {
        QCoreApplication Application(argc, argv);
        return Info(A);
    }

    QApplication Application(argc, argv);
    InstalleFrancais(&Application);
    // Every hint of every window, the first included, is drawn by the program's hint window.
    InstalleMarkupHint(&Application);
    // Scroll bars whose thumb stands out from the page beside it, whatever the style.
    InstalleStyleBarres(&Application);
    QApplication::setApplicationName(QStringLiteral("Vimbrel"));
    QApplication::setApplicationVersion(QStringLiteral("1.44"));

    // Exactly one folder argument is the folder to open first; it travels as an absolute
    // path, since a running program has a working folder of its own.
    QString cDossier;
    if (A.cDossiers.size() == 1)
        cDossier = QFileInfo(A.cDossiers.first()).absoluteFilePath();
    else if (A.cDossiers.size() > 1)
        QTextStream(stderr) << "vimbrel : un seul dossier peut être donné ; aucun n'est ouvert.\n";

    // One program per user, decided before anything is read.
    TInstanceUnique Instance(TInstanceUnique::DossierExecutionParDefaut());
    const TInstanceUnique::TResultat Resultat = Instance.Demarre(cDossier);
    if (Resultat == TInstanceUnique::TResultat::Transmis)
        return 0;
    if (Resultat == TInstanceUnique::TResultat::Injoignable) {
        QTextStream(stderr) << "vimbrel : Vimbrel est déjà lancé mais ne répond pas.\n";
        return 1;
    }

    TContexte Contexte(TEmplacementsConfig::DuSysteme(), QCoreApplication::applicationDirPath(),
                       CreeVolumes(A.cdSimules));
    // A capture runs where nobody can answer a box: its messages go to the error stream.
    if (A.cCapture.isEmpty())
        Contexte.Messages = std::make_unique<TMessagesQt>();
    else
        Contexte.Messages = std::make_unique<TMessagesSansUtilisateur>();
    // A move of the data folder that a crash interrupted is undone, or its deletion finished,
    // before the data folder is chosen.
    if (const TResultatDeplacement Reprise = RepriseDeplacement(Contexte.Emplacements); !Reprise.cMessage.isEmpty())
        Contexte.Messages->Attention(nullptr, Reprise.cMessage);
    if (!Contexte.PrendDossierDonnees())
        return 1;

    // The clean-up reads cache names the way the cache writes them; only thumbnails of image
    // files not on a CD are judged there.
    Contexte.fnImageDeVignette = [&Contexte](const QString &cNom) {
        return ImageDeVignette(Contexte.Dossiers.cDossierVignettes, cNom);
    };

    auto *fmDemarrage = new TfmDemarrage;
    fmDemarrage->show();
    QApplication::processEvents();

    TfmMainKX fmMainKX(Contexte);
    fmMainKX.cDossierArgument = cDossier;
    fmMainKX.FormCreate(fmDemarrage);
    fmDemarrage->hide();
    delete fmDemarrage;

    QObject::connect(&Instance, &TInstanceUnique::DossierRecu, &fmMainKX, &TfmMainKX::RecoitDossier);
    TSignauxArret Signaux;
    QObject::connect(&Signaux, &TSignauxArret::ArretDemande, &fmMainKX, &TfmMainKX::FermeSansQuestion);

    if (!A.cCapture.isEmpty()) {
        // Without a display: the picture of the main window once its first folder is open,
        // then a normal close.
        const QString cCapture = QFileInfo(A.cCapture).absoluteFilePath();
        const auto Capture = [&fmMainKX, cCapture] {
            static bool lFaite = false;
            if (lFaite)
                return;
            lFaite = true;
            QApplication::processEvents();
            QDir().mkpath(QFileInfo(cCapture).absolutePath());
            if (!fmMainKX.grab().save(cCapture, "PNG"))
                QTextStream(stderr) << "vimbrel : capture impossible dans " << cCapture << "\n";
            fmMainKX.FermeSansQuestion();
        };
        QObject::connect(&fmMainKX, &TfmMainKX::PremierDossierOuvert, &fmMainKX,
                         [Capture] { QTimer::singleShot(800, Capture); });
        // A listing that never ends must not keep a headless run alive.
        QTimer::singleShot(120000, &fmMainKX, Capture);
    }

    fmMainKX.show();
    const int nCode = Application.exec();
    // A last save that failed without anyone to tell ends the run with a failure status.
    return nCode != 0 ? nCode : fmMainKX.CodeSortie();
}

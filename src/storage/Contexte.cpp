#include "storage/Contexte.h"

#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace
{

// A temporary in the default folder may belong to a save in progress of a program working
// on another data folder, which this one does not lock: only old ones are removed there.
constexpr qint64 nAgeTemporaireAutreDossier = 3600;

} // namespace

TContexte::TContexte(const TEmplacementsConfig &EmplacementsConfig, const QString &cDossierProgramme,
                     std::unique_ptr<IVolumes> VolumesService)
    : Emplacements(EmplacementsConfig), cDossierProgrammeExecutable(cDossierProgramme),
      Volumes(std::move(VolumesService))
{}

TContexte::~TContexte()
{
    if (m_fdVerrou >= 0)
        ::close(m_fdVerrou);
}

void TContexte::FixeDossiers()
{
    if (m_fdVerrou < 0)
        Dossiers = ::FixeDossiers(Emplacements, cDossierProgrammeExecutable);
    CreeDossiers(Dossiers);
}

QString TContexte::NomVerrouDonnees()
{
    return QStringLiteral(".KX_Verrou");
}

bool TContexte::PrendDossierDonnees()
{
    if (m_fdVerrou >= 0)
        return true;
    Dossiers = ::FixeDossiers(Emplacements, cDossierProgrammeExecutable);
    // Only the data folder itself is made before the lock: a second program must write nothing.
    QDir().mkpath(Dossiers.cDossierDonnees);
    const QByteArray cVerrou = QFile::encodeName(Dossiers.cDossierDonnees + NomVerrouDonnees());
    const int fd = ::open(cVerrou.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd >= 0) {
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int nErr = errno;
            ::close(fd);
            if (nErr == EWOULDBLOCK) {
                const QString cTexte =
                    QStringLiteral("Le dossier de données « %1 » est déjà utilisé par un autre Vimbrel.\n"
                                   "Ce lancement s'arrête sans rien modifier.")
                        .arg(QDir::toNativeSeparators(Dossiers.cDossierDonnees));
                // Said once: by the message helper when there is one (it writes to the error
                // output itself when nobody can see a window), else here.
                if (Messages)
                    Messages->Erreur(nullptr, cTexte);
                else
                    QTextStream(stderr) << "vimbrel : " << cTexte << "\n";
                return false;
            }
        } else {
            m_fdVerrou = fd;
        }
    }

    const bool lMemeDossier = QDir::cleanPath(Dossiers.cDossierDonnees) == QDir::cleanPath(Dossiers.cDossierEcriture);
    for (const QString &cNom :
         {QFileInfo(Dossiers.cFichierSetup).fileName(), QFileInfo(Dossiers.cFichierBDD).fileName(),
          QFileInfo(Dossiers.cFichierCFAPN).fileName()}) {
        if (m_fdVerrou >= 0)
            SupprimeTemporairesPerimes(Dossiers.cDossierDonnees + cNom);
        if (!lMemeDossier || m_fdVerrou < 0)
            SupprimeTemporairesPerimes(Dossiers.cDossierEcriture + cNom, nAgeTemporaireAutreDossier);
    }
    return true;
}

bool TContexte::DossierDonneesPris() const
{
    return m_fdVerrou >= 0;
}

void TContexte::OuvreStores()
{
    iniSetup = std::make_unique<TBigIniFile>(Dossiers.cFichierSetup);
    iniBDD = std::make_unique<TBigIniFile>(Dossiers.cFichierBDD, true);
    iniCFAPN = std::make_unique<TBigIniFile>(Dossiers.cFichierCFAPN);
    iniSetup->lAutoSave = false;
    iniBDD->lAutoSave = false;
    iniCFAPN->lAutoSave = false;
    Descriptions = std::make_unique<TDescriptions>(*iniSetup);
}

void TContexte::LitParametres()
{
    Parametres.Lit(*iniSetup, Dossiers.cDossierDonnees);
    HistoriqueRepertoires = LitHistoriqueRepertoires(*iniSetup);
}

void TContexte::EcritParametres(const TEnrParametres::TEtatSortie &Etat)
{
    Parametres.Ecrit(*iniSetup, Etat);
    EcritHistoriqueRepertoires(*iniSetup, HistoriqueRepertoires);
}

bool TContexte::SauveStores(QStringList *pErreurs)
{
    bool lOk = true;
    for (TBigIniFile *Ini : {iniSetup.get(), iniBDD.get()}) {
        if (!Ini || Ini->UpdateFile())
            continue;
        lOk = false;
        if (pErreurs)
            *pErreurs << QStringLiteral("%1 : %2").arg(QDir::toNativeSeparators(Ini->FileName()),
                                                       Ini->DerniereErreur());
    }
    return lOk;
}

QStringList TContexte::CopiesConservees() const
{
    QStringList cCopies;
    for (const TBigIniFile *Ini : {iniSetup.get(), iniBDD.get(), iniCFAPN.get()})
        if (Ini && !Ini->CopieConservee().isEmpty())
            cCopies << Ini->CopieConservee();
    return cCopies;
}

QStringList TContexte::FichiersIllisibles() const
{
    QStringList cFichiers = Dossiers.cErreursConfig;
    for (const TBigIniFile *Ini : {iniSetup.get(), iniBDD.get(), iniCFAPN.get()})
        if (Ini && Ini->Illisible())
            cFichiers << QStringLiteral("%1 : %2").arg(QDir::toNativeSeparators(Ini->FileName()), Ini->ErreurLecture());
    return cFichiers;
}

void TContexte::SignaleFichiersIllisibles(QWidget *Parent) const
{
    const QStringList cFichiers = FichiersIllisibles();
    if (cFichiers.isEmpty())
        return;
    const QString cTexte =
        QStringLiteral("Impossible de lire :\n%1\n\nCes fichiers ne seront pas modifiés pendant cette "
                       "session ; corrigez le problème puis relancez Vimbrel.")
            .arg(cFichiers.join(QLatin1Char('\n')));
    if (Messages)
        Messages->Erreur(Parent, cTexte);
    else
        QTextStream(stderr) << "vimbrel : " << cTexte << "\n";
}

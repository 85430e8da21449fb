#include "platform/OperationsFichiers.h"

#include "platform/Corbeille.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString TexteErreurFichier(int nErrno)
{
    switch (nErrno) {
    case 0: return {};
    case ENOENT: return QStringLiteral("fichier introuvable");
    case EACCES:
    case EPERM: return QStringLiteral("accès refusé");
    case EROFS: return QStringLiteral("support en lecture seule");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("fichier occupé");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("plus de place sur le disque");
    case EEXIST: return QStringLiteral("le fichier existe déjà");
    case EXDEV: return QStringLiteral("autre volume");
    case ENAMETOOLONG: return QStringLiteral("nom trop long");
    case EISDIR: return QStringLiteral("c'est un dossier");
    case EIO: return QStringLiteral("erreur d'entrée-sortie");
    default: return QString::fromLocal8Bit(std::strerror(nErrno));
    }
}

int RenommeSansRemplacer(const QString &cSource, const QString &cCible)
{
    const QByteArray s = QFile::encodeName(cSource);
    const QByteArray c = QFile::encodeName(cCible);
    if (::renameat2(AT_FDCWD, s.constData(), AT_FDCWD, c.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    const int e = errno;
    if (e != EINVAL && e != ENOSYS && e != ENOTSUP)
        return e;
    // Without RENAME_NOREPLACE, link(2) is the atomic "create only if absent".
    if (::link(s.constData(), c.constData()) != 0)
        return errno;
    if (::unlink(s.constData()) != 0) {
        const int e2 = errno;
        ::unlink(c.constData());
        return e2;
    }
    return 0;
}

namespace
{
TResultatOperation Resultat(int nErrno, const QString &cDestination = {})
{
    TResultatOperation r;
    r.lOk = nErrno == 0;
    r.nErrno = nErrno;
    r.cErreur = TexteErreurFichier(nErrno);
    if (r.lOk)
        r.cDestination = cDestination;
    return r;
}
} // namespace

TOperationsFichiers::TOperationsFichiers(const IVolumes &Volumes, const QString &cDossierDonneesUtilisateur)
    : m_pCorbeille(std::make_unique<TCorbeille>(Volumes, cDossierDonneesUtilisateur))
{}

TOperationsFichiers::~TOperationsFichiers() = default;

TResultatOperation TOperationsFichiers::Renomme(const QString &cSource, const QString &cCible)
{
    return Resultat(RenommeSansRemplacer(cSource, cCible), cCible);
}

TResultatOperation TOperationsFichiers::Corbeille(const QString &cChemin)
{
    return m_pCorbeille->Jette(cChemin);
}

TResultatOperation TOperationsFichiers::Supprime(const QString &cChemin)
{
    return Resultat(::unlink(QFile::encodeName(cChemin).constData()) == 0 ? 0 : errno);
}

bool TOperationsFichiers::Absent(const QString &cChemin) const
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(cChemin).constData(), &st) != 0 && errno == ENOENT;
}

void TOperationsFichiersFactices::EchoueSur(const QString &cChemin, int nErrno)
{
    m_Echecs.insert(cChemin, nErrno);
}

void TOperationsFichiersFactices::Oublie()
{
    m_Echecs.clear();
    m_SansEffet.clear();
    m_lSansCorbeille = false;
    Appels.clear();
}

bool TOperationsFichiersFactices::Echec(const QString &cChemin, TResultatOperation &r) const
{
    if (m_SansEffet.contains(cChemin)) {
        r = {};
        r.lOk = true;
        return true;
    }
    const auto it = m_Echecs.constFind(cChemin);
    if (it == m_Echecs.constEnd())
        return false;
    r = Resultat(it.value());
    return true;
}

TResultatOperation TOperationsFichiersFactices::Renomme(const QString &cSource, const QString &cCible)
{
    Appels << QStringLiteral("renomme:%1>%2").arg(cSource, cCible);
    TResultatOperation r;
    if (Echec(cSource, r) || Echec(cCible, r))
        return r;
    return m_Reelles.Renomme(cSource, cCible);
}

TResultatOperation TOperationsFichiersFactices::Corbeille(const QString &cChemin)
{
    Appels << QStringLiteral("corbeille:") + cChemin;
    TResultatOperation r;
    if (Echec(cChemin, r))
        return r;
    if (m_lSansCorbeille) {
        r.nErrno = EROFS;
        r.lCorbeilleIndisponible = true;
        r.cErreur = QStringLiteral("corbeille indisponible");
        return r;
    }
    return m_Reelles.Corbeille(cChemin);
}

TResultatOperation TOperationsFichiersFactices::Supprime(const QString &cChemin)
{
    Appels << QStringLiteral("supprime:") + cChemin;
    TResultatOperation r;
    if (Echec(cChemin, r))
        return r;
    return m_Reelles.Supprime(cChemin);
}

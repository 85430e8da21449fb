#pragma once
// Makes the whole-file reads of one file fail as a bad disk, a full process table or a cut
// network share would, for the life of the object. Other files read normally.

#include "platform/AtomicFile.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <algorithm>
#include <memory>
#include <utility>
#include <unistd.h>

class TLecturesEnPanne
{
public:
    // cNom names the file by its last path component, or by its whole path when absolute.
    // The open of that file fails with nErr.
    static TLecturesEnPanne Ouverture(const QString &cNom, int nErr)
    {
        TLecturesEnPanne P(cNom);
        P.m_Etat->nErrOuverture = nErr;
        return P;
    }
    // Reads deliver nOctets bytes of the file, then fail with nErr, or end as if the file
    // stopped there when nErr is 0.
    static TLecturesEnPanne Lecture(const QString &cNom, qint64 nOctets, int nErr)
    {
        TLecturesEnPanne P(cNom);
        P.m_Etat->nOctetsAvant = nOctets;
        P.m_Etat->nErrLecture = nErr;
        P.m_Etat->lPanneLecture = true;
        return P;
    }

    TLecturesEnPanne(TLecturesEnPanne &&Autre) noexcept
        : m_Etat(std::move(Autre.m_Etat)), m_Avant(std::move(Autre.m_Avant)),
          m_lActif(std::exchange(Autre.m_lActif, false))
    {}
    ~TLecturesEnPanne()
    {
        if (m_lActif)
            RemplaceAppelsLecture(std::move(m_Avant));
    }

private:
    struct TEtat
    {
        QByteArray cSuffixe;
        bool lCheminEntier = false;
        int nErrOuverture = 0;
        bool lPanneLecture = false;
        qint64 nOctetsAvant = 0;
        int nErrLecture = 0;
        int fdCible = -1;
        qint64 nLivres = 0;
    };

    explicit TLecturesEnPanne(const QString &cNom) : m_Etat(std::make_shared<TEtat>())
    {
        m_Etat->lCheminEntier = cNom.startsWith('/');
        m_Etat->cSuffixe = (m_Etat->lCheminEntier ? QByteArray() : QByteArray("/")) + QFile::encodeName(cNom);
        std::shared_ptr<TEtat> E = m_Etat;
        // Faults set up earlier, for other files, stay in force.
        auto Avant = std::make_shared<TAppelsLecture>();
        TAppelsLecture Appels;
        Appels.Ouvre = [E, Avant](const char *cChemin, int nDrapeaux) {
            const QByteArray c(cChemin);
            const bool lCible = E->lCheminEntier ? c == E->cSuffixe : c.endsWith(E->cSuffixe);
            if (lCible && E->nErrOuverture) {
                errno = E->nErrOuverture;
                return -1;
            }
            const int fd = Avant->Ouvre ? Avant->Ouvre(cChemin, nDrapeaux) : ::open(cChemin, nDrapeaux);
            if (lCible) {
                E->fdCible = fd;
                E->nLivres = 0;
            } else if (fd == E->fdCible) {
                E->fdCible = -1; // the target was closed and its number given to another file
            }
            return fd;
        };
        Appels.Lit = [E, Avant](int fd, void *p, size_t n) -> ssize_t {
            if (fd != E->fdCible || !E->lPanneLecture)
                return Avant->Lit ? Avant->Lit(fd, p, n) : ::read(fd, p, n);
            const qint64 nReste = E->nOctetsAvant - E->nLivres;
            if (nReste <= 0) {
                if (E->nErrLecture == 0)
                    return 0;
                errno = E->nErrLecture;
                return -1;
            }
            const ssize_t k = ::read(fd, p, size_t(std::min<qint64>(qint64(n), nReste)));
            if (k > 0)
                E->nLivres += k;
            return k;
        };
        m_Avant = RemplaceAppelsLecture(std::move(Appels));
        *Avant = m_Avant;
        m_lActif = true;
    }

    std::shared_ptr<TEtat> m_Etat;
    TAppelsLecture m_Avant;
    bool m_lActif = false;
};

#pragma once
// The file moves that change the user's folders: renaming without ever replacing a file,
// putting a file in the trash, deleting it for good. Deleting, renaming and copying images all
// go through this one layer, so that tests can make any of them fail on demand and the
// program never overwrites a file by a race between a test and a rename.

#include <QString>
#include <QStringList>
#include <QSet>
#include <QHash>

#include <memory>

class IVolumes;
class TCorbeille;

struct TResultatOperation
{
    bool lOk = false;
    int nErrno = 0;                      // why it failed (errno), 0 on success
    bool lCorbeilleIndisponible = false; // the file's volume has no usable trash
    QString cErreur;                     // the reason in French, for messages
    QString cDestination;                // where the file went (the trash's files/ entry...)
};

// The reason of an errno value in French ("fichier introuvable", "accès refusé"...).
QString TexteErreurFichier(int nErrno);

// rename(2) that fails with EEXIST instead of replacing an existing target. Uses
// RENAME_NOREPLACE, else (file systems without it) a hard link followed by the removal of the
// old name. Returns 0 or the errno.
int RenommeSansRemplacer(const QString &cSource, const QString &cCible);

class IOperationsFichiers
{
public:
    virtual ~IOperationsFichiers() = default;
    // Gives the file a new name; never replaces an existing file (EEXIST).
    virtual TResultatOperation Renomme(const QString &cSource, const QString &cCible) = 0;
    // Moves the file into the trash of its volume.
    virtual TResultatOperation Corbeille(const QString &cChemin) = 0;
    // Removes the name for good.
    virtual TResultatOperation Supprime(const QString &cChemin) = 0;
    // True only when lstat gives ENOENT: a file that cannot be examined is not taken as gone.
    virtual bool Absent(const QString &cChemin) const = 0;
};

// The real operations. cDossierDonneesUtilisateur stands for $XDG_DATA_HOME (empty: the
// environment's, else ~/.local/share), where the home trash lives.
class TOperationsFichiers : public IOperationsFichiers
{
public:
    explicit TOperationsFichiers(const IVolumes &Volumes, const QString &cDossierDonneesUtilisateur = {});
    ~TOperationsFichiers() override;

    TResultatOperation Renomme(const QString &cSource, const QString &cCible) override;
    TResultatOperation Corbeille(const QString &cChemin) override;
    TResultatOperation Supprime(const QString &cChemin) override;
    bool Absent(const QString &cChemin) const override;

    TCorbeille &Poubelle() { return *m_pCorbeille; }

private:
    std::unique_ptr<TCorbeille> m_pCorbeille;
};

// For tests: passes every call to the real operations, except those asked to fail. Records the
// calls as "corbeille:PATH", "supprime:PATH", "renomme:SOURCE>TARGET".
// The file operations a feature works through: those a test put in their place, else the real
// ones, made on first use.
class TOperationsAuChoix
{
public:
    void Remplace(IOperationsFichiers *pOperations) { m_pRemplacement = pOperations; }
    IOperationsFichiers &Operations(const IVolumes &Volumes)
    {
        if (m_pRemplacement)
            return *m_pRemplacement;
        if (!m_Reelles)
            m_Reelles = std::make_unique<TOperationsFichiers>(Volumes);
        return *m_Reelles;
    }

private:
    IOperationsFichiers *m_pRemplacement = nullptr;
    std::unique_ptr<IOperationsFichiers> m_Reelles;
};

class TOperationsFichiersFactices : public IOperationsFichiers
{
public:
    explicit TOperationsFichiersFactices(IOperationsFichiers &Reelles) : m_Reelles(Reelles) {}

    // Every operation on this path fails with nErrno, the file left untouched.
    void EchoueSur(const QString &cChemin, int nErrno = 13 /* EACCES */);
    // Every trash operation fails as when the volume has no usable trash.
    void SansCorbeille(bool lSans = true) { m_lSansCorbeille = lSans; }
    // Operations on this path report success but leave the file where it is.
    void SuccesSansEffet(const QString &cChemin) { m_SansEffet.insert(cChemin); }
    void Oublie();

    QStringList Appels;

    TResultatOperation Renomme(const QString &cSource, const QString &cCible) override;
    TResultatOperation Corbeille(const QString &cChemin) override;
    TResultatOperation Supprime(const QString &cChemin) override;
    bool Absent(const QString &cChemin) const override { return m_Reelles.Absent(cChemin); }

private:
    bool Echec(const QString &cChemin, TResultatOperation &r) const;

    IOperationsFichiers &m_Reelles;
    QHash<QString, int> m_Echecs;
    QSet<QString> m_SansEffet;
    bool m_lSansCorbeille = false;
};

#include "storage/Descriptions.h"

#include "platform/AtomicFile.h"
#include "platform/TextCodec.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace
{
// A descript.ion is a few kilobytes; a huge one is not ours to rewrite.
constexpr qint64 nTailleMax = 64 * 1024 * 1024;
// Folders kept parsed at once; a listing touches one, a search a few hundred.
constexpr qsizetype nDossiersMax = 512;

const QByteArray cBOM = QByteArrayLiteral("\xEF\xBB\xBF");

bool Blanc(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

struct TEtat
{
    bool lExiste = false;
    qint64 nTaille = -1;
    qint64 nMtimeNs = 0;
    quint64 nInode = 0;
};

TEtat EtatDe(const QString &cFichier)
{
    TEtat Etat;
    struct stat St
    {
    };
    if (::stat(QFile::encodeName(cFichier).constData(), &St) != 0 || !S_ISREG(St.st_mode))
        return Etat;
    Etat.lExiste = true;
    Etat.nTaille = static_cast<qint64>(St.st_size);
    Etat.nMtimeNs = static_cast<qint64>(St.st_mtim.tv_sec) * 1000000000 + St.st_mtim.tv_nsec;
    Etat.nInode = static_cast<quint64>(St.st_ino);
    return Etat;
}
} // namespace

bool AnalyseLigneDescription(const QString &cLigne, QString &cNom, QString &cDescription)
{
    const QString c = cLigne.trimmed();
    if (c.isEmpty())
        return false;
    if (c.front() == QLatin1Char('"')) {
        const qsizetype nFin = c.indexOf(QLatin1Char('"'), 1);
        if (nFin <= 1)
            return false;
        const QString cReste = c.mid(nFin + 1);
        if (!cReste.contains(QLatin1Char(' ')) && !cReste.contains(QLatin1Char('\t')))
            return false;
        cNom = c.mid(1, nFin - 1);
        cDescription = cReste.trimmed();
        return true;
    }
    qsizetype nSep = -1;
    for (qsizetype i = 0; i < c.size(); ++i) {
        if (Blanc(c[i])) {
            nSep = i;
            break;
        }
    }
    if (nSep <= 0)
        return false;
    cNom = c.left(nSep);
    cDescription = c.mid(nSep + 1).trimmed();
    return true;
}

QString LigneDescription(const QString &cNom, const QString &cDescription)
{
    if (cNom.isEmpty() || cNom.contains(QLatin1Char('\n')) || cNom.contains(QLatin1Char('\r')))
        return {};
    QString cEcrit = cNom;
    const bool lGuillemets =
        cNom.contains(QLatin1Char(' ')) || cNom.contains(QLatin1Char('\t')) || cNom.front() == QLatin1Char('"');
    if (lGuillemets) {
        if (cNom.contains(QLatin1Char('"')))
            return {};
        cEcrit = QLatin1Char('"') + cNom + QLatin1Char('"');
    }
    return cEcrit + QLatin1Char(' ') + cDescription;
}

QString DescriptionSurUneLigne(const QString &cDescription)
{
    QString c = cDescription;
    c.replace(QLatin1String("\r\n"), QLatin1String(" "));
    c.replace(QLatin1Char('\r'), QLatin1Char(' '));
    c.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return c.trimmed();
}

TDescriptions::TDescriptions(TBigIniFile &iniSetup) : m_iniSetup(iniSetup) {}

TDescriptions::~TDescriptions() = default;

void TDescriptions::OublieCache()
{
    m_Fichiers.removeIf([](const auto &Paire) { return !Paire.value().lEnAttente; });
}

TDescriptions::TFichier &TDescriptions::Fichier(const QString &cDossier)
{
    const QString cChemin = cDossier + cNomFichierDescriptions;
    const TEtat Etat = EtatDe(cChemin);
    auto It = m_Fichiers.find(cDossier);
    if (It != m_Fichiers.end()) {
        const TFichier &F = *It;
        if (F.lExiste == Etat.lExiste
            && (!Etat.lExiste || (F.nTaille == Etat.nTaille && F.nMtimeNs == Etat.nMtimeNs && F.nInode == Etat.nInode)))
            return *It;
        // Changed on disk: the file as it stands now wins over any change we could not save.
    } else if (m_Fichiers.size() >= nDossiersMax) {
        OublieCache();
    }

    TFichier F;
    F.lExiste = Etat.lExiste;
    F.nTaille = Etat.nTaille;
    F.nMtimeNs = Etat.nMtimeNs;
    F.nInode = Etat.nInode;
    if (Etat.lExiste) {
        QFile Fichier(cChemin);
        QByteArray Contenu;
        if (Etat.nTaille > nTailleMax || !Fichier.open(QIODevice::ReadOnly))
            F.lLectureSeule = true;
        else
            Contenu = Fichier.read(Etat.nTaille + 1);
        // Changed while being read: never rewrite a partial text; the next call reads it again.
        if (Contenu.size() != Etat.nTaille) {
            F.lLectureSeule = true;
            Contenu.clear();
        }
        if (Contenu.startsWith(cBOM)) {
            F.lBOM = true;
            Contenu.remove(0, cBOM.size());
        }
        QList<QByteArray> Lignes = Contenu.split('\n');
        if (!Lignes.isEmpty() && Lignes.back().isEmpty())
            Lignes.removeLast();
        F.Lignes.reserve(Lignes.size());
        for (QByteArray &Brut : Lignes) {
            if (Brut.endsWith('\r'))
                Brut.chop(1);
            TLigne Ligne;
            if (!EstUtf8Valide(Brut))
                F.lWindows1252 = true;
            Ligne.cTexte = DecodeLigne(Brut);
            Ligne.Brut = std::move(Brut);
            if (!AnalyseLigneDescription(Ligne.cTexte, Ligne.cNom, Ligne.cDescription))
                Ligne.cNom.clear();
            F.Lignes.append(std::move(Ligne));
        }
    }
    Indexe(F);
    It = m_Fichiers.insert(cDossier, std::move(F));
    return *It;
}

void TDescriptions::Indexe(TFichier &F)
{
    F.IndexExact.clear();
    F.IndexCasse.clear();
    for (int i = 0; i < F.Lignes.size(); ++i) {
        const QString &cNom = F.Lignes[i].cNom;
        if (cNom.isEmpty())
            continue;
        if (!F.IndexExact.contains(cNom))
            F.IndexExact.insert(cNom, i);
        F.IndexCasse[cNom.toCaseFolded()].append(i);
    }
}

int TDescriptions::Entree(const TFichier &F, const QString &cDossier, const QString &cNom) const
{
    if (const auto It = F.IndexExact.constFind(cNom); It != F.IndexExact.cend())
        return *It;
    // Names match without regard to case, as file managers on other systems wrote them; but
    // on a case-sensitive disk an entry naming another existing file is that file's.
    for (const int i : F.IndexCasse.value(cNom.toCaseFolded()))
        if (!QFileInfo::exists(cDossier + F.Lignes[i].cNom))
            return i;
    return -1;
}

TDescriptionsDossier TDescriptions::DescriptionsDossier(const QString &cDossier)
{
    TDescriptionsDossier D;
    D.m_cDossier = cDossier;
    const TFichier &F = Fichier(cDossier);
    D.m_Lignes = F.Lignes;
    D.m_IndexExact = F.IndexExact;
    D.m_IndexCasse = F.IndexCasse;
    return D;
}

QString TDescriptionsDossier::Description(const QString &cNom) const
{
    if (const auto It = m_IndexExact.constFind(cNom); It != m_IndexExact.cend())
        return m_Lignes[*It].cDescription;
    // As TDescriptions::Entree: an entry in another case names this file unless it names
    // another existing file.
    const auto It = m_IndexCasse.constFind(cNom.toCaseFolded());
    if (It == m_IndexCasse.cend())
        return {};
    for (const int i : *It)
        if (!QFileInfo::exists(m_cDossier + m_Lignes[i].cNom))
            return m_Lignes[i].cDescription;
    return {};
}

QByteArray TDescriptions::Encode(const TFichier &F, const QString &cTexte)
{
    if (F.lWindows1252) {
        bool lOk = false;
        const QByteArray Octets = EncodeWindows1252(cTexte, &lOk);
        // A character the old code page cannot hold is kept in UTF-8 rather than lost; lines
        // are decoded one by one, so the file still reads back.
        if (lOk)
            return Octets;
    }
    return cTexte.toUtf8();
}

void TDescriptions::RemplaceLigne(TFichier &F, int nLigne, const QString &cTexte)
{
    TLigne Ligne;
    Ligne.cTexte = cTexte;
    Ligne.Brut = Encode(F, cTexte);
    if (!AnalyseLigneDescription(cTexte, Ligne.cNom, Ligne.cDescription))
        Ligne.cNom.clear();
    if (nLigne < 0)
        F.Lignes.append(std::move(Ligne));
    else
        F.Lignes[nLigne] = std::move(Ligne);
    Indexe(F);
}

void TDescriptions::SupprimeLigne(TFichier &F, int nLigne)
{
    F.Lignes.removeAt(nLigne);
    Indexe(F);
}

bool TDescriptions::SupprimeEntreesExactes(TFichier &F, const QString &cNom)
{
    const qsizetype nAvant = F.Lignes.size();
    F.Lignes.removeIf([&](const TLigne &Ligne) { return Ligne.cNom == cNom; });
    if (F.Lignes.size() == nAvant)
        return false;
    Indexe(F);
    return true;
}

void TDescriptions::Enregistre(const QString &cDossier, TFichier &F)
{
    const QString cChemin = cDossier + cNomFichierDescriptions;
    if (F.lLectureSeule) {
        // Rewriting a file we could not read whole would destroy what it holds.
        m_lEcritureOk = false;
        m_Fichiers.remove(cDossier);
        return;
    }
    bool lVide = true;
    for (const TLigne &Ligne : std::as_const(F.Lignes)) {
        if (!Ligne.cTexte.trimmed().isEmpty()) {
            lVide = false;
            break;
        }
    }
    bool lOk = true;
    if (lVide) {
        if (F.lExiste)
            lOk = QFile::remove(cChemin);
    } else {
        QByteArray Donnees;
        if (F.lBOM)
            Donnees += cBOM;
        for (const TLigne &Ligne : std::as_const(F.Lignes)) {
            Donnees += Ligne.Brut;
            Donnees += "\r\n";
        }
        lOk = EcritFichierAtomique(cChemin, Donnees);
    }
    m_lEcritureOk = lOk;
    F.lEnAttente = !lOk;
    if (lOk) {
        const TEtat Etat = EtatDe(cChemin);
        F.lExiste = Etat.lExiste;
        F.nTaille = Etat.nTaille;
        F.nMtimeNs = Etat.nMtimeNs;
        F.nInode = Etat.nInode;
    }
}

bool TDescriptions::EcritDescriptionsDossier(const QString &cDossier,
                                             const QList<std::pair<QString, QString>> &Changements)
{
    m_lEcritureOk = true;
    TFichier &F = Fichier(cDossier);
    bool lChange = F.lEnAttente;
    bool lOk = true;
    for (const auto &[cNom, cDescription] : Changements) {
        const int nEntree = Entree(F, cDossier, cNom);
        const QString cNouvelle = DescriptionSurUneLigne(cDescription);
        if (cNouvelle.isEmpty()) {
            if (nEntree >= 0) {
                SupprimeLigne(F, nEntree);
                lChange = true;
            }
            continue;
        }
        if (nEntree >= 0 && cNouvelle == F.Lignes[nEntree].cDescription)
            continue;
        const QString cLigne = LigneDescription(nEntree >= 0 ? F.Lignes[nEntree].cNom : cNom, cNouvelle);
        if (cLigne.isEmpty()) {
            lOk = false;
            continue;
        }
        RemplaceLigne(F, nEntree, cLigne);
        lChange = true;
    }
    if (lChange)
        Enregistre(cDossier, F);
    m_lEcritureOk = m_lEcritureOk && lOk;
    return m_lEcritureOk;
}

QString TDescriptions::DescriptionImage(qint32 nVolume, const QString &cChemin, int nMode,
                                        const QString &cNouvelleDescription, const QString &cNouveauChemin)
{
    m_lEcritureOk = true;
    if (nVolume != 0) {
        const QString cCle = CleImage(nVolume, cChemin);
        const QString cAncienne = m_iniSetup.ReadString(cSectionDescriptions, cCle, QString());
        if (nMode == nDescEcriture) {
            const QString cNouvelle = DescriptionSurUneLigne(cNouvelleDescription);
            if (cNouvelle.isEmpty()) {
                if (m_iniSetup.ValueExists(cSectionDescriptions, cCle))
                    m_iniSetup.DeleteKey(cSectionDescriptions, cCle);
            } else if (cNouvelle != cAncienne || !m_iniSetup.ValueExists(cSectionDescriptions, cCle)) {
                m_iniSetup.WriteString(cSectionDescriptions, cCle, cNouvelle);
            }
        }
        return cAncienne;
    }

    const qsizetype nBarre = cChemin.lastIndexOf(QLatin1Char('/'));
    if (nBarre < 0 || nBarre == cChemin.size() - 1)
        return {};
    const QString cDossier = cChemin.left(nBarre + 1);
    const QString cNom = cChemin.mid(nBarre + 1);
    TFichier &F = Fichier(cDossier);
    const int nEntree = Entree(F, cDossier, cNom);
    const QString cAncienne = nEntree >= 0 ? F.Lignes[nEntree].cDescription : QString();

    switch (nMode) {
    case nDescEcriture: {
        const QString cNouvelle = DescriptionSurUneLigne(cNouvelleDescription);
        if (cNouvelle.isEmpty()) {
            // An entry without description would read back as a line that is no entry.
            if (nEntree >= 0) {
                SupprimeLigne(F, nEntree);
                Enregistre(cDossier, F);
            }
            break;
        }
        if (nEntree >= 0 && cNouvelle == cAncienne && !F.lEnAttente)
            break;
        const QString cLigne = LigneDescription(nEntree >= 0 ? F.Lignes[nEntree].cNom : cNom, cNouvelle);
        if (cLigne.isEmpty()) {
            m_lEcritureOk = false;
            break;
        }
        RemplaceLigne(F, nEntree, cLigne);
        Enregistre(cDossier, F);
        break;
    }
    case nDescRenommage: {
        const qsizetype nBarreNouv = cNouveauChemin.lastIndexOf(QLatin1Char('/'));
        if (nBarreNouv < 0 || nBarreNouv == cNouveauChemin.size() - 1)
            break;
        const QString cNouveauDossier = cNouveauChemin.left(nBarreNouv + 1);
        const QString cNouveauNom = cNouveauChemin.mid(nBarreNouv + 1);
        if (cNouveauDossier == cDossier) {
            if (cNouveauNom == cNom)
                break;
            // The renamed file took the place of any file of the new name: that file's entries
            // are stale, and would otherwise win over the moved one.
            bool lChange = SupprimeEntreesExactes(F, cNouveauNom);
            const int n = Entree(F, cDossier, cNom);
            if (n >= 0) {
                const QString cLigne = LigneDescription(cNouveauNom, F.Lignes[n].cDescription);
                if (cLigne.isEmpty())
                    SupprimeLigne(F, n);
                else
                    RemplaceLigne(F, n, cLigne);
                lChange = true;
            }
            if (lChange)
                Enregistre(cDossier, F);
            break;
        }
        // Moved to another folder: the description follows the file into that folder's file.
        // It is written there before it leaves the old one, so that a failed write loses
        // nothing (at worst both files name the image).
        bool lOkNouveau = true;
        {
            TFichier &G = Fichier(cNouveauDossier);
            bool lChange = SupprimeEntreesExactes(G, cNouveauNom);
            if (nEntree >= 0) {
                const QString cLigne = LigneDescription(cNouveauNom, cAncienne);
                if (cLigne.isEmpty())
                    lOkNouveau = false;
                else {
                    RemplaceLigne(G, -1, cLigne);
                    lChange = true;
                }
            }
            if (lChange) {
                Enregistre(cNouveauDossier, G);
                lOkNouveau = lOkNouveau && m_lEcritureOk;
            }
        }
        bool lOkAncien = true;
        if (nEntree >= 0 && lOkNouveau) {
            // Looked up again: reading the other folder may have moved this one in the cache.
            TFichier &F2 = Fichier(cDossier);
            const int n = Entree(F2, cDossier, cNom);
            if (n >= 0) {
                SupprimeLigne(F2, n);
                Enregistre(cDossier, F2);
                lOkAncien = m_lEcritureOk;
            }
        }
        m_lEcritureOk = lOkNouveau && lOkAncien;
        break;
    }
    case nDescSuppression:
        if (nEntree >= 0) {
            SupprimeLigne(F, nEntree);
            Enregistre(cDossier, F);
        }
        break;
    default: break;
    }
    return cAncienne;
}

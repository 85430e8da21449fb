#include "publishing/Renommage.h"

#include "exploration/ModeleListe.h"
#include "imaging/FileKinds.h"
#include "imaging/NomVignette.h"
#include "platform/OperationsFichiers.h"
#include "publishing/AlbumImages.h"
#include "publishing/RenommageJournal.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Descriptions.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace
{
const QString cStoreSetup = QStringLiteral("setup");
const QString cStoreBDD = QStringLiteral("bdd");

// Folder with its "/", file name without extension, extension with its dot.
struct TParties
{
    QString cDossier, cBase, cExtension;
};

TParties Decoupe(const QString &cChemin)
{
    TParties p;
    const qsizetype nBarre = cChemin.lastIndexOf(QLatin1Char('/'));
    p.cDossier = cChemin.left(nBarre + 1);
    const QString cNom = cChemin.mid(nBarre + 1);
    const qsizetype nPoint = cNom.lastIndexOf(QLatin1Char('.'));
    p.cBase = nPoint > 0 ? cNom.left(nPoint) : cNom;
    p.cExtension = nPoint > 0 ? cNom.mid(nPoint) : QString();
    return p;
}

bool Existe(const QString &cChemin)
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(cChemin).constData(), &st) == 0;
}

// Both names are one file (a case-blind volume, or the same path).
bool MemeFichier(const QString &a, const QString &b)
{
    const TIdentiteFichier Ia = IdentiteFichier(a);
    return Ia.Valide() && Ia == IdentiteFichier(b);
}

QString Temporaire(const QString &cFinal, int c)
{
    return QStringLiteral("%1_%2").arg(cFinal).arg(c);
}

// The settings sections holding the key, moved to the new key. With lSiSource, a key that
// holds nothing leaves the target alone (replay: what is there may be another file's data).
bool DeplaceCles(TBigIniFile &ini, const QStringList &cSections, const QString &cAncienne, const QString &cNouvelle,
                 bool lSiSource)
{
    if (cAncienne == cNouvelle)
        return false;
    bool lChange = false;
    for (const QString &cSection : cSections) {
        const bool lSource = ini.ValueExists(cSection, cAncienne);
        if (!lSource && lSiSource)
            continue;
        if (ini.ValueExists(cSection, cNouvelle)) {
            ini.DeleteKey(cSection, cNouvelle);
            lChange = true;
        }
        if (lSource) {
            const QString cValeur = ini.ReadString(cSection, cAncienne, QString());
            ini.DeleteKey(cSection, cAncienne);
            ini.WriteString(cSection, cNouvelle, cValeur);
            lChange = true;
        }
    }
    return lChange;
}

bool DeplaceSection(TBigIniFile &ini, const QString &cAncienne, const QString &cNouvelle, bool lSiSource)
{
    if (cAncienne == cNouvelle)
        return false;
    const bool lSource = ini.SectionExists(cAncienne);
    if (!lSource && lSiSource)
        return false;
    bool lChange = false;
    if (ini.SectionExists(cNouvelle)) {
        ini.EraseSection(cNouvelle);
        lChange = true;
    }
    if (lSource) {
        QStringList cCles;
        ini.ReadSection(cAncienne, cCles);
        ini.EraseSection(cAncienne);
        for (const QString &c : std::as_const(cCles))
            ini.WriteString(cNouvelle, c, QString());
        lChange = true;
    }
    return lChange;
}

class TSansEcritureImmediate
{
public:
    TSansEcritureImmediate(TBigIniFile &a, TBigIniFile &b) : m_a(a), m_b(b), m_la(a.lAutoSave), m_lb(b.lAutoSave)
    {
        a.lAutoSave = false;
        b.lAutoSave = false;
    }
    ~TSansEcritureImmediate()
    {
        m_a.lAutoSave = m_la;
        m_b.lAutoSave = m_lb;
    }

private:
    TBigIniFile &m_a, &m_b;
    bool m_la, m_lb;
};

// The step (0 old, 1 temporary, 2 final) at which the file with this identity stands, or -1.
// A rename by link and unlink cut between the two leaves two names: the later one is kept.
int Position(const TNomsFichier &N)
{
    if (!N.Identite.Valide())
        return -1;
    int nPos = -1;
    for (int n = 2; n >= 0; --n) {
        const QString c = N.Nom(n);
        if (c.isEmpty() || (n == 1 && N.cTemporaire.isEmpty()))
            continue;
        struct stat st
        {
        };
        if (::lstat(QFile::encodeName(c).constData(), &st) != 0)
            continue;
        if (quint64(st.st_dev) != N.Identite.nPeripherique || quint64(st.st_ino) != N.Identite.nInode)
            continue;
        if (nPos < 0) {
            nPos = n;
            continue;
        }
        // An earlier name of the same file: a second link, unless a case-blind volume shows one
        // file under both spellings.
        if (st.st_nlink >= 2 && c.compare(N.Nom(nPos), Qt::CaseInsensitive) != 0)
            ::unlink(QFile::encodeName(c).constData());
    }
    return nPos;
}
} // namespace

TIdentiteFichier IdentiteFichier(const QString &cChemin)
{
    struct stat st
    {
    };
    if (cChemin.isEmpty() || ::lstat(QFile::encodeName(cChemin).constData(), &st) != 0)
        return {};
    return {quint64(st.st_dev), quint64(st.st_ino)};
}

QString TBilanRenommage::MessageFinal() const
{
    if (nNonTraitees <= 0)
        return {};
    return QStringLiteral("%1 image(s) n'ont(a) pas été traitée(s).").arg(nNonTraitees);
}

QString NouveauNom(const QString &cAncien, const TReglageRenommage &R, qint64 i)
{
    const TParties p = Decoupe(cAncien);
    return p.cDossier + R.cPrefixe + QString::number(R.nOffset + i).rightJustified(R.nNbChiffres, QLatin1Char('0'))
           + p.cExtension;
}

QString NouveauNomSeul(const QString &cAncien, const QString &cNom)
{
    const TParties p = Decoupe(cAncien);
    return p.cDossier + cNom.trimmed() + p.cExtension;
}

QString NomCible(const QList<TEnrLst> &Entrees, const TReglageRenommage &R, qint64 i)
{
    const QString &cAncien = Entrees.at(i).cAncien;
    return R.nMode == TModeRenommage::NomSeul ? NouveauNomSeul(cAncien, R.cNomSeul) : NouveauNom(cAncien, R, i);
}

QStringList CompagnonsImage(const QString &cImage, const TParamsRenommage &P)
{
    QStringList l;
    if (P.lTrtTHMDsOpFic && EstCRW(cImage))
        if (const QString c = CompagnonTHM(cImage); !c.isEmpty())
            l << c;
    if (P.lTrtWAVDsOpFic)
        if (const QString c = CompagnonWAV(cImage); !c.isEmpty())
            l << c;
    return l;
}

QString CompagnonPour(const QString &cCompagnon, const QString &cNouvelleImage)
{
    return RemplaceExtension(cNouvelleImage, Decoupe(cCompagnon).cExtension);
}

bool RenommageValide(const QList<TEnrLst> &Entrees, const TReglageRenommage &R, const TParamsRenommage &P)
{
    const qint64 n = Entrees.size();
    if (n == 0)
        return false;
    if (R.nMode == TModeRenommage::NomSeul) {
        const QString cNom = R.cNomSeul.trimmed();
        if (n != 1 || cNom.isEmpty() || cNom.contains(QLatin1Char('/')) || cNom == QStringLiteral(".")
            || cNom == QStringLiteral(".."))
            return false;
    } else {
        if (R.nNbChiffres < 1 || R.nOffset < 0 || n < 2)
            return false;
        if (QString::number(R.nOffset + n - 1).size() > R.nNbChiffres)
            return false;
    }

    // Names that are leaving: the entries' files and their companions.
    QSet<QString> Partants;
    QList<QStringList> Compagnons;
    for (const TEnrLst &E : Entrees) {
        Partants.insert(E.cAncien);
        Compagnons << CompagnonsImage(E.cAncien, P);
        for (const QString &c : std::as_const(Compagnons.last()))
            Partants.insert(c);
    }
    // A target is free when nothing is there, or what is there leaves (in numbered mode), or
    // it is the file itself under another case.
    auto Libre = [&](const QString &cCible, const QString &cSource) {
        if (!Existe(cCible))
            return true;
        if (R.nMode == TModeRenommage::SuffixeNumerique && Partants.contains(cCible))
            return true;
        return cCible != cSource && cCible.compare(cSource, Qt::CaseInsensitive) == 0 && MemeFichier(cCible, cSource);
    };
    for (qint64 i = 0; i < n; ++i) {
        const QString cCible = NomCible(Entrees, R, i);
        if (!Libre(cCible, Entrees[i].cAncien))
            return false;
        for (const QString &c : std::as_const(Compagnons[i]))
            if (!Libre(CompagnonPour(c, cCible), c))
                return false;
    }
    return true;
}

int RenommeSansEcraser(IOperationsFichiers &Operations, const QString &cSource, const QString &cCible)
{
    const TResultatOperation r = Operations.Renomme(cSource, cCible);
    if (r.lOk)
        return 0;
    if (r.nErrno == EEXIST && cSource != cCible && cSource.compare(cCible, Qt::CaseInsensitive) == 0
        && MemeFichier(cSource, cCible)) {
        if (std::rename(QFile::encodeName(cSource).constData(), QFile::encodeName(cCible).constData()) == 0)
            return 0;
        return errno;
    }
    return r.nErrno ? r.nErrno : EIO;
}

TRenommageImages::TRenommageImages(TBigIniFile &iniSetup, TBigIniFile &iniBDD, IOperationsFichiers &Operations,
                                   const TParamsRenommage &Params)
    : m_iniSetup(iniSetup), m_iniBDD(iniBDD), m_Operations(Operations), m_Params(Params)
{}

QString TRenommageImages::CheminJournal(const QString &cDossierDonnees)
{
    QString c = cDossierDonnees;
    if (!c.endsWith(QLatin1Char('/')))
        c += QLatin1Char('/');
    return c + QStringLiteral("Renommage.journal");
}

QList<TPlanRenommage> TRenommageImages::Planifie(const QList<TEnrLst> &Entrees, const TReglageRenommage &R) const
{
    const bool lNumerique = R.nMode == TModeRenommage::SuffixeNumerique;
    QList<TPlanRenommage> Plans;
    QList<QStringList> Compagnons;
    for (qsizetype i = 0; i < Entrees.size(); ++i) {
        TPlanRenommage P;
        P.nEntree = int(i);
        P.Image.cAncien = Entrees[i].cAncien;
        P.Image.cFinal = NomCible(Entrees, R, i);
        P.Image.Identite = IdentiteFichier(P.Image.cAncien);
        Plans << P;
        Compagnons << CompagnonsImage(P.Image.cAncien, m_Params);
    }
    // The temporary counter: no temporary name, the companions' included, may exist.
    int c = 0;
    if (lNumerique) {
        auto Pris = [&](int k) {
            for (qsizetype i = 0; i < Plans.size(); ++i) {
                const QString cTemp = Temporaire(Plans[i].Image.cFinal, k);
                if (Existe(cTemp))
                    return true;
                for (const QString &cComp : std::as_const(Compagnons[i]))
                    if (Existe(Temporaire(CompagnonPour(cComp, Plans[i].Image.cFinal), k)))
                        return true;
            }
            return false;
        };
        while (Pris(c))
            ++c;
    }
    for (qsizetype i = 0; i < Plans.size(); ++i) {
        TPlanRenommage &P = Plans[i];
        if (lNumerique)
            P.Image.cTemporaire = Temporaire(P.Image.cFinal, c);
        if (!m_Params.cDossierVignettes.isEmpty()) {
            P.Vignette.cAncien = NomVignette(m_Params.cDossierVignettes, 0, P.Image.cAncien);
            if (lNumerique)
                P.Vignette.cTemporaire = NomVignette(m_Params.cDossierVignettes, 0, P.Image.cTemporaire);
            P.Vignette.cFinal = NomVignette(m_Params.cDossierVignettes, 0, P.Image.cFinal);
            P.Vignette.Identite = IdentiteFichier(P.Vignette.cAncien);
        }
        for (const QString &cComp : std::as_const(Compagnons[i])) {
            TNomsFichier N;
            N.cAncien = cComp;
            N.cFinal = CompagnonPour(cComp, P.Image.cFinal);
            if (lNumerique)
                N.cTemporaire = Temporaire(N.cFinal, c);
            N.Identite = IdentiteFichier(cComp);
            P.Compagnons << N;
        }
    }
    return Plans;
}

void TRenommageImages::MeneVignette(const QString &cSource, const QString &cCible)
{
    if (cSource.isEmpty() || cCible.isEmpty() || cSource == cCible || m_Operations.Absent(cSource))
        return;
    // A shortened name keeps the image's key inside the file: it would name the old path.
    // Such a cache file goes, to be made again.
    if (EstNomVignetteAbrege(QFileInfo(cSource).fileName()) || EstNomVignetteAbrege(QFileInfo(cCible).fileName())) {
        m_Operations.Supprime(cSource);
        return;
    }
    // What is at the target belonged to a file that is no longer there.
    if (!m_Operations.Absent(cCible))
        m_Operations.Supprime(cCible);
    if (RenommeSansEcraser(m_Operations, cSource, cCible) != 0)
        m_Operations.Supprime(cSource);
}

bool TRenommageImages::RenommerFichierImage(const TPlanRenommage &Plan, int nPhase)
{
    const int nDe = nPhase == 1 ? 0 : 1;
    const int nVers = nPhase == 1 ? 1 : 2;
    const QString cSource = Plan.Image.Nom(nDe);
    const QString cCible = Plan.Image.Nom(nVers);
    if (cSource == cCible || RenommeSansEcraser(m_Operations, cSource, cCible) != 0)
        return false;

    if (m_cSections.isEmpty())
        m_cSections = ListeSectionsImage(m_iniSetup, cSectionsFichiersImages);
    if (DeplaceCles(m_iniSetup, m_cSections, cSource, cCible, false))
        m_lSetupModifie = true;
    if (DeplaceSection(m_iniBDD, cSource, cCible, false))
        m_lBDDModifie = true;

    MeneVignette(Plan.Vignette.Nom(nDe), Plan.Vignette.Nom(nVers));

    if (m_Params.lTrtDescription && pDescriptions)
        pDescriptions->DescriptionImage(0, cSource, nDescRenommage, {}, cCible);

    // A companion that cannot follow keeps its name silently, as in the single-file case.
    for (const TNomsFichier &C : Plan.Compagnons)
        if (!m_Operations.Absent(C.Nom(nDe)))
            RenommeSansEcraser(m_Operations, C.Nom(nDe), C.Nom(nVers));
    return true;
}

QStringList TRenommageImages::EnregistreStores(TJournalRenommage &Journal)
{
    QStringList cErreurs;
    auto Enregistre = [&](TBigIniFile &ini, bool &lModifie, const QString &cStore) {
        if (!lModifie)
            return;
        Journal.AvantEnregistrement(cStore, IdentiteFichier(ini.FileName()));
        if (ini.UpdateFile()) {
            lModifie = false;
            Journal.Enregistre(cStore);
        } else
            cErreurs << QStringLiteral("Le catalogue n'a pas pu être enregistré : %1").arg(ini.FileName());
    };
    Enregistre(m_iniSetup, m_lSetupModifie, cStoreSetup);
    Point(TPointRenommage::ApresEnregistrement, 1);
    Enregistre(m_iniBDD, m_lBDDModifie, cStoreBDD);
    Point(TPointRenommage::ApresEnregistrement, 2);
    return cErreurs;
}

TBilanRenommage TRenommageImages::Renomme(QList<TEnrLst> &Entrees, const TReglageRenommage &R)
{
    TBilanRenommage Bilan;
    if (!m_Params.lModeMAJ) {
        Bilan.lRefuse = true;
        return Bilan;
    }
    if (!RenommageValide(Entrees, R, m_Params)) {
        Bilan.lInvalide = true;
        return Bilan;
    }
    const QList<TPlanRenommage> Plans = Planifie(Entrees, R);
    TJournalRenommage Journal(CheminJournal(m_Params.cDossierDonnees));
    if (const int e = Journal.Ecrit(Plans); e != 0) {
        Bilan.cErreurPreparation = QStringLiteral("Impossible de préparer le renommage : %1")
                                       .arg(e == EEXIST ? QStringLiteral("un renommage interrompu n'est pas "
                                                                         "terminé ; relancez Vimbrel pour "
                                                                         "l'achever")
                                                        : TexteErreurFichier(e));
        return Bilan;
    }
    m_cSections = ListeSectionsImage(m_iniSetup, cSectionsFichiersImages);
    // The replay takes the stores on disk as they were before the batch until their save: a
    // store writing each change at once would break that.
    const TSansEcritureImmediate SansEcriture(m_iniSetup, m_iniBDD);

    const qint64 n = Plans.size();
    int nRenommages = 0;
    QList<bool> Phase1(n, false);
    if (R.nMode == TModeRenommage::NomSeul) {
        if (!Existe(Plans[0].Image.cFinal) || MemeFichier(Plans[0].Image.cAncien, Plans[0].Image.cFinal))
            Phase1[0] = RenommerFichierImage(Plans[0], 1);
        if (Phase1[0]) {
            Entrees[0].cNouveau = Plans[0].Image.cFinal;
            Point(TPointRenommage::ApresRenommage, ++nRenommages);
        }
        Suivi.Position(1, 1);
    } else {
        QSet<QString> Anciens;
        for (const TEnrLst &E : std::as_const(Entrees))
            Anciens.insert(E.cAncien);
        auto Permis = [&](const TPlanRenommage &P) {
            return !Existe(P.Image.cFinal) || Anciens.contains(P.Image.cFinal);
        };
        for (qint64 i = 0; i < n; ++i) {
            if (Permis(Plans[i]) && RenommerFichierImage(Plans[i], 1)) {
                Phase1[i] = true;
                Point(TPointRenommage::ApresRenommage, ++nRenommages);
            }
            Suivi.Position(i + 1, 2 * n);
            // Esc stops the first pass; what got its temporary name still gets its final one.
            if (i + 1 < n && Suivi.Arret()) {
                Bilan.lInterrompu = true;
                break;
            }
        }
        Point(TPointRenommage::EntrePhases, nRenommages);
        for (qint64 i = 0; i < n; ++i) {
            if (Phase1[i] && RenommerFichierImage(Plans[i], 2)) {
                Entrees[i].cNouveau = Plans[i].Image.cFinal;
                Point(TPointRenommage::ApresRenommage, ++nRenommages);
            }
            Suivi.Position(n + i + 1, 2 * n);
        }
    }
    for (const TEnrLst &E : std::as_const(Entrees)) {
        if (E.cNouveau.isEmpty())
            ++Bilan.nNonTraitees;
        else
            ++Bilan.nRenommees;
    }

    Bilan.cErreursEnregistrement = EnregistreStores(Journal);
    // A store that could not be saved keeps the journal: the next start moves its data again.
    if (Bilan.cErreursEnregistrement.isEmpty())
        Journal.Termine();

    if (pAlbum)
        for (const TEnrLst &E : std::as_const(Entrees))
            if (!E.cNouveau.isEmpty() && pAlbum->IndexImage(0, E.cAncien) >= 0)
                pAlbum->RenommeImage(0, E.cAncien, E.cNouveau);
    return Bilan;
}

TBilanReprise TRenommageImages::Reprend()
{
    TBilanReprise Bilan;
    const QString cJournal = CheminJournal(m_Params.cDossierDonnees);
    if (m_Operations.Absent(cJournal))
        return Bilan;
    TJournalRenommage::TContenu Contenu;
    TJournalRenommage Journal(cJournal);
    if (!TJournalRenommage::Lit(cJournal, Contenu)) {
        // Cut while it was written: the batch had not started.
        Journal.Termine();
        return Bilan;
    }
    Bilan.lJournal = true;
    Bilan.nEntrees = int(Contenu.Plans.size());
    const QList<TPlanRenommage> &Plans = Contenu.Plans;
    const bool lNumerique = !Plans.isEmpty() && !Plans[0].Image.cTemporaire.isEmpty();

    QList<int> Positions;
    for (const TPlanRenommage &P : Plans)
        Positions << Position(P.Image);

    // A store whose save had begun was saved when its file is no longer the one it was.
    auto Enregistre = [&](const QString &cStore, const TBigIniFile &ini) {
        if (Contenu.Enregistres.contains(cStore))
            return true;
        const auto it = Contenu.EnInstance.constFind(cStore);
        return it != Contenu.EnInstance.constEnd() && !(IdentiteFichier(ini.FileName()) == it.value());
    };
    const bool lSetup = !Enregistre(cStoreSetup, m_iniSetup);
    const bool lBDD = !Enregistre(cStoreBDD, m_iniBDD);
    m_cSections = ListeSectionsImage(m_iniSetup, cSectionsFichiersImages);
    const TSansEcritureImmediate SansEcriture(m_iniSetup, m_iniBDD);

    // The stores on disk are as they were before the batch: their moves are made again, all the
    // first passes before the second ones, each file as far as it went.
    auto Deplace = [&](const QString &a, const QString &b) {
        if (lSetup && DeplaceCles(m_iniSetup, m_cSections, a, b, true))
            m_lSetupModifie = true;
        if (lBDD && DeplaceSection(m_iniBDD, a, b, true))
            m_lBDDModifie = true;
    };
    for (qsizetype i = 0; i < Plans.size(); ++i)
        if (Positions[i] >= 1)
            Deplace(Plans[i].Image.Nom(0), Plans[i].Image.Nom(1));
    if (lNumerique)
        for (qsizetype i = 0; i < Plans.size(); ++i)
            if (Positions[i] == 2)
                Deplace(Plans[i].Image.Nom(1), Plans[i].Image.Nom(2));

    // Descriptions are saved as each file moves: only the last rename made may lack its own.
    if (m_Params.lTrtDescription && pDescriptions) {
        int nDernier = -1, nPhase = 0;
        for (qsizetype i = 0; i < Plans.size(); ++i) {
            if (lNumerique && Positions[i] == 2) {
                nDernier = int(i);
                nPhase = 2;
            } else if (nPhase < 2 && Positions[i] >= 1) {
                nDernier = int(i);
                nPhase = 1;
            }
        }
        if (nDernier >= 0) {
            const TNomsFichier &N = Plans[nDernier].Image;
            const QString a = lNumerique ? N.Nom(nPhase - 1) : N.cAncien;
            const QString b = lNumerique ? N.Nom(nPhase) : N.cFinal;
            if (!pDescriptions->DescriptionImage(0, a, nDescLecture).isEmpty())
                pDescriptions->DescriptionImage(0, a, nDescRenommage, {}, b);
        }
    }

    // Companions and cached thumbnails join their image, found by their identity.
    for (qsizetype i = 0; i < Plans.size(); ++i) {
        if (Positions[i] < 0)
            continue;
        for (const TNomsFichier &C : Plans[i].Compagnons) {
            const int nPos = Position(C);
            if (nPos >= 0 && nPos != Positions[i])
                RenommeSansEcraser(m_Operations, C.Nom(nPos), C.Nom(Positions[i]));
        }
        const int nPosVig = Position(Plans[i].Vignette);
        if (nPosVig >= 0 && nPosVig != Positions[i])
            MeneVignette(Plans[i].Vignette.Nom(nPosVig), Plans[i].Vignette.Nom(Positions[i]));
    }

    // The second pass is completed where the final name is free.
    if (lNumerique)
        for (qsizetype i = 0; i < Plans.size(); ++i)
            if (Positions[i] == 1 && !Existe(Plans[i].Image.cFinal) && RenommerFichierImage(Plans[i], 2))
                ++Bilan.nTerminees;

    Journal.Reprend();
    Bilan.cErreursEnregistrement = EnregistreStores(Journal);
    if (Bilan.cErreursEnregistrement.isEmpty())
        Journal.Termine();
    return Bilan;
}

void AppliqueRenommage(TModeleListeImages &Modele, const QList<TEnrLst> &Entrees)
{
    for (const TEnrLst &E : Entrees) {
        if (E.cNouveau.isEmpty() || E.nIndLV < 0 || E.nIndLV >= Modele.Nombre())
            continue;
        TEnrLV &Enr = Modele.Enr(E.nIndLV);
        if (Enr.nNumCD != 0 || Enr.CheminComplet() != E.cAncien)
            continue;
        Enr.cChemin = E.cNouveau;
        Modele.EnrModifie(E.nIndLV);
    }
}

#include "classification/EditionCriteres.h"

#include "classification/ArboCriteres.h"
#include "classification/IndexClassement.h"
#include "platform/AtomicFile.h"
#include "storage/BigIniFiles.h"
#include "storage/Sections.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <thread>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::function<void(int)> fnPointCritiqueCriteres;

namespace
{
void PointCritique(int n)
{
    if (fnPointCritiqueCriteres)
        fnPointCritiqueCriteres(n);
}

const QString cMessageJournal = QStringLiteral("Impossible d'enregistrer la modification des critères : %1");

bool Sous(const QString &cCle, const QString &cChemin)
{
    return cCle.startsWith(cChemin) && (cCle.size() == cChemin.size() || cCle[cChemin.size()] == u'/');
}

bool TouchesCatalogue(TGenreOpCritere n)
{
    return n == TGenreOpCritere::Renommage || n == TGenreOpCritere::Deplacement || n == TGenreOpCritere::Suppression;
}
} // namespace

// ---- Captions and keywords -----------------------------------------------------------------

bool CaractereCaption(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9') || u == u' ' || u == u'&'
           || u == u'+' || u == u',' || u == u'-' || u == u'.' || u == u'_';
}

bool CaractereMotCleSaisi(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'&' || u == u'+' || u == u',' || u == u'-'
           || u == u'.' || u == u'_';
}

QString CaptionNouveau(const QStringList &CaptionsFreres)
{
    const QSet<QString> Pris(CaptionsFreres.begin(), CaptionsFreres.end());
    for (qint64 n = 1;; ++n) {
        const QString c = QStringLiteral("Nouveau") + QString::number(n);
        if (!Pris.contains(c))
            return c;
    }
}

const QStringList &ClesReserveesRecherche()
{
    static const QStringList Cles = {QStringLiteral("_MC"), QStringLiteral("_CDC"), QStringLiteral("_LEG"),
                                     QStringLiteral("_DES")};
    return Cles;
}

bool CaptionCorrecte(const QString &cCaption, const QStringList &AutresFreres, bool lRacine)
{
    if (cCaption.isEmpty() || !std::all_of(cCaption.begin(), cCaption.end(), CaractereCaption))
        return false;
    const QString cMaj = cCaption.toUpper();
    if (lRacine && ClesReserveesRecherche().contains(cMaj))
        return false;
    return std::none_of(AutresFreres.begin(), AutresFreres.end(),
                        [&](const QString &c) { return c.toUpper() == cMaj; });
}

// ---- The edited tree -----------------------------------------------------------------------

QString ParentChemin(const QString &cChemin)
{
    const qsizetype n = cChemin.lastIndexOf(u'/');
    return n < 0 ? QString() : cChemin.left(n);
}

QString CaptionChemin(const QString &cChemin)
{
    return cChemin.mid(cChemin.lastIndexOf(u'/') + 1);
}

void TArboEditee::Depuis(const TArboCriteres &Arbo, const TBigIniFile &iniSetup)
{
    m_Noeuds.clear();
    m_Noeuds.reserve(size_t(Arbo.NbNoeuds()));
    for (const TNoeudCritere *p : Arbo.Preordre()) {
        const QString cChemin = CheminCritere(*p);
        m_Noeuds.push_back({cChemin, iniSetup.ReadString(cSectionCritHier, cChemin, QString())});
    }
}

void TArboEditee::DepuisSection(const TBigIniFile &iniSetup)
{
    // Built as a real tree first: a new child goes after its parent's whole subtree, which a
    // flat list could only find by walking it.
    struct TNoeud
    {
        QString cCaption;
        QString cImageCH;
        std::vector<int> Enfants;
        QHash<QString, int> ParCaption;
    };
    std::vector<TNoeud> Noeuds(1);
    QStringList Cles, Lignes;
    iniSetup.ReadSection(cSectionCritHier, Cles);
    iniSetup.ReadSectionValues(cSectionCritHier, Lignes);
    for (qsizetype i = 0; i < std::min(Cles.size(), Lignes.size()); ++i) {
        const QString cImage = Lignes[i].mid(Lignes[i].indexOf(u'=') + 1);
        int nCourant = 0;
        for (const QString &cComposant : DecoupeChemin(Cles[i])) {
            auto it = Noeuds[size_t(nCourant)].ParCaption.constFind(cComposant);
            if (it != Noeuds[size_t(nCourant)].ParCaption.constEnd()) {
                nCourant = it.value();
                continue;
            }
            const int n = int(Noeuds.size());
            Noeuds.push_back({cComposant, cImage, {}, {}});
            Noeuds[size_t(nCourant)].Enfants.push_back(n);
            Noeuds[size_t(nCourant)].ParCaption.insert(cComposant, n);
            nCourant = n;
        }
    }
    m_Noeuds.clear();
    std::vector<std::pair<int, QString>> Pile; // node, parent path
    for (auto it = Noeuds[0].Enfants.rbegin(); it != Noeuds[0].Enfants.rend(); ++it)
        Pile.push_back({*it, QString()});
    while (!Pile.empty()) {
        const auto [n, cParent] = Pile.back();
        Pile.pop_back();
        const TNoeud &x = Noeuds[size_t(n)];
        const QString cChemin = cParent.isEmpty() ? x.cCaption : cParent + u'/' + x.cCaption;
        m_Noeuds.push_back({cChemin, x.cImageCH});
        for (auto it = x.Enfants.rbegin(); it != x.Enfants.rend(); ++it)
            Pile.push_back({*it, cChemin});
    }
}

void TArboEditee::SauverArboCritHier(TBigIniFile &iniSetup) const
{
    std::vector<std::pair<QString, QString>> Lignes;
    Lignes.reserve(m_Noeuds.size());
    for (const TCritereEdite &e : m_Noeuds)
        Lignes.push_back({e.cChemin, e.cImageCH});
    iniSetup.RemplaceSection(cSectionCritHier, Lignes);
}

int TArboEditee::Cherche(const QString &cChemin) const
{
    for (size_t i = 0; i < m_Noeuds.size(); ++i)
        if (m_Noeuds[i].cChemin == cChemin)
            return int(i);
    return -1;
}

int TArboEditee::FinSousArbre(int n) const
{
    const QString &cChemin = m_Noeuds[size_t(n)].cChemin;
    int i = n + 1;
    while (i < Nombre() && m_Noeuds[size_t(i)].cChemin.size() > cChemin.size()
           && m_Noeuds[size_t(i)].cChemin[cChemin.size()] == u'/' && m_Noeuds[size_t(i)].cChemin.startsWith(cChemin))
        ++i;
    return i;
}

QStringList TArboEditee::CaptionsEnfants(const QString &cParent) const
{
    QStringList Captions;
    if (cParent.isEmpty()) {
        for (const TCritereEdite &e : m_Noeuds)
            if (!e.cChemin.contains(u'/'))
                Captions << e.cChemin;
        return Captions;
    }
    const int n = Cherche(cParent);
    if (n < 0)
        return Captions;
    const int nFin = FinSousArbre(n);
    for (int i = n + 1; i < nFin; ++i) {
        const QString &c = m_Noeuds[size_t(i)].cChemin;
        if (c.indexOf(u'/', cParent.size() + 1) < 0)
            Captions << c.mid(cParent.size() + 1);
    }
    return Captions;
}

bool TArboEditee::AEnfants(const QString &cChemin) const
{
    const int n = Cherche(cChemin);
    return n >= 0 && FinSousArbre(n) > n + 1;
}

bool TArboEditee::Cree(const QString &cParent, const QString &cCaption)
{
    int nPos = Nombre();
    if (!cParent.isEmpty()) {
        const int n = Cherche(cParent);
        if (n < 0)
            return false;
        nPos = FinSousArbre(n);
    }
    m_Noeuds.insert(m_Noeuds.begin() + nPos, {cParent.isEmpty() ? cCaption : cParent + u'/' + cCaption, QString()});
    return true;
}

bool TArboEditee::Renomme(const QString &cChemin, const QString &cCaption)
{
    const int n = Cherche(cChemin);
    if (n < 0)
        return false;
    const QString cDebut = cChemin.left(cChemin.size() - CaptionChemin(cChemin).size()) + cCaption;
    const int nFin = FinSousArbre(n);
    for (int i = n; i < nFin; ++i) {
        QString &c = m_Noeuds[size_t(i)].cChemin;
        c = cDebut + c.mid(cChemin.size());
    }
    return true;
}

bool TArboEditee::Supprime(const QString &cChemin)
{
    const int n = Cherche(cChemin);
    if (n < 0)
        return false;
    m_Noeuds.erase(m_Noeuds.begin() + n, m_Noeuds.begin() + FinSousArbre(n));
    return true;
}

bool TArboEditee::Copie(const QString &cChemin, const QString &cCible)
{
    const int n = Cherche(cChemin), t = Cherche(cCible);
    if (n < 0 || t < 0)
        return false;
    const qsizetype nDebutCaption = cChemin.lastIndexOf(u'/') + 1;
    std::vector<TCritereEdite> Copies(m_Noeuds.begin() + n, m_Noeuds.begin() + FinSousArbre(n));
    for (TCritereEdite &e : Copies)
        e.cChemin = cCible + u'/' + e.cChemin.mid(nDebutCaption);
    const int nPos = FinSousArbre(t);
    m_Noeuds.insert(m_Noeuds.begin() + nPos, Copies.begin(), Copies.end());
    return true;
}

bool TArboEditee::Deplace(const QString &cChemin, const QString &cCible)
{
    if (!Copie(cChemin, cCible))
        return false;
    return Supprime(cChemin);
}

bool TArboEditee::FixeImage(const QString &cChemin, const QString &cImageCH, int nPortee)
{
    const int n = Cherche(cChemin);
    if (n < 0)
        return false;
    m_Noeuds[size_t(n)].cImageCH = cImageCH;
    if (nPortee <= 0)
        return true;
    const int nFin = FinSousArbre(n);
    for (int i = n + 1; i < nFin; ++i)
        if (nPortee >= 2 || m_Noeuds[size_t(i)].cChemin.indexOf(u'/', cChemin.size() + 1) < 0)
            m_Noeuds[size_t(i)].cImageCH = cImageCH;
    return true;
}

bool DepotAccepte(const TArboEditee &Arbo, const QString &cDeplace, const QString &cCible)
{
    if (cDeplace.isEmpty() || cCible.isEmpty() || cDeplace == cCible)
        return false;
    if (Arbo.Cherche(cDeplace) < 0 || Arbo.Cherche(cCible) < 0)
        return false;
    const QString cParent = ParentChemin(cDeplace);
    if (cCible == cParent || ParentChemin(cCible) == cParent)
        return false;
    if (Sous(cCible, cDeplace))
        return false;
    return !Arbo.CaptionsEnfants(cCible).contains(CaptionChemin(cDeplace));
}

// ---- Carrying an operation into the keys ---------------------------------------------------

bool RecleCles(QStringList &Cles, const TOperationCritere &Op, const QStringList &Reserves)
{
    if (!TouchesCatalogue(Op.nGenre) || Op.cChemin.isEmpty())
        return false;
    const QString &P = Op.cChemin;
    // The length of the parent's path, -1 for a top-level node.
    const qsizetype L = P.lastIndexOf(u'/');
    bool lAffecte = false;
    for (qsizetype k = Cles.size() - 1; k >= 0; --k) {
        const QString &K = Cles[k];
        if (!Sous(K, P) || Reserves.contains(K))
            continue;
        lAffecte = true;
        switch (Op.nGenre) {
        case TGenreOpCritere::Renommage: Cles[k] = K.left(L + 1) + Op.cArgument + K.mid(P.size()); break;
        case TGenreOpCritere::Deplacement: Cles[k] = Op.cArgument + u'/' + K.mid(L + 1); break;
        default:
            if (L < 0)
                Cles.removeAt(k);
            else
                Cles[k] = K.left(L);
        }
    }
    if (!lAffecte || Op.nGenre == TGenreOpCritere::Renommage)
        return lAffecte;
    // Duplicates out, then every path that another path of the image lies under. An image
    // holds a handful of paths: pairwise comparisons cost less than hashing them.
    QStringList Restants;
    Restants.reserve(Cles.size());
    for (const QString &c : std::as_const(Cles))
        if (!Restants.contains(c))
            Restants << c;
    auto EstReserve = [&](const QString &c) { return !Reserves.isEmpty() && Reserves.contains(c); };
    auto Ancetre = [&](const QString &c) {
        for (const QString &d : std::as_const(Restants))
            if (d.size() > c.size() && d[c.size()] == u'/' && d.startsWith(c) && !EstReserve(d))
                return true;
        return false;
    };
    Cles.clear();
    for (const QString &c : std::as_const(Restants))
        if (EstReserve(c) || !Ancetre(c))
            Cles << c;
    return true;
}

void ReporteCatalogue(TBigIniFile &iniBDD, const TOperationCritere &Op, TIndexClassement *pIndex)
{
    if (!TouchesCatalogue(Op.nGenre))
        return;
    const bool lSuivi = pIndex && pIndex->CatalogueSuivi();
    std::vector<std::pair<QString, QStringList>> Images;
    iniBDD.RecleSectionsSousChemin(Op.cChemin, [&](const QString &cSection, QStringList &Cles) {
        if (!RecleCles(Cles, Op))
            return false;
        if (pIndex)
            Images.push_back({cSection, Cles});
        return true;
    });
    if (pIndex)
        pIndex->CriteresChanges(Images, lSuivi);
}

void ReporteRecherchesEnregistrees(TBigIniFile &iniSetup, const TOperationCritere &Op)
{
    if (!TouchesCatalogue(Op.nGenre))
        return;
    QStringList Sections, Cles, Lignes;
    iniSetup.ReadSections(Sections);
    for (const QString &cSection : std::as_const(Sections)) {
        if (!cSection.startsWith(cPrefixeRechEnreg, Qt::CaseInsensitive))
            continue;
        iniSetup.ReadSection(cSection, Cles);
        iniSetup.ReadSectionValues(cSection, Lignes);
        QHash<QString, QString> Valeurs;
        for (qsizetype i = 0; i < std::min(Cles.size(), Lignes.size()); ++i)
            if (ClesReserveesRecherche().contains(Cles[i]) && !Valeurs.contains(Cles[i]))
                Valeurs.insert(Cles[i], Lignes[i].mid(Lignes[i].indexOf(u'=') + 1));
        if (!RecleCles(Cles, Op, ClesReserveesRecherche()))
            continue;
        std::vector<std::pair<QString, QString>> Nouvelles;
        for (const QString &c : std::as_const(Cles))
            Nouvelles.push_back({c, Valeurs.value(c)});
        iniSetup.RemplaceSection(cSection, Nouvelles);
    }
}

namespace
{
// Applies the tree part of an operation; false when its node is missing.
bool AppliqueArbo(TArboEditee &Arbo, const TOperationCritere &Op)
{
    switch (Op.nGenre) {
    case TGenreOpCritere::Creation: return Arbo.Cree(Op.cChemin, Op.cArgument);
    case TGenreOpCritere::Renommage: return Arbo.Renomme(Op.cChemin, Op.cArgument);
    case TGenreOpCritere::Deplacement: return Arbo.Deplace(Op.cChemin, Op.cArgument);
    case TGenreOpCritere::Copie: return Arbo.Copie(Op.cChemin, Op.cArgument);
    case TGenreOpCritere::Suppression: return Arbo.Supprime(Op.cChemin);
    case TGenreOpCritere::Image: return Arbo.FixeImage(Op.cChemin, Op.cArgument, Op.nPortee);
    }
    return false;
}

// ---- Journal lines

const char *const cGenres = "CRDPSI"; // in the order of TGenreOpCritere

QByteArray Echappe(const QString &c)
{
    QByteArray r;
    for (const char x : c.toUtf8()) {
        switch (x) {
        case '%': r += "%25"; break;
        case '\t': r += "%09"; break;
        case '\r': r += "%0D"; break;
        case '\n': r += "%0A"; break;
        default: r += x;
        }
    }
    return r;
}

bool Desechappe(QByteArrayView s, QString &c)
{
    QByteArray r;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            r += s[i];
            continue;
        }
        if (i + 2 >= s.size())
            return false;
        bool lOk = false;
        const int n = s.sliced(i + 1, 2).toByteArray().toInt(&lOk, 16);
        if (!lOk)
            return false;
        r += char(n);
        i += 2;
    }
    c = QString::fromUtf8(r);
    return true;
}

// The longest journal read: far beyond any session's edits, short of exhausting memory.
constexpr qint64 nTailleMaxJournal = qint64(256) << 20;
} // namespace

TJournalCriteres::TJournalCriteres(QString cFichier) : m_cFichier(std::move(cFichier)) {}

TJournalCriteres::~TJournalCriteres()
{
    if (m_fdEnAttente >= 0)
        ::close(m_fdEnAttente);
}

namespace
{
void SynchroniseDossierDe(const QString &cFichier)
{
    const QByteArray Dossier = QFile::encodeName(QFileInfo(cFichier).absolutePath());
    const int fdd = ::open(Dossier.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdd >= 0) {
        ::fsync(fdd);
        ::close(fdd);
    }
}
} // namespace

bool TJournalCriteres::Synchronise(QString *pErreur)
{
    if (m_fdEnAttente < 0)
        return true;
    const int fd = std::exchange(m_fdEnAttente, -1);
    const bool lOk = ::fsync(fd) == 0;
    const int nErr = errno;
    ::close(fd);
    if (!lOk) {
        if (pErreur)
            *pErreur = TexteErreurSysteme(nErr);
        return false;
    }
    if (m_lNouveauEnAttente)
        SynchroniseDossierDe(m_cFichier);
    return true;
}

bool TJournalCriteres::Ajoute(const QByteArray &Ligne, QString *pErreur, TSync nSync)
{
    // A line still waiting for its sync goes to the disk before the next one is written.
    if (!Synchronise(pErreur))
        return false;
    const QByteArray Nom = QFile::encodeName(m_cFichier);
    const bool lNouveau = !QFileInfo::exists(m_cFichier);
    const int fd = ::open(Nom.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    auto Echec = [&](int nErr) {
        if (pErreur)
            *pErreur = TexteErreurSysteme(nErr);
        return false;
    };
    if (fd < 0)
        return Echec(errno);
    // A line torn by a crash is cut off, so that it never stands before a good one.
    off_t nTaille = ::lseek(fd, 0, SEEK_END);
    if (nTaille > 0) {
        char c = 0;
        if (::pread(fd, &c, 1, nTaille - 1) == 1 && c != '\n') {
            off_t nFin = nTaille - 1;
            while (nFin > 0 && ::pread(fd, &c, 1, nFin - 1) == 1 && c != '\n')
                --nFin;
            if (::ftruncate(fd, nFin) != 0) {
                const int nErr = errno;
                ::close(fd);
                return Echec(nErr);
            }
            nTaille = nFin;
        }
    }
    const char *p = Ligne.constData();
    qint64 nReste = Ligne.size();
    off_t nPos = nTaille;
    while (nReste > 0) {
        const ssize_t n = ::pwrite(fd, p, size_t(nReste), nPos);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int nErr = n < 0 ? errno : ENOSPC;
            // What was written of the line is taken back: the journal stays whole.
            if (::ftruncate(fd, nTaille) != 0) {
            }
            ::close(fd);
            return Echec(nErr);
        }
        p += n;
        nPos += n;
        nReste -= n;
    }
    if (nSync == TSync::Differee) {
        m_fdEnAttente = fd;
        m_lNouveauEnAttente = lNouveau;
        return true;
    }
    if (nSync == TSync::Maintenant && ::fsync(fd) != 0) {
        const int nErr = errno;
        if (::ftruncate(fd, nTaille) != 0) {
        }
        ::close(fd);
        return Echec(nErr);
    }
    ::close(fd);
    if (lNouveau && nSync == TSync::Maintenant)
        SynchroniseDossierDe(m_cFichier);
    return true;
}

namespace
{
QByteArray LigneOperation(qint64 nNumero, const TOperationCritere &Op)
{
    return QByteArray::number(nNumero) + '\t' + cGenres[int(Op.nGenre)] + '\t' + Echappe(Op.cChemin) + '\t'
           + Echappe(Op.cArgument) + '\t' + QByteArray::number(Op.nPortee) + '\n';
}
} // namespace

bool TJournalCriteres::AjouteOperation(qint64 nNumero, const TOperationCritere &Op, QString *pErreur)
{
    return Ajoute(LigneOperation(nNumero, Op), pErreur, TSync::Maintenant);
}

bool TJournalCriteres::EcritOperation(qint64 nNumero, const TOperationCritere &Op, QString *pErreur)
{
    return Ajoute(LigneOperation(nNumero, Op), pErreur, TSync::Differee);
}

bool TJournalCriteres::AjouteCatalogue(qint64 nNumero, QString *pErreur)
{
    // Not synced: a mark lost with the machine only makes the replay apply the operation to
    // the catalogue once more, which changes nothing; the next operation's line syncs it anyway.
    return Ajoute(QByteArray::number(nNumero) + "\tB\n", pErreur, TSync::Aucune);
}

bool TJournalCriteres::Supprime()
{
    if (m_fdEnAttente >= 0)
        ::close(std::exchange(m_fdEnAttente, -1));
    return !QFileInfo::exists(m_cFichier) || QFile::remove(m_cFichier);
}

TJournalCriteres::TContenu TJournalCriteres::Lit() const
{
    TContenu c;
    const TLectureFichier Lecture = LitFichierEntier(m_cFichier, nTailleMaxJournal);
    if (Lecture.nResultat == TLectureFichier::TResultat::Absent)
        return c;
    if (Lecture.nResultat == TLectureFichier::TResultat::Illisible) {
        c.lLisible = false;
        return c;
    }
    QList<QByteArray> Lignes = Lecture.Octets.split('\n');
    Lignes.removeLast(); // the torn line, or the nothing after the last end of line
    qint64 nDernier = 0;
    for (const QByteArray &Ligne : std::as_const(Lignes)) {
        const QList<QByteArray> Champs = Ligne.split('\t');
        bool lOk = false;
        const qint64 n = Champs.value(0).toLongLong(&lOk);
        if (!lOk || n <= 0) {
            c.lLisible = false;
            return c;
        }
        if (Champs.size() == 2 && Champs[1] == "B" && n <= nDernier) {
            c.nCatalogue = n;
            continue;
        }
        TOperationCritere Op;
        const char *pGenre = Champs.size() == 5 && Champs[1].size() == 1 ? std::strchr(cGenres, Champs[1][0]) : nullptr;
        int nPortee = 0;
        if (pGenre && *pGenre)
            nPortee = Champs[4].toInt(&lOk);
        if (!pGenre || !*pGenre || !lOk || n <= nDernier || !Desechappe(Champs[2], Op.cChemin)
            || !Desechappe(Champs[3], Op.cArgument)) {
            c.lLisible = false;
            return c;
        }
        Op.nGenre = TGenreOpCritere(pGenre - cGenres);
        Op.nPortee = nPortee;
        c.Operations.push_back({n, Op});
        nDernier = n;
    }
    return c;
}

// ---- The editor ----------------------------------------------------------------------------

TEditionCriteres::TEditionCriteres(TBigIniFile &iniSetup, TBigIniFile &iniBDD, TIndexClassement *pIndex,
                                   TJournalCriteres &Journal)
    : m_iniSetup(iniSetup), m_iniBDD(iniBDD), m_pIndex(pIndex), m_Journal(Journal)
{
    m_nNumero = std::max<qint64>(0, m_iniSetup.ReadString(cSectionGeneral, cCleNumOpCriteres, QString()).toLongLong());
    const TJournalCriteres::TContenu Contenu = m_Journal.Lit();
    if (!Contenu.Operations.empty())
        m_nNumero = std::max(m_nNumero, Contenu.Operations.back().first);
}

bool TEditionCriteres::RenommageCorrect(const QString &cChemin, const QString &cCaption) const
{
    QStringList Freres = m_Arbo.CaptionsEnfants(ParentChemin(cChemin));
    Freres.removeOne(CaptionChemin(cChemin));
    return CaptionCorrecte(cCaption, Freres, !cChemin.contains(u'/'));
}

bool TEditionCriteres::Applique(const TOperationCritere &OpDemandee, QString &cErreur)
{
    cErreur.clear();
    TOperationCritere Op = OpDemandee;
    if (Op.nGenre == TGenreOpCritere::Creation && Op.cArgument.isEmpty())
        Op.cArgument = CaptionNouveau(m_Arbo.CaptionsEnfants(Op.cChemin));
    // An operation that the tree refuses is not journaled: it would change nothing.
    bool lAcceptee = false;
    switch (Op.nGenre) {
    case TGenreOpCritere::Creation: lAcceptee = Op.cChemin.isEmpty() || m_Arbo.Cherche(Op.cChemin) >= 0; break;
    case TGenreOpCritere::Renommage:
        lAcceptee = Op.cArgument != CaptionChemin(Op.cChemin) && RenommageCorrect(Op.cChemin, Op.cArgument);
        break;
    case TGenreOpCritere::Deplacement:
    case TGenreOpCritere::Copie: lAcceptee = DepotAccepte(m_Arbo, Op.cChemin, Op.cArgument); break;
    default: lAcceptee = m_Arbo.Cherche(Op.cChemin) >= 0;
    }
    if (!lAcceptee)
        return true;

    const qint64 n = m_nNumero + 1;
    QString cRaison;
    if (!m_Journal.EcritOperation(n, Op, &cRaison)) {
        cErreur = cMessageJournal.arg(cRaison);
        return false;
    }
    m_nNumero = n;
    // The line reaches the disk while the stores change in memory; nothing is saved before.
    QString cRaisonSync;
    bool lSynchronise = false;
    std::thread Synchronisation([&] { lSynchronise = m_Journal.Synchronise(&cRaisonSync); });
    PointCritique(1);

    AppliqueArbo(m_Arbo, Op);
    lModifie = true;
    ReporteRecherchesEnregistrees(m_iniSetup, Op);
    m_Arbo.SauverArboCritHier(m_iniSetup);
    m_iniSetup.WriteString(cSectionGeneral, cCleNumOpCriteres, QString::number(n));
    if (TouchesCatalogue(Op.nGenre))
        ReporteCatalogue(m_iniBDD, Op, m_pIndex);
    Synchronisation.join();
    if (!lSynchronise) {
        // The change stays in memory and its line in the journal, as after a failed save.
        cErreur = cMessageJournal.arg(cRaisonSync);
        return false;
    }
    if (!TouchesCatalogue(Op.nGenre) || !m_iniBDD.Modifie())
        return true;
    PointCritique(2);
    const bool lSauve = m_iniBDD.UpdateFile();
    PointCritique(3);
    if (!lSauve) {
        cErreur = QStringLiteral("%1 : %2").arg(m_iniBDD.FileName(), m_iniBDD.DerniereErreur());
        return false;
    }
    // Losing the mark only means that a replay applies this operation once more.
    m_Journal.AjouteCatalogue(n, nullptr);
    PointCritique(4);
    return true;
}

bool TEditionCriteres::Ferme(QString &cErreur)
{
    cErreur.clear();
    if (!lModifie && !QFileInfo::exists(m_Journal.Fichier()))
        return true;
    PointCritique(5);
    QStringList Erreurs;
    if (m_iniBDD.Modifie() && !m_iniBDD.UpdateFile())
        Erreurs << QStringLiteral("%1 : %2").arg(m_iniBDD.FileName(), m_iniBDD.DerniereErreur());
    if (!m_iniSetup.UpdateFile())
        Erreurs << QStringLiteral("%1 : %2").arg(m_iniSetup.FileName(), m_iniSetup.DerniereErreur());
    PointCritique(6);
    if (!Erreurs.isEmpty()) {
        cErreur = Erreurs.join(u'\n');
        return false;
    }
    m_Journal.Supprime();
    return true;
}

bool RejoueJournalCriteres(TJournalCriteres &Journal, TBigIniFile &iniSetup, TBigIniFile &iniBDD, QString &cMessage)
{
    cMessage.clear();
    if (!QFileInfo::exists(Journal.Fichier()))
        return true;
    const TJournalCriteres::TContenu c = Journal.Lit();
    if (!c.lLisible) {
        const QString cAutre =
            Journal.Fichier() + u'.' + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_hh-mm-ss"));
        QFile::rename(Journal.Fichier(), cAutre);
        cMessage = QStringLiteral("Le journal des modifications des critères « %1 » est illisible ; il a été mis de "
                                  "côté sous « %2 ». Les dernières modifications des critères ont pu être perdues.")
                       .arg(Journal.Fichier(), cAutre);
        return true;
    }
    const qint64 nReglages =
        std::max<qint64>(0, iniSetup.ReadString(cSectionGeneral, cCleNumOpCriteres, QString()).toLongLong());
    qint64 nCatalogue = c.nCatalogue;
    if (nCatalogue < 0)
        nCatalogue = c.Operations.empty() ? 0 : c.Operations.front().first - 1;

    TArboEditee Arbo;
    Arbo.DepuisSection(iniSetup);
    qint64 nDernier = -1;
    for (const auto &[n, Op] : c.Operations) {
        if (n > nReglages) {
            AppliqueArbo(Arbo, Op);
            ReporteRecherchesEnregistrees(iniSetup, Op);
            nDernier = n;
        }
        if (n > nCatalogue)
            ReporteCatalogue(iniBDD, Op, nullptr);
    }
    if (nDernier >= 0) {
        Arbo.SauverArboCritHier(iniSetup);
        iniSetup.WriteString(cSectionGeneral, cCleNumOpCriteres, QString::number(nDernier));
    }
    bool lOk = true;
    if (iniBDD.Modifie() && !iniBDD.UpdateFile()) {
        cMessage += QStringLiteral("%1 : %2\n").arg(iniBDD.FileName(), iniBDD.DerniereErreur());
        lOk = false;
    }
    if (iniSetup.Modifie() && !iniSetup.UpdateFile()) {
        cMessage += QStringLiteral("%1 : %2\n").arg(iniSetup.FileName(), iniSetup.DerniereErreur());
        lOk = false;
    }
    if (lOk)
        Journal.Supprime();
    return lOk;
}

// ---- Keywords, saved lists, clipboard ------------------------------------------------------

namespace
{
QStringList Mots(const QString &c)
{
    return c.split(QRegularExpression(QStringLiteral("[ \t]+")), Qt::SkipEmptyParts);
}

// Rewrites each line of `MOTS-CLES` holding the keyword through f (given the words and the
// index of the first match); returns the keys changed.
QStringList ChangeMotCle(TBigIniFile &iniSetup, const QString &cMotCle,
                         const std::function<void(QStringList &, qsizetype)> &f)
{
    QStringList Cles, Changees;
    iniSetup.ReadSection(cSectionMotsCles, Cles);
    for (const QString &cCle : std::as_const(Cles)) {
        QStringList m = Mots(iniSetup.ReadString(cSectionMotsCles, cCle, QString()));
        qsizetype i = 0;
        while (i < m.size() && m[i].compare(cMotCle, Qt::CaseInsensitive) != 0)
            ++i;
        if (i == m.size())
            continue;
        f(m, i);
        if (m.isEmpty())
            iniSetup.DeleteKey(cSectionMotsCles, cCle);
        else
            iniSetup.WriteString(cSectionMotsCles, cCle, m.join(u' '));
        Changees << cCle;
    }
    return Changees;
}
} // namespace

QStringList SupprimeMotCle(TBigIniFile &iniSetup, const QString &cMotCle)
{
    return ChangeMotCle(iniSetup, cMotCle, [](QStringList &m, qsizetype i) { m.removeAt(i); });
}

bool RenommageMotCleCorrect(const QString &R, const QString &cAncien, const QStringList &Existants)
{
    if (R.isEmpty() || R == cAncien || !std::all_of(R.begin(), R.end(), CaractereMotCleSaisi))
        return false;
    return std::none_of(Existants.begin(), Existants.end(),
                        [&](const QString &c) { return c.compare(R, Qt::CaseInsensitive) == 0; });
}

QStringList RenommeMotCle(TBigIniFile &iniSetup, const QString &cAncien, const QString &R)
{
    return ChangeMotCle(iniSetup, cAncien, [&](QStringList &m, qsizetype i) { m[i] = R; });
}

QString TextePressePapiers(const TArboEditee &Arbo, const QStringList &MotsCles)
{
    QString c;
    if (!Arbo.EstVide()) {
        c += QStringLiteral("CRITERES HIERARCHIQUES :\n------------------------\n");
        for (const TCritereEdite &e : Arbo.Noeuds())
            c += QString(int(e.cChemin.count(u'/')), u'\t') + CaptionChemin(e.cChemin) + u'\n';
    }
    if (!MotsCles.isEmpty()) {
        c += QStringLiteral("\nMOTS-CLES :\n-----------\n");
        for (const QString &m : MotsCles)
            c += m + u'\n';
    }
    return c;
}

// ---- The icon files ------------------------------------------------------------------------

bool TailleBmp(const QString &cFichier, int &nLargeur, int &nHauteur)
{
    QFile f(cFichier);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray e = f.read(26);
    if (e.size() < 26 || !e.startsWith("BM"))
        return false;
    auto Mot32 = [&](int n) {
        return qint32(quint32(quint8(e[n])) | quint32(quint8(e[n + 1])) << 8 | quint32(quint8(e[n + 2])) << 16
                      | quint32(quint8(e[n + 3])) << 24);
    };
    auto Mot16 = [&](int n) { return qint16(quint16(quint8(e[n])) | quint16(quint8(e[n + 1])) << 8); };
    const qint32 nTailleEntete = Mot32(14);
    if (nTailleEntete == 12) {
        nLargeur = Mot16(18);
        nHauteur = Mot16(20);
    } else if (nTailleEntete >= 40) {
        nLargeur = Mot32(18);
        // A negative height is a picture stored from the top down.
        nHauteur = Mot32(22) == std::numeric_limits<qint32>::min() ? -1 : std::abs(Mot32(22));
    } else {
        return false;
    }
    return true;
}

void ListeImagesCH(const QString &cDossier, std::vector<TEnrImgCH> &Images, std::vector<TEnrCat> &Categories)
{
    Images.clear();
    Categories.clear();
    const QDir Dossier(cDossier);
    const QFileInfoList Entrees = Dossier.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QFileInfo &Info : Entrees) {
        const QString cNom = Info.fileName();
        if (cNom.startsWith(u'.') || !cNom.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive) || !Info.isFile())
            continue;
        int nLargeur = 0, nHauteur = 0;
        if (!TailleBmp(Info.filePath(), nLargeur, nHauteur) || nLargeur != 16 || nHauteur != 16)
            continue;
        TEnrImgCH e;
        e.cNom = cNom;
        e.Date = Info.lastModified();
        e.lCategorie = cNom.contains(u'-');
        if (e.lCategorie) {
            const QString cCat = cNom.left(cNom.indexOf(u'-'));
            if (std::none_of(Categories.begin(), Categories.end(), [&](const TEnrCat &c) { return c.cNom == cCat; }))
                Categories.push_back({cCat, -1});
        }
        Images.push_back(e);
    }
    if (Images.empty()) {
        Categories.clear();
        return;
    }
    std::stable_sort(Images.begin(), Images.end(), [](const TEnrImgCH &a, const TEnrImgCH &b) {
        if (a.lCategorie != b.lCategorie)
            return a.lCategorie;
        return a.cNom.toUpper() < b.cNom.toUpper();
    });
    Images.insert(Images.begin(), TEnrImgCH{cImageParDefaut, {}, false, 0});
    int nSans = -1;
    QString cPrecedente;
    for (int i = 1; i < int(Images.size()); ++i) {
        TEnrImgCH &e = Images[size_t(i)];
        if (e.lCategorie) {
            const QString cCat = e.cNom.left(e.cNom.indexOf(u'-'));
            if (i == 1 || cCat != cPrecedente) {
                e.nSeparateur = 1;
                for (TEnrCat &c : Categories)
                    if (c.cNom == cCat && c.nPremier < 0)
                        c.nPremier = i;
            }
            cPrecedente = cCat;
        } else if (nSans < 0) {
            nSans = i;
            e.nSeparateur = 2;
        }
    }
    Images[1].nSeparateur = 2;
    if (nSans >= 0)
        Categories.push_back({cCategorieSans, nSans});
}

int IndiceAtteindre(const std::vector<TEnrImgCH> &Images, const std::vector<TEnrCat> &Categories, int nCategorie,
                    const QString &cTexte)
{
    const QString T = cTexte.trimmed();
    if (T.isEmpty())
        return -1;
    const bool lCategorie = nCategorie >= 0 && nCategorie < int(Categories.size());
    QString cPrefixe = T;
    if (lCategorie && Categories[size_t(nCategorie)].cNom != cCategorieSans)
        cPrefixe = Categories[size_t(nCategorie)].cNom + u'-' + T;
    cPrefixe = cPrefixe.toUpper();
    const int nDebut = lCategorie ? std::max(0, Categories[size_t(nCategorie)].nPremier) : 0;
    for (int i = nDebut; i < int(Images.size()); ++i)
        if (Images[size_t(i)].cNom.toUpper().startsWith(cPrefixe))
            return i;
    return -1;
}
